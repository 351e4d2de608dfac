#pragma once

#include "app/frame_host.h"

#include <string>
#include <vector>

namespace rz {

// Records what the main frame asks of the application, in order; the
// answers are set per test.
class RecordingFrameHost : public IFrameHost {
public:
    bool startupComplete() const override { return startup; }
    void clearStartupComplete() override
    {
        calls.push_back("clearStartupComplete");
        startup = false;
    }
    void onFrameTimer(int id) override { timers.push_back(id); }
    void UpdateTitle() override { calls.push_back("UpdateTitle"); }
    void stopSequencer() override { calls.push_back("stopSequencer"); }
    void closeAudioEngines() override { calls.push_back("closeAudioEngines"); }
    bool hasOpenSet() const override { return setOpen; }
    bool setHasFile() const override { return setFromFile; }
    bool saveModifiedSet() override
    {
        calls.push_back("saveModifiedSet");
        return saveAnswer;
    }
    void markSetModified() override { calls.push_back("markSetModified"); }
    void releaseSetView() override { calls.push_back("releaseSetView"); }
    void finishClose() override { calls.push_back("finishClose"); }
    void dropFiles(const std::vector<std::filesystem::path>& paths, bool alt) override
    {
        for (const auto& path : paths)
            calls.push_back(std::string("dropFiles ") + (alt ? "alt " : "") + path.string());
    }
    bool stepBeatBack() override
    {
        calls.push_back("stepBeatBack");
        return hasSong;
    }
    bool stepBeatForward() override
    {
        calls.push_back("stepBeatForward");
        return hasSong;
    }

    bool performanceMode() const override { return performance; }
    ControlContext controlContext() const override
    {
        ControlContext result = context;
        result.performanceMode = performance;
        return result;
    }

    bool called(const std::string& name) const
    {
        for (const std::string& call : calls)
            if (call == name)
                return true;
        return false;
    }
    int count(const std::string& name) const
    {
        int n = 0;
        for (const std::string& call : calls)
            n += call == name;
        return n;
    }

    bool startup = true;
    bool setOpen = true;
    bool setFromFile = true;
    bool saveAnswer = true; // false: the user cancelled
    bool hasSong = true;
    bool performance = false;
    ControlContext context;
    std::vector<std::string> calls;
    std::vector<int> timers;
};

} // namespace rz
