// Debug allocator: 64-byte guard zones of 0xCE around each block, records in 64
// buckets chosen by address bits 8-13, recycled through a free list.
#include "engine/MemDbg.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/Fault.h"
#include "platform/TextCodec.h"
#include "platform/Win.h"

namespace {

constexpr int kGuard = 64;
constexpr u8 kGuardByte = 0xCE;
constexpr int kBuckets = 64;

struct MemBlockRecord {
    u8* raw = nullptr;
    char* file = nullptr;
    u32 line = 0;
    i32 size = 0;
    u32 serial = 0;
    u32 tag = 0;
    MemBlockRecord* next = nullptr;
};

struct MemDbgState {
    int reportFd = -1;
    u32 breakSerial = 0;
    u32 breakTag = 0;
    u32 mode = 0;
    i32 largest = 0;
    i32 peakBytes = 0;
    i32 peakBlocks = 0;
    i32 curBytes = 0;
    i32 curBlocks = 0;
    u32 nextSerial = 0;
    u32 counters[kBuckets] = {};
    MemBlockRecord buckets[kBuckets];
    MemBlockRecord* freeList = nullptr;
};

MemDbgState gMemDbg;
std::function<void(const std::string&)> gSink;

int BucketOf(const u8* raw) {
    return static_cast<int>((reinterpret_cast<uintptr_t>(raw) >> 8) & 63);
}

// Breakpoints stop in the debugger on Windows; here there is nothing to stop.
void DebugStop() {}

void ReleaseRecord(MemBlockRecord* r) {
    std::free(r->raw);
    std::free(r->file);
    *r = MemBlockRecord{};
    r->next = gMemDbg.freeList;
    gMemDbg.freeList = r;
}

void Report() {
    auto& s = gMemDbg;
    for (int b = 0; b < kBuckets; ++b) {
        MemBlockRecord* r = s.buckets[b].next;
        s.buckets[b].next = nullptr;
        while (r) {
            MemBlockRecord* next = r->next;
            MemDbgMessage("Leak::%s(%d)(~%d) ,size==%d\n", r->file ? r->file : "", r->line,
                          r->serial, r->size);
            s.curBytes -= r->size;
            s.curBlocks -= 1;
            ReleaseRecord(r);
            r = next;
        }
    }
    std::memset(s.counters, 0, sizeof(s.counters));
    while (s.freeList) {
        MemBlockRecord* next = s.freeList->next;
        delete s.freeList;
        s.freeList = next;
    }
    MemDbgMessage(B5("\n記憶體狀態統計::最大總配置量 %dKB\n                單一最大配置量 %dKB\n"
                     "                最多存在配置數 %d\n\n"),
                  s.peakBytes / 1024, s.largest / 1024, s.peakBlocks);
}

void ResetState() {
    auto& s = gMemDbg;
    s.reportFd = -1;
    s.breakSerial = s.breakTag = s.mode = 0;
    s.largest = s.peakBytes = s.peakBlocks = s.curBytes = s.curBlocks = 0;
    s.nextSerial = 0;
    std::memset(s.counters, 0, sizeof(s.counters));
    for (auto& b : s.buckets) b = MemBlockRecord{};
    s.freeList = nullptr;
}

void Close() {
    Report();
    if (gMemDbg.reportFd >= 0) ::close(gMemDbg.reportFd);
    ResetState();
}

void Open() {
    Close();
    gMemDbg.nextSerial = 1;
    gMemDbg.reportFd = ::open("_memDbg.txt", O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    MemDbgSetMode(2);
    MemDbgMessage("\n%s\n\n", std::string(80, '#').c_str());
}

// Appends the 64 bytes of a guard as four indented lines of sixteen.
std::string DumpGuard(const u8* g) {
    std::string out;
    char hex[8];
    for (int line = 0; line < 4; ++line) {
        out += "    ";
        for (int i = 0; i < 16; ++i) {
            std::snprintf(hex, sizeof(hex), "%02x", g[line * 16 + i]);
            out += hex;
            if (i % 4 == 3 && i != 15) out += "  ";
        }
        out += "\n";
    }
    out += "\n";
    return out;
}

bool GuardWhole(const u8* g) {
    for (int i = 0; i < kGuard; ++i)
        if (g[i] != kGuardByte) return false;
    return true;
}

void CheckGuard(const MemBlockRecord* r, const char* file, int line) {
    const u8* front = r->raw;
    const u8* back = r->raw + kGuard + r->size;
    const char* where = nullptr;
    const u8* bad = nullptr;
    if (!GuardWhole(front)) {
        where = B5("Check::資料寫入不合法位置(前端)\n");
        bad = front;
    } else if (!GuardWhole(back)) {
        where = B5("Check::資料寫入不合法位置(後端)\n");
        bad = back;
    }
    if (!bad) return;
    MemDbgMessage(B5("%s    配置%s(%d)(~%d) size==%d\n    釋放%s(%d)\n%s"), where,
                  r->file ? r->file : "", r->line, r->serial, r->size, file ? file : "", line,
                  DumpGuard(bad).c_str());
}

MemBlockRecord* TakeRecord() {
    auto& s = gMemDbg;
    if (!s.freeList) s.freeList = new MemBlockRecord{};
    MemBlockRecord* r = s.freeList;
    s.freeList = r->next;
    r->next = nullptr;
    return r;
}

}  // namespace

void MemDbgSetMode(u32 mode) {
    gMemDbg.mode = (mode & 1) | (mode & 2);
}
void MemDbgSetBreakSerial(u32 serial) {
    gMemDbg.breakSerial = serial;
}
void MemDbgSetBreakTag(u32 tag) {
    gMemDbg.breakTag = tag;
}
void MemDbgSetSink(std::function<void(const std::string&)> sink) {
    gSink = std::move(sink);
}

MemDbgStats MemDbgGetStats() {
    auto& s = gMemDbg;
    return MemDbgStats{s.largest, s.peakBytes, s.peakBlocks, s.curBytes, s.curBlocks, s.nextSerial};
}

void MemDbgMessage(const char* format, ...) {
    char text[1024];
    va_list ap;
    va_start(ap, format);
    std::vsnprintf(text, sizeof(text), format, ap);
    va_end(ap);
    if (gSink) gSink(text);
    if (gMemDbg.mode & 1) {
        ReportFault({"memory error"}, "%s", text);
        DebugStop();
    }
}

void MemDbgInit() {
    Open();
    MemDbgSetMode(2);
    gMemDbg.breakSerial = 0;
    gMemDbg.breakTag = 0;
}

void MemDbgExit() {
    Close();
}

void* MemAlloc(i32 size, u32 tag, const char* file, int line) {
    auto& s = gMemDbg;
    if (size < 1) {
        MemDbgMessage(B5("AllocFail::配置大小<=0 ,%s(%d) ,size==%d\n\n"), file ? file : "", line,
                      size);
        // A negative size would put the back guard in front of the block.
        if (size < 0) return nullptr;
    }
    if (s.nextSerial == 0) s.nextSerial = 1;  // used before MemDbgInit
    if (s.breakSerial == s.nextSerial) DebugStop();
    if (s.breakTag != 0 && s.breakTag == tag) DebugStop();
    u8* raw = static_cast<u8*>(std::malloc(static_cast<size_t>(size) + 2 * kGuard));
    if (!raw) {
        MemDbgMessage("AllocFail::%s(%d) ,size==%d\n\n", file ? file : "", line, size);
        return nullptr;
    }
    MemBlockRecord* r = TakeRecord();
    r->raw = raw;
    r->size = size;
    s.curBytes += size;
    s.curBlocks += 1;
    if (size > s.largest) s.largest = size;
    if (s.curBytes > s.peakBytes) s.peakBytes = s.curBytes;
    if (s.curBlocks > s.peakBlocks) s.peakBlocks = s.curBlocks;
    std::memset(raw, kGuardByte, kGuard);
    std::memset(raw + kGuard + size, kGuardByte, kGuard);
    r->file = file ? strdup(file) : nullptr;
    r->line = static_cast<u32>(line);
    r->tag = tag;
    r->serial = s.nextSerial++;
    int b = BucketOf(raw);
    r->next = s.buckets[b].next;
    s.buckets[b].next = r;
    s.counters[b]++;
    return raw + kGuard;
}

void* MemAllocZero(i32 size, u32 tag, const char* file, int line) {
    void* p = MemAlloc(size, tag, file, line);
    if (p && size > 0) std::memset(p, 0, static_cast<size_t>(size));
    return p;
}

void MemFree(void* p, const char* file, int line) {
    if (!p) return;
    auto& s = gMemDbg;
    u8* raw = static_cast<u8*>(p) - kGuard;
    MemBlockRecord* prev = &s.buckets[BucketOf(raw)];
    MemBlockRecord* r = prev->next;
    while (r && r->raw != raw) {
        prev = r;
        r = r->next;
    }
    if (!r) {
        MemDbgMessage(B5("FreeFail::%s(%d) ,沒有這筆資料\n"), file ? file : "", line);
        return;
    }
    if (r->serial == s.breakSerial) DebugStop();
    prev->next = r->next;
    s.curBytes -= r->size;
    s.curBlocks -= 1;
    CheckGuard(r, file, line);
    ReleaseRecord(r);
}

int MemCheck(const void* p, i32 size, const char* file, int line) {
    if (!p) return -1;
    if (size < 0) return -2;
    const u8* start = static_cast<const u8*>(p);
    const u8* end = start + size;
    for (int b = 0; b < kBuckets; ++b) {
        for (MemBlockRecord* r = gMemDbg.buckets[b].next; r; r = r->next) {
            const u8* userStart = r->raw + kGuard;
            const u8* userEnd = userStart + r->size;
            int inside =
                (start >= userStart && start < userEnd) + (end >= userStart && end <= userEnd);
            if (inside == 0) continue;
            if (inside == 1) {
                MemDbgMessage(B5("Check at::%s(%d) ,0x%p ,size==%d ,記憶體區塊超出安全範圍\n\n"),
                              file ? file : "", line, p, size);
                return -3;
            }
            if (!GuardWhole(r->raw) || !GuardWhole(userEnd)) {
                MemDbgMessage(B5("Check at::%s(%d) ,0x%p allocated at %s(%d) ,size==%d "
                                 ",記憶體保護區資料錯誤\n"),
                              file ? file : "", line, p, r->file ? r->file : "", r->line, size);
                return -4;
            }
            return 1;
        }
    }
    MemDbgMessage(B5("Check at::%s(%d) ,0x%p ,size==%d ,不存在的記憶體\n\n"), file ? file : "",
                  line, p, size);
    return -5;
}
