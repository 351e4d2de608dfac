// The score's mouse tools, keys, cursors and context menu.

#include "staff/staff_mouse.h"

#include "core/edit_dialogs.h"
#include "core/engine_link.h"
#include "core/midi_bytes.h"
#include "core/midi_out.h"
#include "core/song_host.h"
#include "core/track_rows.h"
#include "res/staff_menu.h"
#include "song/clipboard_edit.h"
#include "song/selection.h"
#include "song/song_doc.h"
#include "song/undo_record.h"
#include "song/spelling_tables.h"
#include "song/volume_scale.h"
#include "staff/staff_view.h"
#include "staff/symbols/music_font.h"
#include "staff/symbols/note_symbols.h"
#include "ui/command_router.h"
#include "ui/resource_cursors.h"
#include "ui/zoom_scroll_bar.h"
#include "views/lane_edit_steps.h"
#include "staff/staff_tool_state.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace rz {
namespace {

constexpr int kPedalTool = -2;
constexpr int kWedgeTool = -1;
constexpr int kTextTool = -3;

// The letter steps a key signature alters, in the order it adds them.
constexpr int kSharpSteps[7] = {3, 0, 4, 1, 5, 2, 6};
constexpr int kFlatSteps[7] = {6, 2, 5, 1, 4, 0, 3};

int keyAccidental(int key, int step)
{
    for (int i = 0; i < std::min(std::abs(key), 7); ++i)
        if ((key > 0 ? kSharpSteps[i] : kFlatSteps[i]) == step)
            return key > 0 ? 1 : -1;
    return 0;
}

int foldIntoKeys(int pitch)
{
    while (pitch > 127)
        pitch -= 12;
    while (pitch < 0)
        pitch += 12;
    return pitch;
}

} // namespace

StaffMouse::StaffMouse(StaffView& view) : m_view(view)
{
    m_timer.setInterval(kAutoscrollMs);
    connect(&m_timer, &QTimer::timeout, this, &StaffMouse::tick);
}

StaffMouse::~StaffMouse()
{
    cancel();
}

CSongDoc* StaffMouse::song() const
{
    return m_view.song();
}

const StaffToolState* StaffMouse::tools() const
{
    return m_view.tools();
}

int StaffMouse::toolNoteType() const
{
    const StaffToolState* t = tools();
    return t ? std::clamp(t->noteType, kTextTool, 5) : 2;
}

bool StaffMouse::drawTool() const
{
    const StaffToolState* t = tools();
    return t && t->tool == 1;
}

bool StaffMouse::stopped() const
{
    const CSongDoc* doc = song();
    return doc && doc->context().engine.transportState() == TransportState::Stopped;
}

int32_t StaffMouse::noteLength() const
{
    const CSongDoc* doc = song();
    const int timeBase = doc ? std::max<int>(doc->timeBase, 1) : 480;
    const StaffToolState* t = tools();
    if (t && t->duration > 0)
        return t->duration;
    const int type = std::clamp(toolNoteType(), 0, 5);
    return std::max(4 * timeBase >> type, 1);
}

QPoint StaffMouse::toDocument(QPoint client) const
{
    const QRect area = m_view.notationRect();
    return QPoint(client.x() - area.left() + m_view.m_originX, client.y() - area.top() + m_view.m_originY);
}

QRect StaffMouse::bandRect() const
{
    return m_band.rect();
}

// The cursor zone of a point on a staff: texts and wedges above or below
// the notes of the measure under the mouse, by the tool's note type.
int StaffMouse::zoneAt(const StaffPoint& point, QPoint client) const
{
    const StaffModel& model = m_view.m_model;
    if (point.staff < 0 || size_t(point.staff) >= model.staves.size() || model.measures.empty())
        return kNoZone;
    const CStaffTrack& staff = model.staves[size_t(point.staff)];
    const int type = toolNoteType();
    if (type >= 0)
        return point.pitch >= 0 ? kNoteZone : kNoZone;
    int cache = m_view.m_measureCache;
    const int m = std::clamp(MeasureAtX(model, toDocument(client).x(), cache), 0,
                             int(model.measures.size()) - 1);
    const int lo = size_t(m) < staff.lowestUsed.size() ? staff.lowestUsed[size_t(m)] : -4;
    const int hi = size_t(m) < staff.highestUsed.size() ? staff.highestUsed[size_t(m)] : 4;
    const int p = point.position;
    const bool upper = !staff.lowerStaff;
    const bool lower = !staff.grandStaff || staff.lowerStaff;
    switch (type) {
    case kTextTool:
        if (!upper)
            return kNoZone;
        if (hi + 2 < p && p < hi + 12)
            return kChordZone;
        if (lo - 6 <= p && p < lo - 1)
            return kLyricZone;
        if (lo - 10 <= p && p < lo - 6)
            return kExpressionZone;
        return kNoZone;
    case kPedalTool: return lower && lo - 8 <= p && p < lo - 4 ? kPedalZone : kNoZone;
    case kWedgeTool: return upper && lo - 6 <= p && p < lo - 3 ? kWedgeZone : kNoZone;
    default: return kNoZone;
    }
}

