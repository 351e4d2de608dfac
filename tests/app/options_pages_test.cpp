// The pages' own rules: seconds against milliseconds, the save folder, the
// auto-save timer, cue colours, the event filter, the options word, the
// click lists and the conductor's mapping.

#include "app/options/options_access.h"
#include "dialogs/cue_type_combo.h"
#include "app/main_frame.h"
#include "app/options/options_sheet.h"
#include "app_test_fixture.h"
#include "engine/synthdb/synth_db.h"
#include "options_test_support.h"
#include "res/command_ids.h"
#include "set/ui/lyric_view.h"
#include "views/frame_timer_ids.h"

#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace rz {
namespace {

class OptionsPages : public testing::Test {
protected:
    OptionsPages()
    {
        m_context.profile = &m_profile;
        m_context.prompt = &m_prompt;
    }

    std::unique_ptr<COptions> sheet(int start, PlaybackSources sources = {})
    {
        return std::make_unique<COptions>(m_context, std::move(sources), start);
    }

    MemoryProfile m_profile;
    ScriptedPrompt m_prompt;
    OptionsContext m_context;
};

// Whole seconds shown; the stored milliseconds change only with the text.
TEST_F(OptionsPages, AdvanceWaitKeepsStoredMillisecondsUnlessTyped)
{
    struct Case {
        const char* typed; // null: untouched
        int stored;
    };
    for (const Case c : {Case{nullptr, 1500}, Case{"2", 2000}, Case{"0", 0}}) {
        m_profile.writeInt("PlaybackOptions", "AdvanceWait", 1500);
        auto options = sheet(COptions::kSet);
        auto* set = options->pageAs<COptionsSet>(COptions::kSet);
        EXPECT_EQ(set->delayField()->text(), "1");
        if (c.typed)
            set->delayField()->setText(c.typed);
        options->accept();
        EXPECT_EQ(m_profile.readInt("PlaybackOptions", "AdvanceWait", 0), c.stored)
            << (c.typed ? c.typed : "untouched");
    }
}

TEST_F(OptionsPages, DelaySpinStopsAtTenWhileSixtyMayBeTyped)
{
    auto options = sheet(COptions::kSet);
    auto* set = options->pageAs<COptionsSet>(COptions::kSet);
    EXPECT_EQ(set->delaySpin()->maximum(), 10);
    set->delayField()->setText("60");
    options->accept();
    EXPECT_EQ(m_profile.readInt("PlaybackOptions", "AdvanceWait", 0), 60000);
}

// Every spin box beside a number field: a step shows in the field, and a
// typed number moves the spin, so the two never disagree.
TEST_F(OptionsPages, NumberFieldsAndTheirSpinBoxesStayInStep)
{
    m_profile.writeInt("SaveOptions", "AutoSave", 1);
    auto options = sheet(COptions::kStartup);
    int pairs = 0;
    for (int index = 0; index < COptions::kPageCount; ++index) {
        OptionsPage* page = options->page(index);
        std::vector<QLineEdit*> fields;
        for (QLineEdit* edit : page->findChildren<QLineEdit*>())
            if (!qobject_cast<QAbstractSpinBox*>(edit->parentWidget()))
                fields.push_back(edit);
        for (QSpinBox* spin : page->findChildren<QSpinBox*>()) {
            std::vector<QString> before;
            for (QLineEdit* edit : fields)
                before.push_back(edit->text());
            const int stepped = spin->value() == spin->minimum() ? spin->minimum() + 1 : spin->minimum();
            spin->setValue(stepped);
            auto field = fields.end();
            for (size_t i = 0; i < fields.size(); ++i)
                if (fields[i]->text() != before[i] && fields[i]->text() == QString::number(stepped))
                    field = fields.begin() + std::ptrdiff_t(i);
            ASSERT_NE(field, fields.end()) << "page " << index << ": no field follows the spin";
            const int typed = spin->maximum();
            (*field)->setText(QString::number(typed));
            EXPECT_EQ(spin->value(), typed) << "page " << index << ": the spin follows the field";
            ++pairs;
        }
    }
    EXPECT_GE(pairs, 5) << "count-in, lead time, velocity, AutoRecover minutes and set delay";
}

TEST_F(OptionsPages, PathIsWrittenOnlyForAChosenFolder)
{
    for (int defPath : {0, 1, 2}) {
        m_profile.writeString("SaveOptions", "Path", "/old/place/");
        auto options = sheet(COptions::kSave);
        auto* save = options->pageAs<COptionsSave>(COptions::kSave);
        save->defPathButton(defPath)->setChecked(true);
        EXPECT_EQ(save->pathField()->isEnabled(), defPath == 2);
        m_prompt.expectFolder("Choose a default save location.", "/new/place");
        save->changeLocation();
        options->accept();
        EXPECT_EQ(m_profile.readInt("SaveOptions", "DefPath", -1), defPath);
        EXPECT_EQ(m_profile.readString("SaveOptions", "Path", ""),
                  defPath == 2 ? "/new/place/" : "/old/place/")
            << defPath;
    }
}

TEST_F(OptionsPages, EventFilterAgainstTheBoxes)
{
    struct Case {
        int32_t filter;
        const char* boxes; // Notes .. System exclusive
    };
    for (const Case c : {Case{0, "0000000"}, Case{0xFF00, "1111111"}, Case{0xDB00, "1011011"}}) {
        m_profile.writeInt("RecordOptions", "EventFilter", c.filter);
        auto options = sheet(COptions::kRecord);
        auto* record = options->pageAs<COptionsRecord>(COptions::kRecord);
        std::string shown;
        for (int i = 0; i < 7; ++i)
            shown += record->eventBox(i)->isChecked() ? '1' : '0';
        EXPECT_EQ(shown, c.boxes) << std::hex << c.filter;
        options->accept();
        EXPECT_EQ(m_profile.readInt("RecordOptions", "EventFilter", -1), c.filter);
    }
    m_profile.writeInt("RecordOptions", "EventFilter", 0xFF00);
    auto options = sheet(COptions::kRecord);
    auto* record = options->pageAs<COptionsRecord>(COptions::kRecord);
    record->eventBox(0)->setChecked(false);
    record->eventBox(1)->setChecked(false);
    options->accept();
    EXPECT_EQ(m_profile.readInt("RecordOptions", "EventFilter", -1), 0xF800);
}

TEST_F(OptionsPages, StepControlsFollowModeAndSize)
{
    auto options = sheet(COptions::kRecord);
    auto* record = options->pageAs<COptionsRecord>(COptions::kRecord);
    EXPECT_FALSE(record->stepSizeList()->isEnabled());
    record->modeButtons()[1]->setChecked(true);
    EXPECT_TRUE(record->stepSizeList()->isEnabled());
    EXPECT_FALSE(record->dottedBox()->isEnabled());
    record->stepSizeList()->setCurrentIndex(4);
    EXPECT_TRUE(record->dottedBox()->isEnabled());
}

TEST_F(OptionsPages, OptionsWordKeepsItsHigherBits)
{
    m_profile.writeInt("Sequencer", "Options", 0x1F2);
    m_profile.writeInt("Sequencer", "PTempoCh", 4);
    auto options = sheet(COptions::kPlayback);
    QWidget* page = options->page(COptions::kPlayback);
    auto* bend = qobject_cast<QAbstractButton*>(
        controlOf(page, "Use pitch wheel to control tempo multiplier on channel:"));
    auto* reassert = qobject_cast<QAbstractButton*>(
        controlOf(page, "Re-assert patches and other controllers when play begins"));
    QComboBox* channel = options->pageAs<COptionsPlayback>(COptions::kPlayback)->tempoChannelList();
    EXPECT_FALSE(bend->isChecked());
    EXPECT_EQ(channel->currentIndex(), 5);
    EXPECT_FALSE(channel->isEnabled());
    bend->setChecked(true);
    EXPECT_TRUE(channel->isEnabled());
    reassert->setChecked(true);
    channel->setCurrentIndex(0);
    options->accept();
    EXPECT_EQ(m_profile.readInt("Sequencer", "Options", 0), 0x1F7);
    EXPECT_EQ(m_profile.readInt("Sequencer", "PTempoCh", 0), -1);
}

TEST_F(OptionsPages, CueListHoldsNineKindsOfSeventeenPixels)
{
    CueTypeCombo combo;
    combo.FillCueTypes();
    ASSERT_EQ(combo.count(), 9);
    EXPECT_EQ(combo.itemText(7), "Advance & Cut");
    EXPECT_EQ(combo.kindAt(7), 8);
    EXPECT_EQ(combo.kindAt(6), 6);
    for (int i = 0; i < combo.count(); ++i)
        EXPECT_EQ(combo.view()->sizeHintForRow(i), CueTypeCombo::kItemHeight) << i;
}

TEST_F(OptionsPages, CueFlagGoesThroughThePaintHook)
{
    std::vector<int> kinds;
    setCueFlagPaintHook([&](QPainter&, const QRect& rect, int kind, Color) {
        EXPECT_EQ(rect.width(), CueTypeCombo::kFlagWidth);
        kinds.push_back(kind);
    });
    CueTypeCombo combo;
    combo.FillCueTypes();
    combo.resize(200, 24);
    combo.showPopup();
    combo.view()->grab();
    combo.hidePopup();
    setCueFlagPaintHook({});
    EXPECT_NE(std::find(kinds.begin(), kinds.end(), 9), kinds.end());
    EXPECT_EQ(std::find(kinds.begin(), kinds.end(), 7), kinds.end());
}

TEST_F(OptionsPages, FontsAndPictureGoThroughThePrompt)
{
    auto options = sheet(COptions::kStaff);
    options->showPage(COptions::kLyric);
    m_prompt.expectFont(FontChoice{"DejaVu Sans", 18, 700, false});
    options->pageAs<COptionsStaff>(COptions::kStaff)->chooseChordFont();
    auto* lyric = options->pageAs<COptionsLyric>(COptions::kLyric);
    qobject_cast<QAbstractButton*>(controlOf(lyric, "Display background graphic"))
        ->setChecked(true);
    m_prompt.expectOpenPath("Set lyric background...", "/pictures/stage.jpg");
    lyric->chooseGraphic();
    m_prompt.expectColor(0x0000FF);
    lyric->chooseColor(0);
    EXPECT_TRUE(lyric->sample()->text().contains("#ff0000"));
    options->accept();
    m_prompt.verifyAllUsed();
    EXPECT_EQ(m_prompt.prompts()[1].filter, "Graphic files (*.jpg,*.bmp)");
    EXPECT_EQ(m_profile.readString("StaffView", "ChordFont", ""), "DejaVu Sans");
    EXPECT_EQ(m_profile.readInt("StaffView", "ChordHeight", 0), -24);
    EXPECT_EQ(m_profile.readInt("StaffView", "ChordWeight", 0), 700);
    EXPECT_EQ(m_profile.readString("StaffView", "LyricFont", "unwritten"), "unwritten");
    EXPECT_EQ(m_profile.readString("LyricView", "GfxPath", ""), "/pictures/stage.jpg");
    EXPECT_EQ(m_profile.readInt("LyricView", "Color", -1), 0x0000FF);
}

// The application's own copies: cue colours and the auto-save timer.
class OptionsPagesApp : public AppFixture {};

TEST_F(OptionsPagesApp, CancelRestoresStoredCueColorsAndOkWritesThem)
{
    profile.writeInt("DisplayOptions", "CueColor8", 0x123456);
    start();
    {
        COptions options(app->optionsSheet().context(), {}, COptions::kDisplay);
        auto* display = options.pageAs<COptionsDisplay>(COptions::kDisplay);
        display->cueList()->setCurrentIndex(7); // kind 8
        prompt.expectColor(0xABCDEF);
        display->changeColor();
        EXPECT_EQ(app->display().cueColor(8), 0xABCDEFu);
        options.reject();
    }
    EXPECT_EQ(app->display().cueColor(8), 0x123456u);
    {
        COptions options(app->optionsSheet().context(), {}, COptions::kDisplay);
        auto* display = options.pageAs<COptionsDisplay>(COptions::kDisplay);
        display->useDefaults();
        EXPECT_EQ(app->display().cueColor(8), 0x800080u);
        options.accept();
    }
    EXPECT_EQ(profile.readInt("DisplayOptions", "CueColor8", 0), 0x800080);
}

TEST_F(OptionsPagesApp, AutoSaveStartsOrKillsTimer333)
{
    start();
    for (bool on : {true, false}) {
        COptions options(app->optionsSheet().context(), {}, COptions::kSave);
        qobject_cast<QAbstractButton*>(
            controlOf(options.page(COptions::kSave), "Save AutoRecover info every"))
            ->setChecked(on);
        editOf(options.page(COptions::kSave), "minutes")->setText("7");
        options.accept();
        EXPECT_EQ(app->frame()->timers().isActive(frame_timer::kAutoSave), on);
        EXPECT_EQ(app->autoSave().countdown(), on ? 7 : 0);
    }
}

TEST_F(OptionsPagesApp, SmoothScrollAndAutoPropsFollowOk)
{
    start();
    COptions options(app->optionsSheet().context(), {}, COptions::kDisplay);
    options.showPage(COptions::kOpen);
    qobject_cast<QAbstractButton*>(controlOf(options.page(COptions::kDisplay),
                                             "Smooth scrolling of current playback position"))
        ->setChecked(false);
    qobject_cast<QAbstractButton*>(
        controlOf(options.page(COptions::kOpen),
                  "Automatically manage patch changes and other track properties (RECOMMENDED)"))
        ->setChecked(false);
    options.accept();
    EXPECT_FALSE(app->display().smoothScroll());
    EXPECT_FALSE(app->display().autoProps());
}

// The karaoke page against lyric views registered as the program registers
// them: a docked one and a separate window over the current song.
class KaraokePageHeight : public AppFixture {
protected:
    void SetUp() override
    {
        start();
        LyricViewContext context;
        context.profile = &profile;
        context.engine = &engine;
        context.trackRows = &app->trackRows();
        registerLyricView(app->viewFactory(), context);
        app->SetCurrentSong(&addSong("A"));
    }

