// Act archives, the act cache, the directory-entry cache and TakeActData.
#include "engine/MyAct.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>

#include "base/ByteIo.h"
#include "base/DataError.h"
#include "engine/BucketCache.h"
#include "engine/DataErrors.h"
#include "engine/File.h"
#include "engine/MemDbg.h"
#include "engine/Tsw.h"
#include "engine/ZoomBlit.h"

i32 gActCacheMode = 1;
i32 gActZoomAll = 0;
i32 gActLastScale = 0, gActLastX = 0, gActLastY = 0;

namespace {

constexpr u32 kMaxActBytes = 1u << 20;  // far above any act program

struct ActNode {
    ActNode* next;
    i32 act;
    u32 size;
    u8* data;
};

struct EntryNode {
    EntryNode* next;
    i32 archive;
    u32 entry;
    u32 offset;
    u32 size;
};

static_assert(kPicArchiveCount == 6, "one directory length per archive below");

struct ActState {
    cFile files[kPicArchiveCount];
    bool opened = false;
    i32 dirLength[kPicArchiveCount] = {-1, -1, -1, -1, -1, -1};  // -1 = not walked yet
    ActNode* buckets[16] = {};
    u16 counts[16] = {};
    u32 total = 0;
    u32 budget = 512u << 10;
    EntryNode* entries[16] = {};
    u8* direct = nullptr;  // the last direct read
    u32 reads = 0, entryReads = 0;
    std::string lastError;
    std::set<i32> reported;
};

ActState& A() {
    // Never destroyed: a release at exit (or from a static destructor) must not
    // find the archives already torn down.
    static ActState* s = new ActState;
    return *s;
}

// Keeps the reason and reports each act's first failure once. The text is
// about act number act; file and offset, where known, say where in the archives.
void Refuse(i32 act, DataError e) {
    ActState& s = A();
    e.text = "act " + std::to_string(act) + ": " + e.text;
    s.lastError = e.Message();
    if (s.reported.size() < 4096 && s.reported.insert(act).second) ReportDataError(e);
}

std::string ActFileName(int archive) {
    return std::string(kPicArchiveNames[archive]) + ".act";
}

void OpenActArchives() {
    ActState& s = A();
    if (s.opened) return;
    for (int a = 0; a < kPicArchiveCount; ++a) {
        std::string path = std::string(GetPicLibBase()) + ActFileName(a);
        s.files[a].Open(path.c_str(), OPEN_EXISTING, GENERIC_READ);
    }
    s.opened = true;
}

bool ReadAt(cFile& f, u32 offset, void* dst, u32 count) {
    if (!f.IsOpen() || offset > 0x7FFFFFFFu || f.SeekSet(static_cast<i32>(offset)) == 0)
        return false;
    u32 n = count;
    return count == 0 || (f.Read(dst, &n) && n == count);
}

// Entries of the archive's directory. The directory ends where the first
// act's data begins: at the smallest data offset of its live entries (or at
// the file's end, when that comes first); a slot that reaches past that point
// lies inside some act's data and is no entry. Walked once per opening.
u32 DirectoryLength(int archive) {
    ActState& s = A();
    if (s.dirLength[archive] >= 0) return static_cast<u32>(s.dirLength[archive]);
    cFile& f = s.files[archive];
    u32 size = f.GetSize();
    u32 end = size == 0xFFFFFFFFu ? 0 : std::min(size, kTswDirectoryEnd);
    u8 chunk[kTswEntrySize * 64];
    for (u32 at = kTswHeaderSize; at + kTswEntrySize <= end;) {
        u32 n = std::min<u32>(sizeof(chunk), (end - at) / kTswEntrySize * kTswEntrySize);
        if (!ReadAt(f, at, chunk, n)) {
            end = at;  // what cannot be read is no directory
            break;
        }
        ByteReader r(chunk, n);
        for (u32 k = 0; k < n / kTswEntrySize && at + kTswEntrySize <= end; ++k) {
            TswEntry e;
            TswEntryFields(r, e);
            if (e.offset != 0 && e.size != 0) end = std::min(end, e.offset);
            at += kTswEntrySize;
        }
    }
    u32 length = end < kTswHeaderSize ? 0 : (end - kTswHeaderSize) / kTswEntrySize;
    s.dirLength[archive] = static_cast<i32>(length);
    return length;
}

u32 EntryOffset(u32 entry) {
    return kTswHeaderSize + kTswEntrySize * (entry - 1);
}

void RefuseMissing(i32 act, int archive, u32 entry, const std::string& why) {
    Refuse(act, {ActFileName(archive), EntryOffset(entry),
                 "missing, entry " + std::to_string(entry) + " " + why});
}

// The directory entry of (archive, entry), from the entry cache or the file. An
// empty entry is kept in the cache too, so a missing act is read once.
bool FindEntry(i32 act, int archive, u32 entry, u32* offset, u32* size) {
    ActState& s = A();
    for (EntryNode* n = s.entries[entry & 15]; n; n = n->next) {
        if (n->archive != archive || n->entry != entry) continue;
        *offset = n->offset;
        *size = n->size;
        if (n->offset == 0) RefuseMissing(act, archive, entry, "is empty");
        return n->offset != 0;
    }
    u32 length = DirectoryLength(archive);
    if (entry > length) {
        RefuseMissing(act, archive, entry,
                      "lies past its directory of " + std::to_string(length) + " entries");
        return false;
    }
    u32 at = EntryOffset(entry);
    u8 raw[kTswEntrySize];
    if (!ReadAt(s.files[archive], at, raw, kTswEntrySize)) {
        Refuse(act, {ActFileName(archive), at, "cannot read the directory entry"});
        return false;
    }
    ++s.entryReads;
    ByteReader r(raw, sizeof(raw));
    TswEntry e;
    TswEntryFields(r, e);
    bool empty = e.offset == 0 || e.size == 0;
    u64 end = static_cast<u64>(e.offset) + e.size;
    if (!empty && (e.size < 2 || e.size > kMaxActBytes || end > s.files[archive].GetSize())) {
        Refuse(act, {ActFileName(archive), at, "the directory entry points outside the file"});
        return false;
    }
    auto* n = static_cast<EntryNode*>(MH_ALLOC(sizeof(EntryNode)));
    *n = EntryNode{s.entries[entry & 15], archive, entry, empty ? 0 : e.offset, empty ? 0 : e.size};
    s.entries[entry & 15] = n;
    *offset = n->offset;
    *size = n->size;
    if (empty) RefuseMissing(act, archive, entry, "is empty");
    return !empty;
}

// A fresh copy of the act's data, or null.
u8* ReadActData(i32 act, u32* size) {
    ActState& s = A();
    int archive = act / kPicsPerArchive;
    u32 entry = static_cast<u32>(act % kPicsPerArchive);
    if (act <= 0 || archive >= kPicArchiveCount || entry == 0) {
        Refuse(act, DataError::Unplaced("", "missing, no archive entry has this number"));
        return nullptr;
    }
    OpenActArchives();
    if (!s.files[archive].IsOpen()) {
        Refuse(act, DataError::Unplaced(ActFileName(archive), "the archive is not open"));
        return nullptr;
    }
    u32 offset = 0;
    if (!FindEntry(act, archive, entry, &offset, size)) return nullptr;
    u8* data = static_cast<u8*>(MH_ALLOC(static_cast<i32>(*size)));
    if (!ReadAt(s.files[archive], offset, data, *size)) {
        MH_FREE(data);
        Refuse(act, {ActFileName(archive), offset, "cannot read the act"});
        return nullptr;
    }
    ++s.reads;
    return data;
}

int ActBucket(i32 act, i32 key) {
    return (act == 0xFFFF ? key : act) & 15;
}

void FreeActNode(ActNode* n) {
    MH_FREE(n->data);
    MH_FREE(n);
}

void TrimActCache() {
    ActState& s = A();
    TrimFullestBucket(
        s.buckets, s.counts, &s.total, s.budget, [](ActNode* n) { return n->size; }, FreeActNode,
        [](ActNode*) { return false; });
}

const u8* PartOf(i32 act, const u8* data, u32 size, i32 key, u32* partBytes) {
    u32 off = 0, bytes = 0;
    // The command index is 16 bits wide: longer parts cannot be played.
    if (!FindActPart(data, size, key, &off, &bytes) || bytes / 2 > 0xFFFF) {
        Refuse(act, DataError::Unplaced("", "the act has no part " + std::to_string(key)));
        return nullptr;
    }
    if (partBytes) *partBytes = bytes;
    return data + off;
}

// Reads n operand words at index; false (and nothing read) past the part's end.
bool Operands(const ActPlayer* p, u32 words, u16 at, int n, u16* out) {
    if (static_cast<u32>(at) + n > words) return false;
    for (int i = 0; i < n; ++i) out[i] = LoadU16(p->actData + 2 * (at + i));
    return true;
}

void ClearForRestart(ActPlayer* p, u32 keepMode) {
    p->drawMode &= keepMode;
    p->delayCount = p->delay = p->cmdIndex = 0;
    p->layerAct = p->layerAction = 0;
    p->xOff = p->yOff = 0;
    p->cellW = p->cellH = 0;
    p->sound = p->event = 0;
    p->hitX = p->hitY = 0;
    p->blend = p->wave = p->wavePhase = 0;
    p->ldValue = p->colR = p->colG = p->colB = 0;
    std::memset(p->fl, 0, sizeof(p->fl));
    p->loopCount = 0;
    p->loopStart = p->loopEnd = 0;
    p->ended = p->hold = p->smFlag = 0;
}

void Restart(ActPlayer* p) {
    if (p->dir != p->lastDir) {
        p->lastDir = p->dir;
        ClearForRestart(p, kActModeKeep);
    }
    if (p->action != p->lastAction || p->act != p->lastAct) {
        p->lastAction = p->action;
        p->lastAct = p->act;
        ClearForRestart(p, kActModeKeep | 3);
    }
}

// The end of one loop pass; true when the index went back to the start.
bool EndOfPass(ActPlayer* p) {
    if (p->loopCount & kLoopEndless) {
        p->cmdIndex = 0;
        return true;
    }
    --p->loopCount;
    if (p->loopCount & 0x7FFF) {
        p->cmdIndex = 0;
        return true;
    }
    p->loopCount = 0;
    return false;
}

enum class EndKind { ED, OV, O2 };

// An end command at index at (the index already past it). 1 = return 1, 0 = go on.
int EndCommand(ActPlayer* p, EndKind kind, u16 at) {
    if (!(p->loopCount & kLoopSet)) {
        if (kind == EndKind::ED) {
            if (p->hold == 1) p->cmdIndex = at;
        } else if (kind == EndKind::OV) {
            p->cmdIndex = p->hold == 1 ? at : 0;
        } else {
            p->cmdIndex = at;
            if (p->delayCount == 0) p->ended = 1;
        }
        return 1;
    }
    if (p->frameCounter == p->loopStart) return 1;
    if (p->frameCounter == p->loopEnd) {
        bool again = EndOfPass(p);
        if (!again && kind == EndKind::OV) p->cmdIndex = 0;
        if (!again && kind == EndKind::O2) p->cmdIndex = at;
        return 1;
    }
    if (p->frameCounter > p->loopStart) return 1;
    p->sound = 0;
    p->event = 0;
    return 0;
}

void ApplyScale(ActPlayer* p, u16 v) {
    p->scaleX = p->scaleY = static_cast<i16>(v);
    if (p->zoomAlways != 1 && gActZoomAll != 1) return;
    p->drawMode |= 0x80;
    SetZoom(p->xOff, p->yOff, p->scaleX, p->scaleY);
    gActLastScale = p->scaleX;
    gActLastX = p->xOff;
    gActLastY = p->yOff;
}

// Picture, frame, timing, position and loop tags. False for any other tag.
bool ApplyFrameTag(ActPlayer* p, u16 tag, const u16* op) {
    switch (tag) {
        case kActRF:
            p->pic = op[0];
            return true;
        case kActPA:
            p->frame = op[0];
            ++p->frameCounter;
            return true;
        case kActSD:
            p->delay = op[0];
            p->delayCount =
                (p->delayOverride & kDelayOverrideOn) ? (p->delayOverride & 0x7FFF) : p->delay;
            return true;
        case kActXY:
            p->xOff = static_cast<i16>(op[0]);
            p->yOff = static_cast<i16>(op[1]);
            return true;
        case kActLP:
            p->loopStart = static_cast<u8>(op[0]);
            p->loopEnd = static_cast<u8>(op[1]);
            if (!(p->loopCount & kLoopSet)) p->loopCount = op[2] | kLoopSet;
            return true;
        case kActTN:
            p->tnValue = static_cast<u8>(op[0]);
            p->frameCounter = static_cast<u8>(op[0] >> 8);
            return true;
        default:
            return false;
    }
}

// Drawing-mode, scale, wave, cell and colour tags. False for any other tag.
bool ApplyDrawTag(ActPlayer* p, u16 tag, const u16* op) {
    switch (tag) {
        case kActVI:
            p->drawMode |= 1;
            return true;
        case kActNO:
            p->drawMode &= ~1u;
            return true;
        case kActAM:
            p->drawMode |= 4;
            return true;
        case kActAH:
            p->drawMode |= 8;
            return true;
        case kActAN:
            p->drawMode |= 0x2C;
            return true;
        case kActGS:
            p->drawMode |= 0x14;
            p->blend = static_cast<u8>(op[0]);
            return true;
        case kActLD:
            p->drawMode |= 0x10;
            p->ldValue = static_cast<u8>(op[0]);
            return true;
        case kActSC:
            ApplyScale(p, op[0]);
            return true;
        case kActTW:
            p->wave = static_cast<u8>(op[0]);
            return true;
        case kActWH:
            p->cellW = op[0];
            p->cellH = op[1];
            return true;
        case kActCR:
            p->colR = op[0];
            p->colR2 = op[1];
            return true;
        case kActCG:
            p->colG = op[0];
            p->colG2 = op[1];
            return true;
        case kActCB:
            p->colB = op[0];
            p->colB2 = op[1];
            return true;
        case kActCL:
            p->colR2 = p->colG2 = p->colB2 = 0;
            return true;
        case kActFL:
            std::memcpy(p->fl, op, sizeof(p->fl));
            return true;
        case kActSM:
            p->smFlag = 1;
            return true;
        default:
            return false;
    }
}

// Sound, event, hit-point, overlay and layer tags. False for any other tag.
bool ApplyCueTag(ActPlayer* p, u16 tag, const u16* op) {
    switch (tag) {
        case kActWV:
            p->sound = op[0];
            return true;
        case kActAT:
            p->event = op[0];
            return true;
        case kActAX:
            p->hitX = static_cast<i16>(op[0]);
            return true;
        case kActAY:
            p->hitY = static_cast<i16>(op[0]);
            return true;
        case kActOX:
            p->overlayX = static_cast<i16>(op[0]);
            return true;
        case kActOY:
            p->overlayY = static_cast<i16>(op[0]);
            return true;
        case kActRO:
            p->overlayPic = op[0];
            return true;
        case kActOA:
            p->overlayFrame = op[0];
            return true;
        case kActAE:
            p->layerAct = op[0];
            return true;
        case kActQE:
            p->layerAction = op[0];
            return true;
        default:
            return false;
    }
}

// Applies a tag whose operands are op[]. Unknown words do nothing.
void ApplyTag(ActPlayer* p, u16 tag, const u16* op) {
    if (ApplyFrameTag(p, tag, op)) return;
    if (ApplyDrawTag(p, tag, op)) return;
    ApplyCueTag(p, tag, op);
}

// Runs commands from the command index until a frame ends or the part does.
void RunCommands(ActPlayer* p) {
    const u32 words = p->actBytes / 2;
    p->overlayFrame = 0;
    while (p->cmdIndex < words) {
        u16 at = p->cmdIndex;
        u16 tag = LoadU16(p->actData + 2 * at);
        p->cmdIndex = static_cast<u16>(at + 1);
        if (tag == kActED || tag == kActOV || tag == kActO2) {
            EndKind kind = tag == kActED ? EndKind::ED : tag == kActOV ? EndKind::OV : EndKind::O2;
            if (EndCommand(p, kind, at)) return;
            continue;
        }
        p->delayCount =
            (p->delayOverride & kDelayOverrideOn) ? (p->delayOverride & 0x7FFF) : p->delay;
        int n = ActOperandCount(tag);
        u16 op[7] = {};
        if (!Operands(p, words, p->cmdIndex, n, op)) {
            // Operands cut off by the end of the part: the part ends here.
            p->cmdIndex = static_cast<u16>(words);
            return;
        }
        p->cmdIndex = static_cast<u16>(p->cmdIndex + n);
        ApplyTag(p, tag, op);
    }
    // A part without an end command stops at its end.
    p->cmdIndex = static_cast<u16>(words);
}

}  // namespace

