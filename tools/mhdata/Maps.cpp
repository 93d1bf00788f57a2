// The map archives, map database and path database of the sample game.
#include "mhdata/Maps.h"
#include "mhdata/PathAsm.h"

#include "mhdata/Archives.h"

#include <filesystem>
#include <fstream>

#include "base/ByteIo.h"
#include "engine/Lzo.h"
#include "base/MemDbg.h"
#include "map/MapCache.h"
#include "map/MapDb.h"
#include "platform/TextCodec.h"

namespace {

std::vector<u8> Pack(const u8* data, size_t n) {
    i32 packed = 0;
    u8* p = LzoPack(data, static_cast<i32>(n), &packed);
    std::vector<u8> out(p, p + packed);
    MH_FREE(p);
    return out;
}

void Align(ByteWriter& w, size_t a) {
    while (w.size() % a) w.U8(0);
}

// Writes one map record at the writer's end; returns its offset M.
u32 WriteMap(ByteWriter& w, const MapSpec& s) {
    const u32 m = static_cast<u32>(w.size());
    auto rel = [m, &w] { return static_cast<u32>(w.size()) - m; };
    w.Bytes(kMapMagic, 4);
    const size_t h = w.size();
    size_t cells = static_cast<size_t>(s.width) * s.height;
    size_t layerBytes = cells * s.layers * 4;
    w.Zeros(std::max<size_t>(kMapHeaderSize, kMapLayerGridAt + layerBytes));
    auto put32 = [&w, h](int at, u32 v) { w.PatchU32(h + at, v); };
    auto put16 = [&w, h](int at, u16 v) {
        w.bytes()[h + at] = static_cast<u8>(v);
        w.bytes()[h + at + 1] = static_cast<u8>(v >> 8);
    };
    put16(mapHdr::kWidth, s.width);
    put16(mapHdr::kHeight, s.height);
    put16(mapHdr::kTileBits, s.tileBits);
    put16(mapHdr::kLayers, s.layers);
    put16(mapHdr::kAttribute, s.attribute);
    for (size_t i = 0; i < cells * s.layers; ++i) {
        u16 v = i < s.layerGrid.size() ? s.layerGrid[i] : 0;
        w.PatchU32(h + kMapLayerGridAt + 4 * i, v);
    }

    // Cell grid.
    ByteWriter cg;
    for (size_t i = 0; i < cells; ++i) cg.U32(i < s.cells.size() ? s.cells[i] : 0);
    std::vector<u8> packed = Pack(cg.bytes().data(), cg.size());
    put32(mapHdr::kCellOff, rel());
    put32(mapHdr::kCellSize, static_cast<u32>(packed.size()));
    w.Bytes(packed.data(), packed.size());

    // Events.
    Align(w, 4);
    put32(mapHdr::kEventOff, rel());
    size_t at = w.size();
    w.U32(static_cast<u32>(s.events.size()));
    for (MapEvent e : s.events) EventFields(w, e);
    put32(mapHdr::kEventSize, static_cast<u32>(w.size() - at));

    // Object data (act, action) then the object table pointing at it.
    std::vector<u32> objData;
    for (const MapObjectSpec& o : s.objects) {
        objData.push_back(rel());
        w.U16(o.act);
        w.U16(o.action);
        w.Zeros(12);
    }
    put32(mapHdr::kObjectOff, rel());
    at = w.size();
    w.U32(static_cast<u32>(s.objects.size()));
    w.U32(0);
    for (size_t i = 0; i < s.objects.size(); ++i) {
        w.U32(objData[i]);
        w.U32(0);
        w.U32(0);
        w.U16(s.objects[i].number);
        w.U16(s.objects[i].flags);
    }
    put32(mapHdr::kObjectSize, static_cast<u32>(w.size() - at));

    // Placements.
    put32(mapHdr::kPlaceOff, rel());
    at = w.size();
    w.U16(static_cast<u16>(s.placements.size()));
    w.U16(0);
    for (const MapPlacementSpec& p : s.placements) {
        w.U16(p.object);
        w.U16(p.x);
        w.U16(0);
        w.U16(0);
        w.U16(p.y);
        w.U8(p.attrs);
        w.Zeros(5);
    }
    put32(mapHdr::kPlaceSize, static_cast<u32>(w.size() - at));

    // Overlays: packed pictures first, then the table.
    if (!s.overlays.empty()) {
        std::vector<std::pair<u32, u32>> pics;
        for (const MapOverlaySpec& o : s.overlays) {
            std::vector<u8> p = Pack(o.pic.data(), o.pic.size());
            pics.push_back({rel(), static_cast<u32>(p.size())});
            w.Bytes(p.data(), p.size());
        }
        Align(w, 4);
        put32(mapHdr::kOverlayOff, rel());
        at = w.size();
        w.U16(static_cast<u16>(s.overlays.size()));
        w.Zeros(6);
        for (size_t i = 0; i < s.overlays.size(); ++i) {
            const MapOverlaySpec& o = s.overlays[i];
            w.U32(pics[i].first);
            w.U32(pics[i].second);
            w.U32(static_cast<u32>(o.pic.size()));
            w.U16(o.bits);
            w.U8(o.left);
            w.U8(o.top);
            w.U8(o.right);
            w.U8(o.bottom);
            w.Zeros(6);
        }
        put32(mapHdr::kOverlaySize, static_cast<u32>(w.size() - at));
    }

    // Depth blocks.
    if (!s.depthPicture.empty()) {
        std::vector<u8> p = Pack(s.depthPicture.data(), s.depthPicture.size());
        put32(mapHdr::kDepthOff, rel());
        put32(mapHdr::kDepthSize, static_cast<u32>(p.size() + 8));
        w.U32(static_cast<u32>(p.size()));
        w.U32(static_cast<u32>(s.depthPicture.size()));
        w.Bytes(p.data(), p.size());
    }
    if (!s.depthRows.empty()) {
        std::vector<u8> p = Pack(s.depthRows.data(), s.depthRows.size());
        put32(mapHdr::kDepth2Off, rel());
        put32(mapHdr::kDepth2Packed, static_cast<u32>(p.size()));
        put32(mapHdr::kDepth2Size, static_cast<u32>(s.depthRows.size()));
        w.Bytes(p.data(), p.size());
    }

    // The picture: a 1024-byte block header, then the packed blocks.
    Align(w, 4);
    put32(mapHdr::kPixelOff, rel());
    size_t bh = w.size();
    w.Zeros(kBlockHeader);
    u32 total = static_cast<u32>(s.pixels.size());
    // The block header has room for 126 (offset, size) pairs: large maps take larger blocks.
    constexpr u32 kMaxBlocks = (kBlockHeader - 16) / 8;
    u32 blockSize = std::max(s.blockSize, (total + kMaxBlocks - 1) / kMaxBlocks);
    blockSize = (blockSize + 3) & ~3u;
    w.PatchU32(bh + 4, blockSize);
    w.PatchU32(bh + 8, total);
    u32 k = 0;
    for (u32 done = 0; done < total; done += blockSize, ++k) {
        u32 n = std::min(blockSize, total - done);
        std::vector<u8> p = Pack(s.pixels.data() + done, n);
        w.PatchU32(bh + 16 + 8 * k, rel());
        w.PatchU32(bh + 20 + 8 * k, static_cast<u32>(p.size()));
        w.Bytes(p.data(), p.size());
    }
    Align(w, 4);
    return m;
}

std::vector<u8> NameRecords(const MapDbSpec& db) {
    // Record n: a u32, then a zero-ended text; record 1 holds the music rows.
    std::vector<std::vector<u8>> recs;
    for (size_t i = 0; i < db.names.size(); ++i) {
        ByteWriter r;
        r.U32(0);
        if (i == 1) {
            for (const MusicRowSpec& m : db.music) {
                r.U16(m.map);
                r.U16(m.music1);
                r.U16(m.music2);
                r.U16(m.mode);
            }
            r.Zeros(8);
        } else {
            r.Bytes(db.names[i].data(), db.names[i].size());
            r.U8(0);
        }
        recs.push_back(r.bytes());
    }
    // Offsets are from the database's start, filled in by the caller's base.
    ByteWriter out;
    for (size_t i = 0; i < recs.size(); ++i) out.U32(0);
    std::vector<u32> at;
    for (auto& r : recs) {
        at.push_back(static_cast<u32>(out.size()));
        out.Bytes(r.data(), r.size());
    }
    for (size_t i = 0; i < recs.size(); ++i) out.PatchU32(4 * i, at[i]);  // relative for now
    return out.bytes();
}

}  // namespace

