// Wave files: reading untrusted files into clip samples, and writing them.

#include "engine/audio/wave_disk_writer.h"
#include "engine/audio/wave_file.h"
#include "tests/engine/audio/wave_bytes.h"
#include "tests/support/hostile_files.h"
#include "tests/support/temp_folder.h"
#include "tests/song/song_fixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace rz::test {
namespace {

const std::filesystem::path kFixtures = std::filesystem::path(RZ_FIXTURE_DIR) / "wave";

std::vector<int16_t> samplesOf(const AudioClipSamples& clip)
{
    return clip.samples;
}

struct ReadCase {
    const char* what;
    Bytes file;
    std::vector<int16_t> loaded; // the samples, when the file loads
    const char* reason;          // part of the reason, when it does not
};

TEST(WaveFile, ReadCases)
{
    const Bytes frames = samples({1, -1, 2, -2});
    const Bytes data = chunk("data", frames);
    const std::vector<int16_t> both = {1, -1, 2, -2};
    const std::vector<ReadCase> cases = {
        {"16-byte fmt", riff(pcmFmt() + data), both, nullptr},
        {"18-byte fmt", riff(chunk("fmt ", fmtBody(1, 2, 44100, 16, 18)) + data), both, nullptr},
        {"40-byte extensible PCM fmt", riff(chunk("fmt ", fmtBody(0xFFFE, 2, 44100, 16, 40)) + data), both,
         nullptr},
        {"odd-sized chunk and its pad before data", riff(pcmFmt() + chunk("junk", {7, 7, 7}) + data), both,
         nullptr},
        {"a second data chunk is ignored", riff(pcmFmt() + data + chunk("data", samples({9, 9}))), both,
         nullptr},
        {"data size past the end is bounded, whole frames",
         riff(pcmFmt() + chunk("data", frames + Bytes{5, 5}, 4000)), both, nullptr},
        {"data size 0xFFFFFFFF runs to the end", riff(pcmFmt() + chunk("data", frames, 0xFFFFFFFF)), both,
         nullptr},
        {"float samples", riff(chunk("fmt ", fmtBody(3, 2, 44100, 32)) + data), {}, "format tag 0x0003"},
        {"extensible float samples", riff(chunk("fmt ", fmtBody(0xFFFE, 2, 44100, 16, 40, 3)) + data), {},
         "not PCM"},
        {"32-bit PCM", riff(chunk("fmt ", fmtBody(1, 2, 44100, 32)) + data), {}, "32-bit samples"},
        {"mono", riff(chunk("fmt ", fmtBody(1, 1, 44100, 16)) + data), {}, "mono"},
        {"48 kHz", riff(pcmFmt(48000) + data), {}, "48000 Hz; the engine runs at 44100 Hz"},
        {"zero rate", riff(pcmFmt(0) + data), {}, "sample rate of 0"},
        {"zero block align", riff(chunk("fmt ", fmtBody(1, 0, 44100, 16)) + data), {}, "block align of 0"},
        {"fmt under 16 bytes", riff(chunk("fmt ", Bytes(14, 1)) + data), {}, "14 bytes are too short"},
        {"fmt runs past the end", riff(chunk("fmt ", fmtBody(1, 2, 44100, 16), 64)), {},
         "\"fmt \" chunk at 0xC runs past the end of the file (0x24)"},
        {"data before fmt", riff(data + pcmFmt()), {}, "comes before any \"fmt \""},
        {"no data", riff(pcmFmt()), {}, "no \"data\" chunk"},
        {"no fmt", riff(chunk("LIST", {1, 2})), {}, "no \"fmt \" chunk"},
        {"not RIFF", Bytes{'R', 'I', 'F', 'X', 0, 0, 0, 0, 'W', 'A', 'V', 'E'} + pcmFmt() + data, {},
         "not a RIFF WAVE file"},
        {"shorter than the RIFF header", Bytes{'R', 'I', 'F', 'F', 0, 0}, {}, "not a RIFF WAVE file"},
    };
    for (const ReadCase& c : cases) {
        SCOPED_TRACE(c.what);
        std::string reason;
        const auto clip = ReadWaveBytes(c.file, 44100, reason);
        if (c.reason == nullptr) {
            ASSERT_NE(clip, nullptr) << reason;
            EXPECT_EQ(samplesOf(*clip), c.loaded);
            EXPECT_EQ(clip->frameCount(), int64_t(c.loaded.size() / 2));
        } else {
            EXPECT_EQ(clip, nullptr);
            EXPECT_NE(reason.find(c.reason), std::string::npos) << reason;
        }
    }
}

TEST(WaveFile, BextChunkIsKeptWithTheSamples)
{
    std::string reason;
    const auto clip = ReadWaveBytes(riff(chunk("bext", {'h', 'i', '!'}) + pcmFmt() + chunk("data", samples({3, 4}))),
                                    44100, reason);
    ASSERT_NE(clip, nullptr) << reason;
    EXPECT_EQ(clip->extra, (Bytes{'h', 'i', '!'}));
}

TEST(WaveFile, LongBextChunkKeepsOnlyItsFixedFields)
{
    // The coding history after the 602 bytes of fixed fields is never used;
    // a file may make it as long as the file.
    Bytes bext(100000, 'x');
    bext[0] = 'd';
    std::string reason;
    const auto clip = ReadWaveBytes(riff(chunk("bext", bext) + pcmFmt() + chunk("data", samples({3, 4}))), 44100,
                                    reason);
    ASSERT_NE(clip, nullptr) << reason;
    ASSERT_EQ(clip->extra.size(), 602u);
    EXPECT_EQ(clip->extra[0], 'd');
    EXPECT_EQ(samplesOf(*clip), (std::vector<int16_t>{3, 4}));
}

TEST(WaveFile, OddChunkFixtureLoads)
{
    std::string reason;
    const auto clip = ReadWaveFile(kFixtures / "odd_list_chunk.wav", 44100, reason);
    ASSERT_NE(clip, nullptr) << reason;
    EXPECT_EQ(samplesOf(*clip), (std::vector<int16_t>{100, -100, 32767, -32768, 0, 1, -1, 2}));
}

TEST(WaveFile, TruncatedRecordingLoadsItsSamples)
{
    // Sizes 0, as a recording cut off before Close leaves them, and half a
    // frame at the end.
    std::string reason;
    const auto clip = ReadWaveFile(kFixtures / "truncated_recording.wav", 44100, reason);
    ASSERT_NE(clip, nullptr) << reason;
    EXPECT_EQ(samplesOf(*clip), (std::vector<int16_t>{1000, -1000, 2000, -2000, 3000, -3000}));
}

TEST(WaveFile, ReasonNamesTheFile)
{
    std::string reason;
    EXPECT_EQ(ReadWaveFile(kFixtures / "missing.wav", 44100, reason), nullptr);
    EXPECT_NE(reason.find("missing.wav: cannot open"), std::string::npos) << reason;
}

TEST(WaveFile, FifoOrFolderIsRefusedAtOnceWithTheFileNamed)
{
    TempFolder folder;
    const auto fifo = folder.file("clip.wav");
    MakeFifo(fifo);
    for (const auto& path : {fifo, folder.path()}) {
        std::string reason;
        std::shared_ptr<const AudioClipSamples> clip;
        ASSERT_TRUE(ReturnsWithin([&] { clip = ReadWaveFile(path, 44100, reason); }, {fifo})) << path;
        EXPECT_EQ(clip, nullptr);
        EXPECT_EQ(reason.rfind(path.string() + ": not a regular file", 0), 0u) << reason;
    }
}

TEST(WaveFile, FormatFromIndex)
{
    struct Case {
        uint32_t index;
        uint32_t rate;
        uint16_t bits;
        uint16_t channels;
        uint32_t bytesPerSecond;
    };
    const std::vector<Case> cases = {
        {0, 11025, 8, 1, 11025},  {3, 11025, 16, 2, 44100},  {6, 22050, 16, 1, 44100},
        {9, 44100, 8, 2, 88200},  {11, 44100, 16, 2, 176400}, {14, 8000, 16, 1, 16000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.index);
        WaveFormat format;
        format.sampleRate = 8000; // kept for an index of 12 or more
        WaveFormatFromIndex(c.index, format);
        EXPECT_EQ(format.sampleRate, c.rate);
        EXPECT_EQ(format.bitsPerSample, c.bits);
        EXPECT_EQ(format.channels, c.channels);
        EXPECT_EQ(format.blockAlign, c.bits / 8 * c.channels);
        EXPECT_EQ(format.bytesPerSecond, c.bytesPerSecond);
    }
}

TEST(WaveFile, EmptyDiskRecordingIsAHeaderWithSizes36And0)
{
    TempDir dir;
    const auto path = dir.path() / "empty.wav";
    CWaveDiskWriter writer;
    std::string reason;
    ASSERT_TRUE(writer.Open(path, 44100, reason)) << reason;
    ASSERT_TRUE(writer.Close(reason)) << reason;
    const Bytes file = readBytes(path);
    ASSERT_EQ(file.size(), 44u);
    EXPECT_EQ(u32At(file, 4), 36u);
    EXPECT_EQ(u32At(file, 40), 0u);
    const Bytes header = riff(pcmFmt()); // "WAVE" and the engine's "fmt "
    EXPECT_EQ(Bytes(file.begin() + 8, file.begin() + 36), Bytes(header.begin() + 8, header.end()));
}

TEST(WaveFile, WriterPatchesSizesAndFrameCount)
{
    TempDir dir;
    const auto path = dir.path() / "take.wav";
    CWaveWriter writer;
    std::string reason;
    ASSERT_TRUE(writer.Create(path, WaveFormat{}, reason)) << reason;
    const Bytes frames = samples({1, 2, 3, 4, 5, 6});
    ASSERT_TRUE(writer.Write(frames, reason)) << reason;
    ASSERT_TRUE(writer.Close(reason)) << reason;

    const Bytes file = readBytes(path);
    EXPECT_EQ(file, riff(pcmFmt() + chunk("fact", {3, 0, 0, 0}) + chunk("data", frames)));
    const auto clip = ReadWaveFile(path, 44100, reason);
    ASSERT_NE(clip, nullptr) << reason;
    EXPECT_EQ(clip->frameCount(), 3);

    // A frame count its user sets goes into "fact" instead.
    ASSERT_TRUE(writer.Create(path, WaveFormat{}, reason)) << reason;
    writer.setFrameCount(1234);
    ASSERT_TRUE(writer.Close(reason)) << reason;
    EXPECT_EQ(u32At(readBytes(path), 44), 1234u);
}

TEST(WaveFile, WriterStopsAtTheSizeLimitAndKeepsTheFileValid)
{
    TempDir dir;
    const auto path = dir.path() / "full.wav";
    CWaveWriter writer(8);
    std::string reason;
    ASSERT_TRUE(writer.Create(path, WaveFormat{}, reason)) << reason;
    EXPECT_FALSE(writer.Write(samples({1, 2, 3, 4, 5, 6}), reason));
    EXPECT_NE(reason.find("4 bytes dropped"), std::string::npos) << reason;
    EXPECT_EQ(writer.droppedBytes(), 4u);
    ASSERT_TRUE(writer.Close(reason)) << reason;
    const auto clip = ReadWaveFile(path, 44100, reason);
    ASSERT_NE(clip, nullptr) << reason;
    EXPECT_EQ(samplesOf(*clip), (std::vector<int16_t>{1, 2, 3, 4}));
}

TEST(WaveFile, WriterFailuresAreReturnedAndLeaveNoFile)
{
    TempDir dir;
    std::string reason;
    CWaveWriter writer;
    EXPECT_FALSE(writer.Create(dir.path() / "no folder" / "a.wav", WaveFormat{}, reason));
    EXPECT_NE(reason.find("cannot create"), std::string::npos) << reason;
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "no folder"));

    CWaveDiskWriter disk;
    EXPECT_FALSE(disk.Open("/dev/full", 44100, reason));
    EXPECT_NE(reason.find("No space left"), std::string::npos) << reason;
    EXPECT_FALSE(disk.isOpen());

    ASSERT_TRUE(writer.Create(dir.path() / "a.wav", WaveFormat{}, reason)) << reason;
    EXPECT_FALSE(writer.Create(dir.path() / "b.wav", WaveFormat{}, reason));
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "b.wav"));
}

} // namespace
} // namespace rz::test
