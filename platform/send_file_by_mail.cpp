// The mail hand-off through xdg-email.
#include "platform/send_file_by_mail.h"

#include <cerrno>
#include <string>
#include <system_error>

#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace rz {
namespace {

constexpr const char* kMailProgram = "xdg-email";

std::vector<std::string> mailArguments(std::string_view subject,
                                       const std::vector<std::filesystem::path>& attachments)
{
    std::vector<std::string> arguments = {kMailProgram, "--subject", std::string(subject)};
    for (const auto& file : attachments) {
        std::error_code error;
        const std::filesystem::path absolute = std::filesystem::absolute(file, error);
        arguments.push_back("--attach");
        arguments.push_back(error ? file.string() : absolute.lexically_normal().string());
    }
    return arguments;
}

// The exit status of the child; -1 when waiting failed.
int waitForExit(pid_t child, std::string& reason)
{
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) {
            reason = std::string(kMailProgram) + " could not be waited for: "
                     + std::generic_category().message(errno);
            return -1;
        }
    }
    if (WIFSIGNALED(status)) {
        reason = std::string(kMailProgram) + " was ended by signal " + std::to_string(WTERMSIG(status));
        return -1;
    }
    return WEXITSTATUS(status);
}

} // namespace

bool SendFileByMail(std::string_view subject, const std::vector<std::filesystem::path>& attachments,
                    std::string& reason)
{
    const long child = StartMailProgram(subject, attachments, reason);
    return child >= 0 && WaitForMailProgram(child, reason);
}

long StartMailProgram(std::string_view subject, const std::vector<std::filesystem::path>& attachments,
                      std::string& reason)
{
    std::vector<std::string> arguments = mailArguments(subject, attachments);
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    pid_t child = 0;
    const int error = ::posix_spawnp(&child, kMailProgram, nullptr, nullptr, argv.data(), environ);
    if (error != 0) {
        reason = std::string(kMailProgram) + " could not be started: " + std::generic_category().message(error);
        return -1;
    }
    return long(child);
}

bool WaitForMailProgram(long child, std::string& reason)
{
    const int status = waitForExit(pid_t(child), reason);
    if (status == 0)
        return true;
    if (status > 0)
        reason = std::string(kMailProgram) + " exited with status " + std::to_string(status);
    return false;
}

} // namespace rz
