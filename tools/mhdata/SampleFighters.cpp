// The sample game's battle records (monsters, skills and items for the fights)
// and the fighters' art: body acts over drawn figures, effect acts and their
// flat-colour pictures.
#include "mhdata/SampleFighters.h"

#include <array>
#include <cstring>
#include <string>

#include "platform/TextCodec.h"
#include "engine/MyAct.h"
#include "mhdata/Databases.h"
#include "mhdata/InterfaceArt.h"
#include "mhdata/SampleFigures.h"
#include "mhdata/SampleIcons.h"

namespace {

MonsterData Fighter(i32 id, const char* name, i32 kind, i32 level, i32 agility) {
    MonsterData m{};
    m.index = id;
    m.act = static_cast<i32>(MonsterBodyAct(id));
    m.level = level;
    SetText(m.name, sizeof(m.name), name);
    m.maxHp = m.hp = 60 * level;
    m.maxMp = m.mp = 10 * level;
    m.strength = 3 * level;
    m.stamina = 2 * level;
    m.magic = 2 * level;
    m.spirit = 2 * level;
    m.agility = agility;
    m.attack = 15 * level;
    m.defence = 8 * level;
    m.hitRate = 80;
    m.evasion = 8;
    for (i32& v : m.ratios) v = 100;
    m.kind = kind;
    m.hitAct = 7200 + id % 10;
    m.expValue = 12 * level;
    m.gold = 20 * level;
    m.dropItem = -1;
    m.theftItem = -1;
    m.fleeRate = 10;
    m.captureRate = kind == 0 ? 40 : 0;
    m.price = 100 * level;
    m.offerValue = kind == 1 ? 60 : 5 + level;
    m.actionCost = kind == 1 ? 8 : 0;
    for (MonsterSkill& s : m.specials) s = {-1, 0};
    m.healSkill = {-1, 0};
    m.enhanceChance = 50;
    // A captured fighter strengthens a weapon's attack and an armour's defence.
    if (kind == 0) {
        m.weaponBlock[5] = 2 + level;
        m.armourBlock[6] = 1 + level;
    }
    m.shadowAction = 1;
    return m;
}

void Monsters(DatabaseSet& set) {
    using namespace sample;
    MonsterData m = Fighter(kThief, "盜賊", 0, 3, 14);
    m.theftItem = kHerb;
    m.theftChance = 40;
    m.dropItem = kAntidote;
    m.dropChance = 30;
    m.specialEffect[0] = 1;  // regenerates 5 HP and 2 MP a turn
    m.specialEffect[1] = 5;
    m.specialEffect[2] = 2;
    set.monsters.push_back(m);
    m = Fighter(kStatue, "石像", 0, 5, 3);
    m.dropItem = kBigPotion;
    m.dropChance = 15;
    m.specials[0] = {kFireball, 2};
    m.specialChance = 30;
    m.healSkill = {kHeal, 1};
    m.ratios[kEarth] = 50;
    set.monsters.push_back(m);
    m = Fighter(kThunderGod, "雷神", 1, 15, 25);
    m.specialEffect[0] = 5;
    m.ratios[kElectricity] = 0;
    set.monsters.push_back(m);
    for (i32 id = kThunderGod + 1; id < kBoss; ++id) {
        // The pier's pirates fight as the slime and the goblin do.
        if (id == kPirate || id == kPirateMate) {
            m = set.monsters[static_cast<size_t>(id == kPirate ? kSlime : kGoblin)];
            m.index = id;
            m.act = static_cast<i32>(MonsterBodyAct(id));
            SetText(m.name, sizeof(m.name), id == kPirate ? "小海盜" : "海盜");
            set.monsters.push_back(m);
            continue;
        }
        set.monsters.push_back(Fighter(id, "野怪", 0, 1 + id % 9, 4 + id % 7));
    }
    // The captain of the raid nobody wins. A kind other than 0 or 1 (not a
    // form) keeps him on the field and the party on it: he never runs, the
    // party's flight is closed and he cannot be captured. Poison does not take
    // him, and at each of his turns he is whole again: the party would have
    // to strike down five times an ordinary level-30 fighter's HP between two
    // of his turns.
    m = Fighter(kBoss, "海盜船長", 2, 30, 30);
    m.maxHp = m.hp = 5 * 60 * m.level;
    m.ratios[kPoison] = 0;
    m.specialEffect[0] = 2;  // regenerates all of his HP a turn
    m.specialEffect[1] = 100;
    m.specials[0] = {kThunder, 3};
    m.specials[1] = {kPoisonMist, 2};
    m.specialChance = 40;
    set.monsters.push_back(m);
}

SkillData Skill(i32 id, const char* name, i32 category, i32 target, i32 power, i32 element,
                i32 special) {
    SkillData sk{};
    sk.id = id;
    sk.effectAct = 7400 + id;
    sk.category = category;
    SetText(sk.name, sizeof(sk.name), name);
    sk.mpCost = 5 + id;
    sk.effectMode = 1;
    sk.power = power;
    sk.element = element;
    sk.special = special;
    sk.icon = id % 29;
    sk.useMode = 2;
    sk.target = target;
    return sk;
}

void Skills(DatabaseSet& set) {
    using namespace sample;
    set.skills.push_back(Skill(kSacrificeStrike, "捨身擊", 0, 3, 200, 3, 2));
    SkillData sk = Skill(kOffering, "獻身", 1, 2, 0, 0, 3);
    sk.effectMode = 2;
    sk.hp = 100;
    set.skills.push_back(sk);
    set.skills.push_back(Skill(kHeavyBlow, "重擊", 0, 3, 120, 4, 4));
    set.skills.push_back(Skill(kLifeDrain, "吸血", 1, 3, 60, 8, 5));
    sk = Skill(kManaDrain, "吸魔", 1, 3, 40, 2, 6);
    sk.mp = -20;
    set.skills.push_back(sk);
    set.skills.push_back(Skill(kRally, "鼓舞", 3, 5, 0, 0, 7));
    set.skills.push_back(Skill(kHolyRay, "必殺光", 1, 4, 80, 7, 8));
    set.skills.push_back(Skill(kThunder, "雷擊", 1, 3, 70, 5, 0));
    sk = Skill(kPoisonMist, "毒霧", 1, 4, 30, 6, 0);
    sk.statusEffect = 12;
    set.skills.push_back(sk);
    sk = Skill(kSummonThunder, "召喚雷神", 2, 4, 50, 5, 0);
    sk.formIndex = 2;  // the third god/demon form: the thunder god
    set.skills.push_back(sk);
}

// The battle items' price and icon.
i32 BattleItemPrice(i32 id) {
    return 30 + 10 * id;
}
i32 BattleItemIcon(i32 id) {
    using namespace sample_icons;
    using namespace sample;
    return id == kFireFlask      ? kIconFireFlask
           : id == kPoisonNeedle ? kIconNeedle
           : id == kScroll       ? kIconScroll
                                 : kIconCharm;
}

void Items(DatabaseSet& set) {
    using namespace sample;
    set.items.push_back(SampleItem({.id = kFireFlask,
                                    .name = "火焰瓶",
                                    .useKind = 1,
                                    .usePlace = 2,
                                    .mode = 1,
                                    .target = kTargetOneFoe,
                                    .act = 7301,
                                    .hp = -80,
                                    .price = BattleItemPrice(kFireFlask),
                                    .icon = BattleItemIcon(kFireFlask)}));
    set.items.push_back(SampleItem({.id = kPoisonNeedle,
                                    .name = "毒針",
                                    .useKind = 1,
                                    .usePlace = 2,
                                    .mode = 2,
                                    .target = kTargetAllFoes,
                                    .act = 7302,
                                    .hp = -20,
                                    .status = 12,
                                    .price = BattleItemPrice(kPoisonNeedle),
                                    .icon = BattleItemIcon(kPoisonNeedle)}));
    ItemData it = SampleItem({.id = kScroll,
                              .name = "火球卷軸",
                              .useKind = 1,
                              .usePlace = 2,
                              .mode = 1,
                              .target = kTargetOneFoe,
                              .act = 7303,
                              .price = BattleItemPrice(kScroll),
                              .icon = BattleItemIcon(kScroll)});
    it.castSkill = kFireball;
    set.items.push_back(it);
    set.items.push_back(SampleItem({.id = kSelfCharm,
                                    .name = "自療符",
                                    .useKind = 2,
                                    .usePlace = 3,
                                    .mode = 1,
                                    .target = kTargetSelf,
                                    .hp = 40,
                                    .price = BattleItemPrice(kSelfCharm),
                                    .icon = BattleItemIcon(kSelfCharm)}));
}

}  // namespace

