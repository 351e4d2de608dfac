#pragma once

#include <filesystem>
#include <vector>

namespace rz {

class CSongDoc;

// The files a message about the song carries, in order: the song file, then
// the audio file of every clip of the waveform tracks, last track first and
// last clip first, each file once.
std::vector<std::filesystem::path> songMailAttachments(const CSongDoc& song);

// File > Send...: offers to save a modified song, then hands the song file
// and its clips' audio files to the mail program with the subject
// "<title>.mid". Files outside the song's folder, the set's folder and the
// work folder are listed in a question first and attached only on Yes.
// A song without a file, or a hand-off that fails, is
// reported through the prompt. False when nothing was sent. GUI thread.
bool OnFileSend(CSongDoc& song);

} // namespace rz
