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

    std::vector<uint32_t> queued() const;
    std::filesystem::path loadedPath() const;
    int unloadCount() const;

private:
    const std::optional<std::string> m_name;
    const std::string m_error;
    std::atomic<bool> m_loaded{false};
    mutable std::mutex m_mutex;
    std::vector<uint32_t> m_queued;
    std::filesystem::path m_path;
    int m_unloads = 0;
};

} // namespace rz
