#pragma once

#include <QPoint>
#include <Qt>

#include <cstdint>
#include <functional>

class QMouseEvent;

namespace rz {

class CSongDoc;
class RubberBand;

// One mouse event as a lane editor sees it.
struct LanePointer {
    QPoint at;
    Qt::KeyboardModifiers modifiers = Qt::NoModifier;
    bool rightHeld = false; // the right button drives the gesture
};
LanePointer lanePointerOf(const QMouseEvent& event);

// How far a press on an item must travel before it drags; a move of up to
// `pixels` stays a click.
struct DragThreshold {
    enum class Measure { Manhattan, Square }; // |dx| + |dy|, or the larger of the two
    int pixels = 4;
    Measure measure = Measure::Manhattan;
    bool passedBy(QPoint moved) const;
};

// One press-to-release of the left button in a lane editor, the part every
// editor shares: the press point, the move threshold and the first move that
// turns an item press into a drag, the rubber band, the ruler's time range,
// the Ctrl/Shift selection rule, the locate memo, whether the rows may
// autoscroll, and the way out (release, or abort on Escape, focus loss or a
// lost grab). What a gesture does to its items stays with its editor, which
// asks this object the shared rules. GUI thread.
class PointerGesture {
public:
    enum class Kind {
        None,
        Item,  // a press on an item: a click until the threshold, then a drag
        Band,  // a rubber band from an empty spot
        Ruler, // the song's time range from the ruler band
        Tool,  // the editor's own gesture (draw, keyboard), live from the press
    };
    enum class Step { Idle, Held, FirstMove, Drag };
    // The gesture's part of an editor's mode bits, which painting reads.
    static constexpr uint32_t kBandBit = 0x2;
    static constexpr uint32_t kRulerBit = 0x4;
    static constexpr uint32_t kHeldBit = 0x20;
    static constexpr uint32_t kDragBit = 0x400;

    // `repaintLinked` repaints the views linked to the editor's after a
    // selection change.
    PointerGesture(CSongDoc& song, RubberBand& band, std::function<void()> repaintLinked = {})
        : m_song(song), m_band(band), m_repaintLinked(std::move(repaintLinked))
    {
    }
    PointerGesture(const PointerGesture&) = delete;
    PointerGesture& operator=(const PointerGesture&) = delete;

    // Ends what ran before (aborting it), then starts at `at`; the locate
    // memo starts empty.
    void press(QPoint at);
    // After the press chose its gesture: true when it began one; a press
    // that changed the kind of selection repaints the linked views.
    bool started();
    QPoint pressPoint() const { return m_press; }
    // The contents scrolled by `delta` pixels under the pointer: the press
    // point moves with them.
    void contentsMoved(QPoint delta) { m_press += delta; }
    Kind kind() const { return m_kind; }
    bool active() const { return m_kind != Kind::None; }
    // An item press that has not yet passed the threshold.
    bool held() const { return m_kind == Kind::Item && !m_dragging; }
    bool dragging() const { return m_kind == Kind::Item && m_dragging; }
    uint32_t modeBits() const;
    void repaintLinked() const;

    // A press on an item (the caller selects it afterwards): an unselected
    // item starts a new selection unless Ctrl or Shift adds it (with
    // `plainPressStartsNew` false the new selection waits for the click);
    // Ctrl on an unselected item is remembered, so the click keeps it.
    void pressItem(bool selected, Qt::KeyboardModifiers modifiers, bool plainPressStartsNew = true);
    // An item press released under the threshold: a plain click starts a new
    // selection; true when the item ends selected (Ctrl toggles one it did
    // not just select).
    bool clickItem(Qt::KeyboardModifiers modifiers);
    // Follows the pointer; an item press passes the threshold once (the
    // first move) and drags from then on.
    Step follow(QPoint at, const DragThreshold& threshold);

    // A press on nothing: without Ctrl or Shift the selection is cleared;
    // the band starts at the press.
    void beginBand(Qt::KeyboardModifiers modifiers);
    // The pending change of an item the band does or does not cover: +1
    // select, -1 deselect (Ctrl over a selected item), 0 none.
    static int bandChange(bool inside, bool selected, bool ctrl) { return !inside ? 0 : ctrl && selected ? -1 : 1; }

    // A press in the ruler: the time range starts at `tick`; with Shift and
    // a range, a tick at or before its start extends the start, else the end.
    void beginRuler(int32_t tick, Qt::KeyboardModifiers modifiers);
    // The range runs from the anchor to `tick`; the linked views repaint.
    void dragRuler(int32_t tick);

    // The editor's own gesture, live from the press; `rowsMayScroll` says
    // whether it may autoscroll the rows.
    void beginTool(bool rowsMayScroll);
    // Band and item drags scroll the rows; a tool says so itself.
    bool rowsMayScroll() const;

    // Relocates the song to `tick` unless it is where the gesture last put
    // it or the right button drives the gesture.
    void locate(int32_t tick, bool rightHeld = false);

    // Ends the gesture: a band commits its marks, an empty time range is no
    // range. The editor has applied its edit before.
    void release();
    // Ends the gesture without an edit: a band drops its marks.
    void abort();

private:
    void reset();

    CSongDoc& m_song;
    RubberBand& m_band;
    std::function<void()> m_repaintLinked;
    Kind m_kind = Kind::None;
    QPoint m_press;
    uint32_t m_kindBefore = 0; // the song's selection kind before the press
    bool m_dragging = false;
    bool m_ctrlNew = false;
    bool m_toolScrollsRows = false;
    int32_t m_anchor = -1;
    int32_t m_lastLocate = -1;
};

} // namespace rz
