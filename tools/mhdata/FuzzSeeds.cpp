// Seeds of the fuzz targets, cut from the sample game into one folder per target.
#include "mhdata/FuzzSeeds.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

#include "data/Records.h"
#include "base/ByteIo.h"
#include "engine/Lzo.h"
#include "engine/Tsw.h"
#include "map/MapCache.h"
#include "map/NewGame.h"
#include "shell/Settings.h"
#include "platform/Backend.h"
#include "ui/DevTool.h"
#include "ui/SaveFile.h"

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<u8>;

Bytes ReadAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

class SeedWriter {
public:
    explicit SeedWriter(fs::path out) : out_(std::move(out)) {}
    // out/target/name holding lead then body.
    void Put(const char* target, const std::string& name, const Bytes& body, const Bytes& lead = {}) {
        fs::create_directories(out_ / target);
        std::ofstream f(out_ / target / name, std::ios::binary | std::ios::trunc);
        f.write(reinterpret_cast<const char*>(lead.data()), static_cast<std::streamsize>(lead.size()));
        f.write(reinterpret_cast<const char*>(body.data()), static_cast<std::streamsize>(body.size()));
        ++count_;
    }
    int count() const { return count_; }

private:
    fs::path out_;
    int count_ = 0;
};

// The files of folder whose names end with tail, in name order.
std::vector<fs::path> FilesEnding(const fs::path& folder, const std::string& tail) {
    std::vector<fs::path> found;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(folder, ec)) {
        const std::string n = e.path().filename().string();
        if (e.is_regular_file() && n.size() >= tail.size() &&
            n.compare(n.size() - tail.size(), tail.size(), tail) == 0)
            found.push_back(e.path());
    }
    std::sort(found.begin(), found.end());
    return found;
}

// Every frame of a picture entry, unpacked: a run-coded picture each.
std::vector<Bytes> PictureFrames(const Bytes& entry) {
    std::vector<Bytes> frames;
    ByteReader r(entry);
    TswPicHeader h;
    TswPicHeaderFields(r, h);
    if (!r.ok() || h.magic != kTswMagic) return frames;
    if (h.depth == 8) r.Skip(kTswPaletteSize);
    for (u32 f = 0; f < h.frameCount && r.ok(); ++f) {
        TswFrameRecord rec;
        TswFrameRecordFields(r, rec);
        if (!r.ok() || u64{rec.offset} + rec.packedSize > entry.size() ||
            rec.unpackedSize > kMaxFrameBytes)
            break;
        Bytes plain(rec.unpackedSize + 16);
        if (LzoUnpackExact(entry.data() + rec.offset, static_cast<i32>(rec.packedSize), plain.data(),
                           static_cast<i32>(rec.unpackedSize)) == kLzoOk) {
            plain.resize(rec.unpackedSize);
            frames.push_back(std::move(plain));
        }
    }
    return frames;
}

// The entries of a picture or act archive.
std::vector<Bytes> ArchiveEntries(const Bytes& file) {
    std::vector<Bytes> entries;
    ByteReader r(file);
    r.Skip(kTswHeaderSize);
    for (u32 n = 1; n <= kTswEntryCount; ++n) {
        TswEntry e;
        TswEntryFields(r, e);
        if (!r.ok()) break;
        if (e.offset == 0 || u64{e.offset} + e.size > file.size()) continue;
        entries.emplace_back(file.begin() + e.offset, file.begin() + e.offset + e.size);
    }
    return entries;
}

void ArchiveSeeds(const fs::path& game, SeedWriter& w) {
    // act_archive: byte 0 = 23 (every key, cache on); tsw_archive: 8 frames, cache on;
    // rle_decode: drawn at (64, 48) in mode 1 through a 511 x 240 clip.
    const Bytes actLead{0x17}, tswLead{0x07, 0x00}, rleLead{0x10, 0x0C, 0x01, 0x00, 0x00, 0x00, 0xFF, 0xEF};
    for (const fs::path& p : FilesEnding(game / "PicLib", ".act")) {
        int k = 0;
        for (const Bytes& e : ArchiveEntries(ReadAll(p)))
            w.Put("act_archive", p.stem().string() + "-" + std::to_string(++k), e, actLead);
    }
    for (const fs::path& p : FilesEnding(game / "PicLib", ".tsw")) {
        int k = 0;
        for (const Bytes& e : ArchiveEntries(ReadAll(p))) {
            const std::string stem = p.stem().string() + "-" + std::to_string(++k);
            w.Put("tsw_archive", stem, e, tswLead);
            int f = 0;
            for (const Bytes& frame : PictureFrames(e))
                w.Put("rle_decode", stem + "-" + std::to_string(f++), frame, rleLead);
        }
    }
}

