// MP3 encoding through FFmpeg's LAME encoder.
#include "platform/AudioEncode.h"

#include "platform/FfmpegCalls.h"

namespace {
void Drain(const FfmpegCalls* ff, AVCodecContext* c, AVPacket* pkt, std::vector<u8>* out) {
    while (ff->avcodec_receive_packet(c, pkt) == 0) {
        out->insert(out->end(), pkt->data, pkt->data + pkt->size);
        ff->av_packet_unref(pkt);
    }
}
}  // namespace

bool EncodeMp3(const i16* samples, size_t frames, int channels, u32 rate, std::vector<u8>* out) {
    out->clear();
    const FfmpegCalls* ff = Ffmpeg();
    if (!ff) return false;
    const AVCodec* codec = ff->avcodec_find_encoder(AV_CODEC_ID_MP3);
    if (!codec || channels < 1 || channels > 2) return false;
    AVCodecContext* c = ff->avcodec_alloc_context3(codec);
    c->sample_rate = static_cast<int>(rate);
    c->sample_fmt = AV_SAMPLE_FMT_S16P;
    c->bit_rate = 128000;
    ff->av_channel_layout_default(&c->ch_layout, channels);
    AVPacket* pkt = ff->av_packet_alloc();
    AVFrame* frame = ff->av_frame_alloc();
    bool ok = ff->avcodec_open2(c, codec, nullptr) == 0;
    size_t at = 0;
    while (ok && at < frames) {
        int n = static_cast<int>(std::min<size_t>(static_cast<size_t>(c->frame_size), frames - at));
        frame->nb_samples = c->frame_size;
        frame->format = c->sample_fmt;
        ff->av_channel_layout_copy(&frame->ch_layout, &c->ch_layout);
        ok = ff->av_frame_get_buffer(frame, 0) == 0 && ff->av_frame_make_writable(frame) == 0;
        if (!ok) break;
        for (int ch = 0; ch < channels; ++ch) {
            auto* plane = reinterpret_cast<i16*>(frame->data[ch]);
            for (int i = 0; i < c->frame_size; ++i)
                plane[i] = i < n ? samples[(at + static_cast<size_t>(i)) * channels + ch] : 0;
        }
        ok = ff->avcodec_send_frame(c, frame) == 0;
        ff->av_frame_unref(frame);
        Drain(ff, c, pkt, out);
        at += static_cast<size_t>(n);
    }
    if (ok) {
        ff->avcodec_send_frame(c, nullptr);
        Drain(ff, c, pkt, out);
    }
    ff->av_frame_free(&frame);
    ff->av_packet_free(&pkt);
    ff->avcodec_free_context(&c);
    return ok && !out->empty();
}
