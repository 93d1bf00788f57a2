// The sample game for the benchmarks: written into the program's temporary
// folder and started the way the game starts (headless window, archives, fonts,
// drawing surfaces, databases).
#pragma once
#include <unistd.h>

#include <cstdio>
#include <string>

#include "BenchCommon.h"
#include "data/Config.h"
#include "engine/ErrorBox.h"
#include "engine/FrameState.h"
#include "engine/Random.h"
#include "mhdata/SampleGame.h"
#include "platform/Win.h"
#include "shell/Main.h"
#include "shell/Startup.h"

inline bool StartSampleGame() {
    static bool ok = [] {
        const std::string& root = BenchFolder();
        std::string error;
        if (root.empty() || !WriteSampleGame(root, &error) || ::chdir(root.c_str()) != 0)
            return false;
        std::snprintf(gBasePath, kPathSize, "%s/", root.c_str());
        ::setenv("MOONHARBOR_LOCK_DIR", root.c_str(), 1);
        WNDCLASS wc;
        wc.className = "Moonharbor";
        wc.proc = WndProc;
        RegisterClassA(wc);
        gMainWnd = CreateWindowExA("Moonharbor", "Moonharbor", 640, 480);
        if (!StartUp()) return false;
        InitRandom(7);
        gGameActive = 1;
        return true;
    }();
    return ok;
}
