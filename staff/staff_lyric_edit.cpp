// The staff view's in-place lyric editor: where it opens, and the one undo
// record its commit makes. GUI thread.

#include "staff/staff_view.h"

#include "core/engine_link.h"
#include "core/midi_bytes.h"
#include "core/song_host.h"
#include "song/clipboard_edit.h"
#include "song/song_doc.h"
#include "song/undo_record.h"
#include "ui/in_place_edit.h"

#include <algorithm>
#include <climits>

namespace rz {
namespace {

std::string textOf(const CMidiEvent& event)
{
    const auto bytes = event.data.bytes();
    std::string text(bytes.begin(), bytes.end());
    while (!text.empty() && text.back() == '\0')
        text.pop_back();
    return text;
}

} // namespace

std::unique_ptr<CUndoRecord> lyricEditRecord(const CSongDoc& song, int track, int oldEvent,
                                             std::string_view typed, int32_t tick)
{
    if (track <= 0 || size_t(track) >= song.tracks.size())
        return nullptr;
    const size_t first = std::min(typed.find_first_not_of(' '), typed.size());
    std::string text(typed.substr(first, StaffView::kMaxLyric));
    const auto& events = song.tracks[size_t(track)]->events;
    const CMidiEvent* old =
        oldEvent >= 0 && size_t(oldEvent) < events.size() ? &events[size_t(oldEvent)] : nullptr;
    const std::string oldText = old ? textOf(*old) : std::string();
    if (text == oldText)
        return nullptr;
    EventListBuilder list;
    if (old && !oldText.empty())
        list.remove(uint32_t(track) << 24 | uint32_t(oldEvent));
    if (!text.empty()) {
        CMidiEvent event;
        const uint8_t type = old ? old->data1()
                             : song.karaoke ? midi::kMetaText
                                            : midi::kMetaLyric;
        event.SetMetaText(type, text);
        event.tick = std::max(tick, 0);
        list.insert(std::move(event), uint32_t(track) << 24 | kComputedPosition);
    }
    if (list.empty())
        return nullptr;
    auto record = std::make_unique<CUndoRecord>();
    record->flags = kUndoEvents;
    record->label = "Edit Lyric";
    record->events = list.build();
    return record;
}

void StaffView::commitLyricEdit(uint32_t exitKey)
{
    if (!lyricEditOpen())
        return;
    const int staff = m_lyricStaff;
    const int textIndex = m_lyricText;
    m_lyricStaff = -1;
    m_lyricText = -1;
    const std::string typed = m_lyricEdit->text().toStdString();
    m_lyricEdit->hide();
    CSongDoc* doc = song();
    if (exitKey == InPlaceEdit::kVkEscape || !doc || size_t(staff) >= m_model.staves.size())
        return;
    const CStaffTrack& shown = m_model.staves[size_t(staff)];
    const int oldEvent = textIndex >= 0 && size_t(textIndex) < shown.texts.size()
                             ? shown.texts[size_t(textIndex)].eventIndex
                             : -1;
    if (auto record = lyricEditRecord(*doc, shown.track, oldEvent, typed, doc->position()))
        doc->ApplyEdit(std::move(record));
    if (exitKey == InPlaceEdit::kVkLeft || exitKey == InPlaceEdit::kVkRight)
        openLyricEdit(staff, exitKey == InPlaceEdit::kVkLeft ? -1 : 1);
}

// Steps are the frame's note length with "Grid" on, else a beat; a step
// back from a measure's first beat is the previous measure's beat.
void StaffView::openLyricEdit(int staff, int direction)
{
    CSongDoc* doc = song();
    if (!doc || staff < 0 || size_t(staff) >= m_model.staves.size() || m_model.measures.empty())
        return;
    const CStaffTrack& shown = m_model.staves[size_t(staff)];
    int64_t position = doc->position();
    int textIndex = -1;
    if (direction == 0) {
        for (size_t i = shown.texts.size(); i-- > 0;)
            if (shown.texts[i].kind == kLyricText && shown.texts[i].tick == position) {
                textIndex = int(i);
                break;
            }
    } else {
        const int m = measureOfTick(m_model, position);
        const MeasureRec& rec = m_model.measures[size_t(m)].song;
        const StaffToolState* t = tools();
        const int beat = std::max(doc->timeBase * 4 / std::max<int>(rec.denominator, 1), 1);
        int64_t step = t && t->grid && t->duration > 0 ? t->duration : beat;
        const int64_t offset = position - rec.start;
        int64_t candidate = 0;
        if (direction > 0) {
            candidate = rec.start + (offset / step + 1) * step;
        } else if (offset <= 0 && m > 0) {
            const MeasureRec& prev = m_model.measures[size_t(m - 1)].song;
            const int64_t prevStep = t && t->grid && t->duration > 0
                                         ? step
                                         : std::max(doc->timeBase * 4 / std::max<int>(prev.denominator, 1), 1);
            candidate = rec.start - prevStep;
        } else {
            candidate = rec.start + ((offset + step - 1) / step - 1) * step;
        }
        for (const auto& voice : shown.voices)
            for (const auto& note : voice->notes) {
                if (note->rest)
                    continue;
                const bool side = direction > 0 ? note->tick > position : note->tick < position;
                if (side && std::abs(note->tick - position) < std::abs(candidate - position))
                    candidate = note->tick;
            }
        for (size_t i = 0; i < shown.texts.size(); ++i) {
            const CStaffText& text = shown.texts[i];
            const bool side = direction > 0 ? text.tick > position : text.tick < position;
            if (text.kind == kLyricText && side
                && std::abs(text.tick - position) <= std::abs(candidate - position)) {
                candidate = text.tick;
                textIndex = int(i);
            }
        }
        position = std::clamp<int64_t>(candidate, 0, INT32_MAX);
        doc->context().engine.LocateSong(*doc, int32_t(position));
        if (ISongHost* h = host())
            h->UpdateAllViews();
    }
    m_lyricStaff = staff;
    m_lyricText = textIndex;
    const int lyricPosition = textIndex >= 0 ? shown.texts[size_t(textIndex)].position : -8;
    const QPoint at = timeToPoint(int32_t(position), staff, lyricPosition);
    m_lyricEdit->setGeometry(at.x() - kLyricEditWidth / 2, at.y(), kLyricEditWidth, kLyricEditHeight);
    // The event's own text: the model's carries the hyphens it shows.
    std::string text;
    if (textIndex >= 0) {
        const CStaffText& element = shown.texts[size_t(textIndex)];
        const auto& tracks = doc->tracks;
        const bool known = shown.track > 0 && size_t(shown.track) < tracks.size() && element.eventIndex >= 0
                           && size_t(element.eventIndex) < tracks[size_t(shown.track)]->events.size();
        text = known ? textOf(tracks[size_t(shown.track)]->events[size_t(element.eventIndex)]) : element.text;
    }
    m_lyricEdit->setText(QString::fromStdString(text));
    m_lyricEdit->selectAll();
    m_lyricEdit->resetExitKey();
    m_lyricEdit->show();
    m_lyricEdit->setFocus();
}

} // namespace rz
