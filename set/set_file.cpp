#include "set/set_file.h"

#include "core/archive_string.h"
#include "core/byte_reader.h"

#include <algorithm>

namespace rz {
namespace {

constexpr uint32_t kDisabledBit = 1;
constexpr uint32_t kFolderBit = 2;
constexpr int kDepthShift = 8;
// An entry takes at least its flags and a one-byte name length.
constexpr size_t kLeastEntryBytes = 5;
constexpr size_t kLockBytes = 4;

void appendU32(std::vector<uint8_t>& out, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(uint8_t(value >> (8 * i)));
}

SetFileError entryError(size_t index, const std::string& what)
{
    return {"entry " + std::to_string(index + 1) + ": " + what};
}

std::variant<SetFileEntry, SetFileError> readEntry(ByteReader& reader, size_t index)
{
    const std::optional<uint32_t> flags = reader.u32le();
    if (!flags)
        return entryError(index, "flags run past the end");
    std::string reason;
    const auto name = readArchiveString(reader, reason);
    if (!name)
        return entryError(index, "name " + reason);
    // A path cut at a NUL byte would name the folder it lies in.
    if (std::find(name->begin(), name->end(), '\0') != name->end())
        return entryError(index, "its name holds a NUL byte");
    SetFileEntry entry;
    entry.depth = *flags >> kDepthShift;
    entry.folder = (*flags & kFolderBit) != 0;
    entry.disabled = !entry.folder && (*flags & kDisabledBit) != 0;
    entry.name.assign(name->begin(), name->end());
    return entry;
}

} // namespace

std::variant<SetFileImage, SetFileError> decodeSetFile(std::span<const uint8_t> bytes)
{
    if (bytes.empty())
        return SetFileError{"the file is empty"};
    ByteReader reader(bytes);
    const std::optional<uint32_t> count = reader.u32le();
    if (!count || !reader.u16le())
        return SetFileError{"the header runs past the end"};
    const int32_t entries = int32_t(*count);
    const size_t least = entries > 0 ? size_t(entries) * kLeastEntryBytes + kLockBytes : kLockBytes;
    if (least > reader.remaining())
        return SetFileError{"count " + std::to_string(entries) + " needs at least "
                            + std::to_string(least) + " bytes, only "
                            + std::to_string(reader.remaining()) + " are left"};
    SetFileImage image;
    for (size_t i = 0; i < size_t(std::max(entries, 0)); ++i) {
        auto entry = readEntry(reader, i);
        if (auto* error = std::get_if<SetFileError>(&entry))
            return std::move(*error);
        image.entries.push_back(std::move(std::get<SetFileEntry>(entry)));
    }
    const std::optional<uint32_t> lock = reader.u32le();
    if (!lock)
        return SetFileError{"the performance lock is missing"};
    image.performanceLock = *lock != 0;
    return image;
}

std::vector<uint8_t> encodeSetFile(std::span<const SetFileEntry> entries, bool performanceLock)
{
    std::vector<uint8_t> out;
    appendU32(out, uint32_t(entries.size()));
    out.push_back(uint8_t(kSetFileVersion));
    out.push_back(uint8_t(kSetFileVersion >> 8));
    for (const SetFileEntry& entry : entries) {
        uint32_t flags = entry.depth << kDepthShift;
        if (entry.folder)
            flags |= kFolderBit;
        else if (entry.disabled)
            flags |= kDisabledBit;
        appendU32(out, flags);
        writeArchiveString(out, entry.name);
    }
    appendU32(out, performanceLock ? 1 : 0);
    return out;
}

} // namespace rz
