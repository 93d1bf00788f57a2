// The map archives, map database and path database of the sample game.
#include "mhdata/Maps.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "base/ByteIo.h"
#include "platform/Fault.h"
#include "platform/TextCodec.h"
#include "engine/Lzo.h"
#include "engine/MemDbg.h"
#include "engine/RlePic.h"
#include "map/MapCache.h"
#include "map/MapDb.h"
#include "map/RoleTable.h"
#include "mhdata/Archives.h"
#include "mhdata/PathAsm.h"
#include "mhdata/SampleBattle.h"
#include "mhdata/SampleMapArt.h"
#include "mhdata/SampleMenu.h"
#include "mhdata/SampleShop.h"
#include "mhdata/SoundData.h"

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

    // Object data (act and action, or a still object's packed picture) then
    // the object table pointing at it.
    std::vector<u32> objData, objPacked;
    for (const MapObjectSpec& o : s.objects) {
        objData.push_back(rel());
        if (!o.pic.empty()) {
            std::vector<u8> p = Pack(o.pic.data(), o.pic.size());
            objPacked.push_back(static_cast<u32>(p.size()));
            w.Bytes(p.data(), p.size());
            Align(w, 4);
            continue;
        }
        objPacked.push_back(0);
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
        w.U32(objPacked[i]);
        w.U32(static_cast<u32>(s.objects[i].pic.size()));
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

// A crate, 32x32, run-coded.
std::vector<u8> StillObjectPic() {
    constexpr i32 kSide = 32;
    const std::vector<u16> px = sampleMapArt::Crate().pixels;
    ByteWriter w;
    w.Array(px.data(), px.size());
    i32 size = 0;
    u8* rle = RleEncode(w.bytes().data(), &size, kSide, kSide, 16);
    std::vector<u8> out(rle, rle + size);
    MH_FREE(rle);
    return out;
}

constexpr u16 kNoMap = 999;  // records of roles that stand on no map

std::array<u16, 13> Role(u16 map, u16 id, u16 act, u16 x, u16 y, u16 talk, u16 state,
                         u16 script = 0) {
    return {map, id, act, 0, 1, x, y, talk, script, 0, state, 0, 0};
}

}  // namespace

namespace {

constexpr u16 Rgb(int r, int g, int b) {
    return static_cast<u16>(r << 10 | g << 5 | b);
}

// One 16 x 16 tile of a kind: its body colour with a few marks of its own.
void PutTile(ByteWriter& w, u16 kind) {
    using namespace sampleTile;
    u16 body = Body(kind);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            u16 v = body;
            bool edge = x == 0 || y == 0 || x == 15 || y == 15;
            switch (kind) {
                case kWall:  // bricks: mortar rows and staggered joints
                    if (y == 0 || y == 8 || x == (y < 8 ? 0 : 8)) v = Rgb(8, 7, 6);
                    break;
                case sampleTile::kWater:  // two rows of wave crests
                    if ((y == 3 || y == 11) && ((x + y) & 4)) v = Rgb(12, 18, 30);
                    break;
                case kRoad:  // pebbles
                    if ((x * 5 + y * 3) % 17 == 0) v = Rgb(18, 15, 9);
                    break;
                case kEvent:
                case kSpot:
                case kClosed:  // a dark rim around a marked cell
                    if (edge) v = Rgb(4, 4, 4);
                    break;
                case kGrass:
                    if ((x * 7 + y * 3) % 23 == 0) v = Rgb(10, 24, 8);
                    break;
                default:
                    break;
            }
            w.U16(v);
        }
}

