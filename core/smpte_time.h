#pragma once

#include <cstdint>
#include <string>

namespace rz {

// Frame-rate codes. Codes 0..3 are the ones time code carries in its two rate bits.
inline constexpr int kSmpteRate24 = 0;
inline constexpr int kSmpteRate25 = 1;
inline constexpr int kSmpteRate30Drop = 2; // 29.97 fps drop-frame
inline constexpr int kSmpteRate30 = 3;
inline constexpr int kSmpteRateMs = 4; // frames are milliseconds
inline constexpr int kSmpteRateCount = 5;

// Larger times are clamped: keeps the frame count and every field well inside their
// integer types and a whole microsecond still exact in a double. About 31 years.
inline constexpr double kMaxSmpteTimeUs = 1e15;

// A rate code from settings or a file, clamped into 0..4.
int clampSmpteRate(int rate);

// The rate code a time takes when none is given. The program sets it from the
// profile's "SyncOptions"/"SMPTE" at start-up and whenever the user changes it;
// 3 until then. Any thread may read or set it. Clamped into 0..4.
void setDefaultSmpteRate(int rate);
int defaultSmpteRate();

// Clock time as hours:minutes:seconds:frames at one frame rate, converted to and
// from microseconds. A plain value; each thread works on an instance of its own.
// At rate 2 the labels are standard drop-frame ones: frames 0 and 1 do not exist
// in second 0 of every minute that is not a multiple of ten.
class CSmpteTime {
public:
    // Time 0 at the default rate.
    CSmpteTime();
    CSmpteTime(double time, int rate);

    // The song keeps its offset as these fields; the value's time is composed from them.
    static CSmpteTime fromFields(int rate, int hours, int minutes, int seconds, int frames,
                                 int subframes);

    // Splits a time in microseconds into the fields. A rate below 0 means the default
    // rate; a negative, NaN or infinite time becomes 0.
    void SetTime(double time, int rate);
    // Composes the fields into microseconds, stores and returns them. At rate 2 the
    // fields are first carried into range and stored back.
    double GetTime();
    // "h:mm:ss:ff"; subframes are not shown.
    std::string Format() const;

    // Microseconds as last split or composed.
    double time() const { return m_time; }
    int hours() const { return m_hours; }
    int minutes() const { return m_minutes; }
    int seconds() const { return m_seconds; }
    // Frame within the second; milliseconds at rate 4.
    int frames() const { return m_frames; }
    // Hundredths of a frame, 0..99; always 0 at rate 2.
    int subframes() const { return m_subframes; }
    int rate() const { return m_rate; }
    double microsecondsPerFrame() const { return m_usPerFrame; }

    // Field setters leave the time alone until the next GetTime.
    void setHours(int hours) { m_hours = hours; }
    void setMinutes(int minutes) { m_minutes = minutes; }
    void setSeconds(int seconds) { m_seconds = seconds; }
    void setFrames(int frames) { m_frames = frames; }
    void setSubframes(int subframes) { m_subframes = subframes; }
    // Keeps the fields; the next GetTime composes them at the new rate (clamped into 0..4).
    void setRate(int rate);

private:
    void splitFixedRate(int64_t frameIndex);
    void splitDropFrame(int64_t frameIndex);
    void carryDropFrame();
    int64_t dropFrameIndex() const;

    double m_time = 0.0;
    int32_t m_hours = 0;
    int32_t m_minutes = 0;
    int32_t m_seconds = 0;
    int32_t m_frames = 0;
    int32_t m_subframes = 0;
    int32_t m_rate = kSmpteRate30;
    double m_usPerFrame = 0.0;
};

} // namespace rz
