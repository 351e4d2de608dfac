#include "song/track_props.h"

#include <algorithm>

namespace rz {
namespace {

template <size_t N>
bool anySet(const std::array<int32_t, N>& values, int32_t unchanged)
{
    return std::any_of(values.begin(), values.end(), [&](int32_t v) { return v != unchanged; });
}

} // namespace

bool CTrackProps::hasChanges() const
{
    return !name.empty() || volume != kUnchangedVolume || playEnabled != kUnchangedPlayEnabled
           || type != kUnchangedSmall || port != kUnchangedSmall || channel != kUnchangedSmall
           || bank != kUnchangedSetting || patch != kUnchangedSetting
           || inputDevice != kUnchangedSmall || inputChannel != kUnchangedSmall
           || notationSetting != kUnchangedSmall || notationValue != kUnchangedSigned
           || color != kUnchangedColor || anySet(initialControllers, kUnchangedSetting)
           || key != kUnchangedSigned || timeOffset != kUnchangedTimeOffset
           || velocityOffset != kUnchangedSigned || anySet(rpnValues, kUnchangedSetting)
           || anySet(channelPressureDest, kUnchangedSetting)
           || anySet(keyPressureDest, kUnchangedSetting)
           || anySet(controllerDest, kUnchangedSetting) || destController != kUnchangedSetting;
}

} // namespace rz
