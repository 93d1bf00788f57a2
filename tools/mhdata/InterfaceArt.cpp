// Interface acts drawn in flat colours for the sample game, the portraits drawn.
#include "mhdata/InterfaceArt.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <utility>
#include <vector>

#include "platform/TextCodec.h"
#include "engine/GrpFont.h"
#include "engine/Tsw.h"
#include "mhdata/Archives.h"
#include "mhdata/FileOut.h"
#include "mhdata/SampleBattle.h"
#include "mhdata/SampleFigures.h"
#include "mhdata/SampleIcons.h"
#include "mhdata/SampleShop.h"

const InterfaceActInfo kInterfaceActs[] = {
    {9002, 22},  {9102, 1},  {9104, 1},  {9900, 61}, {9901, 45}, {9902, 50},
    {9904, 45},  {9906, 14}, {9908, 1},  {9004, 11}, {9005, 58}, {9006, 12},
    {9007, 23},  {9010, 8},  {9051, 2},  {9041, 10}, {9042, 11}, {9012, 211},
    {9013, 211}, {9016, 3},  {9907, 42}, {9903, 28},
};
const int kInterfaceActCount = sizeof(kInterfaceActs) / sizeof(kInterfaceActs[0]);

namespace {
constexpr u16 kKeyA = 619, kKeyB = 12703;
// The offering page's ornament control, where its whole-screen overlay hangs.
constexpr i16 kOrnamentX = 220, kOrnamentY = 40;

bool IsFullScreen(u32 act, u32 action) {
    switch (act) {
        case 9002:
            return (action >= 1 && action <= 3) || action >= 15;
        case 9104:
        case 9908:
            return true;
        case 9900:
            return action == 0 || action == 48;  // the items and equipment pages' backgrounds
        case 9906:
        case 9903:
            return action == 0;
        case 9904:
            return action == 4 || action == 5 || action == 20 || action == 29;
        default:
            return false;
    }
}
}  // namespace

namespace {
// Boxes that carry text have colours chosen for it: the dark texts (black,
// blue, dark red) stand on a light paper, the white titles and buttons on a
// dark band of the same box, highlights under dark text are pale, under white
// text deep. The band covers rows [bandTop, bandBottom) of the frame.
constexpr u16 kPaper = figures::Rgb(29, 28, 23), kDeep = figures::Rgb(3, 6, 13),
              kPale = figures::Rgb(31, 27, 13), kNight = figures::Rgb(5, 5, 11),
              kLit = figures::Rgb(8, 14, 28);
struct TextBox {
    u32 act, first, last;
    u16 body;
    i32 bandTop, bandBottom;
};
constexpr TextBox kTextBoxes[] = {
    {9907, 34, 35, kPaper, 104, 146},  // the quantity box, its buttons on the band
    {9907, 22, 23, kPaper, 0, 42},     // the buy and sell lists' panel under its title
    {9907, 12, 13, kPaper, 0, 42},     // the strengthening lists under their titles
    // The menu pages' list area and the chooser's: paper below a clear band,
    // which each page's own backdrop fills under its title (see PaintShape).
    {9900, 2, 2, kPaper, 0, 0},
    {9900, 4, 4, kPaper, 0, 0},
    {9907, 16, 16, kPale, 0, 0},  // row highlights under black names
    {9907, 24, 24, kPale, 0, 0},
    {9900, 6, 6, kPale, 0, 0},
    {9902, 48, 48, kPale, 0, 0},  // the offering and transformation pages' marked forms
    {9903, 1, 1, kPale, 0, 0},
    {9907, 9, 11, kNight, 0, 0},  // the list screens' backgrounds: white and pale texts
    {9904, 2, 2, kLit, 0, 0},     // button highlights under white captions
    {9900, 5, 5, kLit, 0, 0},     // the system list's row marker
    // The title's first button, plain and lit: deep enough to stay apart from
    // every title picture when the quick load greys the title behind its notice.
    {9002, 7, 7, figures::Rgb(2, 12, 6), 0, 0},
    {9002, 8, 8, figures::Rgb(4, 20, 10), 0, 0},
};

const TextBox* TextBoxOf(u32 act, u32 action) {
    for (const TextBox& b : kTextBoxes)
        if (b.act == act && action >= b.first && action <= b.last) return &b;
    return nullptr;
}

// The marks of the formation's places: a rim round the portrait, clear inside.
bool IsPlaceMark(u32 act, u32 action) {
    return act == 9904 && (action == 30 || action == 31);
}
}  // namespace

