#pragma once

#include <QPointF>
#include <QRect>
#include <QSize>
#include <QWidget>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>

class QPainter;

namespace rz {

// A harp's seven pedals: two bits per pitch class (bits 2 pc and 2 pc + 1).
namespace harp_pedals {

enum Position : uint32_t { kNatural = 0, kFlat = 1, kSharp = 2 };

// C flat, D sharp, the others natural.
inline constexpr uint32_t kInitialState = 33;
inline constexpr int kSlots = 8;
// Left to right; the gap between the feet has none.
inline constexpr std::array<int, kSlots> kSlotPitchClass = {2, 0, 11, -1, 4, 5, 7, 9};
inline constexpr std::array<const char*, kSlots> kSlotLetter = {"D", "C", "B", "", "E", "F", "G", "A"};

Position positionOf(uint32_t state, int pitchClass);
uint32_t withPosition(uint32_t state, int pitchClass, Position position);

// Where everything sits in a window of `size`.
struct Geometry {
    int unit = 0; // a slot's width
    int row = 0;  // a sixth of the height
    int left = 0; // the first slot's left edge

    explicit Geometry(QSize size);
    // The bar of a slot at a position.
    QRect bar(int slot, Position position) const;
    // The box a click in sets a slot to a position.
    QRect box(int slot, Position position) const;
    // Where the letter's centre is.
    QPointF letterCentre(int slot) const;
    // Where a flat or sharp goes: over its own letter, centred in the part
    // of the slot right of the pedal's bar, so no bar crosses it; its top
    // is under the natural line.
    QPointF accidentalAnchor(int slot) const;
};

// The slot and position a click at `point` hits; none in the gap or
// outside every box.
struct Hit {
    int slot = 0;
    Position position = kNatural;
};
std::optional<Hit> hitTest(QSize size, QPoint point);

} // namespace harp_pedals

// The pedal diagram of a harp: seven pedals, each flat, natural or sharp,
// set with a click. A hosting dialog reads and sets the state and gives the
// painter of the flat and sharp signs. GUI thread.
class HarpPedalWnd : public QWidget {
    Q_OBJECT
public:
    static constexpr int kCtrlId = 61643;
    // Draws a flat or a sharp in a font `height` pixels high, centred
    // across on `at.x()`, the top of its cell at `at.y()`.
    using AccidentalPainter = std::function<void(QPainter& painter, QPointF at, int height, bool sharp)>;

    explicit HarpPedalWnd(QWidget* parent = nullptr);

    uint32_t state() const { return m_state; }
    // The host repaints after setting it.
    void setState(uint32_t state) { m_state = state; }
    // Null restores the default (the signs of a text font).
    void setAccidentalPainter(AccidentalPainter painter);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    uint32_t m_state = harp_pedals::kInitialState;
    AccidentalPainter m_accidental;
};

} // namespace rz
