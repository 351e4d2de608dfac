// The file steps of saving: atomic replacement with a backup, renames that
// never replace, moves across devices. GUI thread.
#include "song/fs.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <random>
#include <string_view>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace rz {
namespace {

struct Fault {
    bool armed = false;
    FsStep step = FsStep::Create;
    int error = 0;
    int skip = 0;
};
thread_local Fault t_fault;

// The errno a test asked this run of the step to fail with; 0 none.
int injected(FsStep step)
{
    Fault& fault = t_fault;
    if (!fault.armed || fault.step != step)
        return 0;
    if (fault.skip > 0) {
        --fault.skip;
        return 0;
    }
    return fault.error;
}

// Runs a system call unless a test made the step fail; false with errno set.
template <class Call>
bool run(FsStep step, Call&& call)
{
    if (const int error = injected(step)) {
        errno = error;
        return false;
    }
    return call();
}

std::string describe(const char* what, const std::filesystem::path& path, int error)
{
    return std::string(what) + " " + path.string() + ": " + std::generic_category().message(error);
}

std::filesystem::path folderOf(const std::filesystem::path& path)
{
    return path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
}

// Scratch names are "." + the file's name + ".xxxxxx.tmp" (six hex digits).
constexpr size_t kScratchExtraBytes = 12;
constexpr size_t kScratchHexDigits = 6;
constexpr std::string_view kScratchEnd = ".tmp";

// The file's name as its scratch names carry it: cut so that the whole
// scratch name stays within the folder's longest name.
std::string scratchStem(const std::filesystem::path& folder, const std::string& name)
{
    const long longest = ::pathconf(folder.c_str(), _PC_NAME_MAX);
    const size_t limit = longest > long(kScratchExtraBytes) ? size_t(longest) : NAME_MAX;
    return name.substr(0, limit - kScratchExtraBytes);
}

// A name beside `name` in `folder` that no one else picks: hidden, random.
std::filesystem::path scratchName(const std::filesystem::path& folder, const std::string& name)
{
    thread_local std::mt19937 random(std::random_device{}() ^ uint32_t(::getpid()));
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, ".%06x.tmp", unsigned(random() & 0xFFFFFF));
    return folder / ("." + scratchStem(folder, name) + suffix);
}

