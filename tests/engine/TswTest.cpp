// Picture archives and the picture cache: round trips through the writer and
// the reader, cache order and budget, the map pictures, and bad archives.
#include <gtest/gtest.h>

#include <cstring>
#include <tuple>

#include "ArchiveTestUtil.h"
#include "base/ByteIo.h"
#include "engine/Lzo.h"
#include "base/MemDbg.h"
#include "engine/PixelFormat.h"
#include "engine/RlePic.h"

namespace {

// The pixels of a cached frame, decoded to plain 16-bit values.
std::vector<u16> Plain(const PicFrame* f) {
    i32 w = 0, h = 0, depth = 0;
    u16* p = static_cast<u16*>(RleDecode(f->pixels, f->size, &w, &h, &depth));
    EXPECT_NE(p, nullptr);
    if (!p) return {};
    std::vector<u16> v(p, p + static_cast<size_t>(w) * h);
    MH_FREE(p);
    return v;
}

// What the generator drew, in the current screen layout (keys stay keys).
std::vector<u16> Expected(const ArchivePicture& pic, const ArchiveFrame& f) {
    std::vector<u16> v;
    for (u16 px : f.pixels) {
        u16 stored = pic.depth == 8 ? pic.palette[px] : px;
        v.push_back(stored == 619 ? 619 : ConvertPixel(stored));
    }
    return v;
}

// The sample archives, written and opened.
struct SampleCache : testing::Test {
    ArchiveRoot root;
    void SetUp() override {
        root.WriteSample();
        root.Open();
    }
};

TEST(PicArchive, EveryFrameOfTheSampleComesBackAsDrawn) {
    for (bool wide : {false, true}) {
        ArchiveRoot root;
        root.WriteSample();
        if (wide) SetPixelFormat(640, 480, 1280, 0xF800, 0x07E0, 0x001F);
        root.Open();
        for (const auto& [n, pic] : SamplePictures()) {
            for (size_t f = 0; f < pic.frames.size(); ++f) {
                SCOPED_TRACE(testing::Message()
                             << "picture " << n << " frame " << f << " wide " << wide);
                const PicFrame* got = GetPic(static_cast<u16>(n), static_cast<u16>(f));
                ASSERT_NE(got, nullptr) << PicLastError();
                EXPECT_EQ(std::tuple(got->width, got->height, got->palette != nullptr),
                          std::tuple(pic.frames[f].w, pic.frames[f].h, pic.depth == 8));
                EXPECT_TRUE(RleCheck(got->pixels, got->size));
                EXPECT_EQ(Plain(got), Expected(pic, pic.frames[f]));
            }
        }
        ResetPixelFormat();
    }
}

TEST(PicArchive, NumbersAddressArchiveAndEntryAndAMissingArchiveFailsItsOwn) {
    ArchiveRoot root;
    root.WriteSample();
    // Entry 2999 of all_map2 is picture 17999; entry 1 of all_item is 3001.
    std::map<u32, ArchivePicture> last;
    last[2999] = SamplePictures().at(sample_art::kMapObject);
    std::string error;
    root.Write(5, ".tsw", BuildTswArchive(last, &error));
    std::filesystem::remove(root.File(2, ".tsw"));  // fails only its own pictures
    root.Open();
    EXPECT_EQ(GetPic(sample_art::kMagicRing, 0), nullptr);
    EXPECT_NE(GetPic(sample_art::kCursor, 0), nullptr);
    EXPECT_NE(GetPic(17999, 1), nullptr);
    EXPECT_EQ(GetPic(17999, 2), nullptr);  // beyond the frame count
    EXPECT_NE(GetPic(3001, 3), nullptr);
    EXPECT_EQ(GetPic(3001, 4), nullptr);
    for (u16 bad : {0, 3000, 6000, 15000, 18000, 18001, 0xFFFE})
        EXPECT_EQ(GetPic(bad, 0), nullptr) << bad;
    EXPECT_EQ(GetPic(2, 24), nullptr);
}

TEST_F(SampleCache, LoadsOnceFindsWithoutLoadingAndReadsWithoutANode) {
    EXPECT_EQ(FindCachedPic(1, 0), nullptr);
    PicFrame* a = GetPic(1, 0);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(GetPic(1, 0), a);
    EXPECT_EQ(FindCachedPic(1, 0), a);
    EXPECT_EQ(GetPicCacheStats().loads, 1u);
    FreePics();
    EXPECT_EQ(GetPicCacheStats().total, 0u);
    EXPECT_EQ(FindCachedPic(1, 0), nullptr);
    // Failures are neither cached nor leaked.
    MemDbgStats before = MemDbgGetStats();
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(GetPic(4, 0), nullptr);   // empty entry
        EXPECT_EQ(GetPic(1, 99), nullptr);  // beyond the frames
    }
    PicCacheStats s = GetPicCacheStats();
    EXPECT_EQ(s.total, 0u);
    for (u16 c : s.counts) EXPECT_EQ(c, 0);
    EXPECT_EQ(s.failures, 6u);
    FreeTswBuffers();
    EXPECT_EQ(MemDbgGetStats().curBlocks, before.curBlocks);
    PicFrame f;
    ASSERT_EQ(ReadPicDirect(sample_art::kBackdrop, 0, &f), 1);
    EXPECT_EQ(std::tuple(f.width, f.height), std::tuple(640, 480));
    EXPECT_TRUE(RleCheck(f.pixels, f.size));
    MH_FREE(f.pixels);
    EXPECT_EQ(GetPicCacheStats().total, 0u);
    EXPECT_EQ(ReadPicDirect(0, 0, &f), 0);
}

