#pragma once

// The "Defaults" values the transform, key and meter dialogs remember, one
// row each. "SelTracksOnly", "OffsetTime" and "OffsetTimeTicks" are the
// time-range dialogs' rows, shared with them.

#include "core/settings.h"
#include "dialogs/field_values.h"

namespace rz::transform_defaults {

// clang-format off
#define RZ_TRANSFORM_DEFAULTS(X) \
    X(QuantizeResolution, "QuantizeResolution", 8, 0, 14) \
    X(QuantizeDurations,  "QuantizeDurations",  1, 0, 1) \
    X(QuantizeStartTimes, "QuantizeStartTimes", 1, 0, 1) \
    X(QuantizeGridOffset, "QuantizeGridOffset", 0, -50, 50) \
    X(QuantizeCC,         "QuantizeCC",         0, 0, 1) \
    X(QuantizeStrength,   "QuantizeStrength",   100, 0, 100) \
    X(QuantizeSwing,      "QuantizeSwing",      50, 0, 100) \
    X(QuantizeWindow,     "QuantizeWindow",     100, 0, 100) \
    X(RandomValue,        "RandomValue",        1, 0, 999) \
    X(RandomTime,         "RandomTime",         1, 0, 100) \
    X(RandomByValue,      "RandomByValue",      1, 0, 1) \
    X(RandomByTime,       "RandomByTime",       1, 0, 1) \
    X(RandomPreserve,     "RandomPreserve",     0, 0, 1) \
    X(ThinCC,             "ThinCC",             11, 0, 255) \
    X(ThinValue,          "ThinValue",          1, 0, 999) \
    X(ThinTime,           "ThinTime",           1, 0, 100) \
    X(ThinByValue,        "ThinByValue",        1, 0, 1) \
    X(ThinByTime,         "ThinByTime",         1, 0, 1) \
    X(Transpose,          "Transpose",          0, -60, 60) \
    X(TransposeKeys,      "TransposeKeys",      1, 0, 1) \
    X(TransposeSkipDrum,  "TransposeSkipDrum",  1, 0, 1) \
    X(VelocityMethod,     "VelocityMethod",     0, 0, 2) \
    X(VelocityValue,      "VelocityValue",      0, -127, 1000) \
    X(VelocityValue2,     "VelocityValue2",     0, -127, 1000) \
    X(VelocityStrength,   "VelocityStrength",   100, 0, 100) \
    X(VelocityThrough,    "VelocityThrough",    0, 0, 1) \
    X(DurationMethod,     "DurationMethod",     0, 0, 3) \
    X(DurationUnits,      "DurationUnits",      0, 0, 11) \
    X(InsertCC,           "InsertCC",           11, 0, 255) \
    X(InsertCCvalue1,     "InsertCCvalue1",     0, -8192, 8191) \
    X(InsertCCvalue2,     "InsertCCvalue2",     0, -8192, 8191) \
    X(InsertCCreturn,     "InsertCCreturn",     0, 0, 1) \
    X(MeterChangeMethod,  "MeterChangeMethod",  0, 0, 2)
// clang-format on

#define RZ_TRANSFORM_DEFAULT_ROW(id, key, def, lo, hi) \
    inline constexpr Setting k##id{#id, kDefaultsSection, key, SettingType::Int, def, lo, hi, ""};
RZ_TRANSFORM_DEFAULTS(RZ_TRANSFORM_DEFAULT_ROW)
#undef RZ_TRANSFORM_DEFAULT_ROW

// Kept as typed: "240", "1.5", "2:30".
inline constexpr Setting kDurationValue{"DurationValue", kDefaultsSection, "DurationValue", SettingType::Text,
                                        0, 0, 0, "1"};

} // namespace rz::transform_defaults
