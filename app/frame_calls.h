#pragma once
// The main frame calls the application through it (IFrameHost); App builds it.

#include "app/frame_host.h"

#include <functional>

namespace rz {

class CSongDoc;
class DisplayOptions;
class IEngineLink;
class SetDocument;
class ViewSlots;

// What the answers reach; start-up, closing, the timers and the control
// context stay App's.
struct FrameSeams {
    ViewSlots& views;
    DisplayOptions& display;
    std::function<IEngineLink&()> engine;
    std::function<void()> closeAudioEngines; // nothing without the program's engine
    std::function<SetDocument*()> set;        // null before start-up
    std::function<CSongDoc*()> currentSong;
    std::function<void()> updateTitle;
    std::function<bool()> startupComplete;
    std::function<void()> clearStartupComplete;
    std::function<void(int)> onTimer;
    std::function<void()> finishClose;
    std::function<ControlContext()> controlContext;
    std::function<void(const std::vector<std::filesystem::path>&, bool)> dropFiles;
    std::function<void()> helpKey;
};

// What the main frame asks of the program it belongs to. GUI thread.
class FrameCalls : public IFrameHost {
public:
    explicit FrameCalls(FrameSeams seams) : m_seams(std::move(seams)) {}

    void UpdateTitle() override { m_seams.updateTitle(); }
    bool stepBeatBack() override;
    bool stepBeatForward() override;
    bool startupComplete() const override { return m_seams.startupComplete(); }
    void clearStartupComplete() override { m_seams.clearStartupComplete(); }
    void onFrameTimer(int id) override { m_seams.onTimer(id); }
    void stopSequencer() override;
    void closeAudioEngines() override { m_seams.closeAudioEngines(); }
    bool hasOpenSet() const override { return true; }
    bool setHasFile() const override;
    bool saveModifiedSet() override;
    void markSetModified() override;
    void releaseSetView() override;
    void finishClose() override { m_seams.finishClose(); }
    bool performanceMode() const override;
    ControlContext controlContext() const override { return m_seams.controlContext(); }
    void dropFiles(const std::vector<std::filesystem::path>& paths, bool alt) override
    {
        m_seams.dropFiles(paths, alt);
    }
    void onHelpKey() override { m_seams.helpKey(); }

private:
    FrameSeams m_seams;
};

} // namespace rz
