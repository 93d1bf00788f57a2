// Pause notice and the disc prompt; the prompt runs its own loop and keeps the
// window's events flowing.
#include "shell/PauseAndDisc.h"

#include <cstring>
#include <string>

#include "platform/TextCodec.h"
#include "engine/DDraw.h"
#include "engine/DInput.h"
#include "engine/GrpFont.h"
#include "engine/PicPaint.h"
#include "engine/PixelFormat.h"
#include "sound/BinkPlayer.h"
#include "sound/Sound.h"
#include "map/ShadedBox.h"
#include "map/SystemServices.h"
#include "shell/Main.h"
#include "shell/Settings.h"

namespace {

constexpr int kKeyQ = 0x10;  // scan code of Q
constexpr u32 kAudioPeriodMs = 80;
constexpr u32 kFoundShowMs = 500;

const char* const kDiscRequests[4] = {" 請放入標示 1 的光碟 ", " 請放入標示 2 的光碟 ",
                                      " 請放入第四片光碟 ", " 請放入 動畫資料 光碟 "};

int gLastDrive[4] = {};  // kinds 2 and 3 start from the drive they last tried

void ClearCanvas() {
    if (gPaintBuf) std::memset(gPaintBuf, 0, static_cast<size_t>(gScreenHeight) * gScreenPitch);
}

// A line of text centred on the screen inside a framed box as wide as the
// text is drawn (the second font's 20-pixel advance, 10 for a single byte).
void ShowCentredLine(const char* big5, i32 y) {
    i32 w = gSecondFont.TextWidth(big5);
    i32 x = 320 - w / 2;
    DrawFramedBox(x, y, w, 18, 1, 4, 4, 4);
    gSecondFont.DrawString(gPaintBuf, x, y, big5, static_cast<u16>(MakeColor(21, 15, 8)), 2);
}

void ShowRequest(int kind) {
    ClearCanvas();
    ShowCentredLine(B5(kDiscRequests[kind & 3]), 211);
    ShowCentredLine(B5(" 或按 Q 鍵離開遊戲 "), 271);
    ShowCanvas();
}

// Lets the window's events in without dispatching them: they wait for the main loop.
void PumpWindow() {
    MSG msg;
    PeekMessageA(&msg, nullptr, PM_NOREMOVE);
}

int DriveCount() {
    int n = 0;
    while (n < 32 && gCdDrives[n] != 0xFF) ++n;
    return n;
}

}  // namespace

void DrawPauseScreen() {
    const char* text = B5("遊戲暫停  按F8繼續遊戲");
    i32 n = static_cast<i32>(std::strlen(text));
    i32 x = 320 - (n / 2) * 11;
    i32 y = 229;
    DrawFramedBox(x, y, (n / 2) * 22, 22, 0, 0, 0, 0);
    if (gPaintBuf)
        gMainFont.DrawString(gPaintBuf, x, y, text, static_cast<u16>(MakeColor(25, 23, 17)), 2);
    ShowCanvas();
}

int FindDisc(char* root, int kind, char* letter) {
    gRunState |= kRunDiscPrompt;
    int drives = DriveCount();
    u32 period = drives == 1 ? kDiscPollOneDriveMs : kDiscPollDrivesMs;
    int next = (kind == 2 || kind == 3) ? gLastDrive[kind] : 0;
    bool firstTry = true;
    u32 lastPoll = timeGetTime() - period;
    u32 lastAudio = timeGetTime();
    for (;;) {
        u32 now = timeGetTime();
        if (now - lastPoll >= period) {
            lastPoll = now;
            if (drives > 0) {
                int i = next % drives;
                next = i + 1;
                if (kind == 2 || kind == 3) gLastDrive[kind] = i;
                char r[4] = {static_cast<char>(gCdDrives[i]), ':', '\\', 0};
                if (HasVolumeLabel(r, "AudioCD")) {
                    std::memcpy(root, r, 4);
                    break;
                }
            }
            firstTry = false;
            ShowRequest(kind);
        }
        if (now - lastAudio >= kAudioPeriodMs) {
            lastAudio = now;
            UpdateAudio();
        }
        PumpWindow();
        gDInput.ReadKeyboard();
        if (gDInput.IsKeyDown(kKeyQ)) {
            gRunState |= kRunQuit;
            return 2;
        }
        WaitForEventOrTimeout(10);
    }
    if (!firstTry) {
        ClearCanvas();
        ShowCentredLine(B5("光碟已經放置妥當"), 231);
        ShowCanvas();
        u32 until = timeGetTime() + kFoundShowMs;
        while (static_cast<i32>(until - timeGetTime()) > 0) {
            PumpWindow();
            WaitForEventOrTimeout(10);
        }
    }
    gRunState &= static_cast<u8>(~kRunDiscPrompt);
    *letter = root[0];
    return 1;
}
