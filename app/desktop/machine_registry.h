#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace rz {

// Machine-wide values (the Windows name; here an INI file): sections of
// values under the company's and the program's names, kept in one
// system-scope INI file that ordinary users may
// only read. Writes that the file refuses return false; a file that is not
// a regular one reads as empty and refuses writes. GUI thread.
class MachineRegistry {
public:
    // `file` empty: the system-scope file of the company and program names.
    MachineRegistry(std::string company, const std::string& program, std::filesystem::path file = {});

    const std::string& company() const { return m_company; }
    const std::filesystem::path& file() const { return m_file; }

    // True when the values can be read; `writable` tells whether they can
    // also be changed.
    bool RegOpenOrCreateKey(bool* writable = nullptr) const;
    // True when the section exists or could be made.
    bool RegOpenSection(const std::string& section) const;
    uint32_t RegReadDword(const std::string& section, const std::string& name, uint32_t fallback) const;
    std::string RegReadString(const std::string& section, const std::string& name,
                              const std::string& fallback) const;
    bool RegWriteDword(const std::string& section, const std::string& name, uint32_t value);
    // No name deletes the whole section; no text deletes the value.
    bool RegWriteString(const std::string& section, const std::optional<std::string>& name,
                        const std::optional<std::string>& text);

private:
    bool readable() const;

    std::string m_company;
    std::filesystem::path m_file;
};

} // namespace rz
