#include "app/frame_timer_tasks.h"
#include "app/update_check.h"

#include "app/frame_timers.h"
#include "app/main_frame.h"
#include "res/command_ids.h"
#include "tests/app/app_test_fixture.h"
#include "tests/app/gui_events.h"
#include "ui/command_router.h"
#include "views/frame_timer_ids.h"

#include <QTcpServer>
#include <QTcpSocket>

#include <functional>
#include <map>

namespace rz {
namespace {

// One request as the loopback server saw it.
struct SeenRequest {
    QByteArray method;
    QByteArray target;
    QByteArray headers;
    QByteArray body;
};

// An HTTP server on 127.0.0.1 that answers each request from a script; an
// empty answer leaves the client waiting.
class LoopbackServer : public QObject {
public:
    using Script = std::function<QByteArray(const SeenRequest&)>;

    explicit LoopbackServer(Script script) : m_script(std::move(script))
    {
        EXPECT_TRUE(m_server.listen(QHostAddress::LocalHost, 0));
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = m_server.nextPendingConnection()) {
                socket->setParent(this);
                connect(socket, &QTcpSocket::readyRead, this, [this, socket] { read(*socket); });
            }
        });
    }

    QUrl url(const QString& path) const
    {
        return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(m_server.serverPort()).arg(path));
    }
    const std::vector<SeenRequest>& requests() const { return m_requests; }

    static QByteArray reply(QByteArray status, const QByteArray& body, QByteArray extra = {})
    {
        return "HTTP/1.1 " + status + "\r\nContent-Length: " + QByteArray::number(body.size())
               + "\r\nConnection: close\r\n" + extra + "\r\n" + body;
    }

private:
    void read(QTcpSocket& socket)
    {
        QByteArray& buffer = m_buffers[&socket];
        buffer += socket.readAll();
        const qsizetype end = buffer.indexOf("\r\n\r\n");
        if (end < 0)
            return;
        SeenRequest request;
        request.headers = buffer.left(end);
        const QList<QByteArray> first = request.headers.split('\n').front().trimmed().split(' ');
        request.method = first.value(0);
        request.target = first.value(1);
        qsizetype length = 0;
        for (const QByteArray& line : request.headers.split('\n'))
            if (line.toLower().startsWith("content-length:"))
                length = line.mid(15).trimmed().toLongLong();
        if (buffer.size() < end + 4 + length)
            return;
        request.body = buffer.mid(end + 4, length);
        buffer.clear();
        m_requests.push_back(request);
        const QByteArray answer = m_script(request);
        if (!answer.isEmpty()) {
            socket.write(answer);
            socket.disconnectFromHost();
        }
    }

    QTcpServer m_server;
    Script m_script;
    std::vector<SeenRequest> m_requests;
    std::map<QTcpSocket*, QByteArray> m_buffers;
};

QByteArray versionReply(int version, const QByteArray& notes = {})
{
    return LoopbackServer::reply("200 OK", "Version=" + QByteArray::number(version) + "\r\n" + notes);
}

class UpdateCheck : public testing::Test {
protected:
    // Runs the dialog's check against `server` and waits until it closed.
    void check(LoopbackServer& server, int timeoutMs = 15000)
    {
        UpdateAddresses addresses{server.url("/version4.asp"), kDownload, {}};
        CCheckUpdateDlg dialog(prompt, addresses, [this](const QUrl& url) {
            opened.push_back(url);
            return true;
        }, ownVersion);
        dialog.request().setTimeout(std::chrono::milliseconds(timeoutMs));
        dialog.run();
        EXPECT_TRUE(processUntil([&] { return dialog.result() == 1; }, timeoutMs + 5000));
    }

    const QUrl kDownload{QStringLiteral("https://download.invalid/rizoraz")};
    int ownVersion = 10203;
    ScriptedPrompt prompt;
    std::vector<QUrl> opened;
};

TEST_F(UpdateCheck, PostsTheDateAsAForm)
{
    LoopbackServer server([](const SeenRequest&) { return versionReply(10203); });
    prompt.expectMessage(kUpToDate);
    check(server);
    ASSERT_EQ(server.requests().size(), 1u);
    const SeenRequest& request = server.requests()[0];
    EXPECT_EQ(request.method, "POST");
    EXPECT_EQ(request.target, "/version4.asp?");
    EXPECT_TRUE(request.headers.contains("application/x-www-form-urlencoded"));
    EXPECT_TRUE(request.body.startsWith("date=")) << request.body.constData();
    EXPECT_TRUE(request.body.contains("%2F")) << request.body.constData();
    EXPECT_FALSE(request.body.contains(' '));
}

TEST_F(UpdateCheck, EqualVersionIsUpToDateAndNewerIsOfferedWithItsNotes)
{
    {
        LoopbackServer server([](const SeenRequest&) { return versionReply(10203); });
        prompt.expectMessage(kUpToDate);
        check(server);
    }
    LoopbackServer server([](const SeenRequest&) {
        return versionReply(40203, "\r\nFaster start.\r\n<b>bold</b>");
    });
    prompt.expectYesNo("Version 4.02.03 is now available.\n\nRELEASE NOTES:\nFaster start.\r\n"
                       "<b>bold</b>\n\nDownload now?",
                       PromptAnswer::No);
    check(server);
    EXPECT_TRUE(opened.empty());
    prompt.verifyAllUsed();
}

