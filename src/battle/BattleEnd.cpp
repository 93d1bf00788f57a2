// The victory banner with its rewards, the level-up panels and the defeat wait.
#include "battle/BattleEnd.h"

#include <cstdio>
#include <string>

#include "platform/TextCodec.h"
#include "engine/GrpFont.h"
#include "engine/PicPaint.h"
#include "engine/Tsw.h"
#include "engine/ZoomBlit.h"
#include "sound/Music.h"
#include "data/DerivedStats.h"
#include "data/GameData.h"
#include "data/GameFlags.h"
#include "data/KeyBindings.h"
#include "map/ShadedBox.h"
#include "map/StoryLink.h"
#include "battle/BattleFiles.h"
#include "battle/BattleKeys.h"
#include "battle/BattleLists.h"
#include "battle/BattleMath.h"
#include "battle/BattleSide.h"
#include "battle/FighterDraw.h"

cBattleEnd gBattleEnd;

namespace {
constexpr int kEndList = 3;
constexpr i64 kMoneyCap = 0x7FFFFFFF;
constexpr u32 kZoomMode = 0x80;

bool EndInput() {
    return BattleKeyPressed(kKeyConfirm) || gBattleCursor.Clicked(kMouseLeft | kMouseRight) != 0;
}

void PlayOnce(u32 nameRecord) {
    std::string path;
    if (MusicPathOfName(nameRecord, &path)) gMusic.SetTrack(path.c_str(), 1, 0, kEndList);
    gMusic.SetMode(kEndList, 2, 0);
}

void StopEndMusic() {
    gMusic.ClearList(kEndList);
    gMusic.SetMode(kEndList, 1, 0);
}

// The role of a party member, -1 for anyone else (an added creature, an empty slot).
i32 RoleOf(const cFighter& f) {
    if (!f.IsInUse() || f.kind != kKindParty || f.pic >= static_cast<u32>(kRoleCount)) return -1;
    const i32 r = static_cast<i32>(f.pic);
    return f.stats.Head() == &gRoleStats[r] ? r : -1;
}

bool IsMember(const cFighter& f) {
    return RoleOf(f) >= 0;
}

i32 GrowthRole(i32 r) {
    return GetGameFlag(kLeadSwapFlag) && r < 2 ? 1 - r : r;
}

bool CanRise(const cFighter& f) {
    if (!IsMember(f) || !f.IsAlive()) return false;
    const RoleStats& s = gRoleStats[RoleOf(f)];
    return s.level < kTopLevel && s.exp >= NeedForLevel(s.level);
}

// Text in the end screens' face.
void Text(i32 x, i32 y, const char* big5, int size, int advance, u16 shadow, u16 colour) {
    if (!gPaintBuf || !big5) return;
    UseBattleFont(size, advance);
    gMainFont.SetShadowColor(shadow);
    gMainFont.DrawString(gPaintBuf, x, y, big5, colour, kStyleBoldOutline);
}

void Number(i32 x, i32 y, i64 v, u16 shadow, u16 colour) {
    char buf[24];
    std::snprintf(buf, sizeof(buf), "%d", Sat32(v));
    Text(x, y, buf, 12, 14, shadow, colour);
}
}  // namespace

// ---- Panels. ----

void cEndPanel::Setup(i32 action, bool centred) {
    *this = cEndPanel{};
    anim.act = kEndPanelAct;
    anim.action = action;
    TakeActData(&anim);
    const PicFrame* f = anim.pic ? GetPic(anim.pic, anim.frame) : nullptr;
    if (f && f->pixels) {
        width = f->width;
        height = f->height;
    }
    if (centred) {
        x = (640 - width) / 2;
        y = (480 - height) / 2;
    }
}

bool cEndPanel::Open() {
    zoom = zoom + kEndZoomStep >= kEndZoomFull ? kEndZoomFull : zoom + kEndZoomStep;
    return zoom == kEndZoomFull;
}

bool cEndPanel::Shut() {
    zoom = zoom <= kEndZoomStep ? 0 : zoom - kEndZoomStep;
    return zoom == 0;
}

void cEndPanel::Draw() const {
    if (done || zoom <= 0 || width <= 0 || height <= 0) return;
    PicFrame* f = GetPic(anim.pic, anim.frame);
    if (!f || !f->pixels) return;
    const i64 shrink = kEndZoomFull - zoom;
    const i32 px = Sat32(x + SatMul(width, shrink) / kEndZoomFull / 2);
    const i32 py = Sat32(y + SatMul(height, shrink) / kEndZoomFull / 2);
    SetZoom(anim.xOff, anim.yOff, zoom, zoom);
    gCurPic = f->pixels;
    PutPic(px, py, f->width, f->height,
           static_cast<i32>((anim.drawMode | kZoomMode) & kActModePaint), f->alpha);
}

// ---- Rewards and levels. ----

i32 TableLevel(i32 level) {
    return level < 1 ? 1 : (level > kTopLevel ? kTopLevel : level);
}

