#pragma once

#include "engine/instrument.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <memory>

namespace rz {

// Makes the instruments that the engine's instrument ports load. The
// instrument host implements it; tests use a fake. GUI thread.
class IInstrumentLoader {
public:
    virtual ~IInstrumentLoader() = default;
    // A fresh instrument, not loaded yet; the port loads its library on Open.
    virtual std::unique_ptr<IInstrument> makeInstrument() = 0;
};

// An instrument that never loads: the program has no instrument host yet.
class UnavailableInstrument final : public IInstrument {
public:
    InstrumentLoadResult load(const std::filesystem::path&) override
    {
        return {std::nullopt, "no instrument host"};
    }
    void unload() override {} // it never loads
    bool isLoaded() const override { return false; }
    void queueShort(uint32_t) override {} // nothing to play it
    void process(float* const* outputs, int frames) override;
    void resetAudio(double, int) override {} // it renders silence at any rate
    std::vector<uint8_t> getChunk() override { return {}; }
    bool setChunk(std::span<const uint8_t>) override { return false; }
    void showEditor(const std::string&) override {} // it has no editor
    void idle() override {}                          // nothing runs
};

inline void UnavailableInstrument::process(float* const* outputs, int frames)
{
    for (int channel = 0; channel < 2; ++channel)
        std::fill(outputs[channel], outputs[channel] + frames, 0.0f);
}

// The loader of a program without an instrument host: every load fails.
class UnavailableInstrumentLoader final : public IInstrumentLoader {
public:
    std::unique_ptr<IInstrument> makeInstrument() override
    {
        return std::make_unique<UnavailableInstrument>();
    }
};

} // namespace rz
