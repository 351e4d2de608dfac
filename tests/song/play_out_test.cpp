#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

#include "core/locks.h"
#include "song/play_out_state.h"
#include "tests/song/play_test_song.h"
#include "tests/support/alloc_counter/alloc_counter.h"
#include "tests/support/lock_holder.h"

namespace rz {
namespace {

using test::controller;
using test::note;
using test::PlayTestSong;

// An FF 7F "dr" record of id '2': the instrument's name, a zero, its state.
CMidiEvent instrumentState(int32_t tick, std::string_view name, std::string_view state)
{
    std::string record = "dr2";
    record += name;
    record += '\0';
    record += state;
    CMidiEvent event;
    event.tick = tick;
    event.SetMetaData(0x7F, std::span(reinterpret_cast<const uint8_t*>(record.data()), record.size()));
    return event;
}

TEST(PlayOut, ActivateSongSendsTickZeroSysExAndInstrumentState)
{
    PlayTestSong t;
    t.addTrack({test::sysex(0, {0x41, 0x10, 0xF7}), instrumentState(0, "Strings", "abc"),
                test::sysex(10, {0x43, 0xF7})});
    t.build();
    t.song->ActivateSong();
    ASSERT_EQ(t.port.sysex.size(), 1u);
    EXPECT_EQ(t.port.sysex[0], (std::vector<uint8_t>{0xF0, 0x41, 0x10, 0xF7}));
    EXPECT_TRUE(t.fixture.engine.log.contains("setInstrumentState(Strings,3)"));
    EXPECT_EQ(t.fixture.host.current, t.song.get());
    EXPECT_EQ(t.fixture.engine.log.calls().front(), "Stop(0)");
    EXPECT_EQ(t.fixture.host.log.calls().back(), "UpdateAllViews()");
    EXPECT_TRUE(t.fixture.host.log.contains("raiseTornOffWindows()"));
}

TEST(PlayOut, ActivateSongOnMutedTrackOrCurrentSongSendsNoStartUpData)
{
    PlayTestSong t;
    CTrack& track = t.addTrack({test::sysex(0, {0x41, 0xF7})});
    t.build();
    track.playEnabled = 0;
    t.song->ActivateSong();
    EXPECT_TRUE(t.port.sysex.empty());

    track.playEnabled = 1;
    t.fixture.host.log.clear();
    t.song->ActivateSong(); // already current: located and shown only
    EXPECT_TRUE(t.port.sysex.empty());
    EXPECT_EQ(t.fixture.host.log.calls(), std::vector<std::string>{"UpdateAllViews()"});
}

TEST(PlayOut, ActivateSongResetsPortsByTheAdvanceResetOption)
{
    struct Case {
        int option;
        std::vector<std::string> calls;
    } cases[] = {{0, {}},
                 {1, {"ResetPortChannelStates()", "ResetOutPorts()"}},
                 {2, {"SendSynthResets()"}}};
    for (const Case& c : cases) {
        PlayTestSong t;
        t.build();
        t.fixture.engine.advanceResetOption = c.option;
        t.song->ActivateSong();
        std::vector<std::string> resets;
        for (const std::string& call : t.fixture.engine.log.calls()) {
            if (call.find("Reset") != std::string::npos)
                resets.push_back(call);
        }
        EXPECT_EQ(resets, c.calls) << c.option;
    }
}

TEST(PlayOut, FaderDragSuppressesThatControllerOrKind)
{
    struct Case {
        FaderDrag drag;
        std::vector<uint32_t> sent;
    } cases[] = {
        {{0, 0xB0, 11}, {0x5000E0u, 0x2001B0u}},
        {{0, 0xE0, 0}, {0x400BB0u, 0x2001B0u}},
        {{1, 0xB0, 11}, {0x5000E0u, 0x400BB0u, 0x2001B0u}}, // another port
    };
    for (const Case& c : cases) {
        PlayTestSong t;
        t.addTrack({controller(10, 11, 64), controller(10, 1, 32), test::channelEvent(10, 0xE0, 0, 80)});
        t.build();
        t.song->Locate(0);
        t.fixture.engine.gui.setFaderDrag(c.drag);
        t.fixture.engine.playTime = t.song->TickToTime(10);
        t.song->PlayEventsUpTo();
        std::vector<uint32_t> sent = t.port.shortMessages;
        std::sort(sent.begin(), sent.end());
        std::vector<uint32_t> expected = c.sent;
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(sent, expected) << c.drag.port << " " << int(c.drag.kind);
    }
}

TEST(PlayOut, MutedTrackReadsButSendsNothing)
{
    PlayTestSong t;
    CTrack& track = t.addTrack({note(0, 60, 90, 10), note(20, 62, 90, 10), note(900, 64, 90, 10)});
    t.build();
    t.song->Locate(0);
    track.playEnabled = 0;
    t.fixture.engine.playTime = t.song->TickToTime(100);
    t.song->PlayEventsUpTo();
    EXPECT_TRUE(t.port.shortMessages.empty());
    EXPECT_EQ(track.nextTick, 900);
}

TEST(PlayOut, NotesCarryTheTrackTagAndVolumeIsScaled)
{
    PlayTestSong t;
    CTrack& track = t.addTrack({controller(10, 7, 127), note(10, 60, 90, 10)});
    track.volume = 200;
    t.build();
    t.song->Locate(0);
    t.fixture.engine.playTime = t.song->TickToTime(10);
    t.fixture.engine.master = 8192;
    t.fixture.engine.gui.setMasterFader(8192);
    t.song->PlayEventsUpTo();
    EXPECT_EQ(t.port.shortMessages,
              (std::vector<uint32_t>{0x7F07B0u, 0x90u | 60u << 8 | 90u << 16 | 1u << 24}));
    EXPECT_EQ(t.port.unscaledVolume(0), 127);
}

TEST(PlayOut, MasterFaderChangeReachesTheSequencer)
{
    PlayTestSong t;
    t.build();
    t.fixture.engine.gui.setMasterFader(1000);
    t.song->PlayEventsUpTo();
    EXPECT_TRUE(t.fixture.engine.log.contains("SetMasterVolume(1000)"));
}

TEST(PlayOut, SongPositionPointerTable)
{
    struct Case {
        int timeBase;
        int32_t tick, sixteenths;
    } cases[] = {
        {96, 0, 0},   {96, 24, 1},  {96, 96, 4},     {96, 95, 3},   {96, 10000000, 16383},
        {90, 45, 2},  {90, 22, 0},  {90, 23, 1},     {90, 90, 4},   {3, 1, 1},
        {3, 3, 4},    {3, 2, 2},    {1, 5000, 16383}, {96, -5, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(songPositionPointer(c.tick, c.timeBase), c.sixteenths)
            << c.timeBase << " " << c.tick;
}

TEST(PlayOut, LocateAsMasterSendsSongPositionOrTimeCode)
{
    PlayTestSong t;
    t.addTrack({note(2000, 60, 90, 10)});
    t.build();
    t.fixture.engine.sync = SyncOptions{0, 0, 1, 3};
    t.song->Locate(480);
    EXPECT_TRUE(t.fixture.engine.log.contains("SendSongPosition(16)"));

    t.fixture.engine.sync = SyncOptions{0, 1, 1, 3};
    t.song->Locate(480);
    EXPECT_TRUE(t.port.log.contains("SendMtcFullFrame(0:00:02:00)"));
}

TEST(PlayOut, TrackInitialSettingsAndVolume)
{
    PlayTestSong t;
    CTrack& track = t.addTrack({});
    t.build();
    track.outputPort = &t.port;
    track.patch = 5;
    track.bank = 2;
    track.volume = 200;
    track.initialControllers[1] = 127; // CC7
    track.initialControllers[0] = 20;  // CC10
    const VolumeScale scale{1.0, 16383};
    EXPECT_TRUE(track.SendInitialControllers(scale));
    EXPECT_EQ(t.port.program(0), 5);
    EXPECT_EQ(t.port.controllerValue(0, 7), 127); // 127 at 200 % stays 127
    EXPECT_EQ(t.port.controllerValue(0, 10), 20);
    const size_t sent = t.port.shortMessages.size();
    EXPECT_FALSE(track.SendInitialControllers(scale)) << "the port holds bank and program";
    EXPECT_EQ(t.port.shortMessages.size(), sent);

    track.SetVolume(50, scale);
    EXPECT_EQ(t.port.controllerValue(0, 7), 64);
    EXPECT_FLOAT_EQ(track.rightGain, 0.5f * 20.0f / 64.0f);
    EXPECT_FLOAT_EQ(track.leftGain, 0.5f);
}

TEST(PlayOut, ClipStartWaitsOutAnAudioLockTimeout)
{
    SongFixture fixture;
    SongContext context = fixture.context();
    context.lockWait = std::chrono::milliseconds(20);
    CSongDoc song(context);
    song.InitNewSong();
    CTrack& track = test::addUserTrack(song);
    track.type = kWaveTrack;
    CMidiEvent clipEvent;
    clipEvent.tick = 240;
    auto clip = std::make_unique<CAudioClip>();
    clip->fileName = "take.wav";
    clip->loaded = true;
    clip->length = 10000000; // 1 s in 100-ns units
    clipEvent.SetClip(std::move(clip));
    track.InsertEventSorted(clipEvent);
    RebuildPlayImages(song, false);
    song.ExtendMeasureMap();
    song.Locate(0);

    std::promise<void> held, release;
    std::thread holder([&] {
        LockGuard guard(AudioMutex(), "test");
        held.set_value();
        release.get_future().wait();
    });
    held.get_future().wait();
    fixture.engine.playTime = song.TickToTime(300);
    song.PlayEventsUpTo();
    EXPECT_TRUE(fixture.engine.clipList.empty()) << "nothing appended without the lock";
    release.set_value();
    holder.join();
    song.PlayEventsUpTo();
    ASSERT_EQ(fixture.engine.clipList.size(), 1u);
    EXPECT_EQ(fixture.engine.clipList[0].track, &track);
}

// However long the lock wait, a busy AudioMutex never holds up the tick: the
// clip start waits for a later tick instead.
TEST(PlayOut, ABusyAudioLockDoesNotHoldUpTheTick)
{
    SongFixture fixture;
    SongContext context = fixture.context();
    context.lockWait = std::chrono::milliseconds(60000);
    CSongDoc song(context);
    song.InitNewSong();
    CTrack& track = test::addUserTrack(song);
    track.type = kWaveTrack;
    CMidiEvent clipEvent;
    clipEvent.tick = 240;
    auto clip = std::make_unique<CAudioClip>();
    clip->fileName = "take.wav";
    clip->loaded = true;
    clip->length = 10000000; // 1 s in 100-ns units
    clipEvent.SetClip(std::move(clip));
    track.InsertEventSorted(clipEvent);
    RebuildPlayImages(song, false);
    song.ExtendMeasureMap();
    song.Locate(0);

    LockHolder holder(AudioMutex());
    fixture.engine.playTime = song.TickToTime(300);
    const auto started = std::chrono::steady_clock::now();
    song.PlayEventsUpTo();
    song.PlayEventsUpTo(); // the retry
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
    EXPECT_TRUE(fixture.engine.clipList.empty());
    holder.release();
    song.PlayEventsUpTo();
    EXPECT_EQ(fixture.engine.clipList.size(), 1u);
}

// A song gets its play-out buffers when it is located, not whenever its
// images are built: a song that is read and never played does not pay for
// them. A song with clips still gets its clip room with its images.
TEST(PlayOut, BuildingImagesWithoutClipsMakesNoPlayOutBuffers)
{
    SongFixture fixture;
    SongContext context = fixture.context();
    context.setLink = nullptr; // its fake logs the totals update
    CSongDoc song(context);
    song.tracks.push_back(std::make_unique<CTrack>());
    song.tracks.push_back(std::make_unique<CTrack>());
    AllocationCount counted;
    RebuildPlayImages(song, false);
    EXPECT_EQ(counted.value(), 0u);
}

} // namespace
} // namespace rz
