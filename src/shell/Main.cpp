// WinMain with the single-instance rule and the installer hook, the window
// procedure, the main loop and the per-frame tick.
#include "shell/Main.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

#include "base/Types.h"
#include "platform/Fault.h"
#include "platform/HostFs.h"
#include "platform/Input.h"
#include "platform/Win.h"
#include "engine/DDraw.h"
#include "engine/DInput.h"
#include "engine/ErrorBox.h"
#include "engine/FrameState.h"
#include "engine/GrpFont.h"
#include "engine/Ime.h"
#include "engine/MemDbg.h"
#include "engine/Random.h"
#include "engine/Tsw.h"
#include "engine/Water.h"
#include "sound/BinkPlayer.h"
#include "sound/Sound.h"
#include "data/GameData.h"
#include "data/GameFlags.h"
#include "map/ActDraw.h"
#include "map/KeyCole.h"
#include "map/MapManage.h"
#include "map/MapScene.h"
#include "map/MapTransients.h"
#include "map/Swim.h"
#include "story/Countdowns.h"
#include "story/Dialog.h"
#include "story/Talk.h"
#include "story/TextTools.h"
#include "story/Trigger.h"
#include "ui/DevTool.h"
#include "ui/ScreenState.h"
#include "battle/Battle.h"
#include "screens/ScreenManager.h"
#include "shell/GameReset.h"
#include "shell/PauseAndDisc.h"
#include "shell/Session.h"
#include "shell/Settings.h"
#include "shell/Startup.h"

HINSTANCE gInstance = nullptr;

namespace {

constexpr u64 kScreenshotMinFree = 64ull * 1024 * 1024;
constexpr int kScreenshotNames = 99999;  // "%05d" numbers 0..99998

void ResetFrameGlobals() {
    gInstance = nullptr;
    ResetFrameState();
}

void RunCountdowns() {
    if (GetGameFlag(kStoryCountdownFlag)) {
        if (!gBattleActive) --gStoryCountdown;
        if (gStoryCountdown < 0 && !TalkRunning() && gFrameId == kMapMode && !gDevToolActive) {
            gStoryCountdown = -1;
            ClearGameFlag(kStoryCountdownFlag);
            ClearGameFlag(kStoryCountdownMarkFlag);
            SetGameFlag(kStoryCountdownOutFlag);
            ReleaseMapTransients();
            StartCountdownTalk();
        }
    }
    if (GetGameFlag(kFlagCountdownFlag)) {
        --gFlagCountdown;
        if (gFlagCountdown < 0) {
            gFlagCountdown = -1;
            ClearGameFlag(kFlagCountdownFlag);
            SetGameFlag(kFlagCountdownOutFlag);
        }
    }
}

void RunMapMode() {
    TriggerStory();
    KeyCole();
    if (!gGameActive || gSuspended || gFrameId != kMapMode || gBattleActive || gDevToolActive)
        return;
    TalkStep();
    if (gRunState & (kRunQuit | kRunVideo)) return;
    UpdateRoles();
    ResetFontAdvances();
    UpdateMapScene();
}

// The first screenshot name not taken yet; false when all are taken (an old
// picture is never overwritten).
bool NextScreenshotName(std::string* out) {
    char path[kPathSize + 32];
    for (int i = 0; i < kScreenshotNames; ++i) {
        std::snprintf(path, sizeof(path), "%sScrnShot\\%05d.bmp", gBasePath, i);
        if (!FileExists(path)) {
            *out = path;
            return true;
        }
    }
    return false;
}

void TakeScreenshot() {
    u64 freeBytes = 0;
    if (!GetDiskFreeSpaceExA(gBasePath, &freeBytes) || freeBytes <= kScreenshotMinFree) return;
    Beep();
    std::string path;
    if (NextScreenshotName(&path)) SaveScreenShot(path.c_str());
}

void OnKeyUp(WPARAM key) {
    if (key == VK_ESCAPE && (gRunState & kRunVideo)) StopVideo();
    if (key == VK_F8 && gGameActive == 0) gGameActive = 1;
    if (key == 'P' && GetGameFlag(kGameReadyFlag)) TakeScreenshot();
}

void OnDestroy() {
    // Nothing ticks once the window is gone: the surfaces are released here.
    gGameActive = 0;
    if (GetGameFlag(kGameReadyFlag) || (gRunState & kRunQuit)) ReleaseGame();
    DeleteWaterList();
    FreeCodeMap();
    MemDbgExit();
    // A start that ends before the title failed, whatever its box said.
    PostQuitMessage(InitGameRunning() ? kExitFailed : 0);
}

// One copy only: the one started second ends at once, and the installer's hook
// leaves the running game's settings alone.
int ReportRunningCopy(const char* commandLine) {
    if (commandLine && *commandLine)
        ReportFault(kNoBox,
                    "Moonharbor is running: the settings file was not written; end the game "
                    "and run the installer again");
    else
        ReportFault(kNoBox, "Moonharbor is running already: this copy ends");
    return kExitFailed;
}

// How long the loop may wait before the next tick is due.
u32 MsUntilNextTick() {
    if (gFrameInterval == 0) return 0;
    u32 since = timeGetTime() - gLastFrameTime;
    return since >= gFrameInterval ? 0 : gFrameInterval - since;
}

}  // namespace

