#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace rz {

// Sample types of audio device buffers, numbered as the published
// low-latency driver interface numbers them. The engine works in 32-bit
// floats at full scale ±1.0; these are what devices hand over or take.
enum SampleType : int32_t {
    ASIOSTInt16MSB = 0,
    ASIOSTInt24MSB = 1,
    ASIOSTInt32MSB = 2,
    ASIOSTFloat32MSB = 3,
    ASIOSTFloat64MSB = 4,
    ASIOSTInt32MSB16 = 8,
    ASIOSTInt32MSB18 = 9,
    ASIOSTInt32MSB20 = 10,
    ASIOSTInt32MSB24 = 11,
    ASIOSTInt16LSB = 16,
    ASIOSTInt24LSB = 17,
    ASIOSTInt32LSB = 18,
    ASIOSTFloat32LSB = 19,
    ASIOSTFloat64LSB = 20,
    ASIOSTInt32LSB16 = 24,
    ASIOSTInt32LSB18 = 25,
    ASIOSTInt32LSB20 = 26,
    ASIOSTInt32LSB24 = 27,
};

// Bytes one sample of the type takes in a device buffer; 0 for a type this
// layer does not convert.
size_t SampleBytes(int32_t type);

// Device samples into floats. A big-endian (MSB) device buffer is
// byte-swapped in place first, so `device` is written for those types. A
// type this layer does not convert touches neither buffer; answers whether
// it converted. Realtime safe: no allocation, no locks.
bool ConvertToFloat(int32_t type, void* device, float* out, size_t count);

// Floats into device samples, each clamped to ±1.0 first (32-bit floats are
// copied as they are); integers truncate toward zero. A type this layer does
// not convert leaves `device` unwritten; answers whether it converted.
// Realtime safe.
bool ConvertFromFloat(int32_t type, const float* in, void* device, size_t count);

// An ALSA PCM format (snd_pcm_format_t) and the sample type it converts as.
struct AlsaSampleFormat {
    int alsaFormat;
    SampleType type;
};

// The ALSA formats the audio devices can use, most preferred first: 32-bit
// float, then the integer formats by width, little-endian before big-endian.
std::span<const AlsaSampleFormat> AlsaSampleFormats();

// The sample type of an ALSA format; none for a format not in the table.
std::optional<SampleType> SampleTypeOfAlsaFormat(int alsaFormat);

} // namespace rz
