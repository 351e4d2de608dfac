#pragma once

#include "app/frame_timers.h"
#include "app/main_frame_hit_test.h"
#include "res/command_ids.h"
#include "ui/command_target.h"
#include "ui/status_prompt.h"
#include "views/frame_timer_ids.h"
#include "staff/staff_tool_state.h"

#include <QFont>
#include <QPixmap>
#include <QPointer>
#include <QStaticText>
#include <QWidget>

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <span>
#include <vector>

class QMenu;

namespace rz {

class BitmapPushButton;
class CommandRouter;
class FaderCtrl;
class FlatStatusBar;
class FlatToolBar;
class IFrameHost;
class IProfile;
class KeyFilter;
class MenuBar;
class PaneView;
class SessionInhibitor;
class UiUpdater;

// The program's one main window: a frameless, skinned top-level widget that
// draws its own caption, edges and bottom bar, holds the menu bar, tool bar,
// status bar, caption and transport buttons and the two faders, places them
// by hand on every resize, and asks its panes to place themselves. It is the
// main-frame target of command routing and the program's status line.
// GUI thread.
class MainFrame : public QWidget, public CommandTable<MainFrame>, public IStatusPrompt {
    Q_OBJECT
public:
    // System commands the caption buttons send.
    static constexpr uint16_t kScClose = 0xF060;
    static constexpr uint16_t kScMaximize = 0xF030;
    static constexpr uint16_t kScMinimize = 0xF020;
    static constexpr uint16_t kScRestore = 0xF120;
    static constexpr int kStartTimerId = frame_timer::kIdleVstEditors;
    static constexpr int kStartTimerMs = 100;
    static constexpr QSize kMinimumSize{640, 480};
    static constexpr CommandId kFirstMenuCommand = kIdMenuFile; // opens menu id - kIdMenuFile
    static constexpr CommandId kLastMenuCommand = kIdMenuHelp;

    enum class Button {
        Close, MaximizeRestore, Minimize,
        TransposeUp, TransposeDown, Tempo100,
        Record, Stop, PlayStop, Pause, NextSong, PreviousSong,
    };
    static constexpr int kButtonCount = 12;

    // `updater` and `keys` may be null (menu items then run their commands
    // directly and show no key texts).
    MainFrame(IProfile& profile, CommandRouter& router, IFrameHost& host,
              UiUpdater* updater = nullptr, const KeyFilter* keys = nullptr);
    ~MainFrame() override;

    // The window's first geometry from "WindowMetrics", kept on `workArea`:
    // at least 70 pixels of it stay there, and it is no larger.
    static QRect PreCreateWindow(const IProfile& profile, const QRect& workArea);
    // Shows the window (maximised when "WindowMetrics" "Maximized" is set,
    // else when `show`) and rebuilds the title.
    void ActivateFrame(bool show = true);

    MenuBar* menuBar() const { return m_menuBar; }
    FlatToolBar* toolBar() const { return m_toolBar; }
    FlatStatusBar* statusBar() const { return m_statusBar; }
    FaderCtrl* tempoFader() const { return m_tempoFader; }
    FaderCtrl* volumeFader() const { return m_volumeFader; }
    BitmapPushButton* button(Button which) const { return m_buttons[size_t(which)]; }
    FrameTimers& timers() { return m_timers; }
    StaffToolState& staffTools() { return m_staffTools; }

    // The pane of `id` (0xE900..0xE904, 0xE905 + n), or null.
    PaneView* pane(uint32_t id) const;
    // Makes `pane` the pane of `id`: its widget becomes a child of the
    // frame and is placed at once. A placeholder it replaces is deleted.
    void setPane(uint32_t id, PaneView* pane);
    // Forgets the pane of `id` without deleting it.
    void removePane(uint32_t id);
    // Asks every pane to place itself in the frame's current size.
    void placePanes();

    // Close, maximise, restore, minimise; the caption buttons send these.
    void systemCommand(uint16_t code);
    // Hides the bars, set and track panes, transport buttons and faders
    // while a print preview shows, and brings back exactly those.
    void setPrintPreviewMode(bool on);
    bool printPreviewMode() const { return m_printPreview; }

