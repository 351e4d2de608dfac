// "Riz Uzov Avevu" on the offscreen platform over fakes of the engine, set
// and input: which controls the choices allow, a recording onto a new
// waveform track and the meters; then its command in the whole program.

#include "engine/ui/wave_maker_dlg.h"

#include "app/engine_dialogs.h"
#include "app/main_frame.h"
#include "app/song_advance.h"
#include "core/ms_clock.h"
#include "engine/audio/song_recorder.h"
#include "engine/audio/wave_file.h"
#include "res/command_ids.h"
#include "set/set_document.h"
#include "song/selection.h"
#include "song/undo_record.h"
#include "tests/engine/ui/program_under_test.h"
#include "tests/song/undo_fixture.h"
#include "tests/support/fake_recorder.h"
#include "ui/command_router.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace rz {
namespace {

constexpr int kWait = 5000; // ms a dialog's timer gets to act

class WaveMakerDialog : public ::testing::Test, public test::UndoFixture {
protected:
    WaveMakerDialog() : m_set(host) {}

    void SetUp() override
    {
        host.workFolderPath = m_dir.path() / "work";
        std::filesystem::create_directories(host.workFolderPath);
    }

    CSongDoc& addSong(const std::string& title)
    {
        m_songs.push_back(std::make_unique<CSongDoc>(undoContext()));
        CSongDoc& song = *m_songs.back();
        song.InitNewSong();
        song.title = title;
        song.pathName = m_dir.path() / (title + ".mid");
        host.current = &song;
        m_set.songs.push_back(&song);
        m_set.folder = m_dir.path();
        return song;
    }

    CWaveMakerDlg& dialog()
    {
        if (!m_dialog) {
            SongRecorderSeams seams{profile, prompt, engine, host, host, m_set, m_input, m_clock,
                                    m_dir.path() / "Documents", {}};
            m_recorder = std::make_unique<SongRecorder>(seams);
            m_dialog = std::make_unique<CWaveMakerDlg>(WaveMakerServices{*m_recorder, prompt, {}});
        }
        return *m_dialog;
    }
    template <class Widget>
    Widget* child(const char* name)
    {
        Widget* widget = dialog().findChild<Widget*>(name);
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    bool enabled(const char* name) { return child<QWidget>(name)->isEnabled(); }
    void click(const char* name) { child<QAbstractButton>(name)->click(); }

    TempDir m_dir;
    FakeRecorderSet m_set;
    FakeRecorderInput m_input;
    ManualMsClock m_clock{1000};
    std::vector<std::unique_ptr<CSongDoc>> m_songs;
    std::unique_ptr<SongRecorder> m_recorder;
    std::unique_ptr<CWaveMakerDlg> m_dialog;
};

TEST_F(WaveMakerDialog, ControlsFollowAutomationAndDestination)
{
    const struct {
        const char* automation;
        const char* format;
        bool usePrefix;
        const char* saveTo;
        bool fade, folder, prefixCheck, prefixEdit, wmaChoice, wmaLists, selectionOnly;
        bool wavShown;
    } cases[] = {
        {"automation1357", "format1350", false, "saveTo1352", false, false, true, false, true, false,
         false, true},
        {"automation1348", "format1351", true, "saveTo1112", true, true, true, true, true, true, true,
         false},
        {"automation1349", "format1351", true, "saveTo1352", true, false, true, true, true, true, false,
         false},
        // A new track's clip is a wave file: the compressed choice greys out.
        {"automation1348", "format1351", true, "saveTo1113", true, false, false, false, false, false,
         true, true},
        {"automation1357", "format1351", false, "saveTo1112", false, true, true, false, true, true,
         false, false},
    };
    CSongDoc& song = addSong("Song");
    song.selectionKind = kSelectTimeRange;
    song.selectionFrom = 0;
    song.selectionTo = 480;
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.automation) + " " + c.format + " " + c.saveTo);
        click("saveTo1112"); // every choice open again
        click(c.automation);
        click(c.format);
        child<QAbstractButton>("usePrefix1358")->setChecked(c.usePrefix);
        click(c.saveTo);
        EXPECT_EQ(enabled("fade1360"), c.fade);
        EXPECT_EQ(enabled("cues1353"), c.fade);
        EXPECT_EQ(enabled("folder1178"), c.folder);
        EXPECT_EQ(enabled("browse1177"), c.folder);
        EXPECT_EQ(enabled("usePrefix1358"), c.prefixCheck);
        EXPECT_EQ(enabled("prefix1314"), c.prefixEdit);
        EXPECT_EQ(enabled("format1351"), c.wmaChoice);
        EXPECT_EQ(enabled("codec1141"), c.wmaLists);
        EXPECT_EQ(enabled("format1142"), c.wmaLists);
        EXPECT_EQ(enabled("selection1356"), c.selectionOnly);
        EXPECT_EQ(child<QAbstractButton>("selection1356")->isChecked(), c.selectionOnly);
        EXPECT_EQ(child<QAbstractButton>("format1350")->isChecked(), c.wavShown);
        EXPECT_FALSE(enabled("device1031")); // the engine's own input
        EXPECT_TRUE(enabled("begin"));
    }
}