    LyricView* docked() const { return qobject_cast<LyricView*>(app->views().slot(ViewSlots::kLyric)); }
    LyricView* window() const
    {
        return app->views().extraWindows().empty() ? nullptr
                                           : qobject_cast<LyricView*>(app->views().extraWindows().back().view.data());
    }
    int shownHeight(COptions& options) const
    {
        options.showPage(COptions::kLyric);
        return options.pageAs<COptionsLyric>(COptions::kLyric)->fontHeight();
    }

    static constexpr int kDockedView = int(ViewKind::Lyric); // a pane view's timer is its kind
};

TEST_F(KaraokePageHeight, ShowsTheSeparateWindowsZoomAndOkGivesItToTheViews)
{
    app->frame()->timers().fire(kDockedView);
    app->frame()->timers().fire(frame_timer::kLyricAtStoredPlace);
    ASSERT_TRUE(docked() && window());
    window()->onZoom(kIdZoomInControllerScale);
    window()->onZoom(kIdZoomInControllerScale);
    docked()->onZoom(kIdZoomInControllerScale); // the profile now holds the docked view's height
    const int windowHeight = window()->fontHeight();
    ASSERT_NE(windowHeight, docked()->fontHeight());
    ASSERT_EQ(profile.readInt("LyricView", "FontHeight", 0), -docked()->fontHeight());

    COptions options(app->optionsSheet().context(), {}, COptions::kStartup);
    EXPECT_EQ(shownHeight(options), -windowHeight);
    options.accept();
    EXPECT_EQ(profile.readInt("LyricView", "FontHeight", 0), -windowHeight);
    EXPECT_EQ(docked()->fontHeight(), windowHeight);
    EXPECT_EQ(window()->fontHeight(), windowHeight);
}

TEST_F(KaraokePageHeight, ShowsTheDockedViewsZoomAndTheStoredHeightOnceItCloses)
{
    app->frame()->timers().fire(kDockedView);
    ASSERT_TRUE(docked());
    docked()->onZoom(kIdZoomInControllerScale);
    profile.writeInt("LyricView", "FontHeight", -40);
    {
        COptions options(app->optionsSheet().context(), {}, COptions::kStartup);
        EXPECT_EQ(shownHeight(options), -docked()->fontHeight());
        options.reject();
    }
    COptions options(app->optionsSheet().context(), {}, COptions::kStartup);
    delete docked(); // closed while the sheet is open
    EXPECT_EQ(shownHeight(options), -40);
    options.accept();
    EXPECT_EQ(profile.readInt("LyricView", "FontHeight", 0), -40);
}

// ---- Playback: ports, kits and notes from a database file ----

class OptionsPlayback : public OptionsPages {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        ScriptedPrompt dbPrompt;
        m_db = SynthDatabase::open(m_dir.filePath("synths.db").toStdString(), dbPrompt);
        m_db->connection().exec(R"(
            INSERT INTO "synths" VALUES (901, 'Drum Box', 8, '');
            INSERT INTO "synths" VALUES (902, 'Zero Box', 264, '');
            INSERT INTO "drums" ("SynthNumber", "BankNumber", "PatchNumber", "NoteNumber", "NoteName")
                VALUES (901, 0, 0, -1, 'Standard'), (901, 0, 0, 36, 'Kick'),
                       (901, 0, 0, 37, 'Stick'), (901, 1, 24, -1, 'Electro'),
                       (902, 0, 0, -1, 'Zero Kit'), (902, 0, 0, 42, 'Hat');)");
        m_sources.database = m_db.get();
        m_sources.synths = const_cast<ISynthLookup*>(&m_db->lookup());
        m_sources.audition = [this](int port, int patch, uint32_t note) {
            m_auditions.push_back({port, patch, note});
        };
    }