std::vector<u8> BuildMapArchive(const std::vector<MapSpec>& maps) {
    ByteWriter w;
    w.U32(0);
    w.Zeros(12);
    std::vector<u32> offs;
    for (const MapSpec& s : maps) offs.push_back(WriteMap(w, s));
    w.PatchU32(0, static_cast<u32>(w.size()));
    for (size_t i = 0; i < maps.size(); ++i) {
        w.U32(offs[i]);
        w.U32(0);
        w.U32(maps[i].archiveNumber);
        w.U32(0);
    }
    // The reader counts (size - D - 1) / 16 entries: one byte more keeps the last.
    w.U8(0);
    return w.bytes();
}

std::vector<u8> BuildMapDatabase(const MapDbSpec& db) {
    ByteWriter w;
    w.Zeros(kMapDbTableCount * 4);
    auto table = [&w](int k) { w.PatchU32(4 * k, static_cast<u32>(w.size())); };
    auto emptyAt = [&w](int k) { w.PatchU32(4 * k, static_cast<u32>(w.size())); };

    table(dbTable::kRoleRecords);
    for (const auto& r : db.roles)
        for (u16 v : r) w.U16(v);
    w.U16(0xFFFF);
    w.Zeros(24);

    table(dbTable::kNames);
    {
        size_t base = w.size();
        std::vector<u8> names = NameRecords(db);
        w.Bytes(names.data(), names.size());
        for (size_t i = 0; i < db.names.size(); ++i) {
            u32 rel = LoadU32(w.bytes().data() + base + 4 * i);
            w.PatchU32(base + 4 * i, static_cast<u32>(base + rel));
        }
    }

    table(dbTable::kMaps);
    for (MapDbRecord r : db.maps) MapDbRecordFields(w, r);
    MapDbRecord end;
    end.id = 0xFFFF;
    MapDbRecordFields(w, end);

    table(dbTable::kStart);
    for (u16 v : db.start) w.U16(v);

    table(dbTable::kInitRecords);
    for (const auto& r : db.initRecords) w.Bytes(r.data(), r.size());

    // Battle lists first, then the zone rows that point at them.
    std::vector<u32> lists;
    for (const ZoneSpec& z : db.zones) {
        lists.push_back(static_cast<u32>(w.size()));
        w.U16(static_cast<u16>(z.battles.size()));
        for (u16 b : z.battles) w.U16(b);
    }
    table(dbTable::kZones);
    for (size_t i = 0; i < db.zones.size(); ++i) {
        const ZoneSpec& z = db.zones[i];
        w.U16(z.map);
        w.U16(z.left);
        w.U16(z.top);
        w.U16(z.right);
        w.U16(z.bottom);
        w.U32(lists[i]);
    }
    w.U16(0xFFFF);
    w.Zeros(12);

    table(dbTable::kPopOut);
    for (const PopOutSpec& p : db.popOuts) {
        w.U16(p.role);
        for (u16 v : p.values) w.U16(v);
        w.U16(0xFFFF);
    }
    w.U16(0xFFFF);
    w.U16(0xFFFF);

    table(dbTable::kGroups);
    for (u16 v : db.groups) w.U16(v);
    w.U16(0xFFFF);

    table(dbTable::kPlaceNames);
    for (const PlaceNameSpec& p : db.placeNames) {
        w.U16(p.map);
        w.Bytes(p.name.data(), p.name.size());
        w.Bytes("%Q", 2);
    }
    w.U16(0xFFFF);

    table(dbTable::kFootprints);
    for (const auto& f : db.footprints)
        for (u16 v : f) w.U16(v);
    w.Zeros(6);

    table(dbTable::kFirstVisit);
    for (const auto& f : db.firstVisit)
        for (u16 v : f) w.U16(v);
    w.Zeros(4);

    table(dbTable::kNameIds);
    for (const auto& [id, name] : db.nameIds) {
        w.I8(id);
        w.Bytes(name.data(), name.size());
        w.Bytes("%Q", 2);
    }
    w.U8(0);

    // Tables the game does not read here point at an empty row.
    for (int k = 0; k < kMapDbTableCount; ++k)
        if (LoadU32(w.bytes().data() + 4 * k) == 0 && k != 0) emptyAt(k);
    w.Zeros(16);
    return w.bytes();
}

