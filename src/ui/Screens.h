// The screen objects of the screen manager: one global pointer per screen,
// the title menu's class, and the placeholder screens that stand in for the
// pages, shops and system screens not built yet.
#pragma once
#include "base/MemDbg.h"
#include "base/Types.h"
#include "ui/ScreenState.h"

class cMainMenuFrame;
class cSaveLoadFrame;     // ui/SaveScreens.h
class cZoomFrame;
class cQuickSaveFrame;
class cQuickNoticeFrame;

// A screen that is not built yet: its Open closes it at once and its Close
// goes back to where it was opened from (a screen, or map mode).
template <int Id>
class cPlaceholderFrame {
public:
    cPlaceholderFrame() = default;
    // The shape of the objects that story commands make (the mode word).
    explicit cPlaceholderFrame(u32 mode) : mode_(mode) {}
    ~cPlaceholderFrame();
    cPlaceholderFrame(const cPlaceholderFrame&) = delete;
    cPlaceholderFrame& operator=(const cPlaceholderFrame&) = delete;

    void Open();
    void Run() {}
    void Close() { gFrameId = returnTo_; }
    // A 640x480 screen copy handed over by the maker; freed with the object.
    void TakeScreenCopy(u16* pixels);
    u32 Mode() const { return mode_; }

private:
    u32 mode_ = 0;
    u32 returnTo_ = 0;
    u16* screen_ = nullptr;
};

// Where the screen being opened was requested from: kScreenBit | id of the
// screen closed last, or 0 when map mode ran in between.
extern u32 gScreenOrigin;

template <int Id>
cPlaceholderFrame<Id>::~cPlaceholderFrame() {
    if (screen_) MH_FREE(screen_);
}

template <int Id>
void cPlaceholderFrame<Id>::Open() {
    returnTo_ = gScreenOrigin;
    gFramePhase = 2;
}

template <int Id>
void cPlaceholderFrame<Id>::TakeScreenCopy(u16* pixels) {
    if (screen_) MH_FREE(screen_);
    screen_ = pixels;
}

class cExitFrame;
class cItemMenuFrame;  // menu/ItemMenuFrame.h
class cEquipFrame;  // menu/EquipFrame.h
class cOfferFrame;  // menu/OfferFrame.h
class cEndingFrame;
class cEndFrame;
class cEnterFrame;
class cQuestFrame;
class cFormationFrame;
class cSettingsFrame;
class cSystemMenuFrame;
class cItemFrame;  // menu/ItemFrame.h
class cTestEndFrame;
class cTransformFrame;  // menu/TransformFrame.h
using cShopBuyMenuFrame = cPlaceholderFrame<18>;
using cShopBuyListFrame = cPlaceholderFrame<19>;
using cShopSellMenuFrame = cPlaceholderFrame<20>;
using cShopSellListFrame = cPlaceholderFrame<21>;
using cEnhanceFrame = cPlaceholderFrame<22>;
using cSkillFrame = cPlaceholderFrame<23>;
using cSkillListFrame = cPlaceholderFrame<24>;

extern cMainMenuFrame* gMainMenuFrame;
extern cExitFrame* gExitFrame;
extern cItemMenuFrame* gItemMenuFrame;
extern cEquipFrame* gEquipFrame;
extern cOfferFrame* gOfferFrame;
extern cEndingFrame gEndingFrame;  // static: lives for the whole run
extern cEndFrame* gEndFrame;
extern cEnterFrame gEnterFrame;  // static
extern cSaveLoadFrame* gSaveLoadFrame;
extern cQuestFrame* gQuestFrame;
extern cFormationFrame* gFormationFrame;
extern cSettingsFrame* gSettingsFrame;
extern cSystemMenuFrame* gSystemMenuFrame;
extern cItemFrame* gItemFrame;
extern cZoomFrame* gZoomFrame;
extern cTestEndFrame* gTestEndFrame;
extern cTransformFrame* gTransformFrame;
extern cShopBuyMenuFrame* gShopBuyMenuFrame;
extern cShopBuyListFrame* gShopBuyListFrame;
extern cShopSellMenuFrame* gShopSellMenuFrame;
extern cShopSellListFrame* gShopSellListFrame;
extern cEnhanceFrame* gEnhanceFrame;
extern cSkillFrame* gSkillFrame;
extern cSkillListFrame* gSkillListFrame;
extern cQuickSaveFrame* gQuickSaveFrame;
extern cQuickNoticeFrame* gQuickNoticeFrame;
