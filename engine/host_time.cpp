// The time record handed to hosted instruments. Audio thread.
#include "engine/host_time.h"

#include "core/smpte_time.h"
#include "engine/vst2_abi.h"

#include <algorithm>
#include <cmath>

namespace rz {

namespace {

constexpr uint32_t kValidFields = kVstNanosValid | kVstPpqPosValid | kVstTempoValid
                                  | kVstBarsValid | kVstTimeSigValid | kVstSmpteValid;
constexpr double kSubframesPerFrame = 80.0;

} // namespace

double smpteFramesPerSecond(int rateCode)
{
    switch (clampSmpteRate(rateCode)) {
    case kSmpteRate24:
        return 24.0;
    case kSmpteRate25:
        return 25.0;
    case kSmpteRate30Drop:
        return 29.97;
    default:
        return 30.0;
    }
}

void advanceHostTime(HostTimeInfo& info, HostTimeMark& mark, const HostTimePosition& at,
                     double nanoSeconds)
{
    const double timeBase = double(std::max(at.timeBase, 1));
    const double ppq = double(at.position) / timeBase;
    uint32_t flags = kValidFields;
    if (at.playing != mark.playing)
        flags |= kVstTransportChanged;
    else if (at.playing ? ppq < mark.ppqPos : ppq != mark.ppqPos)
        flags |= kVstTransportChanged;
    if (at.playing)
        flags |= kVstTransportPlaying | (at.recording ? kVstTransportRecording : 0);
    mark.playing = at.playing;
    mark.ppqPos = ppq;

    info.nanoSeconds = nanoSeconds;
    info.tempo = at.tempo;
    info.ppqPos = ppq;
    info.barStartPos = double(at.measureStart) / timeBase;
    info.timeSigNumerator = at.numerator;
    info.timeSigDenominator = at.denominator;
    info.smpteFrameRate = clampSmpteRate(at.smpteRate);
    const double subframes = at.realTime * smpteFramesPerSecond(at.smpteRate) * kSubframesPerFrame / 1e6;
    info.smpteOffset = int32_t(std::clamp(subframes, 0.0, 2147483647.0));
    info.flags = flags;
}

} // namespace rz