// A mark tool's zone lies off the notes, where a pitch means nothing: the
// status line names the zone under the pointer, or says where the tool's is.
std::string StaffMouse::markStatusText(const StaffPoint& point, QPoint client) const
{
    switch (zoneAt(point, client)) {
    case kChordZone: return "Chord symbol @ " + statusTimeText(*song(), point.tick);
    case kLyricZone: return "Lyric @ " + statusTimeText(*song(), point.tick);
    case kExpressionZone: return "Expression text @ " + statusTimeText(*song(), point.tick);
    case kWedgeZone: return "Wedge @ " + statusTimeText(*song(), point.tick);
    case kPedalZone: return "Sustain pedal @ " + statusTimeText(*song(), point.tick);
    default: break;
    }
    switch (toolNoteType()) {
    case kWedgeTool: return "Wedge: under the notes";
    case kPedalTool: return "Sustain pedal: under the notes";
    default: return "Chord symbol above the notes; lyric, then expression text under them";
    }
}

StaffMouse::CursorChoice StaffMouse::cursorAt(QPoint client) const
{
    const CSongDoc* doc = song();
    if (!doc || m_view.leadSheet() || !stopped() || doc->context().host.performanceMode() || !drawTool()
        || !m_view.notationRect().contains(client) || (m_state > 0 && (m_state & kMoving)))
        return {kNoZone, 0};
    const QPoint at = toDocument(client);
    if (m_state == kNone && HitTest(m_view.m_model, at.x(), at.y()) != kNoHit)
        return {kNoZone, 0};
    const int zone = zoneAt(m_view.pointToTime(client), client);
    switch (zone) {
    case kChordZone: return {zone, kCursorChord};
    case kLyricZone: return {zone, kCursorLyric};
    case kExpressionZone: return {zone, kCursorExpression};
    case kNoteZone:
    case kPedalZone:
    case kWedgeZone: return {zone, kCursorDrawLine};
    default: return {kNoZone, kForbidden};
    }
}

QCursor StaffMouse::CursorChoice::cursor() const
{
    if (resource == kForbidden)
        return QCursor(Qt::ForbiddenCursor);
    return resource == 0 ? QCursor(Qt::ArrowCursor) : drawnCursor(resource);
}

// The shape changes only when the zone does: the drawn ones are pictures.
void StaffMouse::updateCursor(QPoint client)
{
    const CursorChoice choice = cursorAt(client);
    if (choice.resource == m_cursorResource)
        return;
    m_cursorResource = choice.resource;
    m_view.setCursor(choice.cursor());
}

void StaffMouse::press(QPoint client, Qt::KeyboardModifiers modifiers, bool rightHeld)
{
    CSongDoc* doc = song();
    if (!doc || m_view.leadSheet() || m_view.m_model.staves.empty() || doc->context().host.performanceMode())
        return;
    const QRect area = m_view.notationRect();
    const int header = m_view.m_metrics.headerWidth;
    const bool inRuler = client.y() < m_view.m_rulerHeight;
    if ((client.x() < header && !inRuler) || client.x() > area.right() || client.y() > area.bottom())
        return;
    if (!rightHeld)
        m_view.setFocus();
    if (!stopped()) {
        if (client.x() >= header)
            doc->context().engine.Play(std::max(m_view.pointToTime(client).tick, 0));
        return;
    }
    cancel();
    const uint32_t kindBefore = doc->selectionKind;
    m_gesture.emplace(*doc, m_band, [this] { m_view.QWidget::update(); });
    m_gesture->press(client);
    m_lastClient = client;
    m_lastModifiers = modifiers;
    m_state = kNone;
    const QPoint clamped(std::max(client.x(), area.left()), client.y());
    m_pressPoint = m_view.pointToTime(clamped);
    if (inRuler) {
        if (client.x() < header) {
            selectAll();
            refreshViews();
            return;
        }
        pressRuler(client, modifiers);
    } else {
        const QPoint at = toDocument(client);
        const int hit = HitTest(m_view.m_model, at.x(), at.y());
        if (hit == kNoHit)
            pressEmpty(client, m_pressPoint, modifiers);
        else
            pressItem(hit, modifiers);
    }
    if (m_drawing)
        m_gesture->beginTool(false);
    if (!m_gesture->active())
        return;
    m_active = true;
    if (kindBefore != doc->selectionKind)
        doc->context().host.UpdateAllViews();
    m_timer.start();
    move(client, modifiers, true, rightHeld);
}

void StaffMouse::pressRuler(QPoint client, Qt::KeyboardModifiers modifiers)
{
    m_gesture->beginRuler(m_view.pointToTime(client).tick, modifiers);
    m_state = kRange;
    m_view.QWidget::update();
}

