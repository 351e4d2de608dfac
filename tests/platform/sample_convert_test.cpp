// Conversions between the engine's floats and device sample types.

#include "platform/sample_convert.h"

#include <gtest/gtest.h>

#include <alsa/asoundlib.h>

#include <array>
#include <cstring>
#include <vector>

namespace rz {
namespace {

TEST(SampleConvert, Int16OutputTruncatesTowardZero)
{
    const std::array<float, 4> in = {1.0f, -1.0f, 0.0f, 0.5f};
    std::array<int16_t, 4> out{};
    ASSERT_TRUE(ConvertFromFloat(ASIOSTInt16LSB, in.data(), out.data(), in.size()));
    EXPECT_EQ(out, (std::array<int16_t, 4>{32767, -32768, 0, 16383}));
}

TEST(SampleConvert, Int16InputIsCentredOnHalfAStep)
{
    std::array<int16_t, 3> in = {32767, -32768, 0};
    std::array<float, 3> out{};
    ASSERT_TRUE(ConvertToFloat(ASIOSTInt16LSB, in.data(), out.data(), in.size()));
    EXPECT_NEAR(out[0], 0.99999988f, 1e-7f);
    EXPECT_NEAR(out[1], -0.99999988f, 1e-7f);
    EXPECT_NEAR(out[2], 1.5259e-05f, 1e-9f);
}

TEST(SampleConvert, OutputClampsBeyondFullScale)
{
    const std::array<float, 2> in = {3.0f, -7.5f};
    std::array<int16_t, 2> out{};
    ConvertFromFloat(ASIOSTInt16LSB, in.data(), out.data(), in.size());
    EXPECT_EQ(out, (std::array<int16_t, 2>{32767, -32768}));
}

// Every listed type carries a signal there and back within one step of its
// resolution; the big-endian ones also store the bytes the other way round.
TEST(SampleConvert, EveryTypeRoundTrips)
{
    struct Case {
        int32_t type;
        float step;
    };
    const std::vector<Case> cases = {
        {ASIOSTInt16LSB, 1.0f / 32768},   {ASIOSTInt24LSB, 1.0f / 8388608},
        {ASIOSTInt32LSB, 1.0f / 8388608}, {ASIOSTInt32LSB16, 1.0f / 32768},
        {ASIOSTInt32LSB18, 1.0f / 131072}, {ASIOSTInt32LSB20, 1.0f / 524288},
        {ASIOSTInt32LSB24, 1.0f / 8388608}, {ASIOSTFloat32LSB, 0.0f},
        {ASIOSTFloat64LSB, 0.0f},         {ASIOSTInt16MSB, 1.0f / 32768},
        {ASIOSTInt24MSB, 1.0f / 8388608}, {ASIOSTInt32MSB, 1.0f / 8388608},
        {ASIOSTFloat32MSB, 0.0f},         {ASIOSTFloat64MSB, 0.0f},
        {ASIOSTInt32MSB16, 1.0f / 32768}, {ASIOSTInt32MSB18, 1.0f / 131072},
        {ASIOSTInt32MSB20, 1.0f / 524288}, {ASIOSTInt32MSB24, 1.0f / 8388608},
    };
    const std::vector<float> signal = {0.0f, 0.25f, -0.25f, 0.7071f, -0.999f, 0.999f, 1e-4f};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        const size_t width = SampleBytes(c.type);
        ASSERT_GT(width, 0u);
        std::vector<uint8_t> device(signal.size() * width);
        std::vector<float> back(signal.size());
        ASSERT_TRUE(ConvertFromFloat(c.type, signal.data(), device.data(), signal.size()));
        ASSERT_TRUE(ConvertToFloat(c.type, device.data(), back.data(), signal.size()));
        for (size_t i = 0; i < signal.size(); ++i)
            EXPECT_NEAR(back[i], signal[i], c.step * 1.5f + 1e-7f) << "sample " << i;
    }
}

TEST(SampleConvert, BigEndianTypesStoreTheHighByteFirst)
{
    const float half = 0.5f;
    std::array<uint8_t, 3> packed{};
    ConvertFromFloat(ASIOSTInt24MSB, &half, packed.data(), 1);
    EXPECT_EQ(packed, (std::array<uint8_t, 3>{0x3F, 0xFF, 0xFF})); // 4194303
    std::array<uint8_t, 2> word{};
    ConvertFromFloat(ASIOSTInt16MSB, &half, word.data(), 1);
    EXPECT_EQ(word, (std::array<uint8_t, 2>{0x3F, 0xFF}));         // 16383
}

TEST(SampleConvert, UnlistedTypesTouchNothing)
{
    for (int32_t type : {5, 6, 7, 12, 15, 21, 23, 28, 64, -1}) {
        SCOPED_TRACE(type);
        std::array<uint8_t, 16> device;
        device.fill(0xA5);
        std::array<float, 4> floats = {0.1f, 0.2f, 0.3f, 0.4f};
        const auto deviceBefore = device;
        const auto floatsBefore = floats;
        EXPECT_FALSE(ConvertToFloat(type, device.data(), floats.data(), floats.size()));
        EXPECT_FALSE(ConvertFromFloat(type, floats.data(), device.data(), floats.size()));
        EXPECT_EQ(device, deviceBefore);
        EXPECT_EQ(std::memcmp(floats.data(), floatsBefore.data(), sizeof floats), 0);
    }
}

TEST(SampleConvert, AlsaFormatsMapOntoSampleTypes)
{
    EXPECT_EQ(SampleTypeOfAlsaFormat(SND_PCM_FORMAT_S24_LE), ASIOSTInt32LSB24);
    EXPECT_EQ(SampleTypeOfAlsaFormat(SND_PCM_FORMAT_S24_3BE), ASIOSTInt24MSB);
    EXPECT_EQ(SampleTypeOfAlsaFormat(SND_PCM_FORMAT_U8), std::nullopt);
    // Each entry's sample width is the one ALSA gives its format.
    for (const AlsaSampleFormat& format : AlsaSampleFormats())
        EXPECT_EQ(SampleBytes(format.type) * 8,
                  size_t(snd_pcm_format_physical_width(snd_pcm_format_t(format.alsaFormat))))
            << snd_pcm_format_name(snd_pcm_format_t(format.alsaFormat));
}

} // namespace
} // namespace rz
