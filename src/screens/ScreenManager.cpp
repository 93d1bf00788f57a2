// RunInterface: the three phases of the screen manager and the table of the
// 33 screens (their objects, who makes them, and their open, run and close).
#include "screens/ScreenManager.h"

#include <new>

#include "base/Types.h"
#include "platform/Display.h"
#include "engine/DDraw.h"
#include "engine/FrameState.h"
#include "engine/Screen.h"
#include "map/KeyCole.h"
#include "ui/ActPic.h"
#include "ui/Control.h"
#include "ui/EndScreens.h"
#include "ui/EndingFrame.h"
#include "ui/EnterFrame.h"
#include "ui/FormationFrame.h"
#include "ui/MainMenu.h"
#include "ui/QuestFrame.h"
#include "ui/SaveScreens.h"
#include "ui/ScreenLink.h"
#include "ui/ScreenState.h"
#include "ui/SettingsFrame.h"
#include "ui/SystemMenu.h"
#include "ui/UiInput.h"
#include "menu/EquipFrame.h"
#include "menu/ItemFrame.h"
#include "menu/ItemMenuFrame.h"
#include "menu/OfferFrame.h"
#include "menu/SkillFrame.h"
#include "menu/SkillListFrame.h"
#include "menu/TransformFrame.h"
#include "shop/EnhanceFrame.h"
#include "shop/ShopBuyList.h"
#include "shop/ShopFront.h"
#include "shop/ShopSellList.h"

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

struct ScreenRow {
    Screen screen;
    ScreenOps ops;
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

constexpr ScreenRow kScreens[kScreenCount] = {
    {Screen::Title, Managed<cMainMenuFrame, &gMainMenuFrame>()},
    {Screen::BackToTitle, Managed<cExitFrame, &gExitFrame>()},
    {Screen::Items, Managed<cItemMenuFrame, &gItemMenuFrame>()},
    {Screen::Equipment, Managed<cEquipFrame, &gEquipFrame>()},
    {Screen::Offering, Managed<cOfferFrame, &gOfferFrame>()},
    {Screen::Ending, Static<cEndingFrame, &gEndingFrame>()},
    {Screen::EndPicture, Managed<cEndFrame, &gEndFrame>()},
    {Screen::EnterPrompt, Static<cEnterFrame, &gEnterFrame>()},
    {Screen::SaveSlots, Managed<cSaveLoadFrame, &gSaveLoadFrame>()},
    {Screen::LoadSlots, Managed<cSaveLoadFrame, &gSaveLoadFrame>()},
    {Screen::QuestLog, Managed<cQuestFrame, &gQuestFrame>()},
    {Screen::Formation, Managed<cFormationFrame, &gFormationFrame>()},
    {Screen::Settings, Managed<cSettingsFrame, &gSettingsFrame>()},
    {Screen::SystemMenu, Managed<cSystemMenuFrame, &gSystemMenuFrame>()},
    {Screen::ItemChooser, Elsewhere<cItemFrame, &gItemFrame>()},
    {Screen::ZoomIn, Elsewhere<cZoomFrame, &gZoomFrame>()},
    {Screen::TestEnd, Managed<cTestEndFrame, &gTestEndFrame>()},
    {Screen::Transform, Managed<cTransformFrame, &gTransformFrame>()},
    {Screen::ShopBuyMenu, Managed<cShopBuyMenuFrame, &gShopBuyMenuFrame>()},
    {Screen::ShopBuyList, Elsewhere<cShopBuyListFrame, &gShopBuyListFrame>()},
    {Screen::ShopSellMenu, Managed<cShopSellMenuFrame, &gShopSellMenuFrame>()},
    {Screen::ShopSellList, Elsewhere<cShopSellListFrame, &gShopSellListFrame>()},
    {Screen::Enhance, Managed<cEnhanceFrame, &gEnhanceFrame>()},
    {Screen::Skills, Managed<cSkillFrame, &gSkillFrame>()},
    {Screen::SkillList, Elsewhere<cSkillListFrame, &gSkillListFrame>()},
    {Screen::QuickSave, Managed<cQuickSaveFrame, &gQuickSaveFrame>()},
    {Screen::TitleLoadSlots, Managed<cSaveLoadFrame, &gSaveLoadFrame>()},
    {Screen::TitleSettings, Managed<cSettingsFrame, &gSettingsFrame>()},
    {Screen::QuickSaveNotice, Managed<cQuickNoticeFrame, &gQuickNoticeFrame>()},
    {Screen::QuickLoadNotice, Managed<cQuickNoticeFrame, &gQuickNoticeFrame>()},
    {Screen::LeaveGame, Managed<cExitFrame, &gExitFrame>()},
    {Screen::TheEnd, Managed<cEndFrame, &gEndFrame>()},
    {Screen::TitleQuickLoadNotice, Elsewhere<cQuickNoticeFrame, &gQuickNoticeFrame>()},
};

constexpr bool RowsInScreenOrder() {
    for (u32 id = 0; id < kScreenCount; ++id)
        if (ScreenIndex(kScreens[id].screen) != id) return false;
    return true;
}
static_assert(RowsInScreenOrder(), "the table is indexed by screen number");

// Nothing to open: go back to map mode rather than run an empty screen forever.
void BackToMapMode() {
    gFrameId = kMapMode;
    gFramePhase = 0;
}

void OpenScreen(u32 id) {
    if (id >= kScreenCount) return BackToMapMode();
    const ScreenOps& ops = kScreens[id].ops;
    if (ops.make) ops.make();
    if (!ops.exists()) return BackToMapMode();
    gFramePhase = 1;
    gMouseInput.Reset();
    gCursorPic = new cActPic(kCursorAct, kCursorAction);
    gMouseInput.SetCursorPic(id == ScreenIndex(Screen::Ending) ? nullptr : gCursorPic);
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
    if (id < kScreenCount && kScreens[id].ops.exists()) kScreens[id].ops.run();
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
    if (id < kScreenCount && kScreens[id].ops.exists()) {
        kScreens[id].ops.close();
        // Every screen's leftovers go, the notices' included.
        ClearFrameObjects();
        kScreens[id].ops.release();
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
    for (u32 id = 0; id < kScreenCount; ++id) kScreens[id].ops.release();
    gEndingFrame.Reset();
    gEnterFrame.Reset();
}
