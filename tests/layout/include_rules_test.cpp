// The layer table as a test: every include in the source folders must point
// to the file's own folder or to one below it, and the Qt-free folders must
// not include Qt. A wrong include then fails the build's tests, not a review.
// A top-level folder that is in no row fails too, and so does a relative
// include that climbs out of its folder: either would slip past the table.

#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace rz {
namespace {

namespace fs = std::filesystem;

// Each folder and the folders it may include, its own and every one below
// it. app/ may include everything and nothing may include it.
const std::map<std::string, std::set<std::string>>& layerTable()
{
    static const std::map<std::string, std::set<std::string>> table = {
        {"core", {"core"}},
        {"song", {"song", "core"}},
        {"set", {"set", "song", "core"}},
        {"platform", {"platform", "core"}},
        {"engine/audio", {"engine/audio", "platform", "song", "core"}},
        {"engine/synthdb", {"engine/synthdb", "platform", "song", "core"}},
        {"engine", {"engine", "engine/audio", "engine/synthdb", "platform", "song", "core"}},
        {"res", {"res"}},
        {"ui", {"ui", "core", "res"}},
        // The view base includes no view family; a family includes the base
        // and itself, and the clock view follows the track list.
        {"views", {"views", "ui", "song", "core", "res"}},
        {"views/track", {"views/track", "views", "ui", "song", "core", "res"}},
        {"views/piano", {"views/piano", "views", "ui", "song", "core", "res"}},
        {"views/graph", {"views/graph", "views", "ui", "song", "core", "res"}},
        {"views/clip", {"views/clip", "views/track", "views", "ui", "song", "core", "res"}},
        {"views/events", {"views/events", "views", "ui", "song", "core", "res"}},
        {"views/slider", {"views/slider", "views", "ui", "song", "core", "res"}},
        {"staff/model", {"staff/model", "song", "core"}},
        {"staff/symbols", {"staff/symbols", "staff/model", "ui", "song", "core", "res"}},
        {"staff",
         {"staff", "dialogs", "staff/symbols", "staff/model", "views", "views/slider", "ui", "song",
          "core", "res"}},
        {"set/ui", {"set/ui", "views", "ui", "set", "song", "core", "res"}},
        {"dialogs", {"dialogs", "staff/symbols", "staff/model", "views", "ui", "song", "core", "res"}},
        {"engine/ui",
         {"engine/ui", "dialogs", "ui", "engine", "engine/audio", "engine/synthdb", "platform",
          "song", "core", "res"}},
        {"app",
         {"app", "set/ui", "engine/ui", "dialogs", "staff", "staff/symbols", "staff/model", "views",
          "views/track", "views/piano", "views/graph", "views/clip", "views/events", "views/slider",
          "ui", "res", "engine", "engine/audio", "engine/synthdb", "platform", "set", "song", "core"}},
    };
    return table;
}

bool isQtFree(std::string_view folder)
{
    return folder == "core" || folder == "song" || folder == "set" || folder == "platform"
           || folder == "engine" || folder == "engine/audio" || folder == "engine/synthdb"
           || folder == "res" || folder == "staff/model";
}

// Top-level folders that hold no layer: their files include the layers
// freely.
const std::set<std::string>& otherFolders()
{
    static const std::set<std::string> folders = {"tests", "bench", "scripts", "docs", "cmake"};
    return folders;
}

// The top-level folders under `root` that are in no row of the table nor
// among the other folders. Hidden folders and build trees are not sources.
std::vector<std::string> foldersInNoRow(const fs::path& root)
{
    std::vector<std::string> unknown;
    for (const auto& entry : fs::directory_iterator(root)) {
        const std::string name = entry.path().filename().string();
        if (!entry.is_directory() || name.starts_with(".")
            || fs::exists(entry.path() / "CMakeCache.txt"))
            continue;
        if (!layerTable().contains(name) && !otherFolders().contains(name))
            unknown.push_back(name);
    }
    std::sort(unknown.begin(), unknown.end());
    return unknown;
}

// The layer folder of a path relative to the source root ("engine/ui/x.h"
// -> "engine/ui"); nullopt outside the table.
std::optional<std::string> folderOf(std::string_view path)
{
    for (const auto& [folder, allowed] : layerTable()) {
        (void)allowed;
        if (folder.find('/') != std::string::npos && path.starts_with(folder + "/"))
            return folder;
    }
    const size_t slash = path.find('/');
    if (slash == std::string_view::npos)
        return std::nullopt;
    std::string top(path.substr(0, slash));
    if (!layerTable().contains(top))
        return std::nullopt;
    return top;
}

// What is wrong with `line` in a file of `folder`; empty when nothing is.
std::string checkInclude(const std::string& folder, std::string_view line)
{
    const size_t start = line.find_first_not_of(" \t");
    if (start == std::string_view::npos || !line.substr(start).starts_with("#"))
        return {};
    line = line.substr(start + 1);
    line.remove_prefix(std::min(line.find_first_not_of(" \t"), line.size()));
    if (!line.starts_with("include"))
        return {};
    line.remove_prefix(7);
    line.remove_prefix(std::min(line.find_first_not_of(" \t"), line.size()));
    if (line.empty())
        return {};
    const char close = line[0] == '<' ? '>' : line[0] == '"' ? '"' : '\0';
    const size_t end = close ? line.find(close, 1) : std::string_view::npos;
    if (end == std::string_view::npos)
        return {};
    const std::string_view target = line.substr(1, end - 1);
    if (close == '"' && (target.starts_with("../") || target.find("/../") != std::string_view::npos))
        return "relative include climbs out of its folder: " + std::string(target);
    if (close == '>') {
        if (isQtFree(folder) && (target.starts_with("Q") || target.starts_with("qt")))
            return "Qt in a Qt-free folder: " + std::string(target);
        return {};
    }
    const std::optional<std::string> targetFolder = folderOf(target);
    if (!targetFolder)
        return {};
    if (*targetFolder == "app" && folder != "app")
        return "nothing includes app/: " + std::string(target);
    if (!layerTable().at(folder).contains(*targetFolder))
        return folder + "/ may not include " + *targetFolder + "/: " + std::string(target);
    return {};
}

TEST(IncludeRules, TheCheckerKnowsTheTable)
{
    const struct {
        const char* folder;
        const char* line;
        bool allowed;
    } kCases[] = {
        {"core", "#include <QString>", false},
        {"engine", "#include <QtCore/QObject>", false},
        {"set", "  #  include <QWidget>", false},
        {"ui", "#include <QWidget>", true},
        {"core", "#include <vector>", true},
        {"platform", "#include \"engine/sequencer.h\"", false},
        {"platform", "#include \"core/locks.h\"", true},
        {"engine", "#include \"platform/midi_in_device.h\"", true},
        {"engine", "#include \"engine/ui/ports_dialog.h\"", false},
        {"engine/ui", "#include \"engine/sequencer.h\"", true},
        {"ui", "#include \"song/song_doc.h\"", false},
        {"ui", "#include \"engine/sequencer.h\"", false},
        {"ui", "#include \"res/main_menu.h\"", true},
        {"views", "#include \"app/app.h\"", false},
        {"views", "#include \"ui/gui_thread.h\"", true},
        {"set/ui", "#include \"set/set_document.h\"", true},
        {"set", "#include \"set/ui/set_pane.h\"", false},
        {"song", "#include \"set/set_document.h\"", false},
        {"app", "#include \"engine/sequencer.h\"", true},
        {"core", "// #include <QString> in a comment", true},
        {"song", "#include \"local_header.h\"", true},
        {"dialogs", "#include \"views/song_view.h\"", true},
        {"dialogs", "#include \"engine/sequencer.h\"", false},
        {"engine/ui", "#include \"dialogs/time_pos_ctrl.h\"", true},
        {"views", "#include \"dialogs/time_pos_ctrl.h\"", false},
        {"engine/audio", "#include \"engine/sequencer.h\"", false},
        {"engine/audio", "#include \"engine/synthdb/synth_db.h\"", false},
        {"engine/audio", "#include <QObject>", false},
        {"engine/audio", "#include \"platform/audio_jack.h\"", true},
        {"engine/synthdb", "#include \"engine/audio/wave_file.h\"", false},
        {"engine/synthdb", "#include \"engine/out_port.h\"", false},
        {"engine/synthdb", "#include \"platform/sqlite_db.h\"", true},
        {"engine", "#include \"engine/audio/wave_file.h\"", true},
        {"engine", "#include \"engine/synthdb/synth_db.h\"", true},
        {"engine/ui", "#include \"engine/audio/wave_mixer.h\"", true},
        {"app", "#include \"engine/synthdb/synth_tree.h\"", true},
        {"song", "#include \"../core/locks.h\"", false},
        {"engine/audio", "#include \"../sequencer.h\"", false},
        {"views", "#include \"ui/../app/app.h\"", false},
        {"staff/model", "#include <QFont>", false},
        {"staff/model", "#include \"song/song_doc.h\"", true},
        {"staff/model", "#include \"views/song_view.h\"", false},
        {"staff/model", "#include \"staff/staff_view.h\"", false},
        {"staff", "#include \"staff/model/staff_model.h\"", true},
        {"staff/symbols", "#include \"staff/model/staff_model.h\"", true},
        {"staff/symbols", "#include <QRawFont>", true},
        {"staff/symbols", "#include \"views/song_view.h\"", false},
        {"staff/model", "#include \"staff/symbols/music_font.h\"", false},
        {"dialogs", "#include \"staff/symbols/staff_header.h\"", true},
        {"views", "#include \"staff/symbols/staff_header.h\"", false},
        {"views", "#include \"views/piano/piano_layout.h\"", false},
        {"views/piano", "#include \"views/edit_view_base.h\"", true},
        {"views/piano", "#include \"views/piano/key_rows_view.h\"", true},
        {"views/piano", "#include \"views/track/track_view.h\"", false},
        {"views/events", "#include \"views/piano/piano_layout.h\"", false},
        {"views/clip", "#include \"views/track/track_view.h\"", true},
        {"views/track", "#include \"views/clip/clock_view.h\"", false},
        {"dialogs", "#include \"views/graph/tempo_view.h\"", false},
        {"app", "#include \"views/graph/tempo_view.h\"", true},
    };
    for (const auto& c : kCases)
        EXPECT_EQ(checkInclude(c.folder, c.line).empty(), c.allowed) << c.folder << ": " << c.line;
}

TEST(IncludeRules, AFolderInNoRowIsFound)
{
    const TempFolder root("rz_layout_");
    for (const char* folder : {"core", "engine", "tests", "widgets", ".cache", "build-x"})
        fs::create_directories(root.path() / folder);
    std::ofstream(root.path() / "build-x" / "CMakeCache.txt") << "";
    std::ofstream(root.path() / "README.md") << "";
    EXPECT_EQ(foldersInNoRow(root.path()), std::vector<std::string>{"widgets"});
}

TEST(IncludeRules, EveryTopLevelFolderIsInTheTable)
{
    EXPECT_EQ(foldersInNoRow(RZ_SOURCE_DIR), std::vector<std::string>{})
        << "give each new folder a row in the layer table";
}

TEST(IncludeRules, EverySourceFileKeepsTheLayerTable)
{
    const fs::path root = RZ_SOURCE_DIR;
    std::vector<std::string> faults;
    size_t files = 0;
    for (const auto& [folder, allowed] : layerTable()) {
        (void)allowed;
        const fs::path dir = root / folder;
        if (!fs::is_directory(dir))
            continue;
        for (const auto& entry : fs::recursive_directory_iterator(dir)) {
            const fs::path& path = entry.path();
            if (!entry.is_regular_file()
                || (path.extension() != ".h" && path.extension() != ".cpp"))
                continue;
            const std::string relative = fs::relative(path, root).generic_string();
            if (folderOf(relative) != folder)
                continue; // a nested layer's file is checked under its own folder
            ++files;
            std::ifstream in(path);
            std::string line;
            for (int number = 1; std::getline(in, line); ++number) {
                const std::string fault = checkInclude(folder, line);
                if (!fault.empty())
                    faults.push_back(relative + ":" + std::to_string(number) + ": " + fault);
            }
        }
    }
    EXPECT_GT(files, 100u) << "the source folders were not found under " << root;
    EXPECT_TRUE(faults.empty()) << [&] {
        std::string all;
        for (const std::string& fault : faults)
            all += fault + "\n";
        return all;
    }();
}

// The fuzz targets build without Qt in the sanitizer build: the parsers
// they drive live below app/, and their programs name no app/ file.
TEST(IncludeRules, FuzzTargetsCompileNoApplicationSource)
{
    const fs::path fuzz = fs::path(RZ_SOURCE_DIR) / "tests" / "fuzz";
    size_t files = 0;
    for (const auto& entry : fs::directory_iterator(fuzz)) {
        if (!entry.is_regular_file())
            continue;
        ++files;
        std::ifstream in(entry.path());
        std::string line;
        for (int number = 1; std::getline(in, line); ++number) {
            const bool names = line.find("\"app/") != std::string::npos
                               || line.find("/app/") != std::string::npos;
            EXPECT_FALSE(names) << entry.path().filename() << ":" << number << ": " << line;
        }
    }
    EXPECT_GT(files, 5u) << "the fuzz targets were not found under " << fuzz;
}

} // namespace
} // namespace rz
