// The Options sheet as a whole: defaults of a fresh profile, the range check
// that writes nothing, and pages that were never shown.

#include "app/options/options_sheet.h"
#include "options_test_support.h"
#include "tests/support/scripted_prompt.h"
#include "ui/profile.h"

#include <QFile>
#include <QTabWidget>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace rz {
namespace {

class OptionsSheet : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_ini = m_dir.filePath("settings.ini").toStdString();
        m_profile = std::make_unique<Profile>(m_ini);
        m_context.profile = m_profile.get();
        m_context.prompt = &m_prompt;
    }

    std::unique_ptr<COptions> sheet(int start = COptions::kStartup)
    {
        return std::make_unique<COptions>(m_context, PlaybackSources{}, start);
    }

    QByteArray fileBytes()
    {
        m_profile->sync();
        QFile file(QString::fromStdString(m_ini.string()));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir m_dir;
    std::filesystem::path m_ini;
    std::unique_ptr<Profile> m_profile;
    ScriptedPrompt m_prompt;
    OptionsContext m_context;
};

TEST_F(OptionsSheet, CaptionPagesAndStartIndex)
{
    auto options = sheet(COptions::kRecord);
    EXPECT_EQ(options->windowTitle(), "DEVU Rizoraz Options...");
    const char* captions[] = {"Startup", "Playback", "Display", "Record",
                              "Staff && Lead-Sheet", "Open", "Save", "Karaoke",
                              "Conductor", "Set", "Macros"};
    ASSERT_EQ(options->tabs()->count(), 11);
    for (int i = 0; i < 11; ++i)
        EXPECT_EQ(options->tabs()->tabText(i), captions[i]) << i;
    EXPECT_EQ(options->currentPage(), COptions::kRecord);
    EXPECT_TRUE(options->page(COptions::kRecord)->loaded());
    EXPECT_FALSE(options->page(COptions::kStartup)->loaded());
}

TEST_F(OptionsSheet, FreshProfileShowsEveryDefault)
{
    struct Case {
        int page;
        const char* control;
        const char* shown;
    };
    const Case cases[] = {
        {COptions::kStartup, "Open the most recent set or song", "1"},
        {COptions::kStartup, "Use the Internet to check for software updates", "1"},
        {COptions::kStartup, "Automatically associate MIDI files with DEVU Rizoraz:", "1"},
        {COptions::kStartup, "DEVU Rizoraz window always on top", "0"},
        {COptions::kStartup, "Prevent system Suspend (power saving) mode", "0"},
        {COptions::kPlayback, "Source:", "0"},
        {COptions::kPlayback, "Resolution (ms):", "2"},
        {COptions::kPlayback, "Enabled", "0"},
        {COptions::kPlayback, "Lead time (ms):", "0"},
        {COptions::kPlayback, "Re-assert patches and other controllers when play begins", "0"},
        {COptions::kPlayback, "Interpret play/cue command as last vamp", "1"},
        {COptions::kPlayback, "Use pitch wheel to control tempo multiplier on channel:", "0"},
        {COptions::kDisplay, "Smooth scrolling of current playback position", "1"},
        {COptions::kRecord, "Normal", "1"},
        {COptions::kRecord, "Click track enabled", "1"},
        {COptions::kRecord, "Count-in (measures)", "1"},
        {COptions::kRecord, "Follow tempo map", "1"},
        {COptions::kRecord, "Echo events", "1"},
        {COptions::kRecord, "Notes", "1"},
        {COptions::kRecord, "Aftertouch", "0"},
        {COptions::kRecord, "Channel pressure", "0"},
        {COptions::kRecord, "System exclusive", "1"},
        {COptions::kRecord, "Step size:", "0"},
        {COptions::kRecord, "Velocity: (0 = as played)", "0"},
        {COptions::kStaff, "Printed staff size:", "3"},
        {COptions::kStaff, "Fill -- extend note durations to next beat boundaries to avoid rests", "1"},
        {COptions::kStaff, "Resolution (smallest notes):", "1"},
        {COptions::kOpen, "Split tracks that contain patch change events", "0"},
        {COptions::kOpen, "Format 0 files:", "1"},
        {COptions::kOpen,
         "Automatically manage patch changes and other track properties (RECOMMENDED)", "1"},
        {COptions::kSave, "Default to Documents folder", "1"},
        {COptions::kSave, "Maintain backup (.bak) files for songs", "0"},
        {COptions::kSave, "Save AutoRecover info every", "0"},
        {COptions::kSave, "minutes", "10"},
        {COptions::kSave, "Rename files to match MIDI song titles", "1"},
        {COptions::kLyric, "Center text", "0"},
        {COptions::kLyric, "Display background graphic", "0"},
        {COptions::kConductor, "Enable beat proximity sense", "0"},
        {COptions::kConductor, "Jump forward", "1"},
        {COptions::kConductor, "Modify tempo multiplier", "1"},
        {COptions::kSet, "Delay:", "1"},
        {COptions::kSet, "Immediately begin playback", "0"},
        {COptions::kSet, "Reset:", "2"},
        {COptions::kSet, "Automatically expand/collapse marker list", "1"},
        {COptions::kSet, "Load songs individually when the number of songs exceeds", "80"},
        {COptions::kMacros, "%1", ""},
    };
    auto options = sheet();
    for (int i = 0; i < COptions::kPageCount; ++i)
        options->showPage(i);
    for (const Case& c : cases) {
        QWidget* control = controlOf(options->page(c.page), QString::fromUtf8(c.control));
        ASSERT_NE(control, nullptr) << c.control;
        EXPECT_EQ(shownValue(control), c.shown) << c.control;
    }
    auto* conductor = options->pageAs<COptionsConductor>(COptions::kConductor);
    const int sliders[] = {20, 80, 50, 50, 10};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(conductor->slider(i)->value(), sliders[i]) << i;
        EXPECT_EQ(conductor->sliderText(i)->text().toInt(), sliders[i]) << i;
    }
    auto* lyric = options->pageAs<COptionsLyric>(COptions::kLyric);
    EXPECT_EQ(lyric->color(1), 0xFFFFFFu);
    EXPECT_EQ(lyric->color(3), 0x00FFFFu);
    auto* save = options->pageAs<COptionsSave>(COptions::kSave);
    EXPECT_TRUE(save->pathField()->text().endsWith('/'));
    EXPECT_FALSE(save->pathField()->isEnabled());
}