    void addPort(int port, int synth, int drums)
    {
        const std::string section = "PortsToUse\\MIDIOUT\\" + std::to_string(port);
        m_profile.writeString(section, "port", "Port " + std::to_string(port));
        m_profile.writeInt(section, "synth", synth);
        m_profile.writeInt(section, "drums", drums);
    }

    static std::vector<std::string> texts(QComboBox* list)
    {
        std::vector<std::string> out;
        for (int i = 0; i < list->count(); ++i)
            out.push_back(list->itemText(i).toStdString());
        return out;
    }

    struct Audition {
        int port;
        int patch;
        uint32_t note;
        bool operator==(const Audition&) const = default;
    };

    QTemporaryDir m_dir;
    std::unique_ptr<SynthDatabase> m_db;
    PlaybackSources m_sources;
    std::vector<Audition> m_auditions;
};

TEST_F(OptionsPlayback, DrumMaskListsOnlyItsChannels)
{
    addPort(0, 901, 0x200);
    addPort(1, 555, 0x8001);
    auto options = sheet(COptions::kPlayback, m_sources);
    auto* page = options->pageAs<COptionsPlayback>(COptions::kPlayback);
    EXPECT_EQ(texts(page->portList()),
              (std::vector<std::string>{"0/10: Drum Box", "1/1: undefined", "1/16: undefined"}));
    EXPECT_EQ(page->portList()->currentIndex(), 0); // "Device" 0, channel 10 of the click
    EXPECT_EQ(texts(page->kitList()),
              (std::vector<std::string>{"0/1: Standard", "1/25: Electro"}));
    EXPECT_EQ(texts(page->noteList(0)), (std::vector<std::string>{"36: Kick", "37: Stick"}));
    EXPECT_EQ(page->noteList(0)->currentText(), "37: Stick");
    EXPECT_TRUE(m_auditions.empty());
}

