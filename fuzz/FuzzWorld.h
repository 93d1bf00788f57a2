// Shared by the deep fuzz targets: the sample game written once per process into
// the harness's private folder, every input started from reset globals over it.
#pragma once
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "shell/Settings.h"
#include "platform/Backend.h"
#include "platform/HostFs.h"
#include "support/Harness.h"

class FuzzWorld {
public:
    FuzzWorld() { h_.WriteSample(); }

    const std::string& root() const { return h_.root(); }

    // Every module back to its start, with the sample game as the root folder.
    void Fresh() {
        ResetAllGlobals();
        PlatformSetVirtualTime(100000);
        std::snprintf(gBasePath, kPathSize, "%s", h_.root().c_str());
    }
    // Fresh, then the window and the game's own start-up, as the program starts.
    // The game's disc is in drive F (the world's folder), so a disc prompt
    // finds it at once instead of waiting for a player.
    void Start() {
        Fresh();
        HostSetDrive('F', h_.root());
        HostSetVolumeLabel('F', "AudioCD");
        h_.StartGame();
    }
    Harness& harness() { return h_; }

    // Replaces a file of the world (rel uses '/').
    void Write(const std::string& rel, const uint8_t* data, size_t size) const {
        std::ofstream out(root() + rel, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    // Empties a folder of the world (the map cache's "data").
    void Empty(const std::string& rel) const {
        std::error_code ec;
        std::filesystem::remove_all(root() + rel, ec);
        std::filesystem::create_directories(root() + rel, ec);
    }

private:
    Harness h_;
};
