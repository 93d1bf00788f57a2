// FFmpeg opened by name and major version (the ones the game was built
// against), each call looked up once.
#include "platform/FfmpegCalls.h"

#include <dlfcn.h>

#include <atomic>

#include "platform/Fault.h"

namespace {

#define MH_STR2(v) #v
#define MH_STR(v) MH_STR2(v)
constexpr const char* kAvutil = "libavutil.so." MH_STR(LIBAVUTIL_VERSION_MAJOR);
constexpr const char* kAvcodec = "libavcodec.so." MH_STR(LIBAVCODEC_VERSION_MAJOR);
constexpr const char* kAvformat = "libavformat.so." MH_STR(LIBAVFORMAT_VERSION_MAJOR);
constexpr const char* kSwscale = "libswscale.so." MH_STR(LIBSWSCALE_VERSION_MAJOR);

std::atomic<bool> gLoaded{false};

// Fills the table; false when a library or a call cannot be found (the
// libraries opened stay open: a second try would fail the same way).
bool Load(FfmpegCalls* f) {
    void* avutil = dlopen(kAvutil, RTLD_NOW | RTLD_LOCAL);
    void* avcodec = avutil ? dlopen(kAvcodec, RTLD_NOW | RTLD_LOCAL) : nullptr;
    void* avformat = avcodec ? dlopen(kAvformat, RTLD_NOW | RTLD_LOCAL) : nullptr;
    void* swscale = avformat ? dlopen(kSwscale, RTLD_NOW | RTLD_LOCAL) : nullptr;
    if (!swscale) {
        ReportFault(kNoBox, "video: %s", dlerror());
        return false;
    }
    bool ok = true;
#define MH_FFMPEG_LOOKUP(lib, name)                                   \
    f->name = reinterpret_cast<decltype(&::name)>(dlsym(lib, #name)); \
    if (!f->name) {                                                   \
        ReportFault(kNoBox, "video: %s has no %s", #lib, #name);      \
        ok = false;                                                   \
    }
    MH_FFMPEG_CALLS(MH_FFMPEG_LOOKUP)
#undef MH_FFMPEG_LOOKUP
    return ok;
}

}  // namespace

const FfmpegCalls* Ffmpeg() {
    static const FfmpegCalls* calls = [] {
        static FfmpegCalls table;
        bool ok = Load(&table);
        gLoaded = true;
        return ok ? &table : nullptr;
    }();
    return calls;
}

bool FfmpegLoaded() {
    return gLoaded;
}
