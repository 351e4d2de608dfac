// The built-in synthesizer sounds for a song however it was opened: given on
// the command line, opened after start-up, or handed over by a second copy;
// and a Play pressed while its SoundFont still loads starts once it has. The
// whole program on a JACK dummy server of the test's own, with a meter on the
// synthesizer's JACK audio outputs. Alone (RUN_SERIAL), as every JACK test.

#include "app/file_opening.h"
#include "app/frame_timer_tasks.h"
#include "app_test_fixture.h"

#include "app/app_single_instance.h"
#include "app/flat_status_bar.h"
#include "core/hand_over.h"
#include "engine/sequencer.h"
#include "engine/sequencer_devices.h"
#include "platform/midi_gm_synth.h"
#include "platform/midi_system.h"
#include "res/command_ids.h"
#include "tests/platform/midi_jack_fixture.h"
#include "tests/song/smf_builder.h"
#include "ui/command_router.h"
#include "views/frame_timer_ids.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <fstream>

#include <jack/jack.h>

namespace rz {
namespace {

using test::SmfBuilder;
using test::TrackBuilder;
using namespace std::chrono_literals;

const std::filesystem::path kTestSoundFont = "/usr/share/sounds/sf2/TimGM6mb.sf2";
// Far above the synthesizer's idle output (a few 1e-8 from its effects).
constexpr float kAudible = 1e-3f;

// Two bars at 120 per minute (four seconds): a piano middle C held from the
// downbeat for three seconds.
void writeHeldNoteSong(const std::filesystem::path& path)
{
    SmfBuilder smf;
    smf.header(1, 2, 480);
    smf.track(TrackBuilder().meta(0, 0x51, {0x07, 0xA1, 0x20}).end(3840));
    smf.track(TrackBuilder().event(0, {0xC0, 0}).event(0, {0x90, 60, 110}).event(2880, {0x80, 60, 0}).end(960));
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(smf.bytes().data()), std::streamsize(smf.bytes().size()));
}

// A JACK client whose two audio inputs take the synthesizer's outputs and
// keep the loudest sample since the last reset.
class SynthMeter {
public:
    SynthMeter()
    {
        jack_status_t status{};
        m_client = jack_client_open("rz-meter", JackNoStartServer, &status);
        if (!m_client)
            return;
        for (int i = 0; i < 2; ++i)
            m_in[i] = jack_port_register(m_client, i == 0 ? "left" : "right", JACK_DEFAULT_AUDIO_TYPE,
                                         JackPortIsInput, 0);
        jack_set_process_callback(m_client, &SynthMeter::process, this);
        m_active = m_in[0] && m_in[1] && jack_activate(m_client) == 0;
    }
    ~SynthMeter()
    {
        if (!m_client)
            return;
        if (m_active)
            jack_deactivate(m_client);
        jack_client_close(m_client);
    }
    SynthMeter(const SynthMeter&) = delete;
    SynthMeter& operator=(const SynthMeter&) = delete;

    bool ok() const { return m_active; }
    // Both inputs joined to the synthesizer's outputs; false while it has none.
    bool connectToSynth()
    {
        const std::string pattern = std::string("^") + kGmSynthJackName + ":";
        const char** outputs =
            jack_get_ports(m_client, pattern.c_str(), JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput);
        int joined = 0;
        for (int i = 0; outputs && outputs[i] && i < 2; ++i) {
            const int result = jack_connect(m_client, outputs[i], jack_port_name(m_in[i]));
            joined += result == 0 || result == EEXIST;
        }
        jack_free(outputs);
        return joined == 2;
    }
    float peak() const { return m_peak.load(std::memory_order_acquire); }

private:
    static int process(jack_nframes_t frames, void* self)
    {
        auto* meter = static_cast<SynthMeter*>(self);
        float loudest = meter->m_peak.load(std::memory_order_relaxed);
        for (jack_port_t* port : meter->m_in) {
            const auto* samples = static_cast<const float*>(jack_port_get_buffer(port, frames));
            for (jack_nframes_t f = 0; f < frames; ++f)
                loudest = std::max(loudest, std::fabs(samples[f]));
        }
        meter->m_peak.store(loudest, std::memory_order_release);
        return 0;
    }

    jack_client_t* m_client = nullptr;
    jack_port_t* m_in[2]{};
    bool m_active = false;
    std::atomic<float> m_peak{0.0f};
};

class SynthSound : public JackServerTest {
protected:
    void SetUp() override
    {
        JackServerTest::SetUp();
        if (HasFatalFailure())
            return;
        if (!std::filesystem::is_regular_file(kTestSoundFont))
            GTEST_SKIP() << "needs " << kTestSoundFont;
        song = std::filesystem::path(dir.path().toStdString()) / "Held.mid";
        writeHeldNoteSong(song);
        MidiSystemOptions options;
        options.useAlsa = false;
        options.soundFonts = {kTestSoundFont};
        system = std::make_unique<MidiSystem>(options);
        devices = std::make_unique<MidiSystemDevices>(*system);
        meter = std::make_unique<SynthMeter>();
        ASSERT_TRUE(meter->ok());
    }
    void TearDown() override
    {
        if (app)
            app->engine().Stop(false);
        app.reset();
        devices.reset();
        system.reset();
        meter.reset();
        JackServerTest::TearDown();
    }

