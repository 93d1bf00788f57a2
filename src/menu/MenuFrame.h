// The pieces every in-game menu page builds its frame from, written once and
// composed into each page (there is no page base class):
//
//   cMenuFonts    the page fonts 0, 1 and 3 (name, numbers, content); the
//                 panel (cSysPanel, made through MenuPanelLook) holds 2, 4, 5.
//   cPartySlots   the role pictures (portrait 40 + r, slot 24 + 2r / 25 + 2r,
//                 roles 0 and 1 trading them while flag 324 is set) and up to
//                 six party slots with their cursor and marker spots.
//   cMemberPanel  portrait, name, level, HP, MP, experience, next level, two
//                 status icons and the 15 live attributes of one role, and the
//                 hint captions of its fields.
//   ReadMenuKey / MenuFocusAfter / MenuFocusSpot
//                 the key table over the focus index (0..3 tab, 10..15 side
//                 row, 20..25 slot, 30..39 list row) and its cursor spots.
//   cListPane     a ten-row list of item ids with its frame, scroll bar and
//                 row controls (type icon, name, live count).
//
// A page makes them in its Open in this order: panel, cPartySlots::MakePictures,
// cMemberPanel::Make, cPartySlots::MakeSlots, then its own SelectRole, which
// calls cMemberPanel::Show and cPartySlots::Mark. Close releases the fonts and
// deletes the controls (ClearFrameObjects); the pieces then only hold stale
// pointers and are dropped with the page.
#pragma once
#include <deque>

#include "base/Types.h"
#include "engine/GrpFont.h"
#include "ui/Control.h"
#include "ui/SysPanel.h"

class cActPic;

constexpr i32 kMenuAct = 9900;
constexpr i32 kMenuIconAct = 9901;
constexpr int kMenuSlots = 6;
constexpr int kMenuRoles = 8;
constexpr int kItemTypes = 29;
constexpr int kListRows = 10;
constexpr int kAttributeCount = 15;

// Focus index ranges of the pages.
constexpr int kFocusSide = 10, kFocusSlot = 20, kFocusList = 30;

struct MenuSpot {
    i32 x, y;
};

// The six side captions and the title of the items page (UTF-8).
extern const char* const kItemSideNames[kSysRows];

class cMenuFonts {
public:
    void Make();
    void Release();
    cGrpFont name;     // 24, member name
    cGrpFont numbers;  // 16, shadow 0x1E3855
    cGrpFont content;  // 15, list rows and the ability panel
};

class cPartySlots {
public:
    // The role pictures of the eight roles.
    void MakePictures();
    // One slot per party entry before the first -1 (at most six), ids idBase + k.
    void MakeSlots(i32 idBase);
    // Slot pictures: the shown role's slot gets its "shown" picture.
    void Mark(i32 shownRole);
    // The slot holding role r, or -1.
    int SlotOf(i32 r) const;
    // The role of slot k, or -1.
    i32 RoleOf(int k) const { return k >= 0 && k < count ? roles[k] : -1; }
    cActPic* Portrait(i32 r) const;
    // Gives the slots id 0 (not clickable) or their ids back.
    void SetClickable(bool on);

    static MenuSpot CursorSpot(int k);
    static MenuSpot MarkerSpot(int k);

    int count = 0;
    i32 idBase = 0;
    i32 roles[kMenuSlots] = {};
    cControl* slots[kMenuSlots] = {};
    cActPic* pics[kMenuRoles][3] = {};  // portrait, slot, shown slot
};

class cMemberPanel {
public:
    // Fonts: name, numbers and the level font (the panel's small one).
    void Make(cMenuFonts* fonts, cGrpFont* levelFont, const cPartySlots* pictures);
    // Fills every field from role r's derived record.
    void Show(i32 r);
    // The caption (UTF-8) of the member field under (x, y), or null.
    static const char* CaptionAt(i32 x, i32 y);
    // The caption of status icon button id (2100..2105), or null.
    static const char* StatusCaption(i32 id);

    cControl* portrait = nullptr;
    cControl* name = nullptr;
    cControl* level = nullptr;
    cControl* hp = nullptr;
    cControl* mp = nullptr;
    cControl* exp = nullptr;
    cControl* next = nullptr;
    cControl* icons[2] = {};
    cControl* attributes[kAttributeCount] = {};
    cActPic* statusPics[15] = {};  // act 9901 actions 30..44
    char nameText[40] = {};
    char hpText[32] = {};
    char mpText[32] = {};
    char nextText[16] = {};

private:
    const cPartySlots* pictures_ = nullptr;
};

