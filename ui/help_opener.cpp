#include "ui/help_opener.h"

#include "res/help_topics.h"

#include <QDesktopServices>
#include <QFile>

namespace rz {
namespace {

constexpr std::string_view kTopicPrefix = "::/";

} // namespace

HelpOpener::HelpOpener(std::filesystem::path folder, UrlOpener open) : m_folder(std::move(folder))
{
    setUrlOpener(std::move(open));
}

void HelpOpener::setUrlOpener(UrlOpener open)
{
    m_open = open ? std::move(open) : UrlOpener([](const QUrl& url) { return QDesktopServices::openUrl(url); });
}

QUrl HelpOpener::urlOf(std::string_view topic) const
{
    if (topic.substr(0, kTopicPrefix.size()) != kTopicPrefix)
        topic = kHelpWelcome;
    std::string_view page = topic.substr(kTopicPrefix.size());
    std::string_view anchor;
    if (const size_t hash = page.find('#'); hash != std::string_view::npos) {
        anchor = page.substr(hash + 1);
        page = page.substr(0, hash);
    }
    std::filesystem::path file = m_folder / std::string(page);
    std::error_code error;
    if (page.empty() || page.find("..") != std::string_view::npos
        || !std::filesystem::is_regular_file(file, error)) {
        file = m_folder / std::string(std::string_view(kHelpWelcome).substr(kTopicPrefix.size()));
        anchor = {};
    }
    QUrl url = QUrl::fromLocalFile(QFile::decodeName(QByteArray::fromStdString(file.string())));
    if (!anchor.empty())
        url.setFragment(QString::fromUtf8(anchor.data(), qsizetype(anchor.size())));
    return url;
}

bool HelpOpener::open(std::string_view topic) const
{
    return m_open(urlOf(topic));
}

bool HelpOpener::openWebSite(std::string_view url) const
{
    return m_open(QUrl(QString::fromUtf8(url.data(), qsizetype(url.size()))));
}

} // namespace rz
