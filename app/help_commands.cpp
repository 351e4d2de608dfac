// The Help commands and the start-up's update check. GUI thread.

#include "app/help_commands.h"

#include "app/about_dlg.h"
#include "app/desktop/http_request.h"
#include "core/profile.h"
#include "core/prompt.h"
#include "core/settings.h"
#include "core/song_host.h"
#include "core/tips.h"
#include "res/command_ids.h"
#include "res/help_topics.h"
#include "ui/help_opener.h"

#include <QDateTime>

namespace rz {
namespace {

using H = HelpCommands;

constexpr CommandRow<H> kHelpCommands[] = {
    {kIdHelpContents, kIdHelpSearch, &H::onHelp, nullptr},
    {kIdMidiAssociationWebSite, kIdMidiAssociationWebSite, &H::onHelp, nullptr},
    {kIdTipOfTheDay, kIdTipOfTheDay, &H::onTipOfTheDay, nullptr},
    {kIdCheckForUpdate, kIdCheckForUpdate, &H::onCheckForUpdate, nullptr},
    {kIdAppAbout, kIdAppAbout, &H::onAbout, nullptr},
};

} // namespace

HelpCommands::HelpCommands(HelpSeams seams) : m_seams(std::move(seams)) {}

HelpCommands::~HelpCommands() = default;

std::span<const CommandRow<H>> HelpCommands::commandTable()
{
    return kHelpCommands;
}

bool HelpCommands::onHelp(CommandId id)
{
    if (id == kIdMidiAssociationWebSite)
        m_seams.help.openWebSite(kMidiAssociationUrl);
    else
        m_seams.help.open(id == kIdHelpSearch ? kHelpSearch : kHelpWelcome);
    return true;
}

void HelpCommands::onHelpKey()
{
    if (!m_seams.options.performanceMode())
        m_seams.help.open(kHelpWelcome);
}

bool HelpCommands::onTipOfTheDay(CommandId)
{
    TipOfTheDay tips(m_seams.profile, m_seams.tipsFile());
    CTipDlg dialog(tips, m_seams.window());
    dialog.exec();
    return true;
}

bool HelpCommands::onCheckForUpdate(CommandId)
{
    if (m_addresses.update.isEmpty()) {
        m_seams.prompt.message(kNoUpdateInformation);
        return true;
    }
    CCheckUpdateDlg dialog(m_seams.prompt, m_addresses, m_openUrl, m_seams.version,
                           m_seams.window());
    dialog.exec();
    return true;
}

bool HelpCommands::onAbout(CommandId)
{
    CAboutDlg dialog(m_seams.version, m_addresses.homepage, m_seams.window());
    dialog.exec();
    return true;
}

void HelpCommands::startUpdateCheck()
{
    if (readSetting(m_seams.profile, settings::kStartCheckForUpdates) == 0
        || m_addresses.update.isEmpty())
        return;
    m_startupCheck = std::make_unique<CHttpRequest>();
    QObject::connect(m_startupCheck.get(), &CHttpRequest::finished, m_startupCheck.get(),
                     [this](int result, const QByteArray& body) {
                         onStartupUpdateAnswer(result, body);
                     });
    m_startupCheck->Send(m_addresses.update, updateFormData(QDateTime::currentDateTime()));
}

void HelpCommands::onStartupUpdateAnswer(int result, const QByteArray& body)
{
    const UpdateVerdict verdict = judgeUpdateReply(result, body, m_seams.version);
    if (verdict.kind != UpdateVerdict::Newer || !m_seams.window())
        return;
    m_pendingUpdate = verdict.text;
    m_seams.startNoticeTimer(kUpdateNoticeDelayMs);
}

// Yes opens the configured download address only; the program stays open.
void HelpCommands::updateNotice()
{
    m_seams.killNoticeTimer();
    if (m_pendingUpdate.empty())
        return;
    const std::string text = std::exchange(m_pendingUpdate, {});
    if (m_seams.prompt.askYesNo(text) == PromptAnswer::Yes && m_addresses.download.isValid())
        m_openUrl(m_addresses.download);
}

} // namespace rz
