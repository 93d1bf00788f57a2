// The display object over the platform surfaces: set-up, surfaces by id,
// fills, colour matching and the present of each frame.
#include "engine/DDraw.h"

#include <cstring>

#include "platform/Backend.h"
#include "platform/Display.h"
#include "engine/ErrorBox.h"
#include "engine/MemDbg.h"
#include "engine/PicPaint.h"
#include "engine/PixelFormat.h"

cDDRAW gDDraw;
DisplaySurface* gDrawSurface;

namespace {
constexpr u32 kTextureMemory = 64u << 20;
}

int cDDRAW::Create(HWND wnd, i32 mode, i32 width, i32 height, i32 bits) {
    wnd_ = wnd;
    width_ = width;
    height_ = height;
    if (!CreateDirectDraw()) return 0;
    if (!DDSetCooper(wnd, mode == kDisplayWindowed ? kCoopNormal : kCoopFullScreen)) return 0;
    if (!DDSetMode(wnd, width, height, bits)) return 0;
    if (!CreatePrimary()) return 0;
    GetPixelMode();
    return 1;
}

int cDDRAW::CreateDirectDraw() {
    // Without a display there is no driver to open.
    if (!PlatformHasDisplay()) {
        DDErrorBox(wnd_, "DirectDraw Create Error!!");
        return 0;
    }
    directDraw_ = true;
    return 1;
}

int cDDRAW::DDSetCooper(HWND wnd, u32 flags) {
    if (!directDraw_) {
        DDErrorBox(wnd, "DirectDraw SetCooper Error!!");
        return 0;
    }
    coopFlags_ = flags;
    return 1;
}

int cDDRAW::DDSetMode(HWND wnd, i32 width, i32 height, i32 bits) {
    if (!directDraw_ || !DisplayOpen(width, height, bits)) {
        DDErrorBox(wnd, "DirectDraw SetDisplayMode Error!!");
        ReleaseDirectDraw();
        return 0;
    }
    bits_ = bits;
    return 1;
}

int cDDRAW::CreatePrimary() {
    QueryTextureMemory();
    primary_ = DisplayCreatePrimary();
    if (!primary_) {
        DDErrorBox(wnd_, "DirectDraw Create Primary Surface Error!!");
        return 0;
    }
    if (!CreateClipper(wnd_)) return 0;
    DisplaySurfaceSize(primary_, nullptr, &primaryHeight_, &primaryPitch_);
    if (coopFlags_ & 1) {
        // Full screen has no back surface: the primary stands for both.
        backPitch_ = primaryPitch_;
        backHeight_ = primaryHeight_;
        return 1;
    }
    back_ = DisplayCreateSurface(width_, height_);
    if (!back_) {
        DDErrorBox(wnd_, "DirectDraw Create Primary Surface Error!!");
        return 0;
    }
    DisplaySurfaceSize(back_, nullptr, &backHeight_, &backPitch_);
    return 1;
}

int cDDRAW::CreateClipper(HWND) {
    clipper_ = true;
    return 1;
}

DisplaySurface* cDDRAW::CreateSysSurface(i32 width, i32 height) {
    DisplaySurface* s = DisplayCreateSurface(width, height);
    if (s) surfaceBytes_ += static_cast<u32>(bits_ / 8 * width * height);
    return s;
}

DisplaySurface* cDDRAW::CreateVidSurface(i32 width, i32 height) {
    return CreateSysSurface(width, height);
}

DisplaySurface* cDDRAW::CreateWorkSurface(i32 width, i32 height) {
    if (work_) DisplayReleaseSurface(work_);
    work_ = DisplayCreateSurface(width, height);
    if (!work_) return nullptr;
    workRect_[0] = workRect_[1] = 0;
    workRect_[2] = width;
    workRect_[3] = height;
    u16 key = static_cast<u16>(ColorMatch(work_, 0x646464));
    DisplaySetColorKey(work_, key);
    DisplayFill(work_, nullptr, key);
    DisplaySurfaceSize(work_, nullptr, &workHeight_, &workPitch_);
    return work_;
}

int cDDRAW::Present() {
    if (!primary_) return 1;
    if (!(coopFlags_ & 1) && back_) {
        // A blit that keeps failing is given up after a bound instead of spinning.
        for (int i = 0; i < kPresentTries; ++i) {
            if (DisplayBlit(primary_, 0, 0, back_, nullptr, false)) break;
            RestoreSurfaces();
        }
    }
    DisplayPresent();
    return 1;
}

int cDDRAW::RestoreSurfaces() {
    return primary_ ? 1 : 0;
}

int cDDRAW::Release() {
    if (!directDraw_) return 0;
    for (DisplaySurface** s : {&work_, &back_, &extra_, &primary_}) {
        if (*s) DisplayReleaseSurface(*s);
        *s = nullptr;
    }
    clipper_ = false;
    if (coopFlags_ & 0x10) DisplayClose();
    return 1;
}

