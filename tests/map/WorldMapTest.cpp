// The sample's world map played through the real tick: out by the town's
// signpost, the load screen of map 2, the choice of open locations with the
// arrow keys, a click on the chosen mark, and the music on the way.
#include "MapTestSupport.h"

using namespace sampleMap;

namespace {

struct WorldMap : ::testing::Test {
    Harness h;
    SampleSession s{h};
};

TEST_F(WorldMap, TheSignpostLeadsOutAndTheKeysChooseOnlyOpenLocations) {
    // A new game with its opening words read.
    s.NewGameFromTheTitle();
    ASSERT_TRUE(h.RunUntil([] { return !gDialogs.empty(); }, 20));
    ASSERT_TRUE(s.ConfirmUntilTalkEnds());
    i32 walkMode = gWalkMode;
    // Walks left along the street into the signpost: its talk leads to map 2.
    PlatformSetKey(kArrowLeft, true);
    const bool out = h.RunUntil([] { return gMapId == kWorld; }, 400);
    PlatformSetKey(kArrowLeft, false);
    ASSERT_TRUE(out);
    h.RunFrames(4);
    // Map 2 forces walking. The world map's music: record 3 of the names,
    // "field.wav", on list 1.
    EXPECT_EQ(std::tuple(s.P().x, s.P().y, GetGameFlag(70), gWalkMode, s.P().state & kRoleOnMap2,
                         RecordWord(FindRecord(kPlayerRole), 10) & kRoleOnMap2, gWorldMapIndex,
                         Ends(gMusic.GetList(1).slots[0].name, "field.wav")),
              std::tuple(kWorldStartX * 16, kWorldStartY * 16, 1, 1, kRoleOnMap2, kRoleOnMap2,
                         kWorldMapUnchosen, true));

    // Down from no choice: the first open location in table order, the
    // lighthouse; down again passes the closed ones (the fishing village at
    // index 1, ...) to the meadow at 4, then the town at 8; up goes back the
    // same way and wraps below 0 to 14, then down to the town.
    const struct {
        u8 key;
        u32 index;
        i32 mouseX, mouseY;
    } steps[] = {{kArrowDown, 0, 314, 86}, {kArrowDown, 4, 258, 198}, {kArrowDown, 8, 362, 264},
                 {kArrowUp, 4, 258, 198},  {kArrowUp, 0, 314, 86},    {kArrowUp, 8, 362, 264}};
    for (const auto& st : steps) {
        s.Tap(st.key);
        ASSERT_EQ(gWorldMapIndex, st.index);
        EXPECT_EQ(std::tuple(gMouseX, gMouseY), std::tuple(st.mouseX, st.mouseY));
        h.RunFrames(3);
    }

    // The player walks to the town's target cell; a click on its mark goes home.
    ASSERT_TRUE(h.RunUntil([&] { return s.P().x == 43 * 16 && s.P().y == 35 * 16; }, 600))
        << s.P().x << "," << s.P().y << " state " << std::hex << s.P().state;
    s.PointAt(362, 264);
    s.Click();
    ASSERT_TRUE(h.RunUntil([] { return gMapId == kTown; }, 60));
    // Flag 70 is set when leaving map 2 too.
    EXPECT_EQ(std::tuple(s.P().x, s.P().y, gWalkMode, GetGameFlag(70), h.boxes().size()),
              std::tuple(7 * 16, 10 * 16, walkMode, 1, 0u));
}

TEST_F(WorldMap, TheLoadScreenShowsItsPictureAndBarAndAMapEnteredUnderAScreenPlaysTheStoredMusic) {
    s.NewGameFromTheTitle();
    SetGameFlag(70);
    ShowLoadProgress(-1);
    auto colour = [](u32 act, u32 action) { return ConvertPixel(InterfaceColor(act, action)); };
    // 45 %: picture 4, the bar 5 tenths (270 pixels) over its empty frame.
    // The rest is cleared.
    ShowLoadProgress(45);
    const struct {
        i32 x, y;
        u16 want;
    } kAt[] = {{100, 50, colour(9041, 4)},  {539, 349, colour(9041, 4)},
               {50, 400, colour(9042, 5)},  {319, 423, colour(9042, 5)},
               {320, 400, colour(9042, 0)}, {589, 423, colour(9042, 0)},
               {20, 20, ConvertPixel(0)},   {100, 351, ConvertPixel(0)}};
    for (const auto& a : kAt) EXPECT_EQ(CanvasAt(a.x, a.y), a.want) << a.x << "," << a.y;
    // 100 % shows as the ninth tenth: picture 9 and a full bar.
    ShowLoadProgress(100);
    EXPECT_EQ(std::tuple(CanvasAt(300, 200), CanvasAt(589, 410)),
              std::tuple(colour(9041, 9), colour(9042, 10)));
    // Off map 2's way (flag 70 clear) nothing is drawn.
    ClearGameFlag(70);
    ShowLoadProgress(20);
    EXPECT_EQ(CanvasAt(300, 200), colour(9041, 9));
    gMusic.ClearList(1);
    gMusic.ClearList(2);
    // A loaded game: the map's pair and an override, names 2 and 5.
    // Override 2 is no music number: ignored.
    gMapMusic = MapMusicState{.mode = 1, .music1 = 2, .override1 = 5, .override2 = 1024};
    gFrameId = kScreenBit | 21;
    LoadCity(kRoom, 5, 6, 1, 0, 1, 0);
    // The override's list is the one to play.
    EXPECT_EQ(std::tuple(Ends(gMusic.GetList(1).slots[0].name, "theme.xmi"),
                         Ends(gMusic.GetList(2).slots[0].name, "battle.mp3"),
                         gMusic.GetList(1).slots[1].name, gMusic.GetList(2).slots[1].name,
                         gMusic.GetPendingMode(), gCdMusic),
              std::tuple(true, true, nullptr, nullptr, 2, 0u));
    // A disc track among them plays from the disc instead.
    gMapMusic.override1 = 4;  // "CD07"
    LoadCity(kRoom, 5, 6, 1, 0, 1, 0);
    EXPECT_EQ(std::tuple(gCdMusic, h.boxes().size()), std::tuple(1u, 0u));
}

// The sample town's music as a player hears it: it starts with the map, and a
// MIDI piece sounds as loud as a recorded one at the same volume setting.

// The loudest sample of ms milliseconds pulled from the mixer.
int PeakOf(u32 ms) {
    std::vector<i16> out(static_cast<size_t>(ms) * kMixRate / 1000 * 2);
    AudioMixer().Mix(out.data(), static_cast<int>(out.size() / 2));
    int peak = 0;
    for (i16 v : out) peak = std::max(peak, std::abs(static_cast<int>(v)));
    return peak;
}

TEST_F(WorldMap, TheTownsPieceStartsWithTheMapAndMatchesARecordedPiece) {
    if (!std::filesystem::exists(kDefaultSoundFont)) GTEST_SKIP() << "no sound font";
    s.NewGameFromTheTitle();
    // Within a few frames of the new game the town's piece is the one playing.
    ASSERT_TRUE(h.RunUntil([] { return gMusic.CurrentKind() == cMusic::kMidi; }, 10));
    EXPECT_EQ(std::tuple(Ends(gMusic.GetList(1).slots[0].name, "theme.xmi"), gMusic.GetVolume()),
              std::tuple(true, static_cast<int>(gMusicVolume) * 127 / 11));
    // The piece again from its start, alone in the mixer: whatever the title
    // left in the mixer (it is pulled only here) is drained first.
    gMidi.Stop();
    StopAllSfx();
    PeakOf(1000);
    gMusic.SetMode(1, 1, 0);
    h.RunFrames(2);
    ASSERT_EQ(gMidi.Playing().size(), 1u);
    int midi = PeakOf(2000);

    // The same setting with a recorded piece of the sample in its place.
    gMidi.Stop();
    PeakOf(500);
    gMusic.ClearList(1);
    std::string wave = std::string(gBasePath) + "music\\field.wav";
    gMusic.SetTrack(wave.c_str(), 3, 0, 1);
    gMusic.SetMode(1, 1, 0);
    h.RunFrames(2);
    ASSERT_EQ(gMusic.CurrentKind(), cMusic::kStream);
    int stream = PeakOf(800);
    ASSERT_GT(stream, 1000);
    // Within 3 dB of each other.
    EXPECT_TRUE(midi * 1.42 > stream && midi < stream * 1.42) << midi << " vs " << stream;
}

}  // namespace
