// The sample game's command rings and battle lists: ring icons are tiles
// marked with their command's first character, each on its row point so a
// click lands on the row it shows; the lists are flat colours.
#pragma once
#include <map>

#include "base/Types.h"
#include "mhdata/Archives.h"

namespace sample_menus {
constexpr i32 kIconSize = 20;     // the square of a ring icon around its row point
constexpr i32 kListPanelW = 140;  // the list panel leaves the description box beside it
constexpr i32 kListPanelH = 160;
constexpr i32 kListPartSize = 16;  // arrows and thumb
// The tile colour of a ring icon in look 0-3 (normal, chosen, closed, both).
u16 RingIconColour(i32 look);
// An act named name whose action k shows frame k of picture pic, still.
ActProgram StillFrames(const std::string& name, u32 pic, int count);
}  // namespace sample_menus

void AddSampleMenuPictures(std::map<u32, ArchivePicture>* pics);
void AddSampleMenuActs(std::map<u32, ActProgram>* acts);
