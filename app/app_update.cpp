// Help > Check for update, About and Tip of the Day, the splash window, and
// the start-up's tip and update check. GUI thread.

#include "app/about_dlg.h"
#include "app/app.h"
#include "app/frame_timers.h"
#include "app/main_frame.h"
#include "core/profile.h"
#include "core/prompt.h"
#include "core/tips.h"

#include <QDesktopServices>

#include <cstdio>

namespace rz {

void App::showSplash()
{
    if (m_options.file || !m_options.showWindow)
        return;
    auto* splash = new CSplashWnd;
    m_splash = splash;
    if (!splash->Create())
        delete splash;
}

CSplashWnd* App::splash() const
{
    return static_cast<CSplashWnd*>(m_splash.data());
}

std::filesystem::path App::tipsFile() const
{
    return m_programFolder / "tips.txt";
}

bool App::onCheckForUpdate(CommandId)
{
    if (m_addresses.update.isEmpty()) {
        m_prompt->message(kNoUpdateInformation);
        return true;
    }
    CCheckUpdateDlg dialog(*m_prompt, m_addresses, m_openUrl, GetExeFileVersion(), m_frame);
    dialog.exec();
    return true;
}

bool App::onAbout(CommandId)
{
    CAboutDlg dialog(GetExeFileVersion(), m_addresses.homepage, m_frame);
    dialog.exec();
    return true;
}

bool App::onTipOfTheDay(CommandId)
{
    TipOfTheDay tips(*m_profile, tipsFile());
    CTipDlg dialog(tips, m_frame);
    dialog.exec();
    return true;
}

// The tip of the day, unless the user turned it off. It is shown without
// waiting, so the start-up goes on behind it.
void App::startupTip()
{
    if (m_profile->readInt("Tip", "StartUp", 0) != 0)
        return;
    if (m_options.unattended) {
        const TipOfTheDay tips(*m_profile, tipsFile());
        std::fprintf(stderr, "%s\n", tips.text().c_str());
        return;
    }
    if (!m_options.showWindow)
        return;
    auto tips = std::make_shared<TipOfTheDay>(*m_profile, tipsFile());
    auto* dialog = new CTipDlg(*tips, m_frame);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    // The tips live as long as the dialog; their end stores the position.
    connect(dialog, &QObject::destroyed, this, [tips] {});
    dialog->open();
}

// Asks the server once per start; every failure stays silent.
void App::startUpdateCheck()
{
    if (m_profile->readInt("StartupOptions", "CheckForUpdates", 1) == 0
        || m_addresses.update.isEmpty())
        return;
    m_startupCheck = std::make_unique<CHttpRequest>();
    connect(m_startupCheck.get(), &CHttpRequest::finished, this, &App::onStartupUpdateAnswer);
    m_startupCheck->Send(m_addresses.update, updateFormData(QDateTime::currentDateTime()));
}

void App::onStartupUpdateAnswer(int result, const QByteArray& body)
{
    const UpdateVerdict verdict = judgeUpdateReply(result, body, GetExeFileVersion());
    if (verdict.kind != UpdateVerdict::Newer || !m_frame)
        return;
    m_pendingUpdate = verdict.text;
    m_frame->timers().start(kUpdateNoticeTimer, kUpdateNoticeDelayMs);
}

// Yes opens the configured download address only; the program stays open.
void App::updateNotice()
{
    m_frame->timers().kill(kUpdateNoticeTimer);
    if (m_pendingUpdate.empty())
        return;
    const std::string text = std::exchange(m_pendingUpdate, {});
    if (m_prompt->askYesNo(text) == PromptAnswer::Yes && m_addresses.download.isValid())
        m_openUrl(m_addresses.download);
}

} // namespace rz
