#pragma once

#include "app/update_check.h"
#include "ui/command_target.h"

#include <QByteArray>

#include <filesystem>
#include <functional>
#include <memory>
#include <span>
#include <string>

class QWidget;

namespace rz {

class CHttpRequest;
class HelpOpener;
class IProfile;
class IPrompt;
class ISongDisplayOptions;

// What the Help commands reach.
struct HelpSeams {
    IProfile& profile;
    IPrompt& prompt;
    HelpOpener& help;
    ISongDisplayOptions& options; // F1 does nothing in performance mode
    int version;                  // major x 10000 + minor x 100 + patch
    std::function<std::filesystem::path()> tipsFile;
    std::function<QWidget*()> window;
    // The frame's update-notice timer.
    std::function<void(int ms)> startNoticeTimer;
    std::function<void()> killNoticeTimer;
};

// Help menu: contents, search, the web site, Tip of the Day, Check for
// update and About; the start-up's update check and its notice. GUI thread.
class HelpCommands : public CommandTable<HelpCommands> {
public:
    explicit HelpCommands(HelpSeams seams);
    ~HelpCommands() override;

    static std::span<const CommandRow<HelpCommands>> commandTable();

    bool onHelp(CommandId id);
    bool onTipOfTheDay(CommandId id);
    bool onCheckForUpdate(CommandId id);
    bool onAbout(CommandId id);
    // F1 outside an editor.
    void onHelpKey();

    // Where updates are asked for and fetched; the configured ones by default.
    void setUpdateAddresses(UpdateAddresses addresses) { m_addresses = std::move(addresses); }
    const UpdateAddresses& updateAddresses() const { return m_addresses; }
    // Opens web addresses; QDesktopServices by default.
    void setUrlOpener(OpenUrl open) { m_openUrl = std::move(open); }
    // Asks the server once per start; every failure stays silent.
    void startUpdateCheck();
    // The offer the start-up check prepared for the update notice.
    const std::string& pendingUpdate() const { return m_pendingUpdate; }
    CHttpRequest* startupUpdateCheck() const { return m_startupCheck.get(); }
    // The notice timer fired: Yes opens the download address.
    void updateNotice();

private:
    void onStartupUpdateAnswer(int result, const QByteArray& body);

    HelpSeams m_seams;
    UpdateAddresses m_addresses = configuredAddresses();
    OpenUrl m_openUrl = openWebAddress;
    std::unique_ptr<CHttpRequest> m_startupCheck;
    std::string m_pendingUpdate;
};

} // namespace rz
