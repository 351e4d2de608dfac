#pragma once

#include "engine/instrument.h"

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace rz {

// An instrument that loads by script and records what is queued.
class FakeInstrument : public IInstrument {
public:
    // Loads as `name`; with no name, fails with `error`.
    explicit FakeInstrument(std::optional<std::string> name = "Fake instrument",
                            std::string error = {});

    InstrumentLoadResult load(const std::filesystem::path& library) override;
    void unload() override;
    bool isLoaded() const override { return m_loaded.load(); }
    void queueShort(uint32_t message) override;
    // Renders the level on both channels, counting the calls and those
    // longer than the block it was last told.
    void process(float* const* outputs, int frames) override;
    void resetAudio(double sampleRate, int blockFrames) override;
    // Keeps the state it is given and gives it back.
    std::vector<uint8_t> getChunk() override;
    bool setChunk(std::span<const uint8_t> state) override;
    void showEditor(const std::string& title) override;
    void idle() override { m_idles.fetch_add(1); }

    std::vector<uint32_t> queued() const;
    std::filesystem::path loadedPath() const;
    int unloadCount() const;
    int processCount() const { return m_processes.load(); }
    int overrunCount() const { return m_overruns.load(); }
    int idleCount() const { return m_idles.load(); }
    std::string editorTitle() const;
    double sampleRate() const;
    int blockFrames() const;
    // Every rendered sample from now on; 0 renders silence.
    void setLevel(float level) { m_level.store(level); }

private:
    const std::optional<std::string> m_name;
    const std::string m_error;
    std::atomic<bool> m_loaded{false};
    mutable std::mutex m_mutex;
    std::vector<uint32_t> m_queued;
    std::filesystem::path m_path;
    int m_unloads = 0;
    std::atomic<int> m_processes{0};
    std::atomic<int> m_overruns{0};
    std::atomic<int> m_toldFrames{0}; // 0: never told
    double m_sampleRate = 0;
    int m_blockFrames = 0;
    std::vector<uint8_t> m_chunk;
    std::string m_editorTitle;
    std::atomic<int> m_idles{0};
    std::atomic<float> m_level{0.0f};
};

} // namespace rz
