// The item chooser (screen 14): a story script's list of owned items over the
// frozen map; the pick is reported in script variable 8.
#pragma once
#include <deque>

#include "base/Types.h"
#include "engine/GrpFont.h"
#include "menu/MenuFrame.h"

class cControl;

constexpr i32 kChooserListId = 2000;  // arrows 2001 (down), 2002 (up), thumb 2003
constexpr int kChooserResultVar = 8;

class cItemFrame {
public:
    // mode 1 lists the story items (types 12..15) and takes the handed-over ones.
    explicit cItemFrame(u32 mode = 0);
    ~cItemFrame();
    cItemFrame(const cItemFrame&) = delete;
    cItemFrame& operator=(const cItemFrame&) = delete;

    void Open();
    void Run();
    void Close();
    void ChooseRow(int row);
    void HandleKeys();
    void RefreshRows();
    u32 Mode() const { return static_cast<u32>(mode); }

    // The ids the chooser lists for a mode, in id order.
    static std::deque<i32> BuildList(i32 mode);

    i32 mode = 0;
    int focusRow = 0;
    cGrpFont font;
    u16* snapshot = nullptr;
    cControl* backdrop = nullptr;
    cListPane list;

private:
    void Freeze();
};