void StaffMouse::pressEmpty(QPoint client, const StaffPoint& point, Qt::KeyboardModifiers modifiers)
{
    CSongDoc& doc = *song();
    if (!drawTool()) {
        m_gesture->beginBand(modifiers);
        m_state = kBand;
        m_view.QWidget::update();
        return;
    }
    const int zone = zoneAt(point, client);
    if (point.staff < 0 || zone == kNoZone)
        return;
    const CStaffTrack& staff = m_view.m_model.staves[size_t(point.staff)];
    const int track = staff.track;
    IEditDialogs* dialogs = doc.context().editDialogs;
    const int32_t tick = std::max(point.tick, 0);
    switch (toolNoteType()) {
    case kPedalTool: apply(pedalRecord(doc, track, tick)); return;
    case kWedgeTool: {
        if (!dialogs || !dialogs->has(EditDialog::Wedge))
            return;
        WedgeParams start;
        start.begin = tick;
        start.end = int32_t(std::min<int64_t>(int64_t(tick) + doc.timeBase, kLastEditTick));
        start.direction = 1;
        start.track = track;
        const std::optional<WedgeParams> wedge = dialogs->wedge(doc, start);
        if (wedge)
            apply(wedgeRecord(doc, track, *wedge));
        return;
    }
    case kTextTool:
        if (zone == kChordZone) {
            if (!dialogs || !dialogs->has(EditDialog::Chord))
                return;
            ChordParams start;
            start.tick = tick;
            start.track = track;
            const std::optional<ChordParams> chord = dialogs->chord(doc, start);
            if (!chord)
                return;
            // The dialog's position wins: it may have been changed there.
            doc.context().engine.LocateSong(doc, std::max(chord->tick, 0));
            apply(chordRecord(doc, track, *chord, noteLength()));
        } else if (zone == kExpressionZone) {
            if (!dialogs || !dialogs->has(EditDialog::ExpressionText))
                return;
            ExpressionTextParams start;
            start.tick = tick;
            start.track = track;
            const std::optional<ExpressionTextParams> text = dialogs->expressionText(doc, start);
            if (text)
                apply(expressionRecord(doc, track, *text));
        } else if (zone == kLyricZone) {
            doc.context().engine.LocateSong(doc, tick);
            doc.context().host.UpdateAllViews();
            m_view.openLyricEdit(point.staff, 0);
        }
        return;
    default:
        if (point.pitch < 0)
            return;
        m_drawing = true;
        m_drawStaff = point.staff;
        m_drawPitch = -1;
        m_drawMessage = 0;
        return;
    }
}

// A hit still names an item of the model (a rebuild may have come between).
bool StaffMouse::hitValid(int hit) const
{
    const StaffModel& model = m_view.m_model;
    const CSongDoc* doc = song();
    if (!doc || hit == kNoHit || size_t(hitStaff(hit)) >= model.staves.size())
        return false;
    const CStaffTrack& staff = model.staves[size_t(hitStaff(hit))];
    if (staff.track <= 0 || size_t(staff.track) + 1 >= doc->tracks.size())
        return false;
    return hitIsText(hit) ? size_t(hitIndex(hit)) < staff.texts.size() : size_t(hitIndex(hit)) < staff.spans.size();
}

bool StaffMouse::itemSelected(int hit) const
{
    if (!hitValid(hit))
        return false;
    const CSongDoc& doc = *song();
    const CStaffTrack& staff = m_view.m_model.staves[size_t(hitStaff(hit))];
    const auto& events = doc.tracks[size_t(staff.track)]->events;
    const int event = hitIsText(hit) ? staff.texts[size_t(hitIndex(hit))].eventIndex
                                     : staff.spans[size_t(hitIndex(hit))].eventIndex;
    return event >= 0 && size_t(event) < events.size()
           && events[size_t(event)].selectionStamp == doc.selectionStamp;
}

// The stamp goes into the event and its record in the model, which painting reads.
void StaffMouse::setItemSelected(int hit, bool on)
{
    if (!hitValid(hit))
        return;
    CSongDoc& doc = *song();
    CStaffTrack& staff = m_view.m_model.staves[size_t(hitStaff(hit))];
    auto& events = doc.tracks[size_t(staff.track)]->events;
    const uint32_t stamp = on ? doc.selectionStamp : doc.selectionStamp - 1;
    int event = -1;
    if (hitIsText(hit)) {
        CStaffText& text = staff.texts[size_t(hitIndex(hit))];
        text.selectionStamp = stamp;
        event = text.eventIndex;
    } else {
        CStaffSpan& span = staff.spans[size_t(hitIndex(hit))];
        span.selectionStamp = stamp;
        event = span.eventIndex;
    }
    if (event >= 0 && size_t(event) < events.size())
        events[size_t(event)].selectionStamp = stamp;
}

void StaffMouse::pressItem(int hit, Qt::KeyboardModifiers modifiers)
{
    m_state = kPressed | ((modifiers & Qt::ControlModifier) ? kCopy : 0);
    m_pressHit = hit;
    m_pressValue = 16;
    if (!hitIsText(hit))
        for (const auto& beat : m_view.m_model.staves[size_t(hitStaff(hit))].voices)
            for (const auto& note : beat->notes)
                for (const CStaffItem& item : note->items)
                    if (item.span == hitIndex(hit))
                        m_pressValue = note->value;
    const bool selected = itemSelected(hit);
    m_gesture->pressItem(selected, modifiers);
    if (!selected)
        setItemSelected(hit, true);
    collectDrag();
    if (m_box.texts)
        m_state |= kTexts;
    recomputeSelection();
    m_view.QWidget::update();
}

