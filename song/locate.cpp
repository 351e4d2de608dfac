// Locate: every track's play cursor to a tick, and each port channel's state
// chased there. Timer thread, or the GUI thread while stopped or paused.
#include <algorithm>
#include <cstdint>

#include "core/engine_link.h"
#include "core/midi_bytes.h"
#include "core/midi_out.h"
#include "core/song_host.h"
#include "song/play_out_state.h"
#include "song/seek_point.h"
#include "song/song_doc.h"

namespace rz {

namespace {

using cc::kBankLsb;
using cc::kBankMsb;
using cc::kNrpnLsb;
using cc::kNrpnMsb;
using cc::kRpnLsb;
using cc::kRpnMsb;
using cc::kSustain;
using cc::kVolume;
using midi::controlChange;
constexpr uint32_t kPreviewTag = 0xFF;

bool isResetAll(uint32_t message)
{
    return midi::statusOf(message) == midi::kControlChange && midi::firstDataByte(message) == cc::kResetAllControllers;
}

bool isModeMessage(uint32_t message)
{
    return midi::statusOf(message) == midi::kControlChange && controllerChase(midi::firstDataByte(message)) == ControllerChase::Mode;
}

} // namespace

int32_t songPositionPointer(int32_t tick, int timeBase)
{
    if (timeBase <= 0 || tick <= 0)
        return 0;
    return int32_t(std::min<int64_t>(int64_t(tick) * 4 / timeBase, 16383));
}

int32_t clickTicks(int timeBase, int clocksPerClick)
{
    return std::max<int32_t>(1, int32_t(int64_t(clocksPerClick) * timeBase / 24));
}

namespace {
void sortByTick(std::vector<ChaseEntry>& entries);
void sendSelection(IMidiOut& port, int channel, const ParameterSelection& selection);
} // namespace

PlayOutState& CSongDoc::playOutState()
{
    if (!m_playOut)
        m_playOut = std::make_shared<PlayOutState>();
    return *m_playOut;
}

int CSongDoc::FindCueAt(int32_t tick) const
{
    const auto at = std::find_if(cues.begin(), cues.end(),
                                 [tick](const auto& cue) { return cue->GetTime() >= tick; });
    return int(at - cues.begin());
}

void CSongDoc::UpdateCursorTime(CTrack& track)
{
    if (track.nextTick == kEndTick || tempoMap.empty()) {
        track.nextTime = track.nextTick == kEndTick ? kEndTime : 0.0;
        return;
    }
    const IRecordLink& engine = m_context.engine;
    const bool holdTempo = engine.recording() && !engine.recordOptions().followTempo;
    int index = std::clamp(track.tempoIndex, 0, int(tempoMap.size()) - 1);
    if (!holdTempo) {
        while (index + 1 < int(tempoMap.size()) && tempoMap[size_t(index) + 1].tick < track.nextTick)
            ++index;
    }
    track.tempoIndex = index;
    const TempoEntry& entry = tempoMap[size_t(index)];
    track.nextTime = double(track.nextTick - entry.tick) * double(entry.tempo)
                         / double(std::max<int>(timeBase, 1))
                     + entry.time;
}

void CSongDoc::Locate(int32_t tick)
{
    const bool starting = m_context.engine.transportState() == TransportState::Starting;
    locate(tick, starting ? ChaseNotes::BeforeTarget : ChaseNotes::Leave);
}

void CSongDoc::LocatePaused(int32_t tick)
{
    locate(tick, ChaseNotes::AtTarget);
}

void CSongDoc::locate(int32_t tick, ChaseNotes notes)
{
    try {
        IEngineLink& engine = m_context.engine;
        if (!measureMap.empty())
            tick = std::min(tick, measureMap.back().start);
        tick = std::max(tick, int32_t(0));
        const TransportState state = engine.transportState();
        if (state == TransportState::Playing || state == TransportState::Starting) {
            for (const auto& cue : cues) {
                if (cue->kind == kCueSkip && cue->time == tick) {
                    tick = cue->secondTime;
                    break;
                }
            }
        }
        const double time = TickToTime(tick);
        PlayOutState& play = playOutState();
        // Only a start at 0 right after activation leaves out what it sent.
        if (!(play.startUpArmed && tick == 0 && state == TransportState::Starting))
            std::fill(play.startUpSent.begin(), play.startUpSent.end(), 0u);
        play.startUpArmed = false;
        play.targets.assign(tracks.size(), tick);
        for (size_t i = 1; i + 1 < tracks.size(); ++i)
            positionTrack(i, tick, time);
        BuildAudioPlayLists(tick);
        chaseTracks(notes);
        setPosition(tick);
        sendSyncPosition(tick, time);
    } catch (...) {
        // Nothing may leave the timer thread; a failed locate leaves the
        // cursors where they got to.
    }
}

// The cursor at the seek point before the track's target,
// a waveform track read on to it.
void CSongDoc::positionTrack(size_t index, int32_t tick, double time)
{
    CTrack& track = *tracks[index];
    track.chased = 0;
    double offset = double(track.timeOffset) * 1000.0;
    if (track.type == kWaveTrack)
        offset -= m_context.engine.blockLength();
    int32_t target = tick;
    if (offset != 0.0)
        target = TimeToTick(std::max(time - offset, 0.0));
    track.timeOffsetUs = offset;
    playOutState().targets[index] = target;
    const size_t seek = size_t(target / (kSeekQuarters * std::max<int32_t>(timeBase, 1)));
    if (seek >= track.seekPoints.size()) {
        track.endReader();
        track.tempoIndex = 0;
        return;
    }
    track.positionReader(track.seekPoints[seek]);
    track.tempoIndex = FindTempoIndex(std::min(track.nextTick, target));
    if (track.type == kWaveTrack) {
        track.chased = 1;
        RawEvent event;
        while (track.nextTick <= target && track.ReadNextEvent(event)) {
        }
    }
    UpdateCursorTime(track);
}

// The chase: each port channel once, from the first track that plays on it.
void CSongDoc::chaseTracks(ChaseNotes notes)
{
    for (size_t i = 1; i + 1 < tracks.size(); ++i) {
        const CTrack& track = *tracks[i];
        if (track.outputPort != nullptr && track.chased == 0 && track.type != kWaveTrack)
            chaseGroup(i, notes);
    }
}

void CSongDoc::chaseGroup(size_t first, ChaseNotes notes)
{
    const bool starting = notes != ChaseNotes::Leave;
    PlayOutState& play = playOutState();
    IMidiOut& port = *tracks[first]->outputPort;
    const int channel = tracks[first]->channel & 15;
    if (starting) {
        const int pedal = port.controllerValue(channel, kSustain);
        if (pedal > 0)
            port.SendShort(controlChange(channel, kSustain, 0));
    }
    play.entries.clear();
    play.notes.clear();
    play.group.clear();
    for (size_t j = first; j + 1 < tracks.size(); ++j) {
        CTrack& track = *tracks[j];
        if (track.outputPort != &port || (track.channel & 15) != channel || track.type == kWaveTrack)
            continue;
        track.chased = 1;
        if (track.playEnabled != 0)
            play.group.push_back(j);
    }
    play.selection = ParameterSelection{};
    // In play order: at one tick the later track's value is the one that holds.
    for (size_t index : play.group)
        chaseTrack(index, channel, notes);
    sortByTick(play.entries);
    const IRecordLink& engine = m_context.engine;
    const bool thru = engine.recording() && engine.hasThruTrack(&port, channel);
    const bool autoProps = m_context.host.autoProps();
    int pedal = -1;
    if (!thru && autoProps) {
        sendChaseState(port, channel, starting);
        sendSelection(port, channel, play.selection);
    }
    if (starting) {
        sendHeldNotes(port, channel);
        for (const ChaseEntry& entry : play.entries) {
            if ((entry.message & 0xFFF0) == (midi::kControlChange | uint32_t(kSustain) << 8))
                pedal = int(entry.message >> 16) & 0x7F;
        }
        if (!thru && autoProps && pedal >= 0 && pedal != port.controllerValue(channel, kSustain))
            port.SendShort(controlChange(channel, kSustain, pedal));
    }
}

namespace {

// The chase state goes out in the order it was played, so a program change
// comes after what it resets. Insertion sort: stable, allocates nothing.
void sortByTick(std::vector<ChaseEntry>& entries)
{
    for (size_t i = 1; i < entries.size(); ++i) {
        const ChaseEntry entry = entries[i];
        size_t j = i;
        for (; j > 0 && entries[j - 1].tick > entry.tick; --j)
            entries[j] = entries[j - 1];
        entries[j] = entry;
    }
}

// Tracks are chased one after another, so a reset all controllers stays in
// the list: what it clears is dropped when it is earlier, whichever track
// it came from. At one tick, what is added later was played later.
bool clearedByLaterReset(std::vector<ChaseEntry>& entries, uint32_t message, int32_t tick)
{
    const uint32_t channel = message & 0x0F;
    if (isResetAll(message)) {
        std::erase_if(entries, [&](const ChaseEntry& e) {
            return (e.message & 0x0F) == channel && clearedByResetAll(e.message) && e.tick <= tick;
        });
        return false;
    }
    const auto laterReset = [&](const ChaseEntry& e) {
        return (e.message & 0x0F) == channel && isResetAll(e.message) && e.tick > tick;
    };
    return clearedByResetAll(message) && std::any_of(entries.begin(), entries.end(), laterReset);
}

// Replaces the entry with the same key when the new tick is not earlier;
// appends a new key.
void addChaseEntry(std::vector<ChaseEntry>& entries, uint32_t message, int32_t tick, int32_t track)
{
    if (clearedByLaterReset(entries, message, tick))
        return;
    const uint32_t mask = chaseKeyMask(message);
    for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
        if (((it->message ^ message) & mask) == 0) {
            if (tick >= it->tick)
                *it = ChaseEntry{message, tick, track};
            return;
        }
    }
    entries.push_back(ChaseEntry{message, tick, track});
}

void removeNote(std::vector<uint32_t>& notes, uint32_t identity)
{
    for (auto it = notes.rbegin(); it != notes.rend(); ++it) {
        if ((*it & 0xFF00FFFFu) == identity) {
            notes.erase(std::next(it).base());
            return;
        }
    }
}

// One controller read from the image: a data entry for the selected RPN
// becomes an RPN event (NRPN values are not chased); selections only move
// the channel's selection; the rest is kept as it is.
void chaseController(std::vector<ChaseEntry>& entries, ParameterSelection& selection,
                     const RawEvent& event, int32_t track)
{
    const int channel = event.kind & 15;
    const int number = event.data1 & 0x7F;
    const int value = event.data2 & 0x7F;
    if (selection.follow(number, value, event.tick)) {
        // An RPN event holds a 7-bit number: higher ones are not chased.
        if (selection.rpn <= 0x7F) {
            const uint32_t message = 0x10u | uint32_t(channel) | uint32_t(selection.rpn & 0x7F) << 8
                                     | uint32_t(selection.data) << 16;
            addChaseEntry(entries, message, event.tick, track);
        }
        return;
    }
    if (controllerChase(number) != ControllerChase::None)
        addChaseEntry(entries, controlChange(channel, number, value), event.tick, track);
}

// After the chase the device addresses the last RPN it was sent; data
// entries that the image carries without their selection need the one the
// image made before the target, or none (127/127). A channel whose image
// never selected a parameter is left alone.
void sendSelection(IMidiOut& port, int channel, const ParameterSelection& selection)
{
    if (selection.tick < 0)
        return;
    const bool nrpn = selection.nrpn != ParameterSelection::kNone;
    const int number = nrpn ? selection.nrpn : selection.rpn;
    port.SendShort(controlChange(channel, nrpn ? kNrpnMsb : kRpnMsb, number >> 7));
    port.SendShort(controlChange(channel, nrpn ? kNrpnLsb : kRpnLsb, number & 0x7F));
}

} // namespace