i32 NeedForLevel(i32 level) {
    return gNextLevelExp[TableLevel(level) + 1];
}

void PayVictoryRewards() {
    const i64 money = SatAdd(gScriptVars[0], gEnemySide.goldTotal);
    gScriptVars[0] = static_cast<u32>(money < 0 ? 0 : (money > kMoneyCap ? kMoneyCap : money));
    for (i32 i = 0; i < kSetupPositions && i < gPartySide.count; ++i) {
        cFighter& f = gPartySide.fighters[i];
        if (!IsMember(f) || !f.IsAlive()) continue;
        i32& exp = gRoleStats[RoleOf(f)].exp;
        const i64 sum = SatAdd(exp, gEnemySide.expTotal);
        exp = Sat32(sum < 0 ? 0 : sum);
    }
    for (int k = 0; k < kShownDrops; ++k) {
        const i32 id = gEnemySide.drops[k];
        if (id < 0 || id >= gItemCount || !gOwnedItems) continue;
        if (gOwnedItems[id] < kMaxOwned) ++gOwnedItems[id];
    }
}

bool RaiseLevel(cFighter& f, LevelGain* gain) {
    if (!IsMember(f)) return false;
    const i32 r = RoleOf(f), g = GrowthRole(r);
    RoleStats& s = gRoleStats[r];
    const i32 old = TableLevel(s.level);
    if (old >= kTopLevel) return false;
    const i32* row = gLevelUpStats[g][old];
    s.level = old + 1;
    AddSat(f.hp, row[2]);
    AddSat(f.mp, row[3]);
    RoleData& base = gRoles[r];
    i32* words[7] = {&base.maxHp, &base.maxMp,  &base.strength, &base.stamina,
                     &base.magic, &base.spirit, &base.agility};
    for (int k = 0; k < 7; ++k) AddSat(*words[k], row[2 + k]);
    CalcRoleStats(base, s);
    for (int k = 0; k < kSkillRows; ++k)
        if (gLevelUpSkills[g][k].level == s.level) gLearnedSkills[g][k] = 1;
    if (gain) {
        gain->role = r;
        gain->growthRole = g;
        gain->newLevel = s.level;
        for (int k = 0; k < 7; ++k) gain->gains[k] = row[2 + k];
    }
    return true;
}

// ---- The end object. ----

void cBattleEnd::Reset() {
    outcome = 0;
    banner.Setup(0, true);
    levelUp.Setup(1, true);
    defeat.Setup(0, false);
    nextSlot = 0;
    shown = nullptr;
    gain = LevelGain{};
}

i32 cBattleEnd::Step() {
    switch (outcome) {
        case 1:
            return BannerStep() ? LevelUpStep() : 0;
        case 2:
            return 1;
        case 3:
            return DefeatStep();
        default:
            return 0;
    }
}

i32 cBattleEnd::BannerStep() {
    cEndPanel& p = banner;
    if (p.done) return 1;
    if (p.closing) {
        if (!p.Shut()) return 0;
        PayVictoryRewards();
        p.closing = 0;
        p.done = 1;
        return 1;
    }
    if (p.zoom == 0) PlayOnce(kVictoryMusicName);
    if (p.zoom < kEndZoomFull) {
        p.Open();
        return 0;
    }
    p.counter = EndInput() ? kBannerTicks : p.counter + 1;
    if (p.counter >= kBannerTicks) {
        StopEndMusic();
        p.closing = 1;
    }
    return 0;
}

i32 cBattleEnd::LevelUpStep() {
    cEndPanel& p = levelUp;
    if (p.done) return 1;
    if (!shown) {
        for (; nextSlot < kSetupPositions && nextSlot < gPartySide.count; ++nextSlot) {
            cFighter& f = gPartySide.fighters[nextSlot];
            if (!CanRise(f)) continue;
            PlayOnce(kLevelUpMusicName);
            const i32 need = NeedForLevel(gRoleStats[RoleOf(f)].level);
            RaiseLevel(f, &gain);
            AddSat(gRoleStats[RoleOf(f)].exp, -static_cast<i64>(need));
            f.SaveAction();
            f.SetAction(16, 0, 0);
            shown = &f;
            return 0;
        }
        p.done = 1;
        return 1;
    }
    if (p.closing) {
        if (p.Shut()) {
            p.closing = p.counter = 0;
            shown = nullptr;
        }
        return 0;
    }
    if (p.zoom < kEndZoomFull) {
        p.Open();
        return 0;
    }
    p.counter = EndInput() ? kLevelUpTicks : p.counter + 1;
    if (p.counter >= kLevelUpTicks) {
        StopEndMusic();
        p.closing = 1;
    }
    return 0;
}

