#pragma once

#include <array>
#include <string>

namespace rz {

// The four fields of a time code.
enum class SmpteField { Hours, Minutes, Seconds, Frames };

// A time code typed as hours, minutes, seconds and frames at one frame rate.
// Fields carry and borrow through the composition, so a step past a field's
// top or below 0 moves the next one; a total below 0 becomes 0. GUI thread.
class SmpteEditModel {
public:
    // time in µs, negative for none (the fields stay empty); a rate below 0
    // is the default rate, one above 4 is clamped.
    SmpteEditModel(double time, int rate);

    double time() const { return m_time; }
    int rate() const { return m_rate; }
    // Both show the time anew (a negative time leaves the fields as they are).
    void setTime(double time);
    void setRate(int rate);

    const std::string& text(SmpteField field) const { return m_text[size_t(field)]; }
    void edit(SmpteField field, std::string text) { m_text[size_t(field)] = std::move(text); }

    // Focus-out parse: composes the fields into the time and shows it. True
    // when the time shows other fields than before (the parent is then told);
    // subframes are dropped either way. All fields empty: nothing happens.
    bool commit();
    // Spin steps: the field's number plus or minus 1, then commit.
    bool stepUp(SmpteField field);
    bool stepDown(SmpteField field);

private:
    void refresh();
    bool step(SmpteField field, int delta);

    double m_time;
    int m_rate;
    std::array<std::string, 4> m_text;
};

} // namespace rz