// One track's part of its group's chase state, read up to just
// before its target: the target tick's own events are play-out's to send,
// whatever their kind. Paused, no play-out comes: the target's events are
// read too. The track's selection on the channel joins the group's when it
// was made later.
void CSongDoc::chaseTrack(size_t index, int channel, ChaseNotes notes)
{
    PlayOutState& play = playOutState();
    CTrack& track = *tracks[index];
    const int32_t target = play.targets[index];
    if (track.seekPoints.empty())
        return;
    const size_t wanted = size_t(target / (kSeekQuarters * std::max<int32_t>(timeBase, 1)));
    const size_t seek = std::min(wanted, track.seekPoints.size() - 1);
    const int32_t last = notes == ChaseNotes::AtTarget ? target : target - 1;
    const uint32_t tag = uint32_t(index & 0xFF) << 24;
    const SeekPoint& point = track.seekPoints[seek];
    for (size_t k = 0; k < point.chaseMessages.size() && k < point.chaseTicks.size(); ++k) {
        if (point.chaseTicks[k] <= last)
            addChaseEntry(play.entries, point.chaseMessages[k], point.chaseTicks[k], int32_t(index));
    }
    if (seek == wanted) {
        for (uint32_t note : point.soundingNotes)
            play.notes.push_back((note & 0xFFFFFFu) | tag);
    }
    ChannelSelections selections = point.selections;
    RawEvent event;
    while (track.nextTick <= last && track.ReadNextEvent(event)) {
        const uint32_t message =
            uint32_t(event.kind) | uint32_t(event.data1 & 0x7F) << 8 | uint32_t(event.data2 & 0x7F) << 16;
        switch (midi::statusOf(event.kind)) {
        case midi::kNoteOff: removeNote(play.notes, (message & 0xFFFFu) | 0x10u | tag); break;
        case midi::kNoteOn:
            if (event.data2 != 0)
                play.notes.push_back(message | tag);
            else
                removeNote(play.notes, (message & 0xFFFFu) | tag);
            break;
        case midi::kControlChange:
            chaseController(play.entries, selections[event.kind & 15], event, int32_t(index));
            break;
        case midi::kProgramChange:
        case midi::kChannelPressure:
        case midi::kPitchBend: addChaseEntry(play.entries, message, event.tick, int32_t(index)); break;
        default: break;
        }
    }
    const ParameterSelection& selection = selections[size_t(channel & 15)];
    if (selection.tick >= play.selection.tick)
        play.selection = selection;
    UpdateCursorTime(track);
}