void AddSampleFighters(DatabaseSet& set) {
    Monsters(set);
    Skills(set);
    Items(set);
}

namespace sample_fighters {

u16 BodyColour(u32 act, int frame) {
    return static_cast<u16>((act * 53 + 0x0841 * (frame + 1)) & 0xFFFF) | 0x0821;
}

}  // namespace sample_fighters

namespace {
using namespace sample_fighters;

// A body: the figure's poses facing left, then facing right.
ArchivePicture BodyFrames(u32 act) {
    ArchivePicture p;
    p.name = "body" + std::to_string(act);
    p.frames = BodyFigureFrames(act);
    return p;
}

// One body action: three poses with the given events raised on the second
// and the third; facing 5 takes the mirrored frames.
std::vector<u16> BodyPart(u32 act, i32 facing, std::array<u16, 3> poses, u16 event1, u16 event2,
                          bool loop) {
    const FigureSize size = BodySize(act);
    const u16 base = facing == 5 ? kPoseCount : 0;
    ActWords w;
    w.Rf(static_cast<u16>(act))
        .Xy(static_cast<i16>(size.w / 2), static_cast<i16>(size.h))
        .Cmd(kActAX, {static_cast<u16>(size.w / 2)})
        .Cmd(kActAY, {static_cast<u16>(size.h / 2)})
        .Sd(0)
        .Pa(base + poses[0])
        .Ed();
    if (event1) w.Cmd(kActAT, {event1});
    w.Pa(base + poses[1]).Ed();
    if (event2) w.Cmd(kActAT, {event2});
    w.Pa(base + poses[2]).Ed();
    return loop ? w.Ov().words : w.O2().words;
}

ActProgram BodyAct(u32 act) {
    ActProgram a;
    a.name = "body" + std::to_string(act);
    constexpr std::array<u16, 3> idle = {kPoseIdle, kPoseBreathe, kPoseIdle},
                                 blow = {kPoseWindup, kPoseStrike, kPoseStrike},
                                 cast = {kPoseIdle, kPoseCast, kPoseCast},
                                 hurt = {kPoseHurt, kPoseHurt, kPoseHurt},
                                 fallen = {kPoseFallen, kPoseFallen, kPoseFallen};
    for (i32 facing : {4, 5}) {
        a.parts[facing + kBodyStand] = BodyPart(act, facing, idle, 0, 0, true);
        a.parts[facing + kBodyReady] = BodyPart(act, facing, idle, 0, 0, true);
        a.parts[facing + kBodyCast] = BodyPart(act, facing, cast, 0, 0, false);
        a.parts[facing + kBodyHurt] = BodyPart(act, facing, hurt, 0, 0, false);
        a.parts[facing + kBodyFallen] = BodyPart(act, facing, fallen, 0, 0, true);
        a.parts[facing + kBodySpecial] = BodyPart(act, facing, cast, 0x1, 0, false);
        a.parts[facing + kBodyAttack] = BodyPart(act, facing, blow, 0x1, 0, false);
        a.parts[facing + kBodyCritical] = BodyPart(act, facing, blow, 0x1, 0x1, false);
        a.parts[facing + kBodySkill] = BodyPart(act, facing, cast, 0x1, 0, false);
    }
    return a;
}

// An effect that raises 0x1 on its second frame and ends after its third.
ActProgram EffectAct(u32 act) {
    ActProgram a;
    a.name = "effect" + std::to_string(act);
    for (int k = 0; k < 2; ++k)
        a.parts[k] = ActWords()
                         .Rf(static_cast<u16>(act))
                         .Xy(24, 24)
                         .Sd(0)
                         .Pa(0)
                         .Ed()
                         .Cmd(kActAT, {0x1})
                         .Pa(1)
                         .Ed()
                         .Pa(2)
                         .Ed()
                         .O2()
                         .words;
    return a;
}

// The capture animation: its frames last 15 ticks, 0x1 on the second, so a
// captured enemy has shrunk away before it ends.
ActProgram CaptureAct() {
    ActProgram a;
    a.name = "capture";
    a.parts[0] = ActWords()
                     .Rf(kCaptureAct)
                     .Xy(24, 24)
                     .Sd(14)
                     .Pa(0)
                     .Ed()
                     .Cmd(kActAT, {0x1})
                     .Pa(1)
                     .Ed()
                     .Pa(2)
                     .Ed()
                     .O2()
                     .words;
    return a;
}

u16 PanelColour(u32 act, int frame) {
    return static_cast<u16>((act * 7 + 0x1863 * (frame + 3)) & 0xFFFF) | 0x0020;
}

// The bar act's picture: one frame per look, plainly coloured but the face. The command
// panel (frame 7) names its two number rows: the battle draws them at size 12
// from x 120, y 60 and 74, six pixels a character; "HP" and "MP" stand in the
// column of the panel's "狀態" (x 98) and end ten pixels before them.
constexpr i32 kFaceMembers = 8;
constexpr u32 kFaceForms = 3;
constexpr u16 kFormPanelFrame = 9 + kFaceMembers + kFaceForms;

ArchivePicture BarPicture() {
    ArchivePicture p;
    p.name = "bars";
    int k = 0;
    // The plate (frame 0) lies half blended on the field and carries the light
    // digits over the gauge (frame 2, two rows above the digits) and the HP and
    // MP bars (frames 3 and 4): all of them dark but the gauge.
    using figures::Rgb;
    const u16 looks[9] = {Rgb(2, 2, 5),   PanelColour(kBarAct, 1), Rgb(31, 26, 6),
                          Rgb(3, 12, 4),  Rgb(3, 6, 18),           PanelColour(kBarAct, 5),
                          Rgb(31, 26, 6), kPortraitBackdrop,       kPortraitBackdrop};
    for (const PanelFrame& pf : kPanelFrames) {
        ArchiveFrame f;
        f.w = pf.w;
        f.h = pf.h;
        f.pixels.assign(static_cast<size_t>(f.w) * f.h, looks[k++]);
        p.frames.push_back(f);
    }
    // A member's command panel: its name and "狀態" white on the dark top, its
    // black numbers on a light band from y 56; a form's (the last frame) dark
    // throughout under its white numbers.
    ArchiveFrame form = p.frames[7];
    ArchiveFrame& member = p.frames[7];
    constexpr u16 kBand = Rgb(29, 28, 23), kInk = Rgb(2, 2, 4);
    for (i32 y = 56; y < member.h - 2; ++y)
        for (i32 x = 92; x < member.w - 2; ++x)
            member.pixels[static_cast<size_t>(y) * member.w + x] = kBand;
    DrawCaptionInk(&member, "HP", 12, 98, 60, kInk, kBand);
    DrawCaptionInk(&member, "MP", 12, 98, 74, kInk, kBand);
    DrawCaptionAt(&form, "HP", 12, 98, 60);
    DrawCaptionAt(&form, "MP", 12, 98, 74);
    // The command panel's faces: a stranger's (frame 8), each member's
    // (frames 9 + role) and each form's figure (frames 9 + kFaceMembers + form).
    const i32 w = p.frames[8].w, h = p.frames[8].h;
    p.frames[8] = PortraitFigure(w, h, -1, kPortraitBackdrop, kPortraitRim);
    for (i32 role = 0; role < kFaceMembers; ++role)
        p.frames.push_back(PortraitFigure(w, h, role, kPortraitBackdrop, kPortraitRim));
    for (u32 form = 0; form < kFaceForms; ++form)
        p.frames.push_back(
            MonsterPortraitFigure(w, h, FormMonster(form), kPortraitBackdrop, kPortraitRim));
    p.frames.push_back(form);  // frame kFormPanelFrame
    return p;
}

std::vector<u16> FramePart(u16 pic, u16 frame) {
    return ActWords().Rf(pic).Xy(0, 0).Pa(frame).Ed().Ov().words;
}

ActProgram BarAct() {
    ActProgram a;
    a.name = "bars";
    for (u16 action = 0; action <= 6; ++action) a.parts[action] = FramePart(kBarAct, action);
    a.parts[10] = FramePart(kBarAct, 7);
    a.parts[40] = FramePart(kBarAct, kFormPanelFrame);
    // A member's face is action 11 + role, a form's 20 + form; any other a stranger's.
    for (u16 action = 11; action <= 39; ++action) {
        u16 frame = 8;
        if (action < 11 + kFaceMembers)
            frame = static_cast<u16>(9 + action - 11);
        else if (action >= 20 && action < 20 + kFaceForms)
            frame = static_cast<u16>(9 + kFaceMembers + action - 20);
        a.parts[action] = FramePart(kBarAct, frame);
    }
    return a;
}

// The digits 0-9 and the slash, three columns by five rows (bit 2 the left
// column), light on a clear frame with a clear column after them: the number
// rows of a fighter's panel lie five pixels apart, and these stand out on its
// dark bars and plate.
constexpr u8 kDigitRows[11][5] = {{7, 5, 5, 5, 7}, {2, 6, 2, 2, 7}, {7, 1, 7, 4, 7},
                                  {7, 1, 3, 1, 7}, {5, 5, 7, 1, 1}, {7, 4, 7, 1, 7},
                                  {7, 4, 7, 5, 7}, {7, 1, 1, 2, 2}, {7, 5, 7, 5, 7},
                                  {7, 5, 7, 1, 7}, {1, 1, 2, 4, 4}};

ArchivePicture DigitFrames() {
    constexpr u16 kKey = 619, kInk = 0x7FFF;
    ArchivePicture p;
    p.name = "digits";
    for (const auto& rows : kDigitRows) {
        ArchiveFrame f;
        f.w = kDigitW;
        f.h = kDigitH;
        f.pixels.assign(static_cast<size_t>(kDigitW) * kDigitH, kKey);
        for (i32 y = 0; y < kDigitH; ++y)
            for (i32 x = 0; x < 3; ++x)
                if (rows[y] >> (2 - x) & 1) f.pixels[static_cast<size_t>(y) * kDigitW + x] = kInk;
        p.frames.push_back(f);
    }
    return p;
}

ActProgram DigitAct() {
    ActProgram a;
    a.name = "digits";
    for (u16 d = 0; d <= 10; ++d) a.parts[d] = FramePart(kDigitAct, d);
    return a;
}

}  // namespace

