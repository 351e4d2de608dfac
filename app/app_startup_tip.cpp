// The splash window and the start-up's tip of the day. GUI thread.

#include "app/about_dlg.h"
#include "app/app.h"
#include "app/frame_timers.h"
#include "app/main_frame.h"
#include "core/profile.h"
#include "core/prompt.h"
#include "core/settings.h"
#include "core/tips.h"

#include <QDesktopServices>

#include <cstdio>

namespace rz {

void App::showSplash()
{
    if (m_options.file || !m_options.showWindow)
        return;
    auto* splash = new CSplashWnd;
    m_splash = splash;
    if (!splash->Create())
        delete splash;
}

CSplashWnd* App::splash() const
{
    return static_cast<CSplashWnd*>(m_splash.data());
}

std::filesystem::path App::tipsFile() const
{
    return m_programFolder / "tips.txt";
}

// The tip of the day, unless the user turned it off. It is shown without
// waiting, so the start-up goes on behind it.
void App::startupTip()
{
    if (readSetting(*m_profile, settings::kTipStartUp) != 0)
        return;
    if (m_options.unattended) {
        const TipOfTheDay tips(*m_profile, tipsFile());
        std::fprintf(stderr, "%s\n", tips.text().c_str());
        return;
    }
    if (!m_options.showWindow)
        return;
    auto tips = std::make_shared<TipOfTheDay>(*m_profile, tipsFile());
    auto* dialog = new CTipDlg(*tips, m_frame);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    // The tips live as long as the dialog; their end stores the position.
    connect(dialog, &QObject::destroyed, this, [tips] {});
    dialog->open();
}

} // namespace rz
