// A performer at the stage: seeded random transport and navigation commands,
// tempo changes, taps and typed labels against the real engine, over songs
// with held notes, a sustain pedal (sometimes never lifted) and every cue
// kind, in time bases 96-480, several meters and tempo changes, on one or
// two devices, melody and chords sometimes sharing a channel; the frame's
// song-end and song-switch timers answered 0-20 ticks late, and the output
// checked after every tick and command: what sounds while playing and after
// a Pause against the song's notes, the state and position each song-end cue
// leaves, and the vamps' repeats.
//
// RZ_PERFORMER_SEEDS=n runs seeds 1..n (a few hundred by default);
// RZ_PERFORMER_SEED=s replays seed s alone.

#include "tests/engine/performer_stage.h"

#include "core/locks.h"
#include "core/tempo_multiplier.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

namespace rz {
namespace {

using test::controller;
using test::note;

// Sanitizer builds run a tenth of the seeds: each is several times slower.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr int kDefaultSeeds = 50;
#else
constexpr int kDefaultSeeds = 500;
#endif
constexpr std::array<int, 6> kTimeBases = {96, 120, 192, 240, 384, 480};
// Numerator and denominator power: 4/4, 3/4, 6/8, 5/4, 7/8, 2/2.
constexpr std::array<std::pair<int, int>, 6> kMeters = {{{4, 2}, {3, 2}, {6, 3}, {5, 2}, {7, 3}, {2, 1}}};
// The sounding check while playing runs every this many ticks.
constexpr int kSoundingEvery = 4;
constexpr int kTicksPerShow = 2500;
// Ticks the transport may stand at one position while it plays.
constexpr int kMostTicksInPlace = 25;

// Lock waits that timed out, in the whole program so far.
uint64_t lockTimeouts()
{
    return SongMutex().timeoutCount() + AudioMutex().timeoutCount()
        + TransportMutex().timeoutCount();
}

long g_playingTicks = 0;
long g_switches = 0;
bool g_trace = false;

class Show {
public:
    explicit Show(uint32_t seed)
        : m_random(seed)
        , m_seed(seed)
    {
    }

    // The first violation, empty when none.
    std::string run()
    {
        const uint32_t options
            = (pick(2) ? kOptionResetOnStart : 0u) | (pick(4) ? 0u : kOptionPlayLeavesVamp);
        m_stage = std::make_unique<PerformerStage>(options, pick(3) ? 1 : 2);
        m_outputs = m_stage->devices.outputDevices.size() > 1 ? 2 : 1;
        m_lockTimeouts = lockTimeouts();
        buildSongs();
        m_nextCommand = between(0, 40);
        for (m_tick = 0; m_tick < kTicksPerShow && m_fault.empty(); ++m_tick) {
            if (m_tick == m_nextCommand) {
                command();
                check(true);
                m_nextCommand = m_tick + between(1, pick(3) ? 12 : 400);
            }
            runFrameTimers();
            if (!m_fault.empty())
                break;
            m_stage->runTicks(1);
            check(false);
        }
        m_stage.reset();
        return m_fault;
    }

private:
    int between(int low, int high)
    {
        return std::uniform_int_distribution<int>(low, high)(m_random);
    }
    // True one time in `n`.
    bool pick(int n) { return between(1, n) == 1; }

    struct NoteSpan {
        int port = 0;
        int channel = 0;
        int key = 0;
        int32_t start = 0;
        int32_t end = 0;
    };
    struct StagedSong {
        const CSongDoc* song = nullptr;
        int32_t slack = 0; // song ticks one timer tick may move at the fastest
        std::vector<NoteSpan> notes;
    };

    const StagedSong* staged(const CSongDoc* song) const
    {
        for (const StagedSong& one : m_songs) {
            if (one.song == song)
                return &one;
        }
        return nullptr;
    }

    // One to three songs; without a set, or in a set in their order.
    void buildSongs()
    {
        const int count = between(1, 3);
        for (int k = 0; k < count; ++k)
            buildSong();
        m_inSet = count > 1 && !pick(4);
        m_stage->makeCurrent(*m_stage->songs.front(), nextItemAfter(0));
    }