u16 InterfaceColor(u32 act, u32 action) {
    if (const TextBox* b = TextBoxOf(act, action)) return b->body;
    if (IsPlaceMark(act, action))
        return action == 31 ? figures::Rgb(31, 26, 4) : figures::Rgb(20, 20, 24);
    u16 v = static_cast<u16>(((act % 97) * 613 + action * 37 + 1) & 0x7FFF);
    while (v == 0 || v == kKeyA || v == kKeyB) v = static_cast<u16>((v + 1) & 0x7FFF);
    return v;
}

void InterfaceFrameSize(u32 act, u32 action, i32* w, i32* h) {
    *w = 96;
    *h = 32;
    if (act == 9907) return ShopFrameSize(action, w, h);
    if (IsFullScreen(act, action)) {
        *w = 640;
        *h = 480;
    } else if (act == 9002 && action >= 4 && action <= 6) {
        *w = 300;
        *h = 120;
    } else if (act == 9002 && action >= 7 && action <= 14) {
        *w = 140;  // title buttons: the cursor point (145 + 150k, 440) lies inside
        *h = 50;
    } else if (act == 9902 && (action == 0 || action == 49)) {
        // The offering page's backdrop (the chooser's shadow) and its overlay.
        *w = 640;
        *h = 480;
    } else if (act == 9902 && action >= 8 && action <= 27) {
        *w = 150;  // a form's large picture, above its name at (45, 197)
        *h = 140;
    } else if (act == 9902 && action >= 28 && action <= 47) {
        *w = 88;  // a form slot's picture, left of the slot's name (94 pixels on)
        *h = 20;
    } else if (act == 9903 && action >= 8 && action <= 27) {
        *w = 52;  // a list row's form picture, left of the row's name (58 pixels on)
        *h = 20;
    } else if ((act == 9902 && action == 48) || (act == 9903 && action == 1) ||
               (act == 9900 && action == 6)) {
        *w = act == 9902 ? 190 : 142;  // row highlights: one row high, under the row's text
        *h = 22;
    } else if ((act == 9900 && (action == 7 || (action >= 12 && action <= 15))) ||
               (act == 9902 && action >= 3 && action <= 7)) {
        *w = 16;  // list arrows and thumbs
        *h = 14;
    } else if (act == 9051) {
        *w = 30;  // the save tool's page arrows fill their 30-pixel hit squares
        *h = 30;
    } else if (act == 9007 && action == 22) {
        *w = 8;  // the swimming scene's progress mark on its 200-pixel way
        *h = 16;
    } else if (act == 9900 && action >= 50 && action <= 57) {
        *w = 110;  // the equipment page's portraits (placed by InterfaceHotSpot)
        *h = 140;
    } else if (act == 9902 && (action == 1 || action == 2)) {
        *w = 404;  // the offering page's form panel covers its six slots
        *h = 84;
    } else if (act == 9901) {
        // Item-type icons end before the names 22 pixels on; status icons.
        using namespace sample_icons;
        const bool status = action >= 30 && action < 30 + kStatusIconCount;
        *w = status ? kStatusIconW : kItemIconSide;
        *h = status ? kStatusIconH : kItemIconSide;
    } else if (act == 9900 && (action == 2 || action == 4)) {
        *w = 170;  // the list area over the side column
        *h = 290;
    } else if (act == 9900 && action >= 24 && action <= 39) {
        *w = 48;  // party slots hold their cursor spots
        *h = 48;
    } else if (act == 9102) {
        *w = 16;
        *h = 16;
    } else if (act == 9900 && action == 5) {
        *w = 164;  // the system list's row marker: a whole 40-pixel row of the panel
        *h = 36;
    } else if (act == 9900 && (action == 1 || action == 3)) {
        *w = 180;  // the system menu's row panel covers its six rows
        *h = 300;
    } else if (act == 9904 && action >= 8 && action <= 10) {
        // The two buttons under the slot, quest and settings screens (at x 185
        // and 313, y 420): each holds its caption of size 20, 20 pixels in
        // from its left and 15 down, up to four characters wide.
        *w = 120;
        *h = 50;
    } else if (act == 9904 && action <= 3 && action != 2) {
        *w = 200;  // question box and prompt button: both halves and their band inside
        *h = 100;
    } else if (act == 9904 && action == 43) {
        *w = 200;  // the quick save and load notices' box: its text starts at (240, 247)
        *h = 90;
    } else if (act == 9904 && (action == 40 || action == 41)) {
        *w = 424;  // the quest list panel
        *h = 364;
    } else if ((act == 9904 && action >= 32 && action <= 39) || IsPlaceMark(act, action)) {
        *w = 114;  // formation portraits fill a place
        *h = 100;
    } else if (act == 9906 && action >= 10 && action <= 13) {
        *w = 16;  // slider arrows stay clear of the bar between them
        *h = 14;
    } else if (act == 9906 && (action == 2 || action == 4)) {
        *w = 28;  // choice boxes and their tick
        *h = 16;
    } else if (act == 9906 && action == 7) {
        *w = 190;
        *h = 14;
    } else if (act == 9900 && action >= 16 && action <= 23) {
        *w = 44;
        *h = 40;
    } else if (act == 9004) {
        *w = action == 10 ? 6 : 12;  // countdown digits and the colon
        *h = 16;
    } else if (act == 9005) {
        *w = 16;  // dialogue frames and caption plates are tiled over their boxes; the birds
        *h = action >= 52 ? 8 : 16;
    } else if (act == 9041) {
        *w = 440;  // the load screen's picture, one per tenth of the way
        *h = 300;
    } else if (act == 9042) {
        *w = action == 0 ? 540 : 54 * static_cast<i32>(action);  // the bar, then k tenths of it
        *h = 24;
    } else if (act == 9012 || act == 9013) {
        *w = act == 9012 ? 96 : 10;  // name markers, one per box size
        *h = act == 9012 ? 28 : 14;
    } else if (act == 9016) {
        *w = 640;  // talk balloons along the top: one line, then two
        *h = action == 2 ? 60 : 40;
    } else if (act == 9006) {
        *w = 24;  // map-screen icons
        *h = 24;
    }
}

