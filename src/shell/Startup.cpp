// Start-up sequence, device start, game initialisation, the start-up dialog
// and the release on WM_DESTROY.
#include "shell/Startup.h"

#include <cstdio>
#include <filesystem>
#include <string>

#include "base/Types.h"
#include "platform/AudioLib.h"
#include "platform/Disc.h"
#include "platform/Fault.h"
#include "platform/FolderLock.h"
#include "platform/HostFs.h"
#include "platform/TextCodec.h"
#include "platform/Win.h"
#include "engine/DDraw.h"
#include "engine/DInput.h"
#include "engine/ErrorBox.h"
#include "engine/File.h"
#include "engine/FrameState.h"
#include "engine/GrpFont.h"
#include "engine/Ime.h"
#include "engine/PicPaint.h"
#include "engine/PixelFormat.h"
#include "engine/Water.h"
#include "sound/BinkPlayer.h"
#include "sound/Music.h"
#include "sound/Sound.h"
#include "data/GameFlags.h"
#include "map/AStar.h"
#include "map/ActDraw.h"
#include "map/Ghosts.h"
#include "map/MapArchive.h"
#include "map/MapCache.h"
#include "map/MapDb.h"
#include "map/NewGame.h"
#include "map/SystemServices.h"
#include "story/Dialog.h"
#include "story/Talk.h"
#include "ui/DevTool.h"
#include "shell/Main.h"
#include "shell/PictureSetup.h"
#include "shell/Session.h"
#include "shell/Settings.h"

u32 gDeviceState = 0;
u32 gStartDone = 0;
u32 gReleaseRuns = 0;

namespace {

constexpr int kSoundTries = 20;
bool gReleasePending = false;  // set by InitGame, cleared by ReleaseGame
bool gInitRunning = false;

void StopStart(HWND window) {
    SendMessageA(window, WM_DESTROY, 0, 0);
}

void StartSound() {
    MilesStartup(gBasePath);
    // Only the output is worth another try: a bad bank stays bad.
    for (int i = 0; i < kSoundTries; ++i)
        if (gSound.Init(gBasePath) || !gSound.HasBank()) break;
    if (!gSound.IsReady()) Sleep(1000);  // and on without sound
    gStream.Init(gSound.GetDigDriver());
    gMidi.Open();
}

// Warns when the map cache may not fit on the disk; the game goes on.
void CheckDiskSpace() {
    i64 cacheMb = (static_cast<i64>(ResetMapCache(1)) + (1 << 20) - 1) >> 20;
    i64 need = static_cast<i64>(gSwapSpace) - cacheMb + 64;
    if (need < static_cast<i64>(GetFreeDiskMB())) return;
    Sleep(1024);
    Beep();
    ErrorBox(B5("!!! 注意 !!!"), B5("遊戲過程中,磁碟空間不足\n請確認至少剩餘 %dM磁碟空間."),
             static_cast<int>(need));
}

// A folder without the game's data gets one line on the terminal besides the
// database's box: where the game looked, what it missed, how to write the
// sample game there.
void ReportMissingGameData() {
    for (const char* name : {"MH_Data\\maps.dat", "MH_Data\\path.dat"}) {
        std::string file = std::string(gBasePath) + name;
        if (FileExists(file.c_str())) continue;
        std::error_code ec;
        // The folder as the file system names it (no Big5 in this line), so
        // that the command runs as it stands.
        std::string folder = std::filesystem::absolute(HostPath(gBasePath[0] ? gBasePath : "."), ec)
                                 .lexically_normal()
                                 .string();
        ReportFileFault("moonharbor: no game data in " + folder + ": " + HostPath(name) +
                            " is missing; write the sample game there with `mhgen " + folder +
                            "` (built beside the game)",
                        "", kNoBox, nullptr);
        return;
    }
}

// Locking the canvas as gPaintBuf sets the pitch and row table; its pixels stay put.
void LockCanvas() {
    gPaintBuf = LockSurface(gDrawSurface);
    UnlockSurface(gDrawSurface, nullptr);
}

}  // namespace

void ResetStartup() {
    gDeviceState = 0;
    gStartDone = 0;
    gReleaseRuns = 0;
    gReleasePending = false;
    gInitRunning = false;
}

int MakeFolder(const char* name) {
    std::string path = std::string(gBasePath) + name;
    if (!FileExists(path.c_str())) CreateDirectoryA(path.c_str());
    return 1;
}

void MakeStartFolders() {
    for (const char* name : {"Save", "Data", "Music", "ScrnShot"}) MakeFolder(name);
    RemoveLeftoverTemporaries();
}

void RemoveLeftoverTemporaries() {
    std::string root = gBasePath[0] ? gBasePath : ".\\";
    RemoveTemporaryFiles(root.c_str(), "Env.dat.tmp");
    for (const char* name : {"Save", "Data", "ScrnShot"})
        RemoveTemporaryFiles((std::string(gBasePath) + name).c_str());
}

bool TakeGameFolder(const char* folder) {
    return LockFolder(HostPath(folder)) != FolderLock::HeldElsewhere;
}

