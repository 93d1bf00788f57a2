// The interface screens by name, and the mode word that asks for one.
#pragma once
#include "base/Types.h"
#include "engine/FrameState.h"

// The screen numbers: the n of the mode word kScreenBit | n.
enum class Screen : u32 {
    Title = 0,
    BackToTitle = 1,  // the question "back to the title?"
    Items = 2,
    Equipment = 3,
    Offering = 4,
    Ending = 5,
    EndPicture = 6,  // after a lost battle
    EnterPrompt = 7,
    SaveSlots = 8,
    LoadSlots = 9,
    QuestLog = 10,
    Formation = 11,
    Settings = 12,
    SystemMenu = 13,
    ItemChooser = 14,  // opened by a story script
    ZoomIn = 15,       // after a load
    TestEnd = 16,
    Transform = 17,
    ShopBuyMenu = 18,
    ShopBuyList = 19,
    ShopSellMenu = 20,
    ShopSellList = 21,
    Enhance = 22,
    Skills = 23,
    SkillList = 24,
    QuickSave = 25,
    TitleLoadSlots = 26,
    TitleSettings = 27,
    QuickSaveNotice = 28,
    QuickLoadNotice = 29,
    LeaveGame = 30,  // the question "leave the game?"
    TheEnd = 31,
    TitleQuickLoadNotice = 32,
};
static_assert(static_cast<u32>(Screen::TitleQuickLoadNotice) + 1 == kScreenCount);

constexpr u32 ScreenIndex(Screen s) {
    return static_cast<u32>(s);
}
// The mode word that opens the screen.
constexpr u32 ScreenWord(Screen s) {
    return kScreenBit | ScreenIndex(s);
}
// True when the mode word asks for that screen.
constexpr bool IsScreenWord(u32 word, Screen s) {
    return word == ScreenWord(s);
}

// What F1 to F4 open, on the map and from the menu pages alike.
constexpr Screen kFunctionKeyScreens[4] = {Screen::Items, Screen::Skills, Screen::QuickSave,
                                           Screen::SystemMenu};