// A tiled map: border walls, every cell a tile kind, the tile set as the picture.
MapSpec TiledMap(u32 archive, u16 w, u16 h, u16 inside) {
    MapSpec s;
    s.archiveNumber = archive;
    s.width = w;
    s.height = h;
    s.tileBits = 16;
    s.layers = 1;
    s.cells.assign(static_cast<size_t>(w) * h, 0);
    s.layerGrid.assign(static_cast<size_t>(w) * h, inside);
    for (u16 y = 0; y < h; ++y)
        for (u16 x = 0; x < w; ++x)
            if (x == 0 || y == 0 || x == w - 1 || y == h - 1) {
                s.cells[static_cast<size_t>(y) * w + x] = kCellWall;
                s.layerGrid[static_cast<size_t>(y) * w + x] = sampleTile::kWall;
            }
    ByteWriter p;
    for (u16 k = 0; k < sampleTile::kCount; ++k) PutTile(p, k);
    s.pixels = p.bytes();
    return s;
}

void Lay(MapSpec& s, u16 x, u16 y, u16 kind, u32 bits = 0) {
    size_t i = static_cast<size_t>(y) * s.width + x;
    s.layerGrid[i] = kind;
    s.cells[i] |= bits;
}

// Lays a picture over the ground from cell (cx, cy) on: each of its cells
// becomes a tile of its own (or an equal one already in the set), the tile
// under it showing through its clear pixels; bits go into its cells.
void Stamp(MapSpec& s, u16 cx, u16 cy, const ArchiveFrame& pic, u32 bits = 0) {
    constexpr size_t kTileBytes = 512;
    for (i32 ty = 0; ty < pic.h / 16; ++ty)
        for (i32 tx = 0; tx < pic.w / 16; ++tx) {
            const i32 x = cx + tx, y = cy + ty;
            if (x >= s.width || y >= s.height) continue;
            const size_t i = static_cast<size_t>(y) * s.width + static_cast<size_t>(x);
            std::array<u8, kTileBytes> tile;
            std::memcpy(tile.data(), s.pixels.data() + kTileBytes * s.layerGrid[i], kTileBytes);
            for (i32 py = 0; py < 16; ++py)
                for (i32 px = 0; px < 16; ++px) {
                    const u16 v =
                        pic.pixels[static_cast<size_t>((ty * 16 + py) * pic.w + tx * 16 + px)];
                    if (v == figures::kClear) continue;
                    StoreU16(tile.data() + 2 * (py * 16 + px), v);
                }
            const size_t count = s.pixels.size() / kTileBytes;
            size_t k = 0;
            while (k < count &&
                   std::memcmp(s.pixels.data() + k * kTileBytes, tile.data(), kTileBytes))
                ++k;
            if (k == count) s.pixels.insert(s.pixels.end(), tile.begin(), tile.end());
            s.layerGrid[i] = static_cast<u16>(k);
            s.cells[i] |= bits;
        }
}

MapEvent Event(u32 number, u32 talk, const char* name) {
    MapEvent ev;
    ev.number = number;
    ev.script = talk;
    ev.clickable = 1;
    ev.passable = 1;
    std::snprintf(ev.name, sizeof(ev.name), "%s", Utf8ToBig5(name).c_str());
    return ev;
}

