// The playback tick's jumps: at the jump-from tick it repeats a vamp,
// follows a jump, or switches to the next song of the set at a Skip cue.
// Timer thread.
#include "engine/sequencer.h"

#include "engine/gui_posts.h"
#include "song/cue.h"
#include "song/song_doc.h"

#include <charconv>

namespace rz {

namespace {

// The number a cue's name reads as, like a label typed on the keypad:
// leading spaces, then decimal digits. 0 when it does not start with one.
int32_t labelNumber(const std::string& name)
{
    const char* first = name.data();
    const char* last = first + name.size();
    while (first != last && *first == ' ')
        ++first;
    int32_t number = 0;
    if (std::from_chars(first, last, number).ec != std::errc())
        return 0;
    return number;
}

// The last cue whose name reads as the number; null when none does.
const CCue* cueLabelled(const CSongDoc& song, int32_t label)
{
    for (auto cue = song.cues.rbegin(); cue != song.cues.rend(); ++cue) {
        if (labelNumber((*cue)->name) == label)
            return cue->get();
    }
    return nullptr;
}

// The jump a vamp holds, as its cue's own jump again.
NextStop unheld(const NextStop& stop)
{
    NextStop jump = stop;
    if (stop.heldJump != nullptr) {
        jump.jumpCue = stop.heldJump;
        jump.jumpFrom = stop.heldJump->time;
        jump.jumpTo = stop.heldJump->secondTime;
        jump.heldJump = nullptr;
    }
    return jump;
}

} // namespace

void CSequencer::keepHeldJumpAhead(NextStop& stop) const
{
    const CCue* vamp = stop.jumpCue;
    if (stop.heldJump == nullptr || vamp == nullptr || !isVampLike(vamp->kind))
        return;
    const int32_t start = m_transport.runStart.load(std::memory_order_acquire);
    if (stop.jumpFrom <= start && vamp->time > start)
        stop.jumpFrom = vamp->time;
}

void CSequencer::holdJumpIn(NextStop& stop, const CCue& vamp) const
{
    NextStop jump = unheld(stop);
    if (CSongDoc::holdJumpInVamp(jump, vamp))
        stop = jump;
    keepHeldJumpAhead(stop);
}

void CSequencer::holdJumpInOuterVamp(NextStop& stop) const
{
    const CCue* outer = m_transport.outerVamp.load(std::memory_order_acquire);
    const CSongDoc* song = songPlayed();
    if (outer == nullptr || song == nullptr || stop.heldJump != nullptr
        || m_transport.outerRepetitionsLeft.load(std::memory_order_acquire) == 1)
        return;
    // A start outside it leaves the vamp: it holds nothing.
    const int32_t at = song->position();
    if (at >= outer->secondTime && at < outer->time)
        CSongDoc::holdJumpInVamp(stop, *outer);
}

void CSequencer::takeHeldJumpNow(const NextStop& stop)
{
    const int32_t at = position();
    m_transport.changeNextStop([&](NextStop& next) {
        if (next.heldJump != stop.heldJump)
            return;
        next = unheld(next);
        next.jumpFrom = at;
    });
}

// True when the tick ends here (a switch to another song).
bool CSequencer::handleJump(CSongDoc& song)
{
    const NextStop stop = nextStop();
    if (position() < stop.jumpFrom)
        return false;
    if (passOverJumpInPlace(song, stop))
        return false;
    playUpToJustBefore(song, stop.jumpFrom);
    // Playing on from here must not step back to the tick before.
    m_transport.position.store(stop.jumpFrom, std::memory_order_release);
    m_transport.realTime.store(song.TickToTime(stop.jumpFrom), std::memory_order_release);
    song.setPosition(stop.jumpFrom);
    return actOnJumpCue(song, stop);
}

// A jump taken before any tick of its run played moves nothing on. Skips,
// vamps and the jumps they hold can chain such jumps into a cycle, which
// would hold the transport in place for good; a chain without one is no
// longer than the song has cues. A longer one is broken here: the jump is
// passed over and the run plays on, to the end of the vamp it is in, if
// any. True when the jump was passed over.
bool CSequencer::passOverJumpInPlace(const CSongDoc& song, const NextStop& stop)
{
    int& inPlace = m_transport.clock.jumpsInPlace;
    if (stop.jumpFrom > m_transport.runStart.load(std::memory_order_acquire)) {
        inPlace = 0;
        return false;
    }
    if (++inPlace <= int(song.cues.size()) + 1)
        return false;
    inPlace = 0;
    const CCue* vamp = activeVamp();
    const int32_t at = position();
    m_transport.changeNextStop([&](NextStop& next) {
        next.heldJump = nullptr;
        next.nextSong = nullptr;
        if (vamp != nullptr && at < vamp->time && vamp->time > next.jumpFrom) {
            next.jumpCue = vamp;
            next.jumpFrom = vamp->time;
            next.jumpTo = vamp->secondTime;
        } else {
            next.jumpCue = nullptr;
            next.jumpFrom = NextStop::kNoTick;
        }
    });
    return true;
}

bool CSequencer::actOnJumpCue(CSongDoc& song, const NextStop& stop)
{
    const CCue* cue = stop.jumpCue;
    // An Ad lib cue here is a hold the navigation kept: its jump is the
    // navigation's.
    if (cue == nullptr || cue->kind == kCueAdLib) {
        requestJump(stop.jumpTo);
        return false;
    }
    if (isVampLike(cue->kind) && cue == activeVamp())
        return actOnActiveVamp(song, stop);
    // A jump the vamp around the active one holds: leaving, the inner one is
    // over and the outer one repeats.
    if (isVampLike(cue->kind) && cue == m_transport.outerVamp.load(std::memory_order_acquire)) {
        m_transport.endVamp();
        return actOnActiveVamp(song, stop);
    }
    if (cue->kind == kCueSkip) {
        CSongDoc* next =
            stop.nextSong != nullptr ? m_services.toGui.songOfItem(stop.nextSong) : nullptr;
        if (next != nullptr)
            return switchToNextSong(stop.nextSong, *next);
        if (stop.jumpTo != stop.jumpFrom) {
            requestJump(stop.jumpTo);
            return false;
        }
        // No song to switch to: the jump would land on its own tick.
        m_transport.changeNextStop([](NextStop& next) {
            next.jumpFrom = NextStop::kNoTick;
            next.jumpCue = nullptr;
        });
        return false;
    }
    // Any other cue: play on from here.
    song.ComputeNextStop();
    return false;
}

// Another repetition, or the vamp's end: then an enclosing vamp that ends
// here too, a target label, the jump the vamp held, a jump forward, or
// playing on. A label that names no cue is dropped. True when the tick ends
// here.
bool CSequencer::actOnActiveVamp(CSongDoc& song, const NextStop& stop)
{
    const int left = m_transport.vampRepetitionsLeft.load(std::memory_order_acquire);
    if (left != 1) {
        if (left > 1)
            m_transport.vampRepetitionsLeft.store(left - 1, std::memory_order_release);
        m_transport.vampPasses.fetch_add(1, std::memory_order_acq_rel);
        requestJump(stop.jumpTo);
        return false;
    }
    m_transport.endVamp();
    if (stop.heldJump == nullptr && stop.jumpCue != nullptr && stop.jumpFrom == stop.jumpCue->time) {
        if (const CCue* outer = enclosingVampEndingWith(song, *stop.jumpCue))
            return actOnEnclosingVamp(song, stop, *outer);
    }
    if (stop.targetLabel != 0) {
        m_transport.changeNextStop([](NextStop& stop) { stop.targetLabel = 0; });
        if (const CCue* target = cueLabelled(song, stop.targetLabel)) {
            requestJump(target->secondTime);
            return false;
        }
    }
    if (stop.heldJump != nullptr)
        return takeHeldJump(song, stop);
    if (stop.jumpTo > stop.jumpFrom)
        requestJump(stop.jumpTo);
    else
        song.ComputeNextStop();
    return false;
}

// Of the vamps that end where `ended` does and hold its stretch, the next
// one out: the vamp `ended` was inside when it became active, or one whose
// turn the inner vamp took when the position came in. Nesting order is the
// active vamp's: the later start first, then the earlier cue.
const CCue* CSequencer::enclosingVampEndingWith(const CSongDoc& song, const CCue& ended) const
{
    size_t endedIndex = song.cues.size();
    for (size_t k = 0; k < song.cues.size(); ++k) {
        if (song.cues[k].get() == &ended)
            endedIndex = k;
    }
    const CCue* best = nullptr;
    for (size_t k = 0; k < song.cues.size(); ++k) {
        const CCue& cue = *song.cues[k];
        const bool after = cue.secondTime < ended.secondTime
                           || (cue.secondTime == ended.secondTime && k > endedIndex);
        if (!isVampLike(cue.kind) || cue.time != ended.time || &cue == &ended || !after)
            continue;
        if (best == nullptr || cue.secondTime > best->secondTime)
            best = &cue;
    }
    const CCue* outer = activeVamp();
    if (outer != nullptr && outer->time == ended.time && (best == nullptr || outer->secondTime >= best->secondTime))
        return outer;
    return best;
}

bool CSequencer::actOnEnclosingVamp(CSongDoc& song, const NextStop& stop, const CCue& outer)
{
    if (&outer != activeVamp())
        m_transport.enterVamp(outer, vampRepetitionsOnEntry(outer));
    NextStop outerStop = stop;
    outerStop.jumpCue = &outer;
    outerStop.jumpTo = outer.secondTime;
    m_transport.changeNextStop([&outer](NextStop& next) {
        next.jumpCue = &outer;
        next.jumpTo = outer.secondTime;
    });
    return actOnActiveVamp(song, outerStop);
}

// The vamp that held a jump inside it is left: the jump is taken, unless
// the vamp it was inside still repeats and holds it in turn.
bool CSequencer::takeHeldJump(CSongDoc& song, const NextStop& stop)
{
    // Taken from where the vamp left it.
    NextStop jump = unheld(stop);
    jump.jumpFrom = stop.jumpFrom;
    const CCue* outer = activeVamp();
    const bool held = outer != nullptr && vampRepetitionsLeft() != 1 && CSongDoc::holdJumpInVamp(jump, *outer);
    m_transport.changeNextStop([&jump](NextStop& next) {
        next.jumpCue = jump.jumpCue;
        next.jumpTo = jump.jumpTo;
        next.heldJump = jump.heldJump;
    });
    return held ? actOnActiveVamp(song, jump) : actOnJumpCue(song, jump);
}

// Only while still Playing: a Stop that came meanwhile wins. The old song's
// notes and pedals end first, since the new song's start chases only its
// own ports and channels. The old song's vamp ends with it.
bool CSequencer::switchToNextSong(SetItemHandle item, CSongDoc& next)
{
    LockGuard guard(TransportMutex(), "TimerProc", m_options.lockWait);
    if (!guard || transportState() != TransportState::Playing)
        return true;
    endTrackNotesOnEveryPort();
    clearVamp();
    m_transport.songPlayed.store(&next, std::memory_order_release);
    m_transport.songSwitchedTo.store(&next, std::memory_order_release);
    m_transport.startTick = 0;
    m_transport.startRelative = false;
    ++m_transport.startSerial;
    m_transport.setState(TransportState::Starting);
    m_transport.skipItem.store(item, std::memory_order_release);
    requestRefresh(kRefreshSkipSwitched);
    return true;
}

void CSequencer::endTrackNotesOnEveryPort()
{
    const std::shared_ptr<const SequencerPorts> table = ports();
    for (auto port = table->outputs.rbegin(); port != table->outputs.rend(); ++port)
        (*port)->ReleaseTrackNotes();
}

// A jump the tick asks for: only while Playing or Holding, so that a tick
// never restarts a transport the user has just paused or stopped.
void CSequencer::requestJump(int32_t tick)
{
    LockGuard guard(TransportMutex(), "TimerProc", m_options.lockWait);
    if (!guard)
        return;
    const TransportState state = transportState();
    if (state == TransportState::Playing || state == TransportState::Holding)
        setStart(tick, false);
}

} // namespace rz