namespace {

// The chase state's program and bank parts: the parts at or before the
// program go out with it, later ones (or all, without a program) alone.
struct BankParts {
    const ChaseEntry* program = nullptr;
    const ChaseEntry* msb = nullptr;
    const ChaseEntry* lsb = nullptr;

    explicit BankParts(const std::vector<ChaseEntry>& entries)
    {
        for (const ChaseEntry& entry : entries) {
            const uint32_t kind = midi::statusOf(entry.message);
            const int number = int(entry.message >> 8) & 0x7F;
            if (kind == midi::kProgramChange)
                program = &entry;
            else if (kind == midi::kControlChange && number == kBankMsb)
                msb = &entry;
            else if (kind == midi::kControlChange && number == kBankLsb)
                lsb = &entry;
        }
    }
    bool withProgram(const ChaseEntry* part) const
    {
        return part != nullptr && program != nullptr && part->tick <= program->tick;
    }
    static int value(const ChaseEntry* part) { return int(part->message >> 16) & 0x7F; }
};

void sendProgram(IMidiOut& port, int channel, const BankParts& parts)
{
    const int program = int(parts.program->message >> 8) & 0x7F;
    const ChaseEntry* msb = parts.withProgram(parts.msb) ? parts.msb : nullptr;
    const ChaseEntry* lsb = parts.withProgram(parts.lsb) ? parts.lsb : nullptr;
    const bool same =
        port.program(channel) == program
        && (msb == nullptr || port.controllerValue(channel, kBankMsb) == BankParts::value(msb))
        && (lsb == nullptr || port.controllerValue(channel, kBankLsb) == BankParts::value(lsb));
    if (same)
        return;
    if (msb != nullptr)
        port.SendShort(msb->message);
    if (lsb != nullptr)
        port.SendShort(lsb->message);
    port.SendShort(parts.program->message);
}

} // namespace

