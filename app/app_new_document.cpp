// File > New and File > Revert. GUI thread.
#include "app/app.h"

#include "app/audio_clip_import.h"
#include "app/main_frame.h"
#include "core/prompt.h"
#include "core/engine_link.h"
#include "set/new_document_target.h"
#include "set/set_document.h"
#include "song/smf_reader.h"
#include "song/song_doc.h"

namespace rz {

// Before start-up completes the program already holds its empty set; while
// playing or performing, File > New leaves everything as it is.
bool App::onFileNew(CommandId)
{
    if (m_newDocumentPrompt == nullptr || !m_startupComplete
        || m_engine->transportState() != TransportState::Stopped || m_performanceMode)
        return true;
    const std::optional<NewDocumentChoice> choice = m_newDocumentPrompt->askNewDocument(false);
    if (choice)
        NewSetOrSong(*choice);
    return true;
}

void App::onUpdateFileNew(CommandId, CmdUi& ui)
{
    ui.enabled = m_newDocumentPrompt != nullptr;
}

// A set is written at once, so its folder holds a set from the start; a
// song is written empty and opened as any song is.
bool App::NewSetOrSong(const NewDocumentChoice& choice)
{
    if (choice.kind == 0) {
        if (!m_set->SaveModified())
            return false;
        if (m_set->contains(m_currentSong))
            SetCurrentSong(nullptr);
        return createEmptySet(*m_set, choice.path);
    }
    CSongDoc song(m_set->songContext());
    if (choice.templatePath.empty()) {
        song.InitNewSong();
    } else {
        std::string reason;
        if (!OpenSong(song, choice.templatePath, reason)) {
            m_prompt->message(kCopyFailed, PromptIcon::Stop);
            std::error_code error;
            std::filesystem::remove(choice.path, error);
            return false;
        }
    }
    if (!song.OnSaveDocument(choice.path))
        return false;
    return OpenDocumentFile(choice.path) != nullptr;
}

bool App::onRevertToRecentSong(CommandId)
{
    m_set->navigator().ReturnToPreviousSong();
    return true;
}

void App::onUpdateRevertToRecentSong(CommandId, CmdUi& ui)
{
    ui.enabled = m_set->tree().previousSongItem() != nullptr
                 && m_engine->transportState() == TransportState::Stopped;
}

} // namespace rz
