// The program's keys reach a real sequencer: a song opened from a file
// starts with Space and stops with Esc. The sequencer runs on the manual
// timer with recording devices.

#include "app/app.h"
#include "app/file_opening.h"
#include "app/main_frame.h"
#include "core/profile.h"
#include "engine/gui_posts.h"
#include "engine/sequencer.h"
#include "tests/song/smf_builder.h"
#include "tests/support/fake_sequencer_services.h"
#include "tests/support/manual_engine_timer.h"
#include "tests/support/recording_engine_host.h"
#include "tests/support/scripted_prompt.h"
#include "ui/gui_post.h"

#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <fstream>
#include <thread>

namespace rz {
namespace {

using test::SmfBuilder;
using test::TrackBuilder;

class PlayStopSmoke : public testing::Test {
protected:
    PlayStopSmoke()
    {
        devices.addOutput("Synth");
        sequencer = std::make_unique<CSequencer>(SequencerServices{.profile = profile,
                                                                   .prompt = prompt,
                                                                   .gui = guiPost,
                                                                   .toGui = posts,
                                                                   .devices = devices,
                                                                   .instruments = instruments,
                                                                   .timer = timer,
                                                                   .audio = audio});
    }
    ~PlayStopSmoke() override
    {
        sequencer->setCurrentSong(nullptr);
        sequencer->Shutdown();
        app.reset();
    }

    std::filesystem::path writeSong()
    {
        SmfBuilder smf;
        smf.header(1, 2, 120);
        smf.track(TrackBuilder().meta(0, 0x51, {0x07, 0xA1, 0x20}).end());
        smf.track(TrackBuilder().event(0, {0x90, 60, 100}).event(480, {0x80, 60, 0}).end());
        const std::filesystem::path path = std::filesystem::path(dir.path().toStdString()) / "smoke.mid";
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(smf.bytes().data()),
                  std::streamsize(smf.bytes().size()));
        return path;
    }

    QTemporaryDir dir;
    MemoryProfile profile;
    ScriptedPrompt prompt;
    QtGuiThreadQueue guiPost;
    RecordingEngineHost host;
    EngineToGui posts{guiPost, std::this_thread::get_id(), host, host, host};
    FakeMidiDevices devices;
    FakeInstrumentLoader instruments;
    ManualEngineTimer timer;
    RecordingAudioEngines audio;
    std::unique_ptr<CSequencer> sequencer;
    std::unique_ptr<App> app;
};

TEST_F(PlayStopSmoke, SpaceStartsTheOpenedSongAndEscStopsIt)
{
    AppOptions options;
    options.profile = &profile;
    options.prompt = &prompt;
    options.engine = sequencer.get();
    options.published = &sequencer->publishedValues();
    options.singleInstance = false;
    options.showWindow = false;
    app = std::make_unique<App>(options);
    ASSERT_TRUE(app->InitInstance());
    sequencer->Init();
    CSongDoc* song = app->opening().OpenDocumentFile(writeSong());
    ASSERT_NE(song, nullptr);
    sequencer->setCurrentSong(song);

    QTest::keyClick(app->frame(), Qt::Key_Space);
    EXPECT_NE(sequencer->transportState(), TransportState::Stopped);
    QTest::keyClick(app->frame(), Qt::Key_Escape);
    EXPECT_EQ(sequencer->transportState(), TransportState::Stopped);
}

} // namespace
} // namespace rz