// What differs from the port's cache, in chase order; the bank goes
// with its program, and the pedal waits for the notes.
void CSongDoc::sendChaseState(IMidiOut& port, int channel, bool starting)
{
    const PlayOutState& play = playOutState();
    const VolumeScale scale{relativeVolume, m_context.engine.masterVolume()};
    const BankParts parts(play.entries);
    // A mode message ends the channel's notes and may reset its state, so
    // it goes first.
    for (const ChaseEntry& entry : play.entries)
        if (isModeMessage(entry.message))
            port.SendShort(entry.message);
    for (const ChaseEntry& entry : play.entries) {
        const uint32_t message = entry.message;
        const int data1 = int(message >> 8) & 0x7F;
        const int data2 = int(message >> 16) & 0x7F;
        switch (midi::statusOf(message)) {
        case midi::kControlChange:
            if (data1 == kBankMsb || data1 == kBankLsb || isModeMessage(message) || isResetAll(message)) {
                break;
            } else if (data1 == kVolume) {
                port.setUnscaledVolume(channel, data2);
                const size_t from = size_t(entry.track);
                const int percent = from < tracks.size() ? tracks[from]->volume : 100;
                const int value = ScaleVolume(data2, percent, scale);
                if (port.controllerValue(channel, kVolume) != value)
                    port.SendShort(controlChange(channel, kVolume, value));
            } else if (data1 == kSustain) {
                if (starting && data2 == 0 && port.controllerValue(channel, kSustain) != 0)
                    port.SendShort(message);
            } else if (port.controllerValue(channel, data1) != data2) {
                port.SendShort(message);
            }
            break;
        case midi::kProgramChange: sendProgram(port, channel, parts); break;
        default: // RPN events, channel pressure and pitch bend: always
            port.SendShort(message);
            break;
        }
    }
    for (const ChaseEntry* part : {parts.msb, parts.lsb}) {
        if (part != nullptr && !parts.withProgram(part)
            && port.controllerValue(channel, int(part->message >> 8) & 0x7F) != BankParts::value(part))
            port.SendShort(part->message);
    }
}