    SetItemHandle nextItemAfter(size_t index)
    {
        if (!m_inSet || index + 1 >= m_stage->songs.size())
            return nullptr;
        return m_stage->itemOf(*m_stage->songs[index + 1]);
    }

    SongShape drawShape()
    {
        SongShape shape;
        if (!pick(3))
            shape.timeBase = kTimeBases[size_t(between(0, int(kTimeBases.size()) - 1))];
        if (pick(2)) {
            const auto [numerator, power] = kMeters[size_t(between(1, int(kMeters.size()) - 1))];
            shape.numerator = numerator;
            shape.denominatorPower = power;
        }
        return shape;
    }

    // Song ticks of 20..200 (or 300..900) at 120 per quarter, in this time base.
    static int32_t scaled(int32_t ticksAt120, int timeBase) { return ticksAt120 * timeBase / 120; }

    void buildSong()
    {
        SongShape shape = drawShape();
        const int timeBase = shape.timeBase;
        const int32_t measure = measureLength(timeBase, shape.numerator, 1 << shape.denominatorPower);
        const int32_t beat = 4 * timeBase >> shape.denominatorPower;
        const int32_t measures = between(3, 6);
        const int32_t end = measures * measure;
        uint32_t fastest = PerformerStage::kTempo;
        for (int k = pick(2) ? between(1, 2) : 0; k > 0; --k) {
            const uint32_t tempo = PerformerStage::kTempo / 100 * uint32_t(between(70, 140));
            shape.tempoChanges.emplace_back(between(1, measures - 1) * measure, tempo);
            fastest = std::min(fastest, tempo);
        }
        std::sort(shape.tempoChanges.begin(), shape.tempoChanges.end());
        // Each song on channels of its own: one song's start settles only
        // its own channels. Melody and chords sometimes share one.
        const int melodyChannel = 2 * int(m_stage->songs.size());
        const int chordChannel = pick(4) ? melodyChannel : melodyChannel + 1;
        const int chordPort = m_outputs > 1 && pick(2) ? 1 : 0;
        StagedSong info;
        info.slack = int32_t(int64_t(timeBase) * 4000 / fastest) + 2;
        std::vector<CMidiEvent> melody;
        std::array<int32_t, 128> free{};
        for (int32_t tick = 0; tick < end - beat; tick += beat / 2 * between(1, 4)) {
            const uint8_t key = uint8_t(between(60, 71));
            if (free[key] > tick)
                continue;
            const int32_t length = std::min(
                scaled(between(1, 4) == 1 ? between(300, 900) : between(20, 200), timeBase), end - tick);
            melody.push_back(note(tick, key, 90, length, uint8_t(melodyChannel)));
            info.notes.push_back({0, melodyChannel, key, tick, tick + length});
            free[key] = tick + length + 1;
        }
        // The pedal is sometimes never lifted: a stop must lift it.
        const bool lifts = !pick(5);
        std::vector<CMidiEvent> chords;
        for (int32_t bar = 0; bar < measures; bar += 2) {
            const int32_t start = bar * measure;
            const int32_t length = std::min(2 * measure - scaled(10, timeBase), end - start - 5);
            chords.push_back(controller(start, 64, 127, uint8_t(chordChannel)));
            for (uint8_t key : {48, 52, 55}) {
                chords.push_back(note(start, uint8_t(key + bar), 80, length, uint8_t(chordChannel)));
                info.notes.push_back({chordPort, chordChannel, key + bar, start, start + length});
            }
            if (lifts)
                chords.push_back(controller(start + length, 64, 0, uint8_t(chordChannel)));
        }
        CSongDoc& made = m_stage->addShapedSong(
            {{melody, melodyChannel, 0}, {chords, chordChannel, chordPort}}, shape);
        info.song = &made;
        m_songs.push_back(std::move(info));
        addCues(made, end, beat);
    }

