#include "platform/sample_convert.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

#include <alsa/asoundlib.h>

namespace rz {
namespace {

static_assert(std::endian::native == std::endian::little, "device buffers are read as little-endian");

constexpr double kInt16In = 3.05180401483085e-05;   // 1 / 32767.5
constexpr double kInt16Out = 32767.505859375;
constexpr double k24BitIn = 1.0 / 8388608.0;        // 2^-23
constexpr double k24BitOut = 8388608.0;

// Every big-endian type listed has its little-endian twin 16 numbers on.
constexpr int32_t kMsbToLsb = 16;

bool isListedMsb(int32_t type)
{
    return (type >= ASIOSTInt16MSB && type <= ASIOSTFloat64MSB)
           || (type >= ASIOSTInt32MSB16 && type <= ASIOSTInt32MSB24);
}

// Significant bits of the 32-bit integer containers.
int int32Bits(int32_t type)
{
    switch (type) {
    case ASIOSTInt32LSB: return 32;
    case ASIOSTInt32LSB16: return 16;
    case ASIOSTInt32LSB18: return 18;
    case ASIOSTInt32LSB20: return 20;
    case ASIOSTInt32LSB24: return 24;
    default: return 0;
    }
}

// Clamps to [-1, 1]; NaN becomes silence rather than an undefined cast.
double clampUnit(float x)
{
    if (x > -1.0f && x < 1.0f)
        return x;
    return x >= 1.0f ? 1.0 : (x <= -1.0f ? -1.0 : 0.0);
}

// The clamped value as a 24-bit integer, truncated toward zero.
int32_t to24Bit(float x)
{
    return int32_t(clampUnit(x) * k24BitOut - 0.5);
}

void swapInPlace(uint8_t* bytes, size_t width, size_t count)
{
    for (size_t i = 0; i < count; ++i, bytes += width)
        std::reverse(bytes, bytes + width);
}

template <class T>
T load(const uint8_t* at)
{
    T value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

template <class T>
void store(uint8_t* at, T value)
{
    std::memcpy(at, &value, sizeof value);
}

int32_t load24(const uint8_t* at)
{
    const uint32_t raw = uint32_t(at[0]) | uint32_t(at[1]) << 8 | uint32_t(at[2]) << 16;
    return int32_t(raw << 8) >> 8; // sign-extends bit 23
}

void store24(uint8_t* at, int32_t value)
{
    at[0] = uint8_t(value);
    at[1] = uint8_t(value >> 8);
    at[2] = uint8_t(value >> 16);
}

// A 32-bit container with `bits` significant bits, scaled to 24 bits.
double int32To24(int32_t x, int bits)
{
    const int64_t wide = x;
    return double(bits >= 24 ? wide >> (bits - 24) : wide * (int64_t(1) << (24 - bits)));
}

int32_t int24To32(int32_t value, int bits)
{
    return bits >= 24 ? int32_t(int64_t(value) * (int64_t(1) << (bits - 24)))
                      : value >> (24 - bits);
}

void littleToFloat(int32_t type, const uint8_t* in, float* out, size_t count)
{
    const size_t width = SampleBytes(type);
    for (size_t i = 0; i < count; ++i, in += width) {
        switch (type) {
        case ASIOSTInt16LSB: out[i] = float((load<int16_t>(in) + 0.5) * kInt16In); break;
        case ASIOSTInt24LSB: out[i] = float((load24(in) + 0.5) * k24BitIn); break;
        case ASIOSTFloat32LSB: out[i] = load<float>(in); break;
        case ASIOSTFloat64LSB: out[i] = float(load<double>(in)); break;
        default: out[i] = float((int32To24(load<int32_t>(in), int32Bits(type)) + 0.5) * k24BitIn); break;
        }
    }
}

void floatToLittle(int32_t type, const float* in, uint8_t* out, size_t count)
{
    const size_t width = SampleBytes(type);
    for (size_t i = 0; i < count; ++i, out += width) {
        switch (type) {
        case ASIOSTInt16LSB: store(out, int16_t(clampUnit(in[i]) * kInt16Out - 0.5)); break;
        case ASIOSTInt24LSB: store24(out, to24Bit(in[i])); break;
        case ASIOSTFloat32LSB: store(out, in[i]); break;
        case ASIOSTFloat64LSB: store(out, clampUnit(in[i])); break;
        default: store(out, int24To32(to24Bit(in[i]), int32Bits(type))); break;
        }
    }
}

constexpr std::array kAlsaFormats = {
    AlsaSampleFormat{SND_PCM_FORMAT_FLOAT_LE, ASIOSTFloat32LSB},
    AlsaSampleFormat{SND_PCM_FORMAT_FLOAT_BE, ASIOSTFloat32MSB},
    AlsaSampleFormat{SND_PCM_FORMAT_S32_LE, ASIOSTInt32LSB},
    AlsaSampleFormat{SND_PCM_FORMAT_S32_BE, ASIOSTInt32MSB},
    AlsaSampleFormat{SND_PCM_FORMAT_S24_LE, ASIOSTInt32LSB24},
    AlsaSampleFormat{SND_PCM_FORMAT_S24_BE, ASIOSTInt32MSB24},
    AlsaSampleFormat{SND_PCM_FORMAT_S24_3LE, ASIOSTInt24LSB},
    AlsaSampleFormat{SND_PCM_FORMAT_S24_3BE, ASIOSTInt24MSB},
    AlsaSampleFormat{SND_PCM_FORMAT_S16_LE, ASIOSTInt16LSB},
    AlsaSampleFormat{SND_PCM_FORMAT_S16_BE, ASIOSTInt16MSB},
    AlsaSampleFormat{SND_PCM_FORMAT_FLOAT64_LE, ASIOSTFloat64LSB},
    AlsaSampleFormat{SND_PCM_FORMAT_FLOAT64_BE, ASIOSTFloat64MSB},
};

} // namespace

size_t SampleBytes(int32_t type)
{
    if (isListedMsb(type))
        type += kMsbToLsb;
    switch (type) {
    case ASIOSTInt16LSB: return 2;
    case ASIOSTInt24LSB: return 3;
    case ASIOSTInt32LSB:
    case ASIOSTFloat32LSB:
    case ASIOSTInt32LSB16:
    case ASIOSTInt32LSB18:
    case ASIOSTInt32LSB20:
    case ASIOSTInt32LSB24: return 4;
    case ASIOSTFloat64LSB: return 8;
    default: return 0;
    }
}

bool ConvertToFloat(int32_t type, void* device, float* out, size_t count)
{
    const size_t width = SampleBytes(type);
    if (width == 0)
        return false;
    auto* bytes = static_cast<uint8_t*>(device);
    if (isListedMsb(type)) {
        swapInPlace(bytes, width, count);
        type += kMsbToLsb;
    }
    littleToFloat(type, bytes, out, count);
    return true;
}

bool ConvertFromFloat(int32_t type, const float* in, void* device, size_t count)
{
    const size_t width = SampleBytes(type);
    if (width == 0)
        return false;
    auto* bytes = static_cast<uint8_t*>(device);
    const bool msb = isListedMsb(type);
    floatToLittle(msb ? type + kMsbToLsb : type, in, bytes, count);
    if (msb)
        swapInPlace(bytes, width, count);
    return true;
}

std::span<const AlsaSampleFormat> AlsaSampleFormats()
{
    return kAlsaFormats;
}

std::optional<SampleType> SampleTypeOfAlsaFormat(int alsaFormat)
{
    for (const AlsaSampleFormat& format : kAlsaFormats)
        if (format.alsaFormat == alsaFormat)
            return format.type;
    return std::nullopt;
}

} // namespace rz