TEST_F(OptionsPlayback, UnknownSynthGivesUndefinedAndEmptyLists)
{
    addPort(0, 555, 0);
    auto options = sheet(COptions::kPlayback, m_sources);
    auto* page = options->pageAs<COptionsPlayback>(COptions::kPlayback);
    EXPECT_EQ(page->portList()->count(), 16);
    EXPECT_EQ(page->portList()->itemText(9), "0/10: undefined");
    EXPECT_EQ(page->kitList()->count(), 0);
    EXPECT_EQ(page->noteList(0)->count(), 0);
}

TEST_F(OptionsPlayback, NoPortMeansEmptyListAndNoAudition)
{
    auto options = sheet(COptions::kPlayback, m_sources);
    auto* page = options->pageAs<COptionsPlayback>(COptions::kPlayback);
    EXPECT_EQ(page->portList()->count(), 0);
    EXPECT_EQ(page->kitList()->count(), 0);
    page->noteList(0)->setCurrentIndex(0);
    options->accept();
    EXPECT_TRUE(m_auditions.empty());
    EXPECT_EQ(m_profile.readInt("ClickOptions", "Click1", 0), 0x7F2599);
}

TEST_F(OptionsPlayback, KitsCountFromZeroWithTechnologyBit8)
{
    addPort(0, 902, 0x200);
    auto options = sheet(COptions::kPlayback, m_sources);
    auto* page = options->pageAs<COptionsPlayback>(COptions::kPlayback);
    EXPECT_EQ(texts(page->kitList()), (std::vector<std::string>{"0/0: Zero Kit"}));
}