TEST_F(SampleCache, TrimsTheLeastRecentlyUsedOfTheFullestBucket) {
    SetPicMemory(0);
    ASSERT_NE(GetPic(1, 0), nullptr);
    ASSERT_NE(GetPic(1, 1), nullptr);
    // Frames handed out in this tick stay valid: the trim stopped short.
    EXPECT_NE(FindCachedPic(1, 0), nullptr);
    PicCacheNewTick();
    ASSERT_NE(GetPic(2, 0), nullptr);  // bucket 1 is the fullest: emptied
    EXPECT_EQ(FindCachedPic(1, 0), nullptr);
    EXPECT_EQ(FindCachedPic(1, 1), nullptr);
    PicCacheStats s = GetPicCacheStats();
    EXPECT_EQ(std::tuple(s.counts[1], s.counts[2], s.total),
              std::tuple(0, 1, FindCachedPic(2, 0)->size));
    // Eviction takes the least recently used frame of the fullest bucket.
    u32 frameSize = GetPic(1, 0)->size;  // every person frame has about this size
    FreePics();
    // Bucket 1: frames 0, 1, 2 of picture 1; bucket 2: frames 0, 1 of picture 2.
    for (u16 f : {0, 1, 2}) GetPic(1, f);
    for (u16 f : {0, 1}) GetPic(2, f);
    GetPic(1, 0);  // frame 0 back to the front: frame 1 is now the tail
    PicCacheNewTick();
    SetPicMemory(GetPicCacheStats().total - frameSize / 2);
    ASSERT_NE(GetPic(3, 0), nullptr);
    auto cached = [] {
        std::vector<bool> in;
        for (auto [n, f] : {std::pair{1, 0}, {1, 1}, {1, 2}, {2, 0}, {2, 1}})
            in.push_back(FindCachedPic(static_cast<u16>(n), static_cast<u16>(f)) != nullptr);
        return in;
    };
    EXPECT_EQ(cached(), (std::vector<bool>{true, false, true, true, true}));
    // The finds above put frame 0 last; a tie between buckets 1 and 2 (two
    // each) takes bucket 1.
    PicCacheNewTick();
    SetPicMemory(GetPicCacheStats().total - frameSize / 2);
    GetPic(3, 1);
    EXPECT_EQ(cached(), (std::vector<bool>{false, false, true, true, true}));
}

int gMapPicCalls = 0;
i32 gCurrentMap = 0;

int FakeMapPic(i32 index, PicFrame* f) {
    ++gMapPicCalls;
    std::vector<u16> px(8 * 4, static_cast<u16>(index));
    i32 size = 0;
    f->pixels = RleEncode(px.data(), &size, 8, 4, 16);
    f->size = static_cast<u32>(size);
    f->width = 8;
    f->height = 4;
    return index == 99 ? 0 : 1;
}