MapSpec SampleTown() {
    using namespace sampleMap;
    using namespace sampleTile;
    MapSpec town = TiledMap(kTownArchive, kTownW, kTownH, kGrass);
    // The main street along row 10 and the lane down to the harbour.
    for (u16 x = 1; x < kTownW - 1; ++x) Lay(town, x, 10, kRoad);
    for (u16 y = 11; y < kHarbourTop; ++y) Lay(town, 20, y, kRoad);
    // A walled house with a wooden floor.
    for (u16 y = 11; y < 18; ++y)
        for (u16 x = 31; x < 39; ++x) Lay(town, x, y, kFloor);
    for (u16 x = 30; x < 40; ++x) {
        Lay(town, x, 10, kWall, kCellWall);
        Lay(town, x, 18, kWall, kCellWall);
    }
    for (u16 y = 10; y <= 18; ++y) {
        Lay(town, 30, y, kWall, kCellWall);
        Lay(town, 39, y, kWall, kCellWall);
    }
    // The harbour: water nobody walks on.
    for (u16 y = kHarbourTop; y < kTownH - 1; ++y)
        for (u16 x = 1; x < kTownW - 1; ++x) Lay(town, x, y, sampleTile::kWater, kCellWall);
    // The old stone by the lane, and the signpost to the world map.
    Lay(town, kEventX, kEventY, kRoad, kEventNumber);
    Stamp(town, kEventX, kEventY, sampleMapArt::Stone());
    Lay(town, kSignX, kSignY, kRoad, kSignEvent);
    Stamp(town, kSignX - 1, kSignY - 1, sampleMapArt::Signpost("大地圖"));
    town.events.push_back(Event(kEventNumber, kSampleSpotTalk, "石碑"));
    town.events.push_back(Event(kSignEvent, kSampleSignTalk, "路標"));
    // The pier: its foot on the spot north of the street, its planks out
    // over a bay of the harbour.
    u16 event = kStreetSpotEventFirst;
    for (const StreetSpot& spot : kStreetSpots) {
        for (u16 y = 1; y < kStreetSpotY; ++y)
            for (u16 x = spot.x - 3; x <= spot.x + 3; ++x)
                Lay(town, x, y, sampleTile::kWater, kCellWall);
        Lay(town, spot.x, kStreetSpotY, kGrass, event);
        Stamp(town, spot.x, 1, sampleMapArt::Pier(kStreetSpotY));
        town.events.push_back(Event(event++, spot.talk, "碼頭"));
    }
    Lay(town, kDoorX, kDoorY, kWall, kDoorEvent);
    Stamp(town, kDoorX, kDoorY, sampleMapArt::Door());
    town.events.push_back(Event(kDoorEvent, kSampleRoomTalk, "門"));
    town.objects.push_back({1, 0, 0, 0, StillObjectPic()});
    town.objects.push_back({2, static_cast<u16>(sample_art::kMapObject), 0, 0x100, {}});
    town.placements.push_back({1, 32, 32, 0x12});  // a crate in the corner, off every way
    town.placements.push_back({2, 320, 96, 0x00});
    std::vector<u8> rows(16 + 4 * kTownH);
    StoreU32(rows.data(), 2);
    StoreU32(rows.data() + 4, kTownH);
    for (u32 r = 0; r < kTownH; ++r) StoreU32(rows.data() + 16 + 4 * r, 700 + r * 10);
    town.depthRows = rows;
    return town;
}

// The world map's locations: id, cursor point, target cell (the game's table).
struct WorldPoint {
    u16 id, cx, cy, tx, ty;
};
constexpr WorldPoint kWorldPoints[15] = {
    {15, 314, 86, 19, 15},  {14, 278, 294, 19, 15}, {11, 288, 100, 19, 35}, {10, 408, 158, 19, 35},
    {12, 258, 198, 19, 35}, {13, 310, 352, 19, 35}, {9, 500, 336, 19, 35},  {8, 376, 360, 43, 35},
    {1, 362, 264, 43, 35},  {2, 514, 190, 43, 35},  {3, 260, 154, 43, 35},  {4, 376, 102, 43, 35},
    {6, 422, 308, 43, 15},  {5, 180, 386, 43, 15},  {7, 316, 220, 43, 15}};

// The view's corner along one axis with the player at pixel p: centred, kept on the map.
i32 ViewCorner(i32 p, i32 half, i32 screen, i32 mapPixels) {
    i32 v = std::max(0, p - half);
    if (v + screen >= mapPixels) v = mapPixels - screen;
    return std::max(0, v);
}

// The open places' names and talks, by their events (town, lighthouse, meadow).
constexpr const char* kWorldNames[3] = {"月港", "燈塔", "草原"};
constexpr u32 kWorldTalks[3] = {kSampleWorldTownTalk, kSampleWorldLighthouseTalk,
                                kSampleMeadowTalk};

