// The video player, the story command that starts a video, the per-pass
// service and the stop that hands the screen back.
#include "sound/BinkPlayer.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "base/DataError.h"
#include "platform/Display.h"
#include "platform/Win.h"
#include "engine/DDraw.h"
#include "engine/DataErrors.h"
#include "engine/ErrorBox.h"
#include "engine/FrameState.h"
#include "engine/MyAct.h"
#include "engine/PicPaint.h"
#include "engine/PixelFormat.h"
#include "engine/Tsw.h"
#include "sound/Music.h"
#include "sound/Redbook.h"
#include "sound/Sound.h"

cBinkPlayer* gBinkPlayer = nullptr;
VideoTarget gVideoTarget;

namespace {
struct VideoOutput {
    int directSound = 0;
    HDIGDRIVER driver = nullptr;
};
VideoOutput gVideoOutput;
ActPlayer gVideoOverlay;  // act 0: no overlay
constexpr u32 kVideoPathSize = 1024;
constexpr int kOverlayLowFrom = 220;  // later frames put the overlay 5 pixels lower
}  // namespace

int cBinkPlayer::Open(const char* name, u32 flags, int volume, void* window) {
    Close();
    DataError error;
    handle_ = VideoOpen(name, &error);
    if (!handle_) {
        ReportDataError(error);
        return 0;
    }
    summary_ = VideoGetSummary(handle_);
    VideoSetVolume(handle_, std::clamp(volume, 0, 127) * 32768 / 127);
    return 1;
}

int cBinkPlayer::Close() {
    if (!handle_) return 0;
    VideoClose(handle_);
    handle_ = nullptr;
    return 1;
}

int cBinkPlayer::DoFrame(void* dest, u32 pitch, u32 height, u32 x, u32 y) {
    if (!handle_) return -1;
    if (!VideoDoFrame(handle_)) return -1;
    VideoCopyToBuffer(handle_, dest, pitch, height, x, y, gVideoTarget.layout);
    if (VideoFrameCount(handle_) > VideoCurrentFrame(handle_)) {
        VideoNextFrame(handle_);
        return 1;
    }
    VideoNextFrame(handle_);  // past the last: the frame number turns negative
    return -1;
}

void cBinkPlayer::Goto(u32 frame) {
    VideoGoto(handle_, frame);
}
bool cBinkPlayer::Wait() {
    return handle_ && VideoWait(handle_);
}
void cBinkPlayer::Pause(bool on) {
    VideoPause(handle_, on);
}

int cBinkPlayer::Frame() const {
    if (!handle_) return -1;
    u32 cur = VideoCurrentFrame(handle_);
    return cur > VideoFrameCount(handle_) ? -static_cast<int>(cur) : static_cast<int>(cur);
}

void InitBinkOutput(VideoPixels layout, int directSound, HDIGDRIVER driver) {
    gVideoOutput = {directSound, driver};
    gVideoTarget.layout = layout;
}

bool BindVideoToPrimary() {
    DisplaySurface* primary = gDDraw.GetSurface(kSurfacePrimary);
    if (!primary) return false;
    i32 width = 0, height = 0, pitch = 0;
    DisplaySurfaceSize(primary, &width, &height, &pitch);
    u32 red = 0, green = 0, blue = 0;
    DisplaySurfaceMasks(primary, &red, &green, &blue);
    gVideoTarget.pixels = DisplayLock(primary, &pitch);
    DisplayUnlock(primary);
    gVideoTarget.pitch = static_cast<u32>(pitch);
    gVideoTarget.height = static_cast<u32>(height);
    // Our primary is the picture itself, not the desktop: the video starts at its top row.
    gVideoTarget.rowOffset = 0;
    gVideoTarget.layout = green == 0x07E0 ? VideoPixels::Rgb565 : VideoPixels::Rgb555;
    // The surface is looked up for every frame: a display made again must not
    // leave the video writing into freed pixels.
    gVideoTarget.lock = [](u32* p, u32* rows) -> void* {
        DisplaySurface* s = gDDraw.GetSurface(kSurfacePrimary);
        if (!s) return nullptr;
        i32 sp = 0, h = 0;
        DisplaySurfaceSize(s, nullptr, &h, nullptr);
        void* px = DisplayLock(s, &sp);
        *p = static_cast<u32>(sp);
        *rows = static_cast<u32>(h);
        return px;
    };
    gVideoTarget.unlock = [] { DisplayUnlock(gDDraw.GetSurface(kSurfacePrimary)); };
    // The primary itself is shown: a windowed present would copy the back
    // surface over the frame first.
    gVideoTarget.present = [] { DisplayPresent(); };
    return true;
}

