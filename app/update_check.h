#pragma once

#include "app/desktop/http_request.h"
#include "ui/dialog_base.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QUrl>

#include <functional>
#include <string>

namespace rz {

class IPrompt;

// Where the program asks for updates, where a newer release is fetched and
// the maker's homepage. Set when the program is configured; empty: none.
struct UpdateAddresses {
    QUrl update;
    QUrl download;
    QString homepage;
};
UpdateAddresses configuredAddresses();

inline constexpr const char* kUpdateTrouble = "Trouble connecting--check Internet connection.";
inline constexpr const char* kUpToDate = "Your software is up-to-date.";
inline constexpr const char* kNoUpdateInformation = "No update information is available.";

// "date=" and the local time "%m/%d/%Y %H:%M", percent-encoded.
QByteArray updateFormData(const QDateTime& now);

// What an answer means: a newer release to offer, a message, or nothing.
struct UpdateVerdict {
    enum Kind { Trouble, UpToDate, Newer, Silent } kind = Silent;
    std::string text; // the message, or the offer's question
};
UpdateVerdict judgeUpdateReply(int result, const QByteArray& body, int ownVersion);

using OpenUrl = std::function<bool(const QUrl&)>;
// The user's browser.
bool openWebAddress(const QUrl& url);

// Help > Check for update: asks the server, then says what it found. Yes to
// a newer release opens the configured download address and nothing else;
// the program stays open. Cancel ends the request.
class CCheckUpdateDlg : public DialogBase {
    Q_OBJECT
public:
    CCheckUpdateDlg(IPrompt& prompt, UpdateAddresses addresses, OpenUrl openUrl, int ownVersion,
                    QWidget* parent = nullptr);

    // Sends the request; the dialog closes once the answer was shown.
    void run();
    CHttpRequest& request() { return m_request; }

protected:
    void showEvent(QShowEvent* event) override;
    void reject() override;

private:
    void onAnswer(int result, const QByteArray& body);

    IPrompt& m_prompt;
    UpdateAddresses m_addresses;
    OpenUrl m_openUrl;
    int m_ownVersion = 0;
    CHttpRequest m_request;
    bool m_started = false;
};

} // namespace rz

namespace rz {
// How long after the start-up check's answer a newer release is shown.
inline constexpr int kUpdateNoticeDelayMs = 1000;
} // namespace rz