TEST_F(OptionsPlayback, ChoicesAuditionAndOkBuildsTheClickMessages)
{
    addPort(0, 901, 0);
    m_profile.writeInt("ClickOptions", "Click1", 0x640090); // channel 1, note 0
    auto options = sheet(COptions::kPlayback, m_sources);
    auto* page = options->pageAs<COptionsPlayback>(COptions::kPlayback);
    EXPECT_EQ(page->portList()->currentIndex(), 0);
    page->portList()->setCurrentIndex(9); // 0/10
    page->noteList(0)->setCurrentIndex(1); // 37
    page->velocityField(0)->setText("127");
    page->kitList()->setCurrentIndex(1); // bank 1, program 24: no notes named
    page->kitList()->setCurrentIndex(0);
    page->noteList(0)->setCurrentIndex(1);
    ASSERT_FALSE(m_auditions.empty());
    EXPECT_EQ(m_auditions.back(), (Audition{0, 0, 0x7F2599}));
    options->accept();
    EXPECT_EQ(m_profile.readInt("ClickOptions", "Click1", 0), 0x7F2599);
    EXPECT_EQ(m_profile.readInt("ClickOptions", "Device", -1), 0);
    EXPECT_EQ(m_profile.readInt("ClickOptions", "Patch", -1), 0);
}

