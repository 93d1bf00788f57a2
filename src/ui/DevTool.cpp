// The developer tool: its save file as one field list, the slot rows, the flag
// editor and the save page, and the tick that runs them.
#include "ui/DevTool.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <new>

#include "base/ByteIo.h"
#include "platform/TextCodec.h"
#include "platform/Win.h"
#include "engine/DDraw.h"
#include "engine/DInput.h"
#include "engine/DataErrors.h"
#include "engine/ErrorBox.h"
#include "engine/FrameState.h"
#include "engine/GrpFont.h"
#include "engine/Lzo.h"
#include "engine/MemDbg.h"
#include "engine/PicPaint.h"
#include "engine/PixelFormat.h"
#include "data/Config.h"
#include "data/GameData.h"
#include "data/GameFlags.h"
#include "map/ActDraw.h"
#include "map/City.h"
#include "map/MapDraw.h"
#include "map/MapManage.h"
#include "map/NewGame.h"
#include "map/RoleTable.h"
#include "map/SessionServices.h"
#include "ui/SaveBlocks.h"
#include "ui/ScreenState.h"

DevToolState gDevTool;

namespace {

using namespace save_blocks;

constexpr i32 kRowTop = 50, kRowStep = 140, kRowHeight = 130;
constexpr i32 kRowLeft = 10, kRowRight = 590;
constexpr i32 kArrowAct = 9051;
constexpr i32 kArrowX = 600, kArrowTopY = 10, kArrowBottomY = 450, kArrowSize = 30;
constexpr i32 kAskLeft = 220, kAskTop = 200, kAskW = 200, kAskH = 80;
constexpr i32 kYesX = 276, kNoX = 308, kAnswerY = 244;
constexpr i32 kBlinkFrames = 10;
constexpr u32 kPartyZeroAt = 38;  // the two u16 at 38 and 40 are written as 0

// Scan codes of the tool's own keys (the confirm key comes from the bindings).
constexpr int kScanOf[kDevKeyCount] = {59, 60, 1, 29, 157, 203, 205, 200, 208, 201, 209, 0, 31, 38};

// ---- the file ----

constexpr BlockRule kFlagRule{kDevFlagBlockBytes, 0, 0};
constexpr BlockRule kRoleRule{0, kRecordBytes, kRecordBytes* kSaveMaxRoleRows};
constexpr BlockRule kVarRule{kDevVarBlockFixed + 2, 8,
                             kDevVarBlockFixed + 2 + 8 * kSaveMaxMusicRows};
constexpr BlockRule kScriptRule{2 * kScriptRecordBytes, 0, 0};

template <class Io>
void DevItems(Io& io, DevSaveImage& s) {
    Raw(io, s.date, kDevDateBytes);
    io.Array(s.thumb, kThumbPixels);
    Raw(io, s.place, kSavePlaceBytes);
    Block(io, kFlagRule, [&](auto& b) { Raw(b, s.flags, sizeof(s.flags)); });
    Block(io, kRoleRule, [&](auto& b) { RestBytes(b, s.roleRows); });
    io.Field(s.playerId);
    io.Field(s.mapId);
    io.Field(s.cellX);
    io.Field(s.cellY);
    io.Field(s.act);
    io.Field(s.action);
    io.Field(s.dir);
    Block(io, kVarRule, [&](auto& b) {
        b.Field(s.gameTime);
        b.Array(s.scriptVars, 256);
        Raw(b, s.party, sizeof(s.party));
        MusicRows(b, s.music);
    });
    Raw(io, s.reserved, sizeof(s.reserved));
    io.Field(s.quakePeriod);
    io.Field(s.quakeCountdown);
    Raw(io, s.quakeTable, sizeof(s.quakeTable));
    Block(io, kScriptRule, [&](auto& b) { Raw(b, s.scriptRecords, sizeof(s.scriptRecords)); });
}

void FormatDevDate(char out[kDevDateBytes]) {
    std::time_t now = std::time(nullptr);
    std::tm t{};
    localtime_r(&now, &t);
    char buf[64];
    std::snprintf(buf, sizeof(buf), "%04d%02d%02d%02d%02d", (t.tm_year + 1900) % 10000,
                  t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min);
    std::memcpy(out, buf, kDevDateBytes);
}

void ThumbnailFrom(const u16* canvas, u16* thumb) {
    if (!canvas) {
        std::memset(thumb, 0, kThumbPixels * 2);
        return;
    }
    for (int y = 0; y < kThumbH; ++y)
        for (int x = 0; x < kThumbW; ++x) thumb[y * kThumbW + x] = canvas[(4 * y) * 640 + 4 * x];
    ConvertPixelsBack(thumb, kThumbPixels);
}

// The four records game initialisation filled, as the file keeps them.
void PartyRecords(u8 out[kDevPartyRecords][kDevPartyRecordBytes]) {
    for (int k = 0; k < kDevPartyRecords; ++k) {
        std::memset(out[k], 0, kDevPartyRecordBytes);
        std::memcpy(out[k], gNewGame.entries[k].bytes, sizeof(gNewGame.entries[k].bytes));
        std::memset(out[k] + kPartyZeroAt, 0, 4);
    }
}

// ---- keys and mouse ----

bool ConfirmDown() {
    return gDInput.IsKeyDown(static_cast<int>(gMapKeyCodes[1])) ||
           gDInput.IsKeyDown(static_cast<int>(gMapKeyCodes[12]));
}

void ReadToolKeys(DevToolState& t) {
    for (int k = 0; k < kDevKeyCount; ++k) {
        bool down = k == kDevKeyConfirm ? ConfirmDown() : gDInput.IsKeyDown(kScanOf[k]) != 0;
        t.held[k] = down ? t.held[k] + 1 : 0;
    }
}

bool Fresh(const DevToolState& t, int k) {
    return t.held[k] == 1;
}
// A held key acts on its first frame and again from its fourth frame on.
bool Acts(const DevToolState& t, int k) {
    return t.held[k] == 1 || t.held[k] >= 4;
}

// A fresh press of the left button; the cursor is read either way.
bool Clicked(DevToolState& t) {
    int buttons = gDInput.ReadMouse(&t.mouseX, &t.mouseY);
    bool click = (buttons & 1) && !(t.lastButtons & 1);
    t.lastButtons = buttons;
    return click;
}

bool Inside(const DevToolState& t, i32 x, i32 y, i32 w, i32 h) {
    return t.mouseX >= x && t.mouseX < x + w && t.mouseY >= y && t.mouseY < y + h;
}

// ---- the rows ----

char* NewText(const char* text, size_t size) {
    char* p = static_cast<char*>(MH_ALLOC(size));
    std::memset(p, 0, size);
    std::memcpy(p, text, std::min(size - 1, std::strlen(text)));
    return p;
}

// "____/__/__ __:__" with the twelve digits put in.
void DateText(const char* digits, char out[17]) {
    std::snprintf(out, 17, "____/__/__ __:__");
    static const int kAt[kDevDateBytes] = {0, 1, 2, 3, 5, 6, 8, 9, 11, 12, 14, 15};
    for (int i = 0; i < kDevDateBytes; ++i)
        if (digits[i] >= '0' && digits[i] <= '9') out[kAt[i]] = digits[i];
}

void FillRow(DebugSlotInfo* row, const DevSaveImage& img) {
    row->state = 2;
    for (int k = 0; k < kDevPartyRecords; ++k) {
        // The record's first word names the member; its first value word is the level shown.
        row->partyRole[k] = static_cast<i32>(LoadU32(img.party[k]));
        row->partyValue[k] = LoadU16(img.party[k] + 16);
    }
    row->mapId = img.mapId;
    row->money = img.scriptVars[0];
    row->playTime = img.gameTime;
    row->thumb = static_cast<u16*>(MH_ALLOC(kThumbPixels * 2));
    std::memcpy(row->thumb, img.thumb, kThumbPixels * 2);
    ConvertPixels(row->thumb, kThumbPixels);
    char date[17];
    DateText(img.date, date);
    row->date = NewText(date, sizeof(date));
    char place[kSavePlaceBytes + 1] = {};
    std::memcpy(place, img.place, kSavePlaceBytes);
    row->place = NewText(place, sizeof(place));
    row->block = static_cast<u8*>(MH_ALLOC(kDevQuakeTableBytes));
    std::memcpy(row->block, img.quakeTable, kDevQuakeTableBytes);
    u32 t = img.gameTime;
    char time[64];
    std::snprintf(time, sizeof(time), "%02u%s%02u%s%02u%s", t / 3600, B5("時"), (t / 60) % 60,
                  B5("分"), t % 60, B5("秒"));
    row->playTimeText = NewText(time, std::strlen(time) + 1);
}

i32 PageFirst() {
    return kDevSlotsPerPage * (gCurrentSlot / kDevSlotsPerPage);
}

void MoveSlot(i32 delta) {
    i32 old = PageFirst();
    gCurrentSlot = std::clamp(gCurrentSlot + delta, 0, kDevSlots - 1);
    if (PageFirst() != old) ReadDebugSlotPage();
    ResetDebugSlotRoles();
}

// ---- leaving ----

void LeaveFromTool() {
    LeaveDebugTool();
    gFrameId = kMapMode;
}

// ---- drawing ----

u16* Line(i32 y) {
    return reinterpret_cast<u16*>(reinterpret_cast<u8*>(gPaintBuf) + gRowOffsets[y]);
}

void FillBox(i32 x, i32 y, i32 w, i32 h, u16 colour) {
    for (i32 r = std::max(0, y); r < std::min(480, y + h); ++r) {
        u16* p = Line(r);
        for (i32 c = std::max(0, x); c < std::min(640, x + w); ++c) p[c] = colour;
    }
}

void Text(i32 x, i32 y, const char* text, u16 colour) {
    gMainFont.DrawString(gPaintBuf, x, y, text, colour, kStylePlain);
}

u16 Colour(i32 r, i32 g, i32 b) {
    return static_cast<u16>(MakeColor(r, g, b));
}

void DrawFlagPage(const DevToolState& t) {
    FillBox(0, 0, 640, 480, 0);
    i32 first = t.flag / kDevFlagsPerBlock * kDevFlagsPerBlock;
    for (i32 i = 0; i < kDevFlagsPerBlock && first + i < kGameFlagCount; ++i) {
        i32 n = first + i;
        i32 x = 100 * (i % 6), y = 32 + 22 * (i / 6);
        if (n == t.flag) FillBox(x, y, 72, 18, Colour(0, 0, 20));
        char buf[32];
        std::snprintf(buf, sizeof(buf), "[%5d:  ]", n);
        Text(x, y, buf, Colour(31, 31, 31));
        Text(x + 56, y, GetGameFlag(n) ? "@" : " ", Colour(0, 31, 0));
    }
}

void DrawThumb(const u16* thumb, i32 x, i32 y) {
    for (i32 r = 0; r < kThumbH; ++r)
        if (y + r >= 0 && y + r < 480)
            std::memcpy(Line(y + r) + x, thumb + r * kThumbW, kThumbW * 2);
}

void DrawRow(DevToolState& t, int r) {
    const DebugSlotInfo& row = t.rows[r];
    i32 y = kRowTop + kRowStep * r;
    i32 slot = PageFirst() + r;
    if (slot >= kDevSlots) return;
    FillBox(kRowLeft, y, kRowRight - kRowLeft, kRowHeight,
            slot == gCurrentSlot ? Colour(6, 6, 14) : Colour(3, 3, 3));
    char buf[64];
    std::snprintf(buf, sizeof(buf), "%02d", slot);
    Text(kRowLeft + 4, y + 4, buf, Colour(31, 31, 0));
    if (row.state != 2) {
        Text(220, y + 56, B5("沒有存檔資訊"), Colour(31, 31, 31));
        return;
    }
    DrawThumb(row.thumb, kRowLeft + 30, y + 5);
    Text(210, y + 6, row.date, Colour(31, 31, 31));
    Text(370, y + 6, row.place, Colour(31, 31, 31));
    std::snprintf(buf, sizeof(buf), "%u", row.money);
    Text(210, y + 28, buf, Colour(31, 31, 0));
    Text(370, y + 28, row.playTimeText, Colour(31, 31, 31));
    for (int k = 0; k < kDevPartyRecords; ++k) {
        i32 x = 230 + 90 * k;
        // A missing act draws nothing rather than a box every frame.
        ActPlayer& a = t.roleActs[r][k];
        if (a.act > 0 && TakeActData(&a)) DrawActPicture(&a, x, y + 100, 0);
        std::snprintf(buf, sizeof(buf), "%d%s", row.partyValue[k], B5("級"));
        Text(x - 16, y + 108, buf, Colour(31, 31, 31));
    }
}

void DrawArrow(const DevToolState& t, int which, i32 y) {
    if (t.arrowBlink[which] > 0 && (t.arrowBlink[which] & 2)) return;
    DrawActFrame(kArrowAct, which, kArrowX, y);
}

void DrawSavePage(DevToolState& t) {
    FillBox(0, 0, 640, 480, 0);
    for (int r = 0; r < kDevSlotsPerPage; ++r) DrawRow(t, r);
    DrawArrow(t, 0, kArrowTopY);
    DrawArrow(t, 1, kArrowBottomY);
    if (!t.asking) return;
    FillBox(kAskLeft, kAskTop, kAskW, kAskH, Colour(8, 0, 0));
    Text(kAskLeft + 40, kAskTop + 12, B5("要覆蓋嗎?"), Colour(31, 31, 31));
    Text(kYesX - 16, kAnswerY, B5("  是  否"), Colour(31, 31, 31));
}

void DrawTool(DevToolState& t) {
    if (gDrawSurface) {
        gPaintBuf = LockSurface(gDrawSurface);
        UnlockSurface(gDrawSurface, nullptr);
    }
    if (!gPaintBuf) return;
    if (t.page == 0)
        DrawFlagPage(t);
    else
        DrawSavePage(t);
    ShowCanvas();
}

// ---- the pages ----

void RunFlagPage(DevToolState& t) {
    if (Fresh(t, kDevKeyConfirm)) PutGameFlag(t.flag, GetGameFlag(t.flag) ? 0 : 1);
    static const struct {
        int key;
        i32 delta;
    } kSteps[] = {{kDevKeyLeft, -1}, {kDevKeyRight, 1},     {kDevKeyUp, -6},
                  {kDevKeyDown, 6},  {kDevKeyPageUp, -120}, {kDevKeyPageDown, 120}};
    for (const auto& s : kSteps)
        if (Acts(t, s.key)) t.flag = StepDebugFlag(t.flag, s.delta);
}

void SaveCurrent(DevToolState& t) {
    t.asking = false;
    if (WriteDevSave(gCurrentSlot)) LeaveFromTool();
}

void RunQuestion(DevToolState& t, bool click) {
    bool yes = Fresh(t, kDevKeyConfirm) || (click && Inside(t, kYesX - 4, kAnswerY - 4, 24, 24));
    bool no = click && Inside(t, kNoX - 4, kAnswerY - 4, 24, 24);
    if (yes)
        SaveCurrent(t);
    else if (no)
        t.asking = false;
}

void RunSavePage(DevToolState& t) {
    bool click = Clicked(t);
    for (i32& b : t.arrowBlink)
        if (b > 0) --b;
    if (t.asking) return RunQuestion(t, click);
    if (Acts(t, kDevKeyUp) || Acts(t, kDevKeyLeft)) MoveSlot(-1);
    if (Acts(t, kDevKeyDown) || Acts(t, kDevKeyRight)) MoveSlot(1);
    if (Acts(t, kDevKeyPageUp)) MoveSlot(-kDevSlotsPerPage);
    if (Acts(t, kDevKeyPageDown)) MoveSlot(kDevSlotsPerPage);
    if (click) {
        if (Inside(t, kArrowX, kArrowTopY, kArrowSize, kArrowSize)) {
            t.arrowBlink[0] = kBlinkFrames;
            MoveSlot(-kDevSlotsPerPage);
        } else if (Inside(t, kArrowX, kArrowBottomY, kArrowSize, kArrowSize)) {
            t.arrowBlink[1] = kBlinkFrames;
            MoveSlot(kDevSlotsPerPage);
        }
        for (int r = 0; r < kDevSlotsPerPage; ++r) {
            i32 slot = PageFirst() + r;
            if (slot < kDevSlots &&
                Inside(t, kRowLeft, kRowTop + kRowStep * r, kRowRight - kRowLeft, kRowHeight)) {
                gCurrentSlot = slot;
                ResetDebugSlotRoles();
            }
        }
    }
    const DebugSlotInfo& row = t.rows[gCurrentSlot - PageFirst()];
    if (Fresh(t, kDevKeySave)) {
        if (row.state == 2)
            t.asking = true;
        else
            SaveCurrent(t);
    } else if (Fresh(t, kDevKeyLoad) && row.state == 2) {
        LoadDevSave(gCurrentSlot);
    }
}

void SetUpTool() {
    ResetDebugTool();
    SelectNewestDebugSlot();
}

}  // namespace

