#pragma once

#include "core/smpte_time.h"

#include <QLineEdit>

#include <cstdint>

namespace rz {

class CSongDoc;

// A song position typed as " measure:beat:tick", with the song's measure
// labels. GUI thread.
class TickPosEdit : public QLineEdit {
    Q_OBJECT
public:
    TickPosEdit(const CSongDoc& song, QWidget* parent = nullptr);
    void setTick(int32_t tick);
    int32_t tick() const { return m_tick; }
signals:
    // The user typed a position the song has.
    void tickChanged(int32_t tick);

private:
    void takeText(const QString& text);

    const CSongDoc& m_song;
    int32_t m_tick = 0;
};

// A time typed as "h:mm:ss:ff" at one frame rate. GUI thread.
class SmpteTimeEdit : public QLineEdit {
    Q_OBJECT
public:
    SmpteTimeEdit(int rate, QWidget* parent = nullptr);
    // µs.
    void setTime(double time);
    double time() const { return m_time.time(); }
signals:
    void timeChanged(double time);

private:
    void takeText(const QString& text);

    int m_rate;
    CSmpteTime m_time;
};

} // namespace rz