    // Kept informed of activation; may be null.
    void setSessionInhibitor(SessionInhibitor* inhibitor);
    SessionInhibitor* sessionInhibitor() const { return m_inhibitor; }
    // Paints the transport panel over its background (status, clock, meters).
    void setPanelPainter(std::function<void(QPainter&, const QRect&)> painter);

    // The right-click menu, built on first use.
    QMenu* contextMenu();

    // The status line. In performance mode the idle prompt reads
    // "Performance mode--click mouse icon to edit"; a new prompt id
    // refreshes the tool bar at once.
    void setPromptId(uint32_t id) override;
    void clearStatusText() override;
    // The prompt id pane 0 shows.
    uint32_t promptId() const { return m_promptId; }

    // The tool bar's enabled, checked and visible states by the frame's
    // rules and the commands' own; panes 2 and 3 from the selection. Runs
    // on every idle pass.
    void UpdateToolbarButtons();
    // The transport buttons' enabled and pressed looks; in performance
    // mode Record is the click switch.
    void updateTransportButtons();

    static std::span<const CommandRow<MainFrame>> commandTable();
    bool onMenuCommand(CommandId id);
    // The frame's commands keep the frame's place in enabling: the command
    // target that carries one out decides its state, and one no target
    // carries out is greyed. They run further down the route, at the
    // application's targets.
    void onUpdateTargetCommand(CommandId id, CmdUi& ui);
    void setCommandTargets(std::vector<CommandTarget*> targets) { m_commandTargets = std::move(targets); }

    // The caption strip repainted on activation and title changes.
    QRect captionRect() const;
    // The transport panel's background, bottom left.
    QRect panelRect() const;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void createMenuBar(UiUpdater* updater, const KeyFilter* keys);
    void createCaptionButtons();
    void createBars();
    void createPanelButtons();
    void createFaders();
    void readToolState();
    void createPlaceholderPanes();
    void showMaximizeButton(bool maximised);

    // OnSize: the metrics, the controls, the mask, the panes.
    void onSize();
    void placeControls(QSize client);
    void updateMask();
    void writeRestoredSize();

    void paintDirty(QPainter& painter, const QRegion& dirty);
    void paintCaption(QPainter& painter) const;
    void paintTitle(QPainter& painter) const;
    const QPixmap& cachedPiece(QPixmap& piece, QSize size, const std::function<void(QPainter&)>& draw) const;
    void paintBottomBar(QPainter& painter) const;
    void paintEdges(QPainter& painter) const;
    void paintPanelBackground(QPainter& painter) const;

    void writeCloseSettings();
    bool isMaximisedState() const;

    IProfile& m_profile;
    CommandRouter& m_router;
    IFrameHost& m_host;
    std::vector<CommandTarget*> m_commandTargets;
    FrameTimers m_timers;
    StaffToolState m_staffTools;
    MenuBar* m_menuBar = nullptr;
    FlatToolBar* m_toolBar = nullptr;
    FlatStatusBar* m_statusBar = nullptr;
    FaderCtrl* m_tempoFader = nullptr;
    FaderCtrl* m_volumeFader = nullptr;
    std::array<BitmapPushButton*, kButtonCount> m_buttons{};
    QMenu* m_contextMenu = nullptr;
    std::map<uint32_t, PaneView*> m_panes;
    std::map<uint32_t, QPointer<QWidget>> m_paneWidgets; // to notice panes deleted elsewhere
    std::vector<QPointer<QWidget>> m_hiddenForPreview;
    SessionInhibitor* m_inhibitor = nullptr;
    std::function<void(QPainter&, const QRect&)> m_panelPainter;
    // What painting lays out once: the backdrop pieces per size, the title
    // per text and font.
    struct PaintCache {
        QPixmap caption;
        QPixmap bottomBar;
        QPixmap panel;
        QStaticText title;
        QFont titleFont;
    };
    mutable PaintCache m_paintCache;
    bool m_printPreview = false;
    bool m_moving = false;
    uint32_t m_promptId = 0;
    bool m_showingSelection = false; // panes 2 and 3 hold the selection
};

} // namespace rz
