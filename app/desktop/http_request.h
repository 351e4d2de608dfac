#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QUrl>

#include <chrono>

class QNetworkAccessManager;
class QNetworkReply;

namespace rz {

// One small HTTP client over Qt Network: GET without form data, otherwise
// a form POST; redirects are followed by hand with the same verb and body.
// Asynchronous on the GUI thread: Send() returns at once and finished()
// reports the result code and the body (at most kMaxReplyBytes).
class CHttpRequest : public QObject {
    Q_OBJECT
public:
    // Result codes.
    static constexpr int kOk = 0;
    static constexpr int kCannotOpen = 1;        // not an http or https address
    static constexpr int kUnauthorized = 3;      // status 401
    static constexpr int kBadRedirect = int(0x80004005u); // a Location that is no http(s) URL
    static constexpr int kTooManyRedirects = 12; // more than kMaxRedirects in a row
    static constexpr int kTimedOut = 13;
    static constexpr int kCancelled = 14;
    // Transport failures report 100 + the QNetworkReply error.
    static constexpr int kNetworkErrorBase = 100;

    static constexpr int kMaxReplyBytes = 799;
    static constexpr int kMaxRedirects = 5;

    explicit CHttpRequest(QObject* parent = nullptr);
    ~CHttpRequest() override;

    // The whole exchange, redirects included, must end within this.
    void setTimeout(std::chrono::milliseconds timeout) { m_timeout = timeout; }
    // Starts a request; an earlier one is dropped without a report.
    void Send(const QUrl& url, const QByteArray& formData);
    // Ends the request in progress; finished() reports kCancelled.
    void abort();
    bool busy() const { return !m_reply.isNull(); }

signals:
    void finished(int result, const QByteArray& body);

private:
    void startRequest(const QUrl& url);
    void onReadyRead();
    void onFinished();
    void finish(int result);
    void drop();

    QNetworkAccessManager* m_network = nullptr;
    QPointer<QNetworkReply> m_reply;
    QTimer m_deadline;
    std::chrono::milliseconds m_timeout{15000};
    QByteArray m_form;
    QByteArray m_body;
    int m_redirects = 0;
    bool m_full = false; // the body reached its limit; the rest is not read
};

} // namespace rz
