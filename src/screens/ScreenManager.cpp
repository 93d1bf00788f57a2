// RunInterface: the three phases of the screen manager and the table of the
// 33 screens (their objects, who makes them, and their open, run and close).
#include "screens/ScreenManager.h"

#include <new>

#include "engine/DDraw.h"
#include "base/Types.h"
#include "map/KeyCole.h"
#include "engine/FrameState.h"
#include "menu/EquipFrame.h"
#include "menu/ItemFrame.h"
#include "menu/ItemMenuFrame.h"
#include "menu/OfferFrame.h"
#include "menu/SkillFrame.h"
#include "menu/SkillListFrame.h"
#include "menu/TransformFrame.h"
#include "platform/Display.h"
#include "shop/EnhanceFrame.h"
#include "shop/ShopBuyList.h"
#include "shop/ShopFront.h"
#include "shop/ShopSellList.h"
#include "ui/ActPic.h"
#include "ui/Control.h"
#include "ui/EndScreens.h"
#include "ui/EndingFrame.h"
#include "ui/EnterFrame.h"
#include "ui/FormationFrame.h"
#include "ui/MainMenu.h"
#include "ui/QuestFrame.h"
#include "ui/SettingsFrame.h"
#include "ui/SystemMenu.h"
#include "ui/SaveScreens.h"
#include "ui/ScreenState.h"
#include "ui/Screens.h"
#include "ui/UiInput.h"

cMainMenuFrame* gMainMenuFrame = nullptr;
cExitFrame* gExitFrame = nullptr;
cItemMenuFrame* gItemMenuFrame = nullptr;
cEquipFrame* gEquipFrame = nullptr;
cOfferFrame* gOfferFrame = nullptr;
cEndingFrame gEndingFrame;
cEndFrame* gEndFrame = nullptr;
cEnterFrame gEnterFrame;
cSaveLoadFrame* gSaveLoadFrame = nullptr;
cQuestFrame* gQuestFrame = nullptr;
cFormationFrame* gFormationFrame = nullptr;
cSettingsFrame* gSettingsFrame = nullptr;
cSystemMenuFrame* gSystemMenuFrame = nullptr;
cItemFrame* gItemFrame = nullptr;
cZoomFrame* gZoomFrame = nullptr;
cTestEndFrame* gTestEndFrame = nullptr;
cTransformFrame* gTransformFrame = nullptr;
cShopBuyMenuFrame* gShopBuyMenuFrame = nullptr;
cShopBuyListFrame* gShopBuyListFrame = nullptr;
cShopSellMenuFrame* gShopSellMenuFrame = nullptr;
cShopSellListFrame* gShopSellListFrame = nullptr;
cEnhanceFrame* gEnhanceFrame = nullptr;
cSkillFrame* gSkillFrame = nullptr;
cSkillListFrame* gSkillListFrame = nullptr;
cQuickSaveFrame* gQuickSaveFrame = nullptr;
cQuickNoticeFrame* gQuickNoticeFrame = nullptr;

