// FFmpeg behind the video interface: demuxing, decoding and conversion to 16-bit pixels.
#include "platform/Video.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/FfmpegCalls.h"
#include "platform/HostFs.h"
#include "platform/Win.h"

struct VideoRec {
    const FfmpegCalls* ff = nullptr;
    AVFormatContext* format = nullptr;
    AVCodecContext* codec = nullptr;
    SwsContext* sws = nullptr;
    AVFrame* frame = nullptr;
    AVPacket* packet = nullptr;
    int stream = -1;
    VideoSummary summary;
    u32 current = 1;  // the frame DoFrame decodes next
    u32 decoded = 0;  // frames taken from the decoder so far
    bool haveFrame = false;
    std::vector<u16> pixels;  // the last decoded frame
    VideoPixels layout = VideoPixels::Rgb565;
    bool converted = false;
    u32 startTime = 0;
    bool started = false;
    bool paused = false;
    u32 pausedAt = 0;
    int volume = 32768;
};

namespace {
void Free(VideoRec* v) {
    const FfmpegCalls* ff = v->ff;
    ff->sws_freeContext(v->sws);
    ff->av_frame_free(&v->frame);
    ff->av_packet_free(&v->packet);
    ff->avcodec_free_context(&v->codec);
    ff->avformat_close_input(&v->format);
    delete v;
}

// Takes the next frame from the decoder; false at the end or on an error.
bool DecodeNext(VideoRec* v) {
    const FfmpegCalls* ff = v->ff;
    for (;;) {
        int rc = ff->avcodec_receive_frame(v->codec, v->frame);
        if (rc == 0) {
            ++v->decoded;
            v->haveFrame = true;
            v->converted = false;
            return true;
        }
        if (rc != AVERROR(EAGAIN)) return false;
        rc = ff->av_read_frame(v->format, v->packet);
        if (rc < 0) {
            ff->avcodec_send_packet(v->codec, nullptr);  // drain what the decoder holds
            continue;
        }
        if (v->packet->stream_index == v->stream) ff->avcodec_send_packet(v->codec, v->packet);
        ff->av_packet_unref(v->packet);
    }
}

u32 DueTime(const VideoRec* v, u32 frame) {
    u64 ms = static_cast<u64>(frame - 1) * 1000 * v->summary.rateDen /
             std::max<u32>(v->summary.rateNum, 1);
    return v->startTime + static_cast<u32>(ms);
}
}  // namespace

HVIDEO VideoOpen(const char* winPath, DataError* error) {
    if (!winPath) {
        *error = DataError::Unplaced("", "no file name");
        return nullptr;
    }
    const FfmpegCalls* ff = Ffmpeg();
    if (!ff) {
        *error = DataError::Unplaced(winPath, "cannot be played: no video library");
        return nullptr;
    }
    ff->av_log_set_level(AV_LOG_QUIET);
    auto* v = new VideoRec;
    v->ff = ff;
    std::string host = HostPath(winPath);
    if (ff->avformat_open_input(&v->format, host.c_str(), nullptr, nullptr) < 0 ||
        ff->avformat_find_stream_info(v->format, nullptr) < 0) {
        *error = DataError::Unplaced(winPath, "cannot be opened as a video");
        Free(v);
        return nullptr;
    }
    const AVCodec* dec = nullptr;
    v->stream = ff->av_find_best_stream(v->format, AVMEDIA_TYPE_VIDEO, -1, -1, &dec, 0);
    if (v->stream < 0 || !dec) {
        *error = DataError::Unplaced(winPath, "no video stream");
        Free(v);
        return nullptr;
    }
    AVStream* st = v->format->streams[v->stream];
    v->codec = ff->avcodec_alloc_context3(dec);
    if (!v->codec || ff->avcodec_parameters_to_context(v->codec, st->codecpar) < 0 ||
        ff->avcodec_open2(v->codec, dec, nullptr) < 0 || v->codec->width <= 0 ||
        v->codec->height <= 0 || v->codec->width > 4096 || v->codec->height > 4096) {
        *error = DataError::Unplaced(winPath, "the video cannot be decoded");
        Free(v);
        return nullptr;
    }
    v->frame = ff->av_frame_alloc();
    v->packet = ff->av_packet_alloc();
    AVRational rate = st->avg_frame_rate.num > 0 ? st->avg_frame_rate : st->r_frame_rate;
    if (rate.num <= 0 || rate.den <= 0) rate = {15, 1};
    v->summary.width = static_cast<u32>(v->codec->width);
    v->summary.height = static_cast<u32>(v->codec->height);
    v->summary.rateNum = static_cast<u32>(rate.num);
    v->summary.rateDen = static_cast<u32>(rate.den);
    i64 frames = st->nb_frames;
    if (frames <= 0 && v->format->duration > 0)
        frames = ff->av_rescale(v->format->duration, rate.num,
                                static_cast<i64>(rate.den) * AV_TIME_BASE);
    v->summary.frames = static_cast<u32>(std::max<i64>(frames, 0));
    v->pixels.assign(static_cast<size_t>(v->summary.width) * v->summary.height, 0);
    return v;
}

