// Edit > Thin controller data and Randomize of the song document, over the
// walk they share. GUI thread.

#include <algorithm>
#include <array>
#include <cstdlib>

#include "core/edit_dialogs.h"
#include "core/midi_bytes.h"
#include "core/ms_clock.h"
#include "core/track_rows.h"
#include "song/edit_transforms.h"
#include "song/portable_random.h"
#include "song/selection.h"
#include "song/song_doc.h"

namespace rz {

namespace {

constexpr int kKeep = 0;
constexpr int kReplace = 1;
constexpr int kDelete = -1;

// The tracks and the events of each that the walk visits.
struct WalkScope {
    std::vector<size_t> tracks;
    bool range = false;   // events in [from, to)
    bool stamped = false; // events carrying the selection stamp
};

bool rowsNarrowRange(const ITrackRows* rows)
{
    return rows != nullptr && !rows->currentRowMode() && rows->GetSelectedCount() > 0;
}

WalkScope walkScope(const CSongDoc& song)
{
    WalkScope scope;
    const ITrackRows* rows = song.context().trackRows;
    const size_t end = song.tracks.empty() ? 0 : song.tracks.size() - 1;
    scope.range = (song.selectionKind & kSelectTimeRange) != 0;
    scope.stamped = !scope.range && (song.selectionKind & kSelectEvents) != 0;
    for (size_t t = 0; t < end; ++t) {
        if (scope.range && rowsNarrowRange(rows) && !rows->IsRowSelected(int(t)))
            continue;
        if (!scope.range && !scope.stamped && (rows == nullptr || !rows->IsRowSelected(int(t))))
            continue;
        scope.tracks.push_back(t);
    }
    return scope;
}

} // namespace

void CSongDoc::ForEachSelectedEvent(const std::string& label, const EventProc& proc, WalkOrder order)
{
    const WalkScope scope = walkScope(*this);
    const bool lastFirst = order == WalkOrder::LastFirst;
    TransformRecord events;
    std::vector<std::pair<size_t, CMidiEvent>> replaced; // one track's, in walk order
    for (size_t t : scope.tracks) {
        const auto& list = tracks[t]->events;
        proc(nullptr);
        replaced.clear();
        for (size_t i = 0; i < list.size(); ++i) {
            const size_t e = lastFirst ? list.size() - 1 - i : i;
            const CMidiEvent& event = list[e];
            if (scope.range && (event.tick < selectionFrom || event.tick >= selectionTo))
                continue;
            if (scope.stamped && event.selectionStamp != selectionStamp)
                continue;
            CMidiEvent copy = event;
            const int answer = proc(&copy);
            if (answer == kReplace)
                replaced.emplace_back(e, std::move(copy));
            else if (answer == kDelete)
                events.remove(t, e);
        }
        // In track order, so copies that land on one tick keep their order.
        if (lastFirst)
            std::reverse(replaced.begin(), replaced.end());
        for (auto& [index, copy] : replaced)
            events.replace(t, index, std::move(copy));
    }
    if (std::unique_ptr<CUndoRecord> record = transformRecord(*this, label, events.build()))
        ApplyEdit(std::move(record));
}

// ---- Thin controller data

namespace {

// What Thin last kept in each slot (a controller or key number; pressure
// and pitch bend use slot 0), channels together.
class ThinControllerProc {
public:
    explicit ThinControllerProc(const ThinParams& params) : m_params(params) {}

    int operator()(CMidiEvent* event)
    {
        if (event == nullptr) {
            m_seen.fill(false);
            return kKeep;
        }
        if (!matches(*event))
            return kKeep;
        const bool pressureOrBend = midi::isChannelPressure(event->kind()) || midi::isPitchBend(event->kind());
        const size_t slot = pressureOrBend ? 0 : event->data1() & 0x7F;
        const int64_t value = valueOf(*event);
        if (m_seen[slot]) {
            if (m_params.byTime && std::abs(m_lastTick[slot] - event->tick) < m_params.gap)
                return kDelete;
            if (m_params.byValue && std::abs(m_lastValue[slot] - value) < m_params.minimumChange)
                return kDelete;
        }
        m_seen[slot] = true;
        m_lastTick[slot] = event->tick;
        m_lastValue[slot] = value;
        return kKeep;
    }

private:
    bool matches(const CMidiEvent& event) const
    {
        const int status = midi::statusOf(event.kind());
        if (m_params.controller >= 128)
            return midi::isChannelStatus(event.kind()) && status == m_params.controller;
        return status == midi::kControlChange && event.data1() == m_params.controller;
    }

    static int64_t valueOf(const CMidiEvent& event)
    {
        switch (midi::statusOf(event.kind())) {
        case midi::kChannelPressure: return event.data1();
        case midi::kPitchBend: return (int64_t(event.data2()) << 7 | event.data1()) - 8192;
        default: return event.data2();
        }
    }

    const ThinParams& m_params;
    std::array<bool, 128> m_seen{};
    std::array<int64_t, 128> m_lastTick{};
    std::array<int64_t, 128> m_lastValue{};
};

} // namespace

void CSongDoc::OnEditThin()
{
    if (!OnUpdateEditTransform(EditDialog::Thin))
        return;
    std::optional<ThinParams> params = m_context.editDialogs->thin(*this);
    if (!params)
        return;
    params->gap = std::max(params->gap, 0);
    params->minimumChange = std::max(params->minimumChange, 0);
    if (!params->byTime && !params->byValue)
        return;
    // In time order, so a ramp keeps its first value and each event is
    // measured against the last one kept before it.
    ThinControllerProc proc(*params);
    ForEachSelectedEvent("Thin", std::ref(proc), WalkOrder::TimeOrder);
}

// ---- Randomize

namespace {

class RandomizeEventProc {
public:
    RandomizeEventProc(const RandomizeParams& params, uint32_t seed) : m_params(params), m_random(seed) {}

    int operator()(CMidiEvent* event)
    {
        if (event == nullptr) {
            m_lastTick = kLastEditTick;
            return kKeep;
        }
        const bool note = event->isNote();
        if (!m_params.allEvents && !note)
            return kKeep;
        if (m_params.byTime) {
            int64_t tick = std::clamp<int64_t>(int64_t(event->tick) + spread(m_params.timeAmount), 0, kLastEditTick);
            if (m_params.preserveOrder)
                tick = std::min(tick, m_lastTick);
            event->tick = int32_t(tick);
            m_lastTick = tick;
        }
        if (m_params.byValue && note) {
            const int64_t velocity = std::clamp<int64_t>(event->data2() + spread(m_params.velocityAmount), 1, 127);
            event->message = (event->message & ~0xFF0000u) | uint32_t(velocity) << 16;
        }
        return kReplace;
    }

private:
    // A random amount in -amount..amount.
    int64_t spread(int64_t amount) { return int64_t(m_random.next()) * 2 * amount / PortableRandom::kMax - amount; }

    const RandomizeParams& m_params;
    PortableRandom m_random;
    int64_t m_lastTick = kLastEditTick;
};

} // namespace

void CSongDoc::OnEditRandomize()
{
    if (!OnUpdateEditTransform(EditDialog::Randomize))
        return;
    std::optional<RandomizeParams> params = m_context.editDialogs->randomize(*this);
    if (!params)
        return;
    params->timeAmount = std::max(params->timeAmount, 0);
    params->velocityAmount = std::clamp(params->velocityAmount, 0, 127);
    RandomizeEventProc proc(*params, timeGetTime());
    ForEachSelectedEvent("Randomize", std::ref(proc));
}

} // namespace rz