TEST_F(UpdateCheck, FollowsARedirectWithTheSameVerbAndBody)
{
    LoopbackServer server([](const SeenRequest& request) {
        if (request.target.startsWith("/version4.asp"))
            return LoopbackServer::reply("302 Found", {}, "Location: /moved/v.asp\r\n");
        return versionReply(10203);
    });
    prompt.expectMessage(kUpToDate);
    check(server);
    ASSERT_EQ(server.requests().size(), 2u);
    EXPECT_EQ(server.requests()[1].method, "POST");
    EXPECT_EQ(server.requests()[1].target, "/moved/v.asp?");
    EXPECT_EQ(server.requests()[1].body, server.requests()[0].body);
}

TEST_F(UpdateCheck, LoopUnauthorizedSilenceAndForeignRedirectAreTrouble)
{
    const struct {
        const char* name;
        LoopbackServer::Script script;
    } cases[] = {
        {"redirect loop",
         [](const SeenRequest&) {
             return LoopbackServer::reply("302 Found", {}, "Location: /version4.asp\r\n");
         }},
        {"401", [](const SeenRequest&) { return LoopbackServer::reply("401 Unauthorized", "x"); }},
        {"silence", [](const SeenRequest&) { return QByteArray(); }},
        {"redirect to another scheme",
         [](const SeenRequest&) {
             return LoopbackServer::reply("301 Moved", {}, "Location: file:///etc/passwd\r\n");
         }},
        {"no version", [](const SeenRequest&) { return LoopbackServer::reply("200 OK", "hello"); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        LoopbackServer server(c.script);
        prompt.expectMessage(kUpdateTrouble);
        check(server, 500);
        EXPECT_LE(server.requests().size(), size_t(CHttpRequest::kMaxRedirects + 1));
        prompt.verifyAllUsed();
    }
}

TEST_F(UpdateCheck, LargeReplyKeeps799Bytes)
{
    LoopbackServer server([](const SeenRequest&) {
        return LoopbackServer::reply("200 OK", QByteArray(1 << 20, 'a'));
    });
    CHttpRequest request;
    std::optional<QByteArray> body;
    QObject::connect(&request, &CHttpRequest::finished, [&](int result, const QByteArray& b) {
        EXPECT_EQ(result, CHttpRequest::kOk);
        body = b;
    });
    request.Send(server.url("/big"), {});
    ASSERT_TRUE(processUntil([&] { return body.has_value(); }));
    EXPECT_EQ(body->size(), CHttpRequest::kMaxReplyBytes);
    EXPECT_EQ(server.requests()[0].method, "GET");
}

TEST_F(UpdateCheck, YesOpensOnlyTheConfiguredAddress)
{
    LoopbackServer server([](const SeenRequest&) {
        return versionReply(50000, "http://elsewhere.invalid/setup.exe");
    });
    prompt.expectYesNo("Version 5.00.00 is now available.", PromptAnswer::Yes);
    check(server);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], kDownload);
}

class UpdateCheckApp : public AppFixture {
protected:
    std::vector<QUrl> opened;
    void open()
    {
        app->commands().help->setUrlOpener([this](const QUrl& url) {
            opened.push_back(url);
            return true;
        });
    }
};

TEST_F(UpdateCheckApp, EmptyAddressSendsNothingAndSaysSo)
{
    start();
    open();
    app->commands().help->setUpdateAddresses({});
    prompt.expectMessage(kNoUpdateInformation);
    EXPECT_TRUE(app->router().execute(kIdCheckForUpdate));
    app->timerTasks().onFrameTimer(frame_timer::kStartup);
    EXPECT_EQ(app->commands().help->startupUpdateCheck(), nullptr);
    prompt.verifyAllUsed();
}

TEST_F(UpdateCheckApp, StartupOfferWaitsForTheNoticeTimer)
{
    LoopbackServer server([](const SeenRequest&) { return versionReply(999999, "Notes"); });
    profile.writeInt("Tip", "StartUp", 1);
    start();
    open();
    const QUrl download(QStringLiteral("https://download.invalid/r"));
    app->commands().help->setUpdateAddresses({server.url("/version4.asp"), download, {}});
    app->timerTasks().onFrameTimer(frame_timer::kStartup);
    ASSERT_TRUE(processUntil([&] { return !app->commands().help->pendingUpdate().empty(); }));
    EXPECT_TRUE(app->frame()->timers().isActive(frame_timer::kUpdateNotice));
    prompt.expectYesNo("Version 99.99.99 is now available.", PromptAnswer::Yes);
    app->timerTasks().onFrameTimer(frame_timer::kUpdateNotice);
    EXPECT_FALSE(app->frame()->timers().isActive(frame_timer::kUpdateNotice));
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], download);
}

TEST_F(UpdateCheckApp, StartupCheckIsSilentOnFailureAndOffWhenSwitchedOff)
{
    LoopbackServer server([](const SeenRequest&) {
        return LoopbackServer::reply("401 Unauthorized", {});
    });
    start();
    app->commands().help->setUpdateAddresses({server.url("/version4.asp"), {}, {}});
    app->timerTasks().onFrameTimer(frame_timer::kStartup);
    ASSERT_TRUE(processUntil([&] { return !server.requests().empty(); }));
    processUntil([&] { return !app->commands().help->startupUpdateCheck()->busy(); });
    EXPECT_TRUE(app->commands().help->pendingUpdate().empty());
    EXPECT_FALSE(app->frame()->timers().isActive(frame_timer::kUpdateNotice));
    EXPECT_TRUE(prompt.prompts().empty());
}

} // namespace
} // namespace rz
