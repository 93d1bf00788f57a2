// The copy, additive and alpha blitters in each lane width (scalar, SSE2,
// AVX2) against per-pixel references, on literal runs of every length from 0
// to 40 at odd and even starts, drawn whole and cut by the clip, plain and
// mirrored.
#include <algorithm>
#include <string>
#include <tuple>

#include "BlitRef.h"
#include "engine/RleBlit.h"

namespace {

constexpr i32 kW = 50, kH = 123;

using namespace blit_ref;

void Put(std::vector<u8>& b, u16 v) {
    b.push_back(static_cast<u8>(v));
    b.push_back(static_cast<u8>(v >> 8));
}

// Row r: a transparent run of r % 5 pixels, a literal run of r % 41 pixels,
// then up to two second-key pixels and transparent pixels to the width. The
// transparent runs are of the first key or, on odd rows first and on every
// third row last, of the kind never written. Built from the format's words.
std::vector<u8> LanePic(std::mt19937& rng) {
    std::vector<u8> bytes;
    for (u16 v : {0xFFFF, kW, kH, 0x8010}) Put(bytes, static_cast<u16>(v));
    for (i32 r = 0; r < kH; ++r) {
        size_t start = bytes.size();
        Put(bytes, 0);
        i32 lead = r % 5, n = r % 41, key2 = std::min(2, kW - lead - n);
        if (lead) Put(bytes, static_cast<u16>((r % 2 ? 0x4000 : 0xC000) | lead));
        if (n) Put(bytes, static_cast<u16>(n));
        for (i32 i = 0; i < n; ++i) Put(bytes, static_cast<u16>(rng()));
        Put(bytes, static_cast<u16>(0x8000 | key2));
        i32 rest = kW - lead - n - key2;
        if (rest) Put(bytes, static_cast<u16>((r % 3 ? 0xC000 : 0x4000) | rest));
        Put(bytes, 0);
        u16 len = static_cast<u16>(bytes.size() - start);
        bytes[start] = static_cast<u8>(len);
        bytes[start + 1] = static_cast<u8>(len >> 8);
    }
    Put(bytes, 0);
    return bytes;
}

// The screen after drawing ref at (x, y) under clip c in mode 0, 4 or 8,
// mirrored or not.
std::vector<u16> Expected(std::vector<u16> px, const RefPic& ref, const std::vector<u8>& plane,
                          i32 x, i32 y, const ClipRect& c, i32 mode, bool mirror) {
    Setting s;
    s.x = x, s.y = y, s.w = ref.w, s.h = ref.h, s.mode = mode | (mirror ? 1 : 0), s.clip = c;
    s.plane = plane;
    Reference(px, ref, s);
    return px;
}

using Case = std::tuple<BlitLanes, Layout>;
class LaneWidths : public ::testing::TestWithParam<Case> {};

TEST_P(LaneWidths, RunsOfEveryLengthMatchTheReference) {
    Canvas canvas(std::get<1>(GetParam()), 3);
    BlitLanes lanes = std::get<0>(GetParam());
    if (SetBlitLanes(lanes) != lanes) GTEST_SKIP() << "the processor lacks these lanes";
    {  // 2x1: a run of the kind never written over the first pixel, then 0x7C00
        const u16 words[] = {0xFFFF, 2, 1, 0x10, 10, 0x4001, 1, 0x7C00, 0, 0};
        std::vector<u16> expect = canvas.px;
        expect[10 * 640 + 11] = 0x7C00;
        gCurPic = words;
        PutPic(10, 10, 2, 1, 0, nullptr);
        ASSERT_EQ(canvas.px, expect);
    }
    std::mt19937 rng(11);
    std::vector<u8> pic = LanePic(rng);
    RefPic ref = ReadRefPic(pic);
    std::vector<u8> plane(kW * kH);
    for (auto& a : plane) a = static_cast<u8>(rng() % 4 ? (rng() % 16) * 4 : rng());
    // Whole, at odd and even columns; cut on both sides, on the right only
    // and on the left only; each also mirrored.
    const ClipRect clips[] = {
        {0, 0, 640, 480}, {0, 0, 640, 480}, {25, 0, 30, 480}, {0, 0, 40, 480}, {13, 0, 600, 480}};
    const i32 xs[] = {1, 4, 20, 3, 2};
    for (bool mirror : {false, true}) {
        for (i32 mode : {0, 4, 8}) {
            for (int k = 0; k < 5; ++k) {
                i32 x = xs[k], y = 7 + k;
                const ClipRect& c = clips[k];
                std::vector<u16> expect = Expected(canvas.px, ref, plane, x, y, c, mode, mirror);
                gClipRect = c;
                gCurPic = pic.data();
                PutPic(x, y, kW, kH, mode | (mirror ? 1 : 0), plane.data());
                ASSERT_EQ(canvas.px, expect)
                    << "mode " << mode << " draw " << k << (mirror ? " mirrored" : "");
            }
        }
    }
}

// Rows that break the format: a literal run past the width, a literal run
// cut by the width after a key run, a key word of count 0 (it ends the row),
// and a last row without its closing word, the buffer ending at its last
// pixel. Only the picture's rectangle changes, and only by the pixels in it.
TEST_P(LaneWidths, RowsPastTheWidthStayInThePicture) {
    Canvas canvas(std::get<1>(GetParam()), 5);
    BlitLanes lanes = std::get<0>(GetParam());
    if (SetBlitLanes(lanes) != lanes) GTEST_SKIP() << "the processor lacks these lanes";
    constexpr i32 w = 20, h = 4;
    RefPic ref;
    ref.w = w;
    ref.h = h;
    ref.kind.assign(w * h, Px::Key1);
    ref.value.assign(w * h, 0);
    std::vector<u8> bytes;
    for (u16 v : {0xFFFF, w, h, 0x8010}) Put(bytes, static_cast<u16>(v));
    // Each row: (kind word, literal count or key length) pairs.
    const std::vector<std::pair<u16, i32>> rows[h] = {
        {{0, 30}},
        {{0xC000, 15}, {0, 10}},
        {{0, 5}, {0xC000, 0}, {0, 5}},
        {{0, 20}},
    };
    for (i32 r = 0; r < h; ++r) {
        size_t start = bytes.size();
        Put(bytes, 0);
        i32 col = 0;
        bool ended = false;
        for (auto [kind, n] : rows[r]) {
            Put(bytes, static_cast<u16>(kind | n));
            if (kind != 0 && n == 0) ended = true;
            for (i32 i = 0; kind == 0 && i < n; ++i) {
                u16 v = static_cast<u16>(1000 * (r + 1) + 37 * col + i);
                Put(bytes, v);
                if (!ended && col + i < w) {
                    ref.kind[r * w + col + i] = Px::Lit;
                    ref.value[r * w + col + i] = v;
                }
            }
            col += n;
        }
        if (r + 1 < h) Put(bytes, 0);
        u16 len = static_cast<u16>(bytes.size() - start);
        bytes[start] = static_cast<u8>(len);
        bytes[start + 1] = static_cast<u8>(len >> 8);
    }
    std::vector<u8> plane(w * h, 40);
    // Whole, and cut on the left so that the walk starts inside the row.
    for (const ClipRect& c : {ClipRect{0, 0, 640, 480}, ClipRect{13, 0, 600, 480}}) {
        for (bool mirror : {false, true}) {
            for (i32 mode : {0, 4, 8}) {
                std::vector<u16> expect = Expected(canvas.px, ref, plane, 10, 10, c, mode, mirror);
                std::vector<u8> pic = bytes;  // exactly as long as the picture
                gClipRect = c;
                gCurPic = pic.data();
                PutPic(10, 10, w, h, mode | (mirror ? 1 : 0), plane.data());
                ASSERT_EQ(canvas.px, expect)
                    << "mode " << mode << " left " << c.left << (mirror ? " mirrored" : "");
            }
        }
    }
}

std::string CaseName(const ::testing::TestParamInfo<Case>& info) {
    const char* names[] = {"Scalar", "Sse2", "Avx2"};
    return std::string(names[static_cast<int>(std::get<0>(info.param))]) + "_" +
           std::get<1>(info.param).name;
}

INSTANTIATE_TEST_SUITE_P(Widths, LaneWidths,
                         ::testing::Combine(::testing::Values(BlitLanes::kScalar, BlitLanes::kSse2,
                                                              BlitLanes::kAvx2),
                                            ::testing::Values(k565, k555)),
                         CaseName);

}  // namespace
