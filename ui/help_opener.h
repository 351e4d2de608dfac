#pragma once

#include <QUrl>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace rz {

class IPrompt;

// The name of the manual's folder among the program's data.
inline constexpr const char* kHelpFolderName = "help";

// The manual for a program in `programFolder`: the folder beside it (a
// build), else the installed one; the folder beside it when neither exists.
std::filesystem::path helpFolderFor(const std::filesystem::path& programFolder);

// The one way every window opens help: a topic "::/Page.htm#anchor" opens
// <help folder>/Page.htm#anchor in the desktop's browser; a topic of any
// other form opens Welcome.htm. A page that is not there, or a browser
// that cannot show it, is told in a message box. GUI thread.
class HelpOpener {
public:
    // Starts the browser on `url` without waiting for it; false when it
    // could not be started. `failed` may be called later, on the GUI
    // thread, with the reason the browser gave up.
    using Browser = std::function<bool(const QUrl& url, std::function<void(std::string)> failed)>;
    using UrlOpener = std::function<bool(const QUrl&)>;

    // `open` null: the desktop's browser through xdg-open.
    explicit HelpOpener(std::filesystem::path folder = {}, UrlOpener open = nullptr);
    ~HelpOpener();

    void setFolder(std::filesystem::path folder) { m_folder = std::move(folder); }
    const std::filesystem::path& folder() const { return m_folder; }
    void setUrlOpener(UrlOpener open);
    void setBrowser(Browser browser);
    // Where the message boxes go; none shows while it is null.
    void setPrompt(IPrompt* prompt);

    // The page file `topic` names, and its anchor (empty for none).
    std::filesystem::path pageOf(std::string_view topic, std::string* anchor = nullptr) const;
    // The address `topic` opens.
    QUrl urlOf(std::string_view topic) const;
    // False, with a message, when the page is missing or the browser
    // could not be started.
    bool open(std::string_view topic) const;
    // A web address in the desktop's browser.
    bool openWebSite(std::string_view url) const;

    // The messages, with the page or address in place of %s.
    static constexpr const char* kNoPage = "There is no help page for this topic: %s";
    static constexpr const char* kNoBrowser = "The help page could not be shown (%s): %s";

private:
    bool show(const QUrl& url) const;

    std::filesystem::path m_folder;
    Browser m_browser;
    // Lives while the opener does: a browser that fails after the opener
    // has gone tells no one.
    std::shared_ptr<IPrompt*> m_prompt;
};

// Runs xdg-open on `url` without waiting; `failed` hears of a non-zero exit.
bool startDesktopBrowser(const QUrl& url, std::function<void(std::string)> failed);

} // namespace rz
