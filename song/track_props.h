#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "core/color.h"

namespace rz {

// A change of one track's properties, kept by an undo record. Every field
// starts at its "unchanged" value; applying the record exchanges each changed
// field with the track's, so applying it again undoes the change.
struct CTrackProps {
    static constexpr int32_t kUnchangedVolume = -1;
    static constexpr int32_t kUnchangedPlayEnabled = 2;
    static constexpr int32_t kUnchangedSmall = -1;   // type, port, channel, input device/channel, notation setting
    static constexpr int32_t kUnchangedSetting = -2; // bank, patch, controllers, RPNs, destinations
    static constexpr int32_t kUnchangedSigned = -128; // notation value, key, velocity offset
    static constexpr int32_t kUnchangedTimeOffset = -4097;
    static constexpr Color kUnchangedColor = 0xFFFFFFFF; // no colour has a top byte

    int32_t trackIndex = 0;
    std::string name;                 // empty: unchanged
    int32_t volume = kUnchangedVolume;
    int32_t playEnabled = kUnchangedPlayEnabled;
    int32_t type = kUnchangedSmall;
    int32_t port = kUnchangedSmall;
    int32_t channel = kUnchangedSmall;
    int32_t bank = kUnchangedSetting;
    int32_t patch = kUnchangedSetting;
    int32_t inputDevice = kUnchangedSmall;
    int32_t inputChannel = kUnchangedSmall;
    int32_t notationSetting = kUnchangedSmall;
    int32_t notationValue = kUnchangedSigned;
    Color color = kUnchangedColor;
    std::array<int32_t, 14> initialControllers = filled<14>(kUnchangedSetting);
    int32_t key = kUnchangedSigned;
    int32_t timeOffset = kUnchangedTimeOffset;
    int32_t velocityOffset = kUnchangedSigned;
    std::array<int32_t, 4> rpnValues = filled<4>(kUnchangedSetting);
    std::array<int32_t, 6> channelPressureDest = filled<6>(kUnchangedSetting);
    std::array<int32_t, 6> keyPressureDest = filled<6>(kUnchangedSetting);
    std::array<int32_t, 6> controllerDest = filled<6>(kUnchangedSetting);
    int32_t destController = kUnchangedSetting;

    CTrackProps() = default;
    explicit CTrackProps(int32_t index) : trackIndex(index) {}

    // True when any field holds a change.
    bool hasChanges() const;

private:
    template <size_t N>
    static constexpr std::array<int32_t, N> filled(int32_t value)
    {
        std::array<int32_t, N> a{};
        a.fill(value);
        return a;
    }
};

} // namespace rz
