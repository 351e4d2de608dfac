#include "app/main_frame.h"

#include "app/flat_status_bar.h"
#include "app/flat_tool_bar.h"
#include "app/frame_host.h"
#include "app/menu_bar.h"
#include "core/profile.h"
#include "core/settings.h"
#include "res/command_ids.h"
#include "res/main_menu.h"
#include "ui/bitmap_catalog.h"
#include "ui/bitmap_push_button.h"
#include "ui/command_router.h"
#include "ui/command_text.h"
#include "ui/fader_ctrl.h"
#include "ui/font_substitutions.h"
#include "ui/ui_updater.h"
#include "views/pane_view.h"

#include <QMenu>

namespace rz {
namespace {

// The system-command form of a button's command word.
uint32_t systemCommandWord(uint16_t code)
{
    return (uint32_t(code) << 16) | BitmapPushButton::kSystemCommandWord;
}

struct PanelButtonRow {
    MainFrame::Button which;
    int bitmapId;
    CommandId command;
};

constexpr PanelButtonRow kPanelButtons[] = {
    {MainFrame::Button::TransposeUp, bitmap_id::kTransposeUp, kIdTransposeUp},
    {MainFrame::Button::TransposeDown, bitmap_id::kTransposeDown, kIdTransposeDown},
    {MainFrame::Button::Tempo100, bitmap_id::kTempo100, kIdTempoNormal},
    {MainFrame::Button::Record, bitmap_id::kRecord, kIdRecord},
    {MainFrame::Button::Stop, bitmap_id::kStop, kIdStop},
    {MainFrame::Button::PlayStop, bitmap_id::kPlayStop, kIdPlayStop},
    {MainFrame::Button::Pause, bitmap_id::kPause, kIdPause},
    {MainFrame::Button::NextSong, bitmap_id::kNextSong, kIdNextSong},
    {MainFrame::Button::PreviousSong, bitmap_id::kPreviousSong, kIdPreviousSong},
};

constexpr CommandId kTempoFaderId = kIdTempoAdjust;
constexpr CommandId kVolumeFaderId = kIdVolumeAdjust;
constexpr int32_t kDefaultVolume = 16383;

// The application's command targets carry these out and decide their state.
constexpr auto kTargets = &MainFrame::onUpdateTargetCommand;

constexpr CommandRow<MainFrame> kMainFrameCommands[] = {
    {MainFrame::kFirstMenuCommand, MainFrame::kLastMenuCommand, &MainFrame::onMenuCommand,
     nullptr},
    // Staff and lyric tools.
    {kIdTextChords, kIdAccidental, nullptr, kTargets},
    {kIdGrid, kIdDraw, nullptr, kTargets},
    {kIdDrawLines, kIdDrawFreeHand, nullptr, kTargets},
    {kIdBouncingBall, kIdShowObjectGrid, nullptr, kTargets},
    // Views and the transport display.
    {kIdViewClipsAndCues, kIdViewVelocity, nullptr, kTargets},
    {kIdViewTempoMap, kIdViewPitchWheel, nullptr, kTargets},
    {kIdViewChannelPressure, kIdViewChannelPressure, nullptr, kTargets},
    {kIdViewOtherController, kIdViewOtherController, nullptr, kTargets},
    {kIdViewFaders, kIdViewFaders, nullptr, kTargets},
    {kIdViewModWheel, kIdViewExpression, nullptr, kTargets},
    {kIdViewMeterKey, kIdViewSongTime, nullptr, kTargets},
    // Setup and help.
    {kIdOptions, kIdOptions, nullptr, kTargets},
    {kIdMidiPorts, kIdExternalControl, nullptr, kTargets},
    {kIdHelpContents, kIdHelpSearch, nullptr, kTargets},
    {kIdWebSite, kIdWebSite, nullptr, kTargets},
    {kIdSynthPatchNames, kIdSynthPatchNames, nullptr, kTargets},
    {kIdSynchronization, kIdSynchronization, nullptr, kTargets},
    {kIdRecordOptions, kIdPlaybackOptions, nullptr, kTargets},
    {kIdMidiAssociationWebSite, kIdMidiAssociationWebSite, nullptr, kTargets},
    {kIdSoundFontBanks, kIdSoundFontBanks, nullptr, kTargets},
    {kIdKeyboardAccelerators, kIdKeyboardAccelerators, nullptr, kTargets},
    {kIdAudioDevices, kIdTipOfTheDay, nullptr, kTargets},
    // Inserts, edits and imports of the frame.
    {kIdInsertTempo, kIdInsertTempoSeries, nullptr, kTargets},
    {kIdFindFaults, kIdFindFaults, nullptr, kTargets},
    {kIdImportLyrics, kIdImportLyrics, nullptr, kTargets},
    // Performance.
    {kIdNextSong, kIdPreviousSong, nullptr, kTargets},
    {kIdTransposeUp, kIdEditMode, nullptr, kTargets},
    {kIdTrackUp, kIdTrackDown, nullptr, kTargets},
};

} // namespace

// Creation in the order the frame's parts depend on: menu bar, caption
// buttons, bars, panel buttons, faders, tool state, then the start timer.
MainFrame::MainFrame(IProfile& profile, CommandRouter& router, IFrameHost& host,
                     UiUpdater* updater, const KeyFilter* keys)
    : QWidget(nullptr), m_profile(profile), m_router(router), m_host(host),
      m_timers([this](int id) { m_host.onFrameTimer(id); })
{
    installFontSubstitutions();
    Qt::WindowFlags flags = Qt::Window | Qt::FramelessWindowHint;
    if (readSetting(m_profile, settings::kAlwaysOnTop) != 0)
        flags |= Qt::WindowStaysOnTopHint;
    setWindowFlags(flags);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setAcceptDrops(true);
    setMinimumSize(kMinimumSize);

    createMenuBar(updater, keys);
    if (updater)
        connect(updater, &UiUpdater::updated, this, &MainFrame::UpdateToolbarButtons);
    createCaptionButtons();
    createBars();
    createPanelButtons();
    createFaders();
    readToolState();
    const bool showTranspose = readSetting(m_profile, settings::kDisplayViewSetTime) == 0;
    button(Button::TransposeUp)->setVisible(showTranspose);
    button(Button::TransposeDown)->setVisible(showTranspose);
    createPlaceholderPanes();
    m_timers.start(kStartTimerId, kStartTimerMs);

    setMainStatusPrompt(this);
    m_router.setMainFrame(this);
}

MainFrame::~MainFrame()
{
    if (mainStatusPrompt() == this)
        setMainStatusPrompt(nullptr);
    m_router.setMainFrame(nullptr);
}

void MainFrame::createMenuBar(UiUpdater* updater, const KeyFilter* keys)
{
    m_menuBar = new MenuBar(m_router, updater, keys, this);
    m_menuBar->loadMenu(mainMenu());
}

void MainFrame::createCaptionButtons()
{
    const bool maximised = readSetting(m_profile, settings::kWindowMaximized) != 0;
    auto make = [this](Button which, int bitmapId, uint16_t code) {
        auto* b = new BitmapPushButton(bitmapId, QPoint(0, 0), this, systemCommandWord(code),
                                       BitmapPushButton::kTransparent);
        connect(b, &BitmapPushButton::systemCommand, this, &MainFrame::systemCommand);
        m_buttons[size_t(which)] = b;
    };
    make(Button::Close, bitmap_id::kClose, kScClose);
    make(Button::MaximizeRestore, maximised ? bitmap_id::kRestore : bitmap_id::kMaximize,
         maximised ? kScRestore : kScMaximize);
    make(Button::Minimize, bitmap_id::kMinimize, kScMinimize);
}

void MainFrame::createBars()
{
    m_toolBar = new FlatToolBar(m_router, this);
    connect(m_toolBar, &FlatToolBar::performanceLookToggled, this, [this] {
        if (m_host.hasOpenSet() && m_host.setHasFile())
            m_host.markSetModified();
    });
    m_statusBar = new FlatStatusBar(this);
    setPromptId(kIdlePromptId);
}

void MainFrame::createPanelButtons()
{
    for (const PanelButtonRow& row : kPanelButtons) {
        auto* b = new BitmapPushButton(row.bitmapId, QPoint(0, 0), this, row.command,
                                       BitmapPushButton::kTransparent);
        connect(b, &BitmapPushButton::command, this,
                [this](uint32_t command) { m_router.execute(command); });
        m_buttons[size_t(row.which)] = b;
    }
}

void MainFrame::createFaders()
{
    m_tempoFader = new FaderCtrl(bitmap_id::kTempoFaderBackground, bitmap_id::kTempoFaderThumb,
                                 FaderCtrl::kVertical, this, kTempoFaderId);
    m_tempoFader->setRange(-1000, 1000);
    m_tempoFader->setPageSize(10);
    m_tempoFader->setPos(0);
    m_volumeFader = new FaderCtrl(bitmap_id::kVolumeFaderBackground,
                                  bitmap_id::kVolumeFaderThumb, 0, this, kVolumeFaderId);
    m_volumeFader->setRange(0, kDefaultVolume);
    m_volumeFader->setPageSize(128);
    m_volumeFader->setPos(readSetting(m_profile, settings::kDefaultsVolume));
}

void MainFrame::readToolState()
{
    StaffToolState& s = m_staffTools;
    s.grid = readSetting(m_profile, settings::kStaffGrid) != 0;
    s.tool = readSetting(m_profile, settings::kStaffTool);
    s.line = readSetting(m_profile, settings::kStaffLine);
    s.noteType = readSetting(m_profile, settings::kStaffNoteType);
    s.dotted = readSetting(m_profile, settings::kStaffNoteDotted) != 0;
    s.triplet = readSetting(m_profile, settings::kStaffNoteTriplet) != 0;
    s.accidentals = readSetting(m_profile, settings::kStaffNoteAccidents) != 0;
    s.lyricTool = readSetting(m_profile, settings::kLyricTool);
}

void MainFrame::createPlaceholderPanes()
{
    for (uint32_t id : {pane_id::kSetTree, pane_id::kTrackList, pane_id::kEditor,
                        pane_id::kController})
        setPane(id, new PlaceholderPane(id, this));
}

void MainFrame::ActivateFrame(bool show)
{
    if (readSetting(m_profile, settings::kWindowMaximized) != 0)
        showMaximized();
    else if (show)
        this->show();
    m_host.UpdateTitle();
}

PaneView* MainFrame::pane(uint32_t id) const
{
    const auto it = m_panes.find(id);
    if (it == m_panes.end() || !m_paneWidgets.at(id))
        return nullptr;
    return it->second;
}

void MainFrame::setPane(uint32_t id, PaneView* view)
{
    PaneView* old = pane(id);
    removePane(id);
    if (old && old != view)
        delete dynamic_cast<PlaceholderPane*>(old);
    if (!view)
        return;
    QWidget* widget = view->paneWidget();
    if (widget->parentWidget() != this)
        widget->setParent(this);
    m_panes[id] = view;
    m_paneWidgets[id] = widget;
    view->placeInFrame(size());
    if (!m_printPreview)
        widget->show();
}

void MainFrame::removePane(uint32_t id)
{
    m_panes.erase(id);
    m_paneWidgets.erase(id);
}

void MainFrame::placePanes()
{
    for (const auto& [id, view] : m_panes)
        if (m_paneWidgets[id])
            view->placeInFrame(size());
}

QMenu* MainFrame::contextMenu()
{
    if (!m_contextMenu)
        m_contextMenu = m_menuBar->buildPopup(frameContextMenu(), this);
    return m_contextMenu;
}

void MainFrame::clearStatusText()
{
    m_statusBar->setPartText(1, QString());
}

void MainFrame::setSessionInhibitor(SessionInhibitor* inhibitor)
{
    m_inhibitor = inhibitor;
}

void MainFrame::setPanelPainter(std::function<void(QPainter&, const QRect&)> painter)
{
    m_panelPainter = std::move(painter);
    QWidget::update(panelRect());
}

std::span<const CommandRow<MainFrame>> MainFrame::commandTable()
{
    return kMainFrameCommands;
}

bool MainFrame::onMenuCommand(CommandId id)
{
    return m_menuBar->popUp(int(id - kFirstMenuCommand));
}

void MainFrame::onUpdateTargetCommand(CommandId id, CmdUi& ui)
{
    for (CommandTarget* target : m_commandTargets) {
        if (target->hasHandler(id)) {
            target->update(id, ui);
            return;
        }
    }
    ui.enabled = false;
}

} // namespace rz