TEST_F(WaveMakerDialog, WithoutSetOrSongOnlyAnotherFolderAndFreePlayRemain)
{
    m_set.songs.clear();
    host.current = nullptr;
    profile.writeInt("M2DA", "automation", 2);
    EXPECT_TRUE(child<QAbstractButton>("automation1357")->isChecked());
    EXPECT_FALSE(enabled("automation1348"));
    EXPECT_FALSE(enabled("automation1349"));
    EXPECT_TRUE(child<QAbstractButton>("saveTo1112")->isChecked());
    EXPECT_FALSE(enabled("saveTo1352"));
    EXPECT_TRUE(enabled("folder1178"));
    // "Another folder:" starts at the documents folder.
    EXPECT_EQ(child<QLineEdit>("folder1178")->text().toStdString(), (m_dir.path() / "Documents").string());
    // The writer's own default codec and format when none is stored.
    EXPECT_EQ(child<QComboBox>("codec1141")->currentText(), "Windows Media Audio 2");
    EXPECT_EQ(child<QComboBox>("format1142")->currentText(), "128 kbps, stereo");
}

TEST_F(WaveMakerDialog, BeginOnANewWaveformTrackAddsTheTrackInOneUndoStepThenEndsWithOk)
{
    CSongDoc& song = addSong("Take");
    song.setPosition(0);
    profile.writeInt("M2DA", "automation", 1);
    profile.writeInt("M2DA", "audio_mypath", 2);
    profile.writeInt("M2DA", "fadetime", 0);
    dialog().open();
    const size_t tracksBefore = song.tracks.size();
    const size_t undoBefore = song.undoList.size();
    click("begin");
    ASSERT_TRUE(m_recorder->writing());
    EXPECT_TRUE(engine.log.contains("Advance(1)"));
    EXPECT_EQ(child<QPushButton>("cancel")->text(), "Stop");
    EXPECT_FALSE(enabled("begin"));
    EXPECT_FALSE(enabled("saveTo1112"));
    EXPECT_FALSE(enabled("automation1357"));

    m_input.feed(1000, -1000, 441);
    m_recorder->songEnded();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !dialog().isVisible(); }, kWait));
    EXPECT_EQ(dialog().result(), QDialog::Accepted);
    ASSERT_EQ(m_recorder->files().size(), 1u);
    const std::filesystem::path file = m_recorder->files()[0];
    std::string reason;
    const auto read = ReadWaveFile(file, FakeRecorderInput::kRate, reason);
    ASSERT_TRUE(read) << reason;
    EXPECT_EQ(read->frameCount(), 441);

    ASSERT_EQ(song.tracks.size(), tracksBefore + 1);
    const CTrack& added = *song.tracks[tracksBefore - 1];
    EXPECT_EQ(added.name, "Dodo Dadav");
    EXPECT_EQ(added.type, kWaveTrack);
    ASSERT_EQ(added.events.size(), 1u);
    ASSERT_NE(added.events[0].clip(), nullptr);
    EXPECT_EQ(added.events[0].clip()->fileName, file.string());
    ASSERT_EQ(song.undoList.size(), undoBefore + 1);
    EXPECT_EQ(song.undoList.back()->label, "Dodo Dadav Track");
    EXPECT_TRUE(song.Undo());
    EXPECT_EQ(song.tracks.size(), tracksBefore);
}

