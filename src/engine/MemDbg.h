// The debug allocator: guarded blocks, a record of every live block with the
// file and line that made it, peak statistics and a leak report at exit. The
// allocation calls themselves, MH_ALLOC and MH_FREE, are in platform/AllocatorLink.h.
#pragma once
#include <functional>
#include <string>

#include "base/Types.h"
#include "platform/AllocatorLink.h"

void MemDbgInit();
void MemDbgExit();

// 1 sound, -1 null, -2 negative size, -3 partly inside a block, -4 guard
// damaged, -5 inside no live block.
int MemCheck(const void* p, i32 size, const char* file, int line);

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