const char* InterfaceCaption(u32 act, u32 action, int* size) {
    // The title's buttons, normal and under the mouse (actions 7 to 14).
    static const char* const kTitle[4] = {"新遊戲", "讀取進度", "系統設定", "離開遊戲"};
    // The menu pages' tabs (9900, two actions each) and the map's HUD icons (9006).
    static const char* const kTabs[4] = {"物品", "特技", "快取", "系統"};
    static const char* const kHud[4] = {"物", "技", "快", "系"};
    if (act == 9002 && action >= 7 && action <= 14) {
        *size = 20;
        return kTitle[(action - 7) / 2];
    }
    if (act == 9900 && action >= 16 && action <= 23) {
        *size = 16;
        return kTabs[(action - 16) / 2];
    }
    if (act == 9006 && action <= 3) {
        *size = 16;
        return kHud[action];
    }
    if (act == 9051 && action <= 1) {
        *size = 16;  // the save tool's arrows: back a page at the top, on at the bottom
        return action == 0 ? "▲" : "▼";
    }
    // The shop's tabs (9907, actions 1..4 normal, 5..8 the current side).
    static const char* const kShopTabs[4] = {"買", "賣", "強化", "離開"};
    if (act == 9907 && action >= 1 && action <= 8) {
        *size = 16;
        return kShopTabs[(action - 1) % 4];
    }
    return nullptr;
}

