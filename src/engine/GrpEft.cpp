// Graphic effects: scaled copies, particles and the zoom of the work buffer.
#include "engine/GrpEft.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "platform/Fault.h"
#include "engine/MemDbg.h"
#include "engine/PicPaint.h"
#include "engine/PixelFormat.h"

namespace {

void* DefaultParticleAlloc(int size) {
    return MH_ALLOC_ZERO(size);
}
ParticleAllocFn gParticleAlloc = DefaultParticleAlloc;

constexpr i32 kUnit = 1000;
constexpr i32 kVertical = 100000;

}  // namespace

void SetParticleAllocator(ParticleAllocFn fn) {
    gParticleAlloc = fn ? fn : DefaultParticleAlloc;
}

cGrpEft::cGrpEft() {
    for (int d = 0; d < 360; ++d) {
        double rad = d * 3.14159265358979 / 180.0;
        double c = std::cos(rad);
        double s = std::sin(rad);
        if (d == 90 || d == 270) {
            dirs_[d][0] = 0;
            dirs_[d][1] = d == 90 ? kVertical : -kVertical;
            continue;
        }
        dirs_[d][0] = c > 0 ? kUnit : -kUnit;
        double slope = std::clamp(s / std::fabs(c) * kUnit, -double(kVertical), double(kVertical));
        dirs_[d][1] = static_cast<i32>(std::lround(slope));
    }
}

cGrpEft::~cGrpEft() {
    Release();
}

void cGrpEft::SetupForSurface(int pitchBytes, int height) {
    SetTarget(pitchBytes / 2, height);
}

void cGrpEft::Release() {
    FreeWork();
    ClearParticles();
}

void cGrpEft::SetSource(int width, int height) {
    srcW_ = std::max(width, 0);
    srcH_ = std::max(height, 0);
}

void cGrpEft::SetTarget(int width, int height) {
    dstW_ = std::max(width, 0);
    dstH_ = std::max(height, 0);
    left_ = top_ = 0;
    right_ = dstW_;
    bottom_ = dstH_;
}

void cGrpEft::SetArea(int x, int y, int width, int height) {
    if (x < 0) {
        width += x;
        x = 0;
    }
    if (y < 0) {
        height += y;
        y = 0;
    }
    width = std::clamp(width, 0, dstW_);
    height = std::clamp(height, 0, dstH_);
    if (x + width > dstW_) x = dstW_ - width;
    if (y + height > dstH_) y = dstH_ - height;
    left_ = x;
    top_ = y;
    right_ = x + width;
    bottom_ = y + height;
}

int cGrpEft::AllocWork(int width, int height) {
    FreeWork();
    if (width <= 0 || height <= 0) return 0;
    work_ = static_cast<u16*>(MH_ALLOC_ZERO(width * height * 2));
    if (!work_) return 0;
    workW_ = width;
    workH_ = height;
    return 1;
}

void cGrpEft::FreeWork() {
    MH_FREE(work_);
    work_ = nullptr;
    workW_ = workH_ = 0;
}

void cGrpEft::ScaleCopy(u16* target, const u16* source, int x, int y, int stepX, int stepY) const {
    if (!target || !source || stepX <= 0 || stepY <= 0) return;
    for (int ty = std::max(y, top_), sy; ty < bottom_; ++ty) {
        sy = static_cast<int>(static_cast<i64>(ty - y) * stepY / 1024);
        if (sy >= srcH_) break;
        const u16* srow = source + sy * srcW_;
        u16* trow = target + ty * dstW_;
        for (int tx = std::max(x, left_); tx < right_; ++tx) {
            int sx = static_cast<int>(static_cast<i64>(tx - x) * stepX / 1024);
            if (sx >= srcW_) break;
            trow[tx] = srow[sx];
        }
    }
}

void cGrpEft::ScaleCopyKeyed(u16* target, const u16* source, int x, int y, int stepX, int stepY,
                             u16 key) const {
    if (!target || !source || stepX <= 0 || stepY <= 0) return;
    const int right = std::min(right_, 640);
    const int bottom = std::min(bottom_, 480);
    for (int ty = std::max(y, top_); ty < bottom; ++ty) {
        int sy = static_cast<int>(static_cast<i64>(ty - y) * stepY / 1024);
        if (sy >= srcH_) break;
        const u16* srow = source + sy * srcW_;
        u16* trow = target + ty * dstW_;
        for (int tx = std::max(x, left_); tx < right; ++tx) {
            int sx = static_cast<int>(static_cast<i64>(tx - x) * stepX / 1024);
            if (sx >= srcW_) break;
            if (srow[sx] != key) trow[tx] = srow[sx];
        }
    }
}

