#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

namespace rz {

class CSongDoc;

inline constexpr const char* kCopyFailed = "Sorry, the file copy operation failed.  Do you have enough disk space?";

// A conversion of one audio file into an engine-format wave file, run in
// steps on the GUI thread.
class IAudioConversion {
public:
    virtual ~IAudioConversion() = default;
    // 0, or the negative code of the step that failed to set up.
    virtual int32_t start() = 0;
    // Nonzero, with the fraction done in *progress, while it runs; 0 at its end.
    virtual int step(double* progress) = 0;
    // Completes the target; after a cancel it only closes it.
    virtual void finish() = 0;
};

// What File > Import > Audio clip asks of the program.
struct AudioClipImportServices {
    // False for a wave file the engine plays as it is: it is copied.
    std::function<bool(const std::filesystem::path& source)> needsConversion;
    std::function<std::unique_ptr<IAudioConversion>(const std::filesystem::path& source,
                                                    const std::filesystem::path& target)>
        makeConversion;
    // Runs the steps while the progress dialog shows them; false when the
    // user cancelled.
    std::function<bool(const std::function<int(double*)>& step)> showProgress;
};

// Each file becomes a new audio track named after it, holding one clip at
// the song's position, its samples in a new file of the work folder. All
// tracks go in at row 1 in one undo record "Import audio clips". A copy that
// fails, a conversion that cannot start or a cancel ends the import with
// nothing changed: the files it made are removed. True when applied.
bool ImportAudioClips(CSongDoc& song, const std::vector<std::filesystem::path>& files,
                      const AudioClipImportServices& services);

} // namespace rz