TEST_F(WaveMakerDialog, ASelectionOnlyChoiceTheUserClearedStaysClearedWhenRecordingBegins)
{
    CSongDoc& song = addSong("Part");
    song.selectionKind = kSelectTimeRange;
    song.selectionFrom = 240;
    song.selectionTo = 480;
    profile.writeInt("M2DA", "automation", 1);
    profile.writeInt("M2DA", "audio_mypath", 0);
    ASSERT_TRUE(child<QAbstractButton>("selection1356")->isChecked());
    click("selection1356");
    click("begin");
    ASSERT_TRUE(m_recorder->writing());
    EXPECT_FALSE(child<QAbstractButton>("selection1356")->isChecked());
    EXPECT_FALSE(m_recorder->settings().currentSelectionOnly);
    click("cancel");
    EXPECT_FALSE(m_recorder->writing());
}

TEST_F(WaveMakerDialog, NegativeFullScaleFillsTheLeftMeterInRedUntilAQuieterPiece)
{
    profile.writeInt("M2DA", "automation", 0);
    dialog().show();
    QProgressBar* left = child<QProgressBar>("left1354");
    QProgressBar* right = child<QProgressBar>("right1361");
    const QColor normal = left->palette().color(QPalette::Highlight);

    m_input.feed(-32768, 200, 64);
    ASSERT_TRUE(QTest::qWaitFor([&] { return right->value() == 200; }, kWait));
    EXPECT_EQ(left->value(), 32767);
    EXPECT_EQ(left->palette().color(QPalette::Highlight), QColor(255, 0, 0));
    const QImage bar = left->grab().toImage();
    const QColor middle = bar.pixelColor(bar.width() / 2, bar.height() / 2);
    EXPECT_GT(middle.red(), 200) << middle.name().toStdString();
    EXPECT_LT(middle.green(), 100) << middle.name().toStdString();
    EXPECT_LT(middle.blue(), 100) << middle.name().toStdString();
    EXPECT_NE(right->palette().color(QPalette::Highlight), QColor(255, 0, 0));

    m_input.feed(16000, 300, 64);
    ASSERT_TRUE(QTest::qWaitFor([&] { return right->value() == 300; }, kWait));
    EXPECT_EQ(left->value(), 16000);
    EXPECT_EQ(left->palette().color(QPalette::Highlight), normal);
}

TEST_F(WaveMakerDialog, BrowseAsksForTheFolderAndShowsItWithATrailingSeparator)
{
    profile.writeInt("M2DA", "audio_mypath", 1);
    const std::filesystem::path chosen = m_dir.path() / "mixes";
    prompt.expectFolder("Choose a default save location.", chosen);
    click("browse1177");
    EXPECT_EQ(child<QLineEdit>("folder1178")->text().toStdString(), chosen.string() + "/");
}

// The whole program: the command turns on once the dialogs register and
// opens the dialog with the recorder set as the one the song end goes to.
TEST(WaveMakerDialogCommand, RenderAudioOpensTheDialogOverTheProgramsRecorder)
{
    ProgramUnderTest program;
    App app(program.options());
    ASSERT_TRUE(app.InitInstance());
    auto made = std::make_unique<CSongDoc>(app.set().songContext());
    made->InitNewSong();
    CSongDoc* song = app.set().AddSong(std::move(made));
    app.SetCurrentSong(song);
    EXPECT_FALSE(app.router().update(kIdRenderAudio).enabled);
    registerEngineDialogs(app);
    EXPECT_TRUE(app.router().update(kIdRenderAudio).enabled);

    std::string shownTitle;
    bool recorderOpen = false;
    bool currentSongChosen = false;
    answerModal<CWaveMakerDlg>([&] { app.router().execute(kIdRenderAudio); },
                               [&](CWaveMakerDlg& dialog) {
                                   shownTitle = dialog.windowTitle().toStdString();
                                   recorderOpen = app.songAdvance().openRecorder() != nullptr;
                                   if (auto* current = dialog.findChild<QAbstractButton*>("automation1348"))
                                       currentSongChosen = current->isChecked() && current->isEnabled();
                                   dialog.reject();
                               });
    EXPECT_EQ(shownTitle, "Riz Uzov Avevu");
    EXPECT_TRUE(recorderOpen);
    EXPECT_TRUE(currentSongChosen);
    EXPECT_EQ(app.songAdvance().openRecorder(), nullptr);
    app.ExitInstance();
}

} // namespace
} // namespace rz