// Every selected note and text of the shown staves, with their box.
void StaffMouse::collectDrag()
{
    const CSongDoc& doc = *song();
    m_items.clear();
    const StaffModel& model = m_view.m_model;
    for (size_t s = 0; s < model.staves.size(); ++s) {
        const CStaffTrack& staff = model.staves[s];
        if (staff.track <= 0 || size_t(staff.track) + 1 >= doc.tracks.size())
            continue;
        const auto& events = doc.tracks[size_t(staff.track)]->events;
        const auto selected = [&](int e) {
            return e >= 0 && size_t(e) < events.size() && events[size_t(e)].selectionStamp == doc.selectionStamp;
        };
        for (size_t i = 0; i < staff.spans.size(); ++i)
            if (selected(staff.spans[i].eventIndex) && events[size_t(staff.spans[i].eventIndex)].isNote())
                m_items.push_back({int(s), int(i), false});
        for (size_t i = 0; i < staff.texts.size(); ++i)
            if (staff.texts[i].kind >= kChordSymbolText && staff.texts[i].kind <= kLyricText
                && selected(staff.texts[i].eventIndex))
                m_items.push_back({int(s), int(i), true});
    }
    m_box = dragBoxOf(doc, model, m_items);
    m_offset = {};
}

// The song's range and kind from what the shown staves hold selected.
void StaffMouse::recomputeSelection()
{
    CSongDoc& doc = *song();
    int64_t from = INT64_MAX;
    int64_t to = INT64_MIN;
    for (const CStaffTrack& staff : m_view.m_model.staves) {
        if (staff.track <= 0 || size_t(staff.track) + 1 >= doc.tracks.size())
            continue;
        const auto& events = doc.tracks[size_t(staff.track)]->events;
        const auto take = [&](int e) {
            if (e < 0 || size_t(e) >= events.size() || events[size_t(e)].selectionStamp != doc.selectionStamp)
                return;
            const CMidiEvent& event = events[size_t(e)];
            from = std::min<int64_t>(from, event.tick);
            to = std::max<int64_t>(to, int64_t(event.tick) + (event.isNote() ? event.value2 : 0));
        };
        for (const CStaffSpan& span : staff.spans)
            take(span.eventIndex);
        for (const CStaffText& text : staff.texts)
            if (text.kind >= kChordSymbolText && text.kind <= kLyricText)
                take(text.eventIndex);
    }
    if (from > to) {
        doc.selectionKind = 0;
        doc.selectionFrom = doc.selectionTo = -1;
        return;
    }
    doc.selectionKind = kSelectEvents;
    doc.selectionFrom = int32_t(from);
    doc.selectionTo = int32_t(std::min<int64_t>(to, kLastEditTick));
}

void StaffMouse::selectAll()
{
    CSongDoc* doc = song();
    if (!doc)
        return;
    ++doc->selectionStamp;
    for (CStaffTrack& staff : m_view.m_model.staves) {
        if (staff.track <= 0 || size_t(staff.track) + 1 >= doc->tracks.size())
            continue;
        auto& events = doc->tracks[size_t(staff.track)]->events;
        for (CStaffSpan& span : staff.spans) {
            if (span.eventIndex < 0 || size_t(span.eventIndex) >= events.size())
                continue;
            events[size_t(span.eventIndex)].selectionStamp = doc->selectionStamp;
            span.selectionStamp = doc->selectionStamp;
        }
    }
    recomputeSelection();
    m_view.QWidget::update();
}

void StaffMouse::move(QPoint client, Qt::KeyboardModifiers modifiers, bool buttonHeld, bool rightHeld)
{
    CSongDoc* doc = song();
    if (!doc || m_view.leadSheet() || m_view.m_model.staves.empty())
        return;
    const QRect area = m_view.notationRect();
    m_lastClient = client;
    m_lastModifiers = modifiers;
    const QPoint clamped(std::max(client.x(), area.left()), client.y());
    const StaffPoint point = m_view.pointToTime(clamped);
    ISongHost& host = doc->context().host;
    if (point.staff >= 0 && point.pitch >= 0) {
        const CStaffTrack& staff = m_view.m_model.staves[size_t(point.staff)];
        const int m = measureOfTick(m_view.m_model, point.tick);
        int key = m_view.m_model.measures.empty() ? 0 : m_view.m_model.measures[size_t(m)].song.key;
        if (staff.track > 0 && size_t(staff.track) < doc->tracks.size())
            key = doc->tracks[size_t(staff.track)]->MapPitch(std::clamp(key, -7, 7));
        host.SetStatusText(pitchStatusText(*doc, point.pitch, key, point.tick));
    }
    if (point.staff >= 0 && drawTool() && toolNoteType() < 0)
        host.SetStatusText(markStatusText(point, clamped));
    if (!m_active)
        return;
    if (m_gesture->kind() == PointerGesture::Kind::Ruler)
        m_gesture->dragRuler(point.tick);
    const DragThreshold threshold{QApplication::startDragDistance(), DragThreshold::Measure::Square};
    if (m_gesture->follow(client, threshold) == PointerGesture::Step::FirstMove)
        m_state = (m_state & ~kPressed) | kMoveBit | kMoving;
    if (m_state > 0 && (m_state & kMoving))
        moveItems(point);
    if (m_drawing && point.staff == m_drawStaff && point.pitch >= 0 && point.pitch != m_drawPitch)
        audition(point.staff, point.pitch);
    if (buttonHeld && !rightHeld) {
        locate(point.tick);
        if (m_state > 0 && (m_state & kBand)) {
            m_band.moveTo(client);
            markBand(modifiers & Qt::ControlModifier);
            m_view.QWidget::update();
        }
    }
}

