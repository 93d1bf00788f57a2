// The offering page (screen 4): choose an unlocked god/demon form and an owned
// monster, confirm, and watch the monster offered to the form.
#pragma once
#include <deque>

#include "base/Types.h"
#include "engine/GrpFont.h"
#include "data/GameData.h"
#include "ui/Control.h"
#include "menu/MenuFrame.h"

class cActPic;

constexpr i32 kOfferBackgroundId = 2000;
constexpr i32 kOfferTabId = 2100;  // tabs 2100..2103
constexpr i32 kOfferMonsterPanelId = 2150;
constexpr i32 kOfferFormPanelId = 2200;
constexpr i32 kOfferQuestionId = 2400;
constexpr int kFormSlots = 6;

// The mode bits.
constexpr u32 kOfferForm = 0x1, kOfferMonster = 0x2, kOfferAsking = 0x4, kOfferPlaying = 0x8,
              kOfferSecondPhase = 0x10;
// An animation that never ends stops after this many ticks of its second phase.
constexpr i32 kOfferTickLimit = 300;

// The monsters the page lists, in record order: owned, ordinary, named.
std::deque<u32> OfferableMonsters();

class cOfferFrame {
public:
    cOfferFrame() = default;
    cOfferFrame(const cOfferFrame&) = delete;
    cOfferFrame& operator=(const cOfferFrame&) = delete;

    void Open();
    void Run();
    void Close();

    void SelectForm(i32 pos);
    void SelectMonster(i32 pos);
    void ShowForm(i32 pos);
    void ShowMonster(i32 pos);
    void ShowOfferBonus(i32 pos);
    void LockLists(i32 monsterPos);
    void AskOffer();
    void RunQuestion();
    void CloseQuestion();
    void UnlockLists();
    void StartOffering();
    void RunOffering();
    void FinishOffering();
    void RunIdle();
    void HandleKeys();
    void RefreshFormSlots();
    void RefreshMonsterRows();
    void HideFormInfo();
    void BuildMonsterList();
    void FreeMonsterList();
    void CreateAbilityPanel();
    void HideAbilityPanel();
    void DeleteAbilityPanel();

    i32 next = 0;  // 1 items, 2 skills, 3 quick save, 4 system
    u32 mode = 0;
    i32 chosenForm = -1;
    i32 focus = -1;
    cGrpFont f0, f1, f2, f3;
    cControl* tabs[4] = {};
    cControl* hintLine = nullptr;
    cControl* offerValue = nullptr;
    cControl* formPic = nullptr;
    cControl* monsterPic = nullptr;
    cControl* formName = nullptr;
    cControl* values[12] = {};
    cControl* monsterPanel = nullptr;
    cControl* monsterBar = nullptr;
    cControl* monsterArrows[3] = {};  // down, up, thumb
    cControl* formPanel = nullptr;
    cControl* formBar = nullptr;
    cControl* formArrows[3] = {};
    cControl* slotPic[kFormSlots] = {};
    cControl* slotName[kFormSlots] = {};
    cActPic* largePics[kGodFormCount] = {};
    cActPic* smallPics[kGodFormCount] = {};
    i32 previewed = -1;
    cActPic* previewPic = nullptr;
    i32 chosenMonster = -1;
    std::deque<u32> forms;
    cScrollBar formScroll;
    i32 formTop = 0, formLast = 0, formMax = 0;
    std::deque<u32> monsters;
    std::deque<cControl*> rowNames, rowCounts;
    char rowText[kListRows][36] = {};
    cScrollBar monsterScroll;
    i32 monsterTop = 0, monsterLast = 0, monsterMax = 0;
    char timeText[30] = {};
    char offerText[30] = {};
    char formText[36] = {};
    char hint[64] = {};
    // The question box.
    cActPic* boxPics[3] = {};
    cControl* boxControls[5] = {};  // box, hit area, highlight, 確定, 取消 (with the question)
    cControl* question = nullptr;
    // The animation.
    cActPic* busyCursor = nullptr;
    cActPic* offeredPic = nullptr;
    cActPic* effects[2] = {};
    cControl* effectControls[2] = {};
    i32 blend = 0, blend2 = 0;
    i32 effectTicks = 0;
    bool effectMissing = false;

private:
    void SetLocked(bool locked);
    cActPic* MakeMonsterPicture(u32 m);
    void MoveByKey(MenuKey key);
    void FocusTo(int f);
    void ShowHint(const char* big5);
    void CancelQuestion();
    void BackOut();
    bool ClickLists(i32 id);
    void HoverMonsters();
    void HoverForms();
    const char* CaptionAt(i32 x, i32 y) const;
};
