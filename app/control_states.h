#pragma once

#include "core/engine_link.h"
#include "ui/command_target.h"

#include <cstdint>
#include <string>
#include <vector>

namespace rz {

struct StaffToolState;

// What the transport buttons and the tool bar follow, gathered by the
// application in one place.
struct ControlContext {
    TransportState state = TransportState::Stopped;
    bool performanceMode = false;
    bool hasSong = false;
    bool recording = false;
    bool clickOn = false;
    bool songModified = false;
    bool setOrSongModified = false;
    bool canUndo = false;
    bool canRedo = false;
    bool canPaste = false;
    bool songSelection = false; // a non-empty selection in the current song
    bool staffView = false;
    bool lyricView = false;
    // The set view is the active view; what is selected in its tree.
    bool setViewActive = false;
    bool setItemSelected = false; // an item other than the trailing totals item
    bool setItemTopLevel = false;
    bool setHasFile = false;
    // The selection's start and end as " 12A:3:045"; empty without one.
    std::string selectionFrom;
    std::string selectionTo;
};

// One transport button's look.
struct TransportButtonState {
    bool enabled = false;
    bool pressed = false;
};

struct TransportButtonStates {
    TransportButtonState playStop;
    TransportButtonState stop;
    TransportButtonState pause;
    TransportButtonState transposeUp;
    TransportButtonState transposeDown;
    TransportButtonState record;
    // In performance mode the Record button is the Click on/off button.
    bool recordIsClick = false;
};

TransportButtonStates transportButtonStates(const ControlContext& context);

// One tool-bar button's state by its own rule.
struct ToolButtonState {
    CommandId id = 0;
    bool enabled = true;
    bool checked = false;
    bool visible = true;
};

// Every tool-bar button that has a rule, in bar order.
std::vector<ToolButtonState> toolBarStates(const ControlContext& context,
                                           const StaffToolState& tools);

} // namespace rz