    void addCues(CSongDoc& made, int32_t end, int32_t beatLength)
    {
        const int beats = end / beatLength;
        auto beat = [&](int low, int high) {
            return int32_t(std::clamp(between(low, high), 0, beats - 1)) * beatLength;
        };
        const int count = between(0, 4);
        for (int k = 0; k < count; ++k) {
            const int32_t kind = between(0, kCueKindCount - 1);
            const int32_t time = beat(1, beats - 1);
            int32_t second = time;
            switch (kind) {
            case kCueCaesura:
            case kCueFermata:
            case kCueHoldCut:
                second = std::min(time + beat(0, 4), end - beatLength);
                break;
            case kCueAdLib:
                second = std::min(time + beat(1, 4), end - beatLength);
                break;
            case kCueVamp:
            case kCueUnused7:
            case kCueAdvance:
            case kCueAdvanceCut:
                second = std::max(time - beat(1, 8), 0);
                break;
            case kCueSkip:
                second = pick(2) ? time : beat(0, beats - 1);
                break;
            default:
                break;
            }
            if (second == time && isVampLike(kind))
                continue;
            CCue& cue
                = PerformerStage::addCue(made, kind, time, second, between(0, 3), pick(4) ? 1 : 0);
            cue.name = std::to_string(between(1, 3));
        }
        // A skip to the next song of the set, if there is one.
        if (pick(2)) {
            const int32_t at = beat(beats / 3, beats - 2);
            PerformerStage::addCue(made, kCueSkip, at, at);
        }
        // What musicians write inside vamps: a marker, and a vamp in a vamp.
        if (pick(3)) {
            const int32_t from = beat(0, beats - 5);
            const int32_t to = from + beat(3, 6);
            if (to < end) {
                PerformerStage::addCue(made, kCueVamp, to, from, between(0, 3));
                if (pick(2))
                    PerformerStage::addCue(made, kCueMarker, from + beatLength * between(0, 1), from);
                else
                    PerformerStage::addCue(
                        made, kCueVamp, from + beatLength * between(1, 2), from, between(0, 3));
            }
        }
        if (pick(4))
            addJumpsIntoSections(made, end, beatLength);
    }

    // Sections whose jumps meet: a Skip on a section's first tick into its
    // middle with a switch to the next song there, or two sections that end
    // together with a Skip inside both to their end.
    void addJumpsIntoSections(CSongDoc& made, int32_t end, int32_t beatLength)
    {
        constexpr std::array<int32_t, 3> kSections = {kCueVamp, kCueUnused7, kCueAdvance};
        const auto section = [&] { return kSections[size_t(between(0, 2))]; };
        const int32_t from = beatLength * between(0, end / beatLength - 5);
        const int32_t middle = from + beatLength * between(1, 2);
        const int32_t to = middle + beatLength * between(2, 3);
        if (to >= end)
            return;
        PerformerStage::addCue(made, section(), to, from, between(0, 2));
        if (pick(2)) {
            PerformerStage::addCue(made, kCueSkip, from, middle);
            PerformerStage::addCue(made, kCueSkip, middle, middle);
        } else {
            PerformerStage::addCue(made, section(), to, middle, between(1, 3));
            PerformerStage::addCue(made, kCueSkip, middle + beatLength, to);
        }
    }