void ResetShellState() {
    ResetFrameGlobals();
}

const char* GetBasePath() {
    return gBasePath;
}

bool GameFrame() {
    if (gFrameId == kQuitFrameId) {
        EndSession();
        gSuspended = 1;
        SendMessageA(gMainWnd, WM_DESTROY, 0, 0);
        return true;
    }
    u32 now = timeGetTime();
    gFrameTime = now;
    if (now - gLastFrameTime < gFrameInterval) return false;
    gLastFrameTime = now;
    PicCacheNewTick();

    if (gFrameId == kMapMode) RunCountdowns();
    PollInput();
    if (!GetGameFlag(kKeysFrozenFlag)) UpdateKeyStates();
    SetMapCursorAction(13);

    if (gDevToolActive) {
        RunDebugTool();
    } else {
        if (!gBattleActive && !GetGameFlag(kHoldBattleFlag) && (gBattleRequest & kBattlePending)) {
            gBattleRequest &= ~kBattlePending;
            if (gBattleRequest != 0) EnterBattle();
        }
        if (++gGameTimeCycle > 20) {
            gGameTimeCycle = 0;
            ++gGameTime;
        }
        // The item and skill rules see whether a battle runs.
        gRulesInBattle = static_cast<int>(gBattleActive);
        if (gBattleActive) {
            int r = BattleFrame();
            if (r == 0 || r == 2) {
                ReturnFromBattle(r == 0 ? 1 : 0);
                gBattleActive = 0;
                gRulesInBattle = 0;
            }
            UpdateAudio();
            return true;
        }
        if ((gRunState & kRunSwim) && gSwim) {
            if (RunSwimScene()) gRunState &= static_cast<u8>(~kRunSwim);
        } else if (gFrameId == kMapMode)
            RunMapMode();
        else
            RunInterface(ScreenIdOf(gFrameId));
    }
    UpdateAudio();
    if (gRunState & kRunQuit) SendMessageA(gMainWnd, WM_CLOSE, 0, 0);
    return true;
}

int SetAppActive(int active) {
    ClearFrameInterval();
    if (!active) {
        StopAllSfx();
        ReleaseFontObjects();
        gWindowShown = 0;
        gSuspended = 1;
        ShowWindow(gMainWnd, SW_MINIMIZE);
        return 0;
    }
    ShowWindow(gMainWnd, SW_RESTORE);
    gWindowShown = 1;
    RestoreSurfacesAndKernel();
    RecreateFonts();
    // Keys held through the suspend (the Return of Alt+Enter) are not presses.
    PlatformIgnoreHeldKeys();
    gSuspended = 0;
    SetDialogTextSize();
    SetFrameInterval(kFrameMs);
    return 0;
}

void PlayVideo(const char* name) {
    char path[kPathSize + 64];
    std::snprintf(path, sizeof(path), "%svideo\\%s", gBasePath, name);
    ClearPaintBufferAndShow();
    if (!StartVideo(path, 100)) return;
    gRunState |= kRunVideo;
}

LRESULT WndProc(HWND hwnd, u32 msg, WPARAM w, LPARAM l) {
    if (GetGameFlag(kTextInputFlag) && TextInputHandleMessage(msg, w, l)) return 1;
    switch (msg) {
        case WM_CREATE:
            gMainWnd = hwnd;
            BuildCodeMap();
            break;
        case WM_DESTROY:
            OnDestroy();
            break;
        case WM_SIZE:
            if (!GetGameFlag(kGameReadyFlag)) break;
            if (w == SIZE_MINIMIZED || w == SIZE_MAXSHOW || w == SIZE_MAXHIDE)
                SetAppActive(0);
            else if (w == SIZE_RESTORED || w == SIZE_MAXIMIZED)
                SetAppActive(1);
            break;
        case WM_ACTIVATEAPP:
            if (GetGameFlag(kGameReadyFlag)) SetAppActive(w ? 1 : 0);
            break;
        case WM_SYSCOMMAND:
            if (w == SC_TASKLIST || w == SC_SCREENSAVE || w == SC_MONITORPOWER || w == SC_MOUSEMENU)
                return 1;
            break;
        case WM_KEYUP:
            OnKeyUp(w);
            break;
        case WM_SYSKEYDOWN:
            if (w == VK_RETURN) SetAppActive(gWindowShown == 1 ? 0 : 1);
            break;
        case WM_USER + 4:
            ShowStartupDialog();
            break;
        case WM_QUIT: {
            std::string path = std::string(gBasePath) + "_memDbg.txt";
            DeleteFileA(path.c_str());
            DeleteFileA("_memDbg.txt");
            break;
        }
        default:
            break;
    }
    return DefWindowProcA(hwnd, msg, w, l);
}

