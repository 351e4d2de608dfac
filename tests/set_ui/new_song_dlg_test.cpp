#include "set_fixture.h"

#include "set/new_document_target.h"
#include "set/ui/new_song_dlg.h"

#include <QLineEdit>
#include <QListWidget>

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

} // namespace
} // namespace rz
