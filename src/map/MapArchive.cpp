// LoadMap3: the directory search in both archives and the map record's blocks.
#include "map/MapArchive.h"

#include <cstring>
#include <string>
#include <utility>

#include "base/ByteIo.h"
#include "base/DataError.h"
#include "platform/TextCodec.h"
#include "engine/DataErrors.h"
#include "engine/ErrorBox.h"
#include "engine/FrameState.h"
#include "engine/Lzo.h"
#include "engine/MemDbg.h"
#include "engine/RlePic.h"
#include "engine/Tsw.h"
#include "data/Config.h"
#include "map/City.h"
#include "map/DrawOrder.h"
#include "map/MapCache.h"
#include "map/RoleTable.h"
#include "map/Scale.h"
#include "map/SessionServices.h"

MapRecord gMap;
std::vector<MapEvent> gMapEvents;
std::vector<MapObjectInfo> gMapObjects;
std::vector<MapOverlay> gMapOverlays;
std::string gMapArchiveName = "PicLib\\HUGE.lmf";

void BadArchiveData(u32 offset, std::string text) {
    const char* name = gMapArchiveFile.GetName();
    ReportDataError({name ? name : "", offset, std::move(text)});
}

namespace {

std::vector<bool> gStaticWalls;
u32 gMapDataOffset;  // M of the current map in the open archive

// Reads n bytes at off of the open archive; false when they are not all there.
bool ReadAt(u32 off, void* dst, u32 n) {
    u32 size = gMapArchiveFile.GetSize();
    if (size == 0xFFFFFFFFu || off > size || n > size - off) return false;
    if (n == 0) return true;
    if (!gMapArchiveFile.SeekSet(static_cast<i32>(off))) return false;
    u32 got = n;
    return gMapArchiveFile.Read(dst, &got) && got == n;
}

std::vector<u8> ReadBlock(u32 off, u32 n, bool* ok) {
    std::vector<u8> v;
    u32 size = gMapArchiveFile.GetSize();
    *ok = size != 0xFFFFFFFFu && off <= size && n <= size - off;
    if (!*ok) return v;
    v.resize(n);
    *ok = ReadAt(off, v.data(), n);
    return v;
}

// Finds map n in the open archive; its data offset in *m.
bool FindInArchive(u32 n, u32* m) {
    u32 size = gMapArchiveFile.GetSize();
    u32 d = 0;
    if (size == 0xFFFFFFFFu || !ReadAt(0, &d, 4)) {
        BadArchiveData(0, "no directory offset (" + std::to_string(size) + " bytes)");
        return false;
    }
    d = LoadU32(&d);
    if (d >= size) {
        BadArchiveData(0, "directory offset " + std::to_string(d) + " past the end (" +
                              std::to_string(size) + " bytes)");
        return false;
    }
    bool ok = false;
    std::vector<u8> dir = ReadBlock(d, size - d, &ok);
    std::vector<MapDirEntry> entries;
    std::string err;
    if (!ok) return false;
    // The directory is parsed as a file image that starts at D.
    ByteReader r(dir);
    u32 count = (size - d - 1) / kDirEntrySize;
    for (u32 i = 0; i < count && r.Has(kDirEntrySize); ++i) {
        MapDirEntry e{r.U32(), r.U32(), r.U32(), r.U32()};
        if (e.id == n) {
            *m = e.offset;
            return true;
        }
    }
    return false;
}

bool OpenArchive(const char* rel) {
    gMapArchiveFile.Close();
    std::string path = std::string(gBasePath) + rel;
    if (gMapArchiveFile.Open(path.c_str(), OPEN_EXISTING, GENERIC_READ)) return true;
    ReportDataError(DataError::Unplaced(rel, "cannot be opened"));
    return false;
}

// Unpacks an LZO stream of packed bytes at off into exactly want bytes.
bool UnpackAt(u32 off, u32 packed, u8* dst, u32 want) {
    bool ok = false;
    std::vector<u8> src = ReadBlock(off, packed, &ok);
    if (!ok) return false;
    return LzoUnpackExact(src.data(), static_cast<i32>(packed), dst, static_cast<i32>(want)) ==
           kLzoOk;
}

void LoadEvents(u32 m, const u8* h) {
    u32 off = LoadU32(h + mapHdr::kEventOff), size = LoadU32(h + mapHdr::kEventSize);
    bool ok = false;
    std::vector<u8> b = ReadBlock(m + off, size, &ok);
    if (!ok || off == 0) return;
    ByteReader r(b);
    u32 count = r.U32();
    if (!r.HasRecords(count, kEventRecordSize)) return;
    for (u32 i = 0; i < count; ++i) {
        MapEvent e;
        EventFields(r, e);
        gMapEvents.insert(gMapEvents.begin(), e);
    }
}

void LoadObjects(u32 m, const u8* h) {
    u32 off = LoadU32(h + mapHdr::kObjectOff), size = LoadU32(h + mapHdr::kObjectSize);
    bool ok = false;
    std::vector<u8> b = ReadBlock(m + off, size, &ok);
    if (!ok || off == 0) return;
    ByteReader r(b);
    u32 count = r.U32();
    if (!r.Seek(8) || !r.HasRecords(count, kObjectRecordSize)) return;
    for (u32 i = 0; i < count; ++i) {
        MapObjectInfo o;
        o.picOffset = r.U32();
        o.value1 = r.U32();
        o.value2 = r.U32();
        u16 k = r.U16();
        o.flags = r.U16();
        o.present = true;
        if (gMapObjects.size() <= k) gMapObjects.resize(static_cast<size_t>(k) + 1);
        gMapObjects[k] = o;
    }
}

// An object whose act cannot be read keeps a reset animation.
void SetObjectAct(RoleSlot& s, u32 m, const MapObjectInfo& o) {
    s.act = NewActPlayer();
    u8 head[4];
    if (!ReadAt(m + o.picOffset, head, 4)) return;
    s.act->act = LoadU16(head);
    s.act->action = LoadU16(head + 2);
}

void PlaceObjects(u32 m, const u8* h, const MapRecord* map) {
    u32 off = LoadU32(h + mapHdr::kPlaceOff), size = LoadU32(h + mapHdr::kPlaceSize);
    bool ok = false;
    std::vector<u8> b = ReadBlock(m + off, size, &ok);
    if (!ok || off == 0) return;
    ByteReader r(b);
    u16 count = r.U16();
    if (!r.Seek(4) || !r.HasRecords(count, kPlacementRecordSize)) return;
    if (gMapRoleCount < 1) gMapRoleCount = 1;
    for (u32 i = 0; i < count; ++i) {
        u16 obj = r.U16(), x = r.U16();
        r.U16();
        r.U16();
        u16 y = r.U16();
        u8 attrs = r.U8();
        r.Skip(5);
        if (x > (map->width + 40) * 16 || y > (map->height + 30) * 16) continue;
        // The role table has a fixed number of rows; placements beyond it are dropped.
        if (gMapRoleCount >= kRoleRows) {
            BadArchiveData(m, std::string("map ") + map->name +
                                  ": more placements than role rows; the rest dropped");
            return;
        }
        RoleSlot& s = gMapRoles[gMapRoleCount];
        s = RoleSlot{};
        s.state = kRoleShown | kRoleIdleAnim;
        s.attr1 = attrs >> 4;
        s.attr2 = attrs & 15;
        s.x = x;
        s.y = y;
        s.roleId = kNoRole;
        const MapObjectInfo* o = obj < gMapObjects.size() ? &gMapObjects[obj] : nullptr;
        if (!o || !(o->flags & 0x0100)) {  // u16 flags: of 0x01000100 only 0x100 can be set
            s.stillPic = 1;
            s.objectNo = obj;
        } else {
            SetObjectAct(s, m, *o);
        }
        InsertMapObject(&s, static_cast<int>(s.state & kRoleLayer));
        gMapRoleCount += 1;
    }
}

void LoadOverlays(u32 m, const u8* h) {
    u32 off = LoadU32(h + mapHdr::kOverlayOff), size = LoadU32(h + mapHdr::kOverlaySize);
    if (off == 0) return;
    bool ok = false;
    std::vector<u8> b = ReadBlock(m + off, size, &ok);
    if (!ok) return;
    ByteReader r(b);
    u16 count = r.U16();
    if (!r.Seek(8) || !r.HasRecords(count, kOverlayRecordSize)) return;
    for (u32 i = 0; i < count; ++i) {
        u32 poff = r.U32(), packed = r.U32(), unpacked = r.U32();
        u16 bits = r.U16();
        u8 l = r.U8(), t = r.U8(), rt = r.U8(), bt = r.U8();
        r.Skip(6);
        if (packed == 0 || unpacked == 0 || unpacked > (64u << 20)) continue;
        u8* pic = static_cast<u8*>(MH_ALLOC(static_cast<i32>(unpacked)));
        RleInfo info;
        if (!UnpackAt(m + poff, packed, pic, unpacked) || !RleCheck(pic, unpacked, &info)) {
            BadArchiveData(m + poff, "map overlay " + std::to_string(i) + " is no picture");
            MH_FREE(pic);
            continue;
        }
        MapOverlay o;
        i32 depth = 0;
        if (!RleConvertToScreen(pic, unpacked, &o.width, &o.height, &depth)) {
            MH_FREE(pic);
            continue;
        }
        o.pic = pic;
        o.picSize = unpacked;
        o.kind = bits & 7;
        o.attr1 = (bits >> 3) & 15;
        o.attr2 = (bits >> 7) & 15;
        o.left = l * 16;
        o.top = t * 16;
        o.right = rt * 16;
        o.bottom = bt * 16;
        gMapOverlays.insert(gMapOverlays.begin(), o);
    }
}

void LoadDepthBlocks(u32 m, const u8* h) {
    u32 off = LoadU32(h + mapHdr::kDepthOff), size = LoadU32(h + mapHdr::kDepthSize);
    if (off != 0 && size >= 8) {
        u8 head[8];
        if (ReadAt(m + off, head, 8)) {
            u32 want = LoadU32(head + 4);
            if (want >= 512 && want <= (64u << 20)) {
                std::vector<u8> out(want);
                if (UnpackAt(m + off + 8, size - 8, out.data(), want))
                    LoadDepthPicture(out.data(), want);
            }
        }
    }
    u32 off2 = LoadU32(h + mapHdr::kDepth2Off), packed2 = LoadU32(h + mapHdr::kDepth2Packed),
        want2 = LoadU32(h + mapHdr::kDepth2Size);
    if (off2 != 0 && want2 >= 16 && want2 <= (16u << 20)) {
        std::vector<u8> out(want2);
        if (UnpackAt(m + off2, packed2, out.data(), want2)) LoadDepthRows(out.data(), want2);
    }
}

}  // namespace

