#include "app/engine_audio_effects.h"

#include "app/app.h"
#include "app/main_frame.h"
#include "engine/sequencer.h"

namespace rz {

namespace {

FilterToolsServices servicesOf(App& app)
{
    return FilterToolsServices{
        .prompt = app.prompt(),
        .engineRate =
            [&app] {
                const CSequencer* engine = app.sequencer();
                return engine ? engine->audioFormat().sampleRate : AudioFormat{}.sampleRate;
            },
        .workFolder = [&app] { return app.workFolder(); },
        .previewSlot = [&app]() -> AudioPreviewSlot* {
            CSequencer* engine = app.sequencer();
            return engine ? engine->previewSlot() : nullptr;
        },
        .opened = [&app](const std::string& id) { app.addRecentFilter(id); },
        .parent = [&app]() -> QWidget* { return app.frame(); },
    };
}

} // namespace

EngineAudioEffects::EngineAudioEffects(App& app) : m_filters(servicesOf(app)) {}

bool EngineAudioEffects::has(AudioTool tool) const
{
    return tool == AudioTool::FilterSheet || tool == AudioTool::ApplyFilter;
}

bool EngineAudioEffects::runFilterSheet(const std::string& effect,
                                        const std::vector<std::filesystem::path>&,
                                        const std::filesystem::path& auditionFile)
{
    return m_filters.runFilterSheet(effect, auditionFile);
}

std::optional<std::vector<std::filesystem::path>> EngineAudioEffects::runApplyFilter(
    const std::string& effect, const std::vector<std::filesystem::path>& files,
    const std::vector<int64_t>& durationsMs)
{
    return m_filters.runApplyFilter(effect, files, durationsMs);
}

std::optional<WaveMix> EngineAudioEffects::runWaveMixer(CSongDoc&)
{
    return std::nullopt; // has() offers no Wave Mixer
}

} // namespace rz
