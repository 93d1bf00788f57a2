// Seeds of the fuzz targets, cut from the sample game into one folder per target.
#include "mhdata/FuzzSeeds.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

#include "base/ByteIo.h"
#include "platform/Backend.h"
#include "engine/FrameState.h"
#include "engine/Lzo.h"
#include "engine/MemDbg.h"
#include "engine/RlePic.h"
#include "engine/Tsw.h"
#include "data/Records.h"
#include "map/City.h"
#include "map/MapCache.h"
#include "map/MapScene.h"
#include "map/NewGame.h"
#include "map/StoryLink.h"
#include "ui/DevTool.h"
#include "ui/SaveFile.h"
#include "shell/Settings.h"
#include "mhdata/Maps.h"
#include "mhdata/PicShowPack.h"

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
    void Put(const char* target, const std::string& name, const Bytes& body,
             const Bytes& lead = {}) {
        fs::create_directories(out_ / target);
        std::ofstream f(out_ / target / name, std::ios::binary | std::ios::trunc);
        f.write(reinterpret_cast<const char*>(lead.data()),
                static_cast<std::streamsize>(lead.size()));
        f.write(reinterpret_cast<const char*>(body.data()),
                static_cast<std::streamsize>(body.size()));
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
        if (LzoUnpackExact(entry.data() + rec.offset, static_cast<i32>(rec.packedSize),
                           plain.data(), static_cast<i32>(rec.unpackedSize)) == kLzoOk) {
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
    const Bytes actLead{0x17}, tswLead{0x07, 0x00},
        rleLead{0x10, 0x0C, 0x01, 0x00, 0x00, 0x00, 0xFF, 0xEF};
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
        {"sound_bank", "PicLib", "all.snd"},
        {"xmi", "music", ".xmi"},
        {"behaviour", "MH_Data", "path.dat"},
        {"talk", "MH_Data", ".dat"},
        {"map_archive", "PicLib", ".lmf"},
        {"map_archive", "", ".lmf"},
        {"pic_show", "Video", ".pak"},
        {"env_file", "", "Env.dat"},
        {"option_file", "Save", "Option.sav"},
        {"name_texts", "MH_Data", "namex.dat"},
        {"shop_file", "MH_Data", "tore.dat"},
        {"audio_decode", "Disc", ".wav"},
        {"audio_decode", "music", ".wav"},
        {"audio_decode", "music", ".mp3"},
        // The battle files' targets.
        {"battle_sides", "MH_Data", "MonsterData.dat"},
        {"battle_sides", "MH_Data", "SkillData.dat"},
        {"battle_files", "MH_Data", "battlefield.dat"},
        {"battle_files", "MH_Data", "FBGM.dat"},
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

// w x h pixels run-coded at depth 16 (5-5-5 words) or 8 (bytes), in stripes.
Bytes Striped(i32 w, i32 h, i32 depth) {
    ByteWriter px;
    for (i32 y = 0; y < h; ++y)
        for (i32 x = 0; x < w; ++x) {
            bool hole = (x + y) % 7 == 0;  // key-coloured: runs of both kinds
            if (depth == 16)
                px.U16(hole ? 0 : static_cast<u16>(0x0421 * (1 + (x / 4) % 30)));
            else
                px.U8(hole ? 0 : static_cast<u8>(1 + (x * 3 + y) % 250));
        }
    i32 size = 0;
    u8* rle = RleEncode(px.bytes().data(), &size, w, h, depth);
    Bytes out(rle, rle + size);
    MH_FREE(rle);
    return out;
}

// A small map with what the sample's maps lack: overlays, and still objects in
// both forms (a 16-bit picture, and a palette before an 8-bit one), each placed.
void MapPartSeeds(SeedWriter& w) {
    MapSpec m = MakeTestMap(300, 24, 16, 16);
    Bytes eight;
    for (u16 i = 0; i < 256; ++i) {
        eight.push_back(static_cast<u8>(i * 0x21));
        eight.push_back(static_cast<u8>(i >> 1));
    }
    Bytes pic8 = Striped(20, 14, 8);
    eight.insert(eight.end(), pic8.begin(), pic8.end());
    m.objects.push_back({1, 0, 0, 0, Striped(24, 18, 16)});
    m.objects.push_back({2, 0, 0, 0, eight});
    m.placements.push_back({1, 64, 64, 0x12});
    m.placements.push_back({2, 160, 96, 0x00});
    // Kinds 1 and 2 with their two attributes, the second over part of the map.
    m.overlays.push_back({Striped(32, 24, 16), 0x0001 | 2 << 3 | 1 << 7, 0, 0, 4, 3});
    m.overlays.push_back({Striped(16, 40, 16), 0x0002 | 5 << 3, 6, 4, 9, 12});
    w.Put("map_archive", "parts.lmf", BuildMapArchive({m}));
}

// The map database's table of names and their ids, as the name-text target also reads it.
void NameTableSeed(SeedWriter& w) {
    Bytes t = {0x01, 'P', 'o', 'r',  't', '%', 'Q', 0x02, 0xA5,
               0xFA, '%', 'Q', 0xFE, 'a', '%', 'Q', 0x00};
    w.Put("name_texts", "name-table", t);
}

// An 8-bit picture show (the sample's is 16-bit): its palette is converted and
// its rows are palette indices.
void EightBitShowSeed(SeedWriter& w) {
    PicShowSpec show;
    show.bits = 8;
    for (u32 i = 0; i < 256; ++i) show.palette.push_back((i * 0x010305u) & 0xFFFFFFu);
    for (u32 f = 0; f < 3; ++f) {
        PicShowFrameSpec frame;
        for (u32 row = 0; row < 4; ++row) {
            PicShowRow r;
            r.target = (100 + row * 40 + f * 8) * 640 + 64;
            for (u32 k = 0; k < 96; ++k)
                r.pixels.push_back(static_cast<u16>((k + row * 16 + f) & 0xFF));
            frame.push_back(r);
        }
        show.frames.push_back(frame);
    }
    w.Put("pic_show", "eight-bit.pak", BuildPicShowPack(show));
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
    // Later in play: in the room, an hour in, money, a quake under way and a
    // picture of the screen.
    LoadCity(sampleMap::kRoom, 3, 3, 1, 0, 1, 0);
    gGameTime = 3725;
    gScriptVars[0] = 4321;
    gQuakePeriod = 3;
    gQuakeCountdown = 40;
    for (int i = 0; i < 16; ++i) gQuakeTable[i] = static_cast<u8>(i * 7);
    std::vector<u16> canvas(640 * 480);
    for (size_t i = 0; i < canvas.size(); ++i) canvas[i] = static_cast<u16>(i * 37);
    dev = std::make_unique<DevSaveImage>();
    BuildDevSaveImage(dev.get(), canvas.data());
    w.Put("dev_save", "in-play", DevSaveBytes(*dev));
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
    MapPartSeeds(w);
    NameTableSeed(w);
    EightBitShowSeed(w);
    if (!NewGameSeeds(game, w, error)) return false;
    std::printf("%d seeds in %s\n", w.count(), out.c_str());
    return true;
}