void StaffMouse::moveItems(const StaffPoint& point)
{
    StaffDragOffset wanted;
    wanted.ticks = int64_t(point.tick) - m_pressPoint.tick;
    if (point.staff >= 0 && m_pressPoint.staff >= 0) {
        wanted.staves = point.staff - m_pressPoint.staff;
        if (!(m_state & kTexts) && point.pitch >= 0 && m_pressPoint.pitch >= 0)
            wanted.pitch = point.pitch - m_pressPoint.pitch;
    }
    const StaffDragOffset next = limitDrag(m_box, wanted, int(m_view.m_model.staves.size()));
    if (next == m_offset)
        return;
    m_offset = next;
    m_view.QWidget::update();
}

void StaffMouse::markBand(bool ctrl)
{
    CSongDoc& doc = *song();
    const QRect band = bandRect().adjusted(-2, -2, 2, 2);
    const QRect area = m_view.notationRect();
    const QPoint shift(area.left() - m_view.m_originX, area.top() - m_view.m_originY);
    const auto centre = [&](const StaffRect& r) {
        return QPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2) + shift;
    };
    for (CStaffTrack& staff : m_view.m_model.staves) {
        if (staff.track <= 0 || size_t(staff.track) + 1 >= doc.tracks.size())
            continue;
        auto& events = doc.tracks[size_t(staff.track)]->events;
        for (const auto& beat : staff.voices) {
            for (const auto& note : beat->notes) {
                if (note->rest)
                    continue;
                for (const CStaffItem& item : note->items) {
                    if (item.span < 0 || size_t(item.span) >= staff.spans.size())
                        continue;
                    CStaffSpan& span = staff.spans[size_t(item.span)];
                    if (span.eventIndex < 0 || size_t(span.eventIndex) >= events.size())
                        continue;
                    CMidiEvent& event = events[size_t(span.eventIndex)];
                    const bool inside = item.rect.right > item.rect.left && band.contains(centre(item.rect));
                    const int change = !inside ? 0 : ctrl && event.selectionStamp == doc.selectionStamp ? -1 : 1;
                    if (change != event.pendingChange)
                        m_band.markEvent(event, change);
                    span.flag = change;
                }
            }
        }
        for (size_t t = 0; t < staff.texts.size(); ++t) {
            CStaffText& text = staff.texts[t];
            if (text.eventIndex < 0 || size_t(text.eventIndex) >= events.size() || text.kind < kChordSymbolText
                || text.kind > kLyricText)
                continue;
            const bool selected = events[size_t(text.eventIndex)].selectionStamp == doc.selectionStamp;
            const bool inside = text.rect.right > text.rect.left && band.contains(centre(text.rect));
            const int change = !inside ? 0 : ctrl && selected ? -1 : 1;
            if (change != 0 && text.pendingChange == 0)
                m_markedTexts.push_back({int(&staff - m_view.m_model.staves.data()), int(t)});
            text.pendingChange = change;
        }
    }
}

void StaffMouse::commitBand()
{
    CSongDoc& doc = *song();
    for (const auto& [s, t] : m_markedTexts) {
        if (size_t(s) >= m_view.m_model.staves.size() || size_t(t) >= m_view.m_model.staves[size_t(s)].texts.size())
            continue;
        CStaffText& text = m_view.m_model.staves[size_t(s)].texts[size_t(t)];
        if (text.pendingChange != 0)
            setItemSelected(s << 24 | kHitText | t, text.pendingChange > 0);
    }
    clearTextMarks();
    m_gesture->release();
    for (CStaffTrack& staff : m_view.m_model.staves)
        for (CStaffSpan& span : staff.spans) {
            if (span.flag == 0)
                continue;
            span.selectionStamp = span.flag > 0 ? doc.selectionStamp : doc.selectionStamp - 1;
            span.flag = 0;
        }
    recomputeSelection();
}

