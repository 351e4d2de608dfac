#pragma once

#include "app/app.h"
#include "app/edit_commands.h"
#include "app/file_commands.h"
#include "app/help_commands.h"
#include "app/main_frame.h"
#include "app/maps/map_commands.h"
#include "app/setup_commands.h"
#include "app/song_advance.h"
#include "app/transport_commands.h"
#include "app/transport_controls.h"
#include "app/view_commands.h"
#include "core/profile.h"
#include "set/set_document.h"
#include "song/song_doc.h"
#include "tests/app/fake_association_store.h"
#include "tests/app/gui_events.h"
#include "tests/support/fake_engine_link.h"
#include "tests/support/scripted_prompt.h"
#include "views/song_view.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace rz {

// A view that writes what the application does with it into a shared log:
// "attach clip A", "detach tempo", "initial clip", "follow staff".
class RecordingView : public SongView {
public:
    RecordingView(std::string name, std::vector<std::string>& log, QWidget* parent)
        : SongView(parent), m_name(std::move(name)), m_log(log)
    {
    }
    ~RecordingView() override { m_log.push_back("destroy " + m_name); }

    void attach(CSongDoc& song) override
    {
        SongView::attach(song);
        m_log.push_back("attach " + m_name + " " + song.title);
    }
    void detach() override
    {
        m_log.push_back("detach " + m_name);
        SongView::detach();
    }
    void initialUpdate() override { m_log.push_back("initial " + m_name); }
    void follow() override { m_log.push_back("follow " + m_name); }
    std::array<int32_t, 2> layoutValues() const override { return values; }
    void setLayoutValues(const std::array<int32_t, 2>& v) override { values = v; }

    const std::string& name() const { return m_name; }
    std::array<int32_t, 2> values{0, 0};

private:
    std::string m_name;
    std::vector<std::string>& m_log;
};

// An application on the offscreen platform with a memory profile, scripted
// prompts and a recording transport; no sequencer, no single-instance socket.
class AppFixture : public testing::Test {
protected:
    void registerView(ViewKind kind, const std::string& name)
    {
        viewFactory.registerView(kind, [this, name](const ViewRequest& request) {
            ++created[name];
            return new RecordingView(request.leadSheet ? name + "(lead)" : name, log,
                                     request.parent);
        });
    }

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
        app->viewFactory() = viewFactory;
        ASSERT_TRUE(app->InitInstance());
    }

    // A new, loaded song named `title` with a file name in `folder`.
    CSongDoc& addSong(const std::string& title, const std::filesystem::path& file = {})
    {
        auto song = std::make_unique<CSongDoc>(app->set().songContext());
        song->InitNewSong();
        song->title = title;
        if (!file.empty())
            song->SetPathName(file);
        return *app->set().AddSong(std::move(song));
    }

    std::vector<std::string> logFrom(const std::string& first) const
    {
        const auto at = std::find(log.begin(), log.end(), first);
        return {at, log.end()};
    }

    MemoryProfile profile;
    ScriptedPrompt prompt;
    FakeAssociationStore associations;
    FakeEngineLink engine;
    GuiToEngineValues published; // what the application publishes to the engine
    ViewFactory viewFactory;
    std::vector<std::string> log;
    std::map<std::string, int> created;
    std::unique_ptr<App> app; // last: goes first
};

} // namespace rz