std::vector<u8> BuildMapsDat(const MapDbSpec& db) {
    ByteWriter w;
    w.Zeros(kMapsFileHeader);
    std::vector<u8> d = BuildMapDatabase(db);
    w.Bytes(d.data(), d.size());
    return w.bytes();
}

std::vector<u8> BuildPathDat() {
    std::vector<u8> out;
    std::string error;
    if (!AssemblePath(SamplePathSource(), &out, &error))
        std::fprintf(stderr, "path.dat: %s\n", error.c_str());
    return out;
}

MapSpec MakeTestMap(u32 archive, u16 w, u16 h, u16 tileBits) {
    MapSpec s;
    s.archiveNumber = archive;
    s.width = w;
    s.height = h;
    s.tileBits = tileBits;
    s.layers = 1;
    s.cells.assign(static_cast<size_t>(w) * h, 0);
    s.layerGrid.assign(static_cast<size_t>(w) * h, 0);
    for (u16 y = 0; y < h; ++y)
        for (u16 x = 0; x < w; ++x) {
            bool wall = x == 0 || y == 0 || x == w - 1 || y == h - 1;
            s.cells[static_cast<size_t>(y) * w + x] = wall ? 0x40000000u : 0;
            s.layerGrid[static_cast<size_t>(y) * w + x] = static_cast<u16>((x + y) & 7);
        }
    size_t px = static_cast<size_t>(w) * 16, py = static_cast<size_t>(h) * 16;
    if (tileBits == 8) {
        ByteWriter p;
        for (int i = 0; i < 256; ++i)
            p.U16(static_cast<u16>(((i & 31) << 10) | (((i >> 3) & 31) << 5) | ((i * 7) & 31)));
        for (size_t y = 0; y < py; ++y)
            for (size_t x = 0; x < px; ++x) p.U8(static_cast<u8>(((x / 16) + (y / 16) * 3) & 0xFF));
        s.pixels = p.bytes();
    } else {
        ByteWriter p;
        for (size_t y = 0; y < py; ++y)
            for (size_t x = 0; x < px; ++x) {
                bool wall = x < 16 || y < 16 || x >= px - 16 || y >= py - 16;
                u16 v = wall ? 0x294A
                             : static_cast<u16>((((x / 16 + y / 16) & 1) ? 0x03E0 : 0x0200) |
                                                ((y * 31 / py) << 10) | (x * 31 / px));
                p.U16(v);
            }
        s.pixels = p.bytes();
    }
    return s;
}