bool PlayVideoFile(const char* path, int volume) {
    if (gBinkPlayer) {
        gBinkPlayer->Close();
        delete gBinkPlayer;
        gBinkPlayer = nullptr;
    }
    gBinkPlayer = new cBinkPlayer;
    gBinkPlayer->Open(path, 0, volume, gMainWnd);
    gRunState |= kRunVideo;
    if (gBinkPlayer->IsOpen()) return true;
    // A video that cannot be opened stops at once and never decodes.
    StopVideo();
    return false;
}

void ScriptPlayVideo(const char* basePath, const u8* script, u32 scriptSize, u32* ip) {
    std::string path = std::string(basePath ? basePath : "") + "Video\\";
    u32 at = *ip + 2;
    // The name runs to the two-byte mark 0x5125; it is cut at the buffer's size
    // and never read past the script.
    while (at + 1 < scriptSize && !(script[at] == 0x25 && script[at + 1] == 0x51)) {
        if (path.size() + 1 < kVideoPathSize) path.push_back(static_cast<char>(script[at]));
        ++at;
    }
    *ip = std::min(at + 2, scriptSize);
    PlayVideoFile(path.c_str(), 100);
}

void ServiceVideo() {
    if (!gBinkPlayer) return;
    if (!gBinkPlayer->IsOpen()) {
        StopVideo();
        return;
    }
    if (gBinkPlayer->Wait()) {
        Sleep(0);
        return;
    }
    int r = -1;
    void* pixels = gVideoTarget.pixels;
    u32 pitch = gVideoTarget.pitch;
    u32 rows = gVideoTarget.height;
    if (gVideoTarget.lock) pixels = gVideoTarget.lock(&pitch, &rows);
    if (pixels) {
        r = gBinkPlayer->DoFrame(pixels, pitch, rows, 0, gVideoTarget.rowOffset);
        BinkOverLap(pixels, pitch, rows);
        if (gVideoTarget.lock && gVideoTarget.unlock) gVideoTarget.unlock();
    } else {
        // No screen to draw on: keep the video's clock running all the same.
        static u16 sink;
        r = gBinkPlayer->DoFrame(&sink, 0, 0, 0, 0);
    }
    if (gVideoTarget.present) gVideoTarget.present();
    if (r < 1) StopVideo();
}

void StopVideo() {
    if (gBinkPlayer) {
        gBinkPlayer->Close();
        delete gBinkPlayer;
        gBinkPlayer = nullptr;
    }
    gVideoOverlay = ActPlayer{};
    if (gRunState & kRunQuit) PostMessageA(gMainWnd, WM_CLOSE, 0, 0);
    gRunState &= static_cast<u8>(~kRunVideo);
    if (gVideoTarget.afterStop) gVideoTarget.afterStop();
}

int GetVideoFrame() {
    return gBinkPlayer ? gBinkPlayer->Frame() : -1;
}

int SetBinkOverLap(i32 act, i32 action) {
    if (!gBinkPlayer) return 0;
    gVideoOverlay = ActPlayer{};
    gVideoOverlay.act = act;
    gVideoOverlay.action = action;
    return 1;
}

void BinkOverLap(void* pixels, u32 pitch, u32 rows) {
    ActPlayer& a = gVideoOverlay;
    if (a.act <= 0 || !pixels) return;
    if (!TakeActData(&a)) {
        ReportActFault(a.act, "TakeActData(BinkOverLap)", "act[%d] qq[%d] dir[%d]", a.act, a.action,
                       a.dir);
        a = ActPlayer{};
        return;
    }
    // The blitters step rows by the screen's pitch: another target is not drawn on.
    if (pitch != static_cast<u32>(gScreenPitch) || rows < 480) return;
    PicFrame* f = a.pic ? GetPic(a.pic, a.frame) : nullptr;
    if (!f || !f->pixels) return;
    int frame = gBinkPlayer ? std::abs(gBinkPlayer->Frame()) : 0;
    i32 y = (frame > kOverlayLowFrom ? 480 : 475) - f->height;
    u16* keepBuf = gPaintBuf;
    ClipRect keepClip = gClipRect;
    gPaintBuf = static_cast<u16*>(pixels);
    SetClip(0, 0, 640, 480);
    gCurPic = f->pixels;
    PutPic((640 - f->width) / 2, y, f->width, f->height, 0, nullptr);
    gPaintBuf = keepBuf;
    gClipRect = keepClip;
}

void PauseVideo(bool on) {
    if (gBinkPlayer) gBinkPlayer->Pause(on);
}

void ResetVideo() {
    delete gBinkPlayer;
    gBinkPlayer = nullptr;
    gVideoOverlay = ActPlayer{};
    gVideoTarget = VideoTarget{};
    gVideoOutput = VideoOutput{};
}

void UpdateAudio() {
    gMusic.Service();
    gMidi.Service();
    gStream.Service();
    gSound.Service();
    if (gRedbook && gRedbook->Activity() != 0) gRedbook->Poll();
}

bool StartVideo(const char* path, int volume) {
    return PlayVideoFile(path, volume);
}
void StepVideo() {
    ServiceVideo();
}
