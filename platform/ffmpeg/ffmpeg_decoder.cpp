#include "platform/ffmpeg/ffmpeg_codecs.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <mutex>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/error.h>
#include <libavutil/log.h>
#include <libavutil/mathematics.h>
#include <libavutil/mem.h>
#include <libswresample/swresample.h>
}

namespace rz {
namespace {

// Corrupt packets in a row before the source counts as unreadable: a damaged
// stretch is skipped, a demuxer that cannot move past one is not retried forever.
constexpr int kMaxCorruptInARow = 100;
constexpr int kIoBufferBytes = 4096;

// The largest single block FFmpeg may allocate. Some demuxers allocate from
// a size field before checking it against the file, so a few hundred bytes
// could otherwise claim gigabytes; no audio decode needs a block this big.
constexpr size_t kMaxLibraryBlock = size_t(64) << 20;

// Set once for the process: library code never prints, so FFmpeg's console
// messages are silenced, and its allocations are bounded.
void setUpLibrary()
{
    static std::once_flag once;
    std::call_once(once, [] {
        av_log_set_level(AV_LOG_QUIET);
        av_max_alloc(kMaxLibraryBlock);
    });
}

// An untrusted source must not make the demuxer open other files or URLs
// (playlists, concatenation lists, image sequences): every nested open is
// refused.
int refuseNestedOpen(AVFormatContext*, AVIOContext**, const char*, int, AVDictionary**)
{
    return AVERROR(EPERM);
}

struct MemoryInput {
    std::span<const uint8_t> bytes;
    size_t position = 0;
};

int readMemory(void* opaque, uint8_t* buffer, int size)
{
    auto* input = static_cast<MemoryInput*>(opaque);
    const size_t left = input->bytes.size() - input->position;
    const size_t count = std::min(left, size_t(std::max(size, 0)));
    if (count == 0)
        return AVERROR_EOF;
    std::memcpy(buffer, input->bytes.data() + input->position, count);
    input->position += count;
    return int(count);
}

int64_t seekMemory(void* opaque, int64_t offset, int whence)
{
    auto* input = static_cast<MemoryInput*>(opaque);
    const auto size = int64_t(input->bytes.size());
    int64_t target = 0;
    switch (whence & ~AVSEEK_FORCE) {
    case AVSEEK_SIZE: return size;
    case SEEK_SET: target = offset; break;
    case SEEK_CUR: target = int64_t(input->position) + offset; break;
    case SEEK_END: target = size + offset; break;
    default: return AVERROR(EINVAL);
    }
    if (target < 0 || target > size)
        return AVERROR(EINVAL);
    input->position = size_t(target);
    return target;
}

// 100-ns units of `value` in `base`, or 0 when unknown, negative or absurd.
int64_t toHns(int64_t value, AVRational base)
{
    if (value == AV_NOPTS_VALUE || value <= 0 || base.num <= 0 || base.den <= 0)
        return 0;
    const int64_t hns = av_rescale_q_rnd(value, base, AVRational{1, 10'000'000},
                                         AVRounding(AV_ROUND_NEAR_INF | AV_ROUND_PASS_MINMAX));
    return hns > 0 && hns < std::numeric_limits<int64_t>::max() ? hns : 0;
}

using Status = AudioDecoder::Status;
using Sink = AudioDecoder::Sink;

class FfmpegDecoder final : public DecoderEngine {
public:
    int open(const std::string& url, uint32_t outputRate) override;
    int openMemory(std::span<const uint8_t> bytes, uint32_t outputRate) override;
    int64_t durationHns() const override;
    Status decodeNext(const Sink& sink) override;
    int lastError() const override { return m_lastError; }

private:
    struct State;
    int openInput(uint32_t outputRate);
    int setupStream(uint32_t outputRate);
    Status drainDecoder(const Sink& sink);
    bool convert(const uint8_t** input, int inputFrames, const Sink& sink);
    Status flush(const Sink& sink);

    std::unique_ptr<State> m_state;
    int m_lastError = 0;
};

struct FfmpegDecoder::State {
    AVFormatContext* format = nullptr;
    AVIOContext* io = nullptr; // ours to free
    bool ioFromFile = false;   // opened by avio_open2, closed by avio_closep
    MemoryInput memory;
    AVCodecContext* codec = nullptr;
    SwrContext* resampler = nullptr;
    AVPacket* packet = nullptr;
    AVFrame* frame = nullptr;
    int streamIndex = -1;
    uint32_t outputRate = 0;
    // What the resampler was set up for; a frame in another format rebuilds it.
    int inputFormat = -1;
    int inputRate = 0;
    AVChannelLayout inputLayout{};
    std::vector<int16_t> output;
    bool flushed = false;
    int corruptInARow = 0;