bool PumpOneMessage(int* exitCode, bool* quit) {
    MSG msg;
    if (!PeekMessageA(&msg, nullptr, PM_NOREMOVE)) return false;
    if (!GetMessageA(&msg)) {
        *quit = true;
        *exitCode = static_cast<int>(msg.wParam);
        return true;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
    return true;
}

int RunMainLoop() {
    for (;;) {
        int code = 0;
        bool quit = false;
        if (PumpOneMessage(&code, &quit)) {
            if (quit) return code;
            continue;
        }
        if (gGameActive == 0) {
            DrawPauseScreen();
            WaitForEventOrTimeout(kFrameMs);
        } else if (gRunState & kRunVideo) {
            StepVideo();
        } else if (gSuspended == 0) {
            // Nothing is due: wait for the next tick or the next event instead of spinning.
            if (!GameFrame()) WaitForEventOrTimeout(MsUntilNextTick());
        } else {
            WaitForEventOrTimeout(kFrameMs);
        }
    }
}

int WinMain(HINSTANCE instance, HINSTANCE, const char* commandLine, int showCommand) {
    // Any command line is the installer's; another one is told the form and
    // fails, so that whoever started it does not count on settings never written.
    const bool install = commandLine && *commandLine;
    u8 mode = 0;
    std::string root;
    if (install && !ParseInstallCommand(commandLine, &mode, &root)) {
        ReportFault(kNoBox, "%s", kInstallCommandForm);
        return kExitFailed;
    }
    // The copy that ends at once touches nothing, not even the running copy's
    // allocator report, which the debug allocator's start would empty.
    if (FindWindowA("Moonharbor", "Moonharbor")) return ReportRunningCopy(commandLine);
    // The window search sees only this user's copies in this session; the lock
    // of the folder keeps out a copy from anywhere else. Every folder the copy
    // would use is taken before it opens a window or a sound device.
    if (!TakeGameFolder(".")) return ReportRunningCopy(commandLine);
    if (install ? !TakeGameFolder(root.c_str()) : !TakeSettingsRoot())
        return ReportRunningCopy(commandLine);
    MemDbgInit();
    if (HWND zover = FindWindowA("XkTlv5eg", "Zover")) {
        SendMessageA(zover, WM_USER + 1, 0, 0);
        Sleep(1000);
    }
    if (install) {
        // The installer's hook: write a fresh settings file for the root and end.
        SetDefaultKeys();
        std::snprintf(gBasePath, kPathSize, "%s", root.c_str());
        FindCdDrives(gCdPath);
        EnvValues v;
        v.root = root;
        v.cdPath = gCdPath;
        v.installMode = mode;
        v.sfxVolume = 6;
        v.musicVolume = 6;
        v.cacheMb = 60;
        v.memory = 100;
        v.sceneSwitch = 0;
        v.textDelay = 2;
        v.byte29 = 10;
        // The installer learns from the exit code whether the file is there;
        // the writer has named the file that could not be written.
        return WriteEnvFileAtRoot(v) ? 0 : 1;
    }
    WNDCLASS wc;
    wc.className = "Moonharbor";
    wc.proc = WndProc;
    if (!RegisterClassA(wc)) return 0;
    gInstance = instance;
    gMainWnd = CreateWindowExA("Moonharbor", "Moonharbor", 640, 480);
    if (!gMainWnd) return 0;
    ShowWindow(gMainWnd, showCommand);
    if (!StartUp()) {
        // The settings named a root that another copy runs in.
        DestroyWindow(gMainWnd);
        ResetGame();
        return ReportRunningCopy(nullptr);
    }
    u32 now = static_cast<u32>(std::time(nullptr));
    std::srand(now);
    InitRandom(now);
    gGameActive = 1;
    int code = RunMainLoop();
    // The window is gone: every module lets go of what it still holds.
    ResetGame();
    return code;
}
