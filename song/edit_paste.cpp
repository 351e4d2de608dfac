// Edit > Paste and Edit > Select Time of the song document. GUI thread.

#include <algorithm>
#include <array>
#include <set>

#include "core/midi_bytes.h"
#include "core/prompt.h"
#include "core/song_host.h"
#include "core/track_rows.h"
#include "song/build_maps.h"
#include "song/clipboard_edit.h"
#include "song/selection.h"
#include "song/song_doc.h"

namespace rz {

namespace {

constexpr char kPastePastEnd[] = "Sorry, the paste would reach beyond the longest possible song.";
constexpr char kCopiesOverlap[] = "The next copy must follow the first copy...";
constexpr char kNoTracksToPasteTo[] = "Please select one or more tracks for pasting.";

// A clipboard event as it goes in at `at`: its tick and a note's duration in
// song ticks; a time before the song's start becomes tick 0.
CMidiEvent pastedEvent(const CMidiEvent& source, int64_t at, int timeBase)
{
    CMidiEvent event = source;
    event.tick = tickOf(std::max<int64_t>(0, at + fromClipboardTicks(source.tick, timeBase)));
    if (event.isNote())
        event.value2 = tickOf(fromClipboardTicks(source.value2, timeBase));
    event.selectionStamp = 0;
    event.pendingChange = 0;
    return event;
}

int64_t endOf(const CMidiEvent& event)
{
    return int64_t(event.tick) + (event.isNote() ? std::max(event.value2, 0) : 0);
}

// Refuses, with a message, a paste that reaches past the last tick or needs
// more measures than a song may have.
bool reachesTooFar(CSongDoc& song, int64_t lastTick)
{
    if (lastTick <= kLastEditTick && measureMapCanReach(song, tickOf(lastTick)))
        return false;
    song.context().prompt.message(kPastePastEnd);
    return true;
}

// The furthest tick a record puts anything at.
int64_t furthestTick(const CUndoRecord& record)
{
    int64_t last = 0;
    if (record.events)
        for (const CMidiEvent& event : record.events->events)
            last = std::max(last, endOf(event));
    if (record.tempo)
        for (const TempoEntry& entry : record.tempo->entries)
            last = std::max<int64_t>(last, entry.tick);
    if (record.cues)
        for (const CCue& cue : record.cues->cues)
            last = std::max<int64_t>(last, std::max(cue.time, cue.secondTime));
    return last;
}

// Applies a paste; the clip files it copied stay only when it was applied.
void applyPaste(CSongDoc& song, std::unique_ptr<CUndoRecord> record, ClipFileCopies& files)
{
    if (record->flags == 0)
        return;
    int64_t last = furthestTick(*record);
    if (record->flags & kUndoInsertTime)
        last = std::max(last, int64_t(song.endTick) + record->timeLength());
    if (reachesTooFar(song, last))
        return;
    if (song.ApplyEdit(std::move(record)) == ApplyResult::Applied)
        files.keep();
}

// The user tracks 1..n-2 selected in the track view, ascending.
std::vector<size_t> selectedUserTracks(const CSongDoc& song)
{
    std::vector<size_t> rows;
    for (size_t t = 1; t + 1 < song.tracks.size(); ++t)
        if (isRowSelected(song, t))
            rows.push_back(t);
    return rows;
}

// --- Paste Time ---

struct TimePaste {
    const PasteTimeParams& params;
    int64_t at;      // "First copy at"
    int64_t offset;  // used at most `at`
    int64_t length;  // one copy, song ticks
    int64_t copies;
    int64_t total() const { return length * copies; }
    bool insert() const { return params.method == PasteMethod::Insert; }
};

void numberPositionally(MeasureMap& out, const MeasureMap& before)
{
    for (size_t j = 0; j < out.size(); ++j) {
        if (j < before.size()) {
            out[j].number = before[j].number;
            out[j].letter = before[j].letter;
        } else {
            out[j].number = uint16_t(j > 0 ? out[j - 1].number + 1 : 1);
            out[j].letter = 0;
        }
    }
}

// The measure map with the copies' measures laid in at the first copy's
// tick: the measure there is cut; Insert keeps its rest after the copies,
// Blend and Replace let the copies take the place of what they cover.
bool pasteMeasures(CSongDoc& song, const AppClipboard& board, const TimePaste& paste,
                   CUndoRecord& record)
{
    const int tb = song.timeBase;
    MeasureMap work = song.measureMap;
    ExtendMeasureMap(work, tickOf(paste.at));
    const size_t m = size_t(FindMeasure(work, tickOf(paste.at)));
    const MeasureRec& cutOne = work[m];
    const int64_t cutEnd = int64_t(cutOne.start) + cutOne.length;
    const bool cut = paste.at > cutOne.start && paste.at < cutEnd;
    const bool preserve = paste.params.preserveNumbers;

    MeasureMap out(work.begin(), work.begin() + std::ptrdiff_t(m));
    if (cut) {
        MeasureRec head = cutOne;
        FitMeter(head, paste.at - cutOne.start, tb);
        out.push_back(head);
    }
    for (int64_t c = 0; c < paste.copies && out.size() <= kMaxSongMeasures; ++c)
        out.insert(out.end(), board.measures.begin(), board.measures.end());
    if (paste.insert()) {
        if (cut) {
            MeasureRec rest = cutOne;
            FitMeter(rest, cutEnd - paste.at, tb);
            rest.letter = char(cutOne.letter != 0 ? cutOne.letter + 1 : 'A');
            out.push_back(rest);
        } else {
            out.push_back(cutOne);
        }
        out.insert(out.end(), work.begin() + std::ptrdiff_t(m) + 1, work.end());
    } else {
        const int64_t spanEnd = paste.at + paste.total();
        const size_t k = size_t(FindMeasure(work, tickOf(spanEnd)));
        const int64_t kEnd = int64_t(work[k].start) + work[k].length;
        if (spanEnd < kEnd) {
            size_t next = k;
            if (spanEnd > work[k].start) {
                MeasureRec straddling = work[k];
                FitMeter(straddling, kEnd - spanEnd, tb);
                out.push_back(straddling);
                ++next;
            }
            out.insert(out.end(), work.begin() + std::ptrdiff_t(next), work.end());
        }
    }
    if (out.size() > kMaxSongMeasures) {
        song.context().prompt.message(kPastePastEnd);
        return false;
    }
    if (!preserve)
        numberPositionally(out, work);
    record.measures = SnapshotMeasureMap(out, tb);
    record.flags |= kUndoMeasures;
    return true;
}

// Events that Insert's stretch lengthens over the inserted time, or that
// Replace takes out (shortening the notes that encroach on the span).
void makeRoomForEvents(const CSongDoc& song, const TimePaste& paste, EventListBuilder& builder)
{
    const PasteTimeParams& p = paste.params;
    const int64_t window = paste.at - paste.offset;
    for (size_t t = 0; t + 1 < song.tracks.size(); ++t) {
        if (p.selectedTracksOnly && !isRowSelected(song, t))
            continue;
        const CTrack& track = *song.tracks[t];
        const bool midi = track.type == kMidiTrack;
        for (size_t e = 0; e < track.events.size(); ++e) {
            const CMidiEvent& event = track.events[e];
            const uint32_t key = uint32_t(t << 24 | e);
            if (paste.insert()) {
                if (p.stretch && midi && event.isNote() && event.tick < window
                    && endOf(event) > paste.at + p.stretchThreshold) {
                    builder.remove(key);
                    CMidiEvent longer = event;
                    longer.value2 = tickOf(int64_t(event.value2) + paste.total());
                    builder.insert(std::move(longer), placedOn(t));
                }
            } else if (p.method == PasteMethod::Replace) {
                if (event.tick >= window && event.tick < window + paste.total()) {
                    builder.remove(key);
                } else if (p.stretch && midi
                           && encroaches(event, window, paste.at, p.stretchThreshold)) {
                    builder.remove(key);
                    CMidiEvent shorter = event;
                    shorter.value2 =
                        shortenedDuration(event, paste.at, p.stretchThreshold, paste.total());
                    builder.insert(std::move(shorter), placedOn(t));
                }
            }
        }
    }
}

bool sameTrackSettings(const CTrack& a, const CTrack& b)
{
    return a.name == b.name && a.port == b.port && a.channel == b.channel && a.bank == b.bank
           && a.patch == b.patch && a.key == b.key;
}

// Each copied track's events go to the first unmatched user track with its
// settings, or to a new track before the empty one.
bool pasteTrackEvents(CSongDoc& song, const AppClipboard& board, const TimePaste& paste,
                      EventListBuilder& builder, CUndoRecord& record, ClipFileCopies& files)
{
    const size_t n = song.tracks.size();
    std::vector<bool> matched(n, false);
    auto added = std::make_unique<CTrackList>();
    for (const auto& copy : board.tracks) {
        if (copy->events.empty())
            continue;
        size_t target = 0;
        for (size_t t = 1; copy->type == kMidiTrack && t + 1 < n && target == 0; ++t) {
            if (!matched[t] && sameTrackSettings(*song.tracks[t], *copy)) {
                matched[t] = true;
                target = t;
            }
        }
        if (paste.params.selectedTracksOnly && (target == 0 || !isRowSelected(song, target)))
            continue;
        if (target == 0) {
            target = n - 1 + added->tracks.size();
            added->add(copyTrackSettings(*copy));
            added->targetRows.push_back(uint32_t(n - 1));
        }
        for (int64_t c = 0; c < paste.copies; ++c) {
            for (const CMidiEvent& source : copy->events) {
                CMidiEvent event = pastedEvent(source, paste.at + c * paste.length, song.timeBase);
                if (!files.duplicate(event))
                    return false;
                builder.insert(std::move(event), placedOn(target));
            }
        }
    }
    if (!added->tracks.empty()) {
        record.flags |= kUndoTrackList;
        record.tracks = std::move(added);
    }
    return true;
}

void pasteTimeTempos(const CSongDoc& song, const AppClipboard& board, const TimePaste& paste,
                     CUndoRecord& record)
{
    const TempoMap& map = song.tempoMap;
    auto set = std::make_unique<CTempoSet>();
    if (!paste.insert())
        for (size_t k = 0; k < map.size(); ++k)
            if (map[k].tick >= paste.at && map[k].tick <= paste.at + paste.total())
                set->removeKeys.push_back(uint32_t(k));
    const uint32_t former = map.empty() ? kDefaultTempo : map[size_t(FindTempoIndex(map, tickOf(paste.at)))].tempo;
    uint32_t previous = former;
    for (int64_t c = 0; c < paste.copies; ++c) {
        for (size_t k = 0; k < board.tempos.size(); ++k) {
            const TempoEntry& source = board.tempos[k];
            if (k == 0 && source.tempo == previous)
                continue;
            TempoEntry entry;
            entry.tick = tickOf(paste.at + c * paste.length + fromClipboardTicks(source.tick, song.timeBase));
            entry.tempo = source.tempo;
            set->entries.push_back(entry);
        }
        previous = board.tempos.back().tempo;
    }
    // The former tempo comes back after the pasted range, unless a tempo
    // copied at the range's end stands there.
    const int32_t end = tickOf(paste.at + paste.total());
    const bool pastedAtEnd = std::any_of(set->entries.begin(), set->entries.end(),
                                         [end](const TempoEntry& e) { return e.tick == end; });
    if (previous != former && !pastedAtEnd) {
        TempoEntry back;
        back.tick = end;
        back.tempo = former;
        set->entries.push_back(back);
    }
    std::stable_sort(set->entries.begin(), set->entries.end(),
                     [](const TempoEntry& a, const TempoEntry& b) { return a.tick < b.tick; });
    if (set->removeKeys.empty() && set->entries.empty())
        return;
    record.flags |= kUndoTempo;
    record.tempo = std::move(set);
}

// Cues of every copy shifted to `at` + copy × step.
void pasteCueCopies(const CSongDoc& song, const CueList& cues, int64_t at, int64_t step,
                    int64_t copies, CCueSet& set)
{
    for (int64_t c = 0; c < copies; ++c) {
        for (const auto& source : cues) {
            CCue cue = *source;
            cue.time = tickOf(at + c * step + fromClipboardTicks(source->time, song.timeBase));
            cue.secondTime = tickOf(at + c * step + fromClipboardTicks(source->secondTime, song.timeBase));
            set.cues.push_back(std::move(cue));
        }
    }
    sortCuesByTime(set.cues);
}

void pasteTime(CSongDoc& song)
{
    const AppClipboard& board = song.context().host.clipboard();
    const std::optional<PasteTimeParams> params =
        song.context().editDialogs->pasteTime(song, song.position());
    if (!params)
        return;
    const int64_t at = std::max(params->firstCopy, 0);
    const TimePaste paste{*params, at, std::min<int64_t>(params->offset, at),
                          fromClipboardTicks(board.span, song.timeBase),
                          std::max(params->copies, 1)};
    if (reachesTooFar(song, paste.at + paste.total()))
        return;
    auto record = std::make_unique<CUndoRecord>();
    record->label = "Paste Time";
    record->start = tickOf(paste.at - paste.offset);
    record->payload = tickOf(paste.total());
    if (paste.insert() && paste.total() > 0)
        record->flags |= kUndoInsertTime;
    ClipFileCopies files(song);
    if (params->measures && !board.measures.empty() && !song.measureMap.empty()
        && !pasteMeasures(song, board, paste, *record))
        return;
    EventListBuilder builder;
    if (paste.insert() || params->events)
        makeRoomForEvents(song, paste, builder);
    if (params->events && !pasteTrackEvents(song, board, paste, builder, *record, files))
        return;
    if (!builder.empty()) {
        record->flags |= kUndoEvents;
        record->events = builder.build();
    }
    if (params->tempos && !board.tempos.empty())
        pasteTimeTempos(song, board, paste, *record);
    if (params->cues && !board.cues.empty()) {
        auto set = std::make_unique<CCueSet>();
        const int64_t window = paste.at - paste.offset;
        if (params->method == PasteMethod::Replace)
            for (size_t i = 0; i < song.cues.size(); ++i)
                if (song.cues[i]->time >= window && song.cues[i]->time < window + paste.total())
                    set->removeKeys.push_back(uint32_t(i));
        pasteCueCopies(song, board.cues, paste.at, paste.length, paste.copies, *set);
        record->flags |= kUndoCues;
        record->cues = std::move(set);
    }
    applyPaste(song, std::move(record), files);
}

// --- The other kinds ---

void pasteTracks(CSongDoc& song)
{
    const AppClipboard& board = song.context().host.clipboard();
    if (board.tracks.empty())
        return;
    const int n = int(song.tracks.size());
    const ITrackRows* rows = song.context().trackRows;
    int index = n - 1;
    if (rows != nullptr) {
        index = rows->currentRow();
        if (!rows->currentRowMode() && rows->GetSelectedCount() == 1)
            index = rows->GetFirstSelected();
        index = index < 2 ? 1 : std::min(index, n - 1);
    }
    ClipFileCopies files(song);
    auto list = std::make_unique<CTrackList>();
    for (const auto& source : board.tracks) {
        std::unique_ptr<CTrack> track = copyTrackSettings(*source);
        track->events.reserve(source->events.size());
        for (const CMidiEvent& e : source->events) {
            CMidiEvent event = pastedEvent(e, 0, song.timeBase);
            if (!files.duplicate(event))
                return;
            track->events.push_back(std::move(event));
        }
        list->add(std::move(track));
        list->targetRows.push_back(uint32_t(index));
    }
    auto record = std::make_unique<CUndoRecord>();
    record->flags = kUndoTrackList;
    record->label = "Paste Track(s)";
    record->tracks = std::move(list);
    int64_t last = 0;
    for (const auto& track : record->tracks->tracks)
        for (const CMidiEvent& event : track->events)
            last = std::max(last, endOf(event));
    if (reachesTooFar(song, last))
        return;
    if (song.ApplyEdit(std::move(record)) == ApplyResult::Applied)
        files.keep();
}

void pasteTempos(CSongDoc& song)
{
    const AppClipboard& board = song.context().host.clipboard();
    if (board.tempos.empty())
        return;
    const int64_t at = song.position();
    const int64_t first = board.tempos.front().tick;
    const int64_t reach = fromClipboardTicks(int64_t(board.tempos.back().tick) - first, song.timeBase);
    auto set = std::make_unique<CTempoSet>();
    for (size_t k = 0; k < song.tempoMap.size(); ++k)
        if (song.tempoMap[k].tick >= at && song.tempoMap[k].tick <= at + reach)
            set->removeKeys.push_back(uint32_t(k));
    for (const TempoEntry& source : board.tempos) {
        TempoEntry entry;
        entry.tick = tickOf(at + fromClipboardTicks(int64_t(source.tick) - first, song.timeBase));
        entry.tempo = source.tempo;
        set->entries.push_back(entry);
    }
    auto record = std::make_unique<CUndoRecord>();
    record->flags = kUndoTempo;
    record->label = "Paste Tempos";
    record->tempo = std::move(set);
    ClipFileCopies none(song);
    applyPaste(song, std::move(record), none);
}

void pasteCues(CSongDoc& song)
{
    const AppClipboard& board = song.context().host.clipboard();
    auto set = std::make_unique<CCueSet>();
    pasteCueCopies(song, board.cues, song.position(), 0, 1, *set);
    auto record = std::make_unique<CUndoRecord>();
    record->flags = kUndoCues;
    record->label = "Paste Cues";
    record->cues = std::move(set);
    ClipFileCopies none(song);
    applyPaste(song, std::move(record), none);
}

void pasteControllers(CSongDoc& song)
{
    const AppClipboard& board = song.context().host.clipboard();
    std::vector<size_t> targets;
    for (size_t t : selectedUserTracks(song))
        if (song.tracks[t]->type == kMidiTrack && song.tracks[t]->recordArm >= 0)
            targets.push_back(t);
    if (targets.empty()) {
        song.context().prompt.message(kNoTracksToPasteTo);
        return;
    }
    if (board.events.empty())
        return;
    const uint32_t match = board.events.front().message;
    const uint32_t mask = midi::isController(match) ? 0xFFF0 : midi::kKindMask;
    int64_t lastTick = 0;
    for (const CMidiEvent& e : board.events)
        lastTick = std::max<int64_t>(lastTick, e.tick);
    const int64_t at = song.position();
    const int64_t end = at + fromClipboardTicks(lastTick, song.timeBase);
    EventListBuilder builder;
    for (size_t t : targets) {
        const auto& events = song.tracks[t]->events;
        for (size_t e = FirstAtOrAfter(events, at); e < events.size(); ++e) {
            if ((events[e].message & mask) != (match & mask))
                continue;
            if (events[e].tick > end)
                break;
            builder.remove(uint32_t(t << 24 | e));
        }
        for (const CMidiEvent& source : board.events)
            builder.insert(pastedEvent(source, at, song.timeBase), placedOn(t));
    }
    auto record = std::make_unique<CUndoRecord>();
    record->flags = kUndoEvents;
    record->label = "Paste Controllers";
    record->events = builder.build();
    ClipFileCopies none(song);
    applyPaste(song, std::move(record), none);
}

// Where each source track's events go with "Selected &track(s)": the used
// sources in ascending order onto the selected rows in ascending order;
// sources beyond the selected rows go to track 1.
std::array<size_t, 256> mapSources(const CSongDoc& song, const std::set<size_t>& used)
{
    std::array<size_t, 256> target;
    target.fill(1);
    const ITrackRows* rows = song.context().trackRows;
    if (used.empty())
        return target;
    if (rows != nullptr && rows->currentRowMode()) {
        target[*used.begin()] = size_t(std::max(rows->currentRow(), 0));
        return target;
    }
    const std::vector<size_t> selected = selectedUserTracks(song);
    auto source = used.begin();
    for (size_t i = 0; i < selected.size() && source != used.end(); ++i, ++source)
        target[*source] = selected[i];
    return target;
}

void pasteEvents(CSongDoc& song)
{
    const AppClipboard& board = song.context().host.clipboard();
    const std::optional<PasteEventsParams> params =
        song.context().editDialogs->pasteEvents(song, song.position());
    if (!params)
        return;
    const PasteEventsParams& p = *params;
    const int64_t first = p.firstCopy;
    const int64_t step = int64_t(p.secondCopy) - first;
    const int64_t copies = std::max(p.copies, 1);
    if (copies >= 2 && p.secondCopy < first + fromClipboardTicks(board.span, song.timeBase)) {
        song.context().prompt.message(kCopiesOverlap, PromptIcon::Stop);
        return;
    }
    const size_t n = song.tracks.size();
    std::set<size_t> used;
    for (const CMidiEvent& e : board.events)
        used.insert(std::min<size_t>(e.selectionStamp, 255));
    const std::array<size_t, 256> mapped = mapSources(song, used);
    const ITrackRows* rows = song.context().trackRows;
    const std::vector<size_t> mixdown =
        rows != nullptr && rows->currentRowMode()
            ? std::vector<size_t>{size_t(std::max(rows->currentRow(), 0))}
            : selectedUserTracks(song);
    auto keyFor = [&](const CMidiEvent& event, size_t track) {
        return track + 1 < n ? transposeKey(event.message, -song.tracks[track]->key) : event.message;
    };
    ClipFileCopies files(song);
    EventListBuilder builder;
    for (int64_t c = 0; c < copies; ++c) {
        for (const CMidiEvent& source : board.events) {
            if (p.onlyNotes && !source.isNote())
                continue;
            CMidiEvent event = pastedEvent(source, first + c * step, song.timeBase);
            if (!files.duplicate(event))
                return;
            const size_t from = std::min<size_t>(source.selectionStamp, 255);
            if (p.target == PasteTarget::Mixdown) {
                for (size_t t : mixdown) {
                    CMidiEvent each = event;
                    each.message = keyFor(event, t);
                    builder.insert(std::move(each), placedOn(t));
                }
                continue;
            }
            const size_t t = p.target == PasteTarget::SourceTracks ? from : mapped[from];
            event.message = keyFor(event, t);
            builder.insert(std::move(event), placedOn(t));
        }
    }
    auto record = std::make_unique<CUndoRecord>();
    record->label = "Paste Events";
    if (!builder.empty()) {
        record->flags |= kUndoEvents;
        record->events = builder.build();
    }
    if (!p.onlyNotes && !board.cues.empty()) {
        auto set = std::make_unique<CCueSet>();
        pasteCueCopies(song, board.cues, first, step, copies, *set);
        record->flags |= kUndoCues;
        record->cues = std::move(set);
    }
    applyPaste(song, std::move(record), files);
}

} // namespace

bool CSongDoc::canPasteKind(uint32_t kind) const
{
    if (kind & kClipboardTime)
        return hasEditDialog(*this, EditDialog::PasteTime);
    if (kind & (kClipboardTracks | kClipboardTempos | kClipboardControllers) || kind == kClipboardCues)
        return true;
    if (kind & kClipboardEvents)
        return hasEditDialog(*this, EditDialog::PasteEvents);
    return false;
}

void CSongDoc::OnEditPaste()
{
    const uint32_t kind = m_context.host.clipboard().kind;
    if (!editingAllowed() || !canPasteKind(kind))
        return;
    if (kind & kClipboardTime)
        pasteTime(*this);
    else if (kind & kClipboardTracks)
        pasteTracks(*this);
    else if (kind & kClipboardTempos)
        pasteTempos(*this);
    else if (kind == kClipboardCues)
        pasteCues(*this);
    else if (kind & kClipboardControllers)
        pasteControllers(*this);
    else
        pasteEvents(*this);
}

bool CSongDoc::OnUpdateEditSelectTime() const
{
    return editingAllowed() && hasEditDialog(*this, EditDialog::SelectTime);
}

void CSongDoc::OnEditSelectTime()
{
    if (!OnUpdateEditSelectTime())
        return;
    const std::optional<SelectTimeParams> params = m_context.editDialogs->selectTime(*this);
    if (!params)
        return;
    selectionFrom = std::max(std::min(params->from, params->to), 0);
    selectionTo = std::max(std::max(params->from, params->to), 0);
    ++selectionStamp;
    selectionKind = kSelectTimeRange;
    m_context.host.activateEditorView(*this);
    UpdateViews(nullptr, 0);
    Locate(selectionFrom);
    m_context.host.UpdateAllViews();
}

} // namespace rz
