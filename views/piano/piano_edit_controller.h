#pragma once

#include "views/piano/piano_layout.h"
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
class RubberBand;
struct CUndoRecord;

// Where things are on the piano roll when the mouse acts: the time axis
// (its left the strip's right), the pitch rows, the bands above the notes,
// and the cue rectangles (client pixels, one per cue of the song).
struct PianoGeometry {
    TimeAxis axis;
    PianoLayout rows;
    int rulerHeight = 0;
    int stripWidth = PianoLayout::kNarrowStrip;
    QRect plot;            // the note area
    int clientWidth = 0;
    int dragDistance = 4;  // pixels a press must move before it drags
    std::vector<QRect> cueRects;
};

using PianoPointer = LanePointer;

// The mouse editing of the piano roll: selecting, moving, copying and
// resizing notes and cues, drawing notes on the thru tracks, inserting
// cues, the ruler's time range, the band, and the notes the keyboard and
// the drags play. Each gesture ends in at most one undo record. A note it
// plays is ended on every way out: release, cancel and destruction.
// GUI thread.
class PianoEditController {
public:
    // Mode bits; painting reads them. Band, ruler and a press still under
    // the threshold come from the gesture.
    static constexpr uint32_t kDrawOrMove = 0x1;
    static constexpr uint32_t kBand = PointerGesture::kBandBit;
    static constexpr uint32_t kRuler = PointerGesture::kRulerBit;
    static constexpr uint32_t kOutline = 0x8;
    static constexpr uint32_t kCopy = 0x10;
    static constexpr uint32_t kPressed = PointerGesture::kHeldBit;
    static constexpr uint32_t kKeyboard = 0x80;
    static constexpr uint32_t kResize = 0x100;
    static constexpr uint32_t kWholeSong = 0x200;
    static constexpr int kGripPixels = 2;
    static constexpr int kCueKey = 128; // where cues count in the bounding box
    static constexpr int kPreviewVelocity = 100;

    struct Hit {
        enum class Kind { None, Note, Cue };
        Kind kind = Kind::None;
        int shown = -1;   // position in the shown-track list
        size_t index = 0; // event or cue index
        bool grip = false;
        explicit operator bool() const { return kind != Kind::None; }
    };
    // A dragged item: a note as its shown-track position and event index;
    // a cue with shown -1.
    struct DragItem {
        int shown = -1;
        size_t index = 0;
        bool operator==(const DragItem&) const = default;
    };
    // Ticks and shown keys.
    struct Box {
        int32_t left = INT32_MAX;
        int32_t right = INT32_MIN;
        int low = INT32_MAX;
        int high = INT32_MIN;
    };

    // `repaintLinked` repaints this view's neighbours after a selection change.
    PianoEditController(CSongDoc& song, RubberBand& band, std::function<void()> repaintLinked = {});
    ~PianoEditController();
    PianoEditController(const PianoEditController&) = delete;
    PianoEditController& operator=(const PianoEditController&) = delete;

    void setShownTracks(std::vector<int> shown) { m_shown = std::move(shown); }
    const std::vector<int>& shownTracks() const { return m_shown; }

    // The tick under x (snapped while the snap switch is on), never below 0.
    int32_t tickAt(const PianoGeometry& g, int x) const;
    int32_t rawTickAt(const PianoGeometry& g, int x) const;
    Hit hitTest(const PianoGeometry& g, QPoint at) const;
    // The note's rectangle in client pixels.
    QRect noteRect(const PianoGeometry& g, int32_t tick, int32_t duration, int shownKey) const;

    // True when the press began a gesture that wants the mouse.
    bool press(const PianoGeometry& g, const PianoPointer& p);
    void move(const PianoGeometry& g, const PianoPointer& p);
    void release(const PianoGeometry& g, const PianoPointer& p);
    // The gesture ends without an edit (capture lost, focus lost, Escape,
    // the view going away); a sounding note is ended.
    void cancel();
    // A double click; true when the song's Edit > Properties should run.
    bool doubleClick(const PianoGeometry& g, const PianoPointer& p);
    // A right press acts as a left click; true when only notes are then
    // selected and Edit > Properties should run.
    bool rightPress(const PianoGeometry& g, const PianoPointer& p);

    uint32_t mode() const { return m_mode | m_gesture.modeBits(); }
    bool active() const { return m_gesture.active(); }
    // Whether autoscroll may move the rows: notes moved or drawn, or a band.
    bool rowsMayScroll() const { return m_gesture.rowsMayScroll() && !(m_mode & kResize); }
    int previewKey() const { return m_previewKey; }
    uint32_t previewMessage() const { return m_previewMessage; }
    const std::vector<DragItem>& dragList() const { return m_drag; }
    const Box& box() const { return m_box; }
    // The note being drawn, or the key pressed on the keyboard: tick span
    // and shown key; key -1 for none.
    struct Highlight {
        int32_t tick = 0;
        int32_t length = 0;
        int key = -1;
    };
    const Highlight& highlight() const { return m_highlight; }
    // Whether a dragged note is drawn grey while its outline moves.
    bool greysSelection() const { return (m_mode & kOutline) && !(m_mode & kCopy) && !m_gesture.held(); }

    // Every note of the shown tracks and every cue, selected.
    void selectAll();

private:
    void pressItem(const PianoGeometry& g, const PianoPointer& p, const Hit& hit);
    void pressEmpty(const PianoGeometry& g, const PianoPointer& p);
    void collectSelection(const Hit& hit);
    void rebuildSelectionFlags();
    bool itemSelected(const Hit& hit) const;
    void setItemSelected(const Hit& hit, bool on);
    void moveBox(const PianoGeometry& g, const PianoPointer& p);
    void markBand(const PianoGeometry& g, bool ctrl);
    void previewKey(int key, int velocity);
    void endPreview();
    void finishMove();
    void finishResize();
    void finishDraw();
    void applyRecord(std::unique_ptr<CUndoRecord> record);
    void reset();
    int shownKeyOf(int shown, size_t index) const;

    CSongDoc& m_song;
    RubberBand& m_band;
    PointerGesture m_gesture;
    std::vector<int> m_shown;
    uint32_t m_mode = 0;
    int m_previewKey = -1;
    uint32_t m_previewMessage = 0;
    int m_pointerKey = -1;
    Highlight m_highlight;
    std::vector<DragItem> m_drag;
    Box m_box;
    Box m_pressBox;
    int32_t m_pressTick = 0;    // the pointer's tick at the press, on the axis the drop takes
    int m_pressKey = 0;         // the pointer's key at the press
    int m_keyDeltaLow = 0;      // the key delta's range that keeps every key valid
    int m_keyDeltaHigh = 0;
    bool m_onlyCues = false;
};

} // namespace rz