bool ReadMapDirectory(const u8* file, size_t size, std::vector<MapDirEntry>* out,
                      DataError* error) {
    out->clear();
    ByteReader r(file, size);
    u32 d = r.U32();
    if (!r.ok() || d >= size) {
        if (error) *error = {"", 0, "directory offset " + std::to_string(d) + " is past the end"};
        return false;
    }
    r.Seek(d);
    size_t count = (size - d - 1) / kDirEntrySize;
    for (size_t i = 0; i < count && r.Has(kDirEntrySize); ++i)
        out->push_back(MapDirEntry{r.U32(), r.U32(), r.U32(), r.U32()});
    return true;
}

bool IsStaticWall(size_t i) {
    return i < gStaticWalls.size() && gStaticWalls[i];
}

void FreeMapGrids(MapRecord* map) {
    if (map->cells) MH_FREE(map->cells);
    if (map->layerGrid) MH_FREE(map->layerGrid);
    map->cells = nullptr;
    map->layerGrid = nullptr;
    if (map == &gMap) gStaticWalls.clear();
}

void FreeMapOverlays() {
    for (MapOverlay& o : gMapOverlays)
        if (o.pic) MH_FREE(o.pic);
    gMapOverlays.clear();
}

int LoadMap3(u32 n, MapRecord* map) {
    gMapArchiveFile.Close();
    FreeMapGrids(map);
    ClearDepthScale();
    gMapEvents.clear();
    gMapObjects.clear();

    u32 m = 0;
    if (!OpenArchive(gMapArchiveName.c_str())) return 0;
    const u32 faults = DataErrorCount();
    if (!FindInArchive(n, &m)) {
        const bool second = OpenArchive("HUGE2.lmf");
        if (!second || !FindInArchive(n, &m)) {
            // A directory that could not be read has named itself already.
            if (DataErrorCount() == faults)
                ReportDataError(DataError::Unplaced(gMapArchiveName + ", HUGE2.lmf",
                                                    "no map " + std::to_string(n) + " in either"));
            gRunState |= kRunQuit;
            return 0;
        }
    }
    u8 magic[4] = {};
    std::vector<u8> h(kMapHeaderSize);
    if (!ReadAt(m, magic, 4) || std::memcmp(magic, kMapMagic, 4) != 0)
        ReportDataError(WordedDataError(B5("地圖[%d]是舊格式"), n), "LoadMap3");
    if (!ReadAt(m + 4, h.data(), kMapHeaderSize)) {
        BadArchiveData(m + 4, "map " + std::to_string(n) + " header past the end");
        return 0;
    }
    const u8* hp = h.data();
    map->width = LoadU16(hp + mapHdr::kWidth);
    map->height = LoadU16(hp + mapHdr::kHeight);
    map->tileBits = LoadU16(hp + mapHdr::kTileBits);
    map->headerValue = LoadU16(hp + mapHdr::kValue);
    map->layers = LoadU16(hp + mapHdr::kLayers);
    map->attribute = LoadU16(hp + mapHdr::kAttribute);
    map->cleared = 0;
    map->name[0] = 0;
    u64 cells = static_cast<u64>(map->width) * map->height;
    if (cells == 0 || cells > kMaxMapCells || map->layers > 16) {
        BadArchiveData(m + 4, "map " + std::to_string(n) + " bad size " +
                                  std::to_string(map->width) + "x" + std::to_string(map->height) +
                                  ", " + std::to_string(map->layers) + " layers");
        return 0;
    }
    map->cellCount = static_cast<u32>(cells);
    if (map == &gMap) AllocMapObjectBuckets();

    ReleaseMapView();
    map->Pixel = GetCachedMap(n, m, LoadU32(hp + mapHdr::kPixelOff), 0);
    map->pixelSize = map->Pixel ? gCacheFile.GetSize() : 0;
    // The cache is only a cache: a map it cannot hold is entered from memory.
    if (!map->Pixel)
        map->Pixel = UnpackMapInMemory(m, LoadU32(hp + mapHdr::kPixelOff), 0, &map->pixelSize);
    if (!map->Pixel) {
        BadArchiveData(m, "map " + std::to_string(n) + " pictures cannot be unpacked");
        return 0;
    }

    u64 layerCells = cells * map->layers;
    map->layerGrid = static_cast<u16*>(MH_ALLOC_ZERO(static_cast<i32>(layerCells * 2 + 2)));
    bool ok = false;
    std::vector<u8> lg = ReadBlock(m + 4 + kMapLayerGridAt, static_cast<u32>(layerCells * 4), &ok);
    if (!ok) {
        BadArchiveData(m + 4 + kMapLayerGridAt,
                       "map " + std::to_string(n) + " layer grid past the end");
        return 0;
    }
    for (u64 i = 0; i < layerCells; ++i) map->layerGrid[i] = LoadU16(lg.data() + 4 * i);

    map->cells = static_cast<u32*>(MH_ALLOC_ZERO(static_cast<i32>(cells * 4)));
    std::vector<u8> raw(cells * 4);
    if (!UnpackAt(m + LoadU32(hp + mapHdr::kCellOff), LoadU32(hp + mapHdr::kCellSize), raw.data(),
                  static_cast<u32>(cells * 4))) {
        BadArchiveData(m + LoadU32(hp + mapHdr::kCellOff),
                       "map " + std::to_string(n) + " cell grid does not unpack");
        return 0;
    }
    for (u64 i = 0; i < cells; ++i) map->cells[i] = LoadU32(raw.data() + 4 * i);
    if (map == &gMap) {
        gStaticWalls.assign(cells, false);
        for (u64 i = 0; i < cells; ++i) gStaticWalls[i] = (map->cells[i] & kCellWide) != 0;
    }

    if (map == &gMap) {
        gMapDataOffset = m;
        SetMapPicHooks(LoadMapPic, [] { return static_cast<i32>(gMapId); });
    }
    LoadEvents(m, hp);
    LoadObjects(m, hp);
    PlaceObjects(m, hp, map);
    LoadOverlays(m, hp);
    LoadDepthBlocks(m, hp);
    return 1;
}

