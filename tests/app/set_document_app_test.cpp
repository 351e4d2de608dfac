#include "app/file_opening.h"
#include "app_test_fixture.h"

#include "app/flat_tool_bar.h"
#include "app/setup_dialogs.h"
#include "core/smpte_time.h"
#include "res/command_ids.h"
#include "set/set_file.h"
#include "set/ui/set_pane.h"
#include "set/ui/set_tree_model.h"
#include "tests/app/small_song.h"
#include "ui/command_router.h"

#include <cstdlib>
#include <fstream>

#include <sys/stat.h>

namespace rz {
namespace {

void writeBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes)
{
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

class AppSet : public AppFixture {
protected:
    // A folder of the test's own: one program may run several tests.
    static std::filesystem::path place()
    {
        return testHome() / testing::UnitTest::GetInstance()->current_test_info()->name();
    }
    std::filesystem::path folder() const { return place() / "Show"; }
    std::filesystem::path setPath() const { return folder() / "Show.set"; }

    // A set file listing the songs, each written beside it.
    void writeSet(const std::vector<std::string>& songs, bool lock = false)
    {
        std::vector<SetFileEntry> entries;
        for (const std::string& name : songs)
            entries.push_back({0, false, false, writeSmallSong(folder() / name).string()});
        writeBytes(setPath(), encodeSetFile(entries, lock));
    }
};

// Records which items the set pane would redraw.
struct ChangedItems : ISetTreeObserver {
    std::vector<const SetTreeItem*> items;
    void itemChanged(const SetTreeItem* item) override { items.push_back(item); }
    void treeReset() override {}
    void scrollToTop(const SetTreeItem*) override {}
};

TEST_F(AppSet, SwitchingToSetTimesRedrawsEverySongCaption)
{
    start();
    CSongDoc& a = addSong("A");
    a.length = 61e6;
    ChangedItems changed;
    app->set().navigator().setObserver(&changed);
    app->transport().setDisplayMode(1);
    const SetTreeItem* item = app->set().tree().itemsOf(&a).front();
    EXPECT_NE(std::find(changed.items.begin(), changed.items.end(), item), changed.items.end());
    EXPECT_TRUE(app->set().navigator().captionOf(item).starts_with("A [0:01:01:"));
    changed.items.clear();
    app->transport().setDisplayMode(0);
    EXPECT_FALSE(changed.items.empty());
    EXPECT_EQ(app->set().navigator().captionOf(item), "A");
    app->set().navigator().setObserver(nullptr);
}

// The set pane as the program registers it, showing set times over two songs;
// the Synchronization dialog's OK sets the frame rate as the engine does.
class SetTimeCaptions : public AppSet {
protected:
    struct NoTrash : ITrash {
        bool moveToTrash(const std::filesystem::path&) override { return false; }
    };

    void SetUp() override
    {
        viewFactory.registerView(ViewKind::SetTree, [this](const ViewRequest& request) {
            return new SetPane(app->set(), app->statusLine(), trash, app->profile(), request.parent);
        });
        profile.writeInt("DisplayOptions", "ViewSetTime", 1);
        setDefaultSmpteRate(kSmpteRate30);
        start();
        app->setupDialogs().registerDialog(kIdSynchronization, [] {
            setDefaultSmpteRate(kSmpteRate25);
            return true;
        });
    }
    void TearDown() override { setDefaultSmpteRate(kSmpteRate30); } // the rate is program-wide

    NoTrash trash;
};

TEST_F(SetTimeCaptions, AFrameRateChangeRedrawsEverySongCaption)
{
    CSongDoc& a = addSong("A");
    a.length = 61.5e6;
    CSongDoc& b = addSong("B");
    b.length = 3.2e6;
    auto* pane = qobject_cast<SetPane*>(app->views().slot(ViewSlots::kLive));
    ASSERT_NE(pane, nullptr);
    SetTreeModel& model = pane->model();
    const SetTreeItem* itemA = app->set().tree().itemsOf(&a).front();
    const SetTreeItem* itemB = app->set().tree().itemsOf(&b).front();
    const auto caption = [&](const SetTreeItem* item) {
        return model.data(model.indexOf(item), Qt::DisplayRole).toString().toStdString();
    };
    EXPECT_EQ(caption(itemA), "A [0:01:01:15]");
    std::vector<const SetTreeItem*> redrawn;
    QObject::connect(&model, &QAbstractItemModel::dataChanged, &model,
                     [&](const QModelIndex& at) { redrawn.push_back(model.itemAt(at)); });

    EXPECT_TRUE(app->router().execute(kIdSynchronization));
    EXPECT_EQ(caption(itemA), "A [0:01:01:12]");
    EXPECT_EQ(caption(itemB), "B [0:00:03:05]");
    for (const SetTreeItem* item : {itemA, itemB})
        EXPECT_NE(std::find(redrawn.begin(), redrawn.end(), item), redrawn.end()) << caption(item);
}

TEST_F(AppSet, ASetFileOpensThroughOpenDocumentFile)
{
    writeSet({"a.mid", "b.mid"});
    start();
    app->opening().OpenDocumentFile(setPath());
    EXPECT_TRUE(app->set().hasSetFile());
    EXPECT_TRUE(app->frameCalls().setHasFile());
    ASSERT_NE(app->currentSong(), nullptr);
    EXPECT_EQ(app->currentSong()->pathName, folder() / "a.mid");
    EXPECT_EQ(app->set().current(), app->currentSong());
    EXPECT_EQ(profile.readString("StartupOptions", "AutoOpenPath", ""), setPath().string());
    EXPECT_TRUE(app->caption().contains(" - Show"));
    EXPECT_FALSE(app->display().performanceMode());
}

TEST_F(AppSet, AnInvalidSetFileLeavesTheOpenSet)
{
    writeSet({"a.mid"});
    start();
    app->opening().OpenDocumentFile(setPath());
    CSongDoc* current = app->currentSong();
    writeBytes(place() / "Bad.set", {1, 0, 0, 0});
    prompt.expectMessage("Sorry, '" + (place() / "Bad.set").string() + "' is not a valid set file (");
    app->opening().OpenDocumentFile(place() / "Bad.set");
    EXPECT_EQ(app->currentSong(), current);
    EXPECT_EQ(app->set().pathName(), setPath());
    EXPECT_EQ(profile.readString("StartupOptions", "AutoOpenPath", ""), setPath().string());
}

TEST_F(AppSet, CancellingTheSaveQuestionOpensNothing)
{
    writeSet({"a.mid"});
    start();
    app->opening().OpenDocumentFile(setPath());
    app->frameCalls().markSetModified();
    prompt.expectYesNoCancel("Save changes to Show?", PromptAnswer::Cancel);
    writeBytes(place() / "Other.set", encodeSetFile({}, false));
    app->opening().OpenDocumentFile(place() / "Other.set");
    EXPECT_EQ(app->set().pathName(), setPath());
}

TEST_F(AppSet, FileExitAsksTheSetsSaveQuestionAndCancelKeepsTheProgramRunning)
{
    writeSet({"a.mid"});
    start();
    app->opening().OpenDocumentFile(setPath());
    app->frame()->show();
    app->frameCalls().markSetModified();
    ASSERT_TRUE(app->router().update(kIdAppExit).enabled);

    prompt.expectYesNoCancel("Save changes to Show?", PromptAnswer::Cancel);
    EXPECT_TRUE(app->router().execute(kIdAppExit));
    prompt.verifyAllUsed();
    EXPECT_TRUE(app->frame()->isVisible());
    EXPECT_NE(app->currentSong(), nullptr);
    EXPECT_EQ(app->set().pathName(), setPath());

    prompt.expectYesNoCancel("Save changes to Show?", PromptAnswer::No);
    EXPECT_TRUE(app->router().execute(kIdAppExit));
    prompt.verifyAllUsed();
    EXPECT_FALSE(app->frame()->isVisible());
    EXPECT_EQ(app->currentSong(), nullptr);
}

TEST_F(AppSet, TheStoredLockTurnsOnPerformanceModeAndIsSavedFromTheButton)
{
    writeSet({"a.mid"}, true);
    start();
    app->opening().OpenDocumentFile(setPath());
    EXPECT_TRUE(app->display().performanceMode());
    EXPECT_TRUE(app->frame()->toolBar()->isPressed());
    app->frame()->toolBar()->setPressed(false);
    ASSERT_TRUE(app->set().DoFileSave());
    std::ifstream in(setPath(), std::ios::binary);
    const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
    const auto decoded = decodeSetFile(bytes);
    ASSERT_TRUE(std::holds_alternative<SetFileImage>(decoded));
    EXPECT_FALSE(std::get<SetFileImage>(decoded).performanceLock);
}

TEST_F(AppSet, ImportSongsCopiesEachChosenFileIntoTheSet)
{
    writeSet({"a.mid"});
    start();
    EXPECT_FALSE(app->router().update(kIdImportSongs).enabled);
    app->opening().OpenDocumentFile(setPath());
    EXPECT_TRUE(app->router().update(kIdImportSongs).enabled);
    const std::filesystem::path source = writeSmallSong(place() / "in" / "new.midi");
    prompt.expectOpenPaths("Import (copy) song(s) into set...", {source});
    EXPECT_TRUE(app->router().execute(kIdImportSongs));
    EXPECT_TRUE(std::filesystem::exists(folder() / "new.mid"));
    EXPECT_NE(app->set().findSongByName(folder() / "new.mid"), nullptr);
    EXPECT_EQ(profile.readString("Dirs", "MidiFiles", ""), (place() / "in").string());
}

TEST_F(AppSet, SongsImportedTogetherKeepTheirOrder)
{
    writeSet({"a.mid"});
    start();
    app->opening().OpenDocumentFile(setPath());
    std::vector<std::filesystem::path> chosen;
    for (const char* name : {"x.mid", "y.mid", "z.mid"})
        chosen.push_back(writeSmallSong(place() / "in" / name));
    prompt.expectOpenPaths("Import (copy) song(s) into set...", chosen);
    EXPECT_TRUE(app->router().execute(kIdImportSongs));
    std::vector<std::string> order;
    int depth = 0;
    for (SetTreeItem* item = app->set().tree().GetNextItem(nullptr, depth); item;
         item = app->set().tree().GetNextItem(item, depth))
        if (item->song)
            order.push_back(item->song->pathName.filename().string());
    const auto at = [&](const char* name) { return std::find(order.begin(), order.end(), name); };
    ASSERT_NE(at("x.mid"), order.end());
    EXPECT_LT(at("x.mid"), at("y.mid"));
    EXPECT_LT(at("y.mid"), at("z.mid"));
}

TEST_F(AppSet, DroppedSongsAreImportedIntoASetWithAFileAndOpenedOtherwise)
{
    writeSet({"a.mid"});
    const std::filesystem::path dropped = writeSmallSong(place() / "in" / "dropped.mid");
    const std::filesystem::path kept = writeSmallSong(place() / "in" / "kept.mid");
    start();
    app->opening().dropFiles({dropped}, false);
    EXPECT_NE(app->set().findSongByName(dropped), nullptr);
    app->opening().OpenDocumentFile(setPath());
    app->opening().dropFiles({dropped}, false);
    EXPECT_TRUE(std::filesystem::exists(folder() / "dropped.mid"));
    app->opening().dropFiles({kept}, true);
    EXPECT_FALSE(std::filesystem::exists(folder() / "kept.mid"));
    EXPECT_NE(app->set().findSongByName(kept), nullptr);
    EXPECT_EQ(app->set().CountSongs(), 3);
}

ino_t inodeOf(const std::filesystem::path& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? info.st_ino : 0;
}

// A changed song alone enables Save all; each run writes what changed, each
// file replaced whole, and leaves nothing modified.
TEST_F(AppSet, SaveAllWritesEveryModifiedSongAndTheModifiedSet)
{
    writeSet({"a.mid", "b.mid"});
    start();
    app->opening().OpenDocumentFile(setPath());
    CSongDoc* a = app->currentSong();
    ASSERT_NE(a, nullptr);
    EXPECT_FALSE(app->router().update(kIdSaveAll).enabled);

    a->SetModifiedFlag(true);
    EXPECT_TRUE(app->router().update(kIdSaveAll).enabled);
    EXPECT_TRUE(app->controlContext().setOrSongModified);
    const ino_t songBefore = inodeOf(folder() / "a.mid");
    const ino_t setBefore = inodeOf(setPath());
    EXPECT_TRUE(app->router().execute(kIdSaveAll));
    EXPECT_FALSE(a->IsModified());
    EXPECT_NE(inodeOf(folder() / "a.mid"), songBefore);
    EXPECT_EQ(inodeOf(setPath()), setBefore);
    EXPECT_FALSE(app->router().update(kIdSaveAll).enabled);

    app->frameCalls().markSetModified();
    EXPECT_TRUE(app->router().update(kIdSaveAll).enabled);
    EXPECT_TRUE(app->router().execute(kIdSaveAll));
    EXPECT_FALSE(app->set().IsModified());
    EXPECT_NE(inodeOf(setPath()), setBefore);
    EXPECT_FALSE(app->router().update(kIdSaveAll).enabled);
}

// An empty file, a text file and a missing one, opened while a set with a
// file is open, in and out of performance mode: each is refused with the
// reader's reason and the set, its flag and the song lists stay as they were.
TEST_F(AppSet, AFileThatCannotBeReadNeverJoinsTheSet)
{
    writeSet({"a.mid"});
    writeBytes(place() / "in" / "empty.mid", {});
    writeBytes(place() / "in" / "text.mid", {'h', 'e', 'l', 'l', 'o'});
    start();
    app->opening().OpenDocumentFile(setPath());
    ASSERT_FALSE(app->set().IsModified());
    CSongDoc* current = app->currentSong();
    const std::string recentSong = profile.readString("Recent Song List", "Song1", "");
    struct Case {
        const char* file;
        const char* reason;
    } cases[] = {
        {"empty.mid", "not a Standard MIDI File"},
        {"text.mid", "not a Standard MIDI File"},
        {"gone.mid", "gone.mid"},
    };
    for (const bool performance : {false, true}) {
        app->setPerformanceMode(performance);
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.file) + (performance ? " in performance mode" : ""));
            const std::filesystem::path bad = place() / "in" / c.file;
            prompt.expectMessage(bad.string());
            app->opening().OpenDocumentFile(bad);
            prompt.verifyAllUsed();
            ASSERT_FALSE(prompt.prompts().empty());
            EXPECT_NE(prompt.prompts().back().text.find(c.reason), std::string::npos)
                << prompt.prompts().back().text;
            EXPECT_EQ(app->set().CountSongs(), 1);
            EXPECT_EQ(app->set().tree().songItems().size(), 1u);
            EXPECT_EQ(app->set().findSongByName(bad), nullptr);
            EXPECT_FALSE(app->set().IsModified());
            EXPECT_EQ(app->currentSong(), current);
            EXPECT_EQ(profile.readString("Recent Song List", "Song1", ""), recentSong);
        }
    }
}

// Without a set file the refused song is neither added nor remembered.
TEST_F(AppSet, AnEmptySongFileOpensNothing)
{
    writeBytes(place() / "empty.mid", {});
    start();
    prompt.expectMessage("not a Standard MIDI File");
    app->opening().OpenDocumentFile(place() / "empty.mid");
    EXPECT_EQ(app->set().CountSongs(), 0);
    EXPECT_EQ(app->currentSong(), nullptr);
    EXPECT_EQ(profile.readString("StartupOptions", "AutoOpenPath", ""), "");
    EXPECT_EQ(profile.readString("Recent Song List", "Song1", ""), "");
}

} // namespace
} // namespace rz
