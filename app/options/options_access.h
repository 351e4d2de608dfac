#pragma once
// Setup > Options and the frame open the Options sheet through it; App
// builds it.

#include "app/options/options_context.h"

#include <chrono>
#include <functional>
#include <optional>
#include <string_view>

namespace rz {

class AutoSave;
class CSequencer;
class CSongDoc;
class DisplayOptions;
class IProfile;
class IPrompt;
class MainFrame;
class SynthDatabase;
class ViewSlots;

struct OptionsAccessSeams {
    IProfile& profile;
    IPrompt& prompt;
    DisplayOptions& display; // the run-time copies the pages change
    ViewSlots& views;        // the lyric views the karaoke page reloads
    AutoSave& autoSave;
    std::chrono::milliseconds lockWait; // for the SongMutex
    std::function<MainFrame*()> frame;  // null before start-up and after close
    std::function<CSongDoc*()> currentSong;
    std::function<CSequencer*()> sequencer; // null when a test brings the engine
    std::function<SynthDatabase*()> database;
};

// The Options sheet as the application opens it, and the run-time copies
// its pages update. GUI thread.
class OptionsAccess {
public:
    explicit OptionsAccess(OptionsAccessSeams seams) : m_seams(std::move(seams)) {}

    // Opens the sheet modally at a page; true when it closed with OK.
    bool OpenOptions(int startIndex);
    // What the sheet reaches of the application; also for tests.
    OptionsContext context();
    // Where the sheet's Help buttons open a topic; empty: Help does nothing.
    void setHelpOpener(std::function<void(std::string_view topic)> opener)
    {
        m_helpOpener = std::move(opener);
    }

private:
    // The font height (pixels) of the open lyric view: the separate window's,
    // else the docked view's over the current song; nothing when neither is open.
    std::optional<int> openLyricFontHeight() const;
    // The lyric views of the current song read the karaoke options again.
    void reloadLyricViews();

    OptionsAccessSeams m_seams;
    std::function<void(std::string_view)> m_helpOpener;
};

} // namespace rz