void InterfaceHotSpot(u32 act, u32 action, i16* x, i16* y) {
    *x = *y = 0;
    if (act == 9900 && action >= 50 && action <= 57) {
        // The equipment page puts its portrait control at (0, 0), under the
        // hint line: the picture stands right of the ability numbers instead.
        *x = -240;
        *y = -60;
    }
    if (act == 9902 && action == 49) {
        // The offering page's overlay is a whole screen; its control stands
        // at the ornament's place (220, 40).
        *x = kOrnamentX;
        *y = kOrnamentY;
    }
}

namespace {
// The stat names of a member panel beside the numbers the page draws: the
// numbers are "%10d" from x (0 or 90) and end at x + 80, so a name of at most
// two characters of 12 pixels at x + 30 stays clear of a three-digit value.
using StatRow = std::pair<i16, std::pair<const char*, const char*>>;
void StatRows(std::vector<PanelLabel>* out, u32 act, u32 action, i16 left, i16 pitch,
              std::initializer_list<StatRow> rows) {
    for (const auto& [y, names] : rows) {
        for (int side = 0; side < 2; ++side) {
            const char* t = side ? names.second : names.first;
            if (!t) continue;
            const bool one = std::string(t).size() == 3;  // one character (UTF-8)
            out->push_back({act, action, static_cast<i16>(left + pitch * side + (one ? 5 : 0)),
                            static_cast<i16>(y + (one ? 1 : 2)), t, one ? 14 : 12});
        }
    }
}

// The nine abilities and eight ratios in the two columns every panel uses.
constexpr StatRow kAbilityRows[] = {{0, {"攻擊", "防禦"}},
                                    {22, {"命中", "迴避"}},
                                    {44, {"力量", "耐力"}},
                                    {66, {"魔力", "精神"}},
                                    {88, {"敏捷", nullptr}}};
constexpr StatRow kRatioRows[] = {
    {0, {"火", "水"}}, {22, {"風", "土"}}, {44, {"電", "毒"}}, {66, {"光", "闇"}}};

// The ability rows from y, then the ratio rows from ratioY.
void AbilityPanel(std::vector<PanelLabel>* out, u32 act, u32 action, i16 left, i16 pitch, i16 y,
                  i16 ratioY) {
    for (StatRow r : kAbilityRows)
        StatRows(out, act, action, left, pitch, {{y + r.first, r.second}});
    for (StatRow r : kRatioRows)
        StatRows(out, act, action, left, pitch, {{ratioY + r.first, r.second}});
}

std::vector<PanelLabel> MakePanelLabels() {
    std::vector<PanelLabel> v;
    // The items page and both skill pages (9900/0): the member panel.
    v.push_back({9900, 0, 120, 87, "等級", 12});
    v.push_back({9900, 0, 44, 115, "HP", 16});
    v.push_back({9900, 0, 44, 145, "MP", 16});
    v.push_back({9900, 0, 40, 176, "經驗", 14});
    v.push_back({9900, 0, 40, 206, "下一級", 14});
    v.push_back({9900, 0, 40, 236, "狀態", 14});
    StatRows(&v, 9900, 0, 30, 90,
             {{263, {"攻擊", "防禦"}},
              {285, {"力量", "耐力"}},
              {307, {"魔力", "精神"}},
              {329, {"敏捷", nullptr}}});
    for (StatRow r : kRatioRows) StatRows(&v, 9900, 0, 30, 90, {{363 + r.first, r.second}});
    // The equipment page (9900/48): the seventeen abilities and the six slots.
    v.push_back({9900, 48, 120, 77, "等級", 12});
    AbilityPanel(&v, 9900, 48, 30, 90, 98, 218);
    const char* slots[6] = {"武器", "盾牌", "帽子", "鎧甲", "飾品1", "飾品2"};
    for (int k = 0; k < 6; ++k)
        v.push_back({9900, 48, 60, static_cast<i16>(327 + 24 * k), slots[k], 12});
    // The sell list (9907/10) and the strengthening screen (9907/11): the
    // detail panel, its numbers at x 215 and 310 (65 and 160 on the latter).
    AbilityPanel(&v, 9907, 10, 179, 95, 205, 323);
    AbilityPanel(&v, 9907, 11, 29, 95, 205, 323);
    // The buy list's comparison picture (9907/40, at 19 of a member's panel):
    // the attack and defence changes stand 26 and 81 pixels into it.
    v.push_back({9907, 40, 1, 10, "攻擊", 12});
    v.push_back({9907, 40, 55, 10, "防禦", 12});
    // The offering page (its overlay 9902/49): a form's attack, defence, hit rate, evasion
    // and ratios, numbers from x -6 and 90.
    StatRows(&v, 9902, 49, 20, 96, {{235, {"攻擊", "防禦"}}, {257, {"命中", "迴避"}}});
    for (StatRow r : kRatioRows) StatRows(&v, 9902, 49, 20, 96, {{279 + r.first, r.second}});
    // The transformation page (9903/0): a form's values from x 215 and 311,
    // and a heading over its skill rows.
    AbilityPanel(&v, 9903, 0, 245, 96, 80, 197);
    v.push_back({9903, 0, 200, 296, "技能", 16});
    return v;
}
}  // namespace

