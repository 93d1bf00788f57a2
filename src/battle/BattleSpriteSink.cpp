// Floating texts over fighters, also kept in a list a test can read.
#include "battle/BattleSpriteSink.h"

#include "battle/Fighter.h"
#include "data/GameData.h"

namespace {
std::vector<ShownFloat> gFloats;
constexpr size_t kKeptFloats = 256;
}  // namespace

FloatLook GetFloatLook(FloatKind kind, i32 x, i32 y, i32 yOffset) {
    constexpr u16 kWhite = 65535, kRed = 61696, kBlue = 31;
    const i32 mid = y - yOffset / 2;
    switch (kind) {
        case kFloatHp: return {x - 10, mid - 8, kWhite, kRed, -64, 1};
        case kFloatMp: return {x + 10, mid + 8, kWhite, kBlue, -64, 1};
        case kFloatMiss: return {x - 10, mid - 8, kWhite, kBlue, -64, 1};
        case kFloatHpRegen: return {x - 10, mid - 8, kWhite, kRed, -48, 1};
        case kFloatMpRegen: return {x + 10, mid + 8, kWhite, kBlue, -48, 1};
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
