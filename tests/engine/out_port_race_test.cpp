#include "out_port_fixture.h"

#include <atomic>
#include <map>
#include <thread>

namespace rz {
namespace {

using OutPortRace = OutPortFixture;

// Plays `count` notes tagged `tag`, up to four sounding at once, over keys
// that the other player uses too.
void playTaggedNotes(COutPort& port, uint32_t tag, int count)
{
    constexpr int kPolyphony = 4;
    for (int i = 0; i < count + kPolyphony; ++i) {
        if (i < count)
            port.SendShort(noteOn(0, 60 + i % 12, 100, tag));
        if (i >= kPolyphony)
            port.SendShort(noteOff(0, 60 + (i - kPolyphony) % 12, tag));
        if (i % 16 == 0)
            port.SendShort(ctrl(0, 7, int(tag)));
    }
}

TEST_F(OutPortRace, TwoPlayersOnOnePortEndEveryNoteExactlyOnce)
{
    constexpr int kNotes = 2000;
    std::atomic<bool> done{false};
    std::atomic<int> badReads{0};
    // Cache reads never wait and only ever see a value some player wrote.
    std::thread reader([&] {
        while (!done.load()) {
            const int volume = port->controllerValue(0, 7);
            if (volume != -1 && volume != 1 && volume != 2)
                badReads.fetch_add(1);
        }
    });
    std::thread first([&] { playTaggedNotes(*port, 1, kNotes); });
    std::thread second([&] { playTaggedNotes(*port, 2, kNotes); });
    first.join();
    second.join();
    done.store(true);
    reader.join();

    EXPECT_EQ(badReads.load(), 0);
    EXPECT_TRUE(port->heldNotes().empty());
    std::map<uint8_t, int> sounding;
    int noteOns = 0;
    for (const RecordingMidiDevice::Message& message : device->messages()) {
        if (message.bytes.size() != 3 || message.bytes[0] != 0x90)
            continue;
        const uint8_t key = message.bytes[1];
        if (message.bytes[2] != 0) {
            ++sounding[key];
            ++noteOns;
        } else {
            ASSERT_GT(sounding[key], 0) << "a note-off for a key that was not sounding";
            --sounding[key];
        }
    }
    EXPECT_EQ(noteOns, 2 * kNotes);
    for (const auto& [key, count] : sounding)
        EXPECT_EQ(count, 0) << "key " << int(key);
}

} // namespace
} // namespace rz
