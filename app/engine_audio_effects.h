#pragma once

#include "app/audio_effects.h"
#include "core/audio_tools.h"
#include "engine/ui/filter_tools.h"

namespace rz {

class App;

// The engine's effect dialogs and the Wave Mixer as the application's audio
// effects and the songs' audio tools. GUI thread.
class EngineAudioEffects final : public IAudioEffects, public IAudioTools {
public:
    explicit EngineAudioEffects(App& app);

    IAudioTools& tools() override { return *this; }
    const LadspaCatalog& catalog() override { return m_filters.catalog(); }
    std::optional<std::string> chooseEffect() override { return m_filters.chooseFilter(); }

    bool has(AudioTool tool) const override;
    bool runFilterSheet(const std::string& effect, const std::vector<std::filesystem::path>& files,
                        const std::filesystem::path& auditionFile) override;
    std::optional<std::vector<std::filesystem::path>> runApplyFilter(
        const std::string& effect, const std::vector<std::filesystem::path>& files,
        const std::vector<int64_t>& durationsMs) override;
    void releaseApplyResources() override { m_filters.releaseApplyResources(); }
    std::optional<WaveMix> runWaveMixer(CSongDoc& song) override;

private:
    App& m_app;
    CFilterTools m_filters;
};

} // namespace rz
