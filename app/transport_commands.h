#pragma once

#include "ui/command_target.h"

#include <cstdint>
#include <functional>
#include <span>
#include <string>

namespace rz {

class CSongDoc;
class CommandTarget;
class ICurrentSongHost;
class IEngineLink;
class IPrompt;
class ISongDisplayOptions;
class ISongViews;
class SetDocument;

// What the transport commands reach beyond the engine and the current song.
struct TransportSeams {
    std::function<IEngineLink&()> engine; // made at start-up
    ICurrentSongHost& songs;
    ISongDisplayOptions& options;
    ISongViews& views;
    std::function<SetDocument&()> set;    // made at start-up
    IPrompt& prompt;
    // The countdown to the next song of the set, and its cancelling.
    std::function<int()> advanceCountdown;
    std::function<void()> cancelAdvance;
    std::function<void(int)> setSkipCount;
    std::function<void()> songChanged;
    std::function<bool()> clickOn;
    std::function<void(bool)> setClickOn;
    std::function<int32_t()> tempoMultiplier;
    std::function<int32_t()> volume; // the volume fader; its setter applies it
    std::function<void(int32_t)> setVolume;
    std::function<void()> reapplyPortSettings;
    std::function<CommandTarget*()> trackList; // null without a track list
    std::function<void(bool)> setPerformanceMode;
    std::function<void()> saveAllSongs;
    std::function<bool()> stepSong;
    std::function<void(CSongDoc&)> activateSong;
    // True while an output port is still opening after start-up; may be empty.
    std::function<bool()> portsLoading;
    std::function<void(const std::string&)> statusText;
};

// Transport menu: play, stop, record, locating, skip, click, tempo and
// volume steps, the track list's solo and record marks; the performance
// switch, song stepping and quick transpose of the transport panel. GUI
// thread.
class TransportCommands : public CommandTable<TransportCommands> {
public:
    explicit TransportCommands(TransportSeams seams) : m_seams(std::move(seams)) {}

    static std::span<const CommandRow<TransportCommands>> commandTable();

    bool onTransport(CommandId id);
    void onUpdateTransport(CommandId id, CmdUi& ui);
    bool onNavigate(CommandId id);
    void onUpdateNavigate(CommandId id, CmdUi& ui);
    bool onSkip(CommandId id);
    bool onClick(CommandId id);
    bool onAdjust(CommandId id);
    bool onTrackList(CommandId id);
    void onUpdateTrackList(CommandId id, CmdUi& ui);
    bool onPerformance(CommandId id);
    void onUpdatePerformance(CommandId id, CmdUi& ui);
    bool onSongStep(CommandId id);
    void onUpdateSongStep(CommandId id, CmdUi& ui);
    bool onQuickTranspose(CommandId id);
    void onUpdateQuickTranspose(CommandId id, CmdUi& ui);

    // The late ports are open: a start asked for meanwhile happens now.
    void portsReady();

private:
    // A start while ports are still opening waits for them; true when it
    // was held back.
    bool holdStartForPorts(CommandId id);

    TransportSeams m_seams;
    CommandId m_heldStart = 0;
};

} // namespace rz