namespace {

std::array<u16, 13> Role(u16 map, u16 id, u16 act, u16 x, u16 y, u16 talk, u16 state,
                         u16 script = 0) {
    return {map, id, act, 0, 1, x, y, talk, script, 0, state, 0, 0};
}

}  // namespace

std::vector<MapSpec> SampleMaps(int archive) {
    using namespace sampleMap;
    std::vector<MapSpec> out;
    if (archive == 1) {
        out.push_back(MakeTestMap(kFarArchive, 30, 30, 16));
        return out;
    }
    MapSpec town = MakeTestMap(kTownArchive, kTownW, kTownH, 16);
    // A walled house in the town, and the event cell at its door.
    for (u16 x = 30; x < 40; ++x) {
        town.cells[10u * kTownW + x] |= 0x40000000u;
        town.cells[18u * kTownW + x] |= 0x40000000u;
    }
    for (u16 y = 10; y <= 18; ++y) {
        town.cells[y * kTownW + 30u] |= 0x40000000u;
        town.cells[y * kTownW + 39u] |= 0x40000000u;
    }
    town.cells[kEventY * kTownW + kEventX] |= kEventNumber;
    MapEvent ev;
    ev.number = kEventNumber;
    ev.script = 5;
    ev.clickable = 1;
    ev.passable = 1;
    std::snprintf(ev.name, sizeof(ev.name), "%s", Utf8ToBig5("井").c_str());
    town.events.push_back(ev);
    town.objects.push_back({1, 0, 0, 0});
    town.objects.push_back({2, static_cast<u16>(sample_art::kMapObject), 0, 0x100});
    town.placements.push_back({1, 160, 160, 0x12});
    town.placements.push_back({2, 320, 96, 0x00});
    std::vector<u8> rows(16 + 4 * kTownH);
    StoreU32(rows.data(), 2);
    StoreU32(rows.data() + 4, kTownH);
    for (u32 r = 0; r < kTownH; ++r) StoreU32(rows.data() + 16 + 4 * r, 700 + r * 10);
    town.depthRows = rows;
    out.push_back(std::move(town));
    out.push_back(MakeTestMap(kRoomArchive, 20, 15, 16));
    out.push_back(MakeTestMap(kEightBitArchive, 32, 32, 8));
    return out;
}

