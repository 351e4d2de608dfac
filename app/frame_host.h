// Main frame -> application: what the frame asks of the program it belongs to.
#pragma once

#include "app/control_states.h"
#include "ui/command_target.h"
#include "views/view_host.h"

#include <filesystem>
#include <vector>

namespace rz {

// What the main frame asks of the application object, beyond what its views
// ask. GUI thread.
class IFrameHost : public IViewHost {
public:
    // Start-up has finished: window metrics may be written from now on.
    virtual bool startupComplete() const = 0;
    // Closing: no metrics are written while the window goes away.
    virtual void clearStartupComplete() = 0;

    // The main frame's numbered timer `id` fired.
    virtual void onFrameTimer(int id) = 0;

    // The sequencer's Stop(0).
    virtual void stopSequencer() = 0;
    // Closes the audio engines (JACK and ALSA PCM).
    virtual void closeAudioEngines() = 0;

    virtual bool hasOpenSet() const = 0;
    // The open set was read from a set file (not a new, unsaved set).
    virtual bool setHasFile() const = 0;
    // Asks whether to save a modified set; false when the user cancelled.
    virtual bool saveModifiedSet() = 0;
    virtual void markSetModified() = 0;
    // Clears the set tree view's slot, removes it from the set and destroys it.
    virtual void releaseSetView() = 0;
    // Saves the zoom options, closes every document, empties the work
    // folder and ends the program once control returns to the event loop.
    virtual void finishClose() = 0;

    // Performance mode: the idle prompt reads differently.
    virtual bool performanceMode() const = 0;
    // What the transport buttons, the tool bar and the status panes follow.
    virtual ControlContext controlContext() const = 0;
    // Files dropped on the window, in order; `alt`: the Alt key was down.
    virtual void dropFiles(const std::vector<std::filesystem::path>& paths, bool alt) = 0;

    // F1 outside an editor.
    virtual void onHelpKey() {}
};

} // namespace rz
