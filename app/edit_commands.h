#pragma once

#include "app/app_recent_list.h"
#include "app/audio_effects.h"
#include "ui/command_target.h"

#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class QMenu;
class QWidget;

namespace rz {

class CSongDoc;
class ICurrentSongHost;
class IEngineLink;
class IProfile;
class ISongDisplayOptions;
class ISongViews;
class SetupDialogs;
class UiUpdater;
struct AppClipboard;
class ITempoTapSink;
template <class Sink>
class SinkSlot;

// What the Edit commands reach beyond the current song.
struct EditSeams {
    std::function<IEngineLink&()> engine; // made at start-up
    ICurrentSongHost& songs;
    ISongDisplayOptions& options;
    ISongViews& views;
    IProfile& profile;
    AppClipboard& clipboard;
    UiUpdater& updater;
    std::function<bool()> canPaste;
    // Edit > Audio effect, or null without a menu bar.
    std::function<QMenu*()> effectMenu;
    // The engine's tempo multiplier (100000 = 100 %) and the step back to 100 %.
    std::function<int32_t()> tempoMultiplier;
    std::function<void()> tempoNormal;
    // The dialogs' parent; null before the main frame exists.
    std::function<QWidget*()> window;
    // Where Go to's and Stats' Help goes; null: nowhere.
    std::function<void(std::string_view topic)> help;
    // Where MIDI input's tempo taps go, and the engine's millisecond clock;
    // null without a sequencer.
    std::function<SinkSlot<ITempoTapSink>*()> tempoTap;
    std::function<uint32_t()> engineClock;
    // Adjust > Harp pedals is one of them; null: it stays grey.
    SetupDialogs* dialogs = nullptr;
};

// Edit menu: undo and redo, paste into the current song, the audio effects
// with their recent list, inserting a cue, going to a position and the
// song's statistics; the commands greyed until their dialogs exist.
// GUI thread.
class EditCommands : public CommandTable<EditCommands> {
public:
    explicit EditCommands(EditSeams seams);
    ~EditCommands() override;

    static std::span<const CommandRow<EditCommands>> commandTable();

    // The audio effects songs apply; before start-up. Without them the
    // Edit > Audio effect commands stay grey.
    void setAudioEffects(std::unique_ptr<IAudioEffects> effects);
    IAudioEffects* audioEffects() const { return m_audioEffects.get(); }
    // The recent effects list, read at start-up and written at the end.
    void readRecentEffects();
    void writeRecentEffects();
    // A filter sheet opened on an effect: it heads the recent effects.
    void addRecentFilter(const std::string& id);
    // The recent effects still installed, "&1 Name" on, above "More...";
    // effects no longer installed leave the list.
    void BuildAudioEffectMenu();
    // The menu is built, and the plug-ins scanned, when it first opens.
    void connectAudioEffectMenu();

    bool onPaste(CommandId id);
    void onUpdatePaste(CommandId id, CmdUi& ui);
    bool onUndoRedo(CommandId id);
    void onUpdateUndoRedo(CommandId id, CmdUi& ui);
    // A recent effect or "More...", on the current song.
    bool onAudioEffect(CommandId id);
    void onUpdateAudioEffect(CommandId id, CmdUi& ui);
    void onUpdateGreyed(CommandId id, CmdUi& ui);
    // Edit > Apply: the tempo multiplier or the tracks' playback offsets
    // written into the current song.
    bool onApplyTempoRatio(CommandId id);
    void onUpdateApplyTempoRatio(CommandId id, CmdUi& ui);
    bool onApplyTrackOffsets(CommandId id);
    void onUpdateApplyTrackOffsets(CommandId id, CmdUi& ui);
    bool onHarpPedals(CommandId id);
    void onUpdateHarpPedals(CommandId id, CmdUi& ui);
    // Insert > Cue..., Transport > Go to... and File > Stats... on the current song.
    bool onInsertCue(CommandId id);
    void onUpdateInsertCue(CommandId id, CmdUi& ui);
    bool onGoTo(CommandId id);
    void onUpdateGoTo(CommandId id, CmdUi& ui);
    bool onStats(CommandId id);
    void onUpdateStats(CommandId id, CmdUi& ui);
    // Insert > Tempo... and Series of tempos... on the current song.
    bool onInsertTempo(CommandId id);
    bool onInsertTempoSeries(CommandId id);
    void onUpdateInsertTempo(CommandId id, CmdUi& ui);

private:
    const CSongDoc* editableSong() const;

    EditSeams m_seams;
    RecentFileList m_recentFilters{RecentFileList::Kind::Filters};
    std::unique_ptr<IAudioEffects> m_audioEffects;
    std::vector<std::string> m_audioEffectIds; // the effect of each menu entry
    bool m_audioEffectMenuBuilt = false;
};

} // namespace rz