void cDDRAW::ReleaseDirectDraw() {
    directDraw_ = false;
    DisplayClose();
    primary_ = back_ = work_ = extra_ = nullptr;
}

DisplaySurface* cDDRAW::GetSurface(i32 id) const {
    switch (id) {
        case kSurfacePrimary:
            return primary_;
        case kSurfaceBack:
            return back_ ? back_ : primary_;
        case kSurfaceWork:
            return work_;
        default:
            return nullptr;
    }
}

void cDDRAW::ClearSurface(i32 id) {
    DisplaySurface* s = GetSurface(id);
    if (s) FillSurface(s, 0);
}

void cDDRAW::EraseSurface(DisplaySurface* surface) {
    DisplayFill(surface, nullptr, static_cast<u16>(background));
}

int cDDRAW::QueryTextureMemory() {
    textureTotal_ = kTextureMemory;
    textureFree_ = kTextureMemory - surfaceBytes_;
    return 1;
}

u32 cDDRAW::GetFreeTextureMemory() {
    QueryTextureMemory();
    return textureFree_;
}

int cDDRAW::GetPixelMode() {
    u32 r = 0, g = 0, b = 0;
    DisplaySurfaceMasks(primary_, &r, &g, &b);
    layout_ = 0;
    if (g == 0x7E0) layout_ = 2;
    if (b == 0x3F) layout_ = 1;
    if (r == 0xFC00) layout_ = 3;
    return 1;
}

void cDDRAW::GetPrimaryPitch(i32* pitch, i32* height) const {
    if (pitch) *pitch = primaryPitch_;
    if (height) *height = primaryHeight_;
}

void cDDRAW::GetBackPitch(i32* pitch, i32* height) const {
    if (pitch) *pitch = backPitch_;
    if (height) *height = backHeight_;
}

void cDDRAW::GetWorkPitch(i32* pitch, i32* height) const {
    if (pitch) *pitch = workPitch_;
    if (height) *height = workHeight_;
}

int FillSurface(DisplaySurface* surface, u32 colorRef) {
    if (!surface) return 0;
    return DisplayFill(surface, nullptr, static_cast<u16>(ColorMatch(surface, colorRef))) ? 1 : 0;
}

// Sets the top-left pixel to the colour the way a device context would, reads
// the surface value back and puts the old pixel back.
u32 ColorMatch(DisplaySurface* surface, u32 colorRef) {
    i32 pitch = 0;
    u16* px = DisplayLock(surface, &pitch);
    if (!px) return 0xFFFFFFFF;
    u16 old = px[0];
    if (colorRef != 0xFFFFFFFF) DisplaySetPixelColor(surface, 0, 0, colorRef);
    u32 value = px[0];
    px[0] = old;
    DisplayUnlock(surface);
    return value;
}

void RestoreSurfacesAndKernel() {
    gDDraw.RestoreSurfaces();
    if (!gDrawSurface) return;
    InitPaint(gDrawSurface);
    gPaintBuf = LockSurface(gDrawSurface);
    UnlockSurface(gDrawSurface, nullptr);
}

void ShowCanvas() {
    DisplaySurface* primary = gDDraw.GetSurface(kSurfacePrimary);
    if (gDrawSurface && primary) DisplayBlit(primary, 0, 0, gDrawSurface, nullptr, false);
    DisplayPumpShow();
}

void ClearPaintBufferAndShow() {
    if (gPaintBuf) std::memset(gPaintBuf, 0, static_cast<size_t>(gScreenHeight) * gScreenPitch);
    ShowCanvas();
}

u32 PrimaryPitch() {
    i32 pitch = 0;
    gDDraw.GetPrimaryPitch(&pitch, nullptr);
    return static_cast<u32>(pitch);
}

void ResetDDraw() {
    gDDraw = cDDRAW();
    gDrawSurface = nullptr;
    DisplayReset();
}

u16* CopyCanvasPixels() {
    if (!gDrawSurface) return nullptr;
    i32 pitch = 0, w = 0, h = 0;
    DisplaySurfaceSize(gDrawSurface, &w, &h, &pitch);
    u16* src = DisplayLock(gDrawSurface, &pitch);
    if (!src || w < 640 || h < 480) {
        if (src) DisplayUnlock(gDrawSurface);
        return nullptr;
    }
    u16* copy = static_cast<u16*>(MH_ALLOC(640 * 480 * 2));
    if (copy)
        for (i32 y = 0; y < 480; ++y)
            std::memcpy(copy + y * 640, reinterpret_cast<const u8*>(src) + y * pitch, 640 * 2);
    DisplayUnlock(gDrawSurface);
    return copy;
}
