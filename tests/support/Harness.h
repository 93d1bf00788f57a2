// Test harness: a clean, headless platform with a virtual clock, a temporary
// root folder, scripted input per frame, and the real frame tick.
#pragma once
#include <functional>
#include <map>
#include <filesystem>
#include <string>
#include <vector>

#include "base/Types.h"
#include "platform/Backend.h"
#include "engine/ErrorBox.h"
#include "platform/Win.h"

// Resets every module's globals to their start values.
void ResetAllGlobals();

// The canvas's pixel at (x, y) as the last frame left it.
u16 CanvasAt(i32 x, i32 y);

class Harness {
public:
    Harness();
    ~Harness();
    Harness(const Harness&) = delete;
    Harness& operator=(const Harness&) = delete;

    // The temporary root folder, ending with '/'. gBasePath points at it.
    const std::string& root() const { return root_; }
    std::string Path(const std::string& rel) const { return root_ + rel; }

    // Registers the game's window class and creates the main window (no start-up).
    HWND CreateMainWindow();
    // Writes the sample game into the root folder (the settings name no root,
    // so the game takes the folder it runs in).
    void WriteSample();
    // Creates the main window and runs the real start-up, as WinMain does.
    // A start opens the map databases and checks the cursor's act: a root without
    // them gets the sample game's maps and archives.
    void EnsureMapData();
    void StartGame();
    // The sample game written and started.
    void StartSample() {
        WriteSample();
        StartGame();
    }

    // Runs fn before frame n (counted from 0 by RunFrames).
    void AtFrame(int n, std::function<void()> fn) { script_[n].push_back(std::move(fn)); }
    void PostKeyUp(u32 vk) { PostMessageA(gMainWnd, WM_KEYUP, vk, 0); }
    void PostSysKeyDown(u32 vk) { PostMessageA(gMainWnd, WM_SYSKEYDOWN, vk, 0); }

    // Each frame: scripted actions, the clock moves on by ms, waiting messages
    // are dispatched, then the tick runs. Returns how many ticks ran.
    int RunFrames(int n, u32 ms = 35);
    // Runs frames until pred holds or limit frames have passed; true when it held.
    bool RunUntil(const std::function<bool()>& pred, int limit);
    // True once WM_QUIT has come through the queue.
    bool quit() const { return quit_; }
    // The code WM_QUIT carried: the program's exit status.
    int exitCode() const { return exitCode_; }
    int frame() const { return frame_; }

    std::vector<RecordedBox>& boxes() { return PlatformRecordedBoxes(); }

    // Writes the canvas (the paint buffer, else the last presented frame) to a
    // PNG; false when there is none. A test that fails leaves one in
    // $MH_TEST_ARTIFACTS (default: test-failures/ in the folder ctest runs in),
    // named after the test.
    bool DumpCanvas(const std::string& hostPath) const;

private:
    void Pump();

    std::string root_;
    std::string oldCwd_;
    std::map<int, std::vector<std::function<void()>>> script_;
    int frame_ = 0;
    bool quit_ = false;
    int exitCode_ = 0;
};

// Reads a whole host file (empty when missing).
std::vector<u8> ReadHostFile(const std::string& path);
void WriteHostFile(const std::string& path, const std::vector<u8>& bytes);
