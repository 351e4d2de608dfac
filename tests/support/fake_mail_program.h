#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace rz {

// While it lives, PATH begins with a folder of its own. With `present`, that
// folder holds an "xdg-email" shell script that writes each argument it gets
// on a line of its own and exits with `exitStatus`; without, PATH is that
// empty folder alone, so no mail program can be found. PATH is restored
// afterwards. One per process at a time.
class FakeMailProgram {
public:
    // With `held`, the script waits after writing its arguments until
    // release() is called.
    explicit FakeMailProgram(bool present = true, int exitStatus = 0, bool held = false);
    ~FakeMailProgram();
    FakeMailProgram(const FakeMailProgram&) = delete;
    FakeMailProgram& operator=(const FakeMailProgram&) = delete;

    // The arguments of the last run (after the program name); empty when it
    // never ran.
    std::vector<std::string> arguments() const;
    void release();

private:
    std::filesystem::path m_folder;
    std::string m_oldPath;
    bool m_hadPath = false;
};

} // namespace rz
