// Saved files read by an independent program: midicsv turns a Standard MIDI
// File into text, and its notes, tempos and meters must be the song's.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <tuple>

#include <gtest/gtest.h>

#include "saved_song.h"

namespace rz {
namespace {

using namespace test;

struct Note {
    int32_t start, channel, key, velocity, end;
    auto operator<=>(const Note&) const = default;
};
struct Tempo {
    int32_t tick, tempo;
    auto operator<=>(const Tempo&) const = default;
};
struct Meter {
    int32_t tick, numerator, denominator;
    auto operator<=>(const Meter&) const = default;
};

struct Contents {
    std::vector<Note> notes;
    std::vector<Tempo> tempos;
    std::vector<Meter> meters;
};

bool midicsvInstalled()
{
    return std::system("command -v midicsv > /dev/null 2>&1") == 0;
}

std::string runMidicsv(const std::filesystem::path& file)
{
    const std::string command = "midicsv '" + file.string() + "'";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr)
        return {};
    std::string text;
    char buffer[4096];
    while (size_t got = std::fread(buffer, 1, sizeof buffer, pipe))
        text.append(buffer, got);
    EXPECT_EQ(::pclose(pipe), 0) << command;
    return text;
}

// The fields of one CSV record, blanks trimmed.
std::vector<std::string> fields(const std::string& line)
{
    std::vector<std::string> result;
    std::istringstream in(line);
    for (std::string field; std::getline(in, field, ',');) {
        field.erase(0, field.find_first_not_of(' '));
        result.push_back(field);
    }
    return result;
}

Contents parseMidicsv(const std::string& text)
{
    Contents contents;
    std::vector<std::vector<size_t>> open(16 * 128); // sounding notes by channel and key
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        const std::vector<std::string> f = fields(line);
        if (f.size() < 4)
            continue;
        const int32_t tick = std::stoi(f[1]);
        const std::string& type = f[2];
        if (type == "Tempo") {
            contents.tempos.push_back({tick, std::stoi(f[3])});
        } else if (type == "Time_signature") {
            contents.meters.push_back({tick, std::stoi(f[3]), 1 << std::stoi(f[4])});
        } else if (type == "Note_on_c" || type == "Note_off_c") {
            const int32_t channel = std::stoi(f[3]), key = std::stoi(f[4]), velocity = std::stoi(f[5]);
            std::vector<size_t>& sounding = open[size_t(channel * 128 + key)];
            if (type == "Note_on_c" && velocity > 0) {
                sounding.push_back(contents.notes.size());
                contents.notes.push_back({tick, channel, key, velocity, -1});
            } else if (!sounding.empty()) {
                contents.notes[sounding.front()].end = tick;
                sounding.erase(sounding.begin());
            }
        }
    }
    std::sort(contents.notes.begin(), contents.notes.end());
    return contents;
}

// What the song says a file of it must hold.
Contents expectedContents(const CSongDoc& song)
{
    Contents contents;
    for (size_t i = 1; i + 1 < song.tracks.size(); ++i) {
        const CTrack& track = *song.tracks[i];
        for (const CMidiEvent& e : track.events) {
            if (!e.isNote())
                continue;
            int32_t key = e.data1() + track.key;
            while (key > 127)
                key -= 12;
            while (key < 0)
                key += 12;
            const int32_t velocity = std::clamp(e.data2() + track.velocityOffset, 1, 127);
            const int32_t channel = track.type == kMetaTrack ? e.kind() & 0x0F : track.channel;
            contents.notes.push_back({e.tick, channel, key, velocity, e.tick + e.value2});
        }
    }
    std::sort(contents.notes.begin(), contents.notes.end());
    for (const TempoEntry& entry : song.tempoMap)
        contents.tempos.push_back({entry.tick, int32_t(entry.tempo)});
    for (const MeasureRec& m : song.measureMap)
        if (contents.meters.empty() || contents.meters.back().numerator != m.numerator
            || contents.meters.back().denominator != m.denominator)
            contents.meters.push_back({m.start, m.numerator, m.denominator});
    return contents;
}

TEST(MidicsvOracle, SavedFilesHoldTheSongsNotesTemposAndMeters)
{
    if (!midicsvInstalled())
        GTEST_SKIP() << "midicsv is not installed (Debian package midicsv)";
    for (uint16_t format : {1, 0}) {
        SCOPED_TRACE(format);
        SongFixture fixture;
        std::unique_ptr<CSongDoc> song = richSong(fixture);
        song->format = format;
        TempDir dir;
        const std::filesystem::path file = dir.path() / "rich.mid";
        writeBytes(file, songBytes(*song));
        const std::string text = runMidicsv(file);
        EXPECT_NE(text.find("0, 0, Header, " + std::to_string(format)), std::string::npos) << text;
        const Contents actual = parseMidicsv(text);
        const Contents expected = expectedContents(*song);
        ASSERT_EQ(expected.notes.size(), 5u);
        EXPECT_EQ(actual.notes, expected.notes);
        EXPECT_EQ(actual.tempos, expected.tempos);
        EXPECT_EQ(actual.meters, expected.meters);
    }
}

} // namespace
} // namespace rz
