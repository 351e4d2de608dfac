#include "set_fixture.h"

#include "set/new_document_target.h"
#include "set/ui/new_song_dlg.h"

#include "song/clipboard.h"

#include <QLineEdit>
#include <QListWidget>
#include <QStandardPaths>

#include <gtest/gtest.h>

namespace rz {
namespace {

struct NewSetDialogQt : SetFixture, testing::Test {
    std::filesystem::path gigs() const { return folder.path() / "Gigs"; }
    void SetUp() override { std::filesystem::create_directories(gigs()); }
};

TEST_F(NewSetDialogQt, ShowInGigsGivesItsOwnFolder)
{
    CNewSongDlg dialog(profile, prompt, set, false);
    ASSERT_EQ(dialog.list()->count(), 2);
    EXPECT_EQ(dialog.kind(), 0); // no set file: an empty set first
    dialog.nameEdit()->setText("Show");
    dialog.locationEdit()->setText(QString::fromStdString(gigs().string() + "/"));
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.path(), gigs() / "Show" / "Show.set");
}

TEST_F(NewSetDialogQt, ExistingTargetKeepsTheDialogOpenWithItsMessage)
{
    writeBytes(gigs() / "Show" / "Show.set", {0});
    CNewSongDlg dialog(profile, prompt, set, false);
    dialog.nameEdit()->setText("Show");
    dialog.locationEdit()->setText(QString::fromStdString(gigs().string()));
    prompt.expectMessage("already exists");
    dialog.accept();
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(dialog.path().empty());
}

TEST_F(NewSetDialogQt, SongRowIsRememberedWithASetFile)
{
    writeSet({});
    ASSERT_TRUE(set.OnOpenDocument(setPath()));
    profile.writeInt("SaveOptions", "Template", 5);
    CNewSongDlg dialog(profile, prompt, set, false);
    EXPECT_EQ(dialog.kind(), 1);
    EXPECT_EQ(dialog.locationEdit()->text().toStdString(), folder.path().string());
    dialog.nameEdit()->setText("Tune");
    dialog.accept();
    EXPECT_EQ(dialog.path(), folder.path() / "Tune.mid");
    EXPECT_TRUE(dialog.addToSet());
    EXPECT_EQ(profile.readInt("SaveOptions", "Template", 0), 1);
}

// Templates in the per-run application data folder, removed afterwards.
struct NewSongDlgRows : SetFixture, testing::Test {
    std::filesystem::path templates =
        std::filesystem::path(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation).toStdString())
        / "templates";

    void SetUp() override
    {
        for (const char* name : {"rock.mid", "Ballad.mid", "notes.txt"})
            writeBytes(templates / name, {0});
        writeSet({});
        ASSERT_TRUE(set.OnOpenDocument(setPath()));
    }
    void TearDown() override { std::filesystem::remove_all(templates); }

    static std::vector<std::string> rows(const CNewSongDlg& dialog)
    {
        std::vector<std::string> texts;
        for (int i = 0; i < dialog.list()->count(); ++i)
            texts.push_back(dialog.list()->item(i)->text().toStdString());
        return texts;
    }
};

TEST_F(NewSongDlgRows, EmptyClipboardTemplatesStartAtRowTwoByTitle)
{
    profile.writeInt("SaveOptions", "Template", 2);
    CNewSongDlg dialog(profile, prompt, set, false);
    EXPECT_EQ(rows(dialog), (std::vector<std::string>{"Empty Set", "Empty Song", "Ballad", "rock"}));
    EXPECT_EQ(dialog.kind(), 2);
    dialog.nameEdit()->setText("Tune");
    dialog.accept();
    EXPECT_EQ(dialog.templatePath(), templates / "Ballad.mid");
    EXPECT_EQ(dialog.path(), folder.path() / "Tune.mid");
}

TEST_F(NewSongDlgRows, AClipboardSongAddsTheCopyRowWhichTheForcedFlagPicks)
{
    host.clipboard().kind = kClipboardSong;
    host.clipboard().songPath = folder.path() / "Source.mid";
    profile.writeInt("SaveOptions", "Template", 3);
    CNewSongDlg stored(profile, prompt, set, false);
    EXPECT_EQ(rows(stored), (std::vector<std::string>{"Empty Set", "Empty Song", "Copy of song", "Ballad", "rock"}));
    EXPECT_EQ(stored.kind(), 3);

    CNewSongDlg forced(profile, prompt, set, true);
    EXPECT_EQ(forced.kind(), 2);
    forced.nameEdit()->setText("Copy");
    forced.accept();
    EXPECT_EQ(forced.templatePath(), folder.path() / "Source.mid");
    EXPECT_EQ(profile.readInt("SaveOptions", "Template", 0), 3); // a forced song is not remembered
}

TEST_F(NewSongDlgRows, AMissingTemplatesFolderGivesNoTemplateRows)
{
    std::filesystem::remove_all(templates);
    CNewSongDlg dialog(profile, prompt, set, false);
    EXPECT_EQ(dialog.list()->count(), 2);
    EXPECT_EQ(dialog.kind(), 1);
}

} // namespace
} // namespace rz