namespace {

// The unpacked picture, a 16-bit one or a palette before an 8-bit one, in the
// screen layout; null when it is not a whole picture.
u8* ConvertMapPic(u8* pic, i32* size) {
    if (LoadU16(pic) == kRleMagic) {
        i32 w = 0, h = 0, depth = 0;
        if (RleCheck(pic, static_cast<size_t>(*size)) &&
            RleConvertToScreen(pic, static_cast<size_t>(*size), &w, &h, &depth))
            return pic;
        MH_FREE(pic);
        return nullptr;
    }
    u8* out = *size > 512 && RleCheck(pic + 512, static_cast<size_t>(*size) - 512)
                  ? RleConvertPaletted8To16(pic, size)
                  : nullptr;
    if (!out) MH_FREE(pic);
    return out;
}

}  // namespace

int LoadMapPic(i32 index, PicFrame* frame) {
    if (!frame || index < 0 || static_cast<size_t>(index) >= gMapObjects.size()) return 0;
    const MapObjectInfo& o = gMapObjects[static_cast<size_t>(index)];
    u32 packed = o.value1, unpacked = o.value2;
    if (!o.present || packed == 0 || unpacked < static_cast<u32>(kRleHeaderSize) ||
        unpacked > kMaxFrameBytes)
        return 0;
    u8* pic = static_cast<u8*>(MH_ALLOC(static_cast<i32>(unpacked)));
    if (!UnpackAt(gMapDataOffset + o.picOffset, packed, pic, unpacked)) {
        BadArchiveData(gMapDataOffset + o.picOffset,
                       "map picture " + std::to_string(index) + " does not unpack");
        MH_FREE(pic);
        return 0;
    }
    i32 size = static_cast<i32>(unpacked);
    pic = ConvertMapPic(pic, &size);
    RleInfo info;
    if (!pic || !RleCheck(pic, static_cast<size_t>(size), &info)) {
        if (pic) MH_FREE(pic);
        BadArchiveData(gMapDataOffset + o.picOffset,
                       "map picture " + std::to_string(index) + " is not a picture");
        return 0;
    }
    *frame = PicFrame{};
    frame->pixels = pic;
    frame->size = static_cast<u32>(size);
    frame->width = static_cast<u16>(info.width);
    frame->height = static_cast<u16>(info.height);
    return 1;
}

void ResetMapData() {
    FreeMapGrids(&gMap);
    ReleaseMapView();
    ClearRoleTable();
    gMapRoleCount = 0;
    FreeMapOverlays();
    gMapEvents.clear();
    gMapObjects.clear();
    gMap = MapRecord{};
    ClearRouteRecords();
}

void ResetMapArchive() {
    FreeMapGrids(&gMap);
    FreeMapOverlays();
    gMapEvents.clear();
    gMapObjects.clear();
    gMapArchiveFile.Close();
    gMapArchiveName = "PicLib\\HUGE.lmf";
    gMap = MapRecord{};
}
