// Every message the playback tick sends is stamped with its own due time
// from the tempo map, not with the tick that happened to play it. The
// fixture's tick is 4166.7 µs, so events fall between the 2 ms timer ticks.

#include "song/tempo_map.h"
#include "tests/engine/transport_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

namespace rz {
namespace {

using test::note;

constexpr double kTickUs = 500000.0 / 120.0;

struct Stamped {
    std::string hex;
    double us; // the stamp, µs after the first message's
};

// The messages "Synth" received whose hex starts with `prefix`, with their
// stamps relative to the first of them.
std::vector<Stamped> stampsOf(const RecordingMidiDevice& device, const std::string& prefix)
{
    std::vector<Stamped> found;
    TickTime first{};
    for (const RecordingMidiDevice::Message& message : device.messages()) {
        std::string hex;
        for (uint8_t byte : message.bytes) {
            static const char* digits = "0123456789ABCDEF";
            if (!hex.empty())
                hex += ' ';
            hex += digits[byte >> 4];
            hex += digits[byte & 15];
        }
        if (hex.rfind(prefix, 0) != 0)
            continue;
        if (found.empty())
            first = message.stamp;
        found.push_back({hex, std::chrono::duration<double, std::micro>(message.stamp - first).count()});
    }
    return found;
}

using TransportDueTime = TransportTest;

TEST_F(TransportDueTime, NotesAreStampedWithTheirTempoMapTimesAtTheMultiplierAcrossATempoChange)
{
    init();
    // Ticks 0, 1, 5, 7, 31 and 40 before the change at 240; 241 and 250 after it.
    makeSongWith({note(0, 60, 90, 1), note(5, 62, 90, 2), note(31, 64, 90, 9),
                  note(241, 65, 90, 9), note(900, 72, 90, 9)});
    TempoEntry change;
    change.tick = 240;
    change.setTempo(300000);
    song->tempoMap.push_back(change);
    song->RecalcTempoTimes(); // the change lies at 1000000 µs
    const struct {
        int32_t multiplier;
    } cases[] = {{100000}, {150000}, {70000}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.multiplier);
        sequencer->Stop(false);
        output("Synth").clear();
        sequencer->setTempoMultiplier(c.multiplier);
        startAt(0);
        ASSERT_TRUE(runUntilPosition(260));
        const std::vector<Stamped> ons = stampsOf(output("Synth"), "9");
        const double wallPerSong = 100000.0 / c.multiplier;
        const double after = 1000000.0 + 300000.0 / 120.0; // tick 241
        const struct {
            std::string hex;
            double songUs;
        } expected[] = {
            {"90 3C 5A", 0.0},           {"90 3C 00", kTickUs},        {"90 3E 5A", 5 * kTickUs},
            {"90 3E 00", 7 * kTickUs},   {"90 40 5A", 31 * kTickUs},   {"90 40 00", 40 * kTickUs},
            {"90 41 5A", after},         {"90 41 00", after + 9 * 300000.0 / 120.0},
        };
        ASSERT_EQ(ons.size(), std::size(expected)) << "nothing after tick 250 yet";
        for (size_t i = 0; i < ons.size(); ++i) {
            EXPECT_EQ(ons[i].hex, expected[i].hex) << i;
            EXPECT_NEAR(ons[i].us, expected[i].songUs * wallPerSong, 0.01) << expected[i].hex;
        }
    }
}

TEST_F(TransportDueTime, ClocksAndClicksAreStampedWithTheirOwnTimes)
{
    profile.writeInt("SyncOptions", "MasterSlave", 1);
    profile.writeInt("SyncOptions", "Protocol", 0);
    profile.writeInt("ClickOptions", "Enabled", 1);
    init();
    makeSongWith({note(1900, 60, 90, 10)});
    output("Synth").clear();
    startAt(0);
    ASSERT_TRUE(runUntilPosition(500));
    // A clock every 5 ticks (20833.3 µs), a click every quarter.
    const std::vector<Stamped> clocks = stampsOf(output("Synth"), "F8");
    ASSERT_GE(clocks.size(), 24u);
    for (size_t i = 0; i < clocks.size(); ++i)
        EXPECT_NEAR(clocks[i].us, double(i) * 5 * kTickUs, 0.01) << "clock " << i;
    const std::vector<Stamped> clicks = stampsOf(output("Synth"), "99 25");
    ASSERT_EQ(clicks.size(), 10u) << "five clicks, each on and off";
    for (size_t i = 0; i < clicks.size(); ++i)
        EXPECT_NEAR(clicks[i].us, double(i / 2) * 120 * kTickUs, 0.01) << clicks[i].hex;
}

TEST_F(TransportDueTime, QuarterFramesAreStampedAQuarterFrameApart)
{
    profile.writeInt("SyncOptions", "MasterSlave", 1);
    profile.writeInt("SyncOptions", "Protocol", 1);
    profile.writeInt("SyncOptions", "SMPTE", 0); // 24 frames per second
    init();
    makeSongWith({note(1900, 60, 90, 10)});
    output("Synth").clear();
    startAt(0);
    ASSERT_TRUE(runUntilPosition(100));
    const std::vector<Stamped> pieces = stampsOf(output("Synth"), "F1");
    ASSERT_GE(pieces.size(), 16u);
    for (size_t i = 0; i < pieces.size(); ++i)
        EXPECT_NEAR(pieces[i].us, double(i) * 1e6 / 24.0 / 4.0, 0.01) << "piece " << i;
}

// The timer thread held up for 150 ms while ticks 24..60 fell due. Note 64
// (ticks 10-30) ended meanwhile, 65 (30-130) is still sounding, 67 (40-45)
// began and ended inside the gap; 72 comes at 150, after it, and 50 at
// 400 keeps the song going.
TEST_F(TransportDueTime, AfterAStallTheSongGoesOnWhereItsClockSays)
{
    init();
    makeSongWith({note(0, 60, 90, 1), note(10, 64, 90, 20), note(30, 65, 90, 100), note(40, 67, 90, 5),
                  note(150, 72, 90, 5), note(400, 50, 90, 5)});
    startAt(0);
    ASSERT_TRUE(runUntilPosition(24));
    const auto clockUs = [&] { return double(timer.clock().nowMs()) * 1000.0; };
    const double songAhead = sequencer->realTime() - clockUs();
    const size_t before = stampsOf(output("Synth"), "9").size();

    timer.stall(150);
    runTicks(1);
    EXPECT_NEAR(sequencer->realTime() - clockUs(), songAhead, 1.0) << "the song fell behind its clock";
    EXPECT_NEAR(sequencer->position(), 60, 1);
    ASSERT_TRUE(runUntilPosition(200));

    const std::vector<Stamped> sent = stampsOf(output("Synth"), "9");
    const auto find = [&](const std::string& hex) {
        return std::find_if(sent.begin() + std::ptrdiff_t(before), sent.end(),
                            [&](const Stamped& s) { return s.hex == hex; });
    };
    EXPECT_NE(find("90 40 00"), sent.end()) << "the note that ended in the gap ends";
    ASSERT_NE(find("90 41 5A"), sent.end()) << "the note still sounding is struck";
    EXPECT_GE(find("90 41 5A")->us, 24 * kTickUs) << "at once, after the gap";
    EXPECT_TRUE(find("90 43 5A") == sent.end()) << "a note begun and ended in the gap";
    ASSERT_NE(find("90 48 5A"), sent.end());
    EXPECT_NEAR(find("90 48 5A")->us, 150 * kTickUs, 1.0) << "the rest keeps its stamps";
}

} // namespace
} // namespace rz
