// The program: devu-rizoraz [--test-exit-after MS [--test-exit-on-open] [--test-play]] [--test-grab PNG] [file]

#include "app/app.h"
#include "app/app_console_prompt.h"
#include "app/edit_commands.h"
#include "app/engine_dialogs.h"
#include "app/file_commands.h"
#include "app/harp_pedals_command.h"
#include "app/main_frame.h"
#include "app/menu_bar.h"
#include "app/options/options_access.h"
#include "app/view_slots.h"
#include "res/main_menu.h"
#include "res/command_ids.h"
#include "set/ui/desktop_trash.h"
#include "set/ui/import_lyrics_dlg.h"
#include "set/ui/importing_dlg.h"
#include "set/ui/lyric_view.h"
#include "set/ui/new_song_dlg.h"
#include "set/ui/set_pane.h"
#include "staff/staff_view.h"
#include "ui/command_router.h"
#include "views/clip/clip_view.h"
#include "views/clip/clock_view.h"
#include "views/graph/control_view.h"
#include "views/events/event_view.h"
#include "views/piano/piano_roll_view.h"
#include "views/slider/slider_view.h"
#include "views/graph/tempo_view.h"
#include "views/track/track_view.h"
#include "views/piano/velocity_view.h"

#include <QApplication>
#include <QFile>
#include <QMenu>
#include <QPixmap>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

namespace {

struct CommandLine {
    std::optional<std::filesystem::path> file;
    int testExitAfterMs = -1; // unattended run: prompts answer themselves
    bool testExitOnOpen = false; // it ends sooner, once the caption changes
    bool testPlay = false;       // Play at once, as the user would
    QString grabFile;         // the window's picture, written at the test exit
};

// The arguments as the system gave them, after QApplication took its own:
// a file name is bytes, which need not be UTF-8, and is kept as such.
std::optional<CommandLine> parseCommandLine(int argc, char** argv)
{
    CommandLine line;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--test-exit-after" && i + 1 < argc) {
            bool ok = false;
            line.testExitAfterMs = QByteArray(argv[++i]).toInt(&ok);
            if (!ok || line.testExitAfterMs < 0)
                return std::nullopt;
        } else if (argument == "--test-exit-on-open") {
            line.testExitOnOpen = true;
        } else if (argument == "--test-play") {
            line.testPlay = true;
        } else if (argument == "--test-grab" && i + 1 < argc) {
            line.grabFile = QFile::decodeName(argv[++i]);
        } else if (argument.empty()) {
            continue; // a launcher's empty file field names no file
        } else if (argument.starts_with("--") || line.file) {
            return std::nullopt;
        } else {
            line.file = std::filesystem::path(std::string(argument));
        }
    }
    if ((line.testExitOnOpen || line.testPlay) && line.testExitAfterMs < 0)
        return std::nullopt;
    return line;
}

// Prints the caption as one line, keeps a picture when asked, and closes
// the window as the user would; save questions are answered No.
void testExit(rz::App& app, const QString& grabFile)
{
    rz::MainFrame* frame = app.frame();
    if (!frame)
        return;
    std::printf("%s\n", frame->windowTitle().toLocal8Bit().constData());
    std::fflush(stdout);
    if (!grabFile.isEmpty())
        frame->grab().save(grabFile);
    frame->close();
}

// The New dialog over the main window.
class NewDocumentDialogPrompt : public rz::INewDocumentPrompt {
public:
    explicit NewDocumentDialogPrompt(rz::App& app) : m_app(app) {}

    std::optional<rz::NewDocumentChoice> askNewDocument(bool forcedSong) override
    {
        rz::CNewSongDlg dialog(m_app.profile(), m_app.prompt(), m_app.set(), forcedSong, m_app.frame());
        if (dialog.exec() != QDialog::Accepted)
            return std::nullopt;
        return rz::NewDocumentChoice{dialog.kind(), dialog.path(), dialog.addToSet(), dialog.templatePath()};
    }

private:
    rz::App& m_app;
};

// The karaoke view reads the frame's highlight style and the track list's rows.
// The clip view's menu 162 lists the Edit menu's audio effects.
rz::ClipViewContext clipViewContext(rz::App& app)
{
    rz::ClipViewContext context;
    context.sink = [&app](rz::CommandId id) { return app.router().execute(id); };
    context.audioEffects = [&app] {
        QMenu* menu = app.frame() ? app.frame()->menuBar()->subMenu("&Edit", rz::kAudioEffectMenu) : nullptr;
        if (menu && menu->actions().size() <= 1)
            app.commands().edit->BuildAudioEffectMenu();
        return rz::audioEffectNames(menu);
    };
    return context;
}