void StaffMouse::clearTextMarks()
{
    for (const auto& [s, t] : m_markedTexts)
        if (size_t(s) < m_view.m_model.staves.size() && size_t(t) < m_view.m_model.staves[size_t(s)].texts.size())
            m_view.m_model.staves[size_t(s)].texts[size_t(t)].pendingChange = 0;
    m_markedTexts.clear();
}

void StaffMouse::release(QPoint client, Qt::KeyboardModifiers modifiers)
{
    if (!m_active)
        return;
    CSongDoc& doc = *song();
    move(client, modifiers, true);
    m_timer.stop();
    endAudition();
    const int state = m_state;
    if (state > 0 && (state & kPressed)) {
        releaseClick(modifiers);
    } else if (state > 0 && (state & kMoveBit) && (state & kMoving)) {
        apply(dragRecord(doc, m_view.m_model, m_items, m_offset, state & kCopy));
    } else if (m_drawing && m_drawMessage != 0 && size_t(m_drawStaff) < m_view.m_model.staves.size()) {
        apply(drawNoteRecord(doc, m_view.m_model.staves[size_t(m_drawStaff)], m_drawMessage,
                             std::max(m_pressPoint.tick, 0), noteLength()));
    }
    if (m_gesture->kind() == PointerGesture::Kind::Band)
        commitBand();
    else
        m_gesture->release();
    endGesture();
    refreshViews();
}

void StaffMouse::releaseClick(Qt::KeyboardModifiers modifiers)
{
    if (m_pressHit == kNoHit)
        return;
    setItemSelected(m_pressHit, m_gesture->clickItem(modifiers));
    recomputeSelection();
}

void StaffMouse::apply(std::unique_ptr<CUndoRecord> record)
{
    if (record)
        song()->ApplyEdit(std::move(record));
}

void StaffMouse::refreshViews()
{
    if (CSongDoc* doc = song())
        doc->context().host.UpdateAllViews();
    m_view.QWidget::update();
}

void StaffMouse::endGesture()
{
    m_timer.stop();
    if (m_gesture)
        m_gesture->abort();
    clearTextMarks();
    m_state = kNone;
    m_active = false;
    m_drawing = false;
    m_drawStaff = -1;
    m_drawPitch = -1;
    m_drawMessage = 0;
    m_pressHit = kNoHit;
    m_items.clear();
    m_offset = {};
}

void StaffMouse::cancel()
{
    endAudition();
    endGesture();
}

// Through the gesture's memo, which outlives its release.
void StaffMouse::locate(int32_t tick)
{
    if (m_gesture) {
        m_gesture->locate(std::max(tick, 0));
        return;
    }
    CSongDoc& doc = *song();
    doc.context().engine.LocateSong(doc, std::max(tick, 0));
}

// The drawn pitch sounds on the staff's track: transposed as the track
// plays, folded into the keys, tagged as a preview.
void StaffMouse::audition(int staffIndex, int pitch)
{
    endAudition();
    CSongDoc& doc = *song();
    if (size_t(staffIndex) >= m_view.m_model.staves.size())
        return;
    const CStaffTrack& staff = m_view.m_model.staves[size_t(staffIndex)];
    m_drawPitch = pitch;
    if (staff.track <= 0 || size_t(staff.track) + 1 >= doc.tracks.size())
        return;
    CTrack& track = *doc.tracks[size_t(staff.track)];
    const int channel = track.channel & 15;
    m_drawMessage = midi::noteOn(channel, pitch, kVelocity);
    if (!track.outputPort)
        return;
    track.SendInitialControllers(VolumeScale{doc.relativeVolume, doc.context().engine.masterVolume()});
    const uint32_t sounding = midi::noteOn(channel, foldIntoKeys(pitch + track.key), kVelocity);
    m_port = track.outputPort;
    m_port->SendShort(kPreviewTag | sounding);
    m_sounding.push_back(sounding);
}

void StaffMouse::endAudition()
{
    if (m_port)
        for (const uint32_t note : m_sounding)
            m_port->SendShort(kPreviewTag | (note & 0xFFFF));
    m_sounding.clear();
    m_port = nullptr;
}

void StaffMouse::tick()
{
    if (!m_active)
        return;
    const QRect area = m_view.notationRect();
    const StaffLines& lines = m_view.m_lines;
    const QPoint at = m_lastClient;
    const int oldX = m_view.m_originX;
    const int oldY = m_view.m_originY;
    if (at.x() < area.left())
        m_view.setHorzPos(std::max(oldX - kScrollX, 0));
    else if (at.x() > area.right())
        m_view.setHorzPos(std::min(oldX + kScrollX, lines.maxOriginX));
    if (lines.totalHeight > lines.visibleHeight) {
        if (at.y() < area.top())
            m_view.setVertPos(std::max(oldY - kScrollY, 0));
        else if (at.y() > area.bottom())
            m_view.setVertPos(std::min(oldY + kScrollY, lines.maxOriginY));
    }
    const QPoint moved(m_view.m_originX - oldX, m_view.m_originY - oldY);
    if (moved.isNull())
        return;
    if (m_band.active())
        m_band.shiftAnchor(-moved);
    m_gesture->contentsMoved(-moved);
    move(at, m_lastModifiers, true);
}

