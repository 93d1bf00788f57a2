// cGrpEft: scaled copies, a line walker and a particle list over 16-bit buffers.
#pragma once
#include "base/Types.h"

// One particle of the list: a coloured point moving along a direction (0..359
// degrees, 0 = right, 90 = down the screen).
struct Particle {
    i32 x = 0;
    i32 y = 0;
    i32 dir = 0;
    i32 err = 0;    // error term of the line walk
    i32 speed = 1;  // steps per update
    i32 life = 0;   // updates left
    u16 colour = 0;
    Particle* next = nullptr;
};

class cGrpEft {
public:
    cGrpEft();
    ~cGrpEft();
    cGrpEft(const cGrpEft&) = delete;
    cGrpEft& operator=(const cGrpEft&) = delete;

    // Target as wide as a surface's pitch in pixels and as high as it.
    void SetupForSurface(int pitchBytes, int height);
    void Release();

    void SetSource(int width, int height);
    void SetTarget(int width, int height);
    void SetArea(int x, int y, int width, int height);
    int AllocWork(int width, int height);
    void FreeWork();

    // Source pixel (stepX x t) / 1024 goes to target column x + t, rows likewise:
    // a step of 1024 copies one to one, 2048 halves, 512 doubles. Both stop at the
    // source's end and at the target area.
    void ScaleCopy(u16* target, const u16* source, int x, int y, int stepX, int stepY) const;
    // As ScaleCopy, but source pixels of the key colour are skipped, and it stops
    // at column 640 and at the 480th target row as well.
    void ScaleCopyKeyed(u16* target, const u16* source, int x, int y, int stepX, int stepY,
                        u16 key) const;
    // The work buffer drawn into the target area, stretched from its middle row
    // out by scale / 1024 (1024 = as it is).
    void DrawWorkZoomed(u16* target, int scale) const;
    // One picture drawn by PutPic (mode as PutPic takes it) at (x, y) into a
    // buffer laid out as the target, clipped to the area; the paint target,
    // clip and current picture are as before afterwards.
    void DrawPicture(u16* target, const void* pic, int x, int y, int w, int h, int mode) const;

    // Moves a particle one unit along its direction.
    void StepParticle(Particle& p) const;
    // Appends a particle; 0 when it cannot be allocated (a box says so once).
    int particle_put(const Particle& p);
    // Moves every particle by its speed, drops the ones whose life ran out.
    void UpdateParticles();
    void DrawParticles(u16* target) const;
    void ClearParticles();
    int ParticleCount() const;

    const i32* Direction(int deg) const { return dirs_[((deg % 360) + 360) % 360]; }
    int AreaLeft() const { return left_; }
    int AreaTop() const { return top_; }
    int AreaRight() const { return right_; }
    int AreaBottom() const { return bottom_; }
    u16* Work() const { return work_; }
    int WorkWidth() const { return workW_; }
    int WorkHeight() const { return workH_; }

private:
    // Per direction: x step (1000, -1000 or 0) and the slope dy/dx x 1000
    // (100000 / -100000 for straight down / up).
    i32 dirs_[360][2] = {};
    int srcW_ = 1280;
    int srcH_ = 768;
    int dstW_ = 640;
    int dstH_ = 480;
    int left_ = 0;
    int top_ = 0;
    int right_ = 640;
    int bottom_ = 480;
    u16* work_ = nullptr;
    int workW_ = 0;
    int workH_ = 0;
    Particle* particles_ = nullptr;
    bool allocFailShown_ = false;
};

// Calls fn(x, y) for every point of the line from (x0, y0) to (x1, y1), ends
// included, by the integer (Bresenham) method; returns the number of points.
template <class Fn>
int WalkLine(int x0, int y0, int x1, int y1, Fn fn) {
    int dx = x1 > x0 ? x1 - x0 : x0 - x1;
    int dy = y1 > y0 ? y1 - y0 : y0 - y1;
    int sx = x1 > x0 ? 1 : -1;
    int sy = y1 > y0 ? 1 : -1;
    int err = dx - dy;
    int n = 0;
    for (;;) {
        fn(x0, y0);
        ++n;
        if (x0 == x1 && y0 == y1) return n;
        int e2 = 2 * err;
        if (e2 > -dy) {
            err -= dy;
            x0 += sx;
        }
        if (e2 < dx) {
            err += dx;
            y0 += sy;
        }
    }
}

// Tests put a failing allocator here to see particle_put give up.
using ParticleAllocFn = void* (*)(int size);
void SetParticleAllocator(ParticleAllocFn fn);
