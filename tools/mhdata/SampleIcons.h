// The small pictures of act 9901: the item-type icons the lists show before
// a name and the status icons under a fighter.
#pragma once
#include "base/Types.h"
#include "mhdata/Archives.h"

namespace sample_icons {
// Item-type icons (actions 0..kItemIconCount - 1), kItemIconSide square: a
// plain tile, its corners and a border of kItemIconBorder pixels plain, with
// the thing the type stands for drawn inside.
constexpr i32 kItemIconCount = 29, kItemIconSide = 20, kItemIconBorder = 4;
// The types the sample's things use: medicines and tools 0..11 (10 the fire
// flask), story treasures 12..15, weapons, bows, shields and rings or charms
// 16..19, the captain's seals and logs 20..23, a war drum 24, the poison
// needle and the scroll 25 and 26, armour 27 and hats 28.
constexpr i32 kIconFireFlask = 10, kIconSword = 16, kIconBow = 17, kIconShield = 18,
              kIconCharm = 19, kIconDrum = 24, kIconNeedle = 25, kIconScroll = 26, kIconArmour = 27,
              kIconHat = 28;
// The icon of a piece of equipment of kind 1..7.
i32 EquipIcon(i32 kind);
ArchiveFrame ItemIconFigure(i32 type);

// Status icons (action 30 + bit for status bit 0..14): kStatusIconW x
// kStatusIconH in a dark rim. A fighter's row of n icons, one pixel apart,
// starts 9 n pixels left of its middle: it stays centred on it.
constexpr i32 kStatusIconW = 17, kStatusIconH = 14, kStatusIconCount = 15;
ArchiveFrame StatusIconFigure(i32 bit);
}  // namespace sample_icons
