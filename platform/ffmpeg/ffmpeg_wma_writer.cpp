// Windows Media Audio files over FFmpeg: the native wmav2 encoder in the
// asf muxer.
#include "platform/ffmpeg/ffmpeg_codecs.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <system_error>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/channel_layout.h>
#include <libswresample/swresample.h>
}

namespace rz {
namespace {

constexpr size_t kConvertFrames = 4096; // frames converted per pass

} // namespace

class FfmpegWmaWriter final : public WmaEngine {
public:
    ~FfmpegWmaWriter() override;

    int begin(const std::filesystem::path& path, uint32_t sampleRate, uint16_t channels,
              int64_t bitRate) override;
    int write(const int16_t* samples, size_t frames) override;
    int end() override;
    void discard() override;
    uint64_t fileBytes() const override;

private:
    struct State;
    int encodeFrames(bool flush);
    int sendFrame(bool last);
    int drainPackets();

    std::unique_ptr<State> m_state;
};

struct FfmpegWmaWriter::State {
    AVFormatContext* format = nullptr;
    AVCodecContext* codec = nullptr;
    AVStream* stream = nullptr;
    SwrContext* resampler = nullptr;
    AVAudioFifo* fifo = nullptr;
    AVFrame* frame = nullptr;
    AVPacket* packet = nullptr;
    int64_t pts = 0;
    uint16_t channels = 0;
    bool padLastFrame = true;
    std::filesystem::path path;
    std::array<std::vector<float>, kFfmpegChannels> planes;

