// Asking the update server and answering the user. GUI thread.

#include "app/update_check.h"

#include "core/prompt.h"
#include "core/update_reply.h"

#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

namespace rz {
namespace {

constexpr int kStartDelayMs = 100; // lets the dialog paint before the request

} // namespace

UpdateAddresses configuredAddresses()
{
    return {QUrl(QStringLiteral(RZ_UPDATE_URL)), QUrl(QStringLiteral(RZ_DOWNLOAD_URL)),
            QStringLiteral(RZ_HOMEPAGE_URL)};
}

bool openWebAddress(const QUrl& url)
{
    return QDesktopServices::openUrl(url);
}

QByteArray updateFormData(const QDateTime& now)
{
    const QString date = now.toString(QStringLiteral("MM/dd/yyyy HH:mm"));
    return "date=" + QUrl::toPercentEncoding(date);
}

UpdateVerdict judgeUpdateReply(int result, const QByteArray& body, int ownVersion)
{
    if (result != CHttpRequest::kOk)
        return {UpdateVerdict::Trouble, kUpdateTrouble};
    const std::optional<UpdateReply> reply =
        parseUpdateReply(std::string_view(body.constData(), size_t(body.size())));
    if (!reply)
        return {UpdateVerdict::Trouble, kUpdateTrouble};
    if (reply->version > ownVersion)
        return {UpdateVerdict::Newer, updateOfferText(*reply)};
    if (reply->version >= 1)
        return {UpdateVerdict::UpToDate, kUpToDate};
    return {};
}

CCheckUpdateDlg::CCheckUpdateDlg(IPrompt& prompt, UpdateAddresses addresses, OpenUrl openUrl,
                                 int ownVersion, QWidget* parent)
    : DialogBase(parent), m_prompt(prompt), m_addresses(std::move(addresses)),
      m_openUrl(std::move(openUrl)), m_ownVersion(ownVersion)
{
    setObjectName(QStringLiteral("dialog488"));
    setWindowTitle(QStringLiteral("Checking for update..."));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("One moment please..."), this));
    auto* buttons = buttonRow(QDialogButtonBox::Cancel);
    layout->addWidget(buttons);
    connect(&m_request, &CHttpRequest::finished, this, &CCheckUpdateDlg::onAnswer);
}

void CCheckUpdateDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!m_started)
        QTimer::singleShot(kStartDelayMs, this, &CCheckUpdateDlg::run);
}

void CCheckUpdateDlg::run()
{
    if (m_started)
        return;
    m_started = true;
    m_request.Send(m_addresses.update, updateFormData(QDateTime::currentDateTime()));
}

void CCheckUpdateDlg::reject()
{
    m_request.abort();
    QDialog::reject();
}

void CCheckUpdateDlg::onAnswer(int result, const QByteArray& body)
{
    if (result == CHttpRequest::kCancelled)
        return;
    const UpdateVerdict verdict = judgeUpdateReply(result, body, m_ownVersion);
    switch (verdict.kind) {
    case UpdateVerdict::Newer:
        if (m_prompt.askYesNo(verdict.text) == PromptAnswer::Yes && m_openUrl
            && m_addresses.download.isValid())
            m_openUrl(m_addresses.download);
        break;
    case UpdateVerdict::Trouble:
        m_prompt.message(verdict.text, PromptIcon::Warning);
        break;
    case UpdateVerdict::UpToDate:
        m_prompt.message(verdict.text);
        break;
    case UpdateVerdict::Silent:
        break;
    }
    done(1);
}

} // namespace rz
