// The battle keyboard's repeat rule and the battle cursor.
#include "battle/BattleKeys.h"

#include <cstring>

#include "engine/DInput.h"
#include "data/KeyBindings.h"
#include "map/ActDraw.h"

cBattleKeys gBattleKeys;
cBattleCursor gBattleCursor;

namespace {
constexpr i32 kRepeatFrom = 9;   // held polls before a key starts repeating
constexpr i32 kRepeatEvery = 2;  // then every second poll
}  // namespace

void cBattleKeys::Clear() {
    std::memset(prev_, 0, sizeof(prev_));
    std::memset(cur_, 0, sizeof(cur_));
    std::memset(held_, 0, sizeof(held_));
    std::memset(lastRepeat_, 0, sizeof(lastRepeat_));
    std::memset(ignored_, 0, sizeof(ignored_));
}

void cBattleKeys::Poll() {
    gDInput.ReadKeyboard();
    std::memcpy(prev_, cur_, sizeof(cur_));
    for (int k = 0; k < kBattleKeyCount; ++k) {
        cur_[k] = gDInput.IsKeyDown(k) ? 1 : 0;
        held_[k] = cur_[k] ? held_[k] + 1 : 0;
        if (!cur_[k]) ignored_[k] = 0;
    }
}

bool cBattleKeys::Pressed(int key) {
    if (!Valid(key) || !cur_[key]) return false;
    if (ignored_[key] && held_[key] > 1) return false;
    if (held_[key] == 1) {
        lastRepeat_[key] = 1;
        return true;
    }
    if (held_[key] >= kRepeatFrom && held_[key] - lastRepeat_[key] >= kRepeatEvery) {
        lastRepeat_[key] = held_[key];
        return true;
    }
    return false;
}

void cBattleKeys::IgnoreHeld() {
    std::memcpy(ignored_, cur_, sizeof(cur_));
}

u8 cBattleKeys::IsDown(int key) const {
    return Valid(key) ? cur_[key] : 0;
}

i32 cBattleKeys::HeldTicks(int key) const {
    return Valid(key) ? held_[key] : 0;
}

int cBattleKeys::FirstNewKey() const {
    for (int k = 0; k < kBattleKeyCount; ++k)
        if (cur_[k] && !prev_[k]) return k;
    return -1;
}

int cBattleKeys::FirstDownKey() const {
    for (int k = 0; k < kBattleKeyCount; ++k)
        if (cur_[k]) return k;
    return -1;
}

void cBattleCursor::Init() {
    SetPos(320, 240);
    act_ = savedAct_ = kCursorLookAct;
    action_ = savedAction_ = 0;
    Restart();
}

void cBattleCursor::Poll() {
    prev_ = cur_;
    cur_ = static_cast<u32>(gDInput.ReadMouse(&x_, &y_)) & (kMouseLeft | kMouseRight);
}

void cBattleCursor::SetPos(i32 x, i32 y) {
    x_ = x;
    y_ = y;
    gDInput.SetMousePos(x, y);
}

void cBattleCursor::Restart() {
    anim_ = ActPlayer{};
    anim_.act = static_cast<i32>(act_);
    anim_.action = static_cast<i32>(action_);
}

void cBattleCursor::SetLook(u32 act, u32 action) {
    if (act == act_ && action == action_) return;
    savedAct_ = act_;
    savedAction_ = action_;
    act_ = act;
    action_ = action;
    Restart();
}

void cBattleCursor::RestoreLook() {
    if (act_ == savedAct_ && action_ == savedAction_) return;
    act_ = savedAct_;
    action_ = savedAction_;
    Restart();
}

void cBattleCursor::GetLook(u32* act, u32* action) const {
    *act = act_;
    *action = action_;
}

void cBattleCursor::GetSavedLook(u32* act, u32* action) const {
    *act = savedAct_;
    *action = savedAction_;
}

void cBattleCursor::Draw() {
    if (!TakeActData(&anim_)) return;
    DrawActPicture(&anim_, x_, y_, 0);
}

bool BattleKeyPressed(int logical) {
    return gBattleKeys.Pressed(static_cast<int>(gKeyBindings[logical]));
}

void ResetBattleKeys() {
    gBattleKeys.Clear();
    gBattleCursor = cBattleCursor{};
}
