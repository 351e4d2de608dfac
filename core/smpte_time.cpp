#include "core/smpte_time.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <limits>

namespace rz {
namespace {

constexpr double kUsPerSecond = 1'000'000.0;

// Nominal frames per second by rate code; rate 2 runs at 29.97 but labels 30 a second.
constexpr double kFramesPerSecond[kSmpteRateCount] = {24.0, 25.0, 29.97, 30.0, 1000.0};
constexpr int64_t kLabelsPerSecond[kSmpteRateCount] = {24, 25, 30, 30, 1000};

// Drop-frame counts: a minute that is not a multiple of ten skips two labels.
constexpr int64_t kDropFramesPerHour = 107'892;
constexpr int64_t kDropFramesPerTenMinutes = 17'982;
constexpr int64_t kDropFramesPerShortMinute = 1'798;
constexpr int64_t kDroppedLabels = 2;

std::atomic<int> g_defaultRate{kSmpteRate30};

double usPerFrame(int rate)
{
    return kUsPerSecond / kFramesPerSecond[rate];
}

int64_t floorDiv(int64_t a, int64_t b)
{
    const int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

bool isShortMinute(int32_t minutes)
{
    return minutes - floorDiv(minutes, 10) * 10 != 0;
}

int32_t incrementSaturating(int32_t value)
{
    return value == std::numeric_limits<int32_t>::max() ? value : value + 1;
}

double sanitizedTime(double time)
{
    if (!std::isfinite(time) || time < 0.0)
        return 0.0;
    return std::min(time, kMaxSmpteTimeUs);
}

} // namespace

int clampSmpteRate(int rate)
{
    return std::clamp(rate, 0, kSmpteRateCount - 1);
}

void setDefaultSmpteRate(int rate)
{
    g_defaultRate.store(clampSmpteRate(rate), std::memory_order_relaxed);
}

int defaultSmpteRate()
{
    return g_defaultRate.load(std::memory_order_relaxed);
}

CSmpteTime::CSmpteTime()
    : m_rate(defaultSmpteRate()), m_usPerFrame(usPerFrame(m_rate))
{
}

CSmpteTime::CSmpteTime(double time, int rate)
{
    SetTime(time, rate);
}

CSmpteTime CSmpteTime::fromFields(int rate, int hours, int minutes, int seconds, int frames,
                                  int subframes)
{
    CSmpteTime value;
    value.setRate(rate);
    value.m_hours = hours;
    value.m_minutes = minutes;
    value.m_seconds = seconds;
    value.m_frames = frames;
    value.m_subframes = subframes;
    value.GetTime();
    return value;
}

void CSmpteTime::setRate(int rate)
{
    m_rate = clampSmpteRate(rate);
    m_usPerFrame = usPerFrame(m_rate);
}

void CSmpteTime::SetTime(double time, int rate)
{
    setRate(rate < 0 ? defaultSmpteRate() : rate);
    m_time = sanitizedTime(time);
    // One microsecond more, so that a time on a frame boundary never falls a frame short.
    const auto frameIndex = static_cast<int64_t>((m_time + 1.0) / m_usPerFrame);
    if (m_rate == kSmpteRate30Drop)
        splitDropFrame(frameIndex);
    else
        splitFixedRate(frameIndex);
}

void CSmpteTime::splitFixedRate(int64_t frameIndex)
{
    const int64_t perSecond = kLabelsPerSecond[m_rate];
    const int64_t perMinute = 60 * perSecond;
    const int64_t perHour = 60 * perMinute;
    m_hours = static_cast<int32_t>(frameIndex / perHour);
    int64_t rest = frameIndex % perHour;
    m_minutes = static_cast<int32_t>(rest / perMinute);
    rest %= perMinute;
    m_seconds = static_cast<int32_t>(rest / perSecond);
    m_frames = static_cast<int32_t>(rest % perSecond);

    const double fraction = (m_time - static_cast<double>(frameIndex) * m_usPerFrame)
                            / (m_usPerFrame * 0.01);
    m_subframes = fraction <= 0.0 ? 0 : std::min(static_cast<int32_t>(fraction), 99);
}

void CSmpteTime::splitDropFrame(int64_t frameIndex)
{
    m_hours = static_cast<int32_t>(frameIndex / kDropFramesPerHour);
    const int64_t inHour = frameIndex % kDropFramesPerHour;
    const int64_t tens = inHour / kDropFramesPerTenMinutes;
    const int64_t inTens = inHour % kDropFramesPerTenMinutes;
    // Minutes after the first of each ten: the first has 1800 frames, the others 1798.
    const int64_t shortMinutes
        = inTens < kDroppedLabels ? 0 : (inTens - kDroppedLabels) / kDropFramesPerShortMinute;
    m_minutes = static_cast<int32_t>(10 * tens + shortMinutes);
    // Adding back the skipped labels makes every label 30 a second.
    const int64_t label = inTens + kDroppedLabels * shortMinutes;
    m_seconds = static_cast<int32_t>((label / 30) % 60);
    m_frames = static_cast<int32_t>(label % 30);
    m_subframes = 0;
}

double CSmpteTime::GetTime()
{
    if (m_rate == kSmpteRate30Drop) {
        carryDropFrame();
        m_subframes = 0;
        m_time = static_cast<double>(dropFrameIndex()) * m_usPerFrame;
        return m_time;
    }
    // Out-of-range fields are not corrected: they simply add up.
    m_time = (m_subframes * 0.01 + m_frames) * kUsPerSecond / kFramesPerSecond[m_rate]
             + m_seconds * kUsPerSecond + m_minutes * 60.0 * kUsPerSecond
             + m_hours * 3600.0 * kUsPerSecond;
    return m_time;
}

void CSmpteTime::carryDropFrame()
{
    if (m_frames > 29) {
        m_frames = 0;
        m_seconds = incrementSaturating(m_seconds);
    }
    if (m_seconds > 59) {
        m_seconds = 0;
        m_minutes = incrementSaturating(m_minutes);
    }
    if (m_minutes > 59) {
        m_minutes = 0;
        m_hours = incrementSaturating(m_hours);
    }
    // Labels 0 and 1 of a short minute do not exist; they name the minute's first frame.
    if (isShortMinute(m_minutes) && m_seconds == 0 && (m_frames == 0 || m_frames == 1))
        m_frames = static_cast<int32_t>(kDroppedLabels);
}

int64_t CSmpteTime::dropFrameIndex() const
{
    const int64_t tens = floorDiv(m_minutes, 10);
    const int64_t unit = m_minutes - tens * 10;
    const int64_t tensStart = (tens + 6 * int64_t(m_hours)) * kDropFramesPerTenMinutes;
    const int64_t label = 30 * int64_t(m_seconds) + m_frames;
    if (unit == 0)
        return tensStart + label;
    const int64_t minuteStart = tensStart + kDropFramesPerShortMinute * unit + kDroppedLabels;
    // A label before second 0 borrows from the previous minute, whose last seconds are
    // whole; labels 0 and 1 of second 0 name the minute's first frame.
    const int64_t offset
        = label >= kDroppedLabels ? label - kDroppedLabels : std::min<int64_t>(label, 0);
    return minuteStart + offset;
}

std::string CSmpteTime::Format() const
{
    char text[64];
    std::snprintf(text, sizeof text, "%d:%02d:%02d:%02d", m_hours, m_minutes, m_seconds, m_frames);
    return text;
}

} // namespace rz