bool isScratchOf(const std::string& entry, const std::string& stem)
{
    const size_t start = 1 + stem.size();
    if (entry.size() != start + 1 + kScratchHexDigits + kScratchEnd.size() || entry[0] != '.'
        || entry.compare(1, stem.size(), stem) != 0 || entry[start] != '.'
        || !entry.ends_with(kScratchEnd))
        return false;
    const std::string_view digits = std::string_view(entry).substr(start + 1, kScratchHexDigits);
    return std::all_of(digits.begin(), digits.end(),
                       [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}

constexpr int kNameAttempts = 100;

struct TempFile {
    std::filesystem::path path;
    int fd = -1;
};

bool createTemp(const std::filesystem::path& folder, const std::string& name, TempFile& temp,
                std::string& reason)
{
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        temp.path = scratchName(folder, name);
        const bool made = run(FsStep::Create, [&] {
            temp.fd = ::open(temp.path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            return temp.fd >= 0;
        });
        if (made)
            return true;
        if (errno != EEXIST)
            break;
    }
    reason = describe("cannot create a file in", folder, errno);
    return false;
}

// Closes (when open) and removes a temporary file that did not become the target.
void discard(TempFile& temp)
{
    if (temp.fd >= 0)
        ::close(temp.fd);
    temp.fd = -1;
    ::unlink(temp.path.c_str());
}

bool writeAll(int fd, std::span<const uint8_t> bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t written = -1;
        const bool ok = run(FsStep::Write, [&] {
            written = ::write(fd, bytes.data() + done, bytes.size() - done);
            return written >= 0;
        });
        if (!ok) {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += size_t(written);
    }
    return true;
}

// Flushes the file to the disk and closes it.
bool syncAndClose(TempFile& temp, std::string& reason)
{
    if (!run(FsStep::Sync, [&] { return ::fsync(temp.fd) == 0; })) {
        reason = describe("cannot flush", temp.path, errno);
        return false;
    }
    // The descriptor is released whatever close answers.
    const bool closed = ::close(temp.fd) == 0;
    temp.fd = -1;
    if (!run(FsStep::Close, [&] { return closed; })) {
        reason = describe("cannot close", temp.path, errno);
        return false;
    }
    return true;
}

// Copies a file's bytes into an open file.
bool copyInto(const std::filesystem::path& from, int toFd, std::string& reason)
{
    const int fromFd = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (fromFd < 0) {
        reason = describe("cannot read", from, errno);
        return false;
    }
    uint8_t buffer[64 * 1024];
    bool ok = true;
    for (;;) {
        ssize_t got = -1;
        ok = run(FsStep::Copy, [&] {
            got = ::read(fromFd, buffer, sizeof buffer);
            return got >= 0;
        });
        if (!ok && errno == EINTR)
            continue;
        if (!ok || got == 0)
            break;
        if (!writeAll(toFd, std::span(buffer, size_t(got)))) {
            ok = false;
            break;
        }
    }
    if (!ok)
        reason = describe("cannot copy", from, errno);
    ::close(fromFd);
    return ok;
}

// A complete copy of `from` under a new scratch name for `name` in `folder`.
bool copyToScratch(const std::filesystem::path& from, const std::filesystem::path& folder,
                   const std::string& name, TempFile& copy, std::string& reason)
{
    if (!createTemp(folder, name, copy, reason))
        return false;
    if (!copyInto(from, copy.fd, reason) || !syncAndClose(copy, reason)) {
        discard(copy);
        return false;
    }
    return true;
}

bool fillTemp(TempFile& temp, std::span<const uint8_t> bytes, const std::filesystem::path& target,
              std::string& reason)
{
    if (!writeAll(temp.fd, bytes)) {
        reason = describe("cannot write", temp.path, errno);
        return false;
    }
    struct stat old {};
    if (::stat(target.c_str(), &old) == 0)
        ::fchmod(temp.fd, old.st_mode & 07777);
    return syncAndClose(temp, reason);
}

// The old file under a scratch name: a hard link, or a copy where links are
// refused.
bool takeBackup(const std::filesystem::path& target, const std::filesystem::path& folder,
                std::filesystem::path& scratch, std::string& reason)
{
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        scratch = scratchName(folder, target.filename().string());
        if (run(FsStep::Link, [&] { return ::link(target.c_str(), scratch.c_str()) == 0; }))
            return true;
        if (errno != EEXIST)
            break;
    }
    TempFile copy;
    if (!copyToScratch(target, folder, target.filename().string(), copy, reason)) {
        scratch.clear();
        return false;
    }
    scratch = copy.path;
    return true;
}

void syncFolder(const std::filesystem::path& folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// A symbolic link is saved through: the file it names is replaced.
std::filesystem::path resolveLink(const std::filesystem::path& path)
{
    std::error_code error;
    if (!std::filesystem::is_symlink(path, error))
        return path;
    std::filesystem::path resolved = std::filesystem::weakly_canonical(path, error);
    return error ? path : resolved;
}

// The old file, under its scratch name, takes the backup's name; where the
// rename is refused across devices a copy in the backup's folder does. The
// scratch name is gone afterwards either way.
bool keepBackup(const std::filesystem::path& scratch, const std::filesystem::path& backup,
                std::string& problem)
{
    if (run(FsStep::KeepBackup, [&] { return ::rename(scratch.c_str(), backup.c_str()) == 0; }))
        return true;
    int error = errno;
    if (error == EXDEV) {
        TempFile copy;
        if (!copyToScratch(scratch, folderOf(backup), backup.filename().string(), copy, problem)) {
            ::unlink(scratch.c_str());
            return false;
        }
        if (::rename(copy.path.c_str(), backup.c_str()) == 0) {
            ::unlink(scratch.c_str());
            return true;
        }
        error = errno;
        discard(copy);
    }
    problem = describe("cannot keep the backup", backup, error);
    ::unlink(scratch.c_str());
    return false;
}

// Scratch files of the file's own name that a killed save left behind.
void removeLeftovers(const std::filesystem::path& target)
{
    const std::filesystem::path folder = folderOf(target);
    const std::string stem = scratchStem(folder, target.filename().string());
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end;
         it.increment(error)) {
        std::error_code ignored;
        if (isScratchOf(it->path().filename().string(), stem) && it->is_regular_file(ignored)
            && !it->is_symlink(ignored))
            ::unlink(it->path().c_str());
    }
}

bool linkAndUnlink(const std::filesystem::path& from, const std::filesystem::path& to,
                   std::error_code& error)
{
    if (::link(from.c_str(), to.c_str()) == 0) {
        if (::unlink(from.c_str()) == 0)
            return true;
        error.assign(errno, std::generic_category());
        ::unlink(to.c_str());
        return false;
    }
    const int linkError = errno;
    std::error_code ignored;
    if (linkError == EPERM && std::filesystem::is_directory(from, ignored)) {
        // Folders cannot be linked: the check and the rename are not one step here.
        if (std::filesystem::exists(to, ignored)) {
            error.assign(EEXIST, std::generic_category());
            return false;
        }
        if (::rename(from.c_str(), to.c_str()) == 0)
            return true;
    }
    error.assign(linkError == EPERM ? errno : linkError, std::generic_category());
    return false;
}

} // namespace

