#include "tests/support/fake_instrument.h"

#include <algorithm>

namespace rz {

FakeInstrument::FakeInstrument(std::optional<std::string> name, std::string error)
    : m_name(std::move(name)), m_error(std::move(error))
{
}

InstrumentLoadResult FakeInstrument::load(const std::filesystem::path& library)
{
    std::lock_guard lock(m_mutex);
    m_path = library;
    if (!m_name)
        return {std::nullopt, m_error};
    m_loaded = true;
    return {m_name, {}};
}

void FakeInstrument::unload()
{
    std::lock_guard lock(m_mutex);
    ++m_unloads;
    m_loaded = false;
}

void FakeInstrument::queueShort(uint32_t message)
{
    std::lock_guard lock(m_mutex);
    m_queued.push_back(message);
}

std::vector<uint32_t> FakeInstrument::queued() const
{
    std::lock_guard lock(m_mutex);
    return m_queued;
}

std::filesystem::path FakeInstrument::loadedPath() const
{
    std::lock_guard lock(m_mutex);
    return m_path;
}

int FakeInstrument::unloadCount() const
{
    std::lock_guard lock(m_mutex);
    return m_unloads;
}

void FakeInstrument::process(float* const* outputs, int frames)
{
    for (int channel = 0; channel < 2; ++channel)
        std::fill(outputs[channel], outputs[channel] + frames, m_level.load());
    m_processes.fetch_add(1);
    const int told = m_toldFrames.load();
    if (told > 0 && frames > told)
        m_overruns.fetch_add(1);
}

void FakeInstrument::resetAudio(double sampleRate, int blockFrames)
{
    std::lock_guard lock(m_mutex);
    m_sampleRate = sampleRate;
    m_blockFrames = blockFrames;
    m_toldFrames.store(blockFrames);
}

double FakeInstrument::sampleRate() const
{
    std::lock_guard lock(m_mutex);
    return m_sampleRate;
}

int FakeInstrument::blockFrames() const
{
    std::lock_guard lock(m_mutex);
    return m_blockFrames;
}

std::vector<uint8_t> FakeInstrument::getChunk()
{
    std::lock_guard lock(m_mutex);
    return m_chunk;
}

bool FakeInstrument::setChunk(std::span<const uint8_t> state)
{
    std::lock_guard lock(m_mutex);
    m_chunk.assign(state.begin(), state.end());
    return true;
}

void FakeInstrument::showEditor(const std::string& title)
{
    std::lock_guard lock(m_mutex);
    m_editorTitle = title;
}

std::string FakeInstrument::editorTitle() const
{
    std::lock_guard lock(m_mutex);
    return m_editorTitle;
}

} // namespace rz