    // The commands a performer has at hand, drawn at random.
    void command()
    {
        CSequencer& engine = *m_stage->engine;
        CSongDoc& song = *m_stage->current;
        const int which = between(0, 27);
        const TransportState before = engine.transportState();
        m_performerStopped = false;
        m_commanded = which < 21 || which == 26;
        m_commandedSinceVampLook = m_commandedSinceVampLook || m_commanded;
        m_commandedSinceSoundLook = true;
        // A jump the navigation scheduled, or a hold, takes the place of
        // the vamp's own until the next start.
        m_jumpPending = m_jumpPending || (which >= 11 && which <= 17);
        m_holdPending = m_holdPending || which == 24;
        m_lastCommand = which;
        if (g_trace)
            std::printf("%d: command %d\n", m_tick, which);
        switch (which) {
        case 0:
        case 1:
        case 2:
            engine.Advance(false);
            break;
        case 3:
            engine.Advance(true);
            break;
        case 4:
            engine.OnPlayPause();
            break;
        case 5:
            engine.OnPlayStop();
            afterStop();
            break;
        case 6:
            stop();
            break;
        case 7:
            engine.Pause();
            afterPause(before);
            break;
        case 8:
            engine.ToggleVampExit(true);
            break;
        case 9:
            song.GoToBeginning();
            break;
        case 10:
            song.GoToEnd();
            afterStop();
            break;
        case 11:
            song.NextMeasure();
            break;
        case 12:
            song.PreviousMeasure();
            break;
        case 13:
            song.GoToMeasure(int32_t(between(0, song.endTick)));
            break;
        case 14:
            song.RepeatMeasure();
            break;
        case 15:
            song.SkipNextMeasure();
            break;
        case 16:
            song.NextCue();
            break;
        case 17:
            song.PreviousCue();
            break;
        case 18:
            song.NextNote();
            break;
        case 19:
            song.PreviousNote();
            break;
        case 20:
            pick(2) ? song.StepBeatBack() : song.StepBeatForward();
            break;
        case 21:
            engine.setTempoMultiplier(between(kMinMultiplier, kMaxMultiplier));
            break;
        case 22:
            engine.ConductorTap();
            break;
        case 23: {
            NextStop stop = engine.nextStop();
            stop.targetLabel = between(1, 3);
            engine.setNextStop(stop);
            break;
        }
        case 24:
            engine.setHoldFlag(true);
            m_commanded = m_commandedSinceVampLook = true;
            break;
        case 25:
            engine.setTempoMultiplier(kNormalMultiplier);
            break;
        case 26:
            // A click on the time line.
            engine.Play(int32_t(between(0, song.endTick)));
            break;
        default:
            // Stop, then Pause to hear the chord at the position.
            engine.Stop(false);
            m_commanded = true;
            afterStop();
            engine.Pause();
            afterPause(engine.transportState() == TransportState::Paused ? TransportState::Stopped
                                                                            : before);
            m_performerStopped = false;
            break;
        }
    }

    // A Pause from Stopped sounds exactly the notes at the position, those
    // starting there included; one from Playing leaves what played.
    void afterPause(TransportState before)
    {
        CSequencer& engine = *m_stage->engine;
        if (engine.transportState() != TransportState::Paused || !m_fault.empty())
            return;
        if (before != TransportState::Stopped && before != TransportState::Playing)
            return;
        if (const std::string fault = m_stage->look(); !fault.empty())
            fail(fault);
        // In a song switch's window, before the frame follows, the engine
        // chases the song it plays.
        const CSongDoc* chased = engine.songPlayed() != nullptr ? engine.songPlayed() : m_stage->current;
        const StagedSong* song = staged(chased);
        if (song == nullptr)
            return;
        const int32_t slack = before == TransportState::Stopped ? 0 : song->slack;
        checkSounding(*song, chased->position(), slack, "after a Pause");
    }

    // The notes surely sounding at `at` (`slack` ticks inside a note) must
    // sound, and nothing may that sounds nowhere near it.
    void checkSounding(const StagedSong& song, int32_t at, int32_t slack, const char* when)
    {
        std::array<std::array<std::array<uint8_t, 128>, 16>, 2> expected{}; // 2 must, 1 may
        for (const NoteSpan& span : song.notes) {
            uint8_t& state = expected[size_t(span.port)][size_t(span.channel)][size_t(span.key)];
            if (span.start + slack <= at && at + slack < span.end)
                state = 2;
            else if (span.start - slack <= at && at < span.end + slack)
                state = std::max<uint8_t>(state, 1);
        }
        for (int port = 0; port < m_outputs; ++port) {
            const StageWatch& watch = port == 0 ? m_stage->watch : m_stage->secondWatch;
            for (int channel = 0; channel < 16; ++channel) {
                for (int key = 0; key < 128; ++key) {
                    const uint8_t want = expected[size_t(port)][size_t(channel)][size_t(key)];
                    const bool on = watch.noteOn(channel, key);
                    if (want == 2 && !on)
                        return fail(std::string(when) + ": note " + std::to_string(key) + " ch "
                            + std::to_string(channel) + " port " + std::to_string(port)
                            + " missing at " + std::to_string(at));
                    if (want == 0 && on)
                        return fail(std::string(when) + ": note " + std::to_string(key) + " ch "
                            + std::to_string(channel) + " port " + std::to_string(port)
                            + " stuck at " + std::to_string(at));
                }
            }
        }
    }

