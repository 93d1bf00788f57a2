// Pictures laid into the sample maps' ground over the tiles under them: the
// town's signpost, door and pier, the lighthouse and its shore, the meadow's
// gate, and the world map's places with their names. Clear pixels (kClear)
// keep the ground below.
#pragma once
#include "mhdata/Archives.h"
#include "mhdata/SampleFigures.h"

namespace sampleMapArt {
// The signpost's post (columns kPostLeft..kPostLeft + 5 of the spot's cell,
// its whole height) and the pier's planks.
constexpr u16 kPostWood = figures::Rgb(17, 10, 4), kPlank = figures::Rgb(20, 14, 8);
constexpr i32 kPostLeft = 5;
// The signpost: a board over the cell above the spot reading `to`, an arrow
// pointing west, the post in the spot's cell; 48 x 32, the spot the middle
// of the bottom row.
ArchiveFrame Signpost(const char* to);
// A wooden door in a brick wall, one cell.
ArchiveFrame Door();
// A pier of `cells` cells running north from its foot: planks across,
// posts at its sides; 16 wide.
ArchiveFrame Pier(i32 cells);
// A lighthouse 48 x 128: a white tower with red bands narrowing upward, its
// lamp lit under a dark roof, a door at its foot.
ArchiveFrame Lighthouse();
// The harbour's edge, one cell: sand on the west, surf, then water.
ArchiveFrame Shore();
// A rowing boat lying on the water, 32 x 16.
ArchiveFrame Boat();
// A gate of two posts and a board reading `to` over a road, 80 x 64, high
// enough to show above a person standing in it; the road runs through the
// middle of its bottom row.
ArchiveFrame Gate(const char* to);
// The old stone tablet by the lane, one cell: grey stone, its face lit in
// kStone, on clear.
constexpr u16 kStone = figures::Rgb(19, 19, 18);
ArchiveFrame Stone();
// A wooden crate 32 x 32: a rim of kCrateRim round boards of kCrateWood, two
// seams across them and a brace corner to corner.
constexpr u16 kCrateWood = figures::Rgb(20, 12, 4), kCrateRim = figures::Rgb(10, 6, 2);
ArchiveFrame Crate();
// A stone well 32 x 32 with a little roof, frame k (0 or 1) of the light on its water.
ArchiveFrame Well(int k);
// A place of the world map nobody can enter yet, one cell: a hut whose door
// is boarded up, on clear.
ArchiveFrame ClosedPlace();
// The world map's pictures of its places, 48 x 48, and a name plate 48 x 16.
enum class Place { kTown, kLighthouse, kMeadow };
ArchiveFrame PlaceMark(Place place);
ArchiveFrame NamePlate(const char* name);
}  // namespace sampleMapArt