MapSpec SampleWorld() {
    using namespace sampleMap;
    using namespace sampleTile;
    MapSpec world = TiledMap(kWorldArchive, kWorldW, kWorldH, kSea);
    for (u16 y = 3; y < kWorldH - 3; ++y)
        for (u16 x = 6; x < kWorldW - 4; ++x) Lay(world, x, y, kGrass);
    // Each location's mark lies under the cursor point with the player at its target.
    for (const WorldPoint& l : kWorldPoints) {
        i32 vx = ViewCorner(l.tx * 16, 304, 640, kWorldW * 16);
        i32 vy = ViewCorner(l.ty * 16, 240, 480, kWorldH * 16);
        u16 x = static_cast<u16>((l.cx + vx) / 16), y = static_cast<u16>((l.cy + vy) / 16);
        u16 event = l.id == kWorldTownLocation         ? kWorldTownEvent
                    : l.id == kWorldLighthouseLocation ? kWorldLighthouseEvent
                    : l.id == kWorldMeadowLocation     ? kWorldMeadowEvent
                                                       : 0;
        if (!event) {
            Stamp(world, x, y, sampleMapArt::ClosedPlace());
            continue;
        }
        // The place's picture on its 3 x 3 mark, its name on a plate below.
        using sampleMapArt::Place;
        const Place place = event == kWorldTownEvent         ? Place::kTown
                            : event == kWorldLighthouseEvent ? Place::kLighthouse
                                                             : Place::kMeadow;
        const char* name = kWorldNames[event - kWorldTownEvent];
        Stamp(world, x - 1, y - 1, sampleMapArt::PlaceMark(place), event);
        Stamp(world, x - 1, y + 2, sampleMapArt::NamePlate(name));
    }
    for (u16 e = kWorldTownEvent; e <= kWorldMeadowEvent; ++e)
        world.events.push_back(
            Event(e, kWorldTalks[e - kWorldTownEvent], kWorldNames[e - kWorldTownEvent]));
    return world;
}

// The meadow: grass with a road across it and the way back to the world map.
MapSpec SampleMeadow() {
    using namespace sampleMap;
    using namespace sampleTile;
    MapSpec meadow = TiledMap(kMeadowArchive, kMeadowW, kMeadowH, kGrass);
    for (u16 x = 1; x < kMeadowW - 1; ++x) Lay(meadow, x, kMeadowArriveY, kRoad);
    for (u16 y = 1; y < kMeadowArriveY; ++y) Lay(meadow, kMeadowArriveX, y, kRoad);
    // The way out: a gate over the road with the world map's name on it.
    Lay(meadow, kMeadowArriveX, kMeadowArriveY - 1, kRoad, kMeadowExitEvent);
    Stamp(meadow, kMeadowArriveX - 2, kMeadowArriveY - 4, sampleMapArt::Gate("大地圖"));
    meadow.events.push_back(Event(kMeadowExitEvent, kSampleMeadowExitTalk, "大地圖"));
    return meadow;
}

// The lighthouse's grounds: the tower on the harbour's edge, the sea east of
// the shore with the keeper's boat, a path from where the player arrives to
// the tower's door and one south to the way back.
MapSpec SampleLighthouse() {
    using namespace sampleMap;
    using namespace sampleTile;
    MapSpec far = TiledMap(kFarArchive, kFarW, kFarH, kGrass);
    for (u16 y = 1; y < kFarH - 1; ++y) {
        for (u16 x = kFarShoreX + 1; x < kFarW - 1; ++x)
            Lay(far, x, y, sampleTile::kWater, kCellWall);
        Stamp(far, kFarShoreX, y, sampleMapArt::Shore(), kCellWall);
    }
    Stamp(far, kFarShoreX + 1, kFarArriveY, sampleMapArt::Boat());
    for (u16 x = kFarArriveX + 1; x <= kFarTowerX + 1; ++x) Lay(far, x, kFarArriveY, kRoad);
    for (u16 y = kFarTowerY + 8; y < kFarArriveY; ++y) Lay(far, kFarTowerX + 1, y, kRoad);
    Stamp(far, kFarTowerX, kFarTowerY, sampleMapArt::Lighthouse(), kCellWall);
    // The way back, as the meadow's: a gate over the road with the world map's name.
    for (u16 y = kFarArriveY + 1; y < kFarExitY; ++y) Lay(far, kFarExitX, y, kRoad);
    Lay(far, kFarExitX, kFarExitY, kRoad, kFarExitEvent);
    Stamp(far, kFarExitX - 2, kFarExitY - 3, sampleMapArt::Gate("大地圖"));
    far.events.push_back(Event(kFarExitEvent, kSampleLighthouseExitTalk, "大地圖"));
    return far;
}

}  // namespace