    ~State()
    {
        av_channel_layout_uninit(&inputLayout);
        av_frame_free(&frame);
        av_packet_free(&packet);
        swr_free(&resampler);
        avcodec_free_context(&codec);
        avformat_close_input(&format);
        if (io && ioFromFile) {
            avio_closep(&io);
        } else if (io) {
            av_freep(&io->buffer);
            avio_context_free(&io);
        }
    }
};

} // namespace

int FfmpegDecoder::open(const std::string& url, uint32_t outputRate)
{
    setUpLibrary();
    m_state = std::make_unique<State>();
    const int opened = avio_open2(&m_state->io, url.c_str(), AVIO_FLAG_READ, nullptr, nullptr);
    if (opened < 0) {
        m_state.reset();
        return m_lastError = opened;
    }
    m_state->ioFromFile = true;
    return openInput(outputRate);
}

int FfmpegDecoder::openMemory(std::span<const uint8_t> bytes, uint32_t outputRate)
{
    setUpLibrary();
    m_state = std::make_unique<State>();
    m_state->memory.bytes = bytes;
    auto* buffer = static_cast<uint8_t*>(av_malloc(kIoBufferBytes));
    if (buffer)
        m_state->io = avio_alloc_context(buffer, kIoBufferBytes, 0, &m_state->memory, readMemory,
                                         nullptr, seekMemory);
    if (!m_state->io) {
        av_free(buffer);
        m_state.reset();
        return m_lastError = AVERROR(ENOMEM);
    }
    return openInput(outputRate);
}

int FfmpegDecoder::openInput(uint32_t outputRate)
{
    State& s = *m_state;
    s.format = avformat_alloc_context();
    if (!s.format) {
        m_state.reset();
        return m_lastError = AVERROR(ENOMEM);
    }
    s.format->pb = s.io;
    s.format->io_open = refuseNestedOpen;
    int result = avformat_open_input(&s.format, nullptr, nullptr, nullptr);
    if (result >= 0)
        result = avformat_find_stream_info(s.format, nullptr);
    if (result >= 0)
        result = setupStream(outputRate);
    if (result < 0) {
        m_state.reset();
        return m_lastError = result;
    }
    return 0;
}

int FfmpegDecoder::setupStream(uint32_t outputRate)
{
    State& s = *m_state;
    const AVCodec* decoder = nullptr;
    const int index = av_find_best_stream(s.format, AVMEDIA_TYPE_AUDIO, -1, -1, &decoder, 0);
    if (index < 0)
        return index;
    if (!decoder)
        return AVERROR_DECODER_NOT_FOUND;
    s.streamIndex = index;
    for (unsigned i = 0; i < s.format->nb_streams; ++i)
        if (int(i) != index)
            s.format->streams[i]->discard = AVDISCARD_ALL;
    s.codec = avcodec_alloc_context3(decoder);
    s.packet = av_packet_alloc();
    s.frame = av_frame_alloc();
    if (!s.codec || !s.packet || !s.frame)
        return AVERROR(ENOMEM);
    int result = avcodec_parameters_to_context(s.codec, s.format->streams[index]->codecpar);
    if (result >= 0)
        result = avcodec_open2(s.codec, decoder, nullptr);
    if (result < 0)
        return result;
    if (outputRate == 0 || outputRate > 1'000'000)
        return AVERROR(EINVAL);
    s.outputRate = outputRate;
    return 0;
}

int64_t FfmpegDecoder::durationHns() const
{
    if (!m_state || !m_state->format)
        return 0;
    const int64_t container = toHns(m_state->format->duration, AVRational{1, AV_TIME_BASE});
    if (container > 0)
        return container;
    const AVStream* stream = m_state->format->streams[m_state->streamIndex];
    return toHns(stream->duration, stream->time_base);
}

Status FfmpegDecoder::decodeNext(const Sink& sink)
{
    if (!m_state)
        return Status::Failed;
    State& s = *m_state;
    if (s.flushed)
        return Status::End;
    const int read = av_read_frame(s.format, s.packet);
    if (read == AVERROR_EOF)
        return flush(sink);
    if (read == AVERROR_INVALIDDATA && ++s.corruptInARow < kMaxCorruptInARow)
        return Status::More;
    if (read < 0) {
        m_lastError = read;
        return Status::Failed;
    }
    if (s.packet->stream_index != s.streamIndex) {
        av_packet_unref(s.packet);
        return Status::More;
    }
    const int sent = avcodec_send_packet(s.codec, s.packet);
    av_packet_unref(s.packet);
    // A corrupt packet costs only its own audio.
    if (sent == AVERROR_INVALIDDATA && ++s.corruptInARow < kMaxCorruptInARow)
        return Status::More;
    if (sent < 0 && sent != AVERROR(EAGAIN)) {
        m_lastError = sent;
        return Status::Failed;
    }
    return drainDecoder(sink);
}

Status FfmpegDecoder::drainDecoder(const Sink& sink)
{
    State& s = *m_state;
    for (;;) {
        const int received = avcodec_receive_frame(s.codec, s.frame);
        if (received == AVERROR(EAGAIN))
            return Status::More;
        if (received == AVERROR_EOF)
            return Status::End;
        if (received == AVERROR_INVALIDDATA && ++s.corruptInARow < kMaxCorruptInARow)
            continue;
        if (received < 0) {
            m_lastError = received;
            return Status::Failed;
        }
        s.corruptInARow = 0;
        const bool converted = convert(const_cast<const uint8_t**>(s.frame->extended_data), s.frame->nb_samples, sink);
        av_frame_unref(s.frame);
        if (!converted)
            return Status::Failed;
    }
}

// Sets up the resampler for the frame's format when it differs from the last
// one; a frame that gives no usable format is skipped.
static int prepareResampler(SwrContext*& resampler, int& inputFormat, int& inputRate,
                            AVChannelLayout& inputLayout, const AVFrame& frame, uint32_t outputRate)
{
    AVChannelLayout layout{};
    if (frame.ch_layout.order == AV_CHANNEL_ORDER_UNSPEC || av_channel_layout_check(&frame.ch_layout) == 0)
        av_channel_layout_default(&layout, frame.ch_layout.nb_channels);
    else if (av_channel_layout_copy(&layout, &frame.ch_layout) < 0)
        return AVERROR(ENOMEM);
    if (resampler && inputFormat == frame.format && inputRate == frame.sample_rate
        && av_channel_layout_compare(&layout, &inputLayout) == 0) {
        av_channel_layout_uninit(&layout);
        return 0;
    }
    swr_free(&resampler);
    av_channel_layout_uninit(&inputLayout);
    inputLayout = layout;
    inputFormat = frame.format;
    inputRate = frame.sample_rate;
    AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
    int result = swr_alloc_set_opts2(&resampler, &stereo, AV_SAMPLE_FMT_S16, int(outputRate), &inputLayout,
                                     AVSampleFormat(frame.format), frame.sample_rate, 0, nullptr);
    if (result >= 0)
        result = swr_init(resampler);
    if (result < 0)
        swr_free(&resampler);
    return result;
}

bool FfmpegDecoder::convert(const uint8_t** input, int inputFrames, const Sink& sink)
{
    State& s = *m_state;
    if (input) {
        if (s.frame->sample_rate <= 0 || s.frame->ch_layout.nb_channels <= 0 || inputFrames <= 0)
            return true;
        const int prepared = prepareResampler(s.resampler, s.inputFormat, s.inputRate, s.inputLayout,
                                              *s.frame, s.outputRate);
        if (prepared < 0) {
            m_lastError = prepared;
            return false;
        }
    }
    if (!s.resampler)
        return true;
    const int room = swr_get_out_samples(s.resampler, input ? inputFrames : 0);
    if (room < 0) {
        m_lastError = room;
        return false;
    }
    s.output.resize(size_t(room) * kFfmpegChannels + kFfmpegChannels);
    uint8_t* out[1] = {reinterpret_cast<uint8_t*>(s.output.data())};
    const int frames = swr_convert(s.resampler, out, room + 1, input, input ? inputFrames : 0);
    if (frames < 0) {
        m_lastError = frames;
        return false;
    }
    if (frames > 0)
        sink(s.output.data(), size_t(frames));
    return true;
}

// The end of the input: what the decoder and the resampler still hold.
Status FfmpegDecoder::flush(const Sink& sink)
{
    State& s = *m_state;
    s.flushed = true;
    avcodec_send_packet(s.codec, nullptr);
    const Status drained = drainDecoder(sink);
    if (drained == Status::Failed)
        return drained;
    return convert(nullptr, 0, sink) ? Status::End : Status::Failed;
}

std::string FfmpegErrorText(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

std::unique_ptr<DecoderEngine> MakeFfmpegDecoder()
{
    return std::make_unique<FfmpegDecoder>();
}

} // namespace rz