// Each refused value leaves the sheet open on its page with the field
// selected and the settings file as it was, although another page changed.
TEST_F(OptionsSheet, OutOfRangeValuesAreRefusedAndNothingIsWritten)
{
    struct Case {
        int page;
        const char* field;
        const char* typed;
        const char* message;
    };
    const Case cases[] = {
        {COptions::kSet, "Delay:", "61", "between 0 and 60."},
        {COptions::kSet, "Load songs individually when the number of songs exceeds", "501",
         "between 0 and 500."},
        {COptions::kSave, "minutes", "181", "between 1 and 180."},
        {COptions::kPlayback, "Resolution (ms):", "0", "between 1 and 100."},
        {COptions::kPlayback, "Resolution (ms):", "101", "between 1 and 100."},
        {COptions::kRecord, "Count-in (measures)", "9", "between 0 and 8."},
        {COptions::kPlayback, "Lead time (ms):", "501", "between 0 and 500."},
        {COptions::kRecord, "Count-in (measures)", "two", "between 0 and 8."},
    };
    m_profile->writeInt("StartupOptions", "AutoOpen", 1);
    const QByteArray before = fileBytes();
    for (const Case& c : cases) {
        auto options = sheet();
        auto* autoOpen = qobject_cast<QAbstractButton*>(
            controlOf(options->page(COptions::kStartup), "Open the most recent set or song"));
        autoOpen->setChecked(false);
        options->showPage(COptions::kMacros);
        options->showPage(c.page);
        QLineEdit* edit = editOf(options->page(c.page), c.field);
        ASSERT_NE(edit, nullptr) << c.field;
        edit->setText(c.typed);
        options->showPage(COptions::kMacros);
        m_prompt.expectMessage(std::string("Please enter an integer ") + c.message);
        options->accept();
        m_prompt.verifyAllUsed();
        EXPECT_NE(options->result(), QDialog::Accepted) << c.field;
        EXPECT_EQ(options->currentPage(), c.page) << c.field;
        EXPECT_EQ(edit->selectedText(), c.typed) << c.field;
        EXPECT_EQ(fileBytes(), before) << c.field << " " << c.typed;
    }
}

// A stored value out of range shows as stored and must be mended first.
TEST_F(OptionsSheet, HandEditedValueShowsAsStoredUntilMended)
{
    m_profile->writeInt("SetOptions", "MaxSetSize", 900);
    auto options = sheet(COptions::kSet);
    QLineEdit* edit = editOf(options->page(COptions::kSet),
                             "Load songs individually when the number of songs exceeds");
    EXPECT_EQ(edit->text(), "900");
    m_prompt.expectMessage("Please enter an integer between 0 and 500.");
    options->accept();
    m_prompt.verifyAllUsed();
    edit->setText("120");
    options->accept();
    EXPECT_EQ(options->result(), QDialog::Accepted);
    EXPECT_EQ(m_profile->readInt("SetOptions", "MaxSetSize", 0), 120);
}

TEST_F(OptionsSheet, OkWritesOnlyShownPagesAndCancelWritesNothing)
{
    {
        auto options = sheet(COptions::kStartup);
        options->accept();
        ASSERT_EQ(options->result(), QDialog::Accepted);
    }
    EXPECT_EQ(m_profile->readInt("StartupOptions", "AutoOpen", -1), 1);
    EXPECT_EQ(m_profile->readInt("OSoptions", "alwaysontop", -1), 0);
    for (const char* section : {"PlaybackOptions", "ClickOptions", "DisplayOptions",
                                "RecordOptions", "StaffView", "OpenOptions", "SaveOptions",
                                "LyricView", "FollowTap", "SetOptions", "Macros", "Sequencer"})
        EXPECT_TRUE(m_profile->valueNames(section).empty()) << section;

    const QByteArray before = fileBytes();
    auto options = sheet(COptions::kStartup);
    for (int i = 0; i < COptions::kPageCount; ++i)
        options->showPage(i);
    qobject_cast<QAbstractButton*>(
        controlOf(options->page(COptions::kStartup), "Open the most recent set or song"))
        ->setChecked(false);
    editOf(options->page(COptions::kMacros), "%1")->setText("Chorus");
    options->reject();
    EXPECT_EQ(fileBytes(), before);
}

TEST_F(OptionsSheet, HelpOpensTheShownPagesTopic)
{
    std::vector<std::string> topics;
    m_context.openHelp = [&](std::string_view topic) { topics.emplace_back(topic); };
    auto options = sheet(COptions::kConductor);
    options->openHelp();
    options->showPage(COptions::kPlayback);
    options->openHelp();
    EXPECT_EQ(topics, (std::vector<std::string>{"::/Conductor.htm", "::/Options.htm#play"}));
}

} // namespace
} // namespace rz