    ~State()
    {
        av_packet_free(&packet);
        av_frame_free(&frame);
        if (fifo != nullptr)
            av_audio_fifo_free(fifo);
        swr_free(&resampler);
        avcodec_free_context(&codec);
        if (format != nullptr) {
            if (format->pb != nullptr)
                avio_closep(&format->pb);
            avformat_free_context(format);
        }
    }
};

FfmpegWmaWriter::~FfmpegWmaWriter()
{
    if (m_state)
        end();
}

uint64_t FfmpegWmaWriter::fileBytes() const
{
    if (!m_state || m_state->format == nullptr || m_state->format->pb == nullptr)
        return 0;
    const int64_t at = avio_tell(m_state->format->pb);
    return at > 0 ? uint64_t(at) : 0;
}

int FfmpegWmaWriter::begin(const std::filesystem::path& path, uint32_t sampleRate,
                           uint16_t channels, int64_t bitRate)
{
    discard();
    av_log_set_level(AV_LOG_QUIET);
    if (channels < 1 || channels > 2 || sampleRate == 0 || sampleRate > INT32_MAX)
        return AVERROR(EINVAL);
    const AVCodec* encoder = avcodec_find_encoder(AV_CODEC_ID_WMAV2);
    if (encoder == nullptr)
        return AVERROR_ENCODER_NOT_FOUND;

    auto s = std::make_unique<State>();
    s->channels = channels;
    s->path = path;
    s->codec = avcodec_alloc_context3(encoder);
    if (s->codec == nullptr)
        return AVERROR(ENOMEM);
    s->codec->sample_fmt = AV_SAMPLE_FMT_FLTP;
    s->codec->sample_rate = int(sampleRate);
    av_channel_layout_default(&s->codec->ch_layout, kFfmpegChannels);
    s->codec->bit_rate = bitRate;
    s->codec->time_base = AVRational{1, int(sampleRate)};
    s->padLastFrame = (encoder->capabilities & AV_CODEC_CAP_SMALL_LAST_FRAME) == 0;

    // The encoder first: a rate it refuses leaves no file behind.
    int result = avcodec_open2(s->codec, encoder, nullptr);
    if (result < 0)
        return result;
    if (s->codec->frame_size <= 0)
        return AVERROR(EINVAL);

    AVChannelLayout input{};
    av_channel_layout_default(&input, channels);
    result = swr_alloc_set_opts2(&s->resampler, &s->codec->ch_layout, s->codec->sample_fmt,
                                 int(sampleRate), &input, AV_SAMPLE_FMT_S16, int(sampleRate), 0,
                                 nullptr);
    av_channel_layout_uninit(&input);
    if (result < 0 || (result = swr_init(s->resampler)) < 0)
        return result;
    s->fifo = av_audio_fifo_alloc(s->codec->sample_fmt, kFfmpegChannels, s->codec->frame_size);
    s->frame = av_frame_alloc();
    s->packet = av_packet_alloc();
    if (s->fifo == nullptr || s->frame == nullptr || s->packet == nullptr)
        return AVERROR(ENOMEM);
    s->frame->format = s->codec->sample_fmt;
    s->frame->sample_rate = s->codec->sample_rate;
    s->frame->nb_samples = s->codec->frame_size;
    if ((result = av_channel_layout_copy(&s->frame->ch_layout, &s->codec->ch_layout)) < 0
        || (result = av_frame_get_buffer(s->frame, 0)) < 0)
        return result;
    for (auto& plane : s->planes)
        plane.resize(kConvertFrames);

    result = avformat_alloc_output_context2(&s->format, nullptr, "asf", path.c_str());
    if (result < 0)
        return result;
    s->stream = avformat_new_stream(s->format, nullptr);
    if (s->stream == nullptr)
        return AVERROR(ENOMEM);
    if ((result = avcodec_parameters_from_context(s->stream->codecpar, s->codec)) < 0)
        return result;
    s->stream->time_base = s->codec->time_base;
    if ((result = avio_open(&s->format->pb, path.c_str(), AVIO_FLAG_WRITE)) < 0)
        return result;
    if ((result = avformat_write_header(s->format, nullptr)) < 0) {
        s.reset();
        std::error_code error;
        std::filesystem::remove(path, error);
        return result;
    }
    m_state = std::move(s);
    return 0;
}

int FfmpegWmaWriter::write(const int16_t* samples, size_t frames)
{
    if (!m_state)
        return AVERROR(EINVAL);
    State& s = *m_state;
    while (frames > 0) {
        const size_t count = std::min(frames, kConvertFrames);
        const auto* in = reinterpret_cast<const uint8_t*>(samples);
        uint8_t* out[kFfmpegChannels] = {reinterpret_cast<uint8_t*>(s.planes[0].data()),
                                         reinterpret_cast<uint8_t*>(s.planes[1].data())};
        const int converted = swr_convert(s.resampler, out, int(kConvertFrames), &in, int(count));
        if (converted < 0)
            return converted;
        if (converted > 0
            && av_audio_fifo_write(s.fifo, reinterpret_cast<void**>(out), converted) < converted)
            return AVERROR(ENOMEM);
        const int result = encodeFrames(false);
        if (result < 0)
            return result;
        samples += count * s.channels;
        frames -= count;
    }
    return 0;
}

int FfmpegWmaWriter::end()
{
    if (!m_state)
        return 0;
    State& s = *m_state;
    int result = encodeFrames(true);
    if (result >= 0)
        result = avcodec_send_frame(s.codec, nullptr);
    if (result >= 0)
        result = drainPackets();
    const int trailer = av_write_trailer(s.format);
    if (result >= 0)
        result = trailer;
    const int closed = avio_closep(&s.format->pb);
    if (result >= 0)
        result = closed;
    m_state.reset();
    return std::min(result, 0);
}

void FfmpegWmaWriter::discard()
{
    if (!m_state)
        return;
    const std::filesystem::path path = m_state->path;
    m_state.reset();
    std::error_code error;
    std::filesystem::remove(path, error);
}

// Sends every whole frame the fifo holds; with `flush`, the rest as well.
int FfmpegWmaWriter::encodeFrames(bool flush)
{
    State& s = *m_state;
    while (av_audio_fifo_size(s.fifo) >= s.codec->frame_size
           || (flush && av_audio_fifo_size(s.fifo) > 0)) {
        const int result = sendFrame(av_audio_fifo_size(s.fifo) < s.codec->frame_size);
        if (result < 0)
            return result;
    }
    return 0;
}

int FfmpegWmaWriter::sendFrame(bool last)
{
    State& s = *m_state;
    int result = av_frame_make_writable(s.frame);
    if (result < 0)
        return result;
    const int size = s.codec->frame_size;
    const int read = av_audio_fifo_read(s.fifo, reinterpret_cast<void**>(s.frame->data), size);
    if (read < 0)
        return read;
    // An encoder that takes whole frames only gets the last one padded with silence.
    if (last && s.padLastFrame)
        for (int c = 0; c < kFfmpegChannels; ++c)
            std::memset(s.frame->data[c] + size_t(read) * sizeof(float), 0,
                        size_t(size - read) * sizeof(float));
    s.frame->nb_samples = last && !s.padLastFrame ? read : size;
    s.frame->pts = s.pts;
    s.pts += s.frame->nb_samples;
    result = avcodec_send_frame(s.codec, s.frame);
    if (result < 0)
        return result;
    return drainPackets();
}

int FfmpegWmaWriter::drainPackets()
{
    State& s = *m_state;
    for (;;) {
        int result = avcodec_receive_packet(s.codec, s.packet);
        if (result == AVERROR(EAGAIN) || result == AVERROR_EOF)
            return 0;
        if (result < 0)
            return result;
        av_packet_rescale_ts(s.packet, s.codec->time_base, s.stream->time_base);
        s.packet->stream_index = s.stream->index;
        result = av_interleaved_write_frame(s.format, s.packet);
        if (result < 0)
            return result;
    }
}

std::unique_ptr<WmaEngine> MakeFfmpegWmaWriter()
{
    return std::make_unique<FfmpegWmaWriter>();
}

} // namespace rz
