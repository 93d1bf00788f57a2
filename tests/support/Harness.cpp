// The harness: global reset, temporary root, scripted frames.
#include "support/Harness.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include <gtest/gtest.h>

#include "data/Config.h"
#include "engine/DDraw.h"
#include "engine/PicPaint.h"
#include "engine/PixelFormat.h"
#include "engine/Random.h"
#include "mhdata/Archives.h"
#include "mhdata/Maps.h"
#include "mhdata/PngWrite.h"
#include "mhdata/SampleGame.h"
#include "platform/Display.h"
#include "platform/FileCalls.h"
#include "platform/HostFs.h"
#include "shell/GameReset.h"
#include "shell/Main.h"
#include "shell/Startup.h"

void ResetAllGlobals() {
    PlatformReset();
    ResetFileCalls();
    PlatformSetBackend(Backend::Headless);
    HostClearDrives();
    ResetGame();
    gMainWnd = nullptr;
}

u16 CanvasAt(i32 x, i32 y) {
    i32 pitch = 0;
    u16* px = DisplayLock(gDrawSurface, &pitch);
    u16 v = px ? px[y * (pitch / 2) + x] : 0xDEAD;
    DisplayUnlock(gDrawSurface);
    return v;
}

Harness::Harness() {
    ResetAllGlobals();
    PlatformSetVirtualTime(100000);
    // In $TMPDIR when it is set, as the other temporary folders of the tests.
    std::error_code tempError;
    std::string tmpl =
        (std::filesystem::temp_directory_path(tempError) / "mh-test-XXXXXX").string();
    const char* dir = ::mkdtemp(tmpl.data());
    root_ = std::string(dir ? dir : "/tmp") + "/";
    char cwd[4096];
    if (::getcwd(cwd, sizeof(cwd))) oldCwd_ = cwd;
    if (::chdir(root_.c_str()) != 0) std::perror("chdir");
    std::snprintf(gBasePath, kPathSize, "%s", root_.c_str());
    // Each test's lock file lives in its own root.
    ::setenv("MOONHARBOR_LOCK_DIR", root_.c_str(), 1);
}

namespace {

// Where a failed test leaves its canvas, relative to the folder the tests started in.
std::string FailureDumpPath(const std::string& startDir) {
    const ::testing::TestInfo* t = ::testing::UnitTest::GetInstance()->current_test_info();
    if (!t) return "";
    const char* env = std::getenv("MH_TEST_ARTIFACTS");
    std::string dir = env && *env ? env : startDir + "/test-failures";
    std::string name = std::string(t->test_suite_name()) + "." + t->name();
    for (char& c : name)
        if (c == '/') c = '_';
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    return dir + "/" + name + ".png";
}

}  // namespace

bool Harness::DumpCanvas(const std::string& hostPath) const {
    const auto& frames = DisplayFrames();
    if (!gPaintBuf && frames.empty()) return false;
    // The paint buffer's rows may be wider than the screen.
    auto row = [&](i32 y) -> const u16* {
        return gPaintBuf ? PaintPixelAddr(0, y)
                         : frames.back().data() + static_cast<size_t>(y) * 640;
    };
    std::vector<u8> rgba(640 * 480 * 4, 255);
    for (i32 y = 0; y < 480; ++y)
        for (i32 x = 0; x < 640; ++x) {
            u16 v = ConvertPixelBack(row(y)[x]);  // 5-5-5 from the screen's layout
            u8* o = &rgba[(static_cast<size_t>(y) * 640 + x) * 4];
            for (int c = 0; c < 3; ++c)
                o[c] = static_cast<u8>(((v >> (10 - 5 * c)) & 31) * 255 / 31);
        }
    return WritePng(hostPath, rgba.data(), 640, 480);
}

Harness::~Harness() {
    if (::testing::Test::HasFailure()) {
        std::string png = FailureDumpPath(oldCwd_);
        if (!png.empty() && DumpCanvas(png))
            std::fprintf(stderr, "canvas written to %s\n", png.c_str());
    }
    ResetAllGlobals();
    if (!oldCwd_.empty() && ::chdir(oldCwd_.c_str()) != 0) std::perror("chdir");
    std::error_code ec;
    std::filesystem::remove_all(root_, ec);
}

HWND Harness::CreateMainWindow() {
    WNDCLASS wc;
    wc.className = "Moonharbor";
    wc.proc = WndProc;
    RegisterClassA(wc);
    gMainWnd = CreateWindowExA("Moonharbor", "Moonharbor", 640, 480);
    return gMainWnd;
}

void Harness::EnsureMapData() {
    if (std::filesystem::exists(root_ + "MH_Data/maps.dat")) return;
    // A game run in a written sample folder reads its own.
    if (!gBasePath[0] && std::filesystem::exists("MH_Data/maps.dat")) return;
    std::filesystem::create_directories(root_ + "MH_Data");
    std::filesystem::create_directories(root_ + "PicLib");
    std::string error;
    WriteSampleMaps(root_.substr(0, root_.size() - 1), &error);
    // Game initialisation checks the map cursor's act.
    if (!std::filesystem::exists(root_ + "PicLib/all_sys.act"))
        WriteSampleArchives(root_.substr(0, root_.size() - 1), &error);
}

void Harness::WriteSample() {
    std::string error;
    std::string dir = root_.substr(0, root_.size() - 1);
    if (!WriteSampleGame(dir, &error)) ADD_FAILURE() << error;
    std::snprintf(gBasePath, kPathSize, "%s", root_.c_str());
}

void Harness::StartGame() {
    EnsureMapData();
    CreateMainWindow();
    StartUp();
    InitRandom(12345);
    gGameActive = 1;
}

void Harness::Pump() {
    int code = 0;
    bool q = false;
    while (PumpOneMessage(&code, &q))
        if (q) {
            quit_ = true;
            exitCode_ = code;
        }
}

int Harness::RunFrames(int n, u32 ms) {
    int ticks = 0;
    for (int i = 0; i < n; ++i, ++frame_) {
        auto it = script_.find(frame_);
        if (it != script_.end())
            for (auto& fn : it->second) fn();
        PlatformAdvanceTime(ms);
        Pump();
        if (quit_) break;
        if (gGameActive && !(gRunState & kRunVideo) && !gSuspended && GameFrame()) ++ticks;
        Pump();
    }
    return ticks;
}

bool Harness::RunUntil(const std::function<bool()>& pred, int limit) {
    for (int i = 0; i < limit; ++i) {
        if (pred()) return true;
        RunFrames(1);
    }
    return pred();
}

std::vector<u8> ReadHostFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<u8>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteHostFile(const std::string& path, const std::vector<u8>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}