// Notes that sound and should go on are left alone; the channel's
// other notes end; the chased notes missing from the port are struck.
void CSongDoc::sendHeldNotes(IMidiOut& port, int channel)
{
    PlayOutState& play = playOutState();
    const size_t count = std::min(port.copyHeldNotes(play.held.data(), play.held.size()),
                                  play.held.size());
    for (size_t i = 0; i < count; ++i) {
        const uint32_t note = play.held[i];
        if (!midi::isNoteOn(note) || int(note & 15) != channel || (note >> 24) == kPreviewTag)
            continue;
        const auto match = std::find(play.notes.begin(), play.notes.end(), note);
        if (match != play.notes.end())
            play.notes.erase(match);
        else
            port.SendShort(note & 0xFF00FFFFu);
    }
    for (uint32_t note : play.notes)
        port.SendShort(note);
}

// As synchronisation master, tells the followers where the song now is.
void CSongDoc::sendSyncPosition(int32_t tick, double time)
{
    IPortLink& engine = m_context.engine;
    const SyncOptions sync = engine.syncOptions();
    if (sync.masterSlave != 1)
        return;
    if (sync.protocol == 0) {
        engine.SendSongPosition(songPositionPointer(tick, timeBase));
        return;
    }
    if (sync.protocol != 1)
        return;
    CSmpteTime offset = smpteOffset;
    const CSmpteTime code(time + offset.GetTime(), sync.smpteRate);
    const int first = sync.port > 0 ? sync.port - 1 : 0;
    const int last = sync.port > 0 ? sync.port : engine.outPortCount();
    for (int i = first; i < last; ++i) {
        if (IMidiOut* port = engine.openOutPort(i))
            port->SendMtcFullFrame(code);
    }
}

} // namespace rz
