#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <system_error>

namespace rz {

// The file steps of saving. Each is checked; a failure returns false with a
// reason naming the file and the system's error, and leaves every file as it
// was (a temporary file of ours is removed again). GUI thread.

// Writes the bytes to a new file in the target's folder, flushes and syncs
// it, then renames it over the target, which keeps its permission bits. When
// `backup` is not empty and the target exists, the old file is linked (or,
// where links are refused, copied) to a scratch name just before that rename;
// a backup that cannot be taken fails the write. The target is replaced only
// when everything before has succeeded. The scratch then takes the name
// `backup` (copied where the rename crosses devices); when it cannot, the
// write still stands and `backupProblem` says why no backup was kept.
// Scratch files of the target's name that an interrupted save left are
// removed first.
bool WriteFileAtomic(const std::filesystem::path& target, std::span<const uint8_t> bytes,
                     const std::filesystem::path& backup, std::string& reason, std::string& backupProblem);

// The file a save replaces: for a symbolic link, the file it names.
std::filesystem::path SaveTarget(const std::filesystem::path& path);

// A name beside the target, not taken now, for a file that is to replace the
// target once it is written whole: hidden, and removed as a leftover by
// RemoveScratchLeftovers when a kill stops the writing.
std::filesystem::path ScratchPathFor(const std::filesystem::path& target);

// Removes the hidden scratch files (".<name>.xxxxxx.tmp") of the file's own
// name that a save interrupted by a crash or kill left in its folder.
void RemoveScratchLeftovers(const std::filesystem::path& path);

// Renames a file or folder unless `to` exists: renameat2(RENAME_NOREPLACE),
// or link and unlink where the file system lacks it. A taken name fails with
// EEXIST.
bool RenameNoReplace(const std::filesystem::path& from, const std::filesystem::path& to,
                     std::error_code& error);

// Moves a file to a name that is not taken, copying it and removing the
// original when the two lie on different devices.
bool MoveFileNoReplace(const std::filesystem::path& from, const std::filesystem::path& to,
                       std::string& reason);

// Copies a file over `to` (std::filesystem::copy_file, overwriting). A
// failed copy removes what it wrote of `to`.
bool CopyFileOverwrite(const std::filesystem::path& from, const std::filesystem::path& to,
                       std::string& reason);

// An existing file without any write permission bit, or one this process
// may not write. A missing file is not read-only.
bool IsReadOnly(const std::filesystem::path& path);

// Whether new files can be made in the folder.
bool IsWritableFolder(const std::filesystem::path& folder);

// The steps a test can make fail.
enum class FsStep {
    Create,  // the temporary file
    Write,
    Sync,
    Close,
    Link,    // the backup's hard link
    Copy,    // a copy where a link or a rename is refused
    Replace, // the rename over the target
    KeepBackup, // the old file's rename to the backup's name
    Rename,  // RenameNoReplace
};

// Test hook: while it lives, every run of `step` on this thread after the
// first `skip` ones fails with `error` (an errno value).
class ScopedFsFault {
public:
    ScopedFsFault(FsStep step, int error, int skip = 0);
    ~ScopedFsFault();
    ScopedFsFault(const ScopedFsFault&) = delete;
    ScopedFsFault& operator=(const ScopedFsFault&) = delete;
};

} // namespace rz