bool StaffMouse::key(int key)
{
    CSongDoc* doc = song();
    if (!doc)
        return false;
    const StaffLines& lines = m_view.m_lines;
    const bool tall = lines.totalHeight > lines.visibleHeight;
    switch (key) {
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_End:
    case Qt::Key_Home:
        if (tall)
            m_view.scrollByKey(key == Qt::Key_PageUp     ? int(ZoomScrollBar::kPageUp)
                               : key == Qt::Key_PageDown ? int(ZoomScrollBar::kPageDown)
                               : key == Qt::Key_End      ? StaffView::kScrollBottom
                                                         : StaffView::kScrollTop);
        return true;
    case Qt::Key_Left:
    case Qt::Key_Right:
        if (lines.totalWidth > lines.visibleWidth)
            m_view.setHorzPos(std::clamp(m_view.m_originX + (key == Qt::Key_Left ? -kKeyScroll : kKeyScroll), 0,
                                         std::max(lines.maxOriginX, 0)));
        return true;
    case Qt::Key_Up:
    case Qt::Key_Down:
        if (ITrackRows* rows = m_view.trackRows())
            rows->stepCurrentRow(key == Qt::Key_Up ? -1 : 1);
        return true;
    default: return false;
    }
}

void StaffMouse::doubleClick(QPoint client, Qt::KeyboardModifiers modifiers)
{
    CSongDoc* doc = song();
    if (!doc || m_view.leadSheet() || doc->context().host.performanceMode())
        return;
    if (client.y() < m_view.m_rulerHeight && client.x() >= m_view.m_metrics.headerWidth && stopped()) {
        cancel();
        if (SelectPlayMeasure(*doc, modifiers & Qt::ShiftModifier))
            refreshViews();
        return;
    }
    press(client, modifiers);
}

bool StaffMouse::rightPress(QPoint client, Qt::KeyboardModifiers modifiers)
{
    CSongDoc* doc = song();
    if (!doc || m_view.leadSheet() || m_view.m_model.staves.empty() || doc->context().host.performanceMode()
        || !stopped())
        return false;
    m_view.setFocus();
    const QPoint at = toDocument(client);
    const int hit = client.y() >= m_view.m_rulerHeight ? HitTest(m_view.m_model, at.x(), at.y()) : kNoHit;
    if (hit == kNoHit && drawTool())
        return false;
    locate(m_view.pointToTime(client).tick);
    press(client, modifiers, true);
    release(client, modifiers);
    if (hitValid(hit) && hitIsText(hit) && !(modifiers & (Qt::ShiftModifier | Qt::ControlModifier))) {
        const CStaffTrack& staff = m_view.m_model.staves[size_t(hitStaff(hit))];
        const CStaffText& text = staff.texts[size_t(hitIndex(hit))];
        if (text.kind == kLyricText) {
            doc->context().engine.LocateSong(*doc, text.tick);
            m_view.openLyricEdit(hitStaff(hit), 0);
            return true;
        }
    }
    if (doc->selectionKind == kSelectEvents) {
        doc->OnEditProperties();
        return true;
    }
    return false;
}

std::unique_ptr<QMenu> StaffMouse::contextMenu()
{
    auto menu = std::make_unique<QMenu>(&m_view);
    QMenu* into = menu.get();
    for (const MenuEntry& entry : staffContextMenu()) {
        if (entry.kind == MenuEntry::Kind::Separator) {
            into->addSeparator();
            continue;
        }
        if (entry.kind != MenuEntry::Kind::Command)
            continue;
        QAction* action = into->addAction(QString::fromUtf8(entry.text.data(), qsizetype(entry.text.size())));
        const CommandId id = entry.id;
        action->setData(id);
        CmdUi ui;
        if (m_view.CommandTable<StaffView>::update(id, ui))
            action->setEnabled(ui.enabled);
        else if (id == kIdProperties)
            action->setEnabled(song() && song()->OnUpdateEditProperties());
        else if (CommandRouter* router = m_view.m_context.router)
            action->setEnabled(router->update(id).enabled);
        connect(action, &QAction::triggered, &m_view, [this, id] {
            if (id == kIdProperties) {
                if (CSongDoc* doc = song())
                    doc->OnEditProperties();
            } else if (!m_view.CommandTable<StaffView>::handle(id)) {
                if (CommandRouter* router = m_view.m_context.router)
                    router->execute(id);
            }
        });
    }
    return menu;
}

