#include "app/file_opening.h"
#include "app_test_fixture.h"

#include "app/menu_bar.h"
#include "app/new_document_prompt.h"
#include "res/command_ids.h"
#include "res/main_menu.h"
#include "set/set_file.h"
#include "ui/command_router.h"

#include <cstdlib>
#include <QAction>
#include <QMenu>

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

QStringList recentMenu(App& app, std::string_view title)
{
    QStringList texts;
    if (QMenu* menu = app.frame()->menuBar()->subMenu("&File", title))
        for (const QAction* action : menu->actions())
            texts << action->text();
    return texts;
}

// A set made with File > New, a song made into it and a set opened after
// each go to their lists at once, newest first, in the menus and in the
// profile; the set made last is the one the next start opens.
TEST_F(AppNewDocument, MadeAndOpenedSetsAndSongsFillTheRecentListsAtOnce)
{
    start();
    EXPECT_EQ(recentMenu(*app, kRecentSetsMenu), QStringList{"(Empty list)"});
    EXPECT_EQ(recentMenu(*app, kRecentSongsMenu), QStringList{"(Empty list)"});
    const std::filesystem::path gigs = std::filesystem::path(std::getenv("HOME")) / "Recent";
    std::filesystem::create_directories(gigs / "Show");
    ChosenNewDocument dialog;
    app->commands().file->setNewDocumentPrompt(&dialog);
    dialog.choice = NewDocumentChoice{0, gigs / "Show" / "Show.set", false};
    ASSERT_TRUE(app->router().execute(kIdFileNew));
    EXPECT_EQ(recentMenu(*app, kRecentSetsMenu), QStringList{"&1 Show"});
    EXPECT_EQ(profile.readString("Recent File List", "File1", ""), (gigs / "Show" / "Show.set").string());
    EXPECT_EQ(profile.readString("StartupOptions", "AutoOpenPath", ""), (gigs / "Show" / "Show.set").string());

    dialog.choice = NewDocumentChoice{1, gigs / "Show" / "Tune.mid", true};
    ASSERT_TRUE(app->router().execute(kIdFileNew));
    ASSERT_NE(app->set().findSongByName(gigs / "Show" / "Tune.mid"), nullptr);
    EXPECT_EQ(recentMenu(*app, kRecentSongsMenu), QStringList{"&1 Tune"});
    EXPECT_EQ(profile.readString("Recent Song List", "Song1", ""), (gigs / "Show" / "Tune.mid").string());

    const std::vector<uint8_t> empty = encodeSetFile({}, false);
    std::ofstream(gigs / "Other.set", std::ios::binary)
        .write(reinterpret_cast<const char*>(empty.data()), std::streamsize(empty.size()));
    prompt.expectYesNoCancel("Save changes to Show?", PromptAnswer::Yes);
    app->opening().OpenDocumentFile(gigs / "Other.set");
    ASSERT_EQ(app->set().pathName(), gigs / "Other.set");
    EXPECT_EQ(recentMenu(*app, kRecentSetsMenu), (QStringList{"&1 Other", "&2 Show"}));
    EXPECT_EQ(profile.readString("Recent File List", "File2", ""), (gigs / "Show" / "Show.set").string());

    dialog.choice = NewDocumentChoice{0, gigs / "Show" / "Encore" / "Encore.set", false};
    std::filesystem::create_directories(gigs / "Show" / "Encore");
    ASSERT_TRUE(app->router().execute(kIdFileNew));
    EXPECT_EQ(profile.readString("StartupOptions", "AutoOpenPath", ""),
              (gigs / "Show" / "Encore" / "Encore.set").string());
    EXPECT_EQ(recentMenu(*app, kRecentSetsMenu), (QStringList{"&1 Encore", "&2 Other", "&3 Show"}));
    app->commands().file->setNewDocumentPrompt(nullptr);
    app.reset();

    start();
    EXPECT_EQ(recentMenu(*app, kRecentSetsMenu), (QStringList{"&1 Encore", "&2 Other", "&3 Show"}));
    EXPECT_EQ(recentMenu(*app, kRecentSongsMenu), QStringList{"&1 Tune"});
}

TEST_F(AppNewDocument, RevertIsGreyWithoutAPreviousSong)
{
    start();
    EXPECT_FALSE(app->router().update(kIdRevertToRecentSong).enabled);
}

} // namespace
} // namespace rz
