#include "tests/support/fake_mail_program.h"

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <system_error>

#include <unistd.h>

namespace rz {

FakeMailProgram::FakeMailProgram(bool present, int exitStatus, bool held)
{
    static std::atomic<int> serial{0};
    m_folder = std::filesystem::temp_directory_path()
               / ("rz_mail_" + std::to_string(::getpid()) + "_" + std::to_string(serial++));
    std::filesystem::create_directories(m_folder);
    if (const char* path = std::getenv("PATH")) {
        m_oldPath = path;
        m_hadPath = true;
    }
    if (present) {
        const std::filesystem::path script = m_folder / "xdg-email";
        std::ofstream(script) << "#!/bin/sh\n"
                              << "for a in \"$@\"; do printf '%s\\n' \"$a\"; done > '"
                              << (m_folder / "arguments").string() << "'\n"
                              << (held ? "while [ ! -e '" + (m_folder / "release").string() + "' ] && [ -d '" + m_folder.string()
                                             + "' ]; do sleep 0.05; done\n"
                                       : std::string())
                              << "exit " << exitStatus << "\n";
        std::filesystem::permissions(script, std::filesystem::perms::owner_all);
    }
    const std::string newPath = present && m_hadPath ? m_folder.string() + ":" + m_oldPath : m_folder.string();
    ::setenv("PATH", newPath.c_str(), 1);
}

FakeMailProgram::~FakeMailProgram()
{
    if (m_hadPath)
        ::setenv("PATH", m_oldPath.c_str(), 1);
    else
        ::unsetenv("PATH");
    std::error_code error;
    std::filesystem::remove_all(m_folder, error);
}

void FakeMailProgram::release()
{
    std::ofstream(m_folder / "release") << "go\n";
}

std::vector<std::string> FakeMailProgram::arguments() const
{
    std::vector<std::string> lines;
    std::ifstream in(m_folder / "arguments");
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

} // namespace rz
