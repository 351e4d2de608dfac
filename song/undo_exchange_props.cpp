#include <algorithm>
#include <utility>

#include "core/engine_link.h"
#include "core/midi_bytes.h"
#include "core/song_host.h"
#include "core/track_rows.h"
#include "song/play_images.h"
#include "song/song_doc.h"
#include "song/track_ports.h"

namespace rz {

namespace {

// Swaps a field that holds a change; answers whether it did.
template <class T>
bool exchange(T& change, T& current, T unchanged)
{
    if (change == unchanged)
        return false;
    std::swap(change, current);
    return true;
}

// The same for fields whose exchange has side effects: only a real change counts.
template <class T>
bool exchangeIfDifferent(T& change, T& current, T unchanged)
{
    return change != current && exchange(change, current, unchanged);
}

template <size_t N>
void exchangeAll(std::array<int32_t, N>& change, std::array<int32_t, N>& current, int32_t unchanged)
{
    for (size_t i = 0; i < N; ++i)
        exchange(change[i], current[i], unchanged);
}

void exchangePlayEnabled(CTrackProps& p, CTrack& track, bool soloActive)
{
    if (p.playEnabled == CTrackProps::kUnchangedPlayEnabled)
        return;
    if (soloActive) {
        std::swap(p.playEnabled, track.savedPlayEnabled);
        return;
    }
    const int32_t old = track.playEnabled;
    track.playEnabled = track.savedPlayEnabled = p.playEnabled;
    p.playEnabled = old;
}

void setEventChannels(CTrack& track)
{
    if (track.type == kMetaTrack)
        return; // the meta track plays every message on its own channel
    for (CMidiEvent& event : track.events)
        if (event.kind() < midi::kSysEx)
            event.message = (event.message & ~0xFu) | uint32_t(track.channel & 0xF);
}

void exchangeSettings(CTrackProps& p, CTrack& t)
{
    exchange(p.volume, t.volume, CTrackProps::kUnchangedVolume);
    exchange(p.type, t.type, CTrackProps::kUnchangedSmall);
    exchange(p.inputDevice, t.inputDevice, CTrackProps::kUnchangedSmall);
    exchange(p.inputChannel, t.inputChannel, CTrackProps::kUnchangedSmall);
    exchange(p.bank, t.bank, CTrackProps::kUnchangedSetting);
    exchange(p.patch, t.patch, CTrackProps::kUnchangedSetting);
    exchangeAll(p.initialControllers, t.initialControllers, CTrackProps::kUnchangedSetting);
    exchangeAll(p.rpnValues, t.rpnValues, CTrackProps::kUnchangedSetting);
    exchangeAll(p.channelPressureDest, t.channelPressureDest, CTrackProps::kUnchangedSetting);
    exchangeAll(p.keyPressureDest, t.keyPressureDest, CTrackProps::kUnchangedSetting);
    exchangeAll(p.controllerDest, t.controllerDest, CTrackProps::kUnchangedSetting);
    exchange(p.destController, t.destController, CTrackProps::kUnchangedSetting);
    exchange(p.notationValue, t.notationValue, CTrackProps::kUnchangedSigned);
    exchange(p.timeOffset, t.timeOffset, CTrackProps::kUnchangedTimeOffset);
    exchange(p.velocityOffset, t.velocityOffset, CTrackProps::kUnchangedSigned);
    if (p.color != CTrackProps::kUnchangedColor) {
        const Color old = t.color;
        t.setColor(p.color);
        p.color = old;
    }
}

TrackEventMarks& marksOf(std::vector<TrackEventMarks>& marks, int32_t trackIndex)
{
    auto it = std::find_if(marks.begin(), marks.end(),
                           [&](const TrackEventMarks& m) { return m.trackIndex == trackIndex; });
    if (it != marks.end())
        return *it;
    marks.push_back(TrackEventMarks{trackIndex, {}, {}});
    return marks.back();
}

// A key change resets the events' spellings, a notation change their notation
// attributes. The reset values go in, unless the marks hold what an earlier
// exchange of this record took out; the track's marks go into the store.
void exchangeEventMarks(CTrack& track, bool key, bool notation, TrackEventMarks* stored)
{
    const size_t n = track.events.size();
    TrackEventMarks current{stored != nullptr ? stored->trackIndex : 0, {}, {}};
    for (const CMidiEvent& e : track.events) {
        current.spellings.push_back(e.spelling);
        current.notations.push_back(e.notation);
    }
    const bool restore = stored != nullptr && stored->spellings.size() == n
                         && stored->notations.size() == n;
    for (size_t i = 0; i < n; ++i) {
        if (key)
            track.events[i].spelling = restore ? stored->spellings[i] : kNoSpelling;
        if (notation)
            track.events[i].notation = restore ? stored->notations[i] : 0;
    }
    if (stored != nullptr)
        *stored = std::move(current);
}

} // namespace

void CSongDoc::SwapTrackProps(std::vector<CTrackProps>& props, bool selectRows,
                              std::vector<TrackEventMarks>* marks)
{
    ISongHost& host = m_context.host;
    ITrackRows* rows = selectRows ? m_context.trackRows : nullptr;
    host.setWaitCursor(true);
    if (rows != nullptr)
        rows->SelectNone();
    for (auto& track : tracks)
        track->chased = 1;
    for (CTrackProps& p : props) {
        CTrack& t = *tracks[size_t(p.trackIndex)];
        t.chased = 0;
        if (rows != nullptr) {
            rows->SetCurrentRow(p.trackIndex);
            rows->SelectRow(p.trackIndex, false);
        }
        if (!p.name.empty())
            std::swap(p.name, t.name);
        exchangePlayEnabled(p, t, soloActive);
        exchangeSettings(p, t);
        if (exchangeIfDifferent(p.port, t.port, CTrackProps::kUnchangedSmall))
            LookupPortSynth(t, m_context.profile, m_context.engine, m_context.synths);
        if (exchangeIfDifferent(p.channel, t.channel, CTrackProps::kUnchangedSmall))
            setEventChannels(t);
        const bool notation =
            exchangeIfDifferent(p.notationSetting, t.notationSetting, CTrackProps::kUnchangedSmall);
        const bool key = exchangeIfDifferent(p.key, t.key, CTrackProps::kUnchangedSigned);
        if (key || notation)
            exchangeEventMarks(t, key, notation, marks ? &marksOf(*marks, p.trackIndex) : nullptr);
    }
    RebuildPlayImages(*this, true);
    RestartPlayback();
    host.setWaitCursor(false);
}

void CSongDoc::SwapSongProps(CSongPropsSnapshot& s)
{
    std::swap(format, s.format);
    std::swap(pathName, s.pathName);
    std::swap(title, s.title);
    std::swap(subtitle, s.subtitle);
    std::swap(author, s.author);
    std::swap(copyright, s.copyright);
    std::swap(memo, s.memo);
    std::swap(smpteOffset, s.smpteOffset);
    std::swap(relativeVolume, s.relativeVolume);
    std::swap(performanceTempo, s.performanceTempo);
}

} // namespace rz