int ActOperandCount(u16 tag) {
    switch (tag) {
        case kActVI:
        case kActNO:
        case kActAM:
        case kActAH:
        case kActAN:
        case kActCL:
        case kActSM:
            return 0;
        // Both operands are stepped past, as every other command's are. Were
        // only the first, the second would be read again as a command word: an
        // offset, a size or a colour that happens to equal a tag (an "XY" y of
        // 0x5649 is "VI") would run as that command.
        case kActXY:
        case kActWH:
        case kActCR:
        case kActCG:
        case kActCB:
            return 2;
        case kActLP:
            return 3;
        case kActFL:
            return 7;
        case kActRF:
        case kActPA:
        case kActSD:
        case kActGS:
        case kActLD:
        case kActSC:
        case kActTN:
        case kActWV:
        case kActAT:
        case kActAX:
        case kActAY:
        case kActOX:
        case kActOY:
        case kActRO:
        case kActOA:
        case kActAE:
        case kActQE:
        case kActTW:
            return 1;
        default:
            return 0;
    }
}

bool FindActPart(const u8* data, u32 size, i32 key, u32* partOffset, u32* partBytes) {
    if (!data || size < 2 || key < 0) return false;
    u32 count = LoadU16(data);
    u32 tableEnd = 2 + 4 * count;
    if (static_cast<u32>(key) >= count || tableEnd > size) return false;
    u32 start = LoadU32(data + 2 + 4 * key);
    if (start == 0 || start < tableEnd || start > size) return false;
    u32 end = size;
    for (u32 k = static_cast<u32>(key) + 1; k < count; ++k) {
        u32 next = LoadU32(data + 2 + 4 * k);
        if (next == 0) continue;
        end = next;
        break;
    }
    if (end < start || end > size) return false;
    *partOffset = start;
    *partBytes = end - start;
    return true;
}

