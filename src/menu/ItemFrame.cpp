// cItemFrame: the item chooser a story script opens.
#include "menu/ItemFrame.h"

#include <algorithm>
#include <cstring>

#include "engine/DDraw.h"
#include "engine/MemDbg.h"
#include "engine/PicPaint.h"
#include "data/Config.h"
#include "data/GameData.h"
#include "data/KeyBindings.h"
#include "map/MapDraw.h"
#include "story/PartyCommands.h"
#include "story/Talk.h"
#include "ui/ActPic.h"
#include "ui/Control.h"
#include "ui/ScreenState.h"
#include "ui/UiInput.h"

namespace {
constexpr i32 kEdgeAct = 9902;
constexpr i32 kSilhouetteMode = 0x24;
constexpr size_t kCanvasBytes = 640 * 480 * 2;
constexpr ListPaneIds kIds = {kChooserListId, kChooserListId + 1, kChooserListId + 2,
                              kChooserListId + 3};
constexpr i32 kFirstHanded = 103, kLastHanded = 108;

void SetResult(u32 v) {
    gScriptVars[kChooserResultVar] = v;
}
}  // namespace

cItemFrame::cItemFrame(u32 m) : mode(static_cast<i32>(m)) {
    SetResult(0);
}

cItemFrame::~cItemFrame() {
    if (snapshot) MH_FREE(snapshot);
}

std::deque<i32> cItemFrame::BuildList(i32 m) {
    std::deque<i32> out;
    for (i32 id = 0; id < gItemCount; ++id) {
        const ItemData* rec = GetItemRecord(id);
        if (!rec || !gOwnedItems || gOwnedItems[id] <= 0 || rec->name[0] == 0) continue;
        if (m == 1 && (rec->icon < 12 || rec->icon > 15)) continue;
        out.push_back(id);
    }
    return out;
}

// The map as it stands with the black silhouette of the list's backdrop over it.
void cItemFrame::Freeze() {
    u8* locked = nullptr;
    if (gDrawSurface) {
        gPaintBuf = LockSurface(gDrawSurface);
        locked = reinterpret_cast<u8*>(gPaintBuf);
        UnlockSurface(gDrawSurface, nullptr);
    }
    if (locked) {
        DrawWorld();
        cActPic edge(kEdgeAct, 0);
        if (edge.frame && edge.frame->pixels) {
            u32 black = 0;
            gCurPic = edge.frame->pixels;
            PutPic(0, 0, edge.frame->width, edge.frame->height, kSilhouetteMode, &black);
        }
        snapshot = CopyCanvasPixels();
    }
    if (!snapshot) {
        snapshot = static_cast<u16*>(MH_ALLOC_ZERO(kCanvasBytes));
        if (!snapshot) return;
    }
    backdrop = new cControl(0, 0);
    backdrop->SetRlePic(snapshot, 640, 480, 1024);
}

void cItemFrame::Open() {
    InitFont(&font);
    SetupFont(&font, 15, 17, kNoFontBk, 0);
    Freeze();
    list.Make(kIds, &font);
    list.Fill(BuildList(mode));
    list.lastTop = 0;
    if (list.Count() == 0) {
        gFramePhase = 2;
        return;
    }
    focusRow = 0;
    if (gSmartMouse) gMouseInput.MoveCursor(580, 110);
}

void cItemFrame::Run() {
    HandleKeys();
    int j = cListPane::RowAt(gMouseInput.x, gMouseInput.y, 460, 609);
    if (gMouseInput.hoverId == kChooserListId && list.HasRow(j)) {
        focusRow = j;
        list.ShowBar(j);
    } else {
        list.HideBar();
    }
    if (gMouseInput.clickedId == kChooserListId) {
        gMouseInput.clickedId = 0;
        if (list.HasRow(j)) return ChooseRow(j);
    }
    if (gMouseInput.rightClick || gKeyInput.IsPressed(kKeyCancel)) {
        gMouseInput.rightClick = 0;
        PlayUISound(263);
        gFramePhase = 2;
        return;
    }
    list.scroll.Update();
    RefreshRows();
}

void cItemFrame::RefreshRows() {
    list.RefreshRows();
}

void cItemFrame::ChooseRow(int row) {
    gFramePhase = 2;
    if (!list.HasRow(row)) return;
    i32 item = list.ItemOfRow(row);
    const ItemData* rec = GetItemRecord(item);
    if (rec) CopyRecordText(gPickedItemName, sizeof(gPickedItemName), rec->name, sizeof(rec->name));
    if (mode != 1) return;
    if (item >= kFirstHanded && item <= kLastHanded) {
        SetResult(2);
        if (gOwnedItems[item] > 0) --gOwnedItems[item];
    } else {
        SetResult(1);
    }
}

void cItemFrame::HandleKeys() {
    MenuKey key = ReadMenuKey();
    int j = std::clamp(focusRow, 0, kListRows - 1);
    switch (key) {
        case MenuKey::Up:
        case MenuKey::Left:
            if (j > 0) {
                focusRow = j - 1;
            } else {
                list.ScrollBy(-1);
            }
            break;
        case MenuKey::Down:
        case MenuKey::Right:
        case MenuKey::Switch:
            if (j == kListRows - 1)
                list.ScrollBy(1);
            else if (list.top + j + 1 < list.Count())
                focusRow = j + 1;
            break;
        // A page moves the rows under the cursor, not the cursor.
        case MenuKey::PageUp:
            list.ScrollBy(-kListRows);
            return;
        case MenuKey::PageDown:
            list.ScrollBy(kListRows);
            return;
        default:
            return;
    }
    gMouseInput.MoveCursor(580, 110 + 24 * focusRow);
}

void cItemFrame::Close() {
    font.Release();
    ClearFrameObjects();
    backdrop = nullptr;
    list = cListPane{};
    gFrameId = kMapMode;
}
