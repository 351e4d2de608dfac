#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace rz {

// Hands a message to the desktop's mail program: runs
// "xdg-email --subject S --attach FILE ..." (found on PATH, started without a
// shell) and waits for it to exit. Attachments go by absolute path, so no
// file name reads as an option; they keep their file names, which xdg-email
// cannot change. False, with a reason, when xdg-email cannot be started or
// exits with an error. GUI thread.
bool SendFileByMail(std::string_view subject, const std::vector<std::filesystem::path>& attachments,
                    std::string& reason);

// The two halves of it, for a caller that must not wait: the started
// child's process id, or -1 with a reason; then, on any thread, its end.
long StartMailProgram(std::string_view subject, const std::vector<std::filesystem::path>& attachments,
                      std::string& reason);
bool WaitForMailProgram(long child, std::string& reason);

} // namespace rz
