#include "views/piano/piano_edit_controller.h"

#include "core/edit_dialogs.h"
#include "core/engine_link.h"
#include "core/midi_bytes.h"
#include "core/song_host.h"
#include "song/clipboard_edit.h"
#include "song/edit_transforms.h"
#include "song/selection.h"
#include "song/song_doc.h"
#include "ui/piano_keys.h"
#include "views/mouse_edit_rules.h"
#include "views/lane_edit_steps.h"
#include "views/rubber_band.h"

#include <algorithm>

namespace rz {
namespace {

int32_t earlierTime(const CCue& cue)
{
    return std::min(cue.time, cue.secondTime);
}

int32_t laterTime(const CCue& cue)
{
    return std::max(cue.time, cue.secondTime);
}

} // namespace

PianoEditController::PianoEditController(CSongDoc& song, RubberBand& band, std::function<void()> repaintLinked)
    : m_song(song), m_band(band), m_gesture(song, band, std::move(repaintLinked))
{
}

PianoEditController::~PianoEditController()
{
    cancel();
}

int32_t PianoEditController::rawTickAt(const PianoGeometry& g, int x) const
{
    return std::max(g.axis.tickOfX(std::max(x, g.stripWidth)), 0);
}

int32_t PianoEditController::tickAt(const PianoGeometry& g, int x) const
{
    const int32_t tick = rawTickAt(g, x);
    const EditTools tools = m_song.context().host.editTools();
    if (!tools.snap)
        return tick;
    return std::max(snapInMap(m_song.measureMap, tick, snapUnit(tools.gridValue, m_song.timeBase)), 0);
}

int PianoEditController::shownKeyOf(int shown, size_t index) const
{
    const CTrack& track = *m_song.tracks[size_t(m_shown[size_t(shown)])];
    return track.events[index].data1() + track.key;
}

QRect PianoEditController::noteRect(const PianoGeometry& g, int32_t tick, int32_t duration, int shownKey) const
{
    const int left = g.axis.xOfTick(tick);
    const int right = std::max(g.axis.xOfTick(shifted(tick, std::max(duration, 0))), left + 1);
    return QRect(left, g.rows.yOfKey(shownKey), right - left, g.rows.rowHeight);
}

PianoEditController::Hit PianoEditController::hitTest(const PianoGeometry& g, QPoint at) const
{
    if (at.x() < g.stripWidth)
        return {};
    for (size_t c = std::min(g.cueRects.size(), m_song.cues.size()); c-- > 0;) {
        const QRect& r = g.cueRects[c];
        if (r.contains(at))
            return Hit{.kind = Hit::Kind::Cue, .shown = -1, .index = c, .grip = at.x() > r.right() - kGripPixels};
    }
    const int key = g.rows.keyAtY(at.y());
    if (key < 0 || at.y() < g.rows.noteTop)
        return {};
    const int32_t tick = rawTickAt(g, at.x());
    const int64_t reach = int64_t(g.axis.gridTicks) * 3;
    std::vector<size_t> candidates;
    for (size_t s = 0; s < m_shown.size(); ++s) {
        const CTrack& track = *m_song.tracks[size_t(m_shown[s])];
        PianoLayout::visibleNotes(m_song, track, int32_t(std::max<int64_t>(tick - reach, 0)), shifted(tick, 1),
                                  candidates);
        for (auto it = candidates.rbegin(); it != candidates.rend(); ++it) {
            const CMidiEvent& e = track.events[*it];
            if (e.data1() + track.key != key)
                continue;
            const int left = g.axis.xOfTick(e.tick);
            const int width = std::max(e.value2 / std::max(g.axis.gridTicks, 1), 1) + 1;
            if (at.x() >= left && at.x() < left + width)
                return Hit{.kind = Hit::Kind::Note,
                           .shown = int(s),
                           .index = *it,
                           .grip = at.x() >= left + width - kGripPixels};
        }
    }
    return {};
}

bool PianoEditController::press(const PianoGeometry& g, const PianoPointer& p)
{
    const QPoint at = p.at;
    if (at.x() >= g.clientWidth)
        return false;
    ISongHost& host = m_song.context().host;
    if (host.performanceMode() && at.x() >= PianoLayout::kNarrowStrip)
        return false;
    if (!transportStopped(m_song)) {
        if (g.plot.contains(at))
            m_song.context().engine.Play(tickAt(g, at.x()));
        return false;
    }
    cancel();
    m_gesture.press(at);
    if (at.y() < g.rulerHeight) {
        if (at.x() < g.stripWidth) {
            selectAll();
            return false;
        }
        m_gesture.beginRuler(tickAt(g, at.x()), p.modifiers);
    } else if (at.x() >= PianoLayout::kNarrowStrip || g.rows.rowHeight < PianoLayout::kNamesFromRowHeight) {
        if (const Hit hit = hitTest(g, at))
            pressItem(g, p, hit);
        else
            pressEmpty(g, p);
    } else if (at.y() >= g.rows.noteTop) {
        m_mode = kKeyboard;
        m_gesture.beginTool(false);
    }
    if (!m_gesture.started())
        return false;
    move(g, p);
    return true;
}

void PianoEditController::pressItem(const PianoGeometry& g, const PianoPointer& p, const Hit& hit)
{
    m_mode = (p.modifiers & Qt::ControlModifier) ? kCopy : 0;
    if (hit.grip)
        m_mode |= kResize | kOutline;
    m_gesture.pressItem(itemSelected(hit), p.modifiers);
    setItemSelected(hit, true);
    collectSelection(hit);
    m_pressTick = tickAt(g, p.at.x());
    m_pressKey = std::max(g.rows.keyAtY(p.at.y()), 0);
    m_pressBox = m_box;
}

void PianoEditController::pressEmpty(const PianoGeometry& g, const PianoPointer& p)
{
    const QPoint at = p.at;
    const EditTools tools = m_song.context().host.editTools();
    if (tools.tool == 1 && at.x() >= g.stripWidth) {
        if (at.y() < g.rows.noteTop) {
            InsertCueAt(m_song, tickAt(g, at.x()));
            return;
        }
        m_mode = kDrawOrMove;
        m_gesture.beginTool(true);
        return;
    }
    m_mode = at.x() < g.stripWidth ? kWholeSong : 0;
    m_gesture.beginBand(p.modifiers);
}

bool PianoEditController::itemSelected(const Hit& hit) const
{
    if (hit.kind == Hit::Kind::Cue)
        return m_song.cues[hit.index]->selectionStamp == m_song.selectionStamp;
    const CTrack& track = *m_song.tracks[size_t(m_shown[size_t(hit.shown)])];
    return track.events[hit.index].selectionStamp == m_song.selectionStamp;
}

void PianoEditController::setItemSelected(const Hit& hit, bool on)
{
    const uint32_t stamp = on ? m_song.selectionStamp : m_song.selectionStamp - 1;
    if (hit.kind == Hit::Kind::Cue)
        m_song.cues[hit.index]->selectionStamp = stamp;
    else
        m_song.tracks[size_t(m_shown[size_t(hit.shown)])]->events[hit.index].selectionStamp = stamp;
}

// Every selected item goes into the drag list; the box holds them, or the
// pressed item alone for a resize.
void PianoEditController::collectSelection(const Hit& hit)
{
    m_drag.clear();
    m_box = Box{};
    const bool resizing = m_mode & kResize;
    int low = 0;
    int high = 0;
    bool anyNote = false;
    for (size_t s = 0; s < m_shown.size(); ++s) {
        const CTrack& track = *m_song.tracks[size_t(m_shown[s])];
        int storedLow = INT32_MAX;
        int storedHigh = INT32_MIN;
        for (size_t e = 0; e < track.events.size(); ++e) {
            const CMidiEvent& event = track.events[e];
            if (!event.isNote() || event.selectionStamp != m_song.selectionStamp)
                continue;
            m_drag.push_back({int(s), e});
            storedLow = std::min<int>(storedLow, event.data1());
            storedHigh = std::max<int>(storedHigh, event.data1());
            if (!resizing) {
                m_box.left = std::min(m_box.left, event.tick);
                m_box.right = std::max(m_box.right, shifted(event.tick, event.value2));
                m_box.low = std::min(m_box.low, event.data1() + track.key);
                m_box.high = std::max(m_box.high, event.data1() + track.key);
            }
        }
        if (storedLow == INT32_MAX)
            continue;
        // The key delta keeps the stored keys in 0..127 and the shown ones in 21..108.
        const int lowHere = std::max(-storedLow, PianoLayout::kBottomKey - (storedLow + track.key));
        const int highHere = std::min(127 - storedHigh, PianoLayout::kTopKey - (storedHigh + track.key));
        low = anyNote ? std::max(low, lowHere) : lowHere;
        high = anyNote ? std::min(high, highHere) : highHere;
        anyNote = true;
    }
    for (size_t c = 0; c < m_song.cues.size(); ++c) {
        const CCue& cue = *m_song.cues[c];
        if (cue.selectionStamp != m_song.selectionStamp)
            continue;
        m_drag.push_back({-1, c});
        if (!resizing) {
            m_box.left = std::min(m_box.left, earlierTime(cue));
            m_box.right = std::max(m_box.right, laterTime(cue));
            m_box.high = std::max(m_box.high, kCueKey);
            m_box.low = std::min(m_box.low, kCueKey);
        }
    }
    if (resizing) {
        if (hit.kind == Hit::Kind::Cue) {
            const CCue& cue = *m_song.cues[hit.index];
            m_box = Box{earlierTime(cue), laterTime(cue), kCueKey, kCueKey};
        } else {
            const CTrack& track = *m_song.tracks[size_t(m_shown[size_t(hit.shown)])];
            const CMidiEvent& e = track.events[hit.index];
            const int key = e.data1() + track.key;
            m_box = Box{e.tick, shifted(e.tick, e.value2), key, key};
        }
    }
    m_onlyCues = !anyNote;
    m_keyDeltaLow = anyNote && low <= high ? low : 0;
    m_keyDeltaHigh = anyNote && low <= high ? high : 0;
    rebuildSelectionFlags();
}

void PianoEditController::rebuildSelectionFlags()
{
    SelectionSpan span = selectedNotes(m_song, m_shown);
    for (const auto& cue : m_song.cues)
        if (cue->selectionStamp == m_song.selectionStamp)
            span.add(kSelectCues, earlierTime(*cue), laterTime(*cue));
    m_song.selectionKind = span.kind;
    m_song.selectionFrom = span.kind ? int32_t(span.from) : -1;
    m_song.selectionTo = span.kind ? shifted(int32_t(std::min<int64_t>(span.to, kLastEditTick)), 0) : -1;
}

void PianoEditController::selectAll()
{
    selectShownNotes(m_song, m_shown);
    for (const auto& cue : m_song.cues)
        cue->selectionStamp = m_song.selectionStamp;
    rebuildSelectionFlags();
}

void PianoEditController::move(const PianoGeometry& g, const PianoPointer& p)
{
    const QPoint at = p.at;
    const PointerGesture::Step step = m_gesture.follow(at, DragThreshold{g.dragDistance});
    if (step == PointerGesture::Step::Idle || step == PointerGesture::Step::Held)
        return;
    if (step == PointerGesture::Step::FirstMove && !(m_mode & kResize))
        m_mode |= kDrawOrMove | kOutline;
    using Kind = PointerGesture::Kind;
    const int32_t tick = tickAt(g, at.x());
    const int key = at.y() >= g.rows.noteTop ? g.rows.keyAtY(at.y()) : -1;
    if (m_mode & kResize) {
        m_box.right = std::max(tick, m_box.left + 1);
    } else if (m_mode & kOutline) {
        moveBox(g, p);
    } else if (m_mode & kDrawOrMove) {
        m_highlight = Highlight{tick, std::max(m_song.context().host.editTools().noteLength, 1), key};
        if (key != m_pointerKey)
            previewKey(key, kPreviewVelocity);
    } else if (m_mode & kKeyboard) {
        const int pressed = piano_keys::keyAt(at.x(), at.y() - g.rows.noteTop + g.rows.firstRow * g.rows.rowHeight,
                                              g.rows.rowHeight);
        if (pressed != m_pointerKey) {
            const int velocity = m_song.context().engine.previewVelocity();
            previewKey(m_shown.empty() ? -1 : pressed, velocity > 0 ? velocity : kPreviewVelocity);
            m_pointerKey = pressed;
            m_highlight = Highlight{0, 0, pressed};
        }
        return;
    } else if (m_gesture.kind() == Kind::Ruler) {
        m_gesture.dragRuler(tick);
    } else if (m_gesture.kind() == Kind::Band) {
        m_band.moveTo(at);
        markBand(g, p.modifiers & Qt::ControlModifier);
    }
    m_pointerKey = key;
    if (!(m_mode & kWholeSong))
        m_gesture.locate(tick, p.rightHeld);
}

void PianoEditController::moveBox(const PianoGeometry& g, const PianoPointer& p)
{
    // The press tick and the pointer's tick are on one axis (both snapped
    // while snap is on), so a snapped drag moves by whole grid steps.
    int64_t dt = int64_t(tickAt(g, p.at.x())) - m_pressTick;
    dt = std::max<int64_t>(dt, -int64_t(m_pressBox.left));
    const int key = std::max(g.rows.keyAtY(p.at.y()), 0);
    const int dk = m_onlyCues ? 0 : std::clamp(key - m_pressKey, m_keyDeltaLow, m_keyDeltaHigh);
    m_box = m_pressBox;
    m_box.left = shifted(m_box.left, dt);
    m_box.right = shifted(m_box.right, dt);
    m_box.low += dk;
    m_box.high += dk;
    const int shownKey = m_onlyCues ? -1 : m_pressKey + dk;
    if (shownKey != m_previewKey && p.at.y() >= g.rows.noteTop)
        previewKey(shownKey, kPreviewVelocity);
}

void PianoEditController::markBand(const PianoGeometry& g, bool ctrl)
{
    const QRect band = m_band.rect();
    const bool wholeSong = m_mode & kWholeSong;
    const auto changeFor = [&](bool inside, bool selected) { return PointerGesture::bandChange(inside, selected, ctrl); };
    for (int t : m_shown) {
        CTrack& track = *m_song.tracks[size_t(t)];
        for (CMidiEvent& e : track.events) {
            if (!e.isNote())
                continue;
            const QRect r = noteRect(g, e.tick, e.value2, e.data1() + track.key);
            const bool inside = wholeSong ? r.top() <= band.bottom() && r.bottom() >= band.top() : r.intersects(band);
            const int change = changeFor(inside, e.selectionStamp == m_song.selectionStamp);
            if (change != e.pendingChange)
                m_band.markEvent(e, change);
        }
    }
    for (size_t c = 0; c < m_song.cues.size() && c < g.cueRects.size(); ++c) {
        CCue& cue = *m_song.cues[c];
        const int change = changeFor(g.cueRects[c].intersects(band), cue.selectionStamp == m_song.selectionStamp);
        if (change != m_band.pendingOf(cue))
            m_band.markCue(cue, change);
    }
}

void PianoEditController::previewKey(int key, int velocity)
{
    endPreview();
    if (key < PianoLayout::kBottomKey || key > PianoLayout::kTopKey)
        return;
    m_previewKey = key;
    m_previewMessage = midi::noteOn(0, key, velocity);
    m_song.context().engine.previewNote(m_previewMessage);
}

void PianoEditController::endPreview()
{
    if (m_previewMessage != 0)
        m_song.context().engine.previewNote(m_previewMessage & 0xFFFF);
    m_previewMessage = 0;
    m_previewKey = -1;
}

void PianoEditController::release(const PianoGeometry& g, const PianoPointer& p)
{
    if (!m_gesture.active())
        return;
    move(g, p);
    if (m_gesture.held()) {
        const bool selects = m_gesture.clickItem(p.modifiers);
        if (const Hit hit = hitTest(g, m_gesture.pressPoint()))
            setItemSelected(hit, selects);
        rebuildSelectionFlags();
    } else if (m_mode & kResize) {
        finishResize();
    } else if ((m_mode & kDrawOrMove) && (m_mode & kOutline)) {
        finishMove();
    } else if (m_mode & kDrawOrMove) {
        finishDraw();
    }
    endPreview();
    const bool band = m_gesture.kind() == PointerGesture::Kind::Band;
    m_gesture.release();
    if (band)
        rebuildSelectionFlags();
    reset();
    m_song.context().host.UpdateAllViews();
}

void PianoEditController::finishMove()
{
    const int64_t dt = int64_t(m_box.left) - m_pressBox.left;
    const int dk = m_onlyCues ? 0 : m_box.low - m_pressBox.low;
    const bool copy = m_mode & kCopy;
    if (dt == 0 && dk == 0)
        return;
    EventListBuilder events;
    auto cues = std::make_unique<CCueSet>();
    for (const DragItem& item : m_drag) {
        if (item.shown < 0) {
            CCue moved = *m_song.cues[item.index];
            moved.time = shifted(moved.time, dt);
            moved.secondTime = shifted(moved.secondTime, dt);
            if (!copy)
                cues->removeKeys.push_back(uint32_t(item.index));
            cues->cues.push_back(std::move(moved));
            continue;
        }
        const size_t t = size_t(m_shown[size_t(item.shown)]);
        CMidiEvent moved = m_song.tracks[t]->events[item.index];
        moved.message = (moved.message & ~0xFF00u) | uint32_t(std::clamp(moved.data1() + dk, 0, 127)) << 8;
        moved.tick = shifted(moved.tick, dt);
        if (!copy)
            events.remove(uint32_t(t << 24 | item.index));
        events.insert(std::move(moved), placedOn(t));
    }
    if (auto record = draggedItemsRecord("Drag Notes and Cues", events, std::move(cues)))
        applyRecord(std::move(record));
}

void PianoEditController::finishResize()
{
    const int64_t growth = int64_t(m_box.right) - m_pressBox.right;
    if (growth == 0)
        return;
    EventListBuilder events;
    auto cues = std::make_unique<CCueSet>();
    for (const DragItem& item : m_drag) {
        if (item.shown < 0) {
            CCue sized = *m_song.cues[item.index];
            if (isVampLike(sized.kind))
                sized.time = std::max(shifted(sized.time, growth), sized.secondTime);
            else
                sized.secondTime = std::max(shifted(sized.secondTime, growth), sized.time);
            cues->removeKeys.push_back(uint32_t(item.index));
            cues->cues.push_back(std::move(sized));
            continue;
        }
        const size_t t = size_t(m_shown[size_t(item.shown)]);
        CMidiEvent sized = m_song.tracks[t]->events[item.index];
        sized.value2 = int32_t(std::clamp<int64_t>(int64_t(sized.value2) + growth, 1, kLastEditTick));
        events.remove(uint32_t(t << 24 | item.index));
        events.insert(std::move(sized), placedOn(t));
    }
    if (auto record = draggedItemsRecord("Drag Note Size", events, std::move(cues)))
        applyRecord(std::move(record));
}

// One note on each MIDI thru track, at the key that sounds as the preview
// did; a track whose stored key would leave 0..127 gets none.
void PianoEditController::finishDraw()
{
    const int key = m_highlight.key;
    if (key < PianoLayout::kBottomKey)
        return;
    EventListBuilder events;
    for (const ThruTrackKey& thru : m_song.context().engine.thruTrackKeys()) {
        if (thru.number < 1 || thru.number + 1 >= int(m_song.tracks.size()))
            continue;
        const CTrack& track = *m_song.tracks[size_t(thru.number)];
        const int stored = key - thru.key;
        if (track.type != kMidiTrack || stored < 0 || stored > 127)
            continue;
        CMidiEvent note;
        note.message = midi::noteOn(track.channel & 15, stored, kPreviewVelocity);
        note.tick = m_highlight.tick;
        note.value2 = std::max(m_highlight.length, 1);
        events.insert(std::move(note), placedOn(size_t(thru.number)));
    }
    if (events.empty())
        return;
    auto record = std::make_unique<CUndoRecord>();
    record->label = "Draw Note";
    record->flags = kUndoEvents;
    record->events = events.build();
    applyRecord(std::move(record));
}

void PianoEditController::applyRecord(std::unique_ptr<CUndoRecord> record)
{
    m_song.ApplyEdit(std::move(record));
}

void PianoEditController::cancel()
{
    endPreview();
    m_gesture.abort();
    reset();
}

void PianoEditController::reset()
{
    m_mode = 0;
    m_pointerKey = -1;
    m_highlight = Highlight{};
    m_drag.clear();
}

bool PianoEditController::doubleClick(const PianoGeometry& g, const PianoPointer& p)
{
    if (m_song.context().host.performanceMode())
        return false;
    cancel();
    if (p.at.y() < g.rulerHeight && p.at.x() >= g.stripWidth) {
        if (SelectPlayMeasure(m_song, p.modifiers & Qt::ShiftModifier))
            m_gesture.repaintLinked();
        return false;
    }
    if (p.at.y() < g.rows.noteTop)
        return (m_song.selectionKind & kSelectCues) != 0;
    return false;
}

bool PianoEditController::rightPress(const PianoGeometry& g, const PianoPointer& p)
{
    if (!transportStopped(m_song) || m_song.context().host.performanceMode())
        return false;
    const Hit hit = hitTest(g, p.at);
    if (!hit && m_song.context().host.editTools().tool == 1)
        return false;
    PianoPointer left = p;
    left.rightHeld = true;
    if (press(g, left))
        release(g, left);
    return m_song.selectionKind == kSelectEvents;
}

} // namespace rz