// ---- Conductor ----

class OptionsConductor : public OptionsPages {};

TEST_F(OptionsConductor, SwitchesGateTheFollowTapValues)
{
    struct Case {
        const char* what;
        ConductorValues values;
        FollowTapSettings expected;
    };
    ConductorValues off;
    off.enabled = false;
    off.pause = true;
    off.useAverage = true;
    off.tempoNorm = true;
    ConductorValues on = off;
    on.enabled = true;
    on.jumpBack = true;
    const Case cases[] = {
        {"enabled off", off, {false, 0, 0, 0, 0, 10, 50}},
        {"enabled on", on, {true, 20, 50, 80, 80, 10, 50}},
        {"defaults", ConductorValues{}, {false, 0, 0, 0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        const FollowTapSettings tap = followTapOf(c.values);
        EXPECT_EQ(tap.pause, c.expected.pause) << c.what;
        EXPECT_EQ(tap.window, c.expected.window) << c.what;
        EXPECT_EQ(tap.modStrength, c.expected.modStrength) << c.what;
        EXPECT_EQ(tap.jumpForwardStrength, c.expected.jumpForwardStrength) << c.what;
        EXPECT_EQ(tap.jumpBackStrength, c.expected.jumpBackStrength) << c.what;
        EXPECT_EQ(tap.returnRate, c.expected.returnRate) << c.what;
        EXPECT_EQ(tap.averageStrength, c.expected.averageStrength) << c.what;
    }
}

TEST_F(OptionsConductor, EnablingAndOkHandTheMappingOn)
{
    std::optional<FollowTapSettings> handed;
    m_context.setFollowTap = [&](const FollowTapSettings& tap) { handed = tap; };
    m_profile.writeInt("FollowTap", "Enabled", 1);
    m_profile.writeInt("FollowTap", "UseAverage", 1);
    auto options = sheet(COptions::kConductor);
    auto* page = options->pageAs<COptionsConductor>(COptions::kConductor);
    EXPECT_TRUE(page->slider(0)->isEnabled());
    EXPECT_TRUE(page->slider(1)->isEnabled()); // both jumps are on
    page->check(1)->setChecked(false);
    EXPECT_TRUE(page->slider(1)->isEnabled()) << "jump backward still uses it";
    page->check(2)->setChecked(false);
    EXPECT_FALSE(page->slider(1)->isEnabled());
    page->check(0)->setChecked(false);
    EXPECT_FALSE(page->slider(0)->isEnabled());
    EXPECT_FALSE(page->slider(2)->isEnabled());
    EXPECT_TRUE(page->slider(3)->isEnabled());
    page->slider(3)->setValue(65);
    EXPECT_EQ(page->sliderText(3)->text(), "65");
    options->accept();
    ASSERT_TRUE(handed);
    EXPECT_EQ(handed->window, 0);
    EXPECT_EQ(handed->averageStrength, 65);
    EXPECT_EQ(m_profile.readInt("FollowTap", "Enabled", -1), 0);
    EXPECT_EQ(m_profile.readInt("FollowTap", "AveStrength", -1), 65);
}

// With nothing stored the page shows every switch as the engine reads it.
TEST_F(OptionsConductor, AbsentSwitchesShowWhatTheEngineReads)
{
    auto options = sheet(COptions::kConductor);
    auto* page = options->pageAs<COptionsConductor>(COptions::kConductor);
    const Setting* rows[] = {&settings::kFollowTapEnabled, &settings::kFollowTapEnableJumpF,
                             &settings::kFollowTapEnableJumpB, &settings::kFollowTapEnableTempoMod,
                             &settings::kFollowTapUseAverage, &settings::kFollowTapEnableTempoNorm,
                             &settings::kFollowTapPause};
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(page->check(i)->isChecked(), readSetting(m_profile, *rows[i]) != 0) << rows[i]->name;
    EXPECT_EQ(ConductorValues{}.jumpBack, readSetting(m_profile, settings::kFollowTapEnableJumpB) != 0);
}

// ---- One picture per page for review ----

TEST_F(OptionsPages, OptionsScreenshotsOnePerPage)
{
    auto options = sheet(COptions::kStartup);
    options->resize(640, 560);
    options->show();
    // Beside the test program in the build folder: never in the sources,
    // wherever the program is started from.
    const QDir dir(QDir(QCoreApplication::applicationDirPath()).filePath("options_screenshots"));
    ASSERT_TRUE(QDir().mkpath(dir.path()));
    for (int i = 0; i < COptions::kPageCount; ++i) {
        options->showPage(i);
        const QString file = dir.filePath(QStringLiteral("options_%1.png").arg(i, 2, 10, QChar('0')));
        ASSERT_TRUE(options->grab().save(file)) << file.toStdString();
    }
    options->reject();
}

} // namespace
} // namespace rz
