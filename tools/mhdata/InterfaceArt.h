// The interface pictures of the sample game: the acts the title, the slot
// screens, the notices, the menu pages, the shops, the settings, the dialogue
// boxes and the map screen's icons draw, each action one flat opaque colour
// (buttons, tabs and icons with their caption, panels with the names of the
// numbers their screens draw on them) but the portraits, drawn on that colour
// as their backdrop, written into the system archive pair.
#pragma once
#include <string>
#include <vector>

#include "base/Types.h"

// The stored 5-5-5 colour of an action of an interface act (never a key colour).
u16 InterfaceColor(u32 act, u32 action);
// Width and height of that action's frame.
void InterfaceFrameSize(u32 act, u32 action, i32* w, i32* h);
// The caption drawn into that action's frame (UTF-8) and its font size, or
// null: the title's buttons, the menu tabs, the shop's tabs and the map's HUD
// icons say what they open.
const char* InterfaceCaption(u32 act, u32 action, int* size);
// The hot spot of that action's act part: the frame is drawn at the control's
// place less it (0, 0 but for the equipment page's portraits).
void InterfaceHotSpot(u32 act, u32 action, i16* x, i16* y);
// A name drawn into a panel's picture (UTF-8, at x, y of the frame, in the
// game's font of that size) beside the number or text its screen draws there.
struct PanelLabel {
    u32 act, action;
    i16 x, y;
    const char* text;
    int size;
};
const std::vector<PanelLabel>& PanelLabels();
struct ArchiveFrame;
// Writes text into a frame at (x, y), white with a dark shadow, in the game's
// own font (x < 0: centred across the frame); without the font the frame stays
// flat.
void DrawCaptionAt(ArchiveFrame* f, const char* utf8, int size, int x, int y);
// The same in the given ink and shadow colours (stored 5-5-5).
void DrawCaptionInk(ArchiveFrame* f, const char* utf8, int size, int x, int y, u16 ink, u16 shadow);
// The list area (act 9900 actions 2 and 4) that the menu pages and the item
// chooser put at (kListX, kListY): kListW x kListH, its top kListBand rows
// clear; its arrow column is kArrowW wide at kArrowX from row kArrowTop down
// to kArrowBottom. The chooser's shadow (act 9902 action 0) lies kListShadow
// pixels right of and below the list below its band and the arrow column.
namespace list_art {
constexpr i32 kListX = 440, kListY = 48, kListW = 170, kListH = 290, kListBand = 42;
constexpr i32 kArrowX = 610, kArrowW = 16, kArrowTop = 80, kArrowBottom = 346;
constexpr i32 kListShadow = 8;
}  // namespace list_art
// The interface acts and how many actions each has.
struct InterfaceActInfo {
    u32 act;
    u32 actions;
};
extern const InterfaceActInfo kInterfaceActs[];
extern const int kInterfaceActCount;

// Rewrites "PicLib\all_sys.tsw" and ".act" under root with the sample's own
// system pictures and the interface acts; false with error set on failure.
bool WriteInterfaceArt(const std::string& root, std::string* error);