std::string DevSavePath(int slot) {
    char buf[kPathSize + 32];
    std::snprintf(buf, sizeof(buf), "%ssave\\%d.sav", gBasePath, slot);
    return buf;
}

// The items a developer save and a player save both hold, copied either way.
template <class To, class From>
void CopySharedItems(To* img, const From& from) {
    std::memcpy(img->flags, from.flags, sizeof(img->flags));
    img->roleRows = from.roleRows;
    img->playerId = from.playerId;
    img->mapId = from.mapId;
    img->cellX = from.cellX;
    img->cellY = from.cellY;
    img->act = from.act;
    img->action = from.action;
    img->dir = from.dir;
    img->gameTime = from.gameTime;
    std::memcpy(img->scriptVars, from.scriptVars, sizeof(img->scriptVars));
    img->music = from.music;
    std::memcpy(img->reserved, from.reserved, sizeof(img->reserved));
    img->quakePeriod = from.quakePeriod;
    img->quakeCountdown = from.quakeCountdown;
    std::memcpy(img->quakeTable, from.quakeTable, sizeof(img->quakeTable));
    std::memcpy(img->scriptRecords, from.scriptRecords, sizeof(img->scriptRecords));
}

void BuildDevSaveImage(DevSaveImage* img, const u16* canvas) {
    auto full = std::make_unique<SaveImage>();
    BuildSaveImage(full.get(), nullptr);
    FormatDevDate(img->date);
    ThumbnailFrom(canvas, img->thumb);
    std::memcpy(img->place, full->header.place, kSavePlaceBytes);
    CopySharedItems(img, *full);
    PartyRecords(img->party);
}

