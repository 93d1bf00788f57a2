// The battle's scrolling lists (items, thrown pieces, skills, summons, forms and
// a creature's magic): their rows, keys and mouse, the drag thumb, paging, and
// the description box that breaks Big5 text at character boundaries.
#pragma once
#include <cstddef>

#include "base/Types.h"
#include "data/Records.h"

constexpr int kListMaxRows = 256;
constexpr int kListViewRows = 6;
constexpr int kListNameBytes = 40;
constexpr int kListTextBytes = 56;
constexpr i32 kListX = 242;
constexpr i32 kListHiddenY = -160;
constexpr i32 kListShownY = 22;
constexpr i32 kListStep = 40;
constexpr i32 kThumbTravel = 80;
constexpr i32 kListArtAct = 11003;
constexpr i32 kListIconAct = 9901;
constexpr int kSoundForward = 261;
constexpr int kSoundBack = 263;

struct ListRow {
    i32 disabled = 0;
    i32 id = 0;
    i32 icon = -1;   // action of act 9901, -1 none
    i32 number = 0;  // shown when non-zero
    char name[kListNameBytes] = {};
    char description[kListTextBytes] = {};
};

// Result of a list's tick.
enum ListResult { kListCancelled = 0, kListConfirmed = 1, kListRunning = -1 };

class cBattleList {
public:
    void Clear();
    // Starts a new list above the screen with no rows.
    void Begin(const char* caption);
    // Adds a row; text is copied up to the given field width (it need not end
    // in a zero). False when the list is full.
    bool Add(i32 id, i32 icon, i32 number, const char* name, size_t nameWidth,
             const char* description, size_t textWidth, bool disabled);
    // One tick of keys and mouse: kListRunning, kListCancelled or kListConfirmed.
    i32 Input();
    void Draw(bool creature) const;
    const ListRow* Selected() const;
    // Screen row of the thumb's top edge for the current selection.
    i32 ThumbTop() const;

    i32 open = 0, confirmed = 0, cancelled = 0;
    i32 dragging = 0, lastMouseX = 0, lastMouseY = 0;
    i32 x = kListX, y = kListHiddenY;
    i32 thumb = 0, upPressed = 0, downPressed = 0;
    char caption[16] = {};
    i32 count = 0, selected = 0, top = 0, viewRow = 0;
    ListRow rows[kListMaxRows];

private:
    void Up();
    void Down();
    void PageUp();
    void PageDown();
    void Confirm();
    void Cancel();
    void AfterMove();
    void Mouse();
    void Drag();
    void Click();
    void DrawRows() const;
    void DrawDescription() const;
};

// A description's lines: each starts at a character boundary and holds at
// most 30 bytes.
constexpr int kDescLineBytes = 30;
constexpr int kDescMaxLines = 8;
struct DescLines {
    int count = 0;
    size_t start[kDescMaxLines] = {};
    size_t length[kDescMaxLines] = {};
};
DescLines BreakDescription(const char* text, size_t len);
// Height of the description box for that many lines.
inline i32 DescBoxHeight(int lines) {
    return 20 * lines + 4;
}

// Row builders. Each fills the list it is given (already begun) from the game
// data; mp is the fighter's MP for the greyed rows.
void FillItemRows(cBattleList& list);
void FillThrowRows(cBattleList& list);
// role is the role index as shown (roles 0 and 1 already exchanged).
void FillSkillRows(cBattleList& list, i32 role, i32 category, i32 mp);
void FillSummonRows(cBattleList& list, i32 mp);
void FillFormRows(cBattleList& list, i32 mp);
void FillCreatureMagicRows(cBattleList& list, const MonsterData& creature, i32 mp);

// The skill category of the skill-list codes 11..16, or -1.
i32 SkillCategoryOfCode(i32 code);
// Caption of a skill-list code 11..16 (Big5), or "".
const char* SkillListCaption(i32 code);

// Current frame of an act's action: the picture and where its origin lies
// relative to the draw point; false when the act or frame is missing.
struct ActFrameRef {
    const struct PicFrame* frame = nullptr;
    i32 xOff = 0, yOff = 0;
};
bool FindActFrame(i32 act, i32 action, ActFrameRef* out);
void DrawActAt(i32 act, i32 action, i32 x, i32 y);
// True when (px, py) falls on an opaque pixel of the act's frame drawn at (x, y).
bool ActFrameHit(i32 act, i32 action, i32 x, i32 y, i32 px, i32 py);
