// A set played from song to song by the whole program: [A, B disabled, C]
// in performance mode, "AdvanceWait" 500 and "AdvancePlay" 1. A plays to its
// end, the countdown shows and C starts by itself; Play/Stop during the
// countdown keeps A. Once on a JACK dummy server of the test's own with the
// engine's real timer, once on the manual timer with a recording device and
// the frame's timers fired by hand. Alone (RUN_SERIAL), as every JACK test.

#include "app/file_opening.h"
#include "app_test_fixture.h"

#include "app/flat_status_bar.h"
#include "app/frame_timers.h"
#include "engine/sequencer.h"
#include "engine/sequencer_devices.h"
#include "platform/midi_system.h"
#include "res/command_ids.h"
#include "set/set_file.h"
#include "tests/platform/midi_jack_fixture.h"
#include "tests/song/smf_builder.h"
#include "tests/support/eventually.h"
#include "tests/support/fake_sequencer_services.h"
#include "tests/support/manual_engine_timer.h"
#include "ui/command_router.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <chrono>
#include <fstream>

namespace rz {
namespace {

using test::SmfBuilder;
using test::TrackBuilder;

constexpr uint8_t kKeyA = 60;
constexpr uint8_t kKeyB = 62;
constexpr uint8_t kKeyC = 64;
constexpr int kSongEnded = 666;
constexpr int kAdvance = 667;
constexpr int64_t kSampleRate = JackServer::kSampleRate;

bool isNoteOn(const std::vector<uint8_t>& bytes, uint8_t key)
{
    return bytes.size() == 3 && (bytes[0] & 0xF0) == 0x90 && bytes[1] == key && bytes[2] != 0;
}

bool isNoteOff(const std::vector<uint8_t>& bytes, uint8_t key)
{
    return bytes.size() == 3 && bytes[1] == key
           && ((bytes[0] & 0xF0) == 0x80 || ((bytes[0] & 0xF0) == 0x90 && bytes[2] == 0));
}

// One bar at 240 per minute (one second): a note of `key` from the downbeat
// for three quarters.
void writeOneBarSong(const std::filesystem::path& path, uint8_t key)
{
    SmfBuilder smf;
    smf.header(1, 2, 120);
    smf.track(TrackBuilder().meta(0, 0x51, {0x03, 0xD0, 0x90}).end(480));
    smf.track(TrackBuilder().event(0, {0x90, key, 100}).event(360, {0x80, key, 0}).end(120));
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(smf.bytes().data()), std::streamsize(smf.bytes().size()));
}

// The program with its own sequencer on `devices` and `timer` (null: the
// engine's real timer), the set open, A current, performance mode on.
class LiveRoadBase {
protected:
    void startProgram(IMidiDeviceSource& devices, IEngineTimer* timer, const std::string& port)
    {
        const std::filesystem::path folder = std::filesystem::path(dir.path().toStdString()) / "Show";
        std::filesystem::create_directories(folder);
        writeOneBarSong(folder / "A.mid", kKeyA);
        writeOneBarSong(folder / "B.mid", kKeyB);
        writeOneBarSong(folder / "C.mid", kKeyC);
        const std::vector<SetFileEntry> entries{{0, false, false, (folder / "A.mid").string()},
                                                {0, false, true, (folder / "B.mid").string()},
                                                {0, false, false, (folder / "C.mid").string()}};
        const std::vector<uint8_t> bytes = encodeSetFile(entries, false);
        std::ofstream(folder / "Show.set", std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));

        profile.writeString("PortsToUse\\MIDIOUT\\0", "port", port);
        profile.writeInt("PlaybackOptions", "AdvanceWait", 500);
        profile.writeInt("PlaybackOptions", "AdvancePlay", 1);
        viewFactory.registerView(ViewKind::Track, [this](const ViewRequest& request) {
            return new RecordingView("track", log, request.parent);
        });
        AppOptions options;
        options.profile = &profile;
        options.prompt = &prompt;
        options.singleInstance = false;
        options.showWindow = false;
        options.devices = &devices;
        options.timer = timer;
        app = std::make_unique<App>(options);
        app->viewFactory() = viewFactory;
        ASSERT_TRUE(app->InitInstance());
        app->opening().OpenDocumentFile(folder / "Show.set");
        ASSERT_EQ(app->set().size(), 3u);
        app->setPerformanceMode(true);
        a = app->set().songAt(0);
        c = app->set().songAt(2);
        ASSERT_EQ(app->set().navigator().SelectSongByIndex(0), a);
        ASSERT_EQ(app->currentSong(), a);
    }

    void stopProgram()
    {
        if (app)
            app->engine().Stop(false);
        app.reset();
    }

    // The current song in the set pane's tree and in the track view.
    bool currentEverywhere(const CSongDoc* song) const
    {
        const SetTreeItem* item = app->set().tree().currentSongItem();
        const SongView* track = trackView();
        return app->currentSong() == song && item && item->song == song && track
               && track->song() == song;
    }
    const SongView* trackView() const
    {
        for (QObject* child : app->frame()->children())
            if (auto* view = dynamic_cast<RecordingView*>(child); view && view->name() == "track")
                return view;
        return nullptr;
    }
    QString statusText() const { return app->frame()->statusBar()->partText(0); }

