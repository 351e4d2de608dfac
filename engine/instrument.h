#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

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
    // for the next rendered block. Any thread; never waits.
    virtual void queueShort(uint32_t message) = 0;

    // Renders the next `frames` frames into outputs[0] (left) and outputs[1]
    // (right), replacing what they held. Audio thread; never waits or
    // allocates.
    virtual void process(float* const* outputs, int frames) = 0;
    // The audio device's rate and largest block changed, or the device was
    // reopened. Never called while process() runs.
    virtual void resetAudio(double sampleRate, int blockFrames) = 0;
};

} // namespace rz