// The text of the next-level line for level L: the experience entry L + 1,
// or "  --------" for a level outside 0..49.
void FormatNextLevel(char* out, size_t n, i32 level);
// The icon ids (2100..2105, or 0) of the first two listed status bits.
void StatusIcons(i32 status, i32 out[2]);

// The logical keys of the key table, the first one pressed in this order.
enum class MenuKey { None, Up, Down, Left, Right, Switch, PageUp, PageDown };
// Reads every key once (so each repeat state stays current); the first wins.
MenuKey ReadMenuKey();
// Where a key takes the focus from a tab, a side row or a party slot;
// slotCount party slots, menuSlot the slot of the shown member. The same
// focus for keys that stay; -1 when the focus is none of these.
int MenuFocusAfter(int focus, MenuKey key, int slotCount, int menuSlot);
// The cursor spot of a focus index.
MenuSpot MenuFocusSpot(int focus);
void MoveCursorTo(MenuSpot s);

// A look of cSysPanel for a menu page: own tab, tab and side-list ids, the
// captions, the title and the hint line at (60, 18).
SysPanelLook MenuPanelLook(i32 tabBase, int ownTab, i32 listId, const char* const* captions,
                           const char* title, i32 titleX);

struct ListPaneIds {
    i32 area, down, up, thumb;
};

class cListPane {
public:
    // The list frame: area (act 9900 actions 2 and 4), highlight, arrows,
    // thumb, the type icons and the scroll bar.
    void Make(const ListPaneIds& ids, cGrpFont* font);
    // Takes the entries, makes the rows, top := 0.
    void Fill(std::deque<i32> entries);
    // The scroll bar over the arrows and the thumb, top := 0.
    void InitScroll();
    // Refills the rows when top moved (or last drawn top is -1).
    void RefreshRows();
    // The row band (0..9) holding y when x lies in [x0, x1], else -1.
    static int RowAt(i32 x, i32 y, i32 x0, i32 x1);
    bool HasRow(int j) const { return j >= 0 && static_cast<size_t>(top + j) < items.size(); }
    i32 ItemOfRow(int j) const { return items[static_cast<size_t>(top + j)]; }
    // Removes entry index, moving the view up at the bottom and dropping the
    // last row's controls when fewer than ten are left.
    void RemoveAt(int index);
    void ShowBar(int j);
    void HideBar();
    // Ids off (0) and the scroll bar disabled, or both back.
    void SetEnabled(bool on);
    // Deletes the frame and the rows.
    void Delete();
    int Count() const { return static_cast<int>(items.size()); }
    void ScrollBy(i32 d);
    // A key on a row of the list: scrolls as the key asks and gives the
    // focus to move to (rows are firstRow + j; left and switch go to
    // slotFocus), or -1 when the focus stays as it is without a redraw.
    int RowKeyFocus(int focus, int firstRow, int slotFocus, MenuKey key);

    std::deque<i32> items;
    i32 top = 0, maxTop = 0, lastTop = 0;
    ListPaneIds ids{};
    cGrpFont* font = nullptr;
    cControl* area = nullptr;
    cControl* bar = nullptr;
    cControl* down = nullptr;
    cControl* up = nullptr;
    cControl* thumb = nullptr;
    cActPic* typeIcons[kItemTypes] = {};
    cScrollBar scroll;
    cControl* rowIcon[kListRows] = {};
    cControl* rowName[kListRows] = {};
    cControl* rowCount[kListRows] = {};
    char rowText[kListRows][36] = {};

private:
    int RowCount() const;
    void MakeRow(int r);
    void DropRow(int r);
    void SetRow(int r, i32 item);
    void UpdateMaxTop();
    cActPic* framePics_[8] = {};
};

// A text control at (x, y) in the font, colour and style given.
cControl* TextAt(i32 x, i32 y, cGrpFont* f, u32 colour, i32 style);
// Deletes a screen piece and clears its pointer.
template <class T>
void Drop(T*& p) {
    delete p;
    p = nullptr;
}
// Shows big5 (copied into buf, n bytes, whole characters) on a hint line, or
// hides the line for null.
void ShowHintText(cControl* line, char* buf, size_t n, const char* big5);

// Copies a record's text field (zero-ended or filling its size) into out,
// cut to fit and never splitting a Big5 character.
void CopyRecordText(char* out, size_t n, const char* field, size_t fieldSize);
// The item's type icon picture index, or -1 outside 0..28.
int ItemTypeIcon(i32 item);
