#pragma once

#include <functional>

namespace rz {

class CSongDoc;
class IEngineLink;
class IProfile;
class MainFrame;
class SetDocument;
class SongRecorder;
struct SetTreeItem;

// What the end of a song and the auto-save minute read of the application.
struct SongAdvanceSeams {
    IProfile& profile;
    std::function<IEngineLink&()> engine;
    // The main frame; null before start-up made it.
    std::function<MainFrame*()> frame;
    std::function<SetDocument&()> set;
    std::function<CSongDoc*()> currentSong;
    std::function<bool()> performanceMode;
    std::function<void()> updateAllViews;
    std::function<void()> transportChanged;
};

// The end of a song and the step to the next one of the set: the main
// frame's song-ended and advance timers. GUI thread.
class SongAdvance {
public:
    explicit SongAdvance(SongAdvanceSeams seams) : m_seams(std::move(seams)) {}

    // The song-ended timer: pauses at the end, then steps or counts down.
    void songEnded();
    // The advance timer's tick: the countdown on the status line.
    void advanceStep();
    // Ends the countdown; `step` then moves on as its end would.
    void cancel(bool step);
    // A marked song first, then the next enabled one; false at the set's end.
    bool stepSong();
    int countdown() const { return m_countdown; } // ms; 0 when none runs

    // The song recorder while its dialog is open, or null: the end of a
    // song it plays is its to handle.
    void setOpenRecorder(SongRecorder* recorder) { m_recorder = recorder; }
    SongRecorder* openRecorder() const { return m_recorder; }

private:
    bool hasSongToStepTo() const;
    void stepAndPlay();

    SongAdvanceSeams m_seams;
    int m_countdown = 0;
    SongRecorder* m_recorder = nullptr;
    // The song item whose end began the last countdown or step, until a step
    // leaves it; compared, never followed.
    const SetTreeItem* m_countedFor = nullptr;
};

// The auto-save minute that writes AutoRecover copies. GUI thread.
class AutoSave {
public:
    explicit AutoSave(SongAdvanceSeams seams) : m_seams(std::move(seams)) {}

    // "AutoSave" and "AutoSaveMin" as stored: the timer started with a fresh
    // countdown, or killed.
    void restart();
    // The auto-save timer's minute.
    void minute();
    int countdown() const { return m_countdown; } // minutes

private:
    void writeAutoRecoverCopies();

    SongAdvanceSeams m_seams;
    int m_countdown = 0;
};

} // namespace rz
