#pragma once

// The enable rules of the application's commands as a table: each case
// states when its command is enabled, over every transport state,
// performance mode and current song, and that a greyed command does not run.

#include "tests/app/app_test_fixture.h"
#include "ui/command_router.h"

#include <QTemporaryDir>

#include <fstream>
#include <functional>
#include <string>

#include "tests/song/smf_builder.h"

namespace rz::test {

struct CommandState {
    TransportState state = TransportState::Stopped;
    bool performance = false;
    bool song = false;
};

using Rule = std::function<bool(const CommandState&)>;

inline const Rule kAlways = [](const CommandState&) { return true; };
inline const Rule kNever = [](const CommandState&) { return false; };
inline const Rule kSong = [](const CommandState& s) { return s.song; };
inline const Rule kSongStoppedEditing = [](const CommandState& s) {
    return s.song && s.state == TransportState::Stopped && !s.performance;
};
inline const Rule kSongNotPlaying = [](const CommandState& s) {
    return s.song && s.state != TransportState::Playing;
};
inline const Rule kStoppedWithSong = [](const CommandState& s) {
    return s.song && s.state == TransportState::Stopped;
};

struct EnableCase {
    CommandId id;
    Rule rule;
};

// No view kind is registered, no set has a file, nothing records and no
// vamp runs.
class CommandEnableFixture : public AppFixture {
protected:
    void check(const EnableCase& c)
    {
        start();
        CSongDoc& song = addSong("A");
        song.endTick = 480;
        for (const TransportState state :
             {TransportState::Stopped, TransportState::Playing, TransportState::Paused}) {
            for (const bool performance : {false, true}) {
                for (const bool current : {false, true}) {
                    engine.state = state;
                    app->setPerformanceMode(performance);
                    app->SetCurrentSong(current ? &song : nullptr);
                    const CommandState s{state, performance, current};
                    SCOPED_TRACE(testing::Message()
                                 << "command " << c.id << " state " << int(state)
                                 << " performance " << performance << " song " << current);
                    const bool enabled = c.rule(s);
                    const bool shown = app->router().update(c.id).enabled;
                    EXPECT_EQ(shown, enabled);
                    // One shown enabled against its rule is not run: it may
                    // open a modal dialog that no one answers.
                    if (!enabled && !shown) {
                        EXPECT_FALSE(app->router().execute(c.id)) << "a greyed command ran";
                    }
                }
            }
        }
    }
};

// A folder of its own for the songs a test writes.
class SongFilesFixture : public AppFixture {
protected:
    std::filesystem::path folder() const { return dir.path().toStdString(); }

    // A format 1 song: the conductor track and `tracks` tracks of one note each.
    std::filesystem::path writeSong(const std::string& name, int tracks, uint16_t division = 120)
    {
        SmfBuilder smf;
        smf.header(1, uint16_t(tracks + 1), division);
        smf.track(TrackBuilder().meta(0, 0x51, {0x07, 0xA1, 0x20}).end());
        for (int t = 0; t < tracks; ++t)
            smf.track(TrackBuilder()
                          .meta(0, 0x03, "T" + std::to_string(t + 1))
                          .event(0, {uint8_t(0x90 + t), 60, 100})
                          .event(division, {uint8_t(0x80 + t), 60, 0})
                          .end());
        const std::filesystem::path path = folder() / name;
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(smf.bytes().data()),
                  std::streamsize(smf.bytes().size()));
        return path;
    }

    QTemporaryDir dir;
};

} // namespace rz::test
