#pragma once

#include "staff/model/staff_edit.h"
#include "staff/staff_lines.h"
#include "views/pointer_gesture.h"
#include "views/rubber_band.h"

#include <QCursor>
#include <QObject>
#include <QPoint>
#include <QTimer>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QMenu;
class QPainter;

namespace rz {

class CSongDoc;
class IMidiOut;
class StaffView;
struct StaffToolState;

// The score's mouse tools and keys: selecting by click, band and ruler
// range, dragging notes and texts in time and pitch, drawing notes, chord
// symbols, expression texts, wedges and pedals. Each edit is one undo
// record; a note it sounds is ended on every way out. GUI thread.
class StaffMouse : public QObject {
    Q_OBJECT
public:
    // Drag state bits, which painting and the cursor read; -1 none. The
    // rules of the press, the threshold, the band, the range, the click's
    // selection, the locate memo and the way out are the pointer gesture's.
    static constexpr int kNone = -1;
    static constexpr int kMoveBit = 1;
    static constexpr int kBand = 2;
    static constexpr int kRange = 4;
    static constexpr int kMoving = 8;
    static constexpr int kCopy = 16;
    static constexpr int kPressed = 32;
    static constexpr int kTexts = 128;
    static constexpr int kAutoscrollMs = 50;
    static constexpr int kScrollX = 20;
    static constexpr int kScrollY = 30;
    static constexpr int kKeyScroll = 16;
    static constexpr int kVelocity = 100;
    static constexpr uint32_t kPreviewTag = 0xFFu << 24;

    // Cursor zones.
    enum Zone { kNoZone = -1, kNoteZone = 0, kChordZone = 1, kExpressionZone = 2, kWedgeZone = 3,
                kLyricZone = 4, kPedalZone = 5 };

    explicit StaffMouse(StaffView& view);
    ~StaffMouse() override;

    void press(QPoint client, Qt::KeyboardModifiers modifiers, bool rightHeld = false);
    void move(QPoint client, Qt::KeyboardModifiers modifiers, bool buttonHeld, bool rightHeld = false);
    void release(QPoint client, Qt::KeyboardModifiers modifiers);
    void doubleClick(QPoint client, Qt::KeyboardModifiers modifiers);
    // True when the right press did its own work (a dialog or the lyric
    // editor) and no context menu should follow.
    bool rightPress(QPoint client, Qt::KeyboardModifiers modifiers);
    // True when the key was taken.
    bool key(int key);
    // One beat of the drag autoscroll.
    void tick();
    // Ends a gesture without an edit; a sounding note is ended.
    void cancel();
    // Selects every note of the shown staves.
    void selectAll();

    // The cursor a point shows and its zone.
    static constexpr int kForbidden = -1; // the system's slashed circle
    struct CursorChoice {
        int zone = kNoZone;
        int resource = 0; // 0 the arrow, kForbidden, or a drawn cursor's id
        QCursor cursor() const;
    };
    CursorChoice cursorAt(QPoint client) const;
    // Sets the view's cursor for a point when its shape changes.
    void updateCursor(QPoint client);
    // The band and the note being drawn or dragged, over the score.
    void paintOverlay(QPainter& painter, const QRect& dirty) const;
    // The context menu's entries as actions whose picks run on the view.
    std::unique_ptr<QMenu> contextMenu();

    int dragState() const { return m_state; }
    bool drawing() const { return m_drawing; }
    const QTimer& autoscroll() const { return m_timer; }
    const RubberBand& band() const { return m_band; }
    StaffDragOffset dragOffset() const { return m_offset; }
    const std::vector<StaffDragItem>& dragItems() const { return m_items; }
    // The note being drawn: its staff and written pitch; -1 none.
    int drawPitch() const { return m_drawPitch; }

private:
    CSongDoc* song() const;
    const StaffToolState* tools() const;
    int toolNoteType() const;
    bool drawTool() const;
    bool stopped() const;
    int32_t noteLength() const;
    QPoint toDocument(QPoint client) const;
    QRect bandRect() const;
    int zoneAt(const StaffPoint& point, QPoint client) const;
    std::string markStatusText(const StaffPoint& point, QPoint client) const;

    void pressRuler(QPoint client, Qt::KeyboardModifiers modifiers);
    void pressEmpty(QPoint client, const StaffPoint& point, Qt::KeyboardModifiers modifiers);
    void pressItem(int hit, Qt::KeyboardModifiers modifiers);
    void releaseClick(Qt::KeyboardModifiers modifiers);
    void collectDrag();
    void recomputeSelection();
    void markBand(bool ctrl);
    void commitBand();
    void clearTextMarks();
    bool hitValid(int hit) const;
    bool itemSelected(int hit) const;
    void setItemSelected(int hit, bool on);
    void moveItems(const StaffPoint& point);
    void audition(int staff, int pitch);
    void endAudition();
    void locate(int32_t tick);
    void apply(std::unique_ptr<CUndoRecord> record);
    void refreshViews();
    void endGesture();

    StaffView& m_view;
    QTimer m_timer;
    RubberBand m_band;
    int m_state = kNone;
    bool m_active = false;
    bool m_drawing = false;
    std::optional<PointerGesture> m_gesture; // made on the song of the press
    QPoint m_lastClient;
    Qt::KeyboardModifiers m_lastModifiers = Qt::NoModifier;
    StaffPoint m_pressPoint;
    int m_pressHit = kNoHit;
    int m_pressValue = 16; // the pressed note's value, for the dragged picture
    std::vector<StaffDragItem> m_items;
    StaffDragBox m_box;
    StaffDragOffset m_offset;
    std::vector<std::pair<int, int>> m_markedTexts; // staff, text index
    // The note being drawn and what the audition sounded.
    int m_drawStaff = -1;
    int m_drawPitch = -1;
    uint32_t m_drawMessage = 0;
    IMidiOut* m_port = nullptr;
    std::vector<uint32_t> m_sounding;
    int m_cursorResource = INT32_MIN;
};

} // namespace rz
