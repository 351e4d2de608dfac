#include "engine/ui/time_entry_edits.h"

#include "song/measure_map.h"
#include "song/song_doc.h"

#include <QSignalBlocker>
#include <QStringList>

#include <string>

namespace rz {

namespace {

// The label FormatTime gives a measure, without its beat and tick.
QString measureLabel(const MeasureRec& m)
{
    QString label = m.number == 0 && m.letter != 0 ? QString() : QString::number(m.number);
    if (m.letter != 0)
        label += QChar(m.letter);
    return label;
}

bool toNumber(const QString& text, int& value)
{
    bool ok = false;
    value = text.trimmed().toInt(&ok);
    return ok;
}

} // namespace

TickPosEdit::TickPosEdit(const CSongDoc& song, QWidget* parent) : QLineEdit(parent), m_song(song)
{
    connect(this, &QLineEdit::textEdited, this, &TickPosEdit::takeText);
}

void TickPosEdit::setTick(int32_t tick)
{
    m_tick = tick;
    std::string text;
    FormatTime(m_song.measureMap, m_song.timeBase, tick, text);
    const QSignalBlocker blocker(this);
    setText(QString::fromStdString(text).trimmed());
}

// A text naming no measure, or a beat or tick past its measure, is left
// standing without moving the position.
void TickPosEdit::takeText(const QString& text)
{
    const QStringList parts = text.split(':');
    int beat = 0;
    int rest = 0;
    if (parts.size() != 3 || !toNumber(parts[1], beat) || !toNumber(parts[2], rest))
        return;
    const QString label = parts[0].trimmed().toUpper();
    for (const MeasureRec& m : m_song.measureMap) {
        if (measureLabel(m) != label)
            continue;
        const int32_t beatTicks = beatLength(m_song.timeBase, m);
        const int64_t offset = int64_t(beat - 1) * beatTicks + rest;
        if (beat < 1 || rest < 0 || rest >= beatTicks || offset >= m.length)
            return;
        m_tick = int32_t(m.start + offset);
        emit tickChanged(m_tick);
        return;
    }
}

SmpteTimeEdit::SmpteTimeEdit(int rate, QWidget* parent)
    : QLineEdit(parent), m_rate(clampSmpteRate(rate)), m_time(0.0, m_rate)
{
    connect(this, &QLineEdit::textEdited, this, &SmpteTimeEdit::takeText);
}

void SmpteTimeEdit::setTime(double time)
{
    m_time.SetTime(time, m_rate);
    const QSignalBlocker blocker(this);
    setText(QString::fromStdString(m_time.Format()));
}

void SmpteTimeEdit::takeText(const QString& text)
{
    const QStringList parts = text.split(':');
    int fields[4] = {};
    if (parts.size() != 4)
        return;
    for (int i = 0; i < 4; ++i) {
        if (!toNumber(parts[i], fields[i]) || fields[i] < 0)
            return;
    }
    m_time = CSmpteTime::fromFields(m_rate, fields[0], fields[1], fields[2], fields[3], 0);
    emit timeChanged(m_time.GetTime());
}

} // namespace rz