rz::LyricViewContext lyricViewContext(rz::App& app)
{
    rz::LyricViewContext context;
    context.profile = &app.profile();
    context.engine = &app.engine();
    context.trackRows = &app.trackRows();
    context.style = [&app] { return app.frame() ? app.frame()->staffTools().lyricTool : 0; };
    context.performanceMode = [&app] { return app.display().performanceMode(); };
    context.router = &app.router();
    context.sendToFrame = [&app](rz::CommandId id) { return app.router().execute(id); };
    context.startFrameTimer = [&app](int id, int ms) {
        if (app.frame())
            app.frame()->timers().start(id, ms);
    };
    context.openOptions = [&app](QWidget*, int page) { app.optionsSheet().OpenOptions(page); };
    context.statusText = [&app](const std::string& text) { app.statusLine().setText(text); };
    context.printer = [&app] { return &app.printer(); };
    context.printPreviewMode = [&app](bool on) {
        if (app.frame())
            app.frame()->setPrintPreviewMode(on);
    };
    return context;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(rz::App::kTitle);
    const std::optional<CommandLine> line = parseCommandLine(argc, argv);
    if (!line) {
        std::fprintf(stderr, "usage: devu-rizoraz [--test-exit-after MS [--test-exit-on-open] [--test-play]] [--test-grab PNG] [file]\n");
        return 2;
    }
    rz::ConsolePrompt consolePrompt;
    rz::AppOptions options;
    options.file = line->file;
    if (line->testExitAfterMs >= 0)
        options.prompt = &consolePrompt;
    options.unattended = line->testExitAfterMs >= 0;
    rz::App app(options);
    rz::DesktopTrash trash;
    app.viewFactory().registerView(rz::ViewKind::SetTree, [&app, &trash](const rz::ViewRequest& request) {
        auto* pane = new rz::SetPane(app.set(), app.statusLine(), trash, app.profile(), request.parent);
        pane->setCommandRouter(&app.router());
        pane->setKeyFilter(&app.keyFilter());
        pane->setNewSongFromCopy([&app] { app.commands().file->NewSongFromClipboard(); });
        pane->setClipViewRepaint([&app] { app.repaintClipView(); });
        return pane;
    });
    rz::TrackViewContext tracks = app.trackViewContext();
    rz::followTrackList(tracks, [&app]() -> rz::EditViewBase* {
        if (auto* clip = dynamic_cast<rz::ClipView*>(app.views().slot(rz::ViewSlots::kClip)))
            return clip;
        return dynamic_cast<rz::TimeView*>(app.views().slot(rz::ViewSlots::kTime));
    });
    rz::registerTrackView(app.viewFactory(), tracks);
    rz::registerClipView(app.viewFactory(), clipViewContext(app));
    rz::registerTempoView(app.viewFactory(), [&app](rz::CommandId id) { return app.router().execute(id); });
    rz::registerPianoRollView(app.viewFactory(), [&app](rz::CommandId id) { return app.router().execute(id); });
    rz::registerVelocityView(app.viewFactory(), [&app](rz::CommandId id) { return app.router().execute(id); });
    rz::registerControlView(app.viewFactory(), [&app](rz::CommandId id) { return app.router().execute(id); });
    rz::registerEventView(app.viewFactory(), &app.keyFilter(), [&app](rz::CommandId id) { return app.router().execute(id); });
    rz::registerStaffView(app.viewFactory(), app.staffViewContext());
    rz::registerSliderView(app.viewFactory(), {.published = [&app] { return app.publishedValues(); },
                                               .profile = &app.profile(),
                                               .sink = [&app](rz::CommandId id) { return app.router().execute(id); }});
    rz::TimeViewContext timeView;
    timeView.profile = &app.profile();
    timeView.trackListActive = [&app] {
        return app.router().activeView() && app.router().activeView() == dynamic_cast<rz::CommandTarget*>(app.trackView());
    };
    timeView.sink = [&app](rz::CommandId id) { return app.router().execute(id); };
    rz::registerTimeView(app.viewFactory(), timeView);
    rz::registerEngineDialogs(app);
    rz::registerHarpPedalsDialog(app);
    NewDocumentDialogPrompt newDocumentPrompt(app);
    app.commands().file->setNewDocumentPrompt(&newDocumentPrompt);
    app.commands().file->setLyricTapper([&app](rz::CSongDoc& song, rz::CTrack& track) {
        rz::CImportLyricsDlg dialog(song, track, app.engine(), app.profile(), app.prompt(), app.frame());
        return dialog.exec() == QDialog::Accepted;
    });
    app.commands().file->setImportProgress([&app](const std::function<int(double*)>& step) {
        rz::CImportingDlg dialog(step, app.frame());
        return dialog.exec() == QDialog::Accepted;
    });
    app.setClipLoadProgress([&app](const std::function<int(double*)>& step) {
        rz::CImportingDlg dialog(step, app.frame());
        dialog.setWindowTitle("Loading audio clip...");
        return dialog.exec() == QDialog::Accepted;
    });
    if (!app.InitInstance())
        return app.handedOver() ? EXIT_SUCCESS : EXIT_FAILURE;
    // The lyric view asks the engine, which exists once the application has started.
    rz::registerLyricView(app.viewFactory(), lyricViewContext(app));
    if (line->testExitAfterMs >= 0)
        QTimer::singleShot(line->testExitAfterMs, &app,
                           [&app, grab = line->grabFile] { testExit(app, grab); });
    if (line->testPlay)
        QTimer::singleShot(0, &app, [&app] { app.router().execute(rz::kIdPlay); });
    // A file opened (one a second copy handed over, say) ends the run at
    // once, so that a test need not wait out its time.
    if (line->testExitOnOpen && app.frame())
        QObject::connect(app.frame(), &QWidget::windowTitleChanged, &app,
                         [&app, grab = line->grabFile] {
                             QTimer::singleShot(0, &app, [&app, grab] { testExit(app, grab); });
                         });
    const int code = QApplication::exec();
    return app.ExitInstance(code);
}