std::vector<u8> DevSaveBytes(const DevSaveImage& img) {
    ByteWriter w;
    DevItems(w, const_cast<DevSaveImage&>(img));
    return std::move(w.bytes());
}

bool ParseDevSave(const u8* data, size_t size, DevSaveImage* img, DataError* error) {
    ByteReader r(data, size);
    DevItems(r, *img);
    return EndsAfterLastItem(r, error);
}

std::unique_ptr<DevSaveImage> ReadDevSaveFile(const std::string& path, DataError* error) {
    return ReadImageFile<DevSaveImage>(path, kDevMaxFileBytes, ParseDevSave, error);
}

int WriteDevSave(int slot) {
    if (slot < 0 || slot >= kDevSlots) return 0;
    StorePlayerRoles();
    std::vector<u16> canvas(640 * 480);
    DrawWorld();
    bool haveCanvas = CopyDrawSurface(canvas.data());
    auto img = std::make_unique<DevSaveImage>();
    BuildDevSaveImage(img.get(), haveCanvas ? canvas.data() : nullptr);
    std::vector<u8> bytes = DevSaveBytes(*img);
    std::string path = DevSavePath(slot);
    if (ReplaceFile(path.c_str(), bytes.data(), static_cast<u32>(bytes.size()))) return 1;
    ShowSaveWriteFailure(path.c_str());
    return 0;
}

