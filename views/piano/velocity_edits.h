#pragma once

#include "views/piano/velocity_layout.h"
#include "views/pointer_gesture.h"
#include "views/time_axis.h"

#include <QPoint>
#include <QRect>
#include <Qt>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace rz {

class CSongDoc;
class EventListBuilder;
class RubberBand;
struct CUndoRecord;

// Where things are on the velocity view when the mouse acts: the time
// axis (its left the keyboard's right), the rows and velocity scale (the
// note area's top is the plot's), the ruler's height and the plot.
struct VelocityGeometry {
    TimeAxis axis;
    VelocityLayout layout;
    int rulerHeight = 0;
    int stripWidth = PianoLayout::kNarrowStrip;
    QRect plot;
    int clientWidth = 0;
    int dragDistance = 4; // pixels a press on a head must move before it drags
};

using VelocityPointer = LanePointer;

// A point of a drawn line.
struct VelocityPoint {
    int32_t tick = 0;
    int value = 0;
    bool operator==(const VelocityPoint&) const = default;
};

// The mouse side of the velocity view: selecting notes by their heads or a
// band, the ruler's time range, dragging the selected velocities (offset,
// scale with the Alt role, absolute with Ctrl) and drawing them with a
// straight or free-hand line. Each edit is one undo record of the events;
// one that changes nothing makes none. Note velocities stay within 1..127.
// GUI thread.
class VelocityEdits {
public:
    // Mode bits; painting reads them. All but the line come from the gesture.
    static constexpr uint32_t kLine = 0x1;
    static constexpr uint32_t kBand = PointerGesture::kBandBit;
    static constexpr uint32_t kRuler = PointerGesture::kRulerBit;
    static constexpr uint32_t kDrag = PointerGesture::kDragBit;
    static constexpr uint32_t kPressed = PointerGesture::kHeldBit;
    static constexpr int kHeadRadius = 3;

    struct Hit {
        int shown = -1;   // position in the shown-track list
        size_t index = 0; // event index
        explicit operator bool() const { return shown >= 0; }
    };

    // `repaintLinked` repaints this view's neighbours after a selection change.
    VelocityEdits(CSongDoc& song, RubberBand& band, std::function<void()> repaintLinked = {});
    VelocityEdits(const VelocityEdits&) = delete;
    VelocityEdits& operator=(const VelocityEdits&) = delete;

    void setShownTracks(std::vector<int> shown) { m_shown = std::move(shown); }

    // The tick (snapped from its measure's start while snap is on) and the
    // velocity (0..127) under a point.
    VelocityPoint pointToTickValue(const VelocityGeometry& g, QPoint at) const;
    static QPoint tickValueToPoint(const VelocityGeometry& g, int32_t tick, int value);
    // The 6-pixel square of a head, right and bottom edges outside.
    static QRect headRect(const VelocityGeometry& g, int32_t tick, int velocity);
    // A note's bar; empty when the note has no row.
    static QRect barRect(const VelocityGeometry& g, int32_t tick, int32_t duration, int shownKey);
    Hit hitTestHead(const VelocityGeometry& g, QPoint at) const;

    // True when the press began a gesture that wants the mouse.
    bool press(const VelocityGeometry& g, const VelocityPointer& p);
    void move(const VelocityGeometry& g, const VelocityPointer& p);
    void release(const VelocityGeometry& g, const VelocityPointer& p);
    // The gesture ends without an edit.
    void cancel();
    // A double click in the ruler selects the measure of the song position.
    void doubleClick(const VelocityGeometry& g, const VelocityPointer& p);
    // A right press acts as a click; true when only notes are then selected
    // and Edit > Properties should run.
    bool rightPress(const VelocityGeometry& g, const VelocityPointer& p);

    uint32_t mode() const { return m_mode | m_gesture.modeBits(); }
    bool active() const { return m_gesture.active(); }
    const std::vector<VelocityPoint>& linePoints() const { return m_points; }
    // The velocity a selected note shows while a drag runs.
    int shownVelocity(int velocity) const;
    // Every note of the shown tracks, selected.
    void selectAllNotes();

    // The points of a straight line between two, a grid step apart from the
    // earlier one; the later one's value is reached only on its tick.
    static std::vector<VelocityPoint> straightLine(VelocityPoint a, VelocityPoint b, int32_t gridTicks);
    // A free-hand stroke moved from `previousTick` to `point`: points
    // strictly between go, and one at the same tick is replaced.
    static void freehandTo(std::vector<VelocityPoint>& points, int32_t previousTick, VelocityPoint point);
    // A dragged velocity: `rise` content pixels up over a key area `keyHeight`
    // high; the Alt role scales, Ctrl takes `pointerValue`.
    static int draggedVelocity(int velocity, int rise, int keyHeight, int pointerValue,
                               Qt::KeyboardModifiers modifiers);

private:
    void pressHead(const VelocityPointer& p, const Hit& hit);
    void pressElsewhere(const VelocityGeometry& g, const VelocityPointer& p);
    void rebuildSelection();
    void markBand(const VelocityGeometry& g, const VelocityPointer& p);
    void drawVelocity(int32_t gridTicks);
    void dragVelocity();
    void applyEvents(EventListBuilder& events, const char* label);
    void reset();
    int contentY(const VelocityGeometry& g, int y) const;

    CSongDoc& m_song;
    RubberBand& m_band;
    PointerGesture m_gesture;
    std::vector<int> m_shown;
    uint32_t m_mode = 0;
    int m_pressY = 0; // content pixels
    int m_lastY = 0;  // content pixels
    int m_keyHeight = 1;
    int m_pointerValue = 0;
    Qt::KeyboardModifiers m_modifiers;
    int m_lineKind = -1;
    VelocityPoint m_lineStart;
    int32_t m_previousTick = 0;
    std::vector<VelocityPoint> m_points;
};

} // namespace rz