const std::vector<PanelLabel>& PanelLabels() {
    static const std::vector<PanelLabel> labels = MakePanelLabels();
    return labels;
}

namespace {
constexpr u32 kSysArchive = 3;
constexpr u16 kCaptionInk = 0x7FFF, kCaptionShadow = 0x0842;
// Interface pictures live beside the sample's own: picture 1000 + act. The
// countdown digits, the dialogue act, the icon act, the swimming scene's
// progress mark, the name markers, the talk balloons and the save tool's page
// arrows keep their own numbers: their screens also draw them as pictures by
// that number.
u32 PictureOf(u32 act) {
    bool own =
        (act >= 9004 && act <= 9007) || act == 9012 || act == 9013 || act == 9016 || act == 9051;
    return own ? act : act + 1000;
}
}  // namespace

void DrawCaptionAt(ArchiveFrame* f, const char* utf8, int size, int x, int y) {
    DrawCaptionInk(f, utf8, size, x, y, kCaptionInk, kCaptionShadow);
}

void DrawCaptionInk(ArchiveFrame* f, const char* utf8, int size, int x, int y, u16 ink,
                    u16 shadow) {
    cGrpFont font;
    if (!font.Init(f->w, f->h) || !font.SetFont(B5("細明體"), size)) return;
    font.SetAdvance(size);
    font.SetShadowColor(shadow);
    std::string text = Utf8ToBig5(utf8);
    if (x < 0) x = (f->w - font.TextWidth(text.c_str())) / 2;
    font.DrawString(f->pixels.data(), x, y, text.c_str(), ink, kStyleShadow);
}

