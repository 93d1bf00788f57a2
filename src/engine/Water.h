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
    // One frame of the simulation; true when every new height is 0.
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
    i16* Cur() const { return heights_[cur_]; }

    int screenW_ = 640;
    int screenH_ = 480;
    int areaX_ = 0;
    int areaY_ = 0;
    int areaW_ = 640;
    int areaH_ = 480;
    int damping_ = 4;
    int cur_ = 0;
    i16* heights_[2] = {nullptr, nullptr};
    u16* screen_ = nullptr;
};

extern cWater* gWaterList;
// Deletes every ripple in the list, the head object included.
void DeleteWaterList();
