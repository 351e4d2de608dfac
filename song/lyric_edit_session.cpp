#include "song/lyric_edit_session.h"

#include "core/midi_bytes.h"
#include "song/clipboard_edit.h"
#include "song/track.h"
#include "song/undo_record.h"

#include <algorithm>
#include <limits>

namespace rz {

namespace {

constexpr char kLabel[] = "Edit Lyric";
// Meta types of the syllables.
constexpr uint8_t kMetaText = 0x01;
constexpr uint8_t kMetaLyric = 0x05;

bool isSyllable(const CMidiEvent& event)
{
    if (event.kind() != midi::kMeta || (event.data1() != kMetaLyric && event.data1() != kMetaText))
        return false;
    // The program's own texts (markers, titles) are not lyrics.
    const std::span<const uint8_t> bytes = event.data.bytes();
    return bytes.empty() || bytes[0] != '@';
}

} // namespace

LyricEditSession::LyricEditSession(const CTrack& track, int32_t trackIndex, int32_t startEvent, int32_t position)
    : m_trackIndex(trackIndex), m_type(kMetaLyric)
{
    for (size_t i = 0; i < track.events.size(); ++i) {
        const CMidiEvent& event = track.events[i];
        if (!isSyllable(event))
            continue;
        const std::span<const uint8_t> bytes = event.data.bytes();
        if (int32_t(i) == startEvent)
            m_current = int(m_syllables.size());
        m_syllables.push_back({event.tick, std::string(bytes.begin(), bytes.end()), event.data1(), int32_t(i), false});
        m_type = event.data1();
    }
    if (m_current < 0)
        addNew(std::clamp(position, 0, kLastTick));
}

const LyricEditSession::Syllable* LyricEditSession::currentSyllable() const
{
    return m_current >= 0 ? &m_syllables[size_t(m_current)] : nullptr;
}

void LyricEditSession::addNew(int32_t tick)
{
    Syllable added{tick, std::string(kNewSyllable), m_type, -1, true};
    m_syllables.insert(m_syllables.begin() + (m_current + 1), std::move(added));
    ++m_current;
    resort();
}

void LyricEditSession::resort()
{
    auto at = m_syllables.begin() + m_current;
    while (at + 1 != m_syllables.end() && (at + 1)->tick < at->tick) {
        std::iter_swap(at, at + 1);
        ++at;
    }
    while (at != m_syllables.begin() && (at - 1)->tick > at->tick) {
        std::iter_swap(at, at - 1);
        --at;
    }
    m_current = int(at - m_syllables.begin());
}

void LyricEditSession::store(int32_t tick, std::string_view bytes)
{
    if (m_current < 0)
        return;
    Syllable& s = m_syllables[size_t(m_current)];
    tick = std::clamp(tick, 0, kLastTick);
    if (s.tick == tick && s.bytes == bytes)
        return;
    s.bytes = std::string(bytes);
    s.type = m_type;
    s.edited = true;
    if (s.tick != tick) {
        s.tick = tick;
        resort();
    }
}

void LyricEditSession::previous()
{
    if (hasPrevious())
        --m_current;
}

void LyricEditSession::next()
{
    if (hasNext())
        ++m_current;
}

void LyricEditSession::insert(int32_t position)
{
    const Syllable* at = currentSyllable();
    addNew(at ? std::min(at->tick, kLastTick - 1) + 1 : std::clamp(position, 0, kLastTick));
}

void LyricEditSession::remove()
{
    if (m_current < 0)
        return;
    const Syllable& gone = m_syllables[size_t(m_current)];
    if (gone.trackIndex >= 0)
        m_deleted.push_back(gone.trackIndex);
    m_syllables.erase(m_syllables.begin() + m_current);
    m_current = std::min(m_current, int(m_syllables.size()) - 1);
}

std::unique_ptr<CUndoRecord> LyricEditSession::record() const
{
    EventListBuilder builder;
    const auto keyOf = [this](int32_t index) { return uint32_t(m_trackIndex) << 24 | uint32_t(index); };
    for (auto it = m_deleted.rbegin(); it != m_deleted.rend(); ++it)
        builder.remove(keyOf(*it));
    for (auto it = m_syllables.rbegin(); it != m_syllables.rend(); ++it) {
        if (!it->edited)
            continue;
        if (it->trackIndex >= 0)
            builder.remove(keyOf(it->trackIndex));
        CMidiEvent event;
        event.tick = it->tick;
        event.SetMetaData(it->type, std::span(reinterpret_cast<const uint8_t*>(it->bytes.data()), it->bytes.size()));
        builder.insert(std::move(event), placedOn(size_t(m_trackIndex)));
    }
    if (builder.empty())
        return nullptr;
    auto record = std::make_unique<CUndoRecord>();
    record->flags = kUndoEvents;
    record->label = kLabel;
    record->events = builder.build();
    return record;
}

} // namespace rz
