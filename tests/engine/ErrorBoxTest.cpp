// Error boxes: texts, captions and buttons as the player sees them.
#include <gtest/gtest.h>

#include "engine/ErrorBox.h"
#include "platform/TextCodec.h"
#include "support/Harness.h"

TEST(ErrorBox, ShowsTextAndCaptionWithOk) {
    Harness h;
    ErrorBox("Moonharbor", "RoleDataBase init Failed.");
    ASSERT_EQ(h.boxes().size(), 1u);
    EXPECT_EQ(h.boxes()[0].text, "RoleDataBase init Failed.");
    EXPECT_EQ(h.boxes()[0].caption, "Moonharbor");
    EXPECT_EQ(h.boxes()[0].type, MB_OK);
}

TEST(ErrorBox, MayFormatTheScratchTextItself) {
    Harness h;
    std::snprintf(gScratchBuf, sizeof(gScratchBuf), "%s", "MH_Data\\Talk1.dat");
    ErrorBox(B5("對話系統"), "%s %s", gScratchBuf, gScratchBuf);
    ASSERT_EQ(h.boxes().size(), 1u);
    EXPECT_EQ(h.boxes()[0].text, "MH_Data\\Talk1.dat MH_Data\\Talk1.dat");
    std::string lng(3000, 'y');
    ErrorBox("c", "%s", lng.c_str());
    EXPECT_EQ(h.boxes()[1].text.size(), 1023u);
}

TEST(ErrorBox, DirectSoundTextsAndMaintenanceBox) {
    Harness h;
    DSErrorBox(nullptr, "cap", 0x8878000Au);
    DSErrorBox(nullptr, "cap", 0x12345678u);
    DSErrorBox(nullptr, "cap", 0x80040110u);
    DDErrorBox(nullptr, "DirectDraw Create Error!!");
    ASSERT_EQ(h.boxes().size(), 4u);
    EXPECT_EQ(h.boxes()[0].text, "DSERR_ALLOCATED");
    EXPECT_EQ(h.boxes()[1].text, "DSERR");
    EXPECT_EQ(h.boxes()[2].text, "DSERR_NOAGGREGATION ");
    EXPECT_EQ(h.boxes()[3].text, "DDERR");
    EXPECT_EQ(h.boxes()[3].caption, "DirectDraw Create Error!!");
    PlatformSetBoxAnswer(IDIGNORE);
    EXPECT_EQ(MaintenanceBox(nullptr, "bad %d", 7, "x.cpp", 12), 1);
    EXPECT_EQ(h.boxes()[4].caption, B5("維護錯誤"));
    EXPECT_EQ(h.boxes()[4].text, B5("\n檔案: x.cpp\n行數: 第12行\n錯誤: bad 7"));
    EXPECT_EQ(h.boxes()[4].type, MB_ABORTRETRYIGNORE | MB_ICONERROR);
}
