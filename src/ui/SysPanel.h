// The right-hand panel the in-game system screens share (tabs, system list
// with its highlight bar, captions, title, money and play time, tab tip), its
// keyboard points, and the canvas copies the question and prompt screens use.
#pragma once
#include "engine/GrpFont.h"
#include "base/Types.h"

class cActPic;
class cControl;

constexpr i32 kTabFirstId = 5010;  // tabs 5010..5013: items, skills, quick save, system
constexpr int kTabCount = 4;
constexpr int kSysRows = 6;
constexpr i32 kSysListX = 440, kSysListY = 48;
constexpr i32 kSysRowTop = 92, kSysRowStep = 40;

// The cursor point of system-list row k and of tab j.
inline i32 SysRowPointX() { return 580; }
inline i32 SysRowPointY(int k) { return 120 + 40 * k; }
inline i32 TabPointX(int j) { return 482 + 45 * j; }
constexpr i32 kTabPointY = 34;

// Formats play time t (seconds) as "%d:%02d:%02d", hours wrapping at 60.
void FormatPlayTime(char* out, size_t n, u32 seconds);

class cSysPanel {
public:
    // listId: the id of the system list button (5001 or 5002); title at (titleX, 55).
    // activeTab: the tab whose picture shows the "this page" action (-1 none).
    void Make(i32 listId, const char* title, i32 titleX, int activeTab);
    // The play-time text again; call once per tick.
    void Refresh();
    // The row k (0..5) whose band holds y, or -1.
    static int RowAt(i32 y);
    // Tab index 0..3 of a control id, or -1.
    static int TabOf(i32 id);
    // Hover marks: highlight bar on a list row, tip on a tab. Returns the focus
    // (0..5 row, 10..13 tab) or -1 when the cursor is on neither.
    int Hover(i32 hoverId, i32 mouseY);
    void ShowTip(int tab);
    void HideMarks();
    void Release();

    cGrpFont large, tip, small;
    i32 listId = 0;
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
