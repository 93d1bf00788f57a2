// Writers of the picture (".tsw") and act (".act") archives, the act command
// builder, and the sample game's six archive pairs drawn in code.
#pragma once
#include <initializer_list>
#include <map>
#include <string>
#include <vector>

#include "base/Types.h"

// One frame: w x h stored 5-5-5 colours (depth 16) or palette indices (depth 8).
struct ArchiveFrame {
    i32 w = 0, h = 0;
    std::vector<u16> pixels;
};

// A w x h frame of one colour.
ArchiveFrame Flat(i32 w, i32 h, u16 colour);

struct ArchivePicture {
    std::string name;
    u16 depth = 16;
    std::vector<u16> palette;  // 256 stored colours for depth 8
    std::vector<ArchiveFrame> frames;
};

// Command words of one part, built command by command.
struct ActWords {
    std::vector<u16> words;
    ActWords& Cmd(u16 tag, std::initializer_list<u16> operands = {});
    ActWords& Rf(u16 pic);
    ActWords& Pa(u16 frame);
    ActWords& Sd(u16 delay);
    ActWords& Xy(i16 x, i16 y);
    ActWords& Ed();
    ActWords& Ov();
    ActWords& O2();
};

// Act data: parts by key (direction + action); keys without a part store 0.
struct ActProgram {
    std::string name;
    std::map<i32, std::vector<u16>> parts;
};

// The bytes of one picture as it lies at its directory offset (frames run-coded
// and packed with LZO1X-1); empty with error set when a frame is bad.
std::vector<u8> BuildTswPicture(const ArchivePicture& pic, std::string* error);
std::vector<u8> BuildActData(const ActProgram& act);
// Whole archives: 28-byte header, 3000 directory entries, then the data.
// Keys are entry numbers 1..2999.
std::vector<u8> BuildTswArchive(const std::map<u32, ArchivePicture>& pics, std::string* error);
std::vector<u8> BuildActArchive(const std::map<u32, ActProgram>& acts);

// The sample game's pictures and acts (picture and act numbers as the game
// addresses them), and the writer of "PicLib\all_*.tsw" and ".act" under root.
const std::map<u32, ArchivePicture>& SamplePictures();
const std::map<u32, ActProgram>& SampleActs();
bool WriteSampleArchives(const std::string& root, std::string* error);

// Numbers of the sample game's archive contents.
namespace sample_art {
constexpr u32 kPeopleFirst = 1;  // acts and pictures 1..4: walking people
constexpr u32 kPeopleCount = 4;
constexpr u32 kGuardPerson = 3;  // the last of them, the town's guard (act 4)
constexpr u32 kPeopleW = 32, kPeopleH = 48;
constexpr u16 kActionStand = 0, kActionWalk = 8, kActionRun = 16;
constexpr u16 kActionFace = 24;   // the face beside the person's words (kFaceAction)
constexpr u32 kItemIcons = 3001;  // 8-bit palette picture, 4 frames of 24x24
constexpr u32 kMagicRing = 6001;  // 16-bit, 6 frames, additive looping act
constexpr u32 kCursor = 9001;     // mouse cursor, 3 frames of 16x16, act parts 0..15
constexpr u32 kBackdrop = 9002;   // 640x480, one frame, opaque
constexpr u32 kBoxFrame = 9011;  // box frame: 8 pieces of 8x8 (4 corners, top, bottom, left, right)
constexpr u32 kMapObject = 12001;       // 2 frames of 32x32, opaque
constexpr u32 kBattleUnderlay = 15001;  // 64x64, opaque, act 15001 action 0
// The ending's four acts 2901..2904 (backdrop, rising, sliding, companion),
// each with kEndingActions actions of one flat opaque colour, and then the
// drawn one the sample story shows: the harbour, the closing words on a
// panel, the party in a band and its title plate.
constexpr u32 kEndingFirst = 2901;
constexpr u32 kEndingActions = 4;
constexpr u32 kEndingDrawnAction = kEndingActions;
u16 EndingColor(u32 act, u32 action);
// The closing words on the rising panel (act 2902's drawn action), centred
// down it from row kEndingWordsTop: each line and its size in pixels, a line
// below the last by its size and a half; an empty line is a gap.
struct EndingLine {
    const char* text;
    i32 size;
};
constexpr EndingLine kEndingWords[] = {
    {"月港", 32}, {"燈塔的光", 20}, {"又照亮了海面", 20}, {"", 8}, {"感謝您的遊玩", 16}};
constexpr i32 kEndingWordsTop = 76;
void EndingFrameSize(u32 act, i32* w, i32* h);
// Portraits for role heads and overlay objects: actions 0 and 1, each one
// flat colour inside a transparent margin, drawn at (x - 10, y).
constexpr u32 kPortrait = 20;
constexpr u32 kPortraitW = 120, kPortraitH = 160, kPortraitMargin = 4;
constexpr i16 kPortraitHotX = 10;
constexpr u16 kPortraitColours[2] = {24 << 10 | 20 << 5 | 6, 6 << 10 | 12 << 5 | 26};
}  // namespace sample_art
