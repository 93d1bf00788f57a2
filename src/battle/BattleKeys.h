// The battle's own keyboard (key maps, held counters, auto-repeat) and mouse
// cursor (position, buttons and the animated cursor look).
#pragma once
#include "base/Types.h"
#include "engine/MyAct.h"

constexpr int kBattleKeyCount = 256;

class cBattleKeys {
public:
    void Clear();
    // Reads the keyboard and counts how long each key has been down.
    void Poll();
    // True on the first poll a key is down, then from its ninth held poll on
    // every second poll.
    bool Pressed(int key);
    u8 IsDown(int key) const;
    // The lowest scan code down now and up at the previous poll, else -1.
    int FirstNewKey() const;
    int FirstDownKey() const;
    i32 HeldTicks(int key) const;
    // The keys down now report no further press, not even a repeat, until they
    // are let go; one that went down at this very poll still counts for it.
    void IgnoreHeld();

private:
    static bool Valid(int key) { return key >= 0 && key < kBattleKeyCount; }
    u8 prev_[kBattleKeyCount] = {};
    u8 cur_[kBattleKeyCount] = {};
    i32 held_[kBattleKeyCount] = {};
    i32 lastRepeat_[kBattleKeyCount] = {};
    u8 ignored_[kBattleKeyCount] = {};
};

constexpr u32 kCursorLookAct = 9101;
constexpr u32 kCursorAutoAct = 9102;
constexpr u32 kMouseLeft = 1, kMouseRight = 2;

class cBattleCursor {
public:
    void Init();
    void Poll();
    void SetPos(i32 x, i32 y);
    // A new look remembers the one it replaces; the current look again changes nothing.
    void SetLook(u32 act, u32 action);
    void RestoreLook();
    void GetLook(u32* act, u32* action) const;
    void GetSavedLook(u32* act, u32* action) const;
    u32 Clicked(u32 mask) const { return mask & cur_ & ~prev_; }
    u32 Held(u32 mask) const { return mask & cur_; }
    void Draw();
    i32 x() const { return x_; }
    i32 y() const { return y_; }

private:
    void Restart();
    u32 savedAct_ = kCursorLookAct, savedAction_ = 0;
    u32 act_ = kCursorLookAct, action_ = 0;
    ActPlayer anim_;
    i32 x_ = 320, y_ = 240;
    u32 prev_ = 0, cur_ = 0;
};

extern cBattleKeys gBattleKeys;
extern cBattleCursor gBattleCursor;

// A press (or repeat) of the key bound to logical key n (kKeyConfirm, ...).
bool BattleKeyPressed(int logical);

void ResetBattleKeys();
