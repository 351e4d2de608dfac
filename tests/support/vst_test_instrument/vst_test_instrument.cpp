// The test instrument: a sine per held note, its chunk echoed back, a small
// editor. Audio is rendered at each event's own frame.
#include "engine/vst2_abi.h"
#include "tests/support/vst_test_instrument/vst_test_instrument.h"

#include <cmath>
#include <cstring>
#include <vector>

using namespace rz;

namespace {

constexpr double kTwoPi = 6.283185307179586;
constexpr float kNoteLevel = 0.2f;
constexpr int32_t kMaxEventsPerBlock = 8192;

TestInstrumentProbe g_probe;

struct Voice {
    bool on = false;
    float level = 0.0f;
    double phase = 0.0;
};

struct Instrument {
    AEffect effect{};
    audioMasterCallback host = nullptr;
    double sampleRate = 44100.0;
    Voice voices[128];
    VstMidiEvent pending[kMaxEventsPerBlock];
    int32_t pendingCount = 0;
    std::vector<uint8_t> chunk;
    ERect rect{0, 0, 200, 300};
};

Instrument* instrumentOf(AEffect* effect)
{
    return static_cast<Instrument*>(effect->object);
}

void resetProbe()
{
    g_probe.events = 0;
    g_probe.largestBlock = 0;
    g_probe.sampleRateCalls = 0;
    g_probe.processCalls = 0;
    g_probe.editIdles = 0;
    g_probe.idles = 0;
    g_probe.editorOpens = 0;
    g_probe.editorCloses = 0;
    g_probe.answeredRate = 0;
    g_probe.answeredTimeFlags = -1;
}

void takeEvents(Instrument& instrument, const VstEvents* events)
{
    instrument.pendingCount = 0;
    for (int32_t i = 0; i < events->numEvents && i < kMaxEventsPerBlock; ++i) {
        const VstEvent* event = events->events[i];
        if (event->type != kVstMidiType)
            continue;
        const auto& midi = *reinterpret_cast<const VstMidiEvent*>(event);
        instrument.pending[instrument.pendingCount++] = midi;
        const int seen = g_probe.events.fetch_add(1);
        if (seen < TestInstrumentProbe::kMessageCapacity) {
            uint32_t message = 0;
            for (int byte = 0; byte < 4; ++byte)
                message |= uint32_t(uint8_t(midi.midiData[byte])) << (8 * byte);
            g_probe.messages[seen] = message;
        }
    }
    if (events->numEvents > g_probe.largestBlock)
        g_probe.largestBlock = events->numEvents;
}

void apply(Instrument& instrument, const VstMidiEvent& event)
{
    const uint8_t status = uint8_t(event.midiData[0]) & 0xF0;
    const uint8_t key = uint8_t(event.midiData[1]) & 0x7F;
    const uint8_t velocity = uint8_t(event.midiData[2]) & 0x7F;
    Voice& voice = instrument.voices[key];
    if (status == 0x90 && velocity > 0) {
        voice = {true, kNoteLevel * float(velocity) / 127.0f, 0.0};
    } else if (status == 0x80 || status == 0x90) {
        voice.on = false;
    }
}

// A cosine, so a note is heard from its very first frame.
float renderFrame(Instrument& instrument)
{
    float sum = 0.0f;
    for (int key = 0; key < 128; ++key) {
        Voice& voice = instrument.voices[key];
        if (!voice.on)
            continue;
        sum += voice.level * float(std::cos(voice.phase));
        const double hertz = 440.0 * std::pow(2.0, (key - 69) / 12.0);
        voice.phase = std::fmod(voice.phase + kTwoPi * hertz / instrument.sampleRate, kTwoPi);
    }
    return sum;
}

void askHost(Instrument& instrument)
{
    const VstIntPtr rate = instrument.host(&instrument.effect, audioMasterGetSampleRate, 0, 0, nullptr, 0);
    g_probe.answeredRate = double(rate);
    const auto* time = reinterpret_cast<const VstTimeInfo*>(
        instrument.host(&instrument.effect, audioMasterGetTime, 0, 0, nullptr, 0));
    g_probe.answeredTimeFlags = time ? time->flags : -1;
}

void processReplacing(AEffect* effect, float**, float** outputs, int32_t frames)
{
    Instrument& instrument = *instrumentOf(effect);
    g_probe.processCalls.fetch_add(1);
    askHost(instrument);
    int32_t next = 0;
    for (int32_t frame = 0; frame < frames; ++frame) {
        while (next < instrument.pendingCount && instrument.pending[next].deltaFrames <= frame)
            apply(instrument, instrument.pending[next++]);
        const float sample = renderFrame(instrument);
        for (int32_t channel = 0; channel < effect->numOutputs; ++channel)
            outputs[channel][frame] = sample;
    }
    while (next < instrument.pendingCount)
        apply(instrument, instrument.pending[next++]);
    instrument.pendingCount = 0;
}

VstIntPtr canDo(const char* text)
{
    return std::strcmp(text, "receiveVstMidiEvent") == 0 || std::strcmp(text, "receiveVstEvents") == 0
               ? 1
               : -1;
}

VstIntPtr dispatcher(AEffect* effect, int32_t opcode, int32_t, VstIntPtr value, void* ptr, float opt)
{
    Instrument& instrument = *instrumentOf(effect);
    switch (opcode) {
    case effOpen:
#ifdef RZ_TEST_OPEN_FAILS
        return 1;
#else
        return 0;
#endif
    case effClose:
        delete &instrument;
        return 0;
    case effSetSampleRate:
        g_probe.sampleRateCalls.fetch_add(1);
        instrument.sampleRate = opt;
        return 0;
    case effProcessEvents:
        takeEvents(instrument, static_cast<const VstEvents*>(ptr));
        return 1;
    case effGetChunk:
        *static_cast<void**>(ptr) = instrument.chunk.data();
        return VstIntPtr(instrument.chunk.size());
    case effSetChunk: {
        const auto* bytes = static_cast<const uint8_t*>(ptr);
        instrument.chunk.assign(bytes, bytes + value);
        return 1;
    }
    case effEditGetRect:
        *static_cast<ERect**>(ptr) = &instrument.rect;
        return 1;
    case effEditOpen:
        g_probe.editorOpens.fetch_add(1);
        return 1;
    case effEditClose:
        g_probe.editorCloses.fetch_add(1);
        return 0;
    case effEditIdle:
        g_probe.editIdles.fetch_add(1);
        return 0;
    case effIdle:
        g_probe.idles.fetch_add(1);
        return 0;
    case effGetProductString:
#ifndef RZ_TEST_MONO
        std::strcpy(static_cast<char*>(ptr), "Rizoraz Test Sine");
        return 1;
#else
        return 0;
#endif
    case effCanDo:
        return canDo(static_cast<const char*>(ptr));
    default:
        return 0;
    }
}

AEffect* makeEffect(audioMasterCallback host)
{
    resetProbe();
    // Asked before the effect exists, as plug-ins do.
    if (host(nullptr, audioMasterVersion, 0, 0, nullptr, 0) == 0)
        return nullptr;
#ifdef RZ_TEST_BAD_MAGIC
    // The host never closes what is not an effect: nothing to free.
    static Instrument rejected;
    auto* instrument = &rejected;
#else
    auto* instrument = new Instrument;
#endif
    instrument->host = host;
    AEffect& effect = instrument->effect;
#ifdef RZ_TEST_BAD_MAGIC
    effect.magic = 0;
#else
    effect.magic = kEffectMagic;
#endif
    effect.dispatcher = dispatcher;
    effect.processReplacing = processReplacing;
    effect.numInputs = 0;
#if defined(RZ_TEST_MONO)
    effect.numOutputs = 1;
#elif defined(RZ_TEST_TOO_MANY_OUTPUTS)
    effect.numOutputs = 65;
#else
    effect.numOutputs = 2;
#endif
    effect.flags = effFlagsCanReplacing | effFlagsIsSynth | effFlagsHasEditor | effFlagsProgramChunks;
    effect.object = instrument;
    effect.uniqueID = ('R' << 24) | ('z' << 16) | ('T' << 8) | 'S';
    effect.version = 1;
    return &effect;
}

} // namespace

extern "C" {

__attribute__((visibility("default"))) TestInstrumentProbe* rzTestInstrumentProbe()
{
    return &g_probe;
}

#ifdef RZ_TEST_NO_ENTRY
__attribute__((visibility("default"))) AEffect* notTheEntryPoint(audioMasterCallback host)
#else
__attribute__((visibility("default"))) AEffect* VSTPluginMain(audioMasterCallback host)
#endif
{
    return makeEffect(host);
}

} // extern "C"
