// The Edit commands: undo and redo, paste, the audio effects on the current
// song, and those greyed until their dialogs, documents or views exist.
// GUI thread.

#include "app/edit_commands.h"

#include "app/app_clipboard.h"
#include "app/harp_pedals_command.h"
#include "app/setup_dialogs.h"
#include "core/audio_tools.h"
#include "core/engine_link.h"
#include "core/profile.h"
#include "core/song_host.h"
#include "core/track_rows.h"
#include "dialogs/apply_offsets_dlg.h"
#include "engine/audio/audio_effect_menu.h"
#include "res/command_ids.h"
#include "song/song_doc.h"
#include "ui/ui_updater.h"

#include <QAction>
#include <QMenu>

#include <algorithm>

namespace rz {
namespace {

using E = EditCommands;

constexpr auto kGreyed = &E::onUpdateGreyed;

constexpr CommandRow<E> kEditCommands[] = {
    {kIdEditPaste, kIdEditPaste, &E::onPaste, &E::onUpdatePaste},
    {kIdEditUndo, kIdEditRedo, &E::onUndoRedo, &E::onUpdateUndoRedo},
    {kIdAudioEffect1, kIdAudioEffect8, &E::onAudioEffect, &E::onUpdateAudioEffect},
    {kIdMoreAudioEffects, kIdMoreAudioEffects, &E::onAudioEffect, &E::onUpdateAudioEffect},
    {kIdInsertCue, kIdInsertCue, &E::onInsertCue, &E::onUpdateInsertCue},
    {kIdGoToPosition, kIdGoToPosition, &E::onGoTo, &E::onUpdateGoTo},
    {kIdSongStats, kIdSongStats, &E::onStats, &E::onUpdateStats},
    {kIdApplyTrackOffsets, kIdApplyTrackOffsets, &E::onApplyTrackOffsets, &E::onUpdateApplyTrackOffsets},
    {kIdApplyTempoMultiplier, kIdApplyTempoMultiplier, &E::onApplyTempoRatio, &E::onUpdateApplyTempoRatio},
    {kIdInsertTempo, kIdInsertTempo, &E::onInsertTempo, &E::onUpdateInsertTempo},
    {kIdInsertTempoSeries, kIdInsertTempoSeries, &E::onInsertTempoSeries, &E::onUpdateInsertTempo},
    {kIdHarpPedals, kIdHarpPedals, &E::onHarpPedals, &E::onUpdateHarpPedals},
    // Greyed until their dialogs, documents or views exist.
    {kIdAudioEffect9, kIdAudioEffect10, nullptr, kGreyed},
};

constexpr int32_t kNormalTempoMultiplier = 100000;

constexpr size_t kAudioEffectEntries = kIdAudioEffect8 - kIdAudioEffect1 + 1;

} // namespace

EditCommands::EditCommands(EditSeams seams) : m_seams(std::move(seams)) {}

EditCommands::~EditCommands() = default;

std::span<const CommandRow<E>> EditCommands::commandTable()
{
    return kEditCommands;
}

void EditCommands::onUpdateGreyed(CommandId, CmdUi& ui)
{
    ui.enabled = false;
}

// A current song that may be edited: stopped, not performing.
const CSongDoc* EditCommands::editableSong() const
{
    const CSongDoc* song = m_seams.songs.currentSong();
    if (!song || m_seams.engine().transportState() != TransportState::Stopped
        || song->context().host.performanceMode())
        return nullptr;
    return song;
}

void EditCommands::onUpdateApplyTempoRatio(CommandId, CmdUi& ui)
{
    ui.enabled = editableSong() && m_seams.tempoMultiplier
                 && m_seams.tempoMultiplier() != kNormalTempoMultiplier;
}

bool EditCommands::onApplyTempoRatio(CommandId)
{
    CSongDoc* song = m_seams.songs.currentSong();
    if (!song)
        return false;
    CTempoRatioDlg dialog(*song, m_seams.tempoMultiplier(), m_seams.window ? m_seams.window() : nullptr);
    if (dialog.exec() == QDialog::Accepted && dialog.applied() && m_seams.tempoNormal)
        m_seams.tempoNormal();
    return true;
}

// Adjust > Harp pedals: its registered dialog, for the tracks that echo
// input while the song may be edited.
void EditCommands::onUpdateHarpPedals(CommandId id, CmdUi& ui)
{
    const CSongDoc* song = editableSong();
    ui.enabled = song && m_seams.dialogs && m_seams.dialogs->canOpen(id)
                 && !harpTrackNumbers(m_seams.engine(), *song).empty();
}

bool EditCommands::onHarpPedals(CommandId id)
{
    if (m_seams.dialogs)
        m_seams.dialogs->open(id);
    return true;
}

// A selected row, or a user track's row as the current one.
void EditCommands::onUpdateApplyTrackOffsets(CommandId, CmdUi& ui)
{
    const CSongDoc* song = editableSong();
    ui.enabled = song && !offsetTracks(*song, true).empty();
}

bool EditCommands::onApplyTrackOffsets(CommandId)
{
    CSongDoc* song = m_seams.songs.currentSong();
    if (!song)
        return false;
    CTrackOffsetsDlg dialog(*song, m_seams.window ? m_seams.window() : nullptr);
    dialog.exec();
    return true;
}

// Song data goes into the current song, whose editor view is made active
// first; a song of the set is pasted by the set view, so routing reports
// that command as not done here.
bool EditCommands::onPaste(CommandId)
{
    const AppClipboard& clipboard = m_seams.clipboard;
    if (clipboard.kind == kClipboardSong)
        return false;
    CSongDoc* song = m_seams.songs.currentSong();
    if (clipboard.kind != 0 && song) {
        m_seams.views.activateEditorView(*song);
        song->OnEditPaste();
    }
    return true;
}

void EditCommands::onUpdatePaste(CommandId, CmdUi& ui)
{
    ui.enabled = m_seams.canPaste();
}

bool EditCommands::onUndoRedo(CommandId id)
{
    CSongDoc* song = m_seams.songs.currentSong();
    if (!song)
        return false;
    if (id == kIdEditUndo)
        song->Undo();
    else
        song->Redo();
    return true;
}

void EditCommands::onUpdateUndoRedo(CommandId id, CmdUi& ui)
{
    CSongDoc* song = m_seams.songs.currentSong();
    if (!song) {
        ui.enabled = false;
        return;
    }
    const CommandState state = id == kIdEditUndo ? song->OnUpdateEditUndo() : song->OnUpdateEditRedo();
    ui.text = state.text;
    ui.enabled = state.enabled && m_seams.engine().transportState() == TransportState::Stopped
                 && !m_seams.options.performanceMode();
}

void EditCommands::setAudioEffects(std::unique_ptr<IAudioEffects> effects)
{
    m_audioEffects = std::move(effects);
}

void EditCommands::readRecentEffects()
{
    m_recentFilters.read(m_seams.profile);
}

void EditCommands::writeRecentEffects()
{
    m_recentFilters.write(m_seams.profile);
}

void EditCommands::addRecentFilter(const std::string& id)
{
    m_recentFilters.add(id);
    m_recentFilters.write(m_seams.profile);
    BuildAudioEffectMenu();
}

void EditCommands::connectAudioEffectMenu()
{
    // Loading plug-in libraries at start-up would let one that crashes or
    // hangs keep the program from starting at all.
    if (QMenu* menu = m_seams.effectMenu())
        QObject::connect(menu, &QMenu::aboutToShow, menu, [this] {
            if (!m_audioEffectMenuBuilt)
                BuildAudioEffectMenu();
        });
}

void EditCommands::BuildAudioEffectMenu()
{
    m_audioEffectMenuBuilt = true;
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
        m_recentFilters.write(m_seams.profile);
    }
    for (const AudioEffectMenuEntry& entry : entries)
        m_audioEffectIds.push_back(entry.filterId);
    QMenu* menu = m_seams.effectMenu();
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
        m_seams.updater.addAction(action, kIdAudioEffect1 + CommandId(i));
    }
}

bool EditCommands::onAudioEffect(CommandId id)
{
    CSongDoc* song = m_seams.songs.currentSong();
    if (!m_audioEffects || !song)
        return true;
    std::optional<std::string> effect;
    if (id == kIdMoreAudioEffects)
        effect = m_audioEffects->chooseEffect();
    else if (const size_t index = id - kIdAudioEffect1; index < m_audioEffectIds.size())
        effect = m_audioEffectIds[index];
    if (effect)
        song->OnEditAudioEffect(*effect);
    return true;
}

void EditCommands::onUpdateAudioEffect(CommandId id, CmdUi& ui)
{
    const bool listed = id == kIdMoreAudioEffects || id - kIdAudioEffect1 < m_audioEffectIds.size();
    ui.enabled = m_audioEffects && m_seams.songs.currentSong() && listed
                 && !m_seams.options.performanceMode()
                 && m_seams.engine().transportState() == TransportState::Stopped;
}

} // namespace rz
