// The steps of start-up and shut-down that App sequences. GUI thread.

#include "app/startup_steps.h"

#include "app/about_dlg.h"
#include "app/app_options.h"
#include "app/app_single_instance.h"
#include "app/desktop/xdg_association_store.h"
#include "app/maps/app_startup_accel.h"
#include "app/menu_bar.h"
#include "core/file_association.h"
#include "core/hand_over.h"
#include "core/profile.h"
#include "core/prompt.h"
#include "core/settings.h"
#include "core/tips.h"
#include "engine/audio/filter_presets.h"
#include "platform/plugin_marks.h"
#include "staff/symbols/music_font.h"
#include "ui/key_filter.h"
#include "ui/local_path.h"
#include "ui/profile.h"
#include "ui/program_data.h"

#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <QFile>
#include <QStandardPaths>

#include <cstdio>
#include <system_error>
#include <utility>

namespace rz {
namespace {

std::filesystem::path cacheFolder()
{
    const QByteArray cache = qgetenv("XDG_CACHE_HOME");
    if (!cache.isEmpty() && QDir::isAbsolutePath(QFile::decodeName(cache)))
        return std::filesystem::path(cache.toStdString());
    return localPath(QDir::homePath()) / ".cache";
}

// Watches one window for its first paint; goes with the window.
class FirstPaintWatch : public QObject {
public:
    FirstPaintWatch(QWidget* window, std::function<void()> then)
        : QObject(window), m_then(std::move(then))
    {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && m_then) {
            // After the paint and its flush to the screen.
            QTimer::singleShot(0, watched, std::exchange(m_then, {}));
            deleteLater();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_then;
};

} // namespace

StartFolders chooseFolders(const IProfile& profile)
{
    QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (documents.isEmpty())
        documents = QDir::homePath();
    QDir().mkpath(documents);
    StartFolders folders;
    folders.documents = QFile::encodeName(documents).toStdString();
    folders.current = folders.documents;
    if (readSetting(profile, settings::kNewSongDefPath) != 0) {
        const std::string path =
            readSettingTextOr(profile, settings::kNewSongPath, folders.documents.string());
        if (!path.empty())
            folders.current = path;
    }
    if (!QDir::setCurrent(QFile::decodeName(QByteArray::fromStdString(folders.current.string()))))
        folders.current = folders.documents;
    return folders;
}

// A second copy hands over its file with an absolute path, so the first
// copy finds it whatever its own current folder is.
std::unique_ptr<SingleInstance> claimSingleInstance(const AppOptions& options, bool& primary)
{
    primary = true;
    if (!options.singleInstance)
        return nullptr;
    std::string problem;
    const QString path = options.serverPath.isEmpty() ? SingleInstance::defaultServerPath(&problem)
                                                      : options.serverPath;
    if (!problem.empty())
        std::fprintf(stderr, "Single instance: %s; this copy runs on its own.\n", problem.c_str());
    auto instance = std::make_unique<SingleInstance>(path);
    const std::string file = options.file ? options.file->string() : std::string();
    primary = instance->claim(formatHandOverMessage(file)) == SingleInstance::Claim::Primary;
    if (!instance->warning().empty())
        std::fprintf(stderr, "Single instance: %s.\n", instance->warning().c_str());
    return instance;
}

QWidget* showSplash(const AppOptions& options)
{
    if (options.file || !options.showWindow)
        return nullptr;
    auto* splash = new CSplashWnd;
    if (splash->Create())
        return splash;
    delete splash;
    return nullptr;
}

void reportUnwritableSettings(const IProfile& profile, IPrompt& prompt)
{
    const auto* settings = dynamic_cast<const Profile*>(&profile);
    if (settings == nullptr)
        return;
    if (const std::optional<std::string> problem = settings->writeProblem())
        prompt.message("Settings cannot be saved (" + *problem
                           + "); changes made in this session will be lost.",
                       PromptIcon::Warning);
}

// The sequencer settles the instruments' marks itself and names each slot
// it skips; naming that library here too would say it twice.
void reportStoppedPlugins(IPrompt& prompt)
{
    for (const std::string& message : PluginMarks(pluginMarkFolder(), "ladspa").settle())
        prompt.message(message, PromptIcon::Warning);
}

std::filesystem::path makeWorkFolder(std::string_view title)
{
    std::filesystem::path folder = cacheFolder() / std::string(title) / "undoredo.wav";
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    return folder;
}

void emptyWorkFolder(const std::filesystem::path& folder)
{
    if (folder.empty())
        return;
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ignored))
        if (entry.is_regular_file(ignored))
            std::filesystem::remove(entry.path(), ignored);
    std::filesystem::remove(folder, ignored);
}

std::unique_ptr<MusicFont> loadMusicFont()
{
    return MusicFont::load();
}

std::unique_ptr<IAssociationStore> registerFileTypes(IAssociationStore* store, IPrompt& prompt,
                                                     const IProfile& profile,
                                                     std::string_view title)
{
    std::unique_ptr<IAssociationStore> own;
    if (!store) {
        own = std::make_unique<XdgAssociationStore>(
            QFile::encodeName(QCoreApplication::applicationFilePath()).toStdString());
        store = own.get();
    }
    store->install();
    const std::string name(title);
    registerFileType(*store, prompt, AssociatedType::Set, 0, name);
    registerFileType(*store, prompt, AssociatedType::Midi,
                     readSetting(profile, settings::kStartFileTypes), name);
    return own;
}

void loadStartupAccelerators(IProfile& profile, KeyFilter& keys, MenuBar& menus)
{
    std::optional<AccelTable> table = readStartupAccelTable(profile);
    if (!table)
        return;
    keys.setTable(std::move(*table));
    menus.refreshKeyTexts();
}

void afterFirstPaint(QWidget* window, bool shows, std::function<void()> then)
{
    if (shows)
        new FirstPaintWatch(window, std::move(then));
    else
        QTimer::singleShot(0, window, std::move(then));
}

std::filesystem::path tipsFile(const std::filesystem::path& programFolder)
{
    return programDataPath(programFolder, "tips.txt");
}

void showStartupTip(IProfile& profile, const std::filesystem::path& tips,
                    const AppOptions& options, QWidget* parent)
{
    if (readSetting(profile, settings::kTipStartUp) != 0)
        return;
    if (options.unattended) {
        const TipOfTheDay tip(profile, tips);
        std::fprintf(stderr, "%s\n", tip.text().c_str());
        return;
    }
    if (!options.showWindow)
        return;
    auto shared = std::make_shared<TipOfTheDay>(profile, tips);
    auto* dialog = new CTipDlg(*shared, parent);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    // The tips live as long as the dialog; their end stores the position.
    QObject::connect(dialog, &QObject::destroyed, dialog, [shared] {});
    dialog->open();
}

} // namespace rz
