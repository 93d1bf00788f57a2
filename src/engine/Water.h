// cWater: a ripple over a rectangle of the screen, rendered by displacing a copy
// of the finished screen; live ripples are kept in gWaterList.
#pragma once
#include "base/Types.h"

class cWater {
public:
    cWater();
    cWater(int screenW, int screenH, int areaX, int areaY, int areaW, int areaH);
    ~cWater();
    cWater(const cWater&) = delete;
    cWater& operator=(const cWater&) = delete;

    void SetArea(int x, int y);
    // pitch in pixels; 0 means the screen width.
    void GrabScreen(const u16* pixels, int pitch = 0);
    void Render(u16* target, int pitch = 0) const;
    // One frame of the simulation (and a fresh budget for drops); true when every
    // new height is 0.
    bool Step();
    void Drop(int x, int y, int radius, int strength);
    void DropShaped(int x, int y, int radius, int strength);

    int AreaX() const { return areaX_; }
    int AreaY() const { return areaY_; }
    int AreaW() const { return areaW_; }
    int AreaH() const { return areaH_; }
    // Height of a cell of the area in the current buffer (0 outside it).
    i16 Height(int col, int row) const;

    cWater* next = nullptr;

private:
    void Setup(int screenW, int screenH, int areaX, int areaY, int areaW, int areaH);
    // A negative coordinate is chosen at random, keeping the drop off the edges.
    int DropPos(int v, int r, int extent) const;
    void AddHeight(int col, int row, i32 amount);
    // Drops between two steps may walk this many cells in all (eight areas' worth);
    // a drop that finds the budget spent is left out.
    i64 DropBudget() const { return 8 * static_cast<i64>(areaW_) * areaH_; }
    bool TakeDropBudget(int x, int y, int radius);
    static i64 DiscRowHalf(i64 rest);
    // fn(i, j, i * i + j * j) for each cell of the disc that lies inside the area.
    template <class Fn>
    void ForDiscCells(int x, int y, int radius, Fn fn);
    i16* Cur() const { return heights_[cur_]; }

    int screenW_ = 640;
    int screenH_ = 480;
    int areaX_ = 0;
    int areaY_ = 0;
    int areaW_ = 640;
    int areaH_ = 480;
    int damping_ = 4;
    i64 dropCells_ = 0;  // cells walked by drops since the last step
    int cur_ = 0;
    i16* heights_[2] = {nullptr, nullptr};
    u16* screen_ = nullptr;
};

extern cWater* gWaterList;
// Deletes every ripple in the list, the head object included.
void DeleteWaterList();
