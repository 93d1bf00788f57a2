// The game's allocator as the platform services call it (the audio library's
// locked memory): the engine, above, defines these (engine/MemDbg.cpp), and
// engine/MemDbg.h, the allocator's whole interface, includes this one.
#pragma once
#include "base/Types.h"

void* MemAlloc(i32 size, u32 tag, const char* file, int line);
void* MemAllocZero(i32 size, u32 tag, const char* file, int line);
void MemFree(void* p, const char* file, int line);

#define MH_ALLOC(size) MemAlloc((size), 0, __FILE__, __LINE__)
#define MH_ALLOC_ZERO(size) MemAllocZero((size), 0, __FILE__, __LINE__)
#define MH_FREE(p) MemFree((p), __FILE__, __LINE__)
