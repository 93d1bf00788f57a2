// The right-hand panel the in-game system screens and menu pages share (tabs,
// side list with its highlight bar, captions, title, money and play time, hint
// line), its keyboard points, and the canvas copies the question and prompt
// screens use.
#pragma once
#include "base/Types.h"
#include "engine/GrpFont.h"

class cActPic;
class cControl;

constexpr i32 kTabFirstId = 5010;  // tabs 5010..5013: items, skills, quick save, system
constexpr int kTabCount = 4;
constexpr int kSysRows = 6;
constexpr i32 kSysListX = 440, kSysListY = 48;
constexpr i32 kSysRowTop = 92, kSysRowStep = 40;

// The cursor point of system-list row k and of tab j.
inline i32 SysRowPointX() {
    return 580;
}
inline i32 SysRowPointY(int k) {
    return 120 + 40 * k;
}
inline i32 TabPointX(int j) {
    return 482 + 45 * j;
}
constexpr i32 kTabPointY = 34;

// Formats play time t (seconds) as "%d:%02d:%02d", hours wrapping at 60.
void FormatPlayTime(char* out, size_t n, u32 seconds);

// How a page dresses the panel. The system screens take the defaults; a menu
// page names its own tab ids, side list, captions, title and hint place.
struct SysPanelLook {
    i32 tabBase = kTabFirstId;  // tab k gets id tabBase + k
    int ownTab = -1;            // shows action 17 + 2k instead of 16 + 2k; -1 none
    i32 listId = 0;             // the side list button
    i32 listPic = 1, listHoverPic = 3;
    const char* const* captions = nullptr;  // six UTF-8 captions; null: the system rows
    i32 captionX = 480;
    const char* title = "";  // Big5
    i32 titleX = 480;
    i32 hintX = 65, hintY = 17;
};

class cSysPanel {
public:
    // listId: the id of the system list button (5001 or 5002); title at (titleX, 55).
    // activeTab: the tab whose picture shows the "this page" action (-1 none).
    void Make(i32 listId, const char* title, i32 titleX, int activeTab);
    void Make(const SysPanelLook& look);
    // The play-time text again; call once per tick.
    void Refresh();
    // The row k (0..5) whose band holds y, or -1.
    static int RowAt(i32 y);
    // Tab index 0..3 of a system-screen tab id, or -1.
    static int TabOf(i32 id);
    // Tab index 0..3 of one of this panel's tab ids, or -1.
    int TabAt(i32 id) const;
    // Hover marks: highlight bar on a list row, tip on a tab. Returns the focus
    // (0..5 row, 10..13 tab) or -1 when the cursor is on neither.
    int Hover(i32 hoverId, i32 mouseY);
    void ShowTip(int tab);
    void HideMarks();
    void Release();

    cGrpFont large, tip, small;
    i32 listId = 0;
    i32 tabBase = kTabFirstId;
    cControl* tabs[kTabCount] = {};
    cControl* list = nullptr;
    cControl* bar = nullptr;
    cControl* captions[kSysRows] = {};
    cControl* title = nullptr;
    cControl* money = nullptr;
    cControl* time = nullptr;
    cControl* tipText = nullptr;
    char timeText[32] = {};
};

extern const char* const kSysRowNames[kSysRows];  // UTF-8
extern const char* const kTabNames[kTabCount];    // UTF-8

// Writes a 640x480 copy back over the canvas.
void PasteCanvasPixels(const u16* pixels);
