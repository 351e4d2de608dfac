#include "ui/help_opener.h"

#include "core/prompt.h"
#include "res/help_topics.h"
#include "ui/local_path.h"
#include "ui/program_data.h"

#include <QFile>
#include <QProcess>

namespace rz {
namespace {

constexpr std::string_view kTopicPrefix = "::/";

std::string withText(const char* format, const std::string& first, const std::string& second = {})
{
    std::string text = format;
    if (const size_t at = text.find("%s"); at != std::string::npos)
        text.replace(at, 2, first);
    if (const size_t at = text.find("%s"); at != std::string::npos)
        text.replace(at, 2, second);
    return text;
}

} // namespace

std::filesystem::path helpFolderFor(const std::filesystem::path& programFolder)
{
    return programDataPath(programFolder, kHelpFolderName);
}

// The browser runs on its own: xdg-open may wait for it, so the process is
// left to finish by itself and is never killed when the program ends.
bool startDesktopBrowser(const QUrl& url, std::function<void(std::string)> failed)
{
    auto* process = new QProcess;
    QObject::connect(process, &QProcess::finished, process,
                     [process, url, failed](int code, QProcess::ExitStatus status) {
                         process->deleteLater();
                         if (status == QProcess::NormalExit && code == 0)
                             return;
                         failed("xdg-open ended with code " + std::to_string(code) + " for "
                                + url.toString().toStdString());
                     });
    QObject::connect(process, &QProcess::errorOccurred, process, [process, failed](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart)
            return;
        process->deleteLater();
        failed("xdg-open could not be started: " + process->errorString().toStdString());
    });
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    process->start("xdg-open", {url.toString()});
    return true;
}

HelpOpener::HelpOpener(std::filesystem::path folder, UrlOpener open)
    : m_folder(std::move(folder)), m_prompt(std::make_shared<IPrompt*>(nullptr))
{
    setUrlOpener(std::move(open));
}

HelpOpener::~HelpOpener()
{
    *m_prompt = nullptr;
}

void HelpOpener::setUrlOpener(UrlOpener open)
{
    if (!open) {
        m_browser = startDesktopBrowser;
        return;
    }
    m_browser = [open = std::move(open)](const QUrl& url, std::function<void(std::string)>) {
        return open(url);
    };
}

void HelpOpener::setBrowser(Browser browser)
{
    m_browser = browser ? std::move(browser) : Browser(startDesktopBrowser);
}

void HelpOpener::setPrompt(IPrompt* prompt)
{
    *m_prompt = prompt;
}

std::filesystem::path HelpOpener::pageOf(std::string_view topic, std::string* anchor) const
{
    if (topic.substr(0, kTopicPrefix.size()) != kTopicPrefix)
        topic = kHelpWelcome;
    std::string_view page = topic.substr(kTopicPrefix.size());
    std::string_view mark;
    if (const size_t hash = page.find('#'); hash != std::string_view::npos) {
        mark = page.substr(hash + 1);
        page = page.substr(0, hash);
    }
    if (anchor)
        *anchor = std::string(mark);
    // A topic never leaves the manual's folder.
    if (page.empty() || page.find("..") != std::string_view::npos || page.find('/') != std::string_view::npos)
        return {};
    return m_folder / std::string(page);
}

QUrl HelpOpener::urlOf(std::string_view topic) const
{
    std::string anchor;
    const std::filesystem::path file = pageOf(topic, &anchor);
    QUrl url = QUrl::fromLocalFile(qtPath(file));
    if (!anchor.empty())
        url.setFragment(QString::fromStdString(anchor));
    return url;
}

bool HelpOpener::open(std::string_view topic) const
{
    const std::filesystem::path file = pageOf(topic);
    std::error_code error;
    if (file.empty() || !std::filesystem::is_regular_file(file, error)) {
        if (IPrompt* prompt = *m_prompt)
            prompt->message(withText(kNoPage, file.empty() ? std::string(topic) : file.string()),
                            PromptIcon::Warning);
        return false;
    }
    return show(urlOf(topic));
}

bool HelpOpener::openWebSite(std::string_view url) const
{
    return show(QUrl(QString::fromUtf8(url.data(), qsizetype(url.size()))));
}

bool HelpOpener::show(const QUrl& url) const
{
    const std::string address = url.toString().toStdString();
    std::weak_ptr<IPrompt*> prompt = m_prompt;
    const auto tell = [prompt, address](std::string reason) {
        if (const auto held = prompt.lock(); held && *held)
            (*held)->message(withText(kNoBrowser, address, reason), PromptIcon::Warning);
    };
    if (m_browser(url, tell))
        return true;
    tell("the browser could not be started");
    return false;
}

} // namespace rz
