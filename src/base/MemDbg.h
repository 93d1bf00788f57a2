// The debug allocator: guarded blocks, a record of every live block with the
// file and line that made it, peak statistics and a leak report at exit.
#pragma once
#include <functional>
#include <string>

#include "base/Types.h"

void MemDbgInit();
void MemDbgExit();

void* MemAlloc(i32 size, u32 tag, const char* file, int line);
void* MemAllocZero(i32 size, u32 tag, const char* file, int line);
void MemFree(void* p, const char* file, int line);
// 1 sound, -1 null, -2 negative size, -3 partly inside a block, -4 guard
// damaged, -5 inside no live block.
int MemCheck(const void* p, i32 size, const char* file, int line);

#define MH_ALLOC(size) MemAlloc((size), 0, __FILE__, __LINE__)
#define MH_ALLOC_ZERO(size) MemAllocZero((size), 0, __FILE__, __LINE__)
#define MH_FREE(p) MemFree((p), __FILE__, __LINE__)

void MemDbgSetMode(u32 mode);
void MemDbgSetBreakSerial(u32 serial);
void MemDbgSetBreakTag(u32 tag);
// Formats a report and hands it on (shown only in mode bit 0).
void MemDbgMessage(const char* format, ...) __attribute__((format(printf, 1, 2)));

struct MemDbgStats {
    i32 largest = 0;
    i32 peakBytes = 0;
    i32 peakBlocks = 0;
    i32 curBytes = 0;
    i32 curBlocks = 0;
    u32 nextSerial = 0;
};
MemDbgStats MemDbgGetStats();
// Every formatted report also goes to this sink when set (tests read them).
void MemDbgSetSink(std::function<void(const std::string&)> sink);
