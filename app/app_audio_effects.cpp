// Edit > Audio effect: the recent effects and "More...", run on the current
// song through the audio effects the engine's dialogs offer. GUI thread.
#include "app/app.h"

#include "app/main_frame.h"
#include "app/menu_bar.h"
#include "core/audio_tools.h"
#include "core/profile.h"
#include "engine/audio/audio_effect_menu.h"
#include "res/command_ids.h"
#include "res/main_menu.h"
#include "song/song_doc.h"
#include "ui/ui_updater.h"

#include <QAction>
#include <QMenu>

namespace rz {

namespace {

constexpr const char* kEditMenu = "&Edit";
constexpr size_t kAudioEffectEntries = kIdAudioEffect8 - kIdAudioEffect1 + 1;

} // namespace

void App::setAudioEffects(std::unique_ptr<IAudioEffects> effects)
{
    m_audioEffects = std::move(effects);
}

void App::addRecentFilter(const std::string& id)
{
    m_recentFilters.add(id);
    m_recentFilters.write(*m_profile);
    BuildAudioEffectMenu();
}

void App::BuildAudioEffectMenu()
{
    m_audioEffectIds.clear();
    std::vector<AudioEffectMenuEntry> entries;
    if (m_audioEffects) {
        std::vector<std::string> recent;
        for (const std::filesystem::path& id : m_recentFilters.entries())
            recent.push_back(id.string());
        entries = audioEffectMenuEntries(recent, m_audioEffects->catalog(), kAudioEffectEntries);
        for (size_t i = m_recentFilters.entries().size(); i-- > 0;)
            if (std::none_of(entries.begin(), entries.end(), [&](const AudioEffectMenuEntry& e) {
                    return e.filterId == recent[i];
                }))
                m_recentFilters.remove(i);
        m_recentFilters.write(*m_profile);
    }
    for (const AudioEffectMenuEntry& entry : entries)
        m_audioEffectIds.push_back(entry.filterId);
    QMenu* menu = m_frame ? m_frame->menuBar()->subMenu(kEditMenu, kAudioEffectMenu) : nullptr;
    if (!menu)
        return;
    const QList<QAction*> actions = menu->actions();
    for (qsizetype i = 0; i + 1 < actions.size(); ++i) {
        menu->removeAction(actions[i]);
        actions[i]->deleteLater();
    }
    QAction* more = menu->actions().value(0);
    for (size_t i = 0; i < entries.size(); ++i) {
        auto* action = new QAction(QString::fromStdString(entries[i].text), menu);
        menu->insertAction(more, action);
        m_updater->addAction(action, kIdAudioEffect1 + CommandId(i));
    }
}

bool App::onAudioEffect(CommandId id)
{
    if (!m_audioEffects || !m_currentSong)
        return true;
    std::optional<std::string> effect;
    if (id == kIdMoreAudioEffects)
        effect = m_audioEffects->chooseEffect();
    else if (const size_t index = id - kIdAudioEffect1; index < m_audioEffectIds.size())
        effect = m_audioEffectIds[index];
    if (effect)
        m_currentSong->OnEditAudioEffect(*effect);
    return true;
}

void App::onUpdateAudioEffect(CommandId id, CmdUi& ui)
{
    const bool listed = id == kIdMoreAudioEffects || id - kIdAudioEffect1 < m_audioEffectIds.size();
    ui.enabled = m_audioEffects && m_currentSong && listed && !m_performanceMode
                 && m_engine->transportState() == TransportState::Stopped;
}

} // namespace rz
