#pragma once

#include "dialogs/time_pos_model.h"

#include <QWidget>

#include <array>
#include <cstdint>

namespace rz {

class CSongDoc;
class SpinEdit;

// The measure:beat:tick position control every dialog takes a song position
// with: three fields with arrows (only the measure field in measure-only
// mode). It reads the song and never changes it. GUI thread.
class CTimePosCtrl : public QWidget {
    Q_OBJECT
public:
    enum Option : unsigned { MeasureOnly = 1 };

    // A negative tick starts with no position and empty fields.
    CTimePosCtrl(const CSongDoc& song, int32_t tick, unsigned options = 0, QWidget* parent = nullptr);

    // -1 while there is no position.
    int32_t tick() const { return m_model.tick(); }
    // Shows a position; tells no one.
    void setTick(int32_t tick);
    // Shows the position anew, after the song's measures changed.
    void refresh();

    // Null for a field that measure-only mode leaves out.
    SpinEdit* field(TimeField which) const { return m_fields[size_t(which)]; }

signals:
    // After every step and every focus-out of a field, moved or not.
    void changed();

private:
    void addField(TimeField which, int left);
    void showText();
    void step(TimeField which, bool up);

    TimePosModel m_model;
    std::array<SpinEdit*, 3> m_fields{};
};

} // namespace rz
