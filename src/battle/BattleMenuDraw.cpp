// Drawing the command rings with their captions and numbers, and their lists.
#include <cstdio>

#include "platform/TextCodec.h"
#include "engine/GrpFont.h"
#include "engine/PicPaint.h"
#include "battle/BattleMenu.h"
#include "battle/BattleSide.h"
#include "battle/FighterDraw.h"

namespace {
constexpr u16 kWhite = 0xFFFF;

void Text(i32 x, i32 y, const char* big5, int size, int advance) {
    if (!gPaintBuf || !big5) return;
    UseBattleFont(size, advance);
    gMainFont.DrawString(gPaintBuf, x, y, big5, kWhite, kStylePlain);
}

void DrawIcon(ActPlayer& p, i32 x, i32 y) {
    DrawActAt(p.act, p.action, x, y);
}
}  // namespace

void cCommandMenu::Draw() {
    if (!current) return;
    if (gPartySide.creatureInControl) {
        DrawCreatureRing();
        list.Draw(true);
    } else {
        DrawMemberRing();
        list.Draw(false);
    }
}

void cCommandMenu::DrawMemberRing() {
    const i32 role = CommandRole(*current);
    if (role < 0) return;
    DrawActAt(kRingAct, 0, ringX, ringY);
    for (int k = 0; k < kRingRows; ++k) {
        const CommandRow& r = gCommandRows[role][k];
        const i32 action = r.frameBase + (r.enabled ? 0 : 2) + (k == row ? 1 : 0);
        DrawActAt(kRingAct, action, ringX, ringY);
    }
    Text(ringX + 50, ringY + 44, B5(gCommandRows[role][row].caption), 13, 16);
    DrawCommandPanel(*current, panelX, panelY);
}

void cCommandMenu::DrawCreatureRing() {
    static const char* const kCaptions[kCreatureRows] = {"攻擊", "防禦", "魔法", "解除"};
    DrawActAt(kCreatureRingAct, 20, ringX, ringY);
    DrawActAt(kCreatureRingAct, static_cast<i32>(current->pic), ringX + 132, ringY + 8);
    for (ActPlayer& p : creatureIcons) DrawIcon(p, ringX + 8, ringY + 2);
    Text(ringX + 89, ringY + 43, B5(kCaptions[row >= 0 && row < kCreatureRows ? row : 0]), 13, 16);
    char buf[32];
    std::snprintf(buf, sizeof(buf), "%2d", current->stats.OfferValue());
    Text(ringX + 122, ringY + 87, buf, 15, 15);
    std::snprintf(buf, sizeof(buf), "%4d/%4d", current->hp, current->maxHp);
    Text(ringX + 118, ringY + 107, buf, 12, 12);
    std::snprintf(buf, sizeof(buf), "%4d/%4d", current->mp, current->maxMp);
    Text(ringX + 203, ringY + 107, buf, 12, 12);
}
