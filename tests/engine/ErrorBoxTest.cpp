// Error boxes: texts, captions and buttons as the player sees them.
#include <gtest/gtest.h>

#include <tuple>

#include "engine/ErrorBox.h"
#include "platform/TextCodec.h"
#include "support/Harness.h"

TEST(ErrorBox, TextsCaptionsAndButtons) {
    Harness h;
    ErrorBox("Moonharbor", "RoleDataBase init Failed.");
    // The box may format the scratch text itself; long texts are cut.
    std::snprintf(gScratchBuf, sizeof(gScratchBuf), "%s", "MH_Data\\Talk1.dat");
    ErrorBox(B5("對話系統"), "%s %s", gScratchBuf, gScratchBuf);
    std::string lng(3000, 'y');
    ErrorBox("c", "%s", lng.c_str());
    DSErrorBox(nullptr, "cap", 0x8878000Au);
    DSErrorBox(nullptr, "cap", 0x12345678u);
    DSErrorBox(nullptr, "cap", 0x80040110u);
    DDErrorBox(nullptr, "DirectDraw Create Error!!");
    PlatformSetBoxAnswer(IDIGNORE);
    EXPECT_EQ(MaintenanceBox(nullptr, "bad %d", 7, "x.cpp", 12), 1);
    const auto& b = h.boxes();
    ASSERT_EQ(b.size(), 8u);
    EXPECT_EQ(std::tuple(b[0].text, b[0].caption, b[0].type),
              std::tuple("RoleDataBase init Failed.", "Moonharbor", MB_OK));
    EXPECT_EQ(b[1].text, "MH_Data\\Talk1.dat MH_Data\\Talk1.dat");
    EXPECT_EQ(b[2].text.size(), 1023u);
    EXPECT_EQ(std::tuple(b[3].text, b[4].text, b[5].text, b[6].text),
              std::tuple("DSERR_ALLOCATED", "DSERR", "DSERR_NOAGGREGATION ", "DDERR"));
    EXPECT_EQ(b[6].caption, "DirectDraw Create Error!!");
    EXPECT_EQ(std::tuple(b[7].caption, b[7].text, b[7].type),
              std::tuple(B5("維護錯誤"), B5("\n檔案: x.cpp\n行數: 第12行\n錯誤: bad 7"),
                         MB_ABORTRETRYIGNORE | MB_ICONERROR));
}