namespace {
// A caption centred into a frame.
void DrawCaption(ArchiveFrame* f, const char* utf8, int size) {
    DrawCaptionAt(f, utf8, size, -1, (f->h - size) / 2);
}

// The portraits among the interface pictures: the menu pages' party slots
// (9900/24 + 2 role, lit when chosen), the member panel's small and the
// equipment page's large portraits on a night blue; the formation's and the
// shop's portraits (9904/32 + role) and the forms' large pictures (9902/8 +
// form: the fire god, the ice demon, the thunder god) on their flat colour.
bool DrawPortrait(u32 act, u32 a, ArchiveFrame* f) {
    constexpr u16 kRim = kPortraitRim, kLitRim = figures::Rgb(31, 27, 8);
    const u16 back = act == 9900 ? kPortraitBackdrop : InterfaceColor(act, a);
    i32 role = -1;
    bool lit = false;
    if (act == 9900 && a >= 24 && a <= 39) {
        role = static_cast<i32>(a - 24) / 2;
        lit = (a & 1) != 0;
    } else if (act == 9900 && a >= 40 && a <= 57 && a != 48 && a != 49) {
        role = static_cast<i32>(a < 48 ? a - 40 : a - 50);
    } else if (act == 9904 && a >= 32 && a <= 39) {
        role = static_cast<i32>(a - 32);
    } else if (act == 9902 && a >= 8 && a <= 27) {
        *f = MonsterPortraitFigure(f->w, f->h, FormMonster(a - 8), back, kRim);
        return true;
    } else {
        return false;
    }
    *f = PortraitFigure(f->w, f->h, role, lit ? figures::Shade(back, 5) : back,
                        lit ? kLitRim : kRim);
    return true;
}

// The title's second picture (9002/4..6, at (5, 90)): the game's name on a
// night-blue plate with a gold rim. The title's backgrounds (1..3) are drawn
// over it, so each leaves its place clear.
bool DrawTitleName(u32 act, u32 a, ArchiveFrame* f) {
    if (act != 9002 || a < 1 || a > 6) return false;
    if (a <= 3) {
        for (i32 y = 90; y < 90 + 120; ++y)
            std::fill_n(f->pixels.begin() + y * f->w + 5, 300, kKeyA);
        return true;
    }
    *f = figures::Blank(f->w, f->h, figures::Rgb(3, 4, 12));
    for (i32 k = 0; k < 3; ++k) {
        const u16 rim = k == 1 ? figures::Rgb(31, 26, 10) : figures::Rgb(18, 14, 4);
        figures::Box(*f, k, k, f->w - 2 * k, 1, rim);
        figures::Box(*f, k, f->h - 1 - k, f->w - 2 * k, 1, rim);
        figures::Box(*f, k, k, 1, f->h - 2 * k, rim);
        figures::Box(*f, f->w - 1 - k, k, 1, f->h - 2 * k, rim);
    }
    DrawCaptionAt(f, "月 港", 48, -1, 14);
    DrawCaptionAt(f, "MOONHARBOR", 16, -1, 84);
    return true;
}

// The birds crossing the map (9005/52..57): wings up while climbing, spread
// while level, down while falling; the odd actions fly right.
bool DrawBird(u32 act, u32 a, ArchiveFrame* f) {
    if (act != 9005 || a < 52 || a > 57) return false;
    *f = BirdFigure(static_cast<i32>(a - 52) / 2, (a & 1) != 0);
    return true;
}

// The quest log's row icons (9904/21..28): a paper scroll, rolled at both ends.
bool DrawQuestScroll(u32 act, u32 a, ArchiveFrame* f) {
    if (act != 9904 || a < 21 || a > 28) return false;
    using namespace figures;
    constexpr u16 kPaperLight = Rgb(29, 26, 19), kRoll = Rgb(22, 16, 8), kLine = Rgb(12, 9, 6);
    *f = Blank(f->w, f->h);
    Box(*f, 8, 6, f->w - 16, f->h - 12, kPaperLight);
    for (i32 x : {4, f->w - 10}) {
        Box(*f, x, 3, 6, f->h - 6, kRoll);
        Box(*f, x + 1, 3, 2, f->h - 6, Shade(kRoll, 5));
    }
    for (i32 y = 11; y < f->h - 8; y += 4) Box(*f, 16, y, f->w - 32, 1, kLine);
    return true;
}

// The item-type icons (9901/0..28) and the status icons (9901/30..44).
bool DrawIcon(u32 act, u32 a, ArchiveFrame* f) {
    using namespace sample_icons;
    if (act != 9901) return false;
    if (a < kItemIconCount) *f = ItemIconFigure(static_cast<i32>(a));
    if (a >= 30 && a < 30 + kStatusIconCount) *f = StatusIconFigure(static_cast<i32>(a) - 30);
    return true;
}

// The battle cursor while nobody can be commanded (9102).
bool DrawBattleCursor(u32 act, ArchiveFrame* f) {
    if (act != 9102) return false;
    *f = sample_battle::CursorLook(act);
    return true;
}

void Fill(ArchiveFrame* f, i32 x0, i32 y0, i32 x1, i32 y1, u16 c) {
    for (i32 y = std::max(y0, 0); y < std::min(y1, f->h); ++y)
        for (i32 x = std::max(x0, 0); x < std::min(x1, f->w); ++x)
            f->pixels[static_cast<size_t>(y) * f->w + x] = c;
}

// The offering page's backdrop (act 9902 action 0), which the item chooser
// lays over the map in black: only the shadow of the list and its arrow
// column, cast down and right; the page's own parts are in its overlay.
void PaintOfferingBackdrop(ArchiveFrame* f) {
    using namespace list_art;
    Fill(f, 0, 0, f->w, f->h, kKeyA);
    const i32 d = kListShadow;
    Fill(f, kListX + d, kListY + kListBand + d, kArrowX + d, kListY + kListH + d, kNight);
    Fill(f, kArrowX + d, kArrowTop + d, kArrowX + kArrowW + d, kArrowBottom + d, kNight);
}

// The offering page's overlay (act 9902 action 49, hung on the ornament's
// control): a frame round the left of the page, the panel under the form's
// values (their names are panel labels), the ornament before the offering
// value and the dark band under the page's title over the monster list.
void PaintOfferingOverlay(ArchiveFrame* f) {
    using namespace list_art;
    Fill(f, 0, 0, f->w, f->h, kKeyA);
    Fill(f, 0, 0, 440, 480, InterfaceColor(9902, 0));
    Fill(f, 6, 6, 434, 474, kKeyA);
    Fill(f, 10, 226, 204, 366, kNight);
    Fill(f, kListX, kListY, kListX + kListW, kListY + kListBand, kDeep);
    constexpr i32 kW = 96, kH = 32;
    ArchiveFrame ornament = figures::Blank(kW, kH, InterfaceColor(9902, 49));
    DrawCaptionAt(&ornament, "供奉值", 16, -1, (kH - 16) / 2);
    for (i32 y = 0; y < kH; ++y)
        for (i32 x = 0; x < kW; ++x)
            f->pixels[static_cast<size_t>(kOrnamentY + y) * f->w + kOrnamentX + x] =
                ornament.pixels[static_cast<size_t>(y) * kW + x];
}

// The dark band of a text box; the clear inside of a place mark; the list
// area's clear band, dark on the backdrops and side columns of the pages
// that title their list there, the map itself over the item chooser, which
// has no title; the offering page's pictures; the settings page's paper.
void PaintShape(u32 act, u32 a, ArchiveFrame* f) {
    using namespace list_art;
    if (const TextBox* b = TextBoxOf(act, a)) Fill(f, 0, b->bandTop, f->w, b->bandBottom, kDeep);
    if (IsPlaceMark(act, a)) Fill(f, 3, 3, f->w - 3, f->h - 3, kKeyA);
    if (act == 9900 && (a == 2 || a == 4)) Fill(f, 0, 0, f->w, kListBand, kKeyA);
    if ((act == 9900 || act == 9903) && a == 0)
        Fill(f, kListX, kListY, kListX + kListW, kListY + kListBand, kDeep);
    // The side column under a page's list (or its system rows) titles itself
    // on the same band.
    if (act == 9900 && (a == 1 || a == 3)) Fill(f, 0, 0, f->w, kListBand, kDeep);
    if (act == 9902 && a == 0) PaintOfferingBackdrop(f);
    if (act == 9902 && a == 49) PaintOfferingOverlay(f);
    if (act == 9906 && a == 0) {
        // The settings page: its dark labels and brown key names stand on a
        // paper panel in a rim; the right side stays dark under the white
        // title, money and play time.
        Fill(f, 18, 62, 430, 414, figures::Rgb(18, 14, 8));
        Fill(f, 21, 65, 427, 411, kPaper);
    }
}

ArchivePicture InterfacePicture(const InterfaceActInfo& info) {
    ArchivePicture p;
    p.name = "ui" + std::to_string(info.act);
    for (u32 a = 0; a < info.actions; ++a) {
        ArchiveFrame f;
        InterfaceFrameSize(info.act, a, &f.w, &f.h);
        f.pixels.assign(static_cast<size_t>(f.w) * f.h, InterfaceColor(info.act, a));
        PaintShape(info.act, a, &f);
        DrawPortrait(info.act, a, &f);
        DrawTitleName(info.act, a, &f);
        DrawBird(info.act, a, &f);
        DrawBattleCursor(info.act, &f);
        DrawIcon(info.act, a, &f);
        DrawQuestScroll(info.act, a, &f);
        int size = 0;
        if (const char* caption = InterfaceCaption(info.act, a, &size))
            DrawCaption(&f, caption, size);
        for (const PanelLabel& l : PanelLabels())
            if (l.act == info.act && l.action == a) DrawCaptionAt(&f, l.text, l.size, l.x, l.y);
        p.frames.push_back(std::move(f));
    }
    return p;
}

ActProgram InterfaceAct(const InterfaceActInfo& info) {
    ActProgram a;
    a.name = "ui" + std::to_string(info.act);
    u16 pic = static_cast<u16>(PictureOf(info.act));
    for (u32 k = 0; k < info.actions; ++k) {
        i16 x = 0, y = 0;
        InterfaceHotSpot(info.act, k, &x, &y);
        a.parts[static_cast<i32>(k)] =
            ActWords().Rf(pic).Xy(x, y).Sd(0).Pa(static_cast<u16>(k)).Ed().Ov().words;
    }
    return a;
}

}  // namespace

