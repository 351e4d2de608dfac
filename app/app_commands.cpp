// The smaller services songs and controls ask of the application: paste
// rules, cue colours, zooms, the status line, view activation. GUI thread.

#include "app/app.h"

#include "app/flat_status_bar.h"
#include "app/flat_tool_bar.h"
#include "app/main_frame.h"
#include "core/engine_link.h"
#include "core/profile.h"
#include "core/settings.h"
#include "core/prompt.h"
#include "platform/send_file_by_mail.h"
#include "res/command_ids.h"
#include "set/set_document.h"
#include "ui/command_router.h"
#include "ui/fader_ctrl.h"

#include <QApplication>
#include <QPointer>

#include <string>
#include <thread>

namespace rz {
namespace {

constexpr std::array<Color, ISongHost::kCueKinds> kDefaultCueColors = {
    0xF0F0F0, 0x0000D0, 0x00FFFF, 0x10A010, 0x808080,
    0x10E0E0, 0x0080FF, 0xF0F0F0, 0x800080, 0x800000,
};

} // namespace

bool App::CanPaste() const
{
    const SongView* live = slot(kLive);
    PasteState state;
    state.stopped = m_engine->transportState() == TransportState::Stopped;
    state.performanceMode = m_performanceMode;
    state.setViewActive = live && live->hasFocus();
    state.setViewHasSelection = state.setViewActive;
    state.setHasFile = m_set->hasFile();
    state.songCurrent = m_currentSong != nullptr;
    state.songAccepts = m_currentSong && m_currentSong->canPasteKind(m_clipboard.kind);
    return rz::CanPaste(m_clipboard, state);
}

void App::LoadCueColors()
{
    for (int kind = 0; kind < kCueKinds; ++kind)
        m_cueColors[size_t(kind)] = Color(readSettingOr(*m_profile, settings::kDisplayCueColor,
                                                        int32_t(kDefaultCueColors[size_t(kind)]),
                                                        std::to_string(kind)));
}

void App::setCueColor(int kind, Color color)
{
    if (kind >= 0 && kind < kCueKinds)
        m_cueColors[size_t(kind)] = color;
}

void App::ResetCueColors()
{
    m_cueColors = kDefaultCueColors;
}

Color App::cueColor(int kind) const
{
    return kind >= 0 && kind < kCueKinds ? m_cueColors[size_t(kind)] : kDefaultCueColors[0];
}

void App::setTimeZoom(int zoom)
{
    m_xZoom = std::clamp(zoom, 0, kMaxTimeZoom);
}

void App::setLaneZoom(int zoom)
{
    m_yZoom = std::clamp(zoom, 0, kMaxLaneZoom);
}

void App::SetStatusText(std::string_view text)
{
    setStatusPane(1, QString::fromUtf8(text.data(), qsizetype(text.size())));
}

void App::setPromptId(uint32_t id)
{
    if (m_frame)
        m_frame->setPromptId(id);
}

uint32_t App::promptId() const
{
    return m_frame ? m_frame->promptId() : 0;
}

void App::clearStatusText()
{
    if (m_frame)
        m_frame->clearStatusText();
}

void App::showSetProgress(std::string_view prompt, std::string_view text)
{
    if (!m_frame)
        return;
    setStatusPane(0, QString::fromUtf8(prompt.data(), qsizetype(prompt.size())));
    setStatusPane(1, QString::fromUtf8(text.data(), qsizetype(text.size())));
    m_frame->repaint();
}

void App::endSetProgress()
{
    setPromptId(m_performanceMode ? kPerformanceIdlePromptId : kIdlePromptId);
    setStatusPane(1, QString());
}

bool App::performanceLocked() const
{
    return m_frame && m_frame->toolBar()->isPressed();
}

void App::lockPerformance()
{
    setPerformanceMode(true);
    if (m_frame)
        m_frame->toolBar()->setPressed(true);
}

void App::setWaitCursor(bool on)
{
    if (on)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else if (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
}

void App::activateTempoView(CSongDoc&)
{
    if (m_frame)
        m_frame->timers().fire(int(ViewKind::Tempo));
}

void App::activateEditorView(CSongDoc&)
{
    SongView* editor = nullptr;
    GetCurrentViews(&editor, nullptr);
    m_router->setActiveView(dynamic_cast<CommandTarget*>(editor));
    if (editor)
        editor->setFocus();
}

void App::activateTrackView(CSongDoc&)
{
    SongView* track = slot(kTrack);
    m_router->setActiveView(dynamic_cast<CommandTarget*>(track));
    if (track)
        track->setFocus();
}

void App::editTrackProperties(CSongDoc&)
{
    if (auto* track = dynamic_cast<CommandTarget*>(slot(kTrack)))
        track->handle(kIdProperties);
}

bool App::trackViewActive() const
{
    SongView* track = slot(kTrack);
    return track != nullptr && m_router->activeView() == dynamic_cast<CommandTarget*>(track);
}

void App::showControllerView(CSongDoc&, int kind, int controller)
{
    m_controlKind = kind;
    m_controlNumber = controller;
    if (m_frame)
        m_frame->timers().fire(int(ViewKind::Control));
}

// "take.wav", "take_2.wav", ...; a name with a folder keeps its own stem
// less a numbered tail ("take_3" is "take" again).
void App::MakeUniqueAudioFileName(std::filesystem::path& name)
{
    std::string base = name.has_parent_path() ? name.stem().string() : std::string();
    size_t run = base.find_last_not_of("_0123456789");
    run = run == std::string::npos ? 0 : run + 1;
    if (const size_t underscore = base.find('_', run); underscore != std::string::npos)
        base.erase(underscore);
    if (base.empty())
        base = "take";
    std::error_code error;
    for (int n = 1;; ++n) {
        const std::string suffix = n > 1 ? "_" + std::to_string(n) : std::string();
        const std::filesystem::path candidate = m_workFolder / (base + suffix + ".wav");
        if (!std::filesystem::exists(candidate, error)) {
            name = candidate;
            return;
        }
    }
}

bool App::SendFileByMail(std::string_view subject,
                         const std::vector<std::filesystem::path>& attachments,
                         std::string& reason)
{
    const long child = StartMailProgram(subject, attachments, reason);
    if (child < 0)
        return false;
    // The mail program may stay open while the user writes: the window does
    // not wait for it, and a failure it reports comes back as a message.
    QPointer<MainFrame> frame = m_frame;
    IPrompt* prompt = m_prompt;
    std::thread([child, frame, prompt] {
        std::string why;
        if (WaitForMailProgram(child, why))
            return;
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [frame, prompt, why] {
                if (frame)
                    prompt->message("The song could not be handed to the mail program:\n" + why,
                                    PromptIcon::Warning);
            },
            Qt::QueuedConnection);
    }).detach();
    return true;
}

bool App::stepBeatBack()
{
    if (!m_currentSong)
        return false;
    m_currentSong->StepBeatBack();
    return true;
}

bool App::stepBeatForward()
{
    if (!m_currentSong)
        return false;
    m_currentSong->StepBeatForward();
    return true;
}

} // namespace rz
