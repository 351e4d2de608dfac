#pragma once

#include "views/clip/clip_geometry.h"
#include "views/pointer_gesture.h"

#include <QPoint>
#include <Qt>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace rz {

class CSongDoc;
class RubberBand;
struct CUndoRecord;

using ClipPointer = LanePointer;

// The mouse editing of the audio clips of waveform tracks and of the song's
// cues: clicks, the band and the ruler's range select; a drag moves the
// selection in time and, clips only, to other waveform tracks; Ctrl copies,
// each clip with a copy of its wave file; the draw tool inserts cues and
// events. Each gesture ends in at most one undo record. Pure of widgets;
// GUI thread.
class ClipEditController {
public:
    // Mode bits; painting reads them. All but the copy come from the gesture.
    static constexpr uint32_t kBand = PointerGesture::kBandBit;
    static constexpr uint32_t kRuler = PointerGesture::kRulerBit;
    static constexpr uint32_t kDragging = PointerGesture::kDragBit;
    static constexpr uint32_t kCopy = 0x10;
    static constexpr uint32_t kPressed = PointerGesture::kHeldBit;
    static constexpr int32_t kDrawnEventValue = 60;

    // A dragged item: an event as its track row and index; a cue with row -1.
    struct DragItem {
        int row = -1;
        size_t index = 0;
    };
    // Ticks and rows of the dragged set.
    struct Bounds {
        int32_t firstTick = 0;
        int32_t lastTick = 0;
        int firstRow = 0;
        int lastRow = 1;
    };

    // `repaintLinked` repaints the neighbour views after a selection change.
    ClipEditController(CSongDoc& song, RubberBand& band, std::function<void()> repaintLinked = {});
    ~ClipEditController();
    ClipEditController(const ClipEditController&) = delete;
    ClipEditController& operator=(const ClipEditController&) = delete;

    // The tick under x, snapped while the snap switch is on, never below 0.
    int32_t tickAt(const ClipGeometry& g, int x) const;
    // True when the press began a gesture that wants the mouse.
    bool press(const ClipGeometry& g, const ClipPointer& p);
    void move(const ClipGeometry& g, const ClipPointer& p);
    void release(const ClipGeometry& g, const ClipPointer& p);
    void cancel();
    // True when the song's Edit > Properties should run.
    bool doubleClick(const ClipGeometry& g, const ClipPointer& p);
    // A right press on an unselected item clicks it first; true when only
    // cues are then selected and Edit > Properties should run at once.
    bool rightPress(const ClipGeometry& g, const ClipPointer& p);

    uint32_t mode() const { return m_mode | m_gesture.modeBits(); }
    bool active() const { return m_gesture.active(); }
    const std::vector<DragItem>& dragList() const { return m_drag; }
    const Bounds& bounds() const { return m_bounds; }
    int32_t tickDelta() const { return m_tickDelta; }
    int rowDelta() const { return m_rowDelta; }

private:
    void pressItem(const ClipGeometry& g, const ClipPointer& p, int32_t hit);
    void pressEmpty(const ClipGeometry& g, const ClipPointer& p);
    bool hitSelected(int32_t hit) const;
    void setHitSelected(int32_t hit, bool on);
    void collectSelection();
    void moveDrag(const ClipGeometry& g, const ClipPointer& p);
    bool rowsAccept(int delta) const;
    void markBand(const ClipGeometry& g, bool ctrl, bool shift);
    void finishDrag();
    void reset();

    CSongDoc& m_song;
    RubberBand& m_band;
    PointerGesture m_gesture;
    uint32_t m_mode = 0;
    int32_t m_pressTick = 0;
    int m_pressRow = 0;
    int32_t m_pressHit = ClipGeometry::kNoHit;
    bool m_pressAboveLanes = false;
    std::vector<DragItem> m_drag;
    Bounds m_bounds;
    int32_t m_tickDelta = 0;
    int m_rowDelta = 0;
};

} // namespace rz
