// MP3 encoding through FFmpeg's LAME encoder.
#include "platform/AudioEncode.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/channel_layout.h>
}

namespace {
void Drain(AVCodecContext* c, AVPacket* pkt, std::vector<u8>* out) {
    while (avcodec_receive_packet(c, pkt) == 0) {
        out->insert(out->end(), pkt->data, pkt->data + pkt->size);
        av_packet_unref(pkt);
    }
}
}  // namespace

bool EncodeMp3(const i16* samples, size_t frames, int channels, u32 rate, std::vector<u8>* out) {
    out->clear();
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_MP3);
    if (!codec || channels < 1 || channels > 2) return false;
    AVCodecContext* c = avcodec_alloc_context3(codec);
    c->sample_rate = static_cast<int>(rate);
    c->sample_fmt = AV_SAMPLE_FMT_S16P;
    c->bit_rate = 128000;
    av_channel_layout_default(&c->ch_layout, channels);
    AVPacket* pkt = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    bool ok = avcodec_open2(c, codec, nullptr) == 0;
    size_t at = 0;
    while (ok && at < frames) {
        int n = static_cast<int>(std::min<size_t>(static_cast<size_t>(c->frame_size), frames - at));
        frame->nb_samples = c->frame_size;
        frame->format = c->sample_fmt;
        av_channel_layout_copy(&frame->ch_layout, &c->ch_layout);
        ok = av_frame_get_buffer(frame, 0) == 0 && av_frame_make_writable(frame) == 0;
        if (!ok) break;
        for (int ch = 0; ch < channels; ++ch) {
            auto* plane = reinterpret_cast<i16*>(frame->data[ch]);
            for (int i = 0; i < c->frame_size; ++i)
                plane[i] = i < n ? samples[(at + static_cast<size_t>(i)) * channels + ch] : 0;
        }
        ok = avcodec_send_frame(c, frame) == 0;
        av_frame_unref(frame);
        Drain(c, pkt, out);
        at += static_cast<size_t>(n);
    }
    if (ok) {
        avcodec_send_frame(c, nullptr);
        Drain(c, pkt, out);
    }
    av_frame_free(&frame);
    av_packet_free(&pkt);
    avcodec_free_context(&c);
    return ok && !out->empty();
}
