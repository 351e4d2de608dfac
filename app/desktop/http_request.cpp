// The HTTP exchange of the update check. GUI thread.

#include "app/desktop/http_request.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

namespace rz {
namespace {

bool isWebScheme(const QUrl& url)
{
    return url.isValid() && !url.host().isEmpty()
           && (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https"));
}

} // namespace

CHttpRequest::CHttpRequest(QObject* parent)
    : QObject(parent), m_network(new QNetworkAccessManager(this))
{
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, [this] { finish(kTimedOut); });
}

CHttpRequest::~CHttpRequest()
{
    drop();
}

void CHttpRequest::Send(const QUrl& url, const QByteArray& formData)
{
    drop();
    m_form = formData;
    m_body.clear();
    m_redirects = 0;
    m_full = false;
    if (!isWebScheme(url)) {
        // Reported from the event loop, as every other result is.
        QTimer::singleShot(0, this, [this] { emit finished(kCannotOpen, {}); });
        return;
    }
    m_deadline.start(m_timeout);
    startRequest(url);
}

void CHttpRequest::startRequest(const QUrl& target)
{
    QUrl url = target;
    QNetworkRequest request;
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    request.setHeader(QNetworkRequest::UserAgentHeader, QStringLiteral("DEVU Rizoraz"));
    if (m_form.isEmpty()) {
        request.setUrl(url);
        m_reply = m_network->get(request);
    } else {
        // An empty query marks the form request, as the server expects.
        if (!url.hasQuery())
            url.setQuery(QStringLiteral(""));
        request.setUrl(url);
        request.setHeader(QNetworkRequest::ContentTypeHeader,
                          QStringLiteral("application/x-www-form-urlencoded"));
        m_reply = m_network->post(request, m_form);
    }
    m_body.clear();
    connect(m_reply, &QNetworkReply::readyRead, this, &CHttpRequest::onReadyRead);
    connect(m_reply, &QNetworkReply::finished, this, &CHttpRequest::onFinished);
}

void CHttpRequest::onReadyRead()
{
    if (!m_reply || m_full)
        return;
    const int status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status == 301 || status == 302 || status == 303 || status == 401)
        return; // their bodies are not the reply
    m_body += m_reply->read(kMaxReplyBytes - m_body.size());
    if (m_body.size() >= kMaxReplyBytes) {
        m_full = true;
        finish(kOk);
    }
}

void CHttpRequest::onFinished()
{
    if (!m_reply)
        return;
    QNetworkReply* reply = m_reply;
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status == 301 || status == 302 || status == 303) {
        const QUrl next = reply->url().resolved(QUrl(QString::fromLatin1(reply->rawHeader("Location"))));
        drop();
        if (!isWebScheme(next))
            return finish(kBadRedirect);
        if (++m_redirects > kMaxRedirects)
            return finish(kTooManyRedirects);
        return startRequest(next);
    }
    if (status == 401)
        return finish(kUnauthorized);
    if (reply->error() != QNetworkReply::NoError && status == 0)
        return finish(kNetworkErrorBase + int(reply->error()));
    onReadyRead();
    finish(kOk);
}

void CHttpRequest::abort()
{
    if (m_reply || m_deadline.isActive())
        finish(kCancelled);
}

void CHttpRequest::finish(int result)
{
    drop();
    m_deadline.stop();
    const QByteArray body = result == kOk ? m_body : QByteArray();
    emit finished(result, body);
}

// Forgets the reply without letting its own end report again.
void CHttpRequest::drop()
{
    if (QNetworkReply* reply = m_reply) {
        m_reply = nullptr;
        reply->disconnect(this);
        reply->abort();
        reply->deleteLater();
    }
}

} // namespace rz