const u8* LoadAct(i32 act, i32 key, u32* partBytes) {
    ActState& s = A();
    int b = ActBucket(act, key);
    ActNode* prev = nullptr;
    for (ActNode* n = s.buckets[b]; n; prev = n, n = n->next) {
        if (n->act != act) continue;
        MoveToFront(&s.buckets[b], prev, n);
        return PartOf(act, n->data, n->size, key, partBytes);
    }
    if (s.total >= s.budget) TrimActCache();
    u32 size = 0;
    u8* data = ReadActData(act, &size);
    if (!data) return nullptr;
    auto* n = static_cast<ActNode*>(MH_ALLOC(sizeof(ActNode)));
    *n = ActNode{s.buckets[b], act, size, data};
    s.buckets[b] = n;
    ++s.counts[b];
    s.total += size;
    return PartOf(act, data, size, key, partBytes);
}

const u8* ReadActDirect(i32 act, i32 key, u32* partBytes) {
    ActState& s = A();
    if (s.direct) MH_FREE(s.direct);
    s.direct = nullptr;
    u32 size = 0;
    s.direct = ReadActData(act, &size);
    return s.direct ? PartOf(act, s.direct, size, key, partBytes) : nullptr;
}

void ReportActFault(i32 act, const char* caption, const char* format, ...) {
    char text[1024];
    va_list ap;
    va_start(ap, format);
    std::vsnprintf(text, sizeof(text), format, ap);
    va_end(ap);
    std::string said = text;
    std::replace(said.begin(), said.end(), '\n', ' ');
    said = "act " + std::to_string(act) + " cannot be played: " + said;
    int archive = act / kPicsPerArchive;
    u32 entry = static_cast<u32>(act % kPicsPerArchive);
    DataError at = act > 0 && archive < kPicArchiveCount && entry != 0
                       ? DataError(ActFileName(archive), EntryOffset(entry), said)
                       : DataError::Unplaced("", said);
    at.boxText = text;
    ReportDataError(at, caption);
}

