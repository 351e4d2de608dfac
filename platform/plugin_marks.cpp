// Marks that name the plug-in library being loaded, kept across runs.
#include "platform/plugin_marks.h"

#include "core/input_file.h"

#include <algorithm>
#include <sstream>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace rz {
namespace {

constexpr uint64_t kMostMarkBytes = 1 << 20;

std::vector<std::string> readLines(const std::filesystem::path& file)
{
    std::string reason; // a missing or unreadable mark file holds nothing
    const auto text = ReadWholeFile(file, kMostMarkBytes, reason);
    std::vector<std::string> lines;
    std::istringstream in(text.value_or(""));
    for (std::string line; std::getline(in, line);)
        if (!line.empty())
            lines.push_back(line);
    return lines;
}

// Written before the library is touched: a kill keeps what the system has.
// Opened without waiting, so a FIFO in the mark's place (no reader) cannot
// hold up start-up; anything but a regular file is left as it is and
// nothing is marked.
void writeText(const std::filesystem::path& file, const std::string& text)
{
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_NONBLOCK | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd < 0)
        return;
    struct stat status {};
    if (::fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && ::ftruncate(fd, 0) == 0) {
        size_t done = 0;
        while (done < text.size()) {
            const ssize_t wrote = ::write(fd, text.data() + done, text.size() - done);
            if (wrote <= 0)
                break;
            done += size_t(wrote);
        }
    }
    ::close(fd);
}

} // namespace

PluginMarks::PluginMarks(std::filesystem::path folder, std::string kind)
    : m_folder(std::move(folder)), m_kind(std::move(kind))
{
}

std::filesystem::path PluginMarks::markFile() const
{
    return m_folder / (m_kind + "-loading");
}

std::filesystem::path PluginMarks::listFile() const
{
    return m_folder / (m_kind + "-stopped");
}

std::vector<std::string> PluginMarks::settle() const
{
    if (m_folder.empty())
        return {};
    const std::vector<std::string> killed = readLines(markFile());
    if (killed.empty())
        return {};
    std::vector<std::string> stopped = readLines(listFile());
    if (std::find(stopped.begin(), stopped.end(), killed.front()) == stopped.end())
        stopped.push_back(killed.front());
    std::string text;
    for (const std::string& library : stopped)
        text += library + "\n";
    writeText(listFile(), text);
    std::error_code ignored;
    std::filesystem::remove(markFile(), ignored);
    return {stoppedMessage(killed.front())};
}

bool PluginMarks::isStopped(const std::filesystem::path& library) const
{
    if (m_folder.empty())
        return false;
    const std::vector<std::string> stopped = readLines(listFile());
    return std::find(stopped.begin(), stopped.end(), library.string()) != stopped.end();
}

void PluginMarks::begin(const std::filesystem::path& library) const
{
    if (m_folder.empty())
        return;
    std::error_code ignored;
    std::filesystem::create_directories(m_folder, ignored);
    writeText(markFile(), library.string() + "\n");
}

void PluginMarks::end() const
{
    if (m_folder.empty())
        return;
    std::error_code ignored;
    std::filesystem::remove(markFile(), ignored);
}

std::string PluginMarks::stoppedMessage(const std::string& library)
{
    return library + " was skipped because it stopped the program last time";
}

} // namespace rz
