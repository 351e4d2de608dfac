#include "audio_source_writer.h"

#include <cmath>
#include <numbers>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/error.h>
}

namespace rz::test {
namespace {

std::string describe(const char* step, int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return std::string(step) + ": " + text;
}

// One mono sample in whatever format the encoder takes.
void putSample(AVFrame& frame, int index, double value)
{
    switch (frame.format) {
    case AV_SAMPLE_FMT_U8:
    case AV_SAMPLE_FMT_U8P:
        frame.data[0][index] = uint8_t(128 + std::lround(value * 60));
        break;
    case AV_SAMPLE_FMT_DBL:
    case AV_SAMPLE_FMT_DBLP:
        reinterpret_cast<double*>(frame.data[0])[index] = value * 0.5;
        break;
    case AV_SAMPLE_FMT_S16:
    case AV_SAMPLE_FMT_S16P:
        reinterpret_cast<int16_t*>(frame.data[0])[index] = int16_t(std::lround(value * 16000));
        break;
    case AV_SAMPLE_FMT_S32:
    case AV_SAMPLE_FMT_S32P:
        reinterpret_cast<int32_t*>(frame.data[0])[index] = int32_t(std::lround(value * 1.0e9));
        break;
    default:
        reinterpret_cast<float*>(frame.data[0])[index] = float(value * 0.5);
        break;
    }
}

struct Writer {
    AVFormatContext* format = nullptr;
    AVCodecContext* codec = nullptr;
    AVFrame* frame = nullptr;
    AVPacket* packet = nullptr;
    AVStream* stream = nullptr;

    ~Writer()
    {
        av_packet_free(&packet);
        av_frame_free(&frame);
        avcodec_free_context(&codec);
        if (format && format->pb)
            avio_closep(&format->pb);
        avformat_free_context(format);
    }

    std::string drain()
    {
        for (;;) {
            const int received = avcodec_receive_packet(codec, packet);
            if (received == AVERROR(EAGAIN) || received == AVERROR_EOF)
                return {};
            if (received < 0)
                return describe("receive packet", received);
            av_packet_rescale_ts(packet, codec->time_base, stream->time_base);
            packet->stream_index = stream->index;
            const int written = av_interleaved_write_frame(format, packet);
            if (written < 0)
                return describe("write packet", written);
        }
    }
};

} // namespace

std::string writeToneFile(const std::filesystem::path& path, const char* formatName, const char* encoderName,
                          int rate, double seconds, double frequency)
{
    const AVCodec* encoder = avcodec_find_encoder_by_name(encoderName);
    if (!encoder)
        return std::string("no encoder ") + encoderName;
    Writer w;
    int result = avformat_alloc_output_context2(&w.format, nullptr, formatName, path.c_str());
    if (result < 0)
        return describe("output context", result);
    w.stream = avformat_new_stream(w.format, nullptr);
    w.codec = avcodec_alloc_context3(encoder);
    w.frame = av_frame_alloc();
    w.packet = av_packet_alloc();
    if (!w.stream || !w.codec || !w.frame || !w.packet)
        return "out of memory";
    w.codec->sample_fmt = encoder->sample_fmts ? encoder->sample_fmts[0] : AV_SAMPLE_FMT_S16;
    w.codec->sample_rate = rate;
    w.codec->bit_rate = 64000;
    w.codec->time_base = AVRational{1, rate};
    AVChannelLayout mono = AV_CHANNEL_LAYOUT_MONO;
    av_channel_layout_copy(&w.codec->ch_layout, &mono);
    if (w.format->oformat->flags & AVFMT_GLOBALHEADER)
        w.codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if ((result = avcodec_open2(w.codec, encoder, nullptr)) < 0)
        return describe("open encoder", result);
    if ((result = avcodec_parameters_from_context(w.stream->codecpar, w.codec)) < 0)
        return describe("stream parameters", result);
    w.stream->time_base = w.codec->time_base;
    if ((result = avio_open(&w.format->pb, path.c_str(), AVIO_FLAG_WRITE)) < 0)
        return describe("create file", result);
    if ((result = avformat_write_header(w.format, nullptr)) < 0)
        return describe("write header", result);

    const int frameSize = w.codec->frame_size > 0 ? w.codec->frame_size : 1024;
    const int total = int(std::lround(seconds * rate));
    for (int start = 0; start < total; start += frameSize) {
        const int count = std::min(frameSize, total - start);
        // Encoders of fixed-size frames take a short last frame only when they say so.
        const bool shortLast = encoder->capabilities & (AV_CODEC_CAP_SMALL_LAST_FRAME | AV_CODEC_CAP_VARIABLE_FRAME_SIZE);
        const int samples = w.codec->frame_size > 0 && !shortLast ? frameSize : count;
        w.frame->nb_samples = samples;
        w.frame->format = w.codec->sample_fmt;
        w.frame->sample_rate = rate;
        av_channel_layout_copy(&w.frame->ch_layout, &mono);
        if ((result = av_frame_get_buffer(w.frame, 0)) < 0)
            return describe("frame buffer", result);
        for (int i = 0; i < samples; ++i) {
            const int n = start + i;
            putSample(*w.frame, i, n < total ? std::sin(2 * std::numbers::pi * frequency * n / rate) : 0.0);
        }
        w.frame->pts = start;
        if ((result = avcodec_send_frame(w.codec, w.frame)) < 0)
            return describe("send frame", result);
        av_frame_unref(w.frame);
        if (std::string error = w.drain(); !error.empty())
            return error;
    }
    avcodec_send_frame(w.codec, nullptr);
    if (std::string error = w.drain(); !error.empty())
        return error;
    if ((result = av_write_trailer(w.format)) < 0)
        return describe("write trailer", result);
    return {};
}

} // namespace rz::test
