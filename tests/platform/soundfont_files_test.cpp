// Reading SoundFonts and wave patches: the preset-header rewrite that loads
// one preset alone, the SoundFont's name and 16-bit wave patches.

#include "platform/soundfont_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <unistd.h>

namespace rz {
namespace {

using Bytes = std::vector<uint8_t>;

// A SoundFont of three presets: (0, 0) "Piano", (0, 1) "Bright", (128, 0)
// "Kit", then the list's end record.
Bytes tinySoundFont()
{
    std::ifstream in(std::filesystem::path(RZ_FIXTURE_DIR) / "sf2/tiny.sf2", std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The preset headers as (bank, preset) pairs, end record included.
std::vector<std::pair<int, int>> presetHeaders(const Bytes& bytes)
{
    const std::string text(bytes.begin(), bytes.end());
    const size_t at = text.find("phdr");
    EXPECT_NE(at, std::string::npos);
    const size_t length = bytes[at + 4] | (bytes[at + 5] << 8);
    std::vector<std::pair<int, int>> headers;
    for (size_t record = at + 8; record + 38 <= at + 8 + length; record += 38)
        headers.emplace_back(bytes[record + 22] | (bytes[record + 23] << 8),
                             bytes[record + 20] | (bytes[record + 21] << 8));
    return headers;
}

TEST(SoundFontBanksFiles, OnePresetMovesToItsTargetAndTheOthersOutOfReach)
{
    Bytes bytes = tinySoundFont();
    ASSERT_FALSE(bytes.empty());
    const Bytes before = bytes;
    ASSERT_EQ(movePresetAlone(bytes, {0, 1}, {5, 10}), Sf2Problem::None);
    ASSERT_EQ(bytes.size(), before.size());
    const auto headers = presetHeaders(bytes);
    ASSERT_EQ(headers.size(), 4u);
    EXPECT_EQ(headers[0], std::pair(int(kUnreachableBank), 0));
    EXPECT_EQ(headers[1], std::pair(5, 10));
    EXPECT_EQ(headers[2], std::pair(int(kUnreachableBank), 0));
    EXPECT_EQ(headers[3], presetHeaders(before)[3]) << "the end record is left alone";
    EXPECT_EQ(soundFontName(bytes), "Tiny Bank");
}

TEST(SoundFontBanksFiles, APercussionPresetCanBeChosen)
{
    Bytes bytes = tinySoundFont();
    ASSERT_EQ(movePresetAlone(bytes, {kPercussionBank, 0}, {kPercussionBank, 3}), Sf2Problem::None);
    EXPECT_EQ(presetHeaders(bytes)[2], std::pair(kPercussionBank, 3));
}

TEST(SoundFontBanksFiles, RefusedFilesStayUntouched)
{
    const Bytes tiny = tinySoundFont();
    ASSERT_FALSE(tiny.empty());
    auto withLength = [&](size_t at, uint32_t length) {
        Bytes bytes = tiny;
        for (int i = 0; i < 4; ++i)
            bytes[at + size_t(i)] = uint8_t(length >> (8 * i));
        return bytes;
    };
    const size_t phdrLength = std::string(tiny.begin(), tiny.end()).find("phdr") + 4;
    struct Case {
        const char* what;
        Bytes bytes;
        SoundFontLocation source;
        Sf2Problem problem;
    };
    const std::vector<Case> cases{
        {"empty", {}, {0, 0}, Sf2Problem::NotSoundFont},
        {"cut in the header", Bytes(tiny.begin(), tiny.begin() + 10), {0, 0}, Sf2Problem::NotSoundFont},
        {"cut in the presets", Bytes(tiny.begin(), tiny.end() - 40), {0, 0}, Sf2Problem::NotSoundFont},
        {"RIFF longer than the file", withLength(4, 0xFFFFFFF0), {0, 0}, Sf2Problem::NotSoundFont},
        {"phdr longer than its list", withLength(phdrLength, 4000), {0, 0}, Sf2Problem::NotSoundFont},
        {"phdr of one record", withLength(phdrLength, 38), {0, 0}, Sf2Problem::NotSoundFont},
        {"no such preset", tiny, {0, 2}, Sf2Problem::NoSuchPreset},
        {"the end record is no preset", tiny, {0, 3}, Sf2Problem::NoSuchPreset},
    };
    for (const Case& c : cases) {
        Bytes bytes = c.bytes;
        EXPECT_EQ(movePresetAlone(bytes, c.source, {1, 1}), c.problem) << c.what;
        EXPECT_EQ(bytes, c.bytes) << c.what;
    }
}

TEST(SoundFontBanksFiles, TheHeadOfAFileGivesItsNameWithoutTheRest)
{
    const auto folder = std::filesystem::temp_directory_path();
    const Bytes tiny = tinySoundFont();
    struct Case {
        const char* what;
        Bytes bytes;
        bool soundFont;
        const char* name;
    };
    const std::vector<Case> cases{
        {"whole", tiny, true, "Tiny Bank"},
        {"cut short", Bytes(tiny.begin(), tiny.end() - 2), false, ""},
        {"text", Bytes{'h', 'e', 'l', 'l', 'o'}, false, ""},
    };
    for (const Case& c : cases) {
        const auto path = folder / ("soundfont-head-" + std::to_string(::getpid()) + ".sf2");
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(c.bytes.data()), std::streamsize(c.bytes.size()));
        const SoundFontHead head = readSoundFontHead(path);
        EXPECT_EQ(head.isSoundFont, c.soundFont) << c.what;
        EXPECT_EQ(head.name, c.name) << c.what;
        std::filesystem::remove(path);
    }
    EXPECT_FALSE(readSoundFontHead(folder / "no-such-soundfont.sf2").isSoundFont);
}

TEST(SoundFontBanksFiles, WavePatchesAreMixedToOneChannel)
{
    const Bytes stereo{'R', 'I', 'F', 'F', 44, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ',
                       16, 0, 0, 0, 1, 0, 2, 0, 0x22, 0x56, 0, 0, 0x88, 0x58, 0x01, 0,
                       4, 0, 16, 0, 'd', 'a', 't', 'a', 8, 0, 0, 0,
                       0xE8, 0x03, 0xD0, 0x07, 0x18, 0xFC, 0x30, 0xF8}; // (1000, 2000), (-1000, -2000)
    std::string reason;
    const auto sound = readWavePatch(stereo, reason);
    ASSERT_TRUE(sound) << reason;
    EXPECT_EQ(sound->sampleRate, 22050);
    EXPECT_EQ(sound->samples, (std::vector<int16_t>{1500, -1500}));

    Bytes eightBit = stereo;
    eightBit[34] = 8;
    EXPECT_FALSE(readWavePatch(eightBit, reason));
    EXPECT_FALSE(reason.empty());
}

} // namespace
} // namespace rz
