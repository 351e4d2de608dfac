// File > Import > Audio clip, and the set pane's paste of a song as a copy.
// GUI thread.
#include "app/app.h"

#include "app/audio_clip_import.h"
#include "app/main_frame.h"
#include "app/new_document_prompt.h"
#include "core/profile.h"
#include "core/prompt.h"
#include "engine/sequencer.h"
#include "engine/audio/wave_grabber.h"
#include "song/song_doc.h"
#include "views/song_view.h"

namespace rz {
namespace {

constexpr const char* kAudioFilter = "Waveform audio files (*.wav *.mp3 *.aif *.wma)";

// The wave grabber as the import drives it.
class GrabberConversion : public IAudioConversion {
public:
    GrabberConversion(const std::filesystem::path& source, const std::filesystem::path& target, uint32_t rate)
        : m_grabber(source, target, rate)
    {
    }
    int32_t start() override { return m_grabber.BuildGraph(); }
    int step(double* progress) override { return m_grabber.Step(progress); }
    void finish() override { m_grabber.Release(); }

private:
    CWaveGrabber m_grabber;
};

} // namespace

void App::onUpdateImportAudioClip(CommandId, CmdUi& ui)
{
    ui.enabled = stoppedEditing() && bool(m_importProgress);
}

bool App::onImportAudioClip(CommandId)
{
    CSongDoc* song = m_currentSong;
    if (!song || !m_importProgress)
        return false;
    const std::string folder = m_profile->readString("Dirs", "AudioFiles", m_documentsFolder.string());
    const std::vector<std::filesystem::path> files =
        m_prompt->chooseOpenPaths("Import audio clip...", folder, kAudioFilter);
    if (files.empty())
        return true;
    m_profile->writeString("Dirs", "AudioFiles", files.front().parent_path().string());
    const uint32_t rate = m_sequencer ? m_sequencer->audioFormat().sampleRate : AudioFormat{}.sampleRate;
    AudioClipImportServices services;
    services.needsConversion = [rate](const std::filesystem::path& source) { return NeedsConversion(source, rate); };
    services.makeConversion = [rate](const std::filesystem::path& source, const std::filesystem::path& target) {
        return std::make_unique<GrabberConversion>(source, target, rate);
    };
    services.showProgress = m_importProgress;
    ImportAudioClips(*song, files, services);
    return true;
}

void App::NewSongFromClipboard()
{
    if (m_newDocumentPrompt == nullptr)
        return;
    if (const std::optional<NewDocumentChoice> choice = m_newDocumentPrompt->askNewDocument(true))
        NewSetOrSong(*choice);
}

void App::repaintClipView()
{
    if (SongView* clips = slot(kClip))
        clips->update();
}

} // namespace rz
