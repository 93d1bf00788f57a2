// Shared by the archive fuzz targets: one temporary root whose all_char archive
// holds the fuzz input as entry 1.
#pragma once
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

#include "FuzzTemp.h"
#include "base/ByteIo.h"
#include "engine/Tsw.h"

// The root, without its final '/'.
inline const std::string& FuzzRoot() {
    static const FuzzTempFolder folder("archive");
    static const std::string root = [] {
        std::string r = folder.path();
        if (!r.empty()) r.pop_back();
        std::error_code ec;
        std::filesystem::create_directories(r + "/PicLib", ec);
        return r;
    }();
    return root;
}

// Writes "PicLib/all_char<ext>": a directory whose entry 1 points at the data
// (or at offset, when not 0), then the data.
inline void WriteFuzzArchive(const char* ext, const uint8_t* data, size_t size, u32 offset) {
    ByteWriter w;
    w.Zeros(kTswHeaderSize);
    TswEntry e;
    e.size = static_cast<u32>(size);
    e.offset = offset ? offset : kTswDirectoryEnd;
    TswEntryFields(w, e);
    w.Zeros(kTswEntrySize * (kTswEntryCount - 1));
    w.Bytes(data, size);
    std::ofstream out(FuzzRoot() + "/PicLib/all_char" + ext, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(w.bytes().data()),
              static_cast<std::streamsize>(w.size()));
}
