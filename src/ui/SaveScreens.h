// The save and load slot screens (8, 9, 26), the quick-save page (25), the
// quick-save and quick-load notices (28, 29, 32) and the zoom after a load (15).
#pragma once
#include "base/Types.h"
#include "engine/GrpFont.h"
#include "engine/Screen.h"
#include "ui/SaveFile.h"
#include "ui/SysPanel.h"
#include "ui/UiInput.h"

class cActPic;
class cControl;

// Control ids of the slot screens.
constexpr i32 kSlotPageUp = 5000, kSlotPageDown = 5001, kSlotList = 5002, kSlotRows = 5003;
constexpr i32 kSlotTab0 = 5010, kSlotBox = 5050;
// Control ids of the quick-save page.
constexpr i32 kQuickTab0 = 4000, kQuickBoxes = 4010, kQuickBox = 4050;
// Keyboard focus codes of the slot screens: list rows 0-5, tabs 10-13, slot
// rows 20-22, page up and down 30 and 31, yes and no 50 and 51.
constexpr i32 kFocusTab0 = 10, kFocusRow0 = 20, kFocusPageUp = 30, kFocusPageDown = 31;
constexpr i32 kFocusYes = 50, kFocusNo = 51;
// The quick-save page: tabs 0-3, the load and save boxes 10 and 11, yes and no 50 and 51.
constexpr i32 kQuickFocusLoad = 10, kQuickFocusSave = 11;
constexpr u32 kZoomMs = 803;
constexpr u32 kNoticeMs = 1000;

// The yes/no box shared by the slot screens and the quick-save page.
struct cAskBox {
    cActPic* pics[3] = {};
    cControl* button = nullptr;
    cControl* highlight = nullptr;
    cControl* yes = nullptr;
    cControl* no = nullptr;
    cControl* question = nullptr;
    void Make(i32 id, cGrpFont* font);
    void Show(const char* text, i32 x);
    void Hide();
};

// What one slot row (or quick-save box) shows of a save's header.
struct SaveRowView {
    i32 slot = -1;
    u16 thumb[kThumbPixels] = {};
    char number[12] = {};
    char date[kSaveDateBytes + 1] = {};
    char money[kSaveMoneyBytes + 1] = {};
    char time[kSaveTimeBytes + 1] = {};
    i32 values[6] = {};
    cControl* background = nullptr;
    cControl* thumbCtl = nullptr;
    cControl* numberCtl = nullptr;
    cControl* dateCtl = nullptr;
    cControl* moneyCtl = nullptr;
    cControl* timeCtl = nullptr;
    cControl* portraits[6] = {};
    cControl* numbers[6] = {};
    cActPic* portraitPics[8] = {};  // one per role
    // Shows the header of a valid save, or "沒有資料" in emptyField.
    void Fill(const SaveHeader* h, bool emptyInMoney);
};

class cSaveLoadFrame {
public:
    cSaveLoadFrame() = default;
    cSaveLoadFrame(const cSaveLoadFrame&) = delete;
    cSaveLoadFrame& operator=(const cSaveLoadFrame&) = delete;

    void Open();
    void Run();
    void Close();
    void RunSave();
    void RunLoad();
    void ReadSlotHeader(i32 top);
    void SaveToSlot(i32 slot);
    // The zoom is prepared around the load; 0 when the slot did not load.
    int LoadGameFromSlot(i32 slot);

    i32 result = 0;
    u32 boxOpen = 0;
    i32 focus = -1;
    Screen screen = Screen::SaveSlots;
    i32 top = 0;
    i32 askedSlot = -1;
    SaveRowView rows[3];
    cSysPanel panel;  // screens 8 and 9 only

    // The cursor point a focus code stands for; false for an unknown code.
    static bool FocusPoint(i32 code, i32* x, i32* y);

private:
    void OpenBox(const char* text, i32 x);
    void CloseBox();
    void SetIds(bool enabled);
    i32 RowAt(i32 x, i32 y) const;
    void ClickRow(i32 row);
    void ClickBox();
    void RunKeys();
    bool RunFunctionKeys();
    i32 KeyTarget(int key);
    i32 ListKey(int key) const;
    i32 TabKey(int key) const;
    i32 RowKey(int key);
    i32 PageButtonKey(int key) const;
    void FocusTo(i32 code);
    void RunHover();
    void Leave(i32 code, int sound);

    cGrpFont fonts_[5];  // 12, 13, 15, 16, 20
    cActPic* pageUpPics_[3] = {};
    cActPic* pageDownPics_[3] = {};
    cActPic* rowPics_[2] = {};
    cControl* pageUp_ = nullptr;
    cControl* pageDown_ = nullptr;
    cControl* background_ = nullptr;
    cAskBox box_;
};

class cQuickSaveFrame {
public:
    cQuickSaveFrame() = default;
    cQuickSaveFrame(const cQuickSaveFrame&) = delete;
    cQuickSaveFrame& operator=(const cQuickSaveFrame&) = delete;

    void Open();
    void Run();
    void Close();
    void ReadHeader();

    i32 result = 0;
    u32 boxOpen = 0;
    i32 focus = -1;
    i32 boxMode = 0;  // 0 load, 1 save
    SaveRowView boxes[2];
    cControl* tooltip = nullptr;

    // The cursor point a focus code stands for; false for an unknown code.
    static bool FocusPoint(i32 code, i32* x, i32* y);

private:
    void OpenBox(const char* text, i32 x);
    void CloseBox();
    void ClickBoxes();
    void ClickAsk();
    i32 BoxAt(i32 x, i32 y) const;
    void RunHover();
    void RunKeys();
    void FocusTo(i32 code);

    cGrpFont fonts_[5];
    cActPic* boxPics_[2] = {};  // normal, hovered
    cControl* background_ = nullptr;
    cControl* tabs_[4] = {};
    cAskBox box_;
    char playTime_[32] = {};
};

class cQuickNoticeFrame {
public:
    cQuickNoticeFrame() = default;
    ~cQuickNoticeFrame();
    cQuickNoticeFrame(const cQuickNoticeFrame&) = delete;
    cQuickNoticeFrame& operator=(const cQuickNoticeFrame&) = delete;

    void Open();
    void Run();
    void Close();
    // The title hands over its last frame (from the debug allocator).
    void TakeScreenCopy(u16* pixels);

    Screen screen = Screen::QuickSaveNotice;
    u32 startTime = 0;
    u32 found = 0;  // a loadable quick save was found
    const char* text = nullptr;

private:
    u16* copy_ = nullptr;
    cGrpFont font_;
};

class cZoomFrame {
public:
    cZoomFrame() = default;
    ~cZoomFrame();
    cZoomFrame(const cZoomFrame&) = delete;
    cZoomFrame& operator=(const cZoomFrame&) = delete;

    void Open();
    void Run();
    void Close();
    // The canvas now becomes the picture before (0) or after (1) the load.
    void TakeCanvas(int which);

    u16* before = nullptr;
    u16* after = nullptr;
    i32 x = 0, y = 0;
    u32 startTime = 0;
    cControl* afterCtl = nullptr;
    cActPic* cursorPic = nullptr;  // the mouse cursor while the zoom runs
};

// What map mode's F10 does, for tests that open the load notice directly: sound
// 265 and notice screen 29.
void QuickLoadKey();
// Draws every registered control onto the canvas (what a screen shows now).
void DrawControlsToCanvas();