    std::string soundingAnywhere() const
    {
        std::string text = m_stage->watch.sounding();
        if (m_outputs > 1) {
            if (const std::string second = m_stage->secondWatch.sounding(); !second.empty())
                text += " |port 1:" + second;
        }
        return text;
    }

    void stop()
    {
        m_stage->engine->Stop(false);
        afterStop();
    }

    void afterStop()
    {
        m_performerStopped = m_stage->engine->transportState() == TransportState::Stopped;
        if (!m_performerStopped)
            return;
        check(true);
        if (!m_fault.empty())
            return;
        if (const std::string left = soundingAnywhere(); !left.empty())
            fail("sounding after Stop:" + left);
    }

    // The frame's timers, each as late as the seed says.
    void runFrameTimers()
    {
        CSequencer& engine = *m_stage->engine;
        if (m_songEndDue >= 0 && m_tick >= m_songEndDue) {
            m_songEndDue = -1;
            const bool ends = engine.transportState() == TransportState::SongEnded
                && m_stage->current->position() >= m_stage->current->endTick;
            const bool performerStopped = m_performerStopped;
            const bool atCue = engine.transportState() == TransportState::SongEnded
                && m_stage->current->position() < m_stage->current->endTick;
            const int32_t reached = m_stage->current->position();
            m_stage->songEndHandler();
            check(true);
            if (atCue)
                checkSongEndCue(*m_stage->current, reached);
            if (ends)
                afterStop();
            m_performerStopped = performerStopped;
        }
        if (m_songSwitchDue >= 0 && m_tick >= m_songSwitchDue) {
            m_songSwitchDue = -1;
            CSongDoc* played = engine.songPlayed();
            size_t index = 0;
            while (index < m_stage->songs.size() && m_stage->songs[index].get() != played)
                ++index;
            if (index < m_stage->songs.size())
                m_stage->songSwitchHandler(nextItemAfter(index));
            check(true);
        }
    }

    // Where each song-end cue leaves the transport: the first cue from the
    // position that acts, as the frame's timer finds it.
    void checkSongEndCue(const CSongDoc& song, int32_t at)
    {
        const CSequencer& engine = *m_stage->engine;
        for (size_t k = size_t(song.FindCueAt(at)); k < song.cues.size(); ++k) {
            const CCue& cue = *song.cues[k];
            const bool reached = at == cue.time;
            TransportState state = TransportState::Paused;
            int32_t position = -1; // -1: not checked
            if (cue.kind == kCueCaesura && reached && at <= cue.secondTime) {
                state = TransportState::Stopped;
                position = cue.secondTime;
            } else if (cue.kind == kCueFermata && reached && at <= cue.secondTime) {
                position = cue.secondTime;
            } else if (cue.kind == kCueAdLib && at >= cue.time && at <= cue.secondTime) {
                position = -1;
            } else if (cue.kind == kCueHoldCut && reached) {
                position = cue.time;
            } else if (cue.kind == kCueAdvanceCut && reached) {
                state = TransportState::Stopped;
                position = cue.time;
            } else {
                continue;
            }
            if (engine.transportState() != state)
                fail("cue kind " + std::to_string(cue.kind) + " at " + std::to_string(cue.time)
                    + " left state " + std::to_string(int(engine.transportState())));
            else if (position >= 0 && song.position() != position)
                fail("cue kind " + std::to_string(cue.kind) + " at " + std::to_string(cue.time)
                    + " left the position at " + std::to_string(song.position()) + ", not "
                    + std::to_string(position));
            return;
        }
    }

    void fail(const std::string& what)
    {
        if (m_fault.empty())
            m_fault = "seed " + std::to_string(m_seed) + " tick " + std::to_string(m_tick)
                + " (last command " + std::to_string(m_lastCommand) + "): " + what + "; cues"
                + cueText(m_stage->engine->songPlayed());
    }

    static std::string cueText(const CSongDoc* song)
    {
        std::string text;
        if (song == nullptr)
            return text;
        for (const auto& cue : song->cues)
            text += " " + std::to_string(cue->kind) + "@" + std::to_string(cue->time) + "/"
                + std::to_string(cue->secondTime) + "x" + std::to_string(cue->repeatCount);
        return text;
    }

