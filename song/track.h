#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "core/color.h"
#include "core/midi_bytes.h"
#include "song/midi_event.h"
#include "song/seek_point.h"
#include "song/track_item.h"
#include "song/volume_scale.h"

namespace rz {

class ByteReader;
class IMidiOut;

enum TrackType : int32_t {
    kMidiTrack = 0,
    kWaveTrack = 1,
    kMetaTrack = 2, // the song's conductor events; at most one
};

// Track flags bit: the play image carries the key and velocity offsets.
inline constexpr uint32_t kTrackImageHasOffsets = 0x1000;
inline constexpr uint32_t kDefaultTrackFlags = 0x18AE;
inline constexpr Color kDefaultTrackColor = 0x0EF0FF;

// The play cursor's next tick and next time once a track has ended.
inline constexpr int32_t kEndTick = 0x7FFFFFFF;
// The last tick an event or a song position may take.
inline constexpr int32_t kLastTick = kEndTick - 1;
inline constexpr double kEndTime = 4294967295.0;

// Controller numbers of the initial-controller slots, in slot order.
inline constexpr std::array<uint8_t, 14> kInitialControllerNumbers = {
    cc::kPan,        cc::kVolume,     cc::kPortamentoTime, cc::kCelesteSend, cc::kReverbSend,
    cc::kChorusSend, cc::kBrightness, cc::kTimbre,         cc::kAttackTime,  cc::kReleaseTime,
    cc::kDecayTime,  cc::kVibratoRate, cc::kVibratoDepth,  cc::kVibratoDelay};
// RPN numbers of the initial RPN-value slots, in slot order.
inline constexpr std::array<uint8_t, 4> kInitialRpnNumbers = {5, 1, 2, 0};

// One event as the play cursor reads it from the image.
// What the play cursor steps over in a chunk read from a file, counted so the
// reader can say what it left out.
struct SkippedMessages {
    uint32_t system = 0;    // system common and real-time messages, which a song does not hold
    uint32_t malformed = 0; // channel messages with a status byte where a data byte belongs
    uint32_t moved = 0;     // events past the last tick a song holds, read at that tick
    uint32_t cutShort = 0;  // 1: bytes after the chunk's last event read as no delta time
};

struct RawEvent {
    int32_t tick = 0;
    uint8_t kind = 0;   // a channel status, midi::kSysEx, kEndOfSysEx or kMeta
    uint8_t data1 = 0;  // the meta type for kMeta
    uint8_t data2 = 0;
    std::span<const uint8_t> data; // sysex or meta bytes inside the image
};

// A track: its settings, its ordered events, and the play image with the
// cursor that play-out reads. Owned through std::unique_ptr so it never moves.
class CTrack {
public:
    uint32_t flags = kDefaultTrackFlags;
    int32_t type = kMidiTrack;
    std::string name = "(new track)";
    int32_t endTick = 0;
    // Tick of the chunk's End of Track: a file's trailing silence, kept and
    // written back. 0 when it adds nothing after the last event.
    int32_t endOfTrack = 0;
    int32_t playEnabled = 1;
    int32_t savedPlayEnabled = 1;  // restored after a solo
    int32_t recordArm = 0;
    int32_t port = 0;              // numbered output port
    int32_t channel = 0;           // 0-15
    int32_t inputDevice = 0;
    int32_t inputChannel = -1;     // -1 any
    int32_t bank = -1;             // 14-bit, -1 none
    int32_t patch = -1;            // -1 none
    int32_t volume = 100;          // percent, scales every CC7
    std::array<int32_t, 14> initialControllers = filled<14>(-1); // kInitialControllerNumbers
    int32_t key = 0;               // transposition, semitones
    int32_t timeOffset = 0;        // ms
    int32_t velocityOffset = 0;
    std::array<int32_t, 4> rpnValues = filled<4>(-1);   // kInitialRpnNumbers
    std::array<int32_t, 6> channelPressureDest = filled<6>(-1);
    std::array<int32_t, 6> keyPressureDest = filled<6>(-1);
    std::array<int32_t, 6> controllerDest = filled<6>(-1);
    int32_t destController = -1;
    int32_t notationSetting = 0;
    int32_t notationValue = 0;
    Color color = kDefaultTrackColor;
    Color textColor = ColorLuminance(kDefaultTrackColor);
    std::vector<int32_t> patchChangePoints; // ticks where the image repeats the initial settings
    std::vector<CTrackItem> items;
    std::vector<CMidiEvent> events;         // in tick order
    SeekPointList seekPoints;               // one per 16 quarter notes of the image
    std::vector<uint8_t> playImage;         // track chunk body

    // Play cursor.
    uint32_t readPosition = 0;
    uint8_t runningStatus = 0;
    int32_t nextTick = kEndTick;
    int32_t tempoIndex = 0;
    double timeOffsetUs = 0.0;
    double nextTime = kEndTime;            // µs
    int32_t metEndOfTrack = -1;            // tick of the End of Track the cursor stopped at; -1 none
    bool pastLastTick = false;             // the image ran past the last tick; the rest is read there
    SkippedMessages skipped;               // messages the cursor stepped over

    std::string portName;
    IMidiOut* outputPort = nullptr;        // not owned
    int32_t synth = -1;
    int32_t drums = 0;
    int32_t technology = 8;
    uint8_t chased = 0;
    int32_t itemCursor = 0;                // FindClipAtTime's search hint
    uint32_t clipFlags = 0;                // 1 a key was folded, 2 a velocity limited
    uint32_t pitchClassCorrection = 0;     // two bits per pitch class
    float leftGain = 1.0f;
    float rightGain = 1.0f;

    void setColor(Color c)
    {
        color = c;
        textColor = ColorLuminance(c);
    }

    // Inserts a copy after the events at or before its tick; returns its index.
    size_t InsertEventSorted(const CMidiEvent& event);

    // Play cursor over playImage.
    void RewindReader();
    bool ReadNextEvent(RawEvent& out);
    // Resumes the cursor where a seek point recorded it.
    void positionReader(const SeekPoint& point);
    // Marks the track as played out.
    void endReader();

    int32_t FindClipAtTime(int32_t time);
    bool HasInitialSettings() const;
    int32_t MapPitch(int32_t keySignature) const;

    // Initial settings and volume on the output port. False, sending
    // nothing, without a port or a patch, or when the port's channel already
    // holds the patch (and the bank when the track has one).
    bool SendInitialControllers(const VolumeScale& scale);
    // Stores a new percent (-1 keeps it) and resends the channel's CC7
    // rescaled when it changed, unless the channel plays another patch.
    void SetVolume(int32_t percent, const VolumeScale& scale);
    void UpdateAudioGains(int masterVolume);

private:
    template <size_t N>
    static constexpr std::array<int32_t, N> filled(int32_t value)
    {
        std::array<int32_t, N> a{};
        a.fill(value);
        return a;
    }

    bool readChannelEventQuickly(RawEvent& out);
    bool readEventBody(ByteReader& reader, RawEvent& event);
    bool readSysex(ByteReader& reader, RawEvent& event);
    bool readMeta(ByteReader& reader, RawEvent& event);
};

} // namespace rz