void cGrpEft::DrawWorkZoomed(u16* target, int scale) const {
    if (!target || !work_ || scale <= 0) return;
    const int mid = (top_ + bottom_) / 2;
    const int workMid = workH_ / 2;
    const int cols = std::min(right_ - left_, workW_);
    for (int ty = top_; ty < bottom_; ++ty) {
        // Rows spread out of the middle row alike upward and downward.
        int off = static_cast<int>(static_cast<i64>(ty - mid) * 1024 / scale);
        int wy = workMid + off;
        if (wy < 0 || wy >= workH_) continue;
        std::memcpy(target + ty * dstW_ + left_, work_ + wy * workW_, cols * 2);
    }
}

void cGrpEft::StepParticle(Particle& p) const {
    const i32* d = Direction(p.dir);
    i32 sx = d[0] > 0 ? 1 : (d[0] < 0 ? -1 : 0);
    i32 sy = d[1] > 0 ? 1 : (d[1] < 0 ? -1 : 0);
    i32 slope = d[1] < 0 ? -d[1] : d[1];
    if (slope <= kUnit) {
        // Flat: always one step along x, y when the error term runs over.
        p.x += sx;
        p.err += slope;
        if (p.err >= kUnit) {
            p.err -= kUnit;
            p.y += sy;
        }
        return;
    }
    // Steep: always one step along y, x when the error term runs over.
    p.y += sy;
    if (sx == 0) return;
    p.err += static_cast<i32>(static_cast<i64>(kUnit) * kUnit / slope);
    if (p.err >= kUnit) {
        p.err -= kUnit;
        p.x += sx;
    }
}

int cGrpEft::particle_put(const Particle& p) {
    auto* n = static_cast<Particle*>(gParticleAlloc(static_cast<int>(sizeof(Particle))));
    if (!n) {
        // Effects run every frame: one box, not one per frame.
        if (!allocFailShown_) ReportFault({"cGrpEft"}, "particle_put: out of memory");
        allocFailShown_ = true;
        return 0;
    }
    *n = p;
    n->next = nullptr;
    Particle** tail = &particles_;
    while (*tail) tail = &(*tail)->next;
    *tail = n;
    return 1;
}

void cGrpEft::UpdateParticles() {
    Particle** link = &particles_;
    while (*link) {
        Particle* p = *link;
        for (int i = 0; i < p->speed; ++i) StepParticle(*p);
        if (--p->life <= 0) {
            *link = p->next;
            MH_FREE(p);
            continue;
        }
        link = &p->next;
    }
}

void cGrpEft::DrawParticles(u16* target) const {
    if (!target) return;
    for (const Particle* p = particles_; p; p = p->next)
        if (p->x >= left_ && p->x < right_ && p->y >= top_ && p->y < bottom_)
            target[p->y * dstW_ + p->x] = p->colour;
}

void cGrpEft::ClearParticles() {
    while (particles_) {
        Particle* next = particles_->next;
        MH_FREE(particles_);
        particles_ = next;
    }
}

int cGrpEft::ParticleCount() const {
    int n = 0;
    for (const Particle* p = particles_; p; p = p->next) ++n;
    return n;
}

void cGrpEft::DrawPicture(u16* target, const void* pic, int x, int y, int w, int h,
                          int mode) const {
    if (!target || !pic || dstW_ <= 0 || dstH_ <= 0 || dstH_ > kRowOffsetCount) return;
    u16* buf = gPaintBuf;
    ClipRect clip = gClipRect;
    i32 pitch = gScreenPitch;
    const void* cur = gCurPic;
    std::vector<u32> saved(gRowOffsets, gRowOffsets + dstH_);
    std::vector<u32> rows(static_cast<size_t>(dstH_));
    for (int r = 0; r < dstH_; ++r) rows[static_cast<size_t>(r)] = static_cast<u32>(r * dstW_ * 2);
    SetPaintTarget(dstW_, dstH_, dstW_ * 2, rows.data());
    gClipRect = {left_, top_, right_ - left_, bottom_ - top_};
    gPaintBuf = target;
    gCurPic = pic;
    PutPic(x, y, w, h, mode, nullptr);
    std::copy(saved.begin(), saved.end(), gRowOffsets);
    gPaintBuf = buf;
    gClipRect = clip;
    gScreenPitch = pitch;
    gCurPic = cur;
}
