// The sample game's command rings and battle lists, drawn in flat colours:
// ring icons sit on their row points so a click lands on the row it shows.
#pragma once
#include <map>

#include "base/Types.h"
#include "mhdata/Archives.h"

namespace sample_menus {
constexpr i32 kIconSize = 20;      // the square of a ring icon around its row point
constexpr i32 kListPanelW = 140;  // the list panel leaves the description box beside it
constexpr i32 kListPanelH = 160;
constexpr i32 kListPartSize = 16;  // arrows and thumb
u16 RingIconColour(i32 action);
}  // namespace sample_menus

void AddSampleMenuPictures(std::map<u32, ArchivePicture>* pics);
void AddSampleMenuActs(std::map<u32, ActProgram>* acts);
