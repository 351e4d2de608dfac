#include "dialogs/time_pos_model.h"

#include "dialogs/field_values.h"
#include "song/measure_map.h"
#include "song/song_doc.h"

#include <algorithm>

namespace rz {
namespace {

// A measure's ticks; a damaged entry still counts one, so steps move on.
int64_t lengthOf(const MeasureRec& measure)
{
    return std::max<int32_t>(measure.length, 1);
}

int64_t mapEnd(const MeasureMap& map)
{
    return int64_t(map.back().start) + lengthOf(map.back());
}

} // namespace

TimePosModel::TimePosModel(const CSongDoc& song, int32_t tick, bool measureOnly)
    : m_song(song), m_measureOnly(measureOnly)
{
    setTick(tick < 0 ? kNoPosition : tick);
}

void TimePosModel::setTick(int32_t tick)
{
    m_tick = tick;
    refresh();
}

std::string TimePosModel::label(const MeasureRec& measure)
{
    const char letter = measure.letter >= 'a' && measure.letter <= 'z' ? char(measure.letter - 0x20) : measure.letter;
    std::string text = measure.number != 0 ? std::to_string(measure.number) : std::string();
    if (letter != 0)
        text += letter;
    return text;
}

int TimePosModel::fieldWidthAt(int dpi)
{
    return 36 * dpi / 96 + 12;
}

int TimePosModel::gapAt(int dpi)
{
    return 4 * dpi / 96;
}

int TimePosModel::heightAt(int dpi)
{
    return 20 * dpi / 96;
}

int TimePosModel::widthAt(int dpi)
{
    return 3 * (fieldWidthAt(dpi) + gapAt(dpi));
}

int32_t TimePosModel::beatTicks(const MeasureRec& measure) const
{
    return beatLength(m_song.timeBase, measure);
}

// The measure that holds a tick: past the map, the last entry repeated.
TimePosModel::Place TimePosModel::placeOf(int64_t tick) const
{
    const MeasureMap& map = m_song.measureMap;
    const MeasureRec& last = map.back();
    if (tick >= mapEnd(map)) {
        const int64_t length = lengthOf(last);
        return {&last, last.start + (tick - last.start) / length * length};
    }
    const MeasureRec& measure = tick < 0 ? map.front() : map[size_t(FindMeasure(map, int32_t(tick)))];
    return {&measure, measure.start};
}

void TimePosModel::refresh()
{
    const MeasureMap& map = m_song.measureMap;
    if (m_tick < 0 || map.empty())
        return;
    const Place place = placeOf(m_tick);
    const MeasureRec& measure = *place.measure;
    if (m_tick >= mapEnd(map))
        m_text[0] = std::to_string(measure.number + (place.start - measure.start) / lengthOf(measure));
    else
        m_text[0] = label(measure);
    if (m_measureOnly)
        return;
    const int64_t rel = m_tick - place.start;
    const int32_t t = beatTicks(measure);
    m_text[1] = std::to_string(rel / t + 1);
    m_text[2] = std::to_string(rel % t);
}

void TimePosModel::moveTo(int64_t tick)
{
    m_tick = int32_t(std::clamp<int64_t>(tick, 0, kMaxDialogTick));
    refresh();
}

int32_t TimePosModel::number(TimeField field) const
{
    return typedNumber(text(field));
}

void TimePosModel::edit(TimeField field, std::string text)
{
    m_text[size_t(field)] = std::move(text);
    if (m_measureOnly)
        return;
    if (field == TimeField::Measure)
        m_text[1] = "1";
    if (field != TimeField::Tick)
        m_text[2] = "0";
}

void TimePosModel::commit(TimeField field)
{
    switch (field) {
    case TimeField::Measure: commitMeasure(); return;
    case TimeField::Beat: commitBeat(); return;
    case TimeField::Tick: commitTick(); return;
    }
}

// A tick of a whole beat or more is dropped; the beat is taken as typed.
void TimePosModel::commitTick()
{
    if (m_song.measureMap.empty() || (m_tick < 0 && text(TimeField::Tick).empty()))
        return;
    const Place place = placeOf(m_tick);
    const int64_t t = beatTicks(*place.measure);
    int64_t k = number(TimeField::Tick);
    if (k < 0 || k >= t)
        k = 0;
    moveTo(place.start + (int64_t(number(TimeField::Beat)) - 1) * t + k);
}

// A beat outside the meter becomes 1; the tick is taken as typed.
void TimePosModel::commitBeat()
{
    if (m_song.measureMap.empty() || (m_tick < 0 && text(TimeField::Beat).empty()))
        return;
    const Place place = placeOf(m_tick);
    const int64_t t = beatTicks(*place.measure);
    int64_t b = number(TimeField::Beat);
    if (b < 1 || b > place.measure->numerator)
        b = 1;
    moveTo(place.start + (b - 1) * t + number(TimeField::Tick));
}

// The first measure labelled as typed, searching on from the one that holds
// the position and round from the map's start; else a number past the last
// measure counts on in its meter. Anything else keeps the position.
void TimePosModel::commitMeasure()
{
    const MeasureMap& map = m_song.measureMap;
    if (map.empty())
        return;
    const std::string& typed = text(TimeField::Measure);
    const int64_t beat = m_measureOnly ? 1 : number(TimeField::Beat);
    const int64_t tick = m_measureOnly ? 0 : number(TimeField::Tick);
    const auto within = [&](const MeasureRec& measure, int64_t start) {
        const int64_t t = beatTicks(measure);
        const int64_t b = beat < 1 || beat > measure.numerator ? 1 : beat;
        const int64_t k = tick < 0 || tick >= t ? 0 : tick;
        return start + (b - 1) * t + k;
    };
    const size_t first = m_tick < 0 ? 0 : size_t(FindMeasure(map, m_tick));
    for (size_t n = 0; !typed.empty() && n < map.size(); ++n) {
        const MeasureRec& measure = map[(first + n) % map.size()];
        if (label(measure) == typed) {
            moveTo(within(measure, measure.start));
            return;
        }
    }
    const MeasureRec& last = map.back();
    const int64_t number = typedNumber(typed);
    if (number <= last.number) {
        refresh();
        return;
    }
    moveTo(within(last, last.start + (number - last.number) * lengthOf(last)));
}

int64_t TimePosModel::stepped(TimeField field, bool up) const
{
    const MeasureMap& map = m_song.measureMap;
    if (m_tick < 0)
        return m_song.position();
    const int index = FindMeasure(map, m_tick);
    const MeasureRec& measure = map[size_t(index)];
    const MeasureRec& before = map[index > 0 ? size_t(index) - 1 : map.size() - 1];
    const int64_t tick = m_tick;
    const int64_t rel = tick - measure.start;
    const int64_t t = beatTicks(measure);
    const int64_t length = lengthOf(measure);
    switch (field) {
    case TimeField::Tick:
        return up ? tick + 1 : tick - 1;
    case TimeField::Beat:
        if (up)
            return tick - rel % t + t;
        if (rel % t != 0)
            return tick - rel % t;
        if (rel / t != 0)
            return tick - t;
        return index > 0 ? tick - beatTicks(before) : tick;
    case TimeField::Measure:
        if (up)
            return tick - rel % length + length;
        if (rel % length != 0)
            return tick - rel % length;
        return tick - lengthOf(before);
    }
    return tick;
}

void TimePosModel::stepUp(TimeField field)
{
    if (!m_song.measureMap.empty())
        moveTo(stepped(field, true));
}

void TimePosModel::stepDown(TimeField field)
{
    if (!m_song.measureMap.empty())
        moveTo(stepped(field, false));
}

} // namespace rz