void AddSampleFighterPictures(std::map<u32, ArchivePicture>* pics) {
    for (u32 act : SampleBodyActs()) (*pics)[act] = BodyFrames(act);
    for (u32 act : SampleEffectActs()) {
        // Skills and thrown items flash as stars in a colour of their own.
        ArchivePicture p;
        p.name = "effect" + std::to_string(act);
        for (int k = 0; k < 3; ++k) p.frames.push_back(BurstFigure(BodyColour(act, 0) & 0x7FFF, k));
        (*pics)[act] = p;
    }
    (*pics)[kBarAct] = BarPicture();
    (*pics)[kDigitAct] = DigitFrames();
}

void AddSampleFighterActs(std::map<u32, ActProgram>* acts) {
    for (u32 act : SampleBodyActs()) (*acts)[act] = BodyAct(act);
    for (u32 act : SampleEffectActs()) (*acts)[act] = EffectAct(act);
    (*acts)[kCaptureAct] = CaptureAct();
    (*acts)[kBarAct] = BarAct();
    (*acts)[kDigitAct] = DigitAct();
}

std::vector<u32> SampleBodyActs() {
    std::vector<u32> out;
    for (u32 r = 0; r < 8; ++r)
        for (u32 look = 0; look < 16; ++look) out.push_back(1000 + 100 * r + look);
    for (i32 id = 0; id <= sample::kBoss; ++id) out.push_back(MonsterBodyAct(id));
    return out;
}

std::vector<u32> SampleEffectActs() {
    std::vector<u32> out = {7301, 7302, 7303};
    for (i32 id = sample::kSacrificeStrike; id <= sample::kSummonThunder; ++id)
        out.push_back(static_cast<u32>(7400 + id));
    return out;
}
