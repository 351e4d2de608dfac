#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace rz {

struct InstrumentLoadResult {
    std::optional<std::string> name; // the instrument's own name, when it loaded
    std::string error;               // why it did not, otherwise
};

// A hosted instrument under an instrument port. The instrument host
// implements it; tests use a fake.
class IInstrument {
public:
    virtual ~IInstrument() = default;

    virtual InstrumentLoadResult load(const std::filesystem::path& library) = 0;
    virtual void unload() = 0;
    virtual bool isLoaded() const = 0;
    // Queues one short message (status in the low byte, then the data bytes)
    // for the next rendered block. Any thread; waits only for another
    // thread queueing at the same time, never for the audio thread.
    virtual void queueShort(uint32_t message) = 0;

    // Renders the next `frames` frames into outputs[0] (left) and outputs[1]
    // (right), replacing what they held. Audio thread; never waits or
    // allocates.
    virtual void process(float* const* outputs, int frames) = 0;
    // The audio device's rate and largest block changed, or the device was
    // reopened. Never called while process() runs.
    virtual void resetAudio(double sampleRate, int blockFrames) = 0;

    // The instrument's whole state, empty when it gives none. GUI thread.
    virtual std::vector<uint8_t> getChunk() = 0;
    // Hands it a state from getChunk; false when it refused. GUI thread.
    virtual bool setChunk(std::span<const uint8_t> state) = 0;
    // With a title (the port's name): shows the editor window, or activates
    // it when shown. With an empty title: closes it. GUI thread.
    virtual void showEditor(const std::string& title) = 0;
    // The editor's and the instrument's periodic idle call. GUI thread.
    virtual void idle() = 0;
};

} // namespace rz