// The pending note: one head at the pitch as the key of its measure spells
// it, an accidental only where the key signature does not already say it.
void StaffMouse::paintOverlay(QPainter& painter, const QRect& dirty) const
{
    m_band.paint(painter);
    const CSongDoc* doc = song();
    const MusicFont* font = m_view.font();
    if (!doc || !font || !m_active)
        return;
    int staffIndex = -1;
    int pitch = -1;
    int64_t tick = 0;
    int value = m_pressValue;
    if (m_drawing && m_drawPitch >= 0) {
        staffIndex = m_drawStaff;
        pitch = m_drawPitch;
        tick = m_pressPoint.tick;
        const int timeBase = std::max<int>(doc->timeBase, 1);
        const StaffToolState* t = tools();
        value = int(std::clamp<int64_t>(int64_t(noteLength()) * 16 / timeBase, 1, 128));
        if (t && t->triplet)
            value = value * 3 / 2;
    } else if (m_state > 0 && (m_state & kMoving) && hitValid(m_pressHit) && !hitIsText(m_pressHit)) {
        const CStaffTrack& from = m_view.m_model.staves[size_t(hitStaff(m_pressHit))];
        const CStaffSpan& span = from.spans[size_t(hitIndex(m_pressHit))];
        if (span.eventIndex < 0 || size_t(from.track) >= doc->tracks.size()
            || size_t(span.eventIndex) >= doc->tracks[size_t(from.track)]->events.size())
            return;
        const CMidiEvent& event = doc->tracks[size_t(from.track)]->events[size_t(span.eventIndex)];
        staffIndex = hitStaff(m_pressHit) + m_offset.staves;
        pitch = event.data1() + m_offset.pitch;
        tick = int64_t(event.tick) + m_offset.ticks;
    }
    const StaffModel& model = m_view.m_model;
    if (staffIndex < 0 || size_t(staffIndex) >= model.staves.size() || pitch < 0 || model.measures.empty())
        return;
    const CStaffTrack& staff = model.staves[size_t(staffIndex)];
    if (staff.clef == kDrumMapClef || staff.clef == kOneLineDrumClef)
        return;
    int key = model.measures[size_t(measureOfTick(model, tick))].song.key;
    if (staff.track > 0 && size_t(staff.track) < doc->tracks.size())
        key = doc->tracks[size_t(staff.track)]->MapPitch(std::clamp(key, -7, 7));
    const PitchSpelling spelled = spellPitch(pitch, key, -1);
    const int inKey = keyAccidental(key, spelled.step);
    CStaffItem item;
    item.position = (spelled.octave + 1) * 7 + spelled.step + staff.referenceOffset;
    item.accidental = spelled.accidental == inKey ? 0 : inKey != 0 && spelled.accidental == 0 ? kCautionary
                                                                                              : spelled.accidental;
    item.color = kGreyNoteColor;
    item.span = -1;
    auto note = std::make_unique<CStaffNote>();
    note->x = TimeToPointX(model, tick);
    note->tick = int(std::min<int64_t>(tick, INT32_MAX));
    note->value = value;
    note->stemDown = item.position > 0;
    note->items.push_back(item);
    CStaffBeat beat;
    beat.firstX = beat.lastX = note->x;
    beat.notes.push_back(std::move(note));
    const QRect area = m_view.notationRect();
    const int glyph = m_view.m_metrics.glyph;
    painter.save();
    painter.setClipRect(area.intersected(dirty));
    painter.translate(area.left() - m_view.m_originX, area.top() - m_view.m_originY);
    DrawNoteSymbols(painter, beat, beat.firstX, staff.topLineY + glyph / 2, &staff, doc->selectionStamp, *font, glyph);
    painter.restore();
}

// --- The view's events ---

void StaffView::mousePressEvent(QMouseEvent* event)
{
    m_rightTookPress = false;
    if (event->button() == Qt::LeftButton)
        m_mouse->press(event->position().toPoint(), event->modifiers());
    else if (event->button() == Qt::RightButton)
        m_rightTookPress = m_mouse->rightPress(event->position().toPoint(), event->modifiers());
    event->accept();
}

void StaffView::mouseMoveEvent(QMouseEvent* event)
{
    m_mouse->move(event->position().toPoint(), event->modifiers(), event->buttons() & Qt::LeftButton,
                  event->buttons() & Qt::RightButton);
    m_mouse->updateCursor(event->position().toPoint());
    // Taken here: the frame behind would clear the pitch text just shown.
    event->accept();
}

void StaffView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        m_mouse->release(event->position().toPoint(), event->modifiers());
}

void StaffView::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        m_mouse->doubleClick(event->position().toPoint(), event->modifiers());
}

void StaffView::keyPressEvent(QKeyEvent* event)
{
    if (!m_mouse->key(event->key()))
        SongView::keyPressEvent(event);
}

void StaffView::contextMenuEvent(QContextMenuEvent* event)
{
    if (std::exchange(m_rightTookPress, false))
        return;
    const std::unique_ptr<QMenu> menu = m_mouse->contextMenu();
    // Any open pop-up counts as the frame's menu tracking.
    menu->exec(event->globalPos());
}

// Another window took the mouse away mid-gesture.
bool StaffView::event(QEvent* event)
{
    if (event->type() == QEvent::UngrabMouse || event->type() == QEvent::FocusOut)
        if (m_mouse && m_mouse->drawing())
            m_mouse->cancel();
    return SongView::event(event);
}

} // namespace rz
