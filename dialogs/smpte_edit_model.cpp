#include "dialogs/smpte_edit_model.h"

#include "core/smpte_time.h"
#include "dialogs/field_values.h"

#include <algorithm>
#include <cstdint>

namespace rz {
namespace {

int rateOf(int rate)
{
    return rate < 0 ? defaultSmpteRate() : clampSmpteRate(rate);
}

std::array<int, 4> fieldsOf(const CSmpteTime& time)
{
    return {time.hours(), time.minutes(), time.seconds(), time.frames()};
}

} // namespace

SmpteEditModel::SmpteEditModel(double time, int rate) : m_time(time), m_rate(rateOf(rate))
{
    refresh();
}

void SmpteEditModel::setTime(double time)
{
    m_time = time;
    refresh();
}

void SmpteEditModel::setRate(int rate)
{
    m_rate = rateOf(rate);
    refresh();
}

void SmpteEditModel::refresh()
{
    if (!(m_time >= 0.0))
        return;
    const std::array<int, 4> fields = fieldsOf(CSmpteTime(m_time, m_rate));
    for (size_t i = 0; i < fields.size(); ++i)
        m_text[i] = std::to_string(fields[i]);
}

bool SmpteEditModel::commit()
{
    if (std::all_of(m_text.begin(), m_text.end(), [](const std::string& t) { return t.empty(); }))
        return false;
    const std::array<int, 4> old = fieldsOf(CSmpteTime(std::max(m_time, 0.0), m_rate));
    const CSmpteTime typed = CSmpteTime::fromFields(m_rate, std::max(typedNumber(m_text[0]), 0),
                                                    typedNumber(m_text[1]), typedNumber(m_text[2]),
                                                    typedNumber(m_text[3]), 0);
    // A total below 0 is 0; the composition keeps huge fields within range.
    const CSmpteTime shown(typed.time(), m_rate);
    m_time = shown.time();
    refresh();
    return fieldsOf(shown) != old;
}

bool SmpteEditModel::step(SmpteField field, int delta)
{
    const int64_t value = int64_t(typedNumber(text(field))) + delta;
    edit(field, std::to_string(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX)));
    if (commit())
        return true;
    // Frames 0 and 1 of second 0 of a drop-frame minute name its first frame,
    // so a step down onto them goes on past them instead of sticking there.
    if (field != SmpteField::Frames || delta > 0 || m_rate != kSmpteRate30Drop)
        return false;
    edit(field, std::to_string(std::max<int64_t>(value - 2, INT32_MIN)));
    return commit();
}

bool SmpteEditModel::stepUp(SmpteField field)
{
    return step(field, 1);
}

bool SmpteEditModel::stepDown(SmpteField field)
{
    return step(field, -1);
}

} // namespace rz