TEST(PicCache, MapPicturesComeFromTheMapLoaderExceptSixOnMap286) {
    ArchiveRoot root;
    root.Open();
    EXPECT_EQ(GetPic(kMapPicNumber, 1), nullptr);  // no loader yet
    gMapPicCalls = 0;
    SetMapPicHooks(FakeMapPic, [] { return gCurrentMap; });
    gCurrentMap = 286;
    EXPECT_EQ(GetPic(kMapPicNumber, 6), nullptr);
    EXPECT_EQ(gMapPicCalls, 0);
    PicFrame* f = GetPic(kMapPicNumber, 5);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(GetPicCacheStats().counts[5], 1);  // keyed by frame for map pictures
    gCurrentMap = 285;
    EXPECT_NE(GetPic(kMapPicNumber, 6), nullptr);
    EXPECT_EQ(GetPic(kMapPicNumber, 99), nullptr);  // the loader's failure frees its frame
    EXPECT_EQ(gMapPicCalls, 3);
}

// ---- Bad archives ----

struct BadArchive : testing::Test {
    ArchiveRoot root;
    std::vector<u8> file;
    u32 picAt = 0;
    void SetUp() override {
        std::map<u32, ArchivePicture> pics;
        pics[1] = SamplePictures().at(sample_art::kCursor);
        std::string error;
        file = BuildTswArchive(pics, &error);
        picAt = LoadU32(file.data() + kTswHeaderSize + 24);
    }
    u32 Record(int frame) const { return picAt + kTswPicHeaderSize + kTswFrameRecordSize * frame; }
    PicFrame* Load(u16 frame = 0) {
        root.Write(0, ".tsw", file);
        root.Open();
        return GetPic(1, frame);
    }
};

TEST_F(BadArchive, DamagedHeadsRecordsBlocksFramesAndTruncatedFilesAreRefused) {
    const std::vector<u8> whole = file;
    // A frame count larger than the head or the file: the records that exist
    // still load; one inside the head has nonsense data, others lie past the
    // 11788-byte head.
    StoreU16(&file[picAt + 6], 400);
    EXPECT_NE(Load(2), nullptr);
    for (u16 frame : {200, 350, 399}) EXPECT_EQ(Load(frame), nullptr) << frame;
    file = whole;
    StoreU16(&file[picAt + 4], 0xABCE);  // wrong magic
    EXPECT_EQ(Load(), nullptr);
    EXPECT_NE(std::string(PicLastError()).find("all_char.tsw: offset"), std::string::npos)
        << PicLastError();
    file = whole;
    StoreU16(&file[picAt + 8], 12);  // a depth other than the frames'
    EXPECT_EQ(Load(), nullptr);
    // Unpacked sizes two bytes off, or far past any frame (refused before allocation).
    for (u32 size : {LoadU32(&whole[Record(0) + 8]) + 2, 0xFFFFFFF0u}) {
        file = whole;
        StoreU32(&file[Record(0) + 8], size);
        EXPECT_EQ(Load(), nullptr) << size;
    }
    for (u32 at : {static_cast<u32>(whole.size()) + 100, 0xFFFFFFF0u}) {
        file = whole;
        StoreU32(&file[kTswHeaderSize + 24], at);  // directory offset past the file
        EXPECT_EQ(Load(), nullptr) << at;
    }
    file = whole;
    u32 block = picAt + LoadU32(&file[Record(0)]);
    for (u32 i = 0; i < 12; ++i) file[block + i] ^= 0x5A;  // corrupt LZO block
    EXPECT_EQ(Load(), nullptr);
    FreePics();  // frame 2 of the whole file is cached
    for (size_t cut : {size_t{10}, size_t{kTswDirectoryEnd - 5}, size_t{picAt + 6},
                       size_t{picAt + 60}, whole.size() - 1}) {
        file.assign(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(cut));
        EXPECT_EQ(Load(2), nullptr) << cut;
    }
    // A block that unpacks cleanly to exactly its size, but to a broken picture.
    std::vector<u8> broken(408, 0x11);
    StoreU16(&broken[0], 0xFFFF);
    StoreU16(&broken[2], 16);
    StoreU16(&broken[4], 16);
    StoreU16(&broken[6], 16);
    i32 packed = 0;
    u8* lzo = LzoPack(broken.data(), 408, &packed);
    u32 at = picAt + LoadU32(&file[Record(0)]);
    ASSERT_LE(static_cast<u32>(packed), LoadU32(&file[Record(0) + 4]) + 100);
    file.resize(std::max<size_t>(file.size(), at + packed));
    std::memcpy(&file[at], lzo, packed);
    MH_FREE(lzo);
    StoreU32(&file[Record(0) + 4], static_cast<u32>(packed));
    EXPECT_EQ(Load(), nullptr);
    EXPECT_NE(std::string(PicLastError()).find("run-coded"), std::string::npos);
}

}  // namespace