MapDbSpec SampleMapDb() {
    using namespace sampleMap;
    MapDbSpec db;
    db.roles.push_back(Role(kTown, kPlayerRole, 1, 10, 10, 0, 0xD100));
    db.roles.push_back(Role(kTown, 100, 2, 12, 30, 7, 0x8000, samplePath::kWanderer));
    db.roles.push_back(Role(kTown, 101, 3, 25, 25, 2, 0x8801, samplePath::kLooker));
    db.roles.push_back(Role(kTown, 102, 1, 50, 40, 8, 0x8000, samplePath::kGuard));
    db.roles.push_back(Role(kRoom, 103, 2, 5, 5, 6, 0x8000));
    // Names 2-5 are the sample music pieces written by the sound data, 4 a disc track.
    db.names = {"", "", "theme.xmi", "field.wav", "CD07", "battle.mp3"};
    db.music = {{kTown, 2, 0, 1}, {kRoom, 3, 0, 2}};
    db.maps.push_back({kTown, kTownArchive, 0x01, 0x10, 0x34, 0x12, 1, 1, 0});
    db.maps.push_back({kRoom, kRoomArchive, 0x10, 0x00, 0x02, 0x00, 1, 0, 0});
    db.maps.push_back({kEightBit, kEightBitArchive, 0, 0x40, 0x04, 0, 1, 0, 0});
    db.maps.push_back({kFar, kFarArchive, 0, 0, 0x08, 0, 1, 2, 0x8000});
    db.start = {kTown, 10, 10, 1, 0, 1, kPlayerRole, kFirstTalk};
    db.zones.push_back({kTown, 1, 1, 62, 46, {7, 8, 9}});
    db.zones.push_back({kFar, 1, 1, 28, 28, {20}});
    db.popOuts.push_back({102, {40, 40, 45, 30}});
    db.groups = {10, 0, 20, 50, 40, 100, 0, 0, 5, 100, 0, 0, 0, 0, 0, 0};
    db.nameIds = {{1, Utf8ToBig5("林小月")}, {2, Utf8ToBig5("守衛")}, {3, "Fisher"}};
    db.placeNames = {{kTown, Utf8ToBig5("月港")},
                     {kRoom, Utf8ToBig5("小屋")},
                     {kEightBit, Utf8ToBig5("舊地圖")},
                     {kFar, Utf8ToBig5("燈塔")}};
    db.footprints.push_back({101, 0x0202, 3});
    db.firstVisit.push_back({kRoom, 600});
    return db;
}

bool WriteSampleMaps(const std::string& root, std::string* error) {
    auto write = [error](const std::string& path, const std::vector<u8>& b) {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
        if (!out) *error = "cannot write " + path;
        return static_cast<bool>(out);
    };
    return write(root + "/PicLib/HUGE.lmf", BuildMapArchive(SampleMaps(0))) &&
           write(root + "/HUGE2.lmf", BuildMapArchive(SampleMaps(1))) &&
           write(root + "/MH_Data/maps.dat", BuildMapsDat(SampleMapDb())) &&
           write(root + "/MH_Data/path.dat", BuildPathDat());
}
