// The formation screen (screen 11): the first six places of the battle order
// on two rows of three; picking two places exchanges their roles.
#pragma once
#include "base/Types.h"
#include "engine/GrpFont.h"
#include "ui/SysPanel.h"

class cActPic;
class cControl;

constexpr i32 kFormOkId = 5000, kFormRestoreId = 5001;
constexpr i32 kFormListId = 5002, kFormBackgroundId = 5050;
constexpr int kFormPlaces = 6;
constexpr int kFormRoles = 8;
constexpr int kFormNameBytes = 33;
// Focus codes of the keyboard: 0..5 list rows, 10..13 tabs, these, and
// kFormPlaceFocus + k for place k.
constexpr i32 kFormOkFocus = 20, kFormRestoreFocus = 21, kFormPlaceFocus = 30;

// The place (0..5) whose area holds (x, y), or -1.
int FormationPlaceAt(i32 x, i32 y);
// Top-left corner of place k.
i32 FormationPlaceX(int k);
i32 FormationPlaceY(int k);

class cFormationFrame {
public:
    cFormationFrame() = default;
    cFormationFrame(const cFormationFrame&) = delete;
    cFormationFrame& operator=(const cFormationFrame&) = delete;

    void Open();
    void Run();
    void Close();
    void ShowFormation();
    void RestoreFormation();
    void ApplyFormation();

    i32 result = 0;
    i32 picking = 0;  // a place is picked
    i32 focus = -1;
    i32 picked = -1;
    i32 roles[kFormPlaces] = {};  // role index of each place, as gFormation holds them
    i32 levels[kFormPlaces] = {};
    char names[kFormPlaces][kFormNameBytes] = {};
    cControl* portraits[kFormPlaces] = {};
    cControl* numbers[kFormPlaces] = {};
    cControl* nameCtls[kFormPlaces] = {};
    cControl* markers[kFormPlaces] = {};

private:
    void MakeButtons();
    void MakePlaces();
    bool RunClicks();
    bool RunLeaveKeys();
    void RunKeys();
    void Pick(int place);
    void Leave(i32 code, int sound);
    void MoveToFocus(i32 f);
    void UpdateMarks();

    cSysPanel panel_;
    cGrpFont buttonFont_, numberFont_, nameFont_;
    cActPic* portraitPics_[kFormRoles] = {};
    cActPic* placePic_ = nullptr;
    cActPic* pickedPic_ = nullptr;
};
