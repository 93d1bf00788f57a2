// FFmpeg's calls, reached through a table filled when video or MP3 encoding
// is first needed: its libraries (about a hundred shared objects with their
// own dependencies) are opened then rather than when the game starts.
#pragma once

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libswscale/swscale.h>
}

// Every call the video player and the MP3 encoder make, with the library
// that holds it.
#define MH_FFMPEG_CALLS(X)                    \
    X(avutil, av_log_set_level)               \
    X(avutil, av_frame_alloc)                 \
    X(avutil, av_frame_free)                  \
    X(avutil, av_frame_unref)                 \
    X(avutil, av_frame_get_buffer)            \
    X(avutil, av_frame_make_writable)         \
    X(avutil, av_rescale)                     \
    X(avutil, av_channel_layout_default)      \
    X(avutil, av_channel_layout_copy)         \
    X(avcodec, avcodec_alloc_context3)        \
    X(avcodec, avcodec_free_context)          \
    X(avcodec, avcodec_parameters_to_context) \
    X(avcodec, avcodec_open2)                 \
    X(avcodec, avcodec_send_packet)           \
    X(avcodec, avcodec_receive_frame)         \
    X(avcodec, avcodec_send_frame)            \
    X(avcodec, avcodec_receive_packet)        \
    X(avcodec, avcodec_flush_buffers)         \
    X(avcodec, avcodec_find_encoder)          \
    X(avcodec, av_packet_alloc)               \
    X(avcodec, av_packet_free)                \
    X(avcodec, av_packet_unref)               \
    X(avformat, avformat_open_input)          \
    X(avformat, avformat_find_stream_info)    \
    X(avformat, avformat_close_input)         \
    X(avformat, av_find_best_stream)          \
    X(avformat, av_read_frame)                \
    X(avformat, av_seek_frame)                \
    X(swscale, sws_getCachedContext)          \
    X(swscale, sws_scale)                     \
    X(swscale, sws_freeContext)

struct FfmpegCalls {
#define MH_FFMPEG_FIELD(lib, name) decltype(&::name) name = nullptr;
    MH_FFMPEG_CALLS(MH_FFMPEG_FIELD)
#undef MH_FFMPEG_FIELD
};

// The calls, the libraries opened on the first use (from any thread); null
// when a library or a call is missing.
const FfmpegCalls* Ffmpeg();
// Whether the libraries have been opened (the start leaves them closed).
bool FfmpegLoaded();