int LoadDevSave(int slot) {
    if (slot < 0 || slot >= kDevSlots) return 0;
    DataError why;
    auto dev = ReadDevSaveFile(DevSavePath(slot), &why);
    if (!dev) {
        ReportDataError(why);
        return 0;
    }
    // What the file does not hold stays as it is: the rest of the image is the running game.
    auto img = std::make_unique<SaveImage>();
    BuildSaveImage(img.get(), nullptr);
    CopySharedItems(img.get(), *dev);
    // The file keeps no party: the load swaps roles 0 and 1 under the loaded
    // flag 324, so the party goes in pre-swapped to come out as it is now.
    bool swap = (dev->flags[324 >> 3] >> (324 & 7)) & 1;
    for (int i = 0; i < 8; ++i) {
        i32 r = gParty[i];
        img->header.partyRole[i] = (swap && (r == 0 || r == 1)) ? 1 - r : r;
    }
    // What the databases lack is refused before anything of the game changes.
    if (!SaveIdsKnown(*img, &why)) {
        why.file = DevSavePath(slot);
        ReportDataError(why);
        return 0;
    }
    ApplySaveImage(*img);
    gCurrentSlot = slot;
    return 1;
}

i32 StepDebugFlag(i32 flag, i32 delta) {
    i32 n = flag + delta;
    if (n < 0) return kGameFlagCount - 1;
    if (n >= kGameFlagCount) return 0;
    return n;
}

