// Fuzz target: the story interpreter over an arbitrary talk file, a few frames,
// with the per-frame command cap keeping every run short.
#include "TalkRun.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string& root = FuzzTalkRoot("talk");
    ResetFuzzTalk(root);
    RunFuzzTalk(root, data, size);
    ResetDialogs();
    ResetTalk();
    return 0;
}
