#pragma once

#include <QUrl>

#include <filesystem>
#include <functional>
#include <string_view>

namespace rz {

// The one way every window opens help: a topic "::/Page.htm#anchor" opens
// <help folder>/Page.htm#anchor in the desktop's browser; any other topic,
// or a page that is not there, opens Welcome.htm. GUI thread.
class HelpOpener {
public:
    using UrlOpener = std::function<bool(const QUrl&)>;

    // `open` null: QDesktopServices::openUrl.
    explicit HelpOpener(std::filesystem::path folder = {}, UrlOpener open = nullptr);

    void setFolder(std::filesystem::path folder) { m_folder = std::move(folder); }
    const std::filesystem::path& folder() const { return m_folder; }
    void setUrlOpener(UrlOpener open);

    // The address `topic` opens.
    QUrl urlOf(std::string_view topic) const;
    // False when the browser could not be started.
    bool open(std::string_view topic) const;
    // A web address in the desktop's browser.
    bool openWebSite(std::string_view url) const;

private:
    std::filesystem::path m_folder;
    UrlOpener m_open;
};

} // namespace rz
