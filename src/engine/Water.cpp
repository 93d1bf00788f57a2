// Water ripples: a damped height field over an area of the screen.
#include "engine/Water.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "engine/MemDbg.h"
#include "engine/Random.h"

cWater* gWaterList = nullptr;

namespace {

i16 Saturate(i32 v) {
    return static_cast<i16>(std::clamp<i32>(v, -32768, 32767));
}

// Profile of a shaped drop: a cosine bell from the centre (256) to the rim (0).
constexpr int kProfileSteps = 32;
const int* Profile() {
    static int table[kProfileSteps + 1];
    static bool made = false;
    if (!made) {
        for (int i = 0; i <= kProfileSteps; ++i)
            table[i] = static_cast<int>(
                std::lround(128.0 * (1.0 + std::cos(3.14159265358979 * i / kProfileSteps))));
        made = true;
    }
    return table;
}

}  // namespace

cWater::cWater() {
    Setup(640, 480, 0, 0, 640, 480);
}

cWater::cWater(int screenW, int screenH, int areaX, int areaY, int areaW, int areaH) {
    Setup(screenW, screenH, areaX, areaY, areaW, areaH);
}

cWater::~cWater() {
    MH_FREE(heights_[0]);
    MH_FREE(heights_[1]);
    MH_FREE(screen_);
}

void cWater::Setup(int screenW, int screenH, int areaX, int areaY, int areaW, int areaH) {
    screenW_ = std::max(screenW, 1);
    screenH_ = std::max(screenH, 1);
    // The area must lie on the screen: rendering reads and writes through it.
    areaW_ = std::clamp(areaW, 1, screenW_);
    areaH_ = std::clamp(areaH, 1, screenH_);
    SetArea(areaX, areaY);
    int cells = areaW_ * areaH_;
    heights_[0] = static_cast<i16*>(MH_ALLOC_ZERO(cells * 2));
    heights_[1] = static_cast<i16*>(MH_ALLOC_ZERO(cells * 2));
    screen_ = static_cast<u16*>(MH_ALLOC_ZERO(screenW_ * screenH_ * 2));
}

void cWater::SetArea(int x, int y) {
    if (x + areaW_ > screenW_) x = screenW_ - areaW_ - 1;
    if (y + areaH_ > screenH_) y = screenH_ - areaH_ - 1;
    areaX_ = std::max(x, 0);
    areaY_ = std::max(y, 0);
}

void cWater::GrabScreen(const u16* pixels, int pitch) {
    if (!pixels || !screen_) return;
    if (pitch <= 0) pitch = screenW_;
    for (int r = 0; r < screenH_; ++r)
        std::memcpy(screen_ + r * screenW_, pixels + r * pitch, screenW_ * 2);
}

i16 cWater::Height(int col, int row) const {
    if (col < 0 || row < 0 || col >= areaW_ || row >= areaH_ || !Cur()) return 0;
    return Cur()[row * areaW_ + col];
}

bool cWater::Step() {
    dropCells_ = 0;
    if (!heights_[0] || !heights_[1]) return true;
    cur_ ^= 1;
    i16* nw = heights_[cur_];
    const i16* old = heights_[cur_ ^ 1];
    const int w = areaW_;
    bool calm = true;
    for (int r = 1; r < areaH_ - 1; ++r) {
        for (int c = 1; c < w - 1; ++c) {
            const i16* o = old + r * w + c;
            i32 sum = o[-w - 1] + o[-w] + o[-w + 1] + o[-1] + o[1] + o[w - 1] + o[w] + o[w + 1];
            i32 v = (sum >> 2) - nw[r * w + c];
            v -= v >> damping_;
            nw[r * w + c] = Saturate(v);
            if (v) calm = false;
        }
    }
    return calm;
}

void cWater::Render(u16* target, int pitch) const {
    if (!target || !screen_ || !Cur()) return;
    if (pitch <= 0) pitch = screenW_;
    const i16* h = Cur();
    const int w = areaW_;
    for (int r = 1; r < areaH_ - 1; ++r) {
        int ty = areaY_ + r;
        for (int c = 1; c < w - 1; ++c) {
            const i16* p = h + r * w + c;
            int dx = (p[0] - p[1]) >> 3;
            int dy = (p[0] - p[w]) >> 3;
            int tx = areaX_ + c;
            // A steep slope must not reach outside the screen copy.
            int sx = std::clamp(tx + dx, 0, screenW_ - 1);
            int sy = std::clamp(ty + dy, 0, screenH_ - 1);
            target[ty * pitch + tx] = screen_[sy * screenW_ + sx];
        }
    }
}

