#pragma once

// What the test instrument counts, read by the tests through the exported
// "rzTestInstrumentProbe". Counts start again at every entry-point call.

#include <atomic>
#include <cstdint>

namespace rz {

struct TestInstrumentProbe {
    static constexpr int kMessageCapacity = 8192;

    std::atomic<int> events{0};           // MIDI events received
    std::atomic<int> largestBlock{0};     // most events in one effProcessEvents
    std::atomic<int> sampleRateCalls{0};  // effSetSampleRate
    std::atomic<int> processCalls{0};
    std::atomic<int> editIdles{0};
    std::atomic<int> idles{0};
    std::atomic<int> editorOpens{0};
    std::atomic<int> editorCloses{0};
    std::atomic<double> answeredRate{0};  // audioMasterGetSampleRate, asked while processing
    std::atomic<int32_t> answeredTimeFlags{-1}; // audioMasterGetTime's flags; -1 no record
    // Every message received, in order (status in the low byte).
    uint32_t messages[kMessageCapacity] = {};
};

using TestInstrumentProbeProc = TestInstrumentProbe* (*)();

} // namespace rz