u16 sampleTile::Body(u16 kind) {
    static const u16 kBodies[kCount] = {Rgb(6, 18, 6),  Rgb(15, 13, 11), Rgb(24, 20, 12),
                                        Rgb(3, 8, 24),  Rgb(28, 8, 4),   Rgb(30, 26, 4),
                                        Rgb(16, 10, 4), Rgb(2, 5, 16),   Rgb(12, 12, 12)};
    return kind < kCount ? kBodies[kind] : 0;
}

std::vector<MapSpec> SampleMaps(int archive) {
    using namespace sampleMap;
    std::vector<MapSpec> out;
    if (archive == 1) {
        // The screen's size: a smaller map would leave the loading screen's
        // pictures beside it.
        out.push_back(SampleLighthouse());
        return out;
    }
    out.push_back(SampleTown());
    out.push_back(TiledMap(kRoomArchive, 20, 15, sampleTile::kFloor));
    out.push_back(MakeTestMap(kEightBitArchive, 32, 32, 8));
    out.push_back(SampleWorld());
    out.push_back(SampleMeadow());
    return out;
}

static_assert(sampleMap::kGuardAct == sample_art::kPeopleFirst + sample_art::kGuardPerson);

MapDbSpec SampleMapDb() {
    using namespace sampleMap;
    MapDbSpec db;
    db.roles.push_back(Role(kTown, kSamplePlayerRole, 1, 10, 10, 0, 0xD100));
    // People take their cells (kRoleWide): the player stops in front of them.
    db.roles.push_back(Role(kTown, kSampleHarbourMasterRole, 2, 12, 30, kSampleRewardTalk, 0xC000,
                            samplePath::kWanderer));
    db.roles.push_back(Role(kTown, kSampleLookerRole, 3, 25, 25, kSampleQuestionTalk, 0xC801,
                            samplePath::kLooker));
    db.roles.push_back(Role(kTown, kSampleGuardRole, kGuardAct, 50, 40, kSampleGuardTalk, 0xC000,
                            samplePath::kGuard));
    // Without a behaviour script a person's animation runs only with bit 0x1000.
    // The room's person is seen during the visit's words only: no talk.
    db.roles.push_back(Role(kRoom, kSampleRoomRole, 2, 5, 5, 0, 0xD000));
    // The lighthouse keeper stands in front of where the player arrives.
    db.roles.push_back(
        Role(kFar, kSampleKeeperRole, 3, kFarArriveX, kFarArriveY - 2, kSampleKeeperTalk, 0xD000));
    // The smith sells, buys and strengthens (shop 1).
    db.roles.push_back(Role(kTown, kSampleSmithRole, 1, kSmithX, kSmithY, kSampleShopTalk, 0xC000));
    // World-map locations: value 1 opens a location. They stand on no map.
    for (u16 id : {kWorldTownLocation, kWorldLighthouseLocation, kWorldClosedLocation,
                   kWorldMeadowLocation}) {
        std::array<u16, 13> r = Role(kNoMap, static_cast<u16>(2700 + id), 0, 0, 0, 0, 0);
        r[11] = id == kWorldClosedLocation ? 0 : 1;
        db.roles.push_back(r);
    }
    AppendMenuRoles(db);
    AppendShopRoles(db);
    // Names 2-6 are the sample music pieces, 4 a disc track, 6 the lighthouse's own.
    db.names = {"", "", "theme.xmi", "field.wav", "CD07", "battle.mp3", kLighthouseMusicName};
    AddSampleBattleNames(&db.names);
    AddSampleEndMusicName(&db.names);
    db.music = {
        {kTown, 2, 0, 1}, {kRoom, 3, 0, 2}, {kWorld, 3, 0, 1}, {kMeadow, 3, 0, 1}, {kFar, 6, 0, 1}};
    // No wild monsters in the town: its encounter group is 0.
    db.maps.push_back({kTown, kTownArchive, 0x01, 0x10, 0x34, 0x12, 1, 0, 0});
    // The room is smaller than the screen: the black canvas (0x80) is drawn
    // afresh beside it every frame.
    db.maps.push_back({kRoom, kRoomArchive, 0x10, 0x80, 0x02, 0x00, 1, 0, 0});
    db.maps.push_back({kEightBit, kEightBitArchive, 0, 0x40, 0x04, 0, 1, 0, 0});
    db.maps.push_back({kFar, kFarArchive, 0, 0, 0x08, 0, 1, 2, 0x8000});
    db.maps.push_back({kWorld, kWorldArchive, 0x10, 0x00, 0x04, 0x00, 1, 0, 0x8000});
    db.maps.push_back({kMeadow, kMeadowArchive, 0x01, 0x00, 0x04, 0x00, 1, 1, 0});
    db.start = {kTown, 10, 10, 1, 0, 1, kSamplePlayerRole, kSampleOpeningTalk};
    // The meadow's monsters, on every cell of it.
    db.zones.push_back({kMeadow, 1, 1, kMeadowW - 2, kMeadowH - 2, {8, 9}});
    db.zones.push_back({kFar, 1, 1, 28, 28, {sample_battle::kLighthouseEncounter}});
    db.popOuts.push_back({kSampleGuardRole, {40, 40, 45, 30}});
    // Encounter groups of 4 (steps, chance) pairs: after a fight, no other for
    // the first steps, then a chance a step. Group 1, the meadow: 10 steps, then
    // one in two, then every step. Group 2, the lighthouse's grounds: 10 steps,
    // then three in ten, then six: a wolf on every step would keep the player
    // from ever reaching the way out.
    db.groups = {10, 0, 20, 50, 40, 100, 0, 0, 10, 0, 20, 30, 40, 60, 0, 0};
    db.nameIds = {{1, Utf8ToBig5("林小月")}, {2, Utf8ToBig5("守衛")}, {3, "Fisher"}};
    db.placeNames = {{kTown, Utf8ToBig5("月港")},       {kRoom, Utf8ToBig5("小屋")},
                     {kEightBit, Utf8ToBig5("舊地圖")}, {kFar, Utf8ToBig5("燈塔")},
                     {kWorld, Utf8ToBig5("大地圖")},    {kMeadow, Utf8ToBig5("草原")}};
    db.footprints.push_back({kSampleLookerRole, 0x0202, 3});
    db.firstVisit.push_back({kRoom, 600});
    return db;
}

bool WriteSampleMaps(const std::string& root, std::string* error) {
    auto write = [error](const std::string& path, const std::vector<u8>& b) {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
        if (!out) *error = NotWrittenText(path);
        return static_cast<bool>(out);
    };
    return write(root + "/PicLib/HUGE.lmf", BuildMapArchive(SampleMaps(0))) &&
           write(root + "/HUGE2.lmf", BuildMapArchive(SampleMaps(1))) &&
           write(root + "/MH_Data/maps.dat", BuildMapsDat(SampleMapDb())) &&
           write(root + "/MH_Data/path.dat", BuildPathDat());
}