int cWater::DropPos(int v, int r, int extent) const {
    if (v >= 0) return v;
    int span = extent - 2 * r - 1;
    if (span <= 0) return extent / 2;  // too big to keep off the edges: the middle
    return r + 1 + static_cast<int>(RandomN(static_cast<u32>(span)));
}

void cWater::AddHeight(int col, int row, i32 amount) {
    // Drops stay one cell inside the area.
    if (col < 1 || row < 1 || col >= areaW_ - 1 || row >= areaH_ - 1) return;
    i16& cell = Cur()[row * areaW_ + col];
    cell = Saturate(cell + amount);
}

i64 cWater::DiscRowHalf(i64 rest) {
    // The largest h with h * h <= rest (rest >= 0), exact for every i64.
    i64 h = static_cast<i64>(std::sqrt(static_cast<double>(rest)));
    while (h > 0 && h * h > rest) --h;
    while ((h + 1) * (h + 1) <= rest) ++h;
    return h;
}

bool cWater::TakeDropBudget(int x, int y, int radius) {
    if (dropCells_ >= DropBudget()) return false;
    // Charged by the clipped square of the disc: rows and columns inside the area.
    const i64 rows = std::max<i64>(
        0, std::min<i64>(radius, areaH_ - 2 - i64{y}) - std::max<i64>(-radius, 1 - i64{y}) + 1);
    const i64 cols = std::max<i64>(
        0, std::min<i64>(radius, areaW_ - 2 - i64{x}) - std::max<i64>(-radius, 1 - i64{x}) + 1);
    dropCells_ += std::max<i64>(1, std::min(rows * cols, DropBudget()));
    return true;
}

template <class Fn>
void cWater::ForDiscCells(int x, int y, int radius, Fn fn) {
    const i64 r2 = static_cast<i64>(radius) * radius;
    // Only the part of the disc inside the area is walked, one span per row.
    const i64 j0 = std::max<i64>(-radius, 1 - i64{y}),
              j1 = std::min<i64>(radius, areaH_ - 2 - i64{y});
    for (i64 j = j0; j <= j1; ++j) {
        const i64 rest = r2 - j * j - 1;  // i * i + j * j < r2
        if (rest < 0) continue;
        const i64 half = DiscRowHalf(rest);
        const i64 i0 = std::max<i64>(-half, 1 - i64{x}),
                  i1 = std::min<i64>(half, areaW_ - 2 - i64{x});
        for (i64 i = i0; i <= i1; ++i) fn(static_cast<int>(i), static_cast<int>(j), i * i + j * j);
    }
}

void cWater::Drop(int x, int y, int radius, int strength) {
    if (!Cur() || radius <= 0) return;
    x = DropPos(x, radius, areaW_);
    y = DropPos(y, radius, areaH_);
    if (!TakeDropBudget(x, y, radius)) return;
    ForDiscCells(x, y, radius, [&](int i, int j, i64 d2) {
        double amount = (radius - std::sqrt(static_cast<double>(d2))) * strength;
        AddHeight(x + i, y + j, static_cast<i32>(std::clamp(amount, -65536.0, 65536.0)));
    });
}

void cWater::DropShaped(int x, int y, int radius, int strength) {
    if (!Cur() || radius <= 0) return;
    x = DropPos(x, radius, areaW_);
    y = DropPos(y, radius, areaH_);
    if (!TakeDropBudget(x, y, radius)) return;
    const int* profile = Profile();
    ForDiscCells(x, y, radius, [&](int i, int j, i64 d2) {
        int step = static_cast<int>(std::sqrt(static_cast<double>(d2)) * kProfileSteps / radius);
        i64 amount =
            static_cast<i64>(profile[std::min(step, kProfileSteps)]) * radius * strength / 256;
        AddHeight(x + i, y + j, static_cast<i32>(std::clamp<i64>(amount, -65536, 65536)));
    });
}

void DeleteWaterList() {
    while (gWaterList) {
        cWater* next = gWaterList->next;
        delete gWaterList;
        gWaterList = next;
    }
}