void ReadDebugSlotInfo(DebugSlotInfo* row, int slot) {
    FreeDebugSlotInfo(row);
    row->slot = slot;
    row->state = 1;
    if (slot < 0 || slot >= kDevSlots) return;
    std::string path = DevSavePath(slot);
    cFile probe;
    if (!probe.Open(path.c_str(), OPEN_EXISTING, GENERIC_READ)) return;
    probe.Close();
    DataError why;
    auto img = ReadDevSaveFile(path, &why);
    if (!img) {
        ReportDataError(why);
        return;
    }
    FillRow(row, *img);
}

void FreeDebugSlotInfo(DebugSlotInfo* row) {
    if (row->thumb) MH_FREE(row->thumb);
    if (row->date) MH_FREE(row->date);
    if (row->place) MH_FREE(row->place);
    if (row->block) MH_FREE(row->block);
    if (row->playTimeText) MH_FREE(row->playTimeText);
    *row = DebugSlotInfo{};
}

void ReleaseDebugSlotInfo() {
    for (DebugSlotInfo& r : gDevTool.rows) FreeDebugSlotInfo(&r);
}

void ReadDebugSlotPage() {
    i32 first = PageFirst();
    for (int r = 0; r < kDevSlotsPerPage; ++r) ReadDebugSlotInfo(&gDevTool.rows[r], first + r);
}

