#include "app_test_fixture.h"

#include "app/new_document_prompt.h"
#include "res/command_ids.h"
#include "set/set_file.h"
#include "ui/command_router.h"

#include <cstdlib>
#include <fstream>
#include <iterator>

namespace rz {
namespace {

struct ChosenNewDocument : INewDocumentPrompt {
    std::optional<NewDocumentChoice> choice;
    int asked = 0;
    std::optional<NewDocumentChoice> askNewDocument(bool) override
    {
        ++asked;
        return choice;
    }
};

using AppNewDocument = AppFixture;

TEST_F(AppNewDocument, FileNewMakesAnEmptySetAtOnce)
{
    start();
    EXPECT_FALSE(app->router().update(kIdFileNew).enabled) << "no New dialog";
    ChosenNewDocument dialog;
    const std::filesystem::path folder = std::filesystem::path(std::getenv("HOME")) / "Gigs" / "Show";
    std::filesystem::create_directories(folder);
    dialog.choice = NewDocumentChoice{0, folder / "Show.set", false};
    app->commands().file->setNewDocumentPrompt(&dialog);
    EXPECT_TRUE(app->router().update(kIdFileNew).enabled);
    EXPECT_TRUE(app->router().execute(kIdFileNew));
    EXPECT_EQ(dialog.asked, 1);
    std::ifstream in(folder / "Show.set", std::ios::binary);
    const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_EQ(bytes, (std::vector<uint8_t>{0, 0, 0, 0, 101, 0, 0, 0, 0, 0}));
    EXPECT_TRUE(app->set().hasSetFile());
    app->commands().file->setNewDocumentPrompt(nullptr);
}

// Paste song's copy choice: the forced New dialog, then a song read from
// the clipboard's song; a source that cannot be read leaves no file.
TEST_F(AppNewDocument, ASongFromTheClipboardsSongIsACopyOfIt)
{
    start();
    const std::filesystem::path folder = std::filesystem::path(std::getenv("HOME")) / "Copies";
    std::filesystem::create_directories(folder);
    CSongDoc& source = addSong("Source", folder / "Source.mid");
    ASSERT_TRUE(source.OnSaveDocument(folder / "Source.mid"));
    ChosenNewDocument dialog;
    dialog.choice = NewDocumentChoice{2, folder / "Copy.mid", false, folder / "Source.mid"};
    app->commands().file->setNewDocumentPrompt(&dialog);
    app->commands().file->NewSongFromClipboard();
    EXPECT_EQ(dialog.asked, 1);
    ASSERT_TRUE(std::filesystem::exists(folder / "Copy.mid"));
    EXPECT_NE(app->set().findSongByName(folder / "Copy.mid"), nullptr);

    dialog.choice = NewDocumentChoice{2, folder / "Other.mid", false, folder / "Gone.mid"};
    prompt.expectMessage("Sorry, the file copy operation failed.");
    app->commands().file->NewSongFromClipboard();
    EXPECT_FALSE(std::filesystem::exists(folder / "Other.mid"));
    prompt.verifyAllUsed();
    app->commands().file->setNewDocumentPrompt(nullptr);
}

TEST_F(AppNewDocument, RevertIsGreyWithoutAPreviousSong)
{
    start();
    EXPECT_FALSE(app->router().update(kIdRevertToRecentSong).enabled);
}

} // namespace
} // namespace rz
