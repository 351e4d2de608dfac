#pragma once

// The VST 2 binary interface as far as the instrument host uses it, declared
// from the published description of the interface. Plug-ins are C libraries:
// every record here is a plain C layout, and its size and x86-64 offsets are
// pinned below so that a change that breaks the interface fails to compile.

#include <cstddef>
#include <cstdint>

namespace rz {

// Pointer-sized on every platform: values and pointers share it.
using VstIntPtr = intptr_t;

struct AEffect;

extern "C" {
using AEffectDispatcherProc = VstIntPtr (*)(AEffect* effect, int32_t opcode, int32_t index,
                                            VstIntPtr value, void* ptr, float opt);
using audioMasterCallback = VstIntPtr (*)(AEffect* effect, int32_t opcode, int32_t index,
                                          VstIntPtr value, void* ptr, float opt);
using AEffectProcessProc = void (*)(AEffect* effect, float** inputs, float** outputs,
                                    int32_t sampleFrames);
using AEffectProcessDoubleProc = void (*)(AEffect* effect, double** inputs, double** outputs,
                                          int32_t sampleFrames);
using AEffectSetParameterProc = void (*)(AEffect* effect, int32_t index, float parameter);
using AEffectGetParameterProc = float (*)(AEffect* effect, int32_t index);
// The library's entry point, exported as "VSTPluginMain" (older ones: "main").
using VstPluginMainProc = AEffect* (*)(audioMasterCallback host);
}

// 'VstP': the first field of every effect.
inline constexpr int32_t kEffectMagic = ('V' << 24) | ('s' << 16) | ('t' << 8) | 'P';

struct AEffect {
    int32_t magic;
    AEffectDispatcherProc dispatcher;
    AEffectProcessProc process; // accumulating; older plug-ins only
    AEffectSetParameterProc setParameter;
    AEffectGetParameterProc getParameter;
    int32_t numPrograms;
    int32_t numParams;
    int32_t numInputs;
    int32_t numOutputs;
    int32_t flags;
    VstIntPtr resvd1; // the host's own; the plug-in leaves it 0
    VstIntPtr resvd2; // the host's own
    int32_t initialDelay;
    int32_t realQualities;
    int32_t offQualities;
    float ioRatio;
    void* object;
    void* user;
    int32_t uniqueID;
    int32_t version;
    AEffectProcessProc processReplacing;
    AEffectProcessDoubleProc processDoubleReplacing;
    char future[56];
};

// AEffect::flags.
inline constexpr int32_t effFlagsHasEditor = 1 << 0;
inline constexpr int32_t effFlagsCanReplacing = 1 << 4;
inline constexpr int32_t effFlagsProgramChunks = 1 << 5;
inline constexpr int32_t effFlagsIsSynth = 1 << 8;

// Dispatcher opcodes (host to plug-in).
inline constexpr int32_t effOpen = 0;
inline constexpr int32_t effClose = 1;
inline constexpr int32_t effSetSampleRate = 10;   // opt: the rate
inline constexpr int32_t effSetBlockSize = 11;    // value: the largest block
inline constexpr int32_t effMainsChanged = 12;    // value: 1 resume, 0 suspend
inline constexpr int32_t effEditGetRect = 13;     // ptr: ERect** the plug-in fills
inline constexpr int32_t effEditOpen = 14;        // ptr: the native parent window
inline constexpr int32_t effEditClose = 15;
inline constexpr int32_t effEditIdle = 19;
inline constexpr int32_t effGetChunk = 23;        // ptr: void** the plug-in fills; returns the size
inline constexpr int32_t effSetChunk = 24;        // value: the size; ptr: the data
inline constexpr int32_t effProcessEvents = 25;   // ptr: VstEvents*
inline constexpr int32_t effGetProductString = 48; // ptr: kVstMaxProductStrLen chars
inline constexpr int32_t effCanDo = 51;           // ptr: the text; 1 yes, -1 no, 0 unknown
inline constexpr int32_t effIdle = 53;

// Host callback opcodes (plug-in to host).
inline constexpr int32_t audioMasterAutomate = 0;
inline constexpr int32_t audioMasterVersion = 1;
inline constexpr int32_t audioMasterWantMidi = 6;
inline constexpr int32_t audioMasterGetTime = 7;
inline constexpr int32_t audioMasterNeedIdle = 14;
inline constexpr int32_t audioMasterSizeWindow = 15; // index: width; value: height
inline constexpr int32_t audioMasterGetSampleRate = 16;
inline constexpr int32_t audioMasterGetBlockSize = 17;
inline constexpr int32_t audioMasterCanDo = 37;

inline constexpr size_t kVstMaxProductStrLen = 64;

struct VstEvent {
    int32_t type;
    int32_t byteSize;    // of the record after these two fields
    int32_t deltaFrames; // offset into the block
    int32_t flags;
    char data[16];
};

inline constexpr int32_t kVstMidiType = 1;
inline constexpr int32_t kVstMidiEventIsRealtime = 1;

struct VstMidiEvent {
    int32_t type;
    int32_t byteSize;
    int32_t deltaFrames;
    int32_t flags;
    int32_t noteLength;
    int32_t noteOffset;
    char midiData[4];
    char detune;
    char noteOffVelocity;
    char reserved1;
    char reserved2;
};

// A block of events: numEvents pointers follow `reserved`; the declared two
// are only the start of the array.
struct VstEvents {
    int32_t numEvents;
    VstIntPtr reserved;
    VstEvent* events[2];
};

struct VstTimeInfo {
    double samplePos;   // frames since the song's start
    double sampleRate;
    double nanoSeconds; // system time
    double ppqPos;      // quarter notes since the song's start
    double tempo;       // quarter notes per minute
    double barStartPos; // ppqPos of the bar's start
    double cycleStartPos;
    double cycleEndPos;
    int32_t timeSigNumerator;
    int32_t timeSigDenominator;
    int32_t smpteOffset; // 80ths of a frame
    int32_t smpteFrameRate;
    int32_t samplesToNextClock;
    int32_t flags;
};

// VstTimeInfo::flags.
inline constexpr int32_t kVstTransportChanged = 1;
inline constexpr int32_t kVstTransportPlaying = 1 << 1;
inline constexpr int32_t kVstTransportRecording = 1 << 3;
inline constexpr int32_t kVstNanosValid = 1 << 8;
inline constexpr int32_t kVstPpqPosValid = 1 << 9;
inline constexpr int32_t kVstTempoValid = 1 << 10;
inline constexpr int32_t kVstBarsValid = 1 << 11;
inline constexpr int32_t kVstTimeSigValid = 1 << 13;
inline constexpr int32_t kVstSmpteValid = 1 << 14;

// VstTimeInfo::smpteFrameRate.
inline constexpr int32_t kVstSmpte24fps = 0;
inline constexpr int32_t kVstSmpte25fps = 1;
inline constexpr int32_t kVstSmpte2997fps = 2;
inline constexpr int32_t kVstSmpte30fps = 3;
inline constexpr int32_t kVstSmpte2997dfps = 4;

// An editor's rectangle, in pixels.
struct ERect {
    int16_t top;
    int16_t left;
    int16_t bottom;
    int16_t right;
};

static_assert(sizeof(VstIntPtr) == sizeof(void*));
static_assert(sizeof(float) == 4 && sizeof(double) == 8);

#if defined(__x86_64__)
static_assert(offsetof(AEffect, magic) == 0);
static_assert(offsetof(AEffect, dispatcher) == 8);
static_assert(offsetof(AEffect, process) == 16);
static_assert(offsetof(AEffect, setParameter) == 24);
static_assert(offsetof(AEffect, getParameter) == 32);
static_assert(offsetof(AEffect, numPrograms) == 40);
static_assert(offsetof(AEffect, numInputs) == 48);
static_assert(offsetof(AEffect, numOutputs) == 52);
static_assert(offsetof(AEffect, flags) == 56);
static_assert(offsetof(AEffect, resvd1) == 64);
static_assert(offsetof(AEffect, resvd2) == 72);
static_assert(offsetof(AEffect, initialDelay) == 80);
static_assert(offsetof(AEffect, ioRatio) == 92);
static_assert(offsetof(AEffect, object) == 96);
static_assert(offsetof(AEffect, user) == 104);
static_assert(offsetof(AEffect, uniqueID) == 112);
static_assert(offsetof(AEffect, version) == 116);
static_assert(offsetof(AEffect, processReplacing) == 120);
static_assert(offsetof(AEffect, processDoubleReplacing) == 128);
static_assert(offsetof(AEffect, future) == 136);
static_assert(sizeof(AEffect) == 192);

static_assert(sizeof(VstEvent) == 32);
static_assert(offsetof(VstMidiEvent, deltaFrames) == 8);
static_assert(offsetof(VstMidiEvent, flags) == 12);
static_assert(offsetof(VstMidiEvent, midiData) == 24);
static_assert(offsetof(VstMidiEvent, noteOffVelocity) == 29);
static_assert(sizeof(VstMidiEvent) == 32);

static_assert(offsetof(VstEvents, reserved) == 8);
static_assert(offsetof(VstEvents, events) == 16);
static_assert(sizeof(VstEvents) == 32);

static_assert(offsetof(VstTimeInfo, nanoSeconds) == 16);
static_assert(offsetof(VstTimeInfo, ppqPos) == 24);
static_assert(offsetof(VstTimeInfo, tempo) == 32);
static_assert(offsetof(VstTimeInfo, barStartPos) == 40);
static_assert(offsetof(VstTimeInfo, timeSigNumerator) == 64);
static_assert(offsetof(VstTimeInfo, smpteOffset) == 72);
static_assert(offsetof(VstTimeInfo, smpteFrameRate) == 76);
static_assert(offsetof(VstTimeInfo, flags) == 84);
static_assert(sizeof(VstTimeInfo) == 88);

static_assert(sizeof(ERect) == 8);
#endif

} // namespace rz