    QTemporaryDir dir;
    MemoryProfile profile;
    ScriptedPrompt prompt;
    ViewFactory viewFactory;
    std::vector<std::string> log;
    CSongDoc* a = nullptr;
    CSongDoc* c = nullptr;
    std::unique_ptr<App> app; // goes before the devices it plays through
};

// On the dummy server with the engine's real timer; the frame's timers run
// on the event loop.
class LiveRoadOnJack : public JackServerTest, public LiveRoadBase {
protected:
    void SetUp() override
    {
        JackServerTest::SetUp();
        if (HasFatalFailure())
            return;
        client = makeTestClient("rz-live");
        ASSERT_TRUE(client->ok());
        MidiSystemOptions options;
        options.useAlsa = false;
        system = std::make_unique<MidiSystem>(options);
        devices = std::make_unique<MidiSystemDevices>(*system);
        startProgram(*devices, nullptr, client->inPort());
        // The server makes the engine's connection in its own time; A's first
        // note must not go out before it.
        jack_port_t* in = jack_port_by_name(client->handle(), client->inPort().c_str());
        ASSERT_TRUE(in);
        ASSERT_TRUE(eventually([&] { return jack_port_connected(in) > 0; })) << "the engine never connected";
    }
    void TearDown() override
    {
        stopProgram();
        devices.reset();
        system.reset();
        client.reset();
        JackServerTest::TearDown();
    }

    // Runs the event loop until `done` or `limit` passes; `each` sees every turn.
    template <class Done, class Each>
    static bool runUntil(Done done, Each each, std::chrono::milliseconds limit)
    {
        const auto until = std::chrono::steady_clock::now() + limit;
        while (!done()) {
            if (std::chrono::steady_clock::now() > until)
                return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            each();
        }
        return true;
    }

    const JackTestClient::Received* first(uint8_t key, bool on) const
    {
        received = client->received();
        for (const JackTestClient::Received& each : received)
            if (on ? isNoteOn(each.bytes, key) : isNoteOff(each.bytes, key))
                return &each;
        return nullptr;
    }

    std::unique_ptr<JackTestClient> client;
    std::unique_ptr<MidiSystem> system;
    std::unique_ptr<MidiSystemDevices> devices;
    mutable std::vector<JackTestClient::Received> received;
};

TEST_F(LiveRoadOnJack, AEndsTheCountdownShowsAndCPlaysByItself)
{
    ASSERT_TRUE(app->router().execute(kIdPlay));
    bool countdownShown = false;
    const auto watch = [&] { countdownShown = countdownShown || statusText().startsWith("Advancing in"); };
    const bool cSounded = runUntil([&] { return first(kKeyC, true) != nullptr; }, watch, std::chrono::seconds(15));
    // A cycle the server ran without the test client lost what came in it.
    if (!cSounded && client->disturbances() != 0 && currentEverywhere(c))
        GTEST_SKIP() << "the test client missed cycles: C's first note may have been lost on the way";
    ASSERT_TRUE(cSounded) << "C never sounded";
    EXPECT_TRUE(countdownShown);
    EXPECT_TRUE(currentEverywhere(c));
    EXPECT_EQ(first(kKeyB, true), nullptr) << "the disabled song sounded";
    const JackTestClient::Received* onA = first(kKeyA, true);
    ASSERT_NE(onA, nullptr);
    uint64_t lastOffA = 0;
    for (const JackTestClient::Received& each : client->received())
        if (isNoteOff(each.bytes, kKeyA))
            lastOffA = each.frame;
    // A cycle the server ran without the test client lost what came in it.
    if (lastOffA == 0 && client->disturbances() != 0)
        GTEST_SKIP() << "the test client missed cycles: A's note-off may have been lost on the way";
    ASSERT_NE(lastOffA, 0u) << "A's note never ended";
    const uint64_t onC = first(kKeyC, true)->frame;
    ASSERT_GT(onC, lastOffA);
    EXPECT_LE(int64_t(onC - lastOffA), kSampleRate * 3 / 2)
        << "C started " << double(onC - lastOffA) / double(kSampleRate) << " s after A's last note-off";
}