    // After a tick, or (`command`) after a command or a frame timer.
    void check(bool command)
    {
        CSequencer& engine = *m_stage->engine;
        if (const std::string fault = m_stage->look(); !fault.empty())
            fail(fault);
        const TransportState state = engine.transportState();
        CSongDoc* played = engine.songPlayed();
        if (lockTimeouts() != m_lockTimeouts)
            fail("a lock wait timed out");
        if (m_performerStopped && state != TransportState::Stopped)
            fail("the performer's Stop was undone");
        if (state == TransportState::Stopped) {
            if (const std::string left = soundingAnywhere(); !left.empty())
                fail("sounding while Stopped:" + left);
        }
        if (command)
            return;
        if (state == TransportState::SongEnded && m_lastState != TransportState::SongEnded) {
            m_songEndDue = m_tick + between(0, 20);
            // The performer often acts just as a song or a fermata ends.
            if (pick(2))
                m_nextCommand = std::min(m_nextCommand, m_tick + between(1, 20));
        }
        if (played != m_lastPlayed && m_lastPlayed != nullptr
            && m_lastState != TransportState::Stopped && m_lastState != TransportState::Paused) {
            m_songSwitchDue = m_tick + between(0, 20);
            ++g_switches;
            if (pick(2))
                m_nextCommand = std::min(m_nextCommand, m_tick + between(1, 20));
        }
        if (state == TransportState::SongEnded && played != nullptr
            && engine.position() > played->endTick) {
            if (const std::string left = soundingAnywhere(); !left.empty())
                fail("sounding at the song's end:" + left);
        }
        if (state == TransportState::Playing)
            ++g_playingTicks;
        if (g_trace)
            std::printf("%d: state %d at %d vamp %d left %d jump %d>%d\n", m_tick, int(state),
                engine.position(), engine.activeVamp() ? engine.activeVamp()->time : -1,
                engine.vampRepetitionsLeft(), engine.nextStop().jumpFrom, engine.nextStop().jumpTo);
        checkInPlace(state, played);
        checkVamps(state, played);
        checkPlaying(state, played);
        m_lastState = state;
        m_lastPlayed = played;
        m_lastPosition = engine.position();
        m_commanded = false;
    }

    // While the song plays on with no command, jump or start since the last
    // look, its notes at the position sound and no other does.
    void checkPlaying(TransportState state, const CSongDoc* played)
    {
        const bool steady = state == TransportState::Playing && m_lastState == TransportState::Playing
            && played == m_lastPlayed && !m_commandedSinceSoundLook;
        m_commandedSinceSoundLook = false;
        if (!steady || m_tick % kSoundingEvery != 0)
            return;
        const StagedSong* song = staged(played);
        const int32_t at = m_stage->engine->position();
        if (song != nullptr && at >= m_lastPosition && at - m_lastPosition <= song->slack)
            checkSounding(*song, at, song->slack, "while playing");
    }

    void checkInPlace(TransportState state, const CSongDoc* played)
    {
        const bool moving = state == TransportState::Playing || state == TransportState::Starting;
        if (moving && played == m_lastPlayed && m_stage->engine->position() == m_lastPosition) {
            if (++m_inPlace > kMostTicksInPlace)
                fail(
                    "the transport stands at " + std::to_string(m_lastPosition) + " while playing");
        } else {
            m_inPlace = 0;
        }
    }

