#pragma once
// The steps App's start-up and shut-down run in order, each given only what
// it reads and returning what it makes. GUI thread.

#include <QString>

#include <filesystem>
#include <functional>
#include <memory>
#include <string_view>

class QWidget;

namespace rz {

class IAssociationStore;
class IProfile;
class IPrompt;
class KeyFilter;
class MenuBar;
class MusicFont;
class SingleInstance;
struct AppOptions;

struct StartFolders {
    std::filesystem::path documents;
    std::filesystem::path current; // where file choosers start; the process's folder
};

// The documents folder is made when missing; "DefPath" 0 keeps it even when
// "Path" names another folder. Changes the process's current folder.
StartFolders chooseFolders(const IProfile& profile);

// Null when the program is to run without one. `primary` false: another
// copy runs and took the command line's file.
std::unique_ptr<SingleInstance> claimSingleInstance(const AppOptions& options, bool& primary);

// The splash window, unless a file was given or no window shows; null when
// none stands.
QWidget* showSplash(const AppOptions& options);

// Settings are written as they change and when the program ends; a file
// that cannot take them would lose every one without a word.
void reportUnwritableSettings(const IProfile& profile, IPrompt& prompt);
// Names the effect library that stopped the last scan; it is skipped.
void reportStoppedPlugins(IPrompt& prompt);

// The folder of undo copies and clips under the user's cache, made when
// missing; reused, as AutoRecover copies of a run that ended badly may name
// clips in it.
std::filesystem::path makeWorkFolder(std::string_view title);
void emptyWorkFolder(const std::filesystem::path& folder);

// The program's one music font. A missing font is no reason to stop: staves
// then show its message.
std::unique_ptr<MusicFont> loadMusicFont();

// Sets and MIDI files open with us from the desktop, unless the user keeps
// another program for them. `store` null: the desktop's own, which the
// result keeps.
std::unique_ptr<IAssociationStore> registerFileTypes(IAssociationStore* store, IPrompt& prompt,
                                                     const IProfile& profile,
                                                     std::string_view title);

// The accelerators the user chose, once the window stands.
void loadStartupAccelerators(IProfile& profile, KeyFilter& keys, MenuBar& menus);

// Runs `then` once, after `window` has painted for the first time: the
// window comes before the slow devices. With no window to show, once the
// events pending now are handled. Nothing runs once the window is gone.
void afterFirstPaint(QWidget* window, bool shows, std::function<void()> then);

// The tips beside the program, else where an installation keeps them.
std::filesystem::path tipsFile(const std::filesystem::path& programFolder);
// The tip of the day, unless the user turned it off; shown without waiting,
// so the start-up goes on behind it. Unattended: to standard error.
void showStartupTip(IProfile& profile, const std::filesystem::path& tips,
                    const AppOptions& options, QWidget* parent);

} // namespace rz
