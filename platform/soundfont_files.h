#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace rz {

// A bank and a preset (from 0) as the synthesizer selects them.
struct SoundFontLocation {
    int bank = 0;
    int preset = 0;
    friend bool operator==(const SoundFontLocation&, const SoundFontLocation&) = default;
};

// FluidSynth's drum bank, where a card keeps its percussive bank 0x8000.
inline constexpr int kPercussionBank = 128;
// Where presets go that no program is to reach: above the 14 bits of a bank
// select and the drum bank, and above what any listing shows.
inline constexpr uint16_t kUnreachableBank = 0xFFFF;

enum class Sf2Problem {
    None,
    NotSoundFont, // not a RIFF "sfbk", or a chunk runs past the bytes
    NoSuchPreset,
};

// Rewrites the preset headers of the SoundFont in `bytes` so that preset
// `source` sits at `target` and every other one at kUnreachableBank. The
// bytes stay untouched unless the answer is None.
Sf2Problem movePresetAlone(std::vector<uint8_t>& bytes, SoundFontLocation source,
                           SoundFontLocation target);

// Whether the bytes are a RIFF "sfbk" with preset data, every chunk inside
// its bounds.
bool isSoundFont(std::span<const uint8_t> bytes);

// The SoundFont's own name ("INAM"); empty when it has none or is no SoundFont.
std::string soundFontName(std::span<const uint8_t> bytes);

// What the start of a SoundFont file tells, read without its samples (a GM
// SoundFont may be well over 100 MB): whether it looks like one (a RIFF
// "sfbk" no longer than the file) and its name.
struct SoundFontHead {
    bool isSoundFont = false;
    std::string name;
};
SoundFontHead readSoundFontHead(const std::filesystem::path& path);

// A wave patch's sound: one channel of 16-bit samples.
struct WavePatchSound {
    int sampleRate = 0;
    std::vector<int16_t> samples;
};

// A RIFF "WAVE" of 16-bit PCM at any rate, mono or stereo (mixed to mono);
// nothing, with the reason, otherwise.
std::optional<WavePatchSound> readWavePatch(std::span<const uint8_t> bytes, std::string& reason);

} // namespace rz