TEST_F(LiveRoadOnJack, PlayStopDuringTheCountdownKeepsAAndSendsNothingMore)
{
    ASSERT_TRUE(app->router().execute(kIdPlay));
    ASSERT_TRUE(runUntil([&] { return app->advanceCountdown() != 0; }, [] {}, std::chrono::seconds(10)))
        << "A never ended";
    ASSERT_TRUE(app->router().execute(kIdPlayStop));
    EXPECT_EQ(app->advanceCountdown(), 0);
    const size_t notesBefore = [&] {
        size_t n = 0;
        for (const JackTestClient::Received& each : client->received())
            n += isNoteOn(each.bytes, kKeyA) || isNoteOn(each.bytes, kKeyC) ? 1 : 0;
        return n;
    }();
    // Nothing may come for longer than the countdown had left.
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(1500);
    runUntil([&] { return std::chrono::steady_clock::now() > until; }, [] {}, std::chrono::seconds(3));
    size_t notesAfter = 0;
    for (const JackTestClient::Received& each : client->received())
        notesAfter += isNoteOn(each.bytes, kKeyA) || isNoteOn(each.bytes, kKeyC) ? 1 : 0;
    EXPECT_EQ(notesAfter, notesBefore);
    EXPECT_EQ(first(kKeyC, true), nullptr);
    EXPECT_TRUE(currentEverywhere(a));
    EXPECT_EQ(app->engine().transportState(), TransportState::Stopped);
}

// On the manual timer with a recording device: nothing moves until the test
// moves the clock, delivers the engine's posts and fires the frame's timers.
class LiveRoadManual : public testing::Test, public LiveRoadBase {
protected:
    void SetUp() override
    {
        devices.addOutput("Synth");
        startProgram(devices, &timer, "Synth");
    }
    void TearDown() override { stopProgram(); }

    RecordingMidiDevice& synth() const { return *devices.outputDevices.at("Synth"); }
    size_t noteOns(uint8_t key) const
    {
        size_t n = 0;
        for (const RecordingMidiDevice::Message& each : synth().messages())
            n += isNoteOn(each.bytes, key) ? 1 : 0;
        return n;
    }
    // Moves the clock in 10 ms steps, delivering the engine's posts, until
    // `done` or `ms` have passed.
    template <class Done>
    bool advanceUntil(Done done, uint32_t ms)
    {
        for (uint32_t passed = 0; !done(); passed += 10) {
            if (passed >= ms)
                return false;
            timer.advance(10);
            QCoreApplication::sendPostedEvents();
        }
        return true;
    }
    // The engine's refresh worker posts in real time: the GUI side waits
    // for it with a deadline.
    template <class Done>
    static bool delivered(Done done)
    {
        return eventually([&] {
            QCoreApplication::sendPostedEvents();
            return done();
        });
    }
    FrameTimers& timers() const { return app->frame()->timers(); }
    TransportState state() const { return app->engine().transportState(); }

    // Plays A to its end and lets the song-end timer run: the countdown starts.
    void playAToItsEnd()
    {
        ASSERT_TRUE(app->router().execute(kIdPlay));
        QCoreApplication::sendPostedEvents();
        EXPECT_NE(state(), TransportState::Stopped);
        ASSERT_TRUE(advanceUntil([&] { return state() == TransportState::SongEnded; }, 3000))
            << "A never ended";
        ASSERT_TRUE(delivered([&] { return timers().isActive(kSongEnded); }));
        EXPECT_EQ(noteOns(kKeyA), 1u);
        timers().fire(kSongEnded);
        EXPECT_EQ(state(), TransportState::Stopped);
        EXPECT_EQ(app->advanceCountdown(), 500);
        EXPECT_TRUE(timers().isActive(kAdvance));
        EXPECT_TRUE(currentEverywhere(a));
    }

    FakeMidiDevices devices;
    ManualEngineTimer timer;
};

TEST_F(LiveRoadManual, EachStateOfTheRoadFromAToC)
{
    playAToItsEnd();
    timers().fire(kAdvance);
    EXPECT_EQ(statusText(),
              "Advancing in 0.2 seconds; use Play/Cue to skip, Play/Stop to cancel.");
    EXPECT_TRUE(currentEverywhere(a));
    EXPECT_EQ(state(), TransportState::Stopped);
    timers().fire(kAdvance);
    EXPECT_EQ(app->advanceCountdown(), 0);
    EXPECT_FALSE(timers().isActive(kAdvance));
    EXPECT_FALSE(statusText().startsWith("Advancing"));
    EXPECT_TRUE(currentEverywhere(c));
    EXPECT_NE(state(), TransportState::Stopped);
    EXPECT_TRUE(advanceUntil([&] { return noteOns(kKeyC) == 1; }, 500)) << "C never sounded";
    EXPECT_EQ(noteOns(kKeyB), 0u);
}

TEST_F(LiveRoadManual, PlayStopDuringTheCountdownKeepsAAndSendsNothingMore)
{
    playAToItsEnd();
    timers().fire(kAdvance);
    const size_t sent = synth().messages().size();
    ASSERT_TRUE(app->router().execute(kIdPlayStop));
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(app->advanceCountdown(), 0);
    EXPECT_FALSE(timers().isActive(kAdvance));
    EXPECT_FALSE(statusText().startsWith("Advancing"));
    EXPECT_TRUE(currentEverywhere(a));
    EXPECT_EQ(state(), TransportState::Stopped);
    advanceUntil([] { return false; }, 1500);
    EXPECT_EQ(synth().messages().size(), sent);
    EXPECT_EQ(state(), TransportState::Stopped);
}

} // namespace
} // namespace rz
