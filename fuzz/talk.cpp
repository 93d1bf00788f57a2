// Fuzz target: the story interpreter over an arbitrary talk file in the running
// sample game, a few frames, with the per-frame command cap keeping runs short.
#include "TalkRun.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    RunFuzzTalk(data, size);
    EndFuzzTalk();
    return 0;
}