void FileSeeds(const fs::path& game, SeedWriter& w) {
    struct One {
        const char* target;
        const char* folder;
        const char* tail;
    };
    static const One kFiles[] = {
        {"sound_bank", "PicLib", "all.snd"},  {"xmi", "music", ".xmi"},
        {"behaviour", "MH_Data", "path.dat"}, {"talk", "MH_Data", ".dat"},
        {"map_archive", "PicLib", ".lmf"},    {"map_archive", "", ".lmf"},
        {"pic_show", "Video", ".pak"},        {"env_file", "", "Env.dat"},
        {"option_file", "Save", "Option.sav"}, {"name_texts", "MH_Data", "namex.dat"},
        {"shop_file", "MH_Data", "tore.dat"}, {"audio_decode", "Disc", ".wav"},
        {"audio_decode", "music", ".wav"},    {"audio_decode", "music", ".mp3"},
        // The battle files' targets.
        {"battle_sides", "MH_Data", "MonsterData.dat"}, {"battle_sides", "MH_Data", "SkillData.dat"},
        {"battle_files", "MH_Data", "battlefield.dat"}, {"battle_files", "MH_Data", "FBGM.dat"},
    };
    for (const One& o : kFiles)
        for (const fs::path& p : FilesEnding(game / o.folder, o.tail)) {
            const std::string n = p.filename().string();
            if (std::string(o.target) == "talk" && n.rfind("Talk", 0) != 0) continue;
            w.Put(o.target, n, ReadAll(p));
            if (std::string(o.target) == "talk") w.Put("talk_commands", n, ReadAll(p));
        }
    w.Put("maps_db", "maps.dat", ReadAll(game / "MH_Data/maps.dat"), Bytes{0});
    w.Put("maps_db", "path.dat", ReadAll(game / "MH_Data/path.dat"), Bytes{1});
    // databases: the six files in table order, each after its u32 length.
    ByteWriter pack;
    for (const DatabaseLayout& d : kDatabaseLayouts) {
        Bytes b = ReadAll(game / "MH_Data" / d.fileName);
        pack.U32(static_cast<u32>(b.size()));
        pack.Bytes(b.data(), b.size());
    }
    w.Put("databases", "sample", pack.bytes());
}

// A new game begun in the sample: its saves, and the map cache it leaves.
bool NewGameSeeds(const fs::path& game, SeedWriter& w, std::string* error) {
    PlatformReset();
    PlatformSetBackend(Backend::Headless);
    std::snprintf(gBasePath, kPathSize, "%s/", game.string().c_str());
    gSwapSpace = 60;
    if (!StartNewGame(1)) {
        *error = "the sample's new game does not start";
        return false;
    }
    auto save = std::make_unique<SaveImage>();
    BuildSaveImage(save.get(), nullptr);
    w.Put("save_file", "new-game", SaveImageBytes(*save));
    auto dev = std::make_unique<DevSaveImage>();
    BuildDevSaveImage(dev.get(), nullptr);
    w.Put("dev_save", "new-game", DevSaveBytes(*dev));
    Bytes table = ReadAll(game / "data/mcache.dat");
    Bytes first = ReadAll(game / "data/0.cm");
    if (table.size() != kCacheSlots * kCacheSlotBytes || first.empty()) {
        *error = "the sample's new game left no map cache";
        return false;
    }
    table.insert(table.end(), first.begin(), first.end());
    w.Put("map_cache", "new-game", table);
    return true;
}

}  // namespace

bool WriteFuzzSeeds(const std::string& gameFolder, const std::string& out, std::string* error) {
    const fs::path game(gameFolder);
    if (!fs::exists(game / "MH_Data/maps.dat")) {
        *error = gameFolder + " holds no sample game";
        return false;
    }
    SeedWriter w{fs::path(out)};
    ArchiveSeeds(game, w);
    FileSeeds(game, w);
    if (!NewGameSeeds(game, w, error)) return false;
    std::printf("%d seeds in %s\n", w.count(), out.c_str());
    return true;
}