bool WriteInterfaceArt(const std::string& root, std::string* error) {
    std::map<u32, ArchivePicture> pics;
    std::map<u32, ActProgram> acts;
    for (const auto& [n, p] : SamplePictures())
        if (n / kPicsPerArchive == kSysArchive) pics[n % kPicsPerArchive] = p;
    for (const auto& [n, a] : SampleActs())
        if (n / kPicsPerArchive == kSysArchive) acts[n % kPicsPerArchive] = a;
    for (int i = 0; i < kInterfaceActCount; ++i) {
        const InterfaceActInfo& info = kInterfaceActs[i];
        pics[PictureOf(info.act) % kPicsPerArchive] = InterfacePicture(info);
        ActProgram act = InterfaceAct(info);
        // The sample's own part 0 of an act stays (the title act's backdrop).
        auto old = acts.find(info.act % kPicsPerArchive);
        if (old != acts.end() && old->second.parts.count(0)) act.parts[0] = old->second.parts.at(0);
        acts[info.act % kPicsPerArchive] = std::move(act);
    }
    std::vector<u8> tsw = BuildTswArchive(pics, error);
    if (tsw.empty()) return false;
    std::string base = kPicArchiveNames[kSysArchive];
    for (char& c : base)
        if (c == '\\') c = '/';
    std::filesystem::path stem = std::filesystem::path(root) / base;
    return WriteBytesTo(stem.string() + ".tsw", tsw, error) &&
           WriteBytesTo(stem.string() + ".act", BuildActArchive(acts), error);
}