    // The program on the dummy server with a fresh profile: the built-in
    // synthesizer is its first port.
    void startProgram(std::optional<std::filesystem::path> file, QString serverPath = {})
    {
        AppOptions options;
        options.file = std::move(file);
        options.profile = &profile;
        options.prompt = &prompt;
        options.singleInstance = !serverPath.isEmpty();
        options.serverPath = serverPath;
        options.showWindow = false;
        options.devices = devices.get();
        app = std::make_unique<App>(options);
        ASSERT_TRUE(app->InitInstance());
    }

    // Runs the event loop until `done` or `limit` passes.
    template <class Done>
    static bool runUntil(Done done, std::chrono::milliseconds limit = 10s)
    {
        const auto until = std::chrono::steady_clock::now() + limit;
        while (!done()) {
            if (std::chrono::steady_clock::now() > until)
                return done();
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        }
        return true;
    }

    CSequencer& sequencer() { return dynamic_cast<CSequencer&>(app->engine()); }

    void waitForSynth()
    {
        ASSERT_TRUE(runUntil([&] { return !sequencer().portsLoading(); })) << "the SoundFont never loaded";
        ASSERT_TRUE(runUntil([&] { return meter->connectToSynth(); })) << "no synthesizer outputs";
    }

    // Play, then the synthesizer's outputs must carry the held note.
    void expectSoundOnPlay()
    {
        ASSERT_NE(app->currentSong(), nullptr);
        EXPECT_EQ(app->currentSong()->pathName, song);
        const float idle = meter->peak();
        ASSERT_TRUE(app->router().execute(kIdPlay));
        // The note starts at once; the allowance is for a loaded machine.
        EXPECT_TRUE(runUntil([&] { return meter->peak() > kAudible; }, 5s))
            << "silence: peak " << meter->peak() << " (idle " << idle << ")";
    }

    QString statusText() const { return app->frame()->statusBar()->partText(0); }

    QTemporaryDir dir;
    std::filesystem::path song;
    MemoryProfile profile;
    ScriptedPrompt prompt;
    std::unique_ptr<MidiSystem> system;
    std::unique_ptr<MidiSystemDevices> devices;
    std::unique_ptr<SynthMeter> meter;
    std::unique_ptr<App> app; // goes before the devices it plays through
};

TEST_F(SynthSound, SongGivenAtStartUpSoundsOnPlay)
{
    startProgram(song);
    waitForSynth();
    expectSoundOnPlay();
}

TEST_F(SynthSound, SongOpenedAfterStartUpSoundsOnPlay)
{
    startProgram(std::nullopt);
    waitForSynth();
    app->opening().OpenDocumentFile(song);
    expectSoundOnPlay();
}

TEST_F(SynthSound, SongHandedOverBySecondCopySoundsOnPlay)
{
    const QString serverPath = QString::fromStdString((std::filesystem::path(dir.path().toStdString()) / "rz.sock").string());
    startProgram(std::nullopt, serverPath);
    waitForSynth();
    SingleInstance second(serverPath);
    ASSERT_EQ(second.claim(formatHandOverMessage(song.string())), SingleInstance::Claim::HandedOver);
    ASSERT_TRUE(runUntil([&] {
        app->timerTasks().onFrameTimer(frame_timer::kMailslot);
        return app->currentSong() != nullptr;
    })) << "the hand-over never arrived";
    expectSoundOnPlay();
}

TEST_F(SynthSound, PlayBeforeTheSoundFontIsReadyStartsWhenItIs)
{
    startProgram(song);
    ASSERT_TRUE(sequencer().portsLoading()) << "the synthesizer opened during start-up";
    ASSERT_TRUE(app->router().execute(kIdPlay));
    EXPECT_EQ(app->engine().transportState(), TransportState::Stopped);
    EXPECT_EQ(statusText(),
              "Loading the built-in synthesizer's SoundFont; the song starts as soon as it is ready.");
    ASSERT_TRUE(runUntil([&] { return app->engine().transportState() == TransportState::Playing; }))
        << "the held Play never started";
    EXPECT_FALSE(sequencer().portsLoading());
    EXPECT_FALSE(statusText().startsWith("Loading")) << statusText().toStdString();
    ASSERT_TRUE(runUntil([&] { return meter->connectToSynth(); })) << "no synthesizer outputs";
    EXPECT_TRUE(runUntil([&] { return meter->peak() > kAudible; }, 5s))
        << "silence: peak " << meter->peak();
}

// Stop while the wait lasts ends it: the song does not start by itself later.
// The held start would run in the same GUI-thread call that ends the loading.
TEST_F(SynthSound, StopDuringTheWaitCancelsTheHeldPlay)
{
    startProgram(song);
    ASSERT_TRUE(sequencer().portsLoading()) << "the synthesizer opened during start-up";
    ASSERT_TRUE(app->router().execute(kIdPlay));
    ASSERT_TRUE(app->router().execute(kIdStop));
    EXPECT_FALSE(statusText().startsWith("Loading")) << statusText().toStdString();
    ASSERT_TRUE(runUntil([&] { return !sequencer().portsLoading(); })) << "the SoundFont never loaded";
    EXPECT_EQ(app->engine().transportState(), TransportState::Stopped);
}

} // namespace
} // namespace rz