int StartUp() {
    if (!gWaterList) gWaterList = new cWater(1, 1, 0, 0, 1, 1);
    PlaySoundResource(120);
    MountDiscs();
    SetDefaultKeys();
    if (!ReadSettings()) return 0;
    ClearGameFlag(kStoryCountdownMarkFlag);
    ShowWindow(gMainWnd, SW_SHOWNORMAL);
    InitGame(gMainWnd);
    gStartDone = 1;
    return 1;
}

int InitDevices() {
    gDeviceState = 0;
    StartSound();
    if (gDInput.Init(gInstance, gMainWnd) != 0) {
        gDeviceState |= 0x2;
        // The text is shown as it stands, "%n" included: it is no format.
        ReportFault({"Moonharbor"}, "%s", B5("DirectInput 初始化錯誤%n"));
        StopStart(gMainWnd);
        return 0;
    }
    if (!gDDraw.Create(gMainWnd, kDisplayFullScreen, 640, 480, 16)) {
        gRunState |= kRunQuit;
        ReportFault({"DDraw init Failed."}, "Moonharbor");
        StopStart(gMainWnd);
        return 0;
    }
    gDrawSurface = gDDraw.CreateSysSurface(640, 480);
    gWindowShown = 1;
    // The video player draws into the primary and plays through our output; the
    // primary's own masks decide its pixel layout, so that binding comes last.
    InitBinkOutput(VideoPixels::Rgb565, 0, gSound.GetDigDriver());
    BindVideoToPrimary();
    gVideoTarget.afterStop = [] {
        LockCanvas();
        PlayMusic(43, 1);
    };
    return 1;
}

static void InitGameSteps(HWND window) {
    gMainWnd = window;
    gSuspended = 0;
    gGameTimeCycle = 0;
    gReleasePending = true;
    ShowCursor(false);
    if (!InitDevices()) return;
    gDInput.SetMouseSpeed(2.0);
    gDInput.SetMousePos(320, 240);
    SetTextInputSound([](int n) { PlaySfx(n, static_cast<int>(gSfxVolume)); });
    gMusic.SetVolume(static_cast<int>(gMusicVolume * 127 / 11));
    if (!InitPaint(gDrawSurface)) {
        ReportFault({"DrawKernel init Failed."}, "Moonharbor");
        StopStart(gMainWnd);
        return;
    }
    CheckDiskSpace();
    SetRunMark();
    LockCanvas();
    for (u16& v : gEnvStamp) v = ConvertPixel(v);
    gDDraw.background = static_cast<u32>(MakeColor(0, 0, 0));
    RecreateFonts();
    SetDialogTextSize();
    SetClip(0, 0, 640, 480);
    ConvertTextColors();
    LockCanvas();
    SetFrameInterval(kFrameMs);
    ReportMissingGameData();
    if (!OpenMapDatabases()) return;
    AllocTalkBuffer();
    InitAStarPool();
    InitGameData();
    ResetMapData();
    StartSession();
}

bool InitGameRunning() {
    return gInitRunning;
}

void InitGame(HWND window) {
    gInitRunning = true;
    InitGameSteps(window);
    gInitRunning = false;
}

int ShowStartupDialog() {
    if (!gWaterList) gWaterList = new cWater(1, 1, 0, 0, 1, 1);
    SetDefaultKeys();
    if (!ReadSettings()) {
        SendMessageA(gMainWnd, WM_DESTROY, 0, 0);
        return 6;
    }
    ClearGameFlag(kStoryCountdownMarkFlag);
    static const BoxButton kButtons[] = {
        {1021, nullptr}, {1022, nullptr}, {1023, nullptr}, {1024, nullptr}, {1025, nullptr}};
    BoxButton buttons[5];
    const char* captions[5] = {"安裝遊戲", "進入遊戲", "青嵐網站", "遊戲說明", "離開遊戲"};
    for (int i = 0; i < 5; ++i) buttons[i] = {kButtons[i].id, B5(captions[i])};
    int result = 6;
    for (;;) {
        int id = ChoiceBox(gMainWnd, B5("月港奇譚"), B5("月港奇譚"), buttons, 5, 1025);
        PlaySoundResource(119);
        if (id == 1023) {
            OpenWebPage(kMakerWebPage);
            continue;
        }
        if (id == 1024) {
            OpenReadme((std::string(gBasePath) + "Readme.txt").c_str());
            continue;
        }
        result = id == 1021 ? 1 : id == 1022 ? 2 : 6;
        break;
    }
    if (result == 6) {
        SendMessageA(gMainWnd, WM_DESTROY, 0, 0);
        return result;
    }
    ShowWindow(gMainWnd, SW_SHOWNORMAL);
    if (!StartUp()) SendMessageA(gMainWnd, WM_DESTROY, 0, 0);
    return result;
}

void OpenWebPage(const char* address) {
    OpenWithDesktop(address);
}

void OpenReadme(const char* path) {
    OpenInNotepad(path);
}

int ReleaseGame() {
    if (!gReleasePending) return 0;
    gReleasePending = false;
    ++gReleaseRuns;
    ReleaseGhosts();
    ReleaseFontObjects();
    ReleaseDebugSlotInfo();
    ReleaseMapData();
    FreeAStarPool();
    FreePictureCaches();
    gSound.StopAll();
    gDDraw.Release();
    gDrawSurface = nullptr;
    gDInput.Release();
    gStream.Release();
    gMidi.Close();
    gSound.Release();
    ClearRunMark();
    return 0;
}
