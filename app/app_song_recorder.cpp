// File > Riz Uzov Avevu: the song recorder with the program's engine, set
// and songs, and its dialog. GUI thread.
#include "app/app_song_recorder.h"

#include "app/app.h"
#include "app/main_frame.h"
#include "app/song_advance.h"
#include "core/ms_clock.h"
#include "engine/audio/song_recorder.h"
#include "engine/song_recorder_input.h"
#include "engine/ui/wave_maker_dlg.h"
#include "res/command_ids.h"
#include "set/set_document.h"
#include "ui/help_opener.h"

namespace rz {

namespace {

// The program's set as the recorder steps through it.
class AppRecorderSet final : public IRecorderSet {
public:
    explicit AppRecorderSet(App& app) : m_app(app) {}

    bool setOpen() const override { return m_app.set().hasFile(); }
    std::filesystem::path setFolder() const override { return m_app.set().setFolder(); }
    CSongDoc* SelectSongByIndex(size_t index) override { return m_app.set().SelectSongByIndex(index); }
    bool StepSong() override { return m_app.songAdvance().stepSong(); }

private:
    App& m_app;
};

// While the dialog is open the end of a song is the recorder's to handle.
class OpenRecorder {
public:
    OpenRecorder(App& app, SongRecorder& recorder) : m_app(app) { m_app.songAdvance().setOpenRecorder(&recorder); }
    ~OpenRecorder() { m_app.songAdvance().setOpenRecorder(nullptr); }
    OpenRecorder(const OpenRecorder&) = delete;
    OpenRecorder& operator=(const OpenRecorder&) = delete;

private:
    App& m_app;
};

bool runSongRecorder(App& app)
{
    CSequencer* engine = app.sequencer();
    IAudioEngines* audio = app.audioEngines();
    if (engine == nullptr || audio == nullptr)
        return false;
    AppRecorderSet set(app);
    SequencerRecorderInput input(*engine, *audio);
    SongRecorder recorder(SongRecorderSeams{app.profile(), app.prompt(), app.engine(), app, app.files(), set,
                                            input, programClock(), app.documentsFolder(), {}});
    const OpenRecorder open(app, recorder);
    CWaveMakerDlg dialog(WaveMakerServices{recorder, app.prompt(),
                                           [&app](std::string_view topic) { app.help().open(topic); }},
                         app.frame());
    return dialog.exec() == QDialog::Accepted;
}

} // namespace

void registerSongRecorderDialog(App& app)
{
    app.setupDialogs().registerDialog(kIdRenderAudio, [&app] { return runSongRecorder(app); });
}

} // namespace rz
