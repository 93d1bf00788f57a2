// The strengthening counter (screen 22): an unworn piece, then an owned
// monster, a confirmation, a timed roll that may pass the monster's bonuses
// into the piece, and the result.
#pragma once
#include <vector>

#include "base/Types.h"
#include "engine/GrpFont.h"
#include "data/Records.h"
#include "ui/Control.h"
#include "shop/ShopCommon.h"

class cActPic;

constexpr int kEnhanceRows = 11;
constexpr i32 kEnhanceBackgroundId = 7010;
constexpr i32 kMonsterAreaId = 7100, kPieceAreaId = 7200, kConfirmAreaId = 7300;
constexpr u32 kEnhanceRollMs = 3000, kEnhanceResultMs = 2000;

enum EnhanceStage : u32 { kChoosePiece, kChooseMonster, kConfirming, kEnhancing, kShowingResult };

// r (0..99) against a success chance in percent: r <= chance.
bool EnhanceSucceeds(i32 r, i32 chance);
// One draw of RandomBetween(0, 100) against the chance.
bool RollSucceeds(i32 chance);
// The text of a monster's special as it would pass into a piece, or "" for none.
void DescribeSpecial(const EquipSpecial& s, char* out, size_t n);

// One scrolled list of the screen: its entries, rows and scroll bar.
struct EnhanceList {
    std::vector<i32> entries;
    i32 top = 0, lastTop = 0, maximum = 0;
    cScrollBar scroll;
    cControl* down = nullptr;
    cControl* up = nullptr;
    cControl* thumb = nullptr;
    cControl* area = nullptr;
    cControl* heading = nullptr;  // "選擇怪物" / "選擇裝備"
    cControl* light = nullptr;
    cControl* rowA[kEnhanceRows] = {};  // icon (pieces) / name (monsters)
    cControl* rowB[kEnhanceRows] = {};  // name (pieces) / owned count (monsters)
    char text[kEnhanceRows][33] = {};
    int Count() const { return static_cast<int>(entries.size()); }
    bool Has(int r) const { return r >= 0 && top + r < Count(); }
    void SetIds(i32 areaId, i32 firstArrowId, bool on);
};

class cEnhanceFrame {
public:
    cEnhanceFrame() = default;
    cEnhanceFrame(const cEnhanceFrame&) = delete;
    cEnhanceFrame& operator=(const cEnhanceFrame&) = delete;

    void Open();
    void Run();
    void Close();
    void Idle();
    void HandleKeys();
    void RefreshListRows();
    void SelectEquipage(i32 piece);
    void SelectMonster(i32 monster);
    void BeginEquipageChoice();
    void BeginMonsterChoice();
    void OpenConfirm();
    void CloseConfirm();
    void StartEnhance();
    void RollEnhance();
    void CreateAbilityPanel();
    void HideAbilityPanel();
    void ShowAbilityPanel();
    void DeleteAbilityPanel();
    void ShowEquipageBonus(i32 piece);
    void ShowMonsterBonus(i32 monster);
    void BuildMonsterList();
    void ClearMonsterList();

    u32 stage = kChoosePiece;
    u32 result = 0;  // 0 buy side, 1 sell side, 3 leave the shop
    i32 current = -1;
    cGrpFont caption, title, info, special, moneyFont, listFont;
    ShopTabBar tabs;
    cControl* tooltip = nullptr;
    cControl* mark = nullptr;
    cControl* pieceName = nullptr;
    cControl* monsterName = nullptr;
    cControl* priceLine = nullptr;
    cControl* specialLine = nullptr;
    cActPic* icons[kItemTypes] = {};
    cActPic* markPics[2] = {};  // piece side, monster side
    cActPic* busyCursor = nullptr;
    EnhanceList monsters, pieces;
    // The dialog while one is up.
    cControl* box = nullptr;
    cControl* buttons = nullptr;
    cControl* question = nullptr;
    cControl* buttonLight = nullptr;
    cControl* okText = nullptr;
    cControl* cancelText = nullptr;
    std::vector<cActPic*> dialogPics;
    i32 chosenPiece = -1, chosenMonster = -1;
    u32 startTime = 0;
    i32 money = 0;
    char timeText[20] = {};
    char pieceText[33] = {}, monsterText[33] = {}, priceText[40] = {}, specialText[64] = {};
    char tipText[64] = {};

private:
    void MakeList(EnhanceList* l, i32 x, i32 areaId, i32 firstArrowId, i32 arrowX, i32 downY,
                  i32 upY, i32 thumbY, i32 trackEnd);
    cControl* MakeHeading(i32 x, i32 y, const char* text);
    void BringSideToFront(EnhanceList& l);
    void BuildPieceList();
    void FillPieceRow(int r, i32 piece);
    void FillMonsterRow(int r, i32 monster);
    bool Cancel();
    bool Click(i32 id);
    void Hover();
    void ReturnToPieces();
    void FocusPieceRow();
    void FocusMonsterRow();
    void SetLine(int line, i32 value, bool percent);
    void ListKey(EnhanceList* l, int r, MenuKey key, bool piecesSide);
};
