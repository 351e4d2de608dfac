// The song the end-to-end playback test plays: the fixture file reads as
// eight quarter notes at 120 per minute, and equals the bytes the serial
// program falls back to.

#include "song/smf_reader.h"
#include "tests/engine/quarters120_bytes.h"
#include "tests/engine/transport_fixture.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace rz {
namespace {

const std::filesystem::path kQuarters =
    std::filesystem::path(RZ_FIXTURE_DIR) / "engine/quarters120.mid";

using TransportFixtureSong = TransportTest;

TEST_F(TransportFixtureSong, Quarters120IsEightQuarterNotesOfKey60At120PerMinute)
{
    std::ifstream file(kQuarters, std::ios::binary);
    ASSERT_TRUE(file) << kQuarters;
    const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(file), {}};
    EXPECT_EQ(bytes, test::quarters120Bytes());

    profile.writeInt("OpenOptions", "WarnFormat", 0); // keeps format 0 without asking
    init();
    CSongDoc& read = makeSong();
    std::string reason;
    ASSERT_TRUE(OpenSong(read, kQuarters, reason)) << reason;
    EXPECT_EQ(read.timeBase, 480);
    ASSERT_FALSE(read.tempoMap.empty());
    EXPECT_EQ(read.tempoMap.front().tempo, 500000u);
    std::vector<std::pair<int32_t, int32_t>> notes; // tick, length
    for (size_t i = 1; i + 1 < read.tracks.size(); ++i) {
        for (const CMidiEvent& event : read.tracks[i]->events) {
            if ((event.message & 0xFFFF) == 0x3C90)
                notes.emplace_back(event.tick, event.value2);
        }
    }
    ASSERT_EQ(notes.size(), 8u);
    for (size_t i = 0; i < notes.size(); ++i) {
        EXPECT_EQ(notes[i].first, int32_t(i) * 480);
        EXPECT_EQ(notes[i].second, 240);
    }
}

} // namespace
} // namespace rz
