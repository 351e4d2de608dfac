// Edit > Audio effect in the application: the recent effects still
// installed, numbered from "&1" on command 513, run on the current song.

#include "app/app.h"
#include "app/audio_effects.h"
#include "app/edit_commands.h"
#include "app/main_frame.h"
#include "app/menu_bar.h"
#include "core/engine_gui_values.h"
#include "core/profile.h"
#include "res/command_ids.h"
#include "res/main_menu.h"
#include "set/set_document.h"
#include "song/song_doc.h"
#include "tests/app/fake_association_store.h"
#include "tests/engine/audio/filter_fixture.h"
#include "tests/support/fake_audio_tools.h"
#include "tests/support/fake_engine_link.h"
#include "tests/support/scripted_prompt.h"
#include "ui/command_router.h"

#include <QAction>
#include <QMenu>

#include <gtest/gtest.h>

namespace rz {
namespace {

class FakeEffects : public IAudioEffects {
public:
    IAudioTools& tools() override { return audioTools; }
    const LadspaCatalog& catalog() override
    {
        ++catalogCalls;
        return test::testCatalog();
    }
    std::optional<std::string> chooseEffect() override { return chosen; }

    FakeAudioTools audioTools;
    std::optional<std::string> chosen;
    int catalogCalls = 0;
};

class AudioFiltersMenu : public testing::Test {
protected:
    void start()
    {
        AppOptions options;
        options.profile = &profile;
        options.prompt = &prompt;
        options.engine = &engine;
        options.published = &published;
        options.singleInstance = false;
        options.showWindow = false;
        options.lockWait = std::chrono::milliseconds(50);
        options.associations = &associations;
        app = std::make_unique<App>(options);
        auto owned = std::make_unique<FakeEffects>();
        effects = owned.get();
        app->commands().edit->setAudioEffects(std::move(owned));
        ASSERT_TRUE(app->InitInstance());
    }

    QMenu* menu() const { return app->frame()->menuBar()->subMenu("&Edit", kAudioEffectMenu); }

    MemoryProfile profile;
    ScriptedPrompt prompt;
    FakeAssociationStore associations;
    FakeEngineLink engine;
    GuiToEngineValues published;
    FakeEffects* effects = nullptr;
    std::unique_ptr<App> app;
};

TEST_F(AudioFiltersMenu, ListsAUsedFilterAsTheFirstEntryAndDropsAGoneOne)
{
    profile.writeString("Recent Filter List", "Filter1", "{ladspa:4242:gone}");
    profile.writeString("Recent Filter List", "Filter2", test::kAmpStereo);
    start();
    ASSERT_TRUE(menu());
    EXPECT_EQ(effects->catalogCalls, 0) << "no plug-in library is loaded at start-up";
    EXPECT_EQ(menu()->actions().size(), 1);
    emit menu()->aboutToShow();
    EXPECT_EQ(effects->catalogCalls, 1);
    const QList<QAction*> actions = menu()->actions();
    ASSERT_EQ(actions.size(), 2);
    EXPECT_EQ(actions[0]->text(), "&1 Stereo Amplifier");
    EXPECT_EQ(profile.readString("Recent Filter List", "Filter1", ""), test::kAmpStereo);
    EXPECT_EQ(profile.readString("Recent Filter List", "Filter2", ""), "");

    auto song = std::make_unique<CSongDoc>(app->set().songContext());
    song->InitNewSong();
    CSongDoc& current = *app->set().AddSong(std::move(song));
    app->SetCurrentSong(&current);
    EXPECT_TRUE(app->router().update(kIdAudioEffect1).enabled);
    EXPECT_FALSE(app->router().update(kIdAudioEffect2).enabled);
    EXPECT_TRUE(app->router().update(kIdMoreAudioEffects).enabled);
    prompt.expectMessage("Please select at least one audio clip.");
    actions[0]->trigger(); // command 513 reaches the song with its effect
}

TEST_F(AudioFiltersMenu, OpeningASheetPutsItsEffectFirst)
{
    profile.writeString("Recent Filter List", "Filter1", test::kAmpStereo);
    start();
    app->commands().edit->addRecentFilter(test::kDelay);
    const QList<QAction*> actions = menu()->actions();
    ASSERT_EQ(actions.size(), 3);
    EXPECT_EQ(actions[0]->text(), "&1 Simple Delay Line");
    EXPECT_EQ(actions[1]->text(), "&2 Stereo Amplifier");
}

} // namespace
} // namespace rz
