#pragma once
// The main frame's timers run their tasks through it (FrameCalls); App
// builds it.

#include <cstdint>
#include <filesystem>
#include <functional>

namespace rz {

class CSequencer;
class CSongDoc;
class IProfile;
class MainFrame;
class SetDocument;
class SingleInstance;
class StatusLine;

struct FrameTimerSeams {
    IProfile& profile;
    StatusLine& statusLine; // the clock's pane
    std::function<MainFrame*()> frame;        // null before start-up and after close
    std::function<CSequencer*()> sequencer;   // null when a test brings the engine
    std::function<SingleInstance*()> instance; // null without the single-instance socket
    std::function<SetDocument&()> set;
    std::function<CSongDoc*()> currentSong;
    std::function<void(CSongDoc*)> setCurrentSong;
    std::function<void()> broadcastToViews;
    std::function<CSongDoc*(const std::filesystem::path&)> open;
    std::function<int32_t()> tempoMultiplier;
    std::function<void(int32_t multiplier, bool resetStep)> setTempoMultiplier;
    // The tasks other parts carry out.
    std::function<void(int id)> paneViewRequest;
    std::function<void(int id)> tornOffViewRequest;
    std::function<void()> startupStep;
    std::function<void()> controlRepeat;
    std::function<void()> autoSaveMinute;
    std::function<void()> songEnded;
    std::function<void()> advanceStep;
    std::function<void()> updateNotice;
};

// The main frame's numbered timers: the id alone selects the task. Each
// runs on the GUI thread in message order, also when an engine thread asked
// for it. GUI thread.
class FrameTimerTasks {
public:
    static constexpr int kMailslotPeriodMs = 1000;

    explicit FrameTimerTasks(FrameTimerSeams seams) : m_seams(std::move(seams)) {}

    void onFrameTimer(int id);
    // Drains the single-instance socket's queue of what later starts sent
    // (the Windows name for that queue is a mailslot).
    void ReadMailslot();

private:
    void conductorReturn(MainFrame& frame);
    void followSongChange(MainFrame& frame);
    void mailslotAndClock();
    void showClock();

    FrameTimerSeams m_seams;
    uint32_t m_secondTicks = 0;
    bool m_readingMailslot = false;
};

} // namespace rz