    // A vamp the song played into, with no command since, repeats its
    // count, and forever at count 0.
    void checkVamps(TransportState state, CSongDoc* played)
    {
        if (state != TransportState::Playing)
            m_jumpPending = false;
        if (state != TransportState::Playing && state != TransportState::Starting)
            m_holdPending = false;
        // A vamp's own jump passes through Starting; the position it
        // jumped from is not played.
        if (state == TransportState::Starting && !m_commanded && played == m_vampSong)
            return;
        const int32_t at = m_stage->engine->position();
        const int32_t last = m_vampLast;
        m_vampLast = at;
        const bool clean = !m_commanded && !m_commandedSinceVampLook && !m_jumpPending
            && !m_holdPending && state == TransportState::Playing && played == m_vampSong;
        m_commandedSinceVampLook = false;
        if (!clean) {
            m_vamps.clear();
            m_vampSong = state == TransportState::Playing ? played : nullptr;
            return;
        }
        // A Play-through pressed or left while playing counts from the next tick.
        const bool through = m_stage->engine->playThrough();
        const StagedSong* song = staged(played);
        const int32_t near = (song != nullptr ? song->slack : 6) + 2;
        for (const auto& cue : played->cues) {
            // Played through, an Advance section does not repeat.
            const bool repeats = cue->kind == kCueVamp || cue->kind == kCueUnused7
                || (cue->kind == kCueAdvance && !through);
            if (!repeats)
                continue;
            const CCue& vamp = *cue;
            auto tracked = std::find_if(
                m_vamps.begin(), m_vamps.end(), [&](const auto& t) { return t.cue == &vamp; });
            const bool wasInside = last >= vamp.secondTime && last < vamp.time;
            const bool inside = at >= vamp.secondTime && at < vamp.time;
            if (tracked == m_vamps.end()) {
                if (last < vamp.secondTime && inside)
                    m_vamps.push_back({&vamp, 0});
                continue;
            }
            if (at < last && inside && at - vamp.secondTime < near) {
                ++tracked->repeats;
            } else if (wasInside && at >= vamp.time && at - vamp.time < near && vamp.time - last < near) {
                const int count = vamp.repeatCount > 0 ? vamp.repeatCount
                                                       : (m_stage->engine->playThrough() ? 2 : 0);
                if (count == 0 || tracked->repeats < count - 1)
                    fail("the vamp at " + std::to_string(vamp.secondTime) + ".."
                        + std::to_string(vamp.time) + " ended after "
                        + std::to_string(tracked->repeats) + " repeats");
                m_vamps.erase(tracked);
            } else if (!inside || at < last) {
                m_vamps.erase(tracked);
            }
        }
    }

    struct TrackedVamp {
        const CCue* cue = nullptr;
        int repeats = 0;
    };

    std::mt19937 m_random;
    uint32_t m_seed;
    std::unique_ptr<PerformerStage> m_stage;
    bool m_inSet = false;
    int m_tick = 0;
    int m_nextCommand = 0;
    uint64_t m_lockTimeouts = 0;
    int m_lastCommand = -1;
    bool m_commanded = false;
    bool m_performerStopped = false; // and no command since
    int m_songEndDue = -1;
    int m_songSwitchDue = -1;
    TransportState m_lastState = TransportState::Stopped;
    CSongDoc* m_lastPlayed = nullptr;
    int32_t m_lastPosition = 0;
    int m_inPlace = 0;
    CSongDoc* m_vampSong = nullptr;
    int32_t m_vampLast = 0;
    bool m_commandedSinceVampLook = false;
    bool m_commandedSinceSoundLook = false;
    int m_outputs = 1;
    std::vector<StagedSong> m_songs;
    bool m_jumpPending = false;
    bool m_holdPending = false;
    std::vector<TrackedVamp> m_vamps;
    std::string m_fault;
};

int envNumber(const char* name, int fallback)
{
    const char* text = std::getenv(name);
    return text != nullptr && *text != '\0' ? std::atoi(text) : fallback;
}

TEST(PerformerScenarios, SeededShowsLeaveNothingSoundingOrStuck)
{
    int first = 1;
    int last = envNumber("RZ_PERFORMER_SEEDS", kDefaultSeeds);
    if (const int one = envNumber("RZ_PERFORMER_SEED", 0); one > 0)
        first = last = one;
    g_trace = envNumber("RZ_PERFORMER_TRACE", 0) != 0;
    const auto began = std::chrono::steady_clock::now();
    int failed = 0;
    for (int seed = first; seed <= last; ++seed) {
        const std::string fault = Show(uint32_t(seed)).run();
        if (!fault.empty()) {
            ++failed;
            ADD_FAILURE() << fault << "\n  replay: RZ_PERFORMER_SEED=" << seed;
            if (failed >= 10)
                break;
        }
    }
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - began);
    std::printf("performer seeds %d..%d: %d failed, %lld ms, %ld playing, %ld switches\n", first,
        last, failed, (long long)took.count(), g_playingTicks, g_switches);
}

} // namespace
} // namespace rz