bool WriteFileAtomic(const std::filesystem::path& requested, std::span<const uint8_t> bytes,
                     const std::filesystem::path& backup, std::string& reason, std::string& backupProblem)
{
    backupProblem.clear();
    const std::filesystem::path target = resolveLink(requested);
    const std::filesystem::path folder = folderOf(target);
    removeLeftovers(target);
    TempFile temp;
    if (!createTemp(folder, target.filename().string(), temp, reason))
        return false;
    if (!fillTemp(temp, bytes, target, reason)) {
        discard(temp);
        return false;
    }
    std::filesystem::path scratchBackup;
    std::error_code error;
    if (!backup.empty() && std::filesystem::exists(target, error)
        && !takeBackup(target, folder, scratchBackup, reason)) {
        discard(temp);
        return false;
    }
    if (!run(FsStep::Replace, [&] { return ::rename(temp.path.c_str(), target.c_str()) == 0; })) {
        reason = describe("cannot replace", target, errno);
        discard(temp);
        if (!scratchBackup.empty())
            ::unlink(scratchBackup.c_str());
        return false;
    }
    // The save stands; a backup that cannot take its name leaves the older one.
    if (!scratchBackup.empty())
        keepBackup(scratchBackup, backup, backupProblem);
    syncFolder(folder);
    if (!backup.empty() && folderOf(backup) != folder)
        syncFolder(folderOf(backup));
    return true;
}

std::filesystem::path SaveTarget(const std::filesystem::path& path)
{
    return resolveLink(path);
}

std::filesystem::path ScratchPathFor(const std::filesystem::path& target)
{
    const std::filesystem::path folder = folderOf(target);
    std::filesystem::path scratch;
    std::error_code error;
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        scratch = scratchName(folder, target.filename().string());
        if (std::filesystem::symlink_status(scratch, error).type() == std::filesystem::file_type::not_found)
            break;
    }
    return scratch;
}

void RemoveScratchLeftovers(const std::filesystem::path& path)
{
    removeLeftovers(resolveLink(path));
}

bool RenameNoReplace(const std::filesystem::path& from, const std::filesystem::path& to,
                     std::error_code& error)
{
    error.clear();
    if (const int fault = injected(FsStep::Rename)) {
        error.assign(fault, std::generic_category());
        return false;
    }
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    const int renameError = errno;
    if (renameError == EINVAL || renameError == ENOSYS || renameError == EOPNOTSUPP)
        return linkAndUnlink(from, to, error);
    error.assign(renameError, std::generic_category());
    return false;
}

bool MoveFileNoReplace(const std::filesystem::path& from, const std::filesystem::path& to,
                       std::string& reason)
{
    std::error_code error;
    if (RenameNoReplace(from, to, error))
        return true;
    if (error.value() != EXDEV) {
        reason = describe("cannot move", from, error.value()) + " (to " + to.string() + ")";
        return false;
    }
    TempFile copy;
    if (!copyToScratch(from, folderOf(to), to.filename().string(), copy, reason))
        return false;
    if (!RenameNoReplace(copy.path, to, error)) {
        reason = describe("cannot move", from, error.value()) + " (to " + to.string() + ")";
        discard(copy);
        return false;
    }
    // The copy is in place; an original that cannot be removed only costs space.
    ::unlink(from.c_str());
    return true;
}

bool IsReadOnly(const std::filesystem::path& path)
{
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0)
        return false;
    return (status.st_mode & 0222) == 0 || ::access(path.c_str(), W_OK) != 0;
}

bool IsWritableFolder(const std::filesystem::path& folder)
{
    const std::filesystem::path checked = folder.empty() ? std::filesystem::path(".") : folder;
    return ::access(checked.c_str(), W_OK | X_OK) == 0;
}

ScopedFsFault::ScopedFsFault(FsStep step, int error, int skip)
{
    t_fault = Fault{.armed = true, .step = step, .error = error, .skip = skip};
}

ScopedFsFault::~ScopedFsFault()
{
    t_fault = Fault{};
}

bool CopyFileOverwrite(const std::filesystem::path& from, const std::filesystem::path& to,
                       std::string& reason)
{
    std::error_code error;
    const bool copied = run(FsStep::Copy, [&] {
        std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing, error);
        if (error)
            errno = error.value();
        return !error;
    });
    if (copied)
        return true;
    const int failure = errno;
    std::error_code ignored;
    std::filesystem::remove(to, ignored);
    reason = describe("cannot copy", from, failure);
    return false;
}

} // namespace rz
