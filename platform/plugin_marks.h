#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace rz {

// Marks in the user's data folder naming the plug-in library being loaded,
// so that one which kills or hangs the program is skipped from then on.
// Each kind of plug-in ("ladspa", "vst") has a mark file and a skip list of
// its own. Without a folder nothing is marked. GUI thread.
class PluginMarks {
public:
    PluginMarks() = default;
    PluginMarks(std::filesystem::path folder, std::string kind);

    // A mark that a killed run left joins the skip list; the message naming
    // that library, once.
    std::vector<std::string> settle() const;
    // Whether the library is on the skip list.
    bool isStopped(const std::filesystem::path& library) const;
    // Marks the library before it is loaded, and unmarks it after.
    void begin(const std::filesystem::path& library) const;
    void end() const;

    // "<library> was skipped because it stopped the program last time".
    static std::string stoppedMessage(const std::string& library);

private:
    std::filesystem::path markFile() const;
    std::filesystem::path listFile() const;

    std::filesystem::path m_folder;
    std::string m_kind;
};

} // namespace rz