i32 cBattleEnd::DefeatStep() {
    cEndPanel& p = defeat;
    if (p.done) return 1;
    if (p.counter == 0) gMusic.SetMode(kEndList, 2, 100);
    p.counter = EndInput() || gMusic.IsFinished() > 0 ? kDefeatTicks : p.counter + 1;
    if (p.counter >= kDefeatTicks) {
        StopEndMusic();
        p.done = 1;
    }
    return 0;
}

void cBattleEnd::Draw() {
    if (outcome == 1) {
        DrawShadedBox(0, 0, 640, 480, 128, 128, 128, 0);
        banner.Draw();
        if (!banner.done && banner.zoom == kEndZoomFull) DrawBannerText();
        if (shown) {
            levelUp.Draw();
            if (levelUp.zoom == kEndZoomFull) DrawLevelUpText();
        }
    } else if (outcome == 3) {
        DrawShadedBox(0, 0, 640, 480, 0, 0, 0, 3);
    }
}

void cBattleEnd::DrawBannerText() const {
    const i32 x = banner.x, y = banner.y;
    Text(x + 72, y + 8, B5("戰  鬥  勝  利"), 20, 20, 0x7BEF, 0xFFFF);
    char buf[48];
    std::snprintf(buf, sizeof(buf), "%d Gold", gEnemySide.goldTotal);
    Text(x + 128, y + 52, buf, 15, 18, 0x82A5, 0xFFF0);
    std::snprintf(buf, sizeof(buf), "%d Exp", gEnemySide.expTotal);
    Text(x + 128, y + 76, buf, 15, 18, 0x82A5, 0xFFF0);
    for (int k = 0; k < kShownDrops; ++k) {
        const ItemData* item = GetItemRecord(gEnemySide.drops[k]);
        if (!item) continue;
        const i32 line = y + 98 + 24 * k;
        DrawActAt(kListIconAct, item->icon, x + 128, line - 2);  // as the battle lists show it
        char name[sizeof(item->name) + 1] = {};
        for (size_t i = 0; i < sizeof(item->name); ++i) name[i] = item->name[i];
        Text(x + 150, line, name, 15, 18, 0x82A5, 0xFFF0);
    }
}

void cBattleEnd::DrawLevelUpText() const {
    if (gain.role < 0 || gain.role >= kRoleCount) return;
    const i32 x = levelUp.x, y = levelUp.y;
    const RoleStats& s = gRoleStats[gain.role];
    const RoleData& base = gRoles[gain.role];
    char name[33] = {};
    for (int i = 0; i < 32; ++i) name[i] = base.name[i];
    Text(x + 38, y + 13, name, 18, 22, 0x7BEF, 0xFFFF);
    struct Caption {
        const char* text;
        i32 dx, dy;
    };
    static const Caption kCaptions[] = {
        {"等級", 34, 55},   {"生命", 34, 80},   {"法術", 34, 115},
        {"力量", 134, 55},  {"耐力", 134, 79},  {"魔力", 134, 102},
        {"精神", 134, 126}, {"敏捷", 134, 149}, {"習得新的特技:", 40, 176}};
    for (const Caption& c : kCaptions) Text(x + c.dx, y + c.dy, B5(c.text), 12, 14, 0x82A5, 0xE718);
    const i32* g = gain.gains;
    Number(x + 65, y + 55, s.level - 1, 0x016E, 0xC61F);
    Number(x + 99, y + 55, s.level, 0x82A5, 0xFFF0);
    Number(x + 65, y + 79, SatAdd(s.maxHp, -static_cast<i64>(g[0])), 0x016E, 0xC61F);
    Number(x + 87, y + 92, s.maxHp, 0x82A5, 0xFFF0);
    Number(x + 65, y + 114, SatAdd(s.maxMp, -static_cast<i64>(g[1])), 0x016E, 0xC61F);
    Number(x + 87, y + 127, s.maxMp, 0x82A5, 0xFFF0);
    const i32 attrs[5] = {s.strength, s.stamina, s.magic, s.spirit, s.agility};
    const i32 rows[5] = {55, 79, 102, 126, 149};
    for (int k = 0; k < 5; ++k) {
        Number(x + 164, y + rows[k], SatAdd(attrs[k], -static_cast<i64>(g[2 + k])), 0x016E, 0xC61F);
        Number(x + 200, y + rows[k], attrs[k], 0x82A5, 0xFFF0);
    }
    i32 line = y + 176;
    for (int k = 0; k < kSkillRows; ++k) {
        const LevelUpSkill& row = gLevelUpSkills[gain.growthRole][k];
        const SkillData* sk = row.level == gain.newLevel ? GetSkillRecord(row.skill) : nullptr;
        if (!sk) continue;
        char sname[sizeof(sk->name) + 1] = {};
        for (size_t i = 0; i < sizeof(sk->name); ++i) sname[i] = sk->name[i];
        Text(x + 134, line, sname, 12, 14, 0x82A5, 0xFFF0);
        line += 16;
    }
}

void ResetBattleEnd() {
    gBattleEnd = cBattleEnd{};
}
