#pragma once

#include "dialogs/smpte_edit_model.h"

#include <QWidget>

#include <array>

namespace rz {

class SpinEdit;

// The time code control: hours, minutes, seconds and frames with arrows,
// at one frame rate. GUI thread.
class CSmpteEdit : public QWidget {
    Q_OBJECT
public:
    // time in µs, negative for none.
    CSmpteEdit(double time, int rate, QWidget* parent = nullptr);

    double time() const { return m_model.time(); }
    int rate() const { return m_model.rate(); }
    // Both show the time anew and tell no one.
    void setTime(double time);
    void setRate(int rate);

    SpinEdit* field(SmpteField which) const { return m_fields[size_t(which)]; }

    // The control's width in pixels at a screen's dots per inch.
    static int widthAt(int dpi);

signals:
    // After a focus-out or a step that changed the fields.
    void changed();

private:
    void showText();
    void commit();
    void step(SmpteField which, bool up);

    SmpteEditModel m_model;
    std::array<SpinEdit*, 4> m_fields{};
};

} // namespace rz