namespace {

constexpr i32 kCursorAct = 9001;
constexpr i32 kCursorAction = 4;
constexpr u32 kEndingScreen = 5;

// One screen: whether its object exists, the manager's allocation (null when
// the object is made elsewhere or static), its three operations and the free.
struct ScreenOps {
    bool (*exists)();
    void (*make)();
    void (*open)();
    void (*run)();
    void (*close)();
    void (*release)();
};

template <class T, T** G>
constexpr ScreenOps Managed() {
    return {[] { return *G != nullptr; },
            [] {
                delete *G;
                *G = new (std::nothrow) T();
            },
            [] { (*G)->Open(); },
            [] { (*G)->Run(); },
            [] { (*G)->Close(); },
            [] {
                delete *G;
                *G = nullptr;
            }};
}

// Made by another screen or a story command, which sets the pointer first;
// freed here all the same.
template <class T, T** G>
constexpr ScreenOps Elsewhere() {
    ScreenOps ops = Managed<T, G>();
    ops.make = nullptr;
    return ops;
}

template <class T, T* S>
constexpr ScreenOps Static() {
    return {[] { return true; }, nullptr, [] { S->Open(); }, [] { S->Run(); },
            [] { S->Close(); },  [] {}};
}

const ScreenOps kScreens[kScreenCount] = {
    Managed<cMainMenuFrame, &gMainMenuFrame>(),            // 0 title
    Managed<cExitFrame, &gExitFrame>(),                    // 1 back-to-title question
    Managed<cItemMenuFrame, &gItemMenuFrame>(),            // 2 items page
    Managed<cEquipFrame, &gEquipFrame>(),                  // 3 equipment page
    Managed<cOfferFrame, &gOfferFrame>(),                  // 4 offering page
    Static<cEndingFrame, &gEndingFrame>(),                 // 5 ending
    Managed<cEndFrame, &gEndFrame>(),                      // 6 end picture after a lost battle
    Static<cEnterFrame, &gEnterFrame>(),                   // 7 enter/cancel prompt
    Managed<cSaveLoadFrame, &gSaveLoadFrame>(),            // 8 save slots
    Managed<cSaveLoadFrame, &gSaveLoadFrame>(),            // 9 load slots in play
    Managed<cQuestFrame, &gQuestFrame>(),                  // 10 quest log
    Managed<cFormationFrame, &gFormationFrame>(),          // 11 formation
    Managed<cSettingsFrame, &gSettingsFrame>(),            // 12 settings in play
    Managed<cSystemMenuFrame, &gSystemMenuFrame>(),        // 13 system menu
    Elsewhere<cItemFrame, &gItemFrame>(),                  // 14 item chooser of a script
    Elsewhere<cZoomFrame, &gZoomFrame>(),                  // 15 zoom-in after a load
    Managed<cTestEndFrame, &gTestEndFrame>(),              // 16 test-version end
    Managed<cTransformFrame, &gTransformFrame>(),          // 17 transformation page
    Managed<cShopBuyMenuFrame, &gShopBuyMenuFrame>(),      // 18 shop buy menu
    Elsewhere<cShopBuyListFrame, &gShopBuyListFrame>(),    // 19 shop buy list
    Managed<cShopSellMenuFrame, &gShopSellMenuFrame>(),    // 20 shop sell menu
    Elsewhere<cShopSellListFrame, &gShopSellListFrame>(),  // 21 shop sell list
    Managed<cEnhanceFrame, &gEnhanceFrame>(),              // 22 strengthening
    Managed<cSkillFrame, &gSkillFrame>(),                  // 23 skills page
    Elsewhere<cSkillListFrame, &gSkillListFrame>(),        // 24 skill list
    Managed<cQuickSaveFrame, &gQuickSaveFrame>(),          // 25 quick-save page
    Managed<cSaveLoadFrame, &gSaveLoadFrame>(),            // 26 load slots from the title
    Managed<cSettingsFrame, &gSettingsFrame>(),            // 27 settings from the title
    Managed<cQuickNoticeFrame, &gQuickNoticeFrame>(),      // 28 quick-save notice
    Managed<cQuickNoticeFrame, &gQuickNoticeFrame>(),      // 29 quick-load notice
    Managed<cExitFrame, &gExitFrame>(),                    // 30 leave-game question
    Managed<cEndFrame, &gEndFrame>(),                      // 31 "The End"
    Elsewhere<cQuickNoticeFrame, &gQuickNoticeFrame>(),    // 32 quick-load notice from the title
};

// Nothing to open: go back to map mode rather than run an empty screen forever.
void BackToMapMode() {
    gFrameId = 0;
    gFramePhase = 0;
}

void OpenScreen(u32 id) {
    if (id >= kScreenCount) return BackToMapMode();
    const ScreenOps& ops = kScreens[id];
    if (ops.make) ops.make();
    if (!ops.exists()) return BackToMapMode();
    gFramePhase = 1;
    gMouseInput.Reset();
    gCursorPic = new cActPic(kCursorAct, kCursorAction);
    gMouseInput.SetCursorPic(id == kEndingScreen ? nullptr : gCursorPic);
    ops.open();
}

void ShowCanvas() {
    DisplaySurface* primary = gDDraw.GetSurface(kSurfacePrimary);
    if (primary && gDrawSurface) DisplayBlit(primary, 0, 0, gDrawSurface, nullptr, false);
}

void RunScreen(u32 id) {
    if (gDrawSurface) {
        gDDraw.EraseSurface(gDrawSurface);
        FillSurface(gDrawSurface, 0);
    }
    if (id < kScreenCount && kScreens[id].exists()) kScreens[id].run();
    // A screen may delete controls while they are drawn: walk by index.
    for (size_t i = 0; i < gControlList.size(); ++i) gControlList[i]->Draw();
    gMouseInput.Update();
    ShowCanvas();
}

void CloseScreen(u32 id) {
    gFramePhase = 0;
    gMouseInput.Reset();
    delete gCursorPic;
    gCursorPic = nullptr;
    if (id < kScreenCount && kScreens[id].exists()) {
        kScreens[id].close();
        // Every screen's leftovers go, the notices' included.
        ClearFrameObjects();
        kScreens[id].release();
    } else {
        ClearFrameObjects();
    }
    ClearMapInputHolds();
}

}  // namespace

void RunInterface(u32 screen) {
    switch (gFramePhase) {
        case 0:
            OpenScreen(screen);
            break;
        case 1:
            RunScreen(screen);
            break;
        case 2:
            CloseScreen(screen);
            break;
        default:
            gFramePhase = 0;
            break;
    }
}

void ResetScreenManager() {
    delete gCursorPic;
    gCursorPic = nullptr;
    for (u32 id = 0; id < kScreenCount; ++id) kScreens[id].release();
    gEndingFrame.Reset();
    gEnterFrame.Reset();
}
