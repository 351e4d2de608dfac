#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "song/seek_point.h"

namespace rz {

class CTrack;
struct CAudioClip;

// Appends a block as its length (a variable-length quantity) and its bytes;
// a block longer than four length bytes can say is cut there.
void appendBlock(std::vector<uint8_t>& bytes, std::span<const uint8_t> block);

// The encoder's output and working state while it writes channel messages:
// running status, the selected RPN/NRPN, and the chase list. Each call writes
// one item's bytes after its delta; deltas inside an item are 0.
struct ImageWriter {
    std::vector<uint8_t>& bytes;
    std::vector<uint32_t>& chaseMessages;
    std::vector<int32_t>& chaseTicks;
    uint8_t& runningStatus;
    uint32_t& selectedParameter;
    // What each channel's data entries address as written, for the seek
    // points; null when the caller keeps no seek points.
    ChannelSelections* selections = nullptr;
    // Every RPN and NRPN value writes its selection, as when another track
    // on the channel may select another parameter in between.
    bool selectEveryDataEntry = false;

    void channelMessage(uint8_t status, uint8_t data1);
    void channelMessage(uint8_t status, uint8_t data1, uint8_t data2);
    // Keeps the last message per key (its bits under mask) in the chase list.
    void chase(uint32_t message, uint32_t mask, int32_t tick);
    // Data bytes are 7-bit; values are masked.
    void controller(uint8_t channel, uint8_t number, uint8_t value, int32_t tick);
    void program(uint8_t channel, uint8_t program, int32_t bank, int32_t tick);
    void rpn(uint8_t channel, uint8_t number, uint32_t value, int32_t tick);
    void nrpn(uint8_t channel, uint32_t number, int32_t value, int32_t tick);
    // F0, the length and the payload, which ends with F7.
    void sysex(std::span<const uint8_t> payload);

private:
    void status(uint8_t value);
    void dataEntry(uint8_t channel, uint32_t value);
    void follow(uint8_t channel, uint8_t number, uint8_t value, int32_t tick);
    void clearChasedByResetAll(uint8_t channel);
};

// Writes the track's initial settings at one tick (see EncodeInitialSettings).
void writeInitialSettings(const CTrack& track, ImageWriter& writer, int32_t tick);

// The text of an audio-clip event: a path inside the "WaveData" folder of
// songFolder is written from that folder on with "\" separators, so songs
// move between systems; any other name, another folder's "WaveData" too, is
// written whole, since the reader would find it in the song's. "%d||" in
// front carries a clip number above 1, or any number when the name itself
// would read as one.
std::string clipText(const CAudioClip& clip, const std::filesystem::path& songFolder);

} // namespace rz
