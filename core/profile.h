#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace rz {

// The settings profile. Sections and value names are the program's own
// ("PlaybackOptions", "PortsToUse\MIDIOUT\3") and compare case-insensitively.
// Every read names its default at the point of use.
class IProfile {
public:
    struct ValueName {
        std::string name;
        bool binary = false;
    };

    virtual ~IProfile() = default;

    virtual int32_t readInt(std::string_view section, std::string_view name,
                            int32_t defaultValue) const = 0;
    virtual std::string readString(std::string_view section, std::string_view name,
                                   std::string_view defaultValue) const = 0;
    // The stored bytes, or nothing when the value is absent or not binary.
    virtual std::optional<std::vector<uint8_t>> readBinary(std::string_view section,
                                                           std::string_view name) const = 0;

    virtual void writeInt(std::string_view section, std::string_view name, int32_t value) = 0;
    virtual void writeString(std::string_view section, std::string_view name,
                             std::string_view value) = 0;
    virtual void writeBinary(std::string_view section, std::string_view name,
                             const std::vector<uint8_t>& value) = 0;

    // The value names of one section, in no particular order.
    virtual std::vector<ValueName> valueNames(std::string_view section) const = 0;
    virtual void removeValue(std::string_view section, std::string_view name) = 0;
    // Removes a section together with its sub-sections ("A\B" lies under "A").
    virtual void removeSection(std::string_view section) = 0;
};

// A profile held in memory, for tests and for programs without a settings file.
class MemoryProfile : public IProfile {
public:
    int32_t readInt(std::string_view section, std::string_view name,
                    int32_t defaultValue) const override;
    std::string readString(std::string_view section, std::string_view name,
                           std::string_view defaultValue) const override;
    std::optional<std::vector<uint8_t>> readBinary(std::string_view section,
                                                   std::string_view name) const override;
    void writeInt(std::string_view section, std::string_view name, int32_t value) override;
    void writeString(std::string_view section, std::string_view name,
                     std::string_view value) override;
    void writeBinary(std::string_view section, std::string_view name,
                     const std::vector<uint8_t>& value) override;
    std::vector<ValueName> valueNames(std::string_view section) const override;
    void removeValue(std::string_view section, std::string_view name) override;
    void removeSection(std::string_view section) override;

private:
    struct Value {
        std::string originalName;
        bool binary = false;
        bool isInt = false;
        int32_t number = 0;
        std::string text;
        std::vector<uint8_t> bytes;
    };
    struct Section {
        std::map<std::string, Value> values; // keyed by lower-case name
    };

    const Value* find(std::string_view section, std::string_view name) const;
    Value& slot(std::string_view section, std::string_view name);

    std::map<std::string, Section> m_sections; // keyed by lower-case section
};

// Lower-cases ASCII letters; the profile's comparison key.
std::string profileKey(std::string_view text);

} // namespace rz
