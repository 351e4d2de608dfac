// The end of a take, inside Stop once the transport has stopped: the player
// keeps it as one "Record" edit or drops it. GUI thread.
#include "engine/sequencer.h"

#include "core/prompt.h"
#include "engine/gui_posts.h"
#include "engine/record_take.h"
#include "song/song_doc.h"

namespace rz {

namespace {

void removeTakeFile(const TakeWaveResult& wave)
{
    std::error_code error;
    if (!wave.file.empty())
        std::filesystem::remove(wave.file, error);
}

} // namespace

// The take is swapped out under the ThruMutex, so an echo still running
// appends either before the swap or not at all. A timed-out wait loses the
// take (the guard logs it) rather than read it unguarded. A wave take is
// asked about even without MIDI; audio it lost is reported first.
void CSequencer::finishTake(bool discard)
{
    std::vector<TakeEvent> take;
    {
        LockGuard guard(ThruMutex(), "Stop", m_options.lockWait);
        setRecording(false);
        if (guard)
            take.swap(m_recorder.take);
    }
    m_recorder.dropMeasureRoom();
    const TakeWaveResult wave = endTakeWave();
    CSongDoc* song = currentSong();
    if (song == nullptr) {
        removeTakeFile(wave);
        return;
    }
    if (take.empty() && wave.file.empty()) {
        relocateAfterTake(*song);
        return;
    }
    song->UpdateViews();
    m_services.toGui.UpdateAllViews();
    if (!wave.problem.empty() && !discard)
        m_services.prompt.message(wave.problem, PromptIcon::Warning);
    if (discard
        || m_services.prompt.askYesNo("Keep this take?", PromptIcon::Question)
               != PromptAnswer::Yes) {
        removeTakeFile(wave);
        relocateAfterTake(*song);
        return;
    }
    applyTake(*song, std::move(take), wave);
}

void CSequencer::relocateAfterTake(CSongDoc& song)
{
    song.Locate(m_recorder.recordStart);
    m_services.toGui.UpdateAllViews();
}

// One edit: the overwritten controller moves out, the take's events and
// the recorded clip in.
void CSequencer::applyTake(CSongDoc& song, std::vector<TakeEvent> take, const TakeWaveResult& wave)
{
    const auto settings = liveSettings();
    const RecordOptions& record = settings->record;
    TakeOptions options;
    options.mode = record.mode;
    options.stepVelocity = settings->stepVelocity;
    options.stepDuration = settings->stepDuration;
    if (record.stepSize > 0)
        options.stepGridTicks = stepGridTicks(record.stepUnits, record.stepDot, song.timeBase);
    options.selectionFrom = song.selectionFrom;
    options.selectionTo = song.selectionTo;

    collapsePreStart(take, m_recorder.recordStart);
    auto events = std::make_unique<CEventList>();
    markOverwrittenEvents(take, song.tracks, *events);
    insertTakeEvents(take, song.tracks, options, *events);
    addTakeClips(wave, *events);
    if (events->empty())
        return;
    auto edit = std::make_unique<CUndoRecord>();
    edit->flags = kUndoEvents;
    edit->label = "Record";
    edit->events = std::move(events);
    song.ApplyEdit(std::move(edit));
}

} // namespace rz
