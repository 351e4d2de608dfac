#pragma once

#include "platform/ladspa.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QWidget;

namespace rz {

class AudioPreviewSlot;
class IPrompt;
class LadspaFilter;

// What the effect dialogs need of the program.
struct FilterToolsServices {
    IPrompt& prompt;
    std::function<uint32_t()> engineRate;                // Hz
    std::function<std::filesystem::path()> workFolder;   // where outputs go
    std::function<AudioPreviewSlot*()> previewSlot;      // null: no audio engine runs
    std::function<void(const std::string& id)> opened;   // a sheet opened on an effect
    std::function<QWidget*()> parent;
    std::filesystem::path presetFolder = {};             // empty: the user's data folder
    std::vector<std::filesystem::path> pluginFolders = {}; // empty: LADSPA_PATH
    std::filesystem::path markFolder = {};               // empty: pluginMarkFolder()
};

// The audio effects behind the song's audio-effect command: the catalog,
// the chooser, the settings sheet and the apply dialog, with the filter
// they share from the sheet to the end of the apply. GUI thread.
class CFilterTools {
public:
    explicit CFilterTools(FilterToolsServices services);
    ~CFilterTools();

    // Scanned once at the engine's rate, again when the rate changes.
    const LadspaCatalog& catalog();

    // "Audio filter plug-ins...": the chosen effect's id, or none.
    std::optional<std::string> chooseFilter();
    // The effect's settings; true on OK, false too when the id is unknown.
    bool runFilterSheet(const std::string& effect, const std::filesystem::path& auditionFile);
    // Renders the files through the effect set up by the sheet.
    std::optional<std::vector<std::filesystem::path>> runApplyFilter(
        const std::string& effect, const std::vector<std::filesystem::path>& files,
        const std::vector<int64_t>& durationsMs);
    void releaseApplyResources();

private:
    FilterToolsServices m_services;
    LadspaCatalog m_catalog;
    uint32_t m_catalogRate = 0;
    std::unique_ptr<LadspaFilter> m_filter; // from the sheet to the release
    std::string m_filterId;
};

} // namespace rz
