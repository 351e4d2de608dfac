// Shaping the track list of a song just read: format 0 conversion, the
// format 1 track passes, splits by channel and by patch. GUI thread.
#include "song/smf_song_tracks.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <map>

#include "core/midi_bytes.h"
#include "core/profile.h"
#include "core/prompt.h"
#include "core/settings.h"
#include "core/song_host.h"
#include "song/channel_settings_log.h"
#include "song/smf_reader.h"
#include "song/song_doc.h"
#include "song/text_markers.h"
#include "song/track_encoder.h"

namespace rz {
namespace {

constexpr const char* kDrMetaName = "@DO4_META";

bool autoProps(const CSongDoc& song)
{
    return song.context().host.autoProps();
}

// Kinds that carry a channel in their low nibble, RPN and NRPN included.
bool channelOf(const CMidiEvent& event, uint8_t& channel)
{
    const uint8_t kind = event.kind();
    if (!(midi::isChannelStatus(kind) || (kind >= 0x10 && kind < 0x30)))
        return false;
    channel = kind & 0x0F;
    return true;
}

void reencode(CSongDoc& song, size_t index, int32_t interval)
{
    TrackEncodeContext context;
    context.trackIndex = int(index);
    context.song = &song.context();
    context.songFolder = song.songFolder;
    WriteTrackChunk(*song.tracks[index], interval, context);
}

std::string tooManyEvents(size_t index)
{
    return "track " + std::to_string(index) + " holds more than " + std::to_string(kMaxTrackEvents)
           + " events";
}

bool rereadTrack(CSongDoc& song, size_t index, int32_t interval, std::string& reason)
{
    reencode(song, index, interval);
    if (ReadTrackChunk(*song.tracks[index], autoProps(song)))
        return true;
    reason = tooManyEvents(index);
    return false;
}

// The new conductor's index for a channel track: before the first user track
// on a higher channel.
size_t channelTrackPosition(const CSongDoc& song, uint8_t channel)
{
    for (size_t i = 1; i < song.tracks.size(); ++i)
        if (song.tracks[i]->channel > channel)
            return i;
    return song.tracks.size();
}

CTrack& channelTrack(CSongDoc& song, std::array<CTrack*, 16>& byChannel, uint8_t channel)
{
    if (byChannel[channel] != nullptr)
        return *byChannel[channel];
    auto track = std::make_unique<CTrack>();
    char name[16];
    std::snprintf(name, sizeof name, "Channel %d", channel + 1);
    track->name = name;
    track->channel = channel;
    byChannel[channel] = track.get();
    song.tracks.insert(song.tracks.begin() + std::ptrdiff_t(channelTrackPosition(song, channel)),
                       std::move(track));
    return *byChannel[channel];
}

void offerFormat1(CSongDoc& song)
{
    const int warn = readSetting(song.context().profile, settings::kOpenWarnFormat);
    if (warn == 2) {
        song.format = 1;
    } else if (warn == 1) {
        const std::string question = "NOTE: '" + song.title
                                     + "' is a MIDI Format 0 file.\nConvert it to Format 1 now "
                                       "(required to support all DEVU Rizoraz track layout features)?";
        if (song.context().prompt.askYesNo(question, PromptIcon::Question) == PromptAnswer::Yes) {
            song.SetModifiedFlag(true);
            song.format = 1;
        }
    }
}

// A waveform track keeps only its clips; a volume or pan at tick 0 becomes
// its initial setting (the first one, as when walking back from the end).
void keepClipsOnly(CSongDoc& song, CTrack& track)
{
    std::vector<CMidiEvent> clips;
    const std::string folder = song.songFolder.empty() ? std::string() : song.songFolder.string() + "/";
    bool volumeSet = false;
    bool panSet = false;
    for (CMidiEvent& event : track.events) {
        if (CAudioClip* clip = event.clip()) {
            if (!folder.empty() && clip->fileName.starts_with("WaveData")) {
                std::replace(clip->fileName.begin(), clip->fileName.end(), '\\', '/');
                clip->fileName = folder + clip->fileName;
            }
            clips.push_back(std::move(event));
            continue;
        }
        if (!midi::isController(event.kind()) || event.tick != 0)
            continue;
        if (event.data1() == cc::kVolume && !volumeSet) {
            track.initialControllers[1] = event.data2() & 0x7F;
            volumeSet = true;
        } else if (event.data1() == cc::kPan && !panSet) {
            track.initialControllers[0] = event.data2() & 0x7F;
            panSet = true;
        }
    }
    track.events = std::move(clips);
    track.bank = -1;
    track.patch = -1;
}

// Everything of a track but its events, image, channel and playing state.
void copyTrackSettings(const CTrack& from, CTrack& to)
{
    to.name = from.name;
    to.type = from.type;
    to.flags = from.flags;
    to.port = from.port;
    to.portName = from.portName;
    to.outputPort = from.outputPort;
    to.bank = from.bank;
    to.patch = from.patch;
    to.volume = from.volume;
    to.playEnabled = from.playEnabled;
    to.savedPlayEnabled = from.savedPlayEnabled;
    to.initialControllers = from.initialControllers;
    to.key = from.key;
    to.timeOffset = from.timeOffset;
    to.velocityOffset = from.velocityOffset;
    to.rpnValues = from.rpnValues;
    to.channelPressureDest = from.channelPressureDest;
    to.keyPressureDest = from.keyPressureDest;
    to.controllerDest = from.controllerDest;
    to.destController = from.destController;
    to.notationSetting = from.notationSetting;
    to.notationValue = from.notationValue;
    to.color = from.color;
    to.textColor = from.textColor;
    to.inputDevice = from.inputDevice;
    to.inputChannel = from.inputChannel;
    to.leftGain = from.leftGain;
    to.rightGain = from.rightGain;
}

// One track per channel: the track keeps its first channel, and a copy of
// its settings follows it for each further channel, taking that channel's
// events. Each is then re-encoded and read again, taking its own settings.
bool splitChannels(CSongDoc& song, size_t index, const std::vector<uint8_t>& channels,
                   ChannelSettingsLog& others, std::string& reason)
{
    if (song.tracks.size() + channels.size() > kMaxUserTracks + 3) {
        reason = "more than " + std::to_string(kMaxUserTracks) + " tracks";
        return false;
    }
    if (autoProps(song)) {
        // Settings taken from mixed channels would belong to no one track.
        auto fresh = std::make_unique<CTrack>();
        fresh->playImage = std::move(song.tracks[index]->playImage);
        ReadTrackChunk(*fresh, false);
        song.tracks[index] = std::move(fresh);
    }
    CTrack& source = *song.tracks[index];
    source.channel = channels[0];
    std::array<CTrack*, 16> byChannel{};
    byChannel[channels[0]] = &source;
    for (size_t k = 1; k < channels.size(); ++k) {
        auto copy = std::make_unique<CTrack>();
        copyTrackSettings(source, *copy);
        copy->channel = channels[k];
        byChannel[channels[k]] = copy.get();
        song.tracks.insert(song.tracks.begin() + std::ptrdiff_t(index + k), std::move(copy));
    }
    std::vector<CMidiEvent> kept;
    for (CMidiEvent& event : source.events) {
        uint8_t channel = 0;
        if (channelOf(event, channel) && channel != channels[0] && byChannel[channel] != nullptr)
            byChannel[channel]->events.push_back(std::move(event));
        else
            kept.push_back(std::move(event));
    }
    source.events = std::move(kept);
    // No seek points: the image is only read back here, and the song's
    // length has not been checked yet (a far event would make millions).
    // Every image of the pieces is new before any of them is read again.
    for (size_t k = 0; k < channels.size(); ++k)
        reencode(song, index + k, 0);
    others.invalidate();
    for (size_t k = 0; k < channels.size(); ++k) {
        if (!ReadTrackChunk(*song.tracks[index + k], autoProps(song), nullptr, &others)) {
            reason = tooManyEvents(index + k);
            return false;
        }
    }
    return true;
}

struct PatchKey {
    int32_t bank;
    int32_t program;
    bool operator==(const PatchKey&) const = default;
};

} // namespace

bool convertFormat0(CSongDoc& song, std::string& reason)
{
    auto conductor = std::make_unique<CTrack>();
    conductor->name = song.tracks[0]->name;
    conductor->endOfTrack = song.tracks[0]->endOfTrack;
    std::vector<CMidiEvent> events = std::move(song.tracks[0]->events);
    std::array<CTrack*, 16> byChannel{};
    for (CMidiEvent& event : events) {
        uint8_t channel = 0;
        if (channelOf(event, channel))
            channelTrack(song, byChannel, channel).events.push_back(std::move(event));
        else
            conductor->events.push_back(std::move(event));
    }
    song.tracks[0] = std::move(conductor);
    // The conductor's image loses the channel messages the tracks now play.
    reencode(song, 0, -1);
    for (size_t i = song.tracks.size(); i-- > 1;)
        if (!rereadTrack(song, i, 0, reason))
            return false;
    offerFormat1(song);
    return true;
}

bool readFormat1Tracks(CSongDoc& song, std::vector<SkippedMessages>& skippedMessages, std::string& reason)
{
    ChannelSettingsLog others(song.tracks);
    for (size_t i = 1; i < song.tracks.size(); ++i) {
        CTrack& track = *song.tracks[i];
        std::vector<uint8_t> channels;
        if (!ReadTrackChunk(track, autoProps(song), &channels, &others)) {
            reason = tooManyEvents(i);
            return false;
        }
        skippedMessages.push_back(track.skipped);
        if (track.name == kDrMetaName) {
            if (!ParseTextMarkers(song, track, reason))
                return false;
            song.tracks.erase(song.tracks.begin() + std::ptrdiff_t(i--));
            others.invalidate();
        } else if (track.type == kWaveTrack) {
            keepClipsOnly(song, track);
        } else if (track.type == kMidiTrack && channels.size() > 1) {
            if (!splitChannels(song, i, channels, others, reason))
                return false;
            i += channels.size() - 1;
        }
    }
    return true;
}

void moveConductorLeftovers(CSongDoc& song)
{
    CTrack& conductor = *song.tracks[0];
    if (conductor.events.empty())
        return;
    for (size_t i = 1; i < song.tracks.size(); ++i) {
        CTrack& meta = *song.tracks[i];
        if (meta.type != kMetaTrack)
            continue;
        // As InsertEventSorted one by one: each after the events at its tick.
        std::vector<CMidiEvent> merged;
        merged.reserve(meta.events.size() + conductor.events.size());
        std::merge(std::make_move_iterator(meta.events.begin()), std::make_move_iterator(meta.events.end()),
                   std::make_move_iterator(conductor.events.begin()),
                   std::make_move_iterator(conductor.events.end()), std::back_inserter(merged),
                   [](const CMidiEvent& a, const CMidiEvent& b) { return a.tick < b.tick; });
        meta.events = std::move(merged);
        meta.endOfTrack = std::max(meta.endOfTrack, conductor.endOfTrack);
        conductor.events.clear();
        return;
    }
    conductor.name = "Meta";
    conductor.type = song.format != 0 ? kMetaTrack : kMidiTrack;
    song.tracks.insert(song.tracks.begin(), std::make_unique<CTrack>());
}

void splitByPatches(CSongDoc& song)
{
    for (size_t i = 1; i < song.tracks.size(); ++i) {
        CTrack& source = *song.tracks[i];
        std::vector<std::pair<PatchKey, CTrack*>> targets{
            {PatchKey{std::max(source.bank, -1), source.patch}, &source}};
        CTrack* current = &source;
        std::vector<std::unique_ptr<CTrack>> created;
        std::vector<CMidiEvent> kept;
        for (CMidiEvent& event : source.events) {
            if (midi::isProgramChange(event.kind())) {
                const PatchKey key{event.value2 < 0 ? -1 : event.value2 & 0xFFFF, event.data1() & 0x7F};
                auto it = std::find_if(targets.begin(), targets.end(),
                                       [&](const auto& t) { return t.first == key; });
                if (it == targets.end()) {
                    auto track = std::make_unique<CTrack>();
                    track->name = "  patch change";
                    track->bank = key.bank;
                    track->patch = key.program;
                    track->port = source.port;
                    track->channel = source.channel;
                    track->inputChannel = source.inputChannel;
                    track->color = source.color;
                    track->textColor = source.textColor;
                    track->notationSetting = source.notationSetting;
                    track->outputPort = source.outputPort;
                    track->timeOffset = source.timeOffset;
                    track->key = source.key;
                    track->velocityOffset = source.velocityOffset;
                    targets.emplace_back(key, track.get());
                    current = track.get();
                    created.push_back(std::move(track));
                } else {
                    current = it->second;
                }
                continue;
            }
            if (current == &source)
                kept.push_back(std::move(event));
            else
                current->events.push_back(std::move(event));
        }
        source.events = std::move(kept);
        for (size_t k = 0; k < created.size(); ++k)
            song.tracks.insert(song.tracks.begin() + std::ptrdiff_t(i + 1 + k), std::move(created[k]));
        i += created.size();
        if (song.tracks.size() > kMaxUserTracks + 2)
            return; // refused by checkTrackLimits
    }
}

bool checkTrackLimits(const CSongDoc& song, std::string& reason)
{
    if (song.tracks.size() > kMaxUserTracks + 1) {
        reason = "more than " + std::to_string(kMaxUserTracks) + " tracks";
        return false;
    }
    for (size_t i = 0; i < song.tracks.size(); ++i) {
        if (song.tracks[i]->events.size() > kMaxTrackEvents) {
            reason = tooManyEvents(i);
            return false;
        }
    }
    return true;
}

} // namespace rz