int TakeActData(ActPlayer* p) {
    if (!p) return 0;
    if (p->hold == 1 && p->pic != 0) return 1;
    if (p->act == 0) return 1;
    Restart(p);
    i32 key = p->dir + p->action;
    u32 bytes = 0;
    p->actData =
        gActCacheMode == 1 ? LoadAct(p->act, key, &bytes) : ReadActDirect(p->act, key, &bytes);
    p->actBytes = p->actData ? bytes : 0;
    if (!p->actData) return 0;
    if (p->delayCount != 0) {
        --p->delayCount;
        return 1;
    }
    RunCommands(p);
    return 1;
}

void FreeActs() {
    ActState& s = A();
    for (cFile& f : s.files) f.Close();
    s.opened = false;
    std::fill(std::begin(s.dirLength), std::end(s.dirLength), -1);
    for (int b = 0; b < 16; ++b) {
        while (ActNode* n = s.buckets[b]) {
            s.buckets[b] = n->next;
            FreeActNode(n);
        }
        s.counts[b] = 0;
        while (EntryNode* e = s.entries[b]) {
            s.entries[b] = e->next;
            MH_FREE(e);
        }
    }
    s.total = 0;
    if (s.direct) MH_FREE(s.direct);
    s.direct = nullptr;
    gActLastScale = gActLastX = gActLastY = 0;
}

void SetActCacheMode(i32 mode) {
    gActCacheMode = mode;
}
void SetActZoomAll(i32 flag) {
    gActZoomAll = flag;
}
void SetActMemory(u32 bytes) {
    A().budget = bytes;
}

ActCacheStats GetActCacheStats() {
    ActState& s = A();
    ActCacheStats st;
    st.total = s.total;
    st.budget = s.budget;
    std::memcpy(st.counts, s.counts, sizeof(st.counts));
    st.reads = s.reads;
    st.entryReads = s.entryReads;
    return st;
}

const char* ActLastError() {
    return A().lastError.c_str();
}

void ResetActs() {
    FreeActs();
    ActState& s = A();
    s.budget = 512u << 10;
    s.reads = s.entryReads = 0;
    s.lastError.clear();
    s.reported.clear();
    gActCacheMode = 1;
    gActZoomAll = 0;
}
