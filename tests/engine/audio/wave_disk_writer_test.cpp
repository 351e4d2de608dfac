// The recording ring and its writer thread.

#include "engine/audio/wave_disk_writer.h"
#include "tests/engine/audio/wave_bytes.h"
#include "tests/song/song_fixture.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <csignal>
#include <thread>
#include <vector>

#include <sys/resource.h>

namespace rz::test {
namespace {

constexpr uint32_t kWriterRate = 44100;
constexpr size_t kSecondBytes = kWriterRate * 4;

template <class Condition>
bool waitFor(Condition condition, std::chrono::seconds limit)
{
    const auto until = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > until)
            return false;
        std::this_thread::yield();
    }
    return true;
}

// Sample n of a channel as k / 32768, |k| < 32768: exact in a float, and
// k x 32767 / 32768 truncates to k - 1 for k > 0 and to k + 1 for k < 0.
int32_t stepOf(uint64_t n, uint64_t salt)
{
    return int32_t((n * 7919 + salt) % 65535) - 32767;
}

int16_t storedOf(int32_t k)
{
    return int16_t(k > 0 ? k - 1 : (k < 0 ? k + 1 : 0));
}

std::vector<int16_t> readSamples(CWaveDiskWriter& writer, size_t count)
{
    std::vector<int16_t> out(count);
    EXPECT_EQ(writer.Read(out.data(), count * 2), count * 2);
    return out;
}

TEST(WaveDiskWriter, SixtySecondsFromAProducerThreadReachTheFileUnchanged)
{
    constexpr uint64_t kFrames = 60 * kWriterRate;
    constexpr uint32_t kBlock = 441;
    TempDir dir;
    const auto path = dir.path() / "take.wav";
    CWaveDiskWriter writer;
    std::string reason;
    ASSERT_TRUE(writer.Open(path, kWriterRate, reason)) << reason;

    bool fed = true;
    std::thread producer([&] {
        std::vector<float> left(kBlock), right(kBlock);
        for (uint64_t first = 0; first < kFrames && fed; first += kBlock) {
            for (uint32_t i = 0; i < kBlock; ++i) {
                left[i] = float(stepOf(first + i, 0)) / 32768.0f;
                right[i] = float(stepOf(first + i, 12345)) / 32768.0f;
            }
            // A real producer never waits; this one paces itself to the disk.
            fed = waitFor([&] { return writer.writableBytes() >= kBlock * 4; }, std::chrono::seconds(30))
                  && writer.AppendFloat(left.data(), right.data(), kBlock, 2);
        }
    });
    producer.join();
    ASSERT_TRUE(fed);
    ASSERT_TRUE(writer.Close(reason)) << reason;
    EXPECT_EQ(writer.overrunCount(), 0u);

    const Bytes file = readBytes(path);
    ASSERT_EQ(file.size(), 44 + kFrames * 4);
    EXPECT_EQ(u32At(file, 4), file.size() - 8);
    EXPECT_EQ(u32At(file, 40), kFrames * 4);
    const auto* stored = reinterpret_cast<const int16_t*>(file.data() + 44);
    for (uint64_t n = 0; n < kFrames; ++n) {
        ASSERT_EQ(stored[2 * n], storedOf(stepOf(n, 0))) << "frame " << n;
        ASSERT_EQ(stored[2 * n + 1], storedOf(stepOf(n, 12345))) << "frame " << n;
    }
}

TEST(WaveDiskWriter, StalledWriterMakesAppendsDropAtOnceAndCount)
{
    // Without a file nothing drains the ring but Read: it stands for a
    // writer that has stalled.
    CWaveDiskWriter writer;
    const std::vector<int16_t> second(kSecondBytes / 2, 1000);
    for (int i = 0; i < 4; ++i)
        ASSERT_TRUE(writer.Append(second.data(), kSecondBytes)) << "second " << i;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(writer.Append(second.data(), kSecondBytes)); // one byte is always kept free
    const std::vector<float> block(kWriterRate, 0.25f);
    EXPECT_FALSE(writer.AppendFloat(block.data(), block.data(), kWriterRate, 2));
    // Far below the ten seconds of sleeping retries this replaces.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    EXPECT_EQ(writer.overrunCount(), 2u);

    // Draining makes room again, and what was kept comes out in order, also
    // across the ring's end.
    EXPECT_EQ(readSamples(writer, 3 * kSecondBytes / 2), std::vector<int16_t>(3 * kSecondBytes / 2, 1000));
    const std::vector<int16_t> ramp = [] {
        std::vector<int16_t> values(kSecondBytes);
        for (size_t i = 0; i < values.size(); ++i)
            values[i] = int16_t(i);
        return values;
    }();
    ASSERT_TRUE(writer.Append(ramp.data(), ramp.size() * 2));
    EXPECT_EQ(readSamples(writer, kSecondBytes / 2), std::vector<int16_t>(kSecondBytes / 2, 1000));
    EXPECT_EQ(readSamples(writer, ramp.size()), ramp);
    int16_t none = 0;
    EXPECT_EQ(writer.Read(&none, 2), 0u);
}

TEST(WaveDiskWriter, InputBeyondFullScaleIsClamped)
{
    CWaveDiskWriter writer;
    const std::vector<float> left = {1.5f, -1.5f, 1.0f, -1.0f, 1e9f, NAN};
    const std::vector<float> right = {2.0f, -2.0f, 0.5f, 0.0f, -1e9f, 0.0f};
    ASSERT_TRUE(writer.AppendFloat(left.data(), right.data(), uint32_t(left.size()), 2));
    EXPECT_EQ(readSamples(writer, 12),
              (std::vector<int16_t>{32767, 32767, -32767, -32767, 32767, 16383, -32767, 0, 32767, -32767, 0, 0}));
    // One channel goes to both sides of the stereo file.
    ASSERT_TRUE(writer.AppendFloat(left.data(), nullptr, 1, 1));
    EXPECT_EQ(readSamples(writer, 2), (std::vector<int16_t>{32767, 32767}));
}

TEST(WaveDiskWriter, StopsAtTheSizeLimitAndKeepsTheFileValid)
{
    TempDir dir;
    const auto path = dir.path() / "full.wav";
    CWaveDiskWriter writer(400);
    std::string reason;
    ASSERT_TRUE(writer.Open(path, kWriterRate, reason)) << reason;
    const std::vector<int16_t> frames(500, 7);
    ASSERT_TRUE(writer.Append(frames.data(), 1000));
    ASSERT_TRUE(writer.Close(reason)) << reason;
    EXPECT_EQ(writer.dataBytes(), 400u);
    EXPECT_EQ(writer.droppedBytes(), 600u);
    const Bytes file = readBytes(path);
    ASSERT_EQ(file.size(), 444u);
    EXPECT_EQ(u32At(file, 4), 436u);
    EXPECT_EQ(u32At(file, 40), 400u);
}

TEST(WaveDiskWriter, WriteErrorOfTheWriterThreadIsReturnedByClose)
{
    TempDir dir;
    CWaveDiskWriter writer;
    std::string reason;
    ASSERT_TRUE(writer.Open(dir.path() / "limited.wav", kWriterRate, reason)) << reason;
    // The process may write no file past 1000 bytes while this runs.
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = old;
    limited.rlim_cur = 1000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    const std::vector<int16_t> frames(2000, 5);
    ASSERT_TRUE(writer.Append(frames.data(), 4000));
    const bool closed = writer.Close(reason);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(closed);
    EXPECT_NE(reason.find("File too large"), std::string::npos) << reason;
    EXPECT_GT(writer.droppedBytes(), 0u);
}

} // namespace
} // namespace rz::test
