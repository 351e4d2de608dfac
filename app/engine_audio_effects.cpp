#include "app/engine_audio_effects.h"

#include "app/app.h"
#include "app/edit_commands.h"
#include "app/main_frame.h"
#include "engine/sequencer.h"
#include "engine/ui/wave_mixer_dlg.h"
#include "ui/help_opener.h"

namespace rz {

namespace {

uint32_t engineRate(App& app)
{
    const CSequencer* engine = app.sequencer();
    return engine ? engine->audioFormat().sampleRate : AudioFormat{}.sampleRate;
}

FilterToolsServices servicesOf(App& app)
{
    return FilterToolsServices{
        .prompt = app.prompt(),
        .engineRate = [&app] { return engineRate(app); },
        .workFolder = [&app] { return app.files().workFolder(); },
        .previewSlot = [&app]() -> AudioPreviewSlot* {
            CSequencer* engine = app.sequencer();
            return engine ? engine->previewSlot() : nullptr;
        },
        .opened = [&app](const std::string& id) { app.commands().edit->addRecentFilter(id); },
        .parent = [&app]() -> QWidget* { return app.frame(); },
    };
}

} // namespace

EngineAudioEffects::EngineAudioEffects(App& app) : m_app(app), m_filters(servicesOf(app)) {}

bool EngineAudioEffects::has(AudioTool tool) const
{
    return tool == AudioTool::FilterSheet || tool == AudioTool::ApplyFilter
           || tool == AudioTool::WaveMixer;
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

std::optional<WaveMix> EngineAudioEffects::runWaveMixer(CSongDoc& song)
{
    App& app = m_app;
    WaveMixerServices services{
        .profile = app.profile(),
        .prompt = app.prompt(),
        .files = app.files(),
        .sampleRate = engineRate(app),
        .documents = app.documentsFolder(),
        .help = [&app](std::string_view topic) { app.help().open(topic); },
    };
    CWaveMixerDlg dialog(std::move(services), song, app.frame());
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.mixResult();
}

} // namespace rz
