#pragma once

#include "core/map_file.h"
#include "ui/command_target.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <vector>

class QWidget;

namespace rz {

class GuiToEngineValues;
class HelpOpener;
class IProfile;
class IPrompt;
class KeyFilter;

// What the maps' commands and dialogs reach.
struct MapSeams {
    IProfile& profile;
    IPrompt& prompt;
    HelpOpener& help;
    KeyFilter& keys;
    std::function<GuiToEngineValues*()> published;
    std::function<std::filesystem::path()> documentsFolder;
    std::function<QWidget*()> window;
    // The menus show the keys of the installed accelerator map.
    std::function<void()> refreshKeyTexts;
    // Gives each MIDI input the external control entries; absent without a
    // sequencer.
    std::function<void(std::vector<uint32_t>)> setKeyMaps;
    // The MIDI inputs by name, for the control map entry dialog.
    std::function<std::vector<std::string>()> inputNames;
};

// Setup > Keyboard accelerators and External control: their dialogs, and
// the maps those dialogs leave on OK. Modal, so the key filter is off while
// they run. GUI thread.
class MapCommands : public CommandTable<MapCommands> {
public:
    explicit MapCommands(MapSeams seams) : m_seams(std::move(seams)) {}

    static std::span<const CommandRow<MapCommands>> commandTable();

    bool onMapDialog(CommandId id);

    // The keyboard accelerator maps as the maps dialog's OK leaves them:
    // stores them, then installs `selected` (none when disabled) and
    // refreshes the menus' key texts.
    void applyAccelMaps(const std::vector<NamedMap>& maps, const std::string& selected,
                        bool enabled);
    // The external control maps as the maps dialog's OK leaves them: stores
    // them, gives each MIDI input its entries of `selected` and switches
    // external control on or off.
    void applyControlMaps(const std::vector<NamedMap>& maps, const std::string& selected,
                          bool enabled);
    // While set, every message a MIDI input receives goes to `learner`
    // (input index, message) instead of the control map; empty ends it.
    using ControlLearner = std::function<void(int device, uint32_t message)>;
    void setControlMapLearner(ControlLearner learner);
    // A message the MIDI input received while learning.
    void learn(uint32_t deviceId, uint32_t message);

    IProfile& profile() { return m_seams.profile; }
    IPrompt& prompt() { return m_seams.prompt; }
    HelpOpener& help() { return m_seams.help; }
    std::filesystem::path documentsFolder() const { return m_seams.documentsFolder(); }
    std::vector<std::string> inputNames() const { return m_seams.inputNames(); }

private:
    MapSeams m_seams;
    ControlLearner m_controlLearner;
};

} // namespace rz
