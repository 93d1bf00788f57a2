// Shared set-up of the archive tests: the sample archives or hand-made ones in
// a temporary root, opened through the game's own readers.
#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "engine/MyAct.h"
#include "engine/Tsw.h"
#include "mhdata/Archives.h"
#include "support/Harness.h"

struct ArchiveRoot {
    Harness h;
    ArchiveRoot() { std::filesystem::create_directories(h.Path("PicLib")); }
    std::string File(int archive, const char* ext) const {
        std::string name = kPicArchiveNames[archive];
        return h.Path("PicLib/" + name.substr(7) + ext);
    }
    void WriteSample() {
        std::string error;
        ASSERT_TRUE(WriteSampleArchives(h.root(), &error)) << error;
    }
    void Write(int archive, const char* ext, const std::vector<u8>& bytes) {
        WriteHostFile(File(archive, ext), bytes);
    }
    std::vector<u8> Read(int archive, const char* ext) const {
        return ReadHostFile(File(archive, ext));
    }
    void Open() {
        SetPicLibPath(h.root().c_str());
        OpenPicLib();
    }
};
