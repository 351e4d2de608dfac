#include "dialogs/time_range_models.h"

#include "core/profile.h"
#include "core/track_rows.h"
#include "dialogs/field_values.h"
#include "dialogs/time_range_defaults.h"
#include "song/clipboard.h"
#include "song/clipboard_edit.h"
#include "song/selection.h"
#include "song/song_doc.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <set>

namespace rz {

namespace d = time_defaults;

namespace {

PercentAmount readAmount(const IProfile& profile, const Setting& on, const Setting& percent, int32_t high)
{
    return {d::readFlag(profile, on), d::read(profile, percent, 0, high)};
}

void writeAmount(IProfile& profile, const Setting& on, const Setting& percent, const PercentAmount& amount)
{
    writeSetting(profile, on, amount.on ? 1 : 0);
    writeSetting(profile, percent, amount.percent);
}

void writeFlag(IProfile& profile, const Setting& row, bool value)
{
    writeSetting(profile, row, value ? 1 : 0);
}

int32_t heldTick(int64_t tick)
{
    return int32_t(std::clamp<int64_t>(tick, 0, kMaxDialogTick));
}

} // namespace

int32_t PercentAmount::ticks(int timeBase, bool boxEnabled) const
{
    if (!on || !boxEnabled)
        return 0;
    return int32_t(std::clamp<int64_t>(percentToTicks(timeBase, percent), INT32_MIN, INT32_MAX));
}

bool selectionOnBeats(const CSongDoc& song)
{
    return isOnBeat(song.measureMap, song.timeBase, song.selectionFrom)
           && isOnBeat(song.measureMap, song.timeBase, song.selectionTo);
}

int selectedRowCount(const CSongDoc& song)
{
    const ITrackRows* rows = song.context().trackRows;
    return rows ? rows->GetSelectedCount() : 0;
}

// ---- Copy Time

CopyTimeModel::CopyTimeModel(const CSongDoc& song, bool controllerViewOpen)
    : m_timeBase(song.timeBase), m_controllerView(controllerViewOpen)
{
    offset = readAmount(song.context().profile, d::kOffsetTime, d::kOffsetTimeTicks, kMaxOffset);
}

CopyTimeParams CopyTimeModel::params() const
{
    return {mode, offset.ticks(m_timeBase)};
}

void CopyTimeModel::save(IProfile& profile) const
{
    writeAmount(profile, d::kOffsetTime, d::kOffsetTimeTicks, offset);
}

// ---- Delete Time

DeleteTimeModel::DeleteTimeModel(const CSongDoc& song)
    : m_timeBase(song.timeBase), m_onBeats(selectionOnBeats(song)), m_anySelected(selectedRowCount(song) > 0)
{
    const IProfile& profile = song.context().profile;
    shiftAll = d::readFlag(profile, d::kDeleteTimeHole);
    cues = d::readFlag(profile, d::kDeleteTimeCues);
    events = d::readFlag(profile, d::kDeleteTimeEvents);
    tempos = d::readFlag(profile, d::kDeleteTimeTempos);
    selectedTracksOnly = m_anySelected;
    measures = m_onBeats && d::readFlag(profile, d::kOffsetMeasures);
    preserveNumbers = m_onBeats && d::readFlag(profile, d::kOffsetMNumbers);
    offset = readAmount(profile, d::kOffsetTime, d::kOffsetTimeTicks, kMaxAmount);
    shorten = readAmount(profile, d::kEventShorten, d::kEventShortenTicks, kMaxAmount);
}

DeleteTimeModel::Enabling DeleteTimeModel::enabling() const
{
    Enabling e{};
    e.kinds = !shiftAll;
    e.selectedTracksOnly = !shiftAll && m_anySelected;
    e.measures = m_onBeats;
    e.preserveNumbers = m_onBeats && measures;
    e.offsetAmount = offset.on;
    e.shortenAmount = shorten.on;
    return e;
}

DeleteTimeParams DeleteTimeModel::params() const
{
    const Enabling e = enabling();
    DeleteTimeParams p;
    p.offset = offset.ticks(m_timeBase);
    p.shorten = shorten.on;
    p.shortenThreshold = shorten.ticks(m_timeBase);
    p.measures = measures && e.measures;
    p.preserveNumbers = preserveNumbers && e.preserveNumbers;
    p.shiftAll = shiftAll;
    p.cues = cues;
    p.events = events;
    p.tempos = tempos;
    p.selectedTracksOnly = selectedTracksOnly && e.selectedTracksOnly;
    return p;
}

void DeleteTimeModel::save(IProfile& profile) const
{
    writeAmount(profile, d::kOffsetTime, d::kOffsetTimeTicks, offset);
    writeAmount(profile, d::kEventShorten, d::kEventShortenTicks, shorten);
    if (m_onBeats) {
        writeFlag(profile, d::kOffsetMeasures, measures);
        writeFlag(profile, d::kOffsetMNumbers, preserveNumbers);
    }
    writeFlag(profile, d::kDeleteTimeHole, shiftAll);
    writeFlag(profile, d::kDeleteTimeCues, cues);
    writeFlag(profile, d::kDeleteTimeEvents, events);
    writeFlag(profile, d::kDeleteTimeTempos, tempos);
}

// ---- Insert Time

InsertTimeModel::InsertTimeModel(const CSongDoc& song) : m_timeBase(song.timeBase)
{
    const int32_t position = std::max(song.position(), 0);
    m_positionTime = smpteTimeOfTick(song, position);
    m_onBeat = isOnBeat(song.measureMap, song.timeBase, position);
    method = m_onBeat ? InsertTimeMethod::Measures : InsertTimeMethod::Ticks;
    count = m_onBeat ? 1 : song.timeBase;
    if (!song.measureMap.empty()) {
        const int m = FindMeasure(song.measureMap, position);
        const MeasureRec& before = song.measureMap[size_t(std::max(m - 1, 0))];
        numerator = before.numerator;
        beatValue = std::countr_zero(unsigned(std::max<int>(before.denominator, 1)));
        beatValue = std::clamp(beatValue, 0, int32_t(kBeatValues.size()) - 1);
        keyIndex = 7 - std::clamp<int32_t>(before.key, -7, 7);
    }
    const IProfile& profile = song.context().profile;
    preserveNumbers = d::readFlag(profile, d::kOffsetMNumbers);
    offset = readAmount(profile, d::kOffsetTime, d::kOffsetTimeTicks, d::kOffsetTimeTicks.max);
    stretch = readAmount(profile, d::kEventStretch, d::kEventStretchTicks, d::kEventStretchTicks.max);
}

InsertTimeModel::Enabling InsertTimeModel::enabling() const
{
    Enabling e{};
    e.otherMethods = m_onBeat;
    e.measureFields = method == InsertTimeMethod::Measures;
    e.smpte = method == InsertTimeMethod::Milliseconds;
    e.offsetAmount = offset.on;
    e.stretchAmount = stretch.on;
    return e;
}

double InsertTimeModel::smpteFor(int32_t ms) const
{
    return m_positionTime + double(ms) * 1000.0;
}

int32_t InsertTimeModel::countFor(double smpte) const
{
    const double ms = std::floor((smpte - m_positionTime + 500.0) / 1000.0);
    if (!(ms > 0.0))
        return 0;
    return int32_t(std::min(ms, double(INT32_MAX)));
}

InsertTimeParams InsertTimeModel::params() const
{
    InsertTimeParams p;
    p.count = count;
    p.method = method;
    p.numerator = numerator;
    p.beatValue = beatValue;
    p.key = 7 - keyIndex;
    p.preserveNumbers = preserveNumbers;
    p.shift = offset.ticks(m_timeBase);
    p.stretch = stretch.on;
    p.stretchThreshold = stretch.ticks(m_timeBase);
    return p;
}

void InsertTimeModel::save(IProfile& profile) const
{
    writeAmount(profile, d::kOffsetTime, d::kOffsetTimeTicks, offset);
    writeAmount(profile, d::kEventStretch, d::kEventStretchTicks, stretch);
    writeFlag(profile, d::kOffsetMNumbers, preserveNumbers);
}

// ---- Paste Time

PasteTimeModel::PasteTimeModel(const CSongDoc& song, const AppClipboard& clipboard, int32_t position)
    : m_song(song), m_anySelected(selectedRowCount(song) > 0)
{
    m_hasCues = !clipboard.cues.empty();
    m_hasTempos = !clipboard.tempos.empty();
    m_hasEvents = std::any_of(clipboard.tracks.begin(), clipboard.tracks.end(),
                              [](const auto& track) { return track && !track->events.empty(); });
    m_hasMeasures = !clipboard.measures.empty();
    cues = m_hasCues;
    tempos = m_hasTempos;
    events = m_hasEvents;
    measures = m_hasMeasures;
    firstCopy = heldTick(position);
    const IProfile& profile = song.context().profile;
    copies = d::read(profile, d::kPasteTimeCopies);
    method = PasteMethod(d::read(profile, d::kPasteTimeMethod));
    preserveNumbers = d::readFlag(profile, d::kOffsetMNumbers);
    offset = readAmount(profile, d::kOffsetTime, d::kOffsetTimeTicks, d::kOffsetTimeTicks.max);
    stretch = readAmount(profile, d::kEventStretch, d::kEventStretchTicks, d::kEventStretchTicks.max);
}

PasteTimeModel::Enabling PasteTimeModel::enabling() const
{
    Enabling e{};
    e.cues = m_hasCues;
    e.tempos = m_hasTempos;
    e.events = m_hasEvents;
    e.measures = m_hasMeasures && isOnBeat(m_song.measureMap, m_song.timeBase, firstCopy);
    e.selectedTracksOnly = m_anySelected;
    e.preserveNumbers = e.measures && measures;
    e.offsetBox = e.stretchBox = method != PasteMethod::Blend;
    e.offsetAmount = e.offsetBox && offset.on;
    e.stretchAmount = e.stretchBox && stretch.on;
    return e;
}

PasteTimeParams PasteTimeModel::params() const
{
    const Enabling e = enabling();
    PasteTimeParams p;
    p.firstCopy = firstCopy;
    p.copies = copies;
    p.method = method;
    p.offset = offset.ticks(m_song.timeBase, e.offsetBox);
    p.stretch = stretch.on && e.stretchBox;
    p.stretchThreshold = stretch.ticks(m_song.timeBase, e.stretchBox);
    p.cues = cues && e.cues;
    p.tempos = tempos && e.tempos;
    p.events = events && e.events;
    p.measures = measures && e.measures;
    p.selectedTracksOnly = selectedTracksOnly && e.selectedTracksOnly;
    p.preserveNumbers = preserveNumbers && e.preserveNumbers;
    return p;
}

void PasteTimeModel::save(IProfile& profile) const
{
    writeSetting(profile, d::kPasteTimeCopies, copies);
    writeSetting(profile, d::kPasteTimeMethod, int32_t(method));
    writeAmount(profile, d::kOffsetTime, d::kOffsetTimeTicks, offset);
    writeAmount(profile, d::kEventStretch, d::kEventStretchTicks, stretch);
    writeFlag(profile, d::kOffsetMNumbers, preserveNumbers);
}

// ---- Paste Events

PasteEventsModel::PasteEventsModel(const CSongDoc& song, const AppClipboard& clipboard, int32_t position)
{
    std::set<uint32_t> sources;
    for (const CMidiEvent& event : clipboard.events)
        sources.insert(std::min<uint32_t>(event.selectionStamp, 255));
    m_sources = int(sources.size());
    for (size_t t = 1; t + 1 < song.tracks.size(); ++t)
        m_selected += isRowSelected(song, t) ? 1 : 0;

    const IProfile& profile = song.context().profile;
    copies = d::read(profile, d::kPasteEventsCopies);
    target = PasteTarget(d::read(profile, d::kPasteEventsTracks));
    if (m_sources != m_selected && target == PasteTarget::SelectedTracks)
        target = m_selected > 0 ? PasteTarget::Mixdown : PasteTarget::SourceTracks;
    if (m_selected < 1)
        target = PasteTarget::SourceTracks;

    const bool range = (song.selectionKind & kSelectTimeRange) && song.selectionTo > song.selectionFrom;
    firstCopy = heldTick(range ? song.selectionFrom : position);
    // The clipboard's own conversion, so that the edit accepts this second copy.
    secondCopy = range ? heldTick(song.selectionTo)
                       : heldTick(firstCopy + fromClipboardTicks(clipboard.span, song.timeBase));
}

PasteEventsModel::Enabling PasteEventsModel::enabling() const
{
    Enabling e{};
    e.selectedTracks = m_selected > 0 && m_sources == m_selected;
    e.mixdown = m_selected > 0;
    e.secondCopy = copies >= 2;
    return e;
}

PasteEventsParams PasteEventsModel::params() const
{
    PasteEventsParams p;
    p.firstCopy = firstCopy;
    p.secondCopy = secondCopy;
    p.copies = copies;
    p.target = target;
    p.onlyNotes = onlyNotes;
    return p;
}

void PasteEventsModel::save(IProfile& profile) const
{
    writeSetting(profile, d::kPasteEventsCopies, copies);
    writeSetting(profile, d::kPasteEventsTracks, int32_t(target));
}

} // namespace rz
