#include "set/ui/import_lyrics_dlg.h"

#include "set/lyric_import.h"
#include "song/describe_song.h"
#include "song/song_doc.h"
#include "song/track.h"
#include "tests/song/song_builder.h"
#include "tests/song/song_fixture.h"
#include "tests/support/eventually.h"
#include "tests/support/hostile_files.h"

#include <QCoreApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fstream>

namespace rz::test {
namespace {

std::string textOf(const CMidiEvent& event)
{
    const std::span<const uint8_t> bytes = event.data.bytes();
    return std::string(bytes.begin(), bytes.end());
}

class ImportLyrics : public ::testing::Test {
protected:
    std::unique_ptr<CImportLyricsDlg> makeDialog(CTrack& track)
    {
        auto dialog = std::make_unique<CImportLyricsDlg>(*song, track, fixture.engine, fixture.profile,
                                                         fixture.prompt);
        dialog->show();
        return dialog;
    }

    // Types the text, starts with OK and taps one piece at each tick.
    void tap(CImportLyricsDlg& dialog, const char* text, std::initializer_list<int32_t> ticks)
    {
        dialog.textEdit()->setPlainText(text);
        dialog.okButton()->click();
        fixture.engine.state = TransportState::Playing;
        for (int32_t tick : ticks) {
            song->setPosition(tick);
            dialog.insertButton()->click();
        }
    }

    SongFixture fixture;
    std::unique_ptr<CSongDoc> song = fixture.newSong();
    CTrack target;
};

TEST_F(ImportLyrics, WordModeInsertsEachPieceAtTheTickItWasTapped)
{
    auto dialog = makeDialog(target);
    EXPECT_FALSE(dialog->okButton()->isEnabled());
    dialog->textEdit()->setPlainText(" \n\t ");
    EXPECT_FALSE(dialog->okButton()->isEnabled());
    dialog->textEdit()->setPlainText("one two\nthree\n\nfour\n");
    ASSERT_TRUE(dialog->okButton()->isEnabled());
    song->setPosition(700);
    dialog->okButton()->click();
    EXPECT_TRUE(dialog->tapping());
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_TRUE(dialog->textEdit()->isReadOnly());
    EXPECT_FALSE(dialog->openButton()->isEnabled());
    EXPECT_FALSE(dialog->lineMode()->isEnabled());
    EXPECT_TRUE(dialog->insertButton()->isEnabled());
    EXPECT_EQ(dialog->textEdit()->toPlainText(), "one");
    EXPECT_EQ(song->position(), 0);
    EXPECT_TRUE(fixture.engine.log.contains("Advance(1)"));

    fixture.engine.state = TransportState::Playing;
    const int32_t ticks[] = {10, 130, 250, 370};
    for (int32_t tick : ticks) {
        song->setPosition(tick);
        dialog->insertButton()->click();
    }
    ASSERT_EQ(target.events.size(), 4u);
    const char* texts[] = {"one", " two", "/three", "\\four"};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(target.events[i].tick, ticks[i]);
        EXPECT_EQ(target.events[i].message, 0x05FFu);
        EXPECT_EQ(textOf(target.events[i]), texts[i]);
    }
    EXPECT_EQ(fixture.engine.log.count("Stop"), 1u);
    EXPECT_TRUE(dialog->textEdit()->toPlainText().isEmpty());