void ResetDebugSlotRoles() {
    i32 current = gCurrentSlot - PageFirst();
    for (int r = 0; r < kDevSlotsPerPage; ++r)
        for (int k = 0; k < kDevPartyRecords; ++k) {
            ActPlayer& a = gDevTool.roleActs[r][k];
            ResetActPlayer(&a);
            a.act = k + 1;
            a.dir = 6;
            a.action = r == current ? 8 : 0;
        }
}

void ResetDebugTool() {
    DevToolState& t = gDevTool;
    std::fill(std::begin(t.held), std::end(t.held), 0u);
    t.countdown = 0;
    t.ticks = 0;
    t.page = 0;
    t.asking = false;
    t.lastButtons = 0;
    t.arrowBlink[0] = t.arrowBlink[1] = 0;
}

void SelectNewestDebugSlot() {
    i64 newest = 0;
    i32 best = -1;
    for (int s = 0; s < kDevSlots; ++s) {
        cFile f;
        if (!f.Open(DevSavePath(s).c_str(), OPEN_EXISTING, GENERIC_READ)) continue;
        i64 written = 0;
        if (f.GetTime(nullptr, nullptr, &written) && (best < 0 || written > newest)) {
            newest = written;
            best = s;
        }
    }
    if (best >= 0) gCurrentSlot = best;
    gCurrentSlot = std::clamp(gCurrentSlot, 0, kDevSlots - 1);
    ReadDebugSlotPage();
    ResetDebugSlotRoles();
}

int AnyDebugSaveExists() {
    for (int s = 0; s < kDevSlots; ++s) {
        cFile f;
        if (f.Open(DevSavePath(s).c_str(), OPEN_EXISTING, GENERIC_READ)) return 1;
    }
    return 0;
}

int HasDebugEndMark(cFile* file) {
    if (!file || !file->IsOpen()) return 0;
    u32 size = file->GetSize();
    if (size < 4) return 0;
    file->Seek(0, static_cast<i32>(size - 4));
    u32 mark = 0;
    if (!file->ReadDword(&mark)) return 0;
    return mark == kDevEndMark ? 1 : 0;
}

void OpenDebugTool() {
    gDevToolActive = kDevToolStarting;
}

void LeaveDebugTool() {
    gDevToolActive = kDevToolOff;
    gDevTool.asking = false;
    ReleaseDebugSlotInfo();
}

void RunDebugTool() {
    DevToolState& t = gDevTool;
    if (gDevToolActive == kDevToolStarting) {
        SetUpTool();
        gDevToolActive = kDevToolOn;
    }
    t.countdown = std::clamp(t.countdown - 1, 0, 1000);
    ++t.ticks;
    SetMapCursorAction(13);
    ReadToolKeys(t);
    if (Fresh(t, kDevKeyF1)) {
        t.page = 0;
        Sleep(500);
    } else if (Fresh(t, kDevKeyF2)) {
        t.page = 1;
        ReadDebugSlotPage();
        ResetDebugSlotRoles();
        Sleep(500);
    }
    if (t.held[kDevKeyEscape] || t.held[kDevKeyLeftCtrl] || t.held[kDevKeyRightCtrl]) {
        gDevToolActive = kDevToolOff;
        DrawTool(t);
        Sleep(150);
        LeaveFromTool();
        return;
    }
    if (t.page == 0)
        RunFlagPage(t);
    else
        RunSavePage(t);
    if (gDevToolActive) DrawTool(t);
}

void ResetDevTool() {
    ReleaseDebugSlotInfo();
    gDevTool = DevToolState{};
}
