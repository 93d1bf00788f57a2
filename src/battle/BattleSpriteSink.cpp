// Floating texts over fighters, also kept in a list a test can read.
#include "battle/BattleSpriteSink.h"

#include "data/GameData.h"
#include "battle/BattleMath.h"
#include "battle/Fighter.h"
#include "battle/SpritePools.h"

namespace {
std::vector<ShownFloat> gFloats;
constexpr size_t kKeptFloats = 256;
}  // namespace

FloatLook GetFloatLook(FloatKind kind, i32 x, i32 y, i32 yOffset) {
    constexpr u16 kWhite = 65535, kRed = 61696, kBlue = 31;
    // Worked in 64 bits and held to 32: a fighter may stand anywhere a record puts it.
    const i64 mid = static_cast<i64>(y) - yOffset / 2;
    const i32 left = Sat32(static_cast<i64>(x) - 10), right = Sat32(static_cast<i64>(x) + 10);
    const i32 above = Sat32(mid - 8), below = Sat32(mid + 8);
    switch (kind) {
        case kFloatHp:
            return {left, above, kWhite, kRed, -64, 1};
        case kFloatMp:
            return {right, below, kWhite, kBlue, -64, 1};
        case kFloatMiss:
            return {left, above, kWhite, kBlue, -64, 1};
        case kFloatHpRegen:
            return {left, above, kWhite, kRed, -48, 1};
        case kFloatMpRegen:
            return {right, below, kWhite, kBlue, -48, 1};
    }
    return {x, y, kWhite, kRed, -64, 1};
}

void ShowFighterFloat(const cFighter& f, FloatKind kind, const char* text) {
    const FloatLook l = GetFloatLook(kind, f.x, f.y, f.anim.yOff);
    SpawnFloatText(const_cast<cFighter*>(&f), text, l.colour, l.shadow, l.x, l.y, f.z, l.rise,
                   l.drawClass);
    if (gFloats.size() >= kKeptFloats) gFloats.erase(gFloats.begin());
    gFloats.push_back({&f, kind, text ? text : ""});
}

const std::vector<ShownFloat>& ShownFighterFloats() {
    return gFloats;
}

void ClearShownFighterFloats() {
    gFloats.clear();
}
