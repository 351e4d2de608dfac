#pragma once

// The "Defaults" values the time-range, move and measure-number dialogs
// remember, one row each. Several rows are shared, so a choice made in one
// dialog shows in the next. A stored number outside its row's range reads as
// the row's default, not as the nearest end.

#include "core/settings.h"
#include "dialogs/field_values.h"

namespace rz::time_defaults {

// clang-format off
#define RZ_TIME_DEFAULTS(X) \
    X(OffsetTime,        "OffsetTime",        1, 0, 1) \
    X(OffsetTimeTicks,   "OffsetTimeTicks",   0, 0, 480) \
    X(EventShorten,      "EventShorten",      1, 0, 1) \
    X(EventShortenTicks, "EventShortenTicks", 0, 0, 480) \
    X(EventStretch,      "EventStretch",      1, 0, 1) \
    X(EventStretchTicks, "EventStretchTicks", 10, 0, 480) \
    X(OffsetMeasures,    "OffsetMeasures",    1, 0, 1) \
    X(OffsetMNumbers,    "OffsetMNumbers",    1, 0, 1) \
    X(DeleteTimeHole,    "DeleteTimeHole",    1, 0, 1) \
    X(DeleteTimeCues,    "DeleteTimeCues",    1, 0, 1) \
    X(DeleteTimeEvents,  "DeleteTimeEvents",  1, 0, 1) \
    X(DeleteTimeTempos,  "DeleteTimeTempos",  1, 0, 1) \
    X(PasteTimeCopies,   "PasteTimeCopies",   1, 1, 256) \
    X(PasteTimeMethod,   "PasteTimeMethod",   0, 0, 2) \
    X(PasteEventsCopies, "PasteEventsCopies", 1, 1, 256) \
    X(PasteEventsTracks, "PasteEventsTracks", 0, 0, 2) \
    X(SlideMethod,       "SlideMethod",       0, 0, 3) \
    X(SlideOffset,       "SlideOffset",       0, -15360, 15360) \
    X(SlidePercent,      "SlidePercent",      100, 1, 1000) \
    X(SlideMixdown,      "SlideMixdown",      0, 0, 1) \
    X(SlideDurations,    "SlideDurations",    1, 0, 1) \
    X(SlideUnits,        "SlideUnits",        0, 0, 12) \
    X(SelTracksOnly,     "SelTracksOnly",     1, 0, 1) \
    X(SlideTrackNum,     "SlideTrackNum",     0, 0, 249) \
    X(NumberInsert,      "NumberInsert",      0, 0, 1) \
    X(NumberCount,       "NumberCouunt",      999, 0, settings::kHi)
// clang-format on

#define RZ_TIME_DEFAULT_ROW(id, key, def, lo, hi) \
    inline constexpr Setting k##id{#id, kDefaultsSection, key, SettingType::Int, def, lo, hi, ""};
RZ_TIME_DEFAULTS(RZ_TIME_DEFAULT_ROW)
#undef RZ_TIME_DEFAULT_ROW

// The stored number, or the default when it is absent or outside lo..hi.
inline int32_t read(const IProfile& profile, const Setting& row, int32_t lo, int32_t hi)
{
    const int32_t value = readSettingAsStored(profile, row, row.defaultValue);
    return value < lo || value > hi ? row.defaultValue : value;
}
inline int32_t read(const IProfile& profile, const Setting& row)
{
    return read(profile, row, row.min, row.max);
}
inline bool readFlag(const IProfile& profile, const Setting& row)
{
    return read(profile, row) != 0;
}

} // namespace rz::time_defaults