void VideoClose(HVIDEO v) {
    if (v) Free(v);
}

VideoSummary VideoGetSummary(HVIDEO v) {
    return v ? v->summary : VideoSummary{};
}
u32 VideoFrameCount(HVIDEO v) {
    return v ? v->summary.frames : 0;
}
u32 VideoCurrentFrame(HVIDEO v) {
    return v ? v->current : 0;
}

bool VideoDoFrame(HVIDEO v) {
    if (!v) return false;
    if (!v->started) {
        v->started = true;
        v->startTime = timeGetTime();
    }
    // Frames before the current one (after a seek) are decoded and dropped.
    while (v->decoded < v->current) {
        if (!DecodeNext(v)) return false;
    }
    return v->haveFrame;
}

static void Convert(VideoRec* v, VideoPixels layout) {
    if (v->converted && v->layout == layout) return;
    const FfmpegCalls* ff = v->ff;
    AVPixelFormat dst = layout == VideoPixels::Rgb565 ? AV_PIX_FMT_RGB565LE : AV_PIX_FMT_RGB555LE;
    v->sws = ff->sws_getCachedContext(v->sws, v->frame->width, v->frame->height,
                                      static_cast<AVPixelFormat>(v->frame->format), v->frame->width,
                                      v->frame->height, dst, SWS_POINT, nullptr, nullptr, nullptr);
    if (!v->sws || v->frame->width != static_cast<int>(v->summary.width) ||
        v->frame->height != static_cast<int>(v->summary.height))
        return;
    uint8_t* planes[4] = {reinterpret_cast<uint8_t*>(v->pixels.data()), nullptr, nullptr, nullptr};
    int strides[4] = {static_cast<int>(v->summary.width * 2), 0, 0, 0};
    ff->sws_scale(v->sws, v->frame->data, v->frame->linesize, 0, v->frame->height, planes, strides);
    v->converted = true;
    v->layout = layout;
}

void VideoCopyToBuffer(HVIDEO v, void* dest, u32 pitch, u32 height, u32 x, u32 y,
                       VideoPixels pixels) {
    if (!v || !dest || !v->haveFrame) return;
    Convert(v, pixels);
    if (!v->converted || y >= height || x * 2 >= pitch) return;
    u32 rows = std::min(v->summary.height, height - y);
    u32 cols = std::min(v->summary.width, (pitch - x * 2) / 2);
    u8* base = static_cast<u8*>(dest);
    for (u32 r = 0; r < rows; ++r)
        std::memcpy(base + static_cast<size_t>(y + r) * pitch + x * 2,
                    v->pixels.data() + static_cast<size_t>(r) * v->summary.width, cols * 2);
}

void VideoNextFrame(HVIDEO v) {
    if (v) ++v->current;
}

bool VideoWait(HVIDEO v) {
    if (!v || !v->started) return false;
    if (v->paused) return true;
    return static_cast<i32>(timeGetTime() - DueTime(v, v->current)) < 0;
}

void VideoGoto(HVIDEO v, u32 frame) {
    if (!v) return;
    frame = std::max<u32>(frame, 1);
    if (frame <= v->decoded) {
        const FfmpegCalls* ff = v->ff;
        // Back to the start and forward again: exact for every codec.
        ff->av_seek_frame(v->format, v->stream, 0, AVSEEK_FLAG_BACKWARD);
        ff->avcodec_flush_buffers(v->codec);
        v->decoded = 0;
        v->haveFrame = false;
    }
    v->current = frame;
    if (v->started) v->startTime = timeGetTime() - (DueTime(v, frame) - v->startTime);
}

void VideoPause(HVIDEO v, bool on) {
    if (!v || v->paused == on) return;
    v->paused = on;
    if (on)
        v->pausedAt = timeGetTime();
    else
        v->startTime += timeGetTime() - v->pausedAt;
}

void VideoSetVolume(HVIDEO v, int volume) {
    if (v) v->volume = std::clamp(volume, 0, 32768);
}
int VideoVolume(HVIDEO v) {
    return v ? v->volume : 0;
}