    // The last press stopped the song; the next timer tick ends with OK.
    dialog->timerStep();
    EXPECT_TRUE(dialog->isVisible());
    fixture.engine.state = TransportState::Stopped;
    EXPECT_TRUE(eventually([&] {
        QCoreApplication::processEvents();
        return !dialog->isVisible();
    }));
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
}

TEST_F(ImportLyrics, PressesAtOneTickKeepTheirOrderAfterTheEventsThere)
{
    target.events.push_back(textEvent(10, "x", 0x05));
    target.events.push_back(textEvent(20, "y", 0x05));
    auto dialog = makeDialog(target);
    dialog->lineMode()->setChecked(true);
    tap(*dialog, "one two\nthree", {10, 10});
    ASSERT_EQ(target.events.size(), 4u);
    EXPECT_EQ(textOf(target.events[0]), "x");
    EXPECT_EQ(textOf(target.events[1]), "one two");
    EXPECT_EQ(textOf(target.events[2]), "/three");
    EXPECT_EQ(textOf(target.events[3]), "y");
}

TEST_F(ImportLyrics, OkAddsTheTrackAsOneUndoStep)
{
    const std::string before = DescribeSong(*song);
    const size_t trackCount = song->tracks.size();
    const bool added = importLyricsTrack(*song, [&](CTrack& track) {
        EXPECT_EQ(track.name, "Lyrics");
        auto dialog = makeDialog(track);
        tap(*dialog, "one two", {0, 60});
        fixture.engine.state = TransportState::Stopped;
        dialog->timerStep();
        return dialog->result() == QDialog::Accepted;
    });
    ASSERT_TRUE(added);
    ASSERT_EQ(song->tracks.size(), trackCount + 1);
    EXPECT_EQ(song->tracks[1]->name, "Lyrics");
    EXPECT_EQ(song->tracks[1]->events.size(), 2u);
    ASSERT_EQ(song->undoList.size(), 1u);
    EXPECT_EQ(song->undoList.front()->label, "Import lyrics");
    ASSERT_TRUE(song->Undo());
    EXPECT_EQ(DescribeSong(*song), before);
}

TEST_F(ImportLyrics, CancelLeavesTheSongAsItWas)
{
    const std::string before = DescribeSong(*song);
    const bool added = importLyricsTrack(*song, [&](CTrack& track) {
        auto dialog = makeDialog(track);
        tap(*dialog, "one two", {0});
        dialog->reject();
        return dialog->result() == QDialog::Accepted;
    });
    EXPECT_FALSE(added);
    EXPECT_EQ(DescribeSong(*song), before);
    EXPECT_TRUE(song->undoList.empty());
}

TEST_F(ImportLyrics, OpenReadsATextFileAndRefusesAHugeOne)
{
    QTemporaryDir dir;
    const std::filesystem::path folder = dir.path().toStdString();
    {
        std::ofstream(folder / "song.txt", std::ios::binary) << "caf\xE9 au lait";
        std::ofstream big(folder / "big.txt", std::ios::binary);
        big << std::string(2 << 20, 'a');
    }
    auto dialog = makeDialog(target);
    fixture.prompt.expectOpenPath("Import lyrics...", folder / "song.txt");
    dialog->openButton()->click();
    EXPECT_EQ(dialog->textEdit()->toPlainText(), QString::fromUtf8("caf\xC3\xA9 au lait"));
    EXPECT_EQ(fixture.profile.readString("Dirs", "Lyrics", ""), folder.string());
    ASSERT_FALSE(fixture.prompt.prompts().empty());
    EXPECT_EQ(fixture.prompt.prompts().back().filter, "Text files (*.txt)");

    fixture.prompt.expectOpenPath("Import lyrics...", folder / "big.txt");
    fixture.prompt.expectMessage("is too large to import.");
    dialog->openButton()->click();
    EXPECT_EQ(dialog->textEdit()->toPlainText(), QString::fromUtf8("caf\xC3\xA9 au lait"));
    EXPECT_EQ(fixture.prompt.prompts().back().text,
              "Sorry, '" + (folder / "big.txt").string() + "' is too large to import.");
    fixture.prompt.verifyAllUsed();
}

TEST_F(ImportLyrics, AFifoOrFolderIsRefusedAtOnceWithTheFileAndTheReason)
{
    QTemporaryDir dir;
    const std::filesystem::path folder = dir.path().toStdString();
    const auto fifo = folder / "words.txt";
    MakeFifo(fifo);
    auto dialog = makeDialog(target);
    dialog->textEdit()->setPlainText("kept");
    const struct {
        std::filesystem::path path;
        const char* reason;
    } cases[] = {{fifo, "not a regular file"}, {folder, "not a regular file (a folder)"}};
    for (const auto& c : cases) {
        fixture.prompt.expectOpenPath("Import lyrics...", c.path);
        fixture.prompt.expectMessage("could not be read.");
        {
            FifoWatchdog watchdog({fifo});
            dialog->openButton()->click();
            EXPECT_FALSE(watchdog.fired()) << "opening " << c.path << " blocked";
        }
        EXPECT_EQ(fixture.prompt.prompts().back().text,
                  "Sorry, '" + c.path.string() + "' could not be read.\n" + c.reason);
        EXPECT_EQ(dialog->textEdit()->toPlainText(), "kept");
    }
    fixture.prompt.verifyAllUsed();
}

} // namespace
} // namespace rz::test
