#pragma once

#include "engine/instrument_loader.h"
#include "engine/vst_plugin.h"

#include <atomic>
#include <memory>

namespace rz {

class CSequencer;

// The engine as hosted plug-ins see it: its millisecond clock and its time
// record. The engine is attached after it is built and before Init; until
// then the clock stands at 0 and the record holds its defaults.
class SequencerVstHost final : public IVstHost {
public:
    void attach(const CSequencer* sequencer) { m_sequencer.store(sequencer, std::memory_order_release); }
    uint32_t msClock() const override;
    const HostTimeInfo& timeInfo() const override;

private:
    std::atomic<const CSequencer*> m_sequencer{nullptr};
    const HostTimeInfo m_unattached{};
};

// Makes the VST 2 instruments the engine's instrument ports load.
class VstInstrumentLoader final : public IInstrumentLoader {
public:
    // `editors` may be null: the instruments show no editor.
    VstInstrumentLoader(IVstHost& host, IVstEditorWindows* editors)
        : m_host(host), m_editors(editors)
    {
    }
    std::unique_ptr<IInstrument> makeInstrument() override
    {
        return std::make_unique<CVstPlugin>(m_host, m_editors);
    }

private:
    IVstHost& m_host;
    IVstEditorWindows* m_editors;
};

} // namespace rz
