#include "engine/synthdb/patch_list.h"

#include "core/input_file.h"
#include "core/midi_bytes.h"
#include "engine/synthdb/synth_db_seed.h"
#include "engine/synthdb/synth_labels.h"
#include "song/fs.h"

#include <algorithm>
#include <fstream>
#include <optional>

namespace rz {

namespace {

constexpr size_t kLinePiece = 255;      // a longer line is read in pieces
constexpr size_t kMaxFileBytes = 16u << 20; // more than any synthesizer's names

bool startsWith(std::string_view text, std::string_view prefix)
{
    return text.substr(0, prefix.size()) == prefix;
}

bool startsWithDigit(std::string_view text)
{
    return !text.empty() && text.front() >= '0' && text.front() <= '9';
}

bool inRange(int64_t number, int high)
{
    return number >= 0 && number <= high;
}

// Bytes from 0x80 up belong to names in other scripts and count as letters.
bool isNameCharacter(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || byte >= 0x80;
}

// The text after the header's first ":", leading spaces skipped.
std::string headerName(std::string_view header)
{
    const size_t colon = header.find(':');
    if (colon == std::string_view::npos)
        return {};
    std::string_view name = header.substr(colon + 1);
    while (!name.empty() && name.front() == ' ')
        name.remove_prefix(1);
    return std::string(name);
}

// A patch value written by hand often repeats the number: "007: Piano".
std::string cleanPatchValue(std::string_view value)
{
    if (leadingInteger(value) != 0 && value.size() > 1 && value.find(':', 1) != std::string_view::npos) {
        while (!value.empty() && value.front() >= '0' && value.front() <= '9')
            value.remove_prefix(1);
        while (!value.empty() && !isNameCharacter(value.front()))
            value.remove_prefix(1);
    }
    return std::string(trimBlanks(value));
}

// The entry of that number in a list kept in number order, added when missing.
template <class Entry>
Entry& entryFor(std::vector<Entry>& entries, int number)
{
    auto at = std::lower_bound(entries.begin(), entries.end(), number,
                               [](const Entry& entry, int n) { return entry.number < n; });
    if (at == entries.end() || at->number != number) {
        at = entries.insert(at, Entry{});
        at->number = number;
    }
    return *at;
}

// One content line "number=text": the number and the text after the first "=".
struct NumberedLine {
    int64_t number = 0;
    std::string_view text;
};

std::optional<NumberedLine> numberedLine(std::string_view line)
{
    const size_t equals = line.find('=');
    if (!startsWithDigit(line) || equals == std::string_view::npos)
        return std::nullopt;
    return NumberedLine{leadingInteger(line), line.substr(equals + 1)};
}

class Reader {
public:
    void line(std::string_view text)
    {
        if (startsWith(text, "[")) {
            header(text.substr(0, text.find(']')));
            return;
        }
        switch (m_section) {
        case Section::Bank:
            patchLine(text);
            break;
        case Section::Drum:
            drumLine(text);
            break;
        case Section::Controllers:
            nameLine(text, m_result.list.controllers, kMaxProgram);
            break;
        case Section::Nrpn:
            nameLine(text, m_result.list.nrpns, kMaxFourteenBit);
            break;
        case Section::None:
            break;
        }
    }

    PatchListReading take() { return std::move(m_result); }

private:
    enum class Section { None, Bank, Drum, Controllers, Nrpn };

    void header(std::string_view text)
    {
        m_section = Section::None;
        if (startsWith(text, "[NRPN")) {
            m_section = Section::Nrpn;
        } else if (startsWith(text, "[Controllers")) {
            m_section = Section::Controllers;
        } else if (startsWith(text, "[Bank ")) {
            bankHeader(text);
        } else if (startsWith(text, "[Drum ")) {
            drumHeader(text);
        } else {
            m_result.messages.push_back("Unknown section type: " + std::string(text.substr(1)));
        }
    }

    // A bank number out of range would not fit an item's key: its lines are skipped.
    void bankHeader(std::string_view text)
    {
        const int64_t number = leadingInteger(text.substr(6));
        if (!inRange(number, kMaxFourteenBit))
            return;
        auto& banks = m_result.list.banks;
        PatchListBank& bank = entryFor(banks, static_cast<int>(number));
        bank.name = headerName(text);
        m_bankNumber = bank.number;
        m_section = Section::Bank;
    }

    void drumHeader(std::string_view text)
    {
        const int64_t bank = leadingInteger(text.substr(6));
        const size_t slash = text.find('/');
        const int64_t program = slash == std::string_view::npos ? 0 : leadingInteger(text.substr(slash + 1));
        if (!inRange(bank, kMaxFourteenBit) || !inRange(program, kMaxProgram))
            return;
        PatchListDrumset& drumset = drumsetFor(static_cast<int>(bank * kMsbFactor + program));
        drumset.name = headerName(text);
        m_drumKey = drumset.key();
        m_section = Section::Drum;
    }

    PatchListDrumset& drumsetFor(int key)
    {
        auto& drumsets = m_result.list.drumsets;
        auto at = std::lower_bound(drumsets.begin(), drumsets.end(), key,
                                   [](const PatchListDrumset& set, int k) { return set.key() < k; });
        if (at == drumsets.end() || at->key() != key) {
            at = drumsets.insert(at, PatchListDrumset{});
            at->bank = key / kMsbFactor;
            at->program = key % kMsbFactor;
        }
        return *at;
    }

    PatchListDrumset* findDrumset(int key)
    {
        for (auto& drumset : m_result.list.drumsets) {
            if (drumset.key() == key)
                return &drumset;
        }
        return nullptr;
    }

    void patchLine(std::string_view text)
    {
        const auto line = numberedLine(text);
        if (!line || !inRange(line->number, kMaxProgram))
            return;
        const std::string value = cleanPatchValue(line->text);
        if (value.empty())
            return;
        PatchText parts = splitPatchText(value);
        PatchListPatch& patch = entryFor(entryFor(m_result.list.banks, m_bankNumber).patches,
                                         static_cast<int>(line->number));
        patch.name = std::move(parts.name);
        patch.category = std::move(parts.category);
    }

    void drumLine(std::string_view text)
    {
        if (startsWith(text, "BasedOn")) {
            basedOn(text);
            return;
        }
        const auto line = numberedLine(text);
        if (!line || !inRange(line->number, kMaxProgram))
            return;
        const int number = static_cast<int>(line->number);
        PatchListNote& note = entryFor(findDrumset(m_drumKey)->notes, number);
        note.name = std::string(line->text);
        note.notation = defaultDrumNotation(number);
    }

    // "BasedOn=" + four characters + "bank/program" of a drumset read before
    // this one: its notes are copied in, and this section's lines replace or
    // add to them. Naming itself, or one not read yet, copies nothing.
    void basedOn(std::string_view text)
    {
        const size_t equals = text.find('=');
        if (equals == std::string_view::npos)
            return;
        const std::string_view value = text.substr(equals + 1);
        if (value.size() < 4)
            return;
        const std::string_view numbers = value.substr(4);
        const size_t slash = numbers.find('/');
        if (slash == std::string_view::npos)
            return;
        const int64_t bank = leadingInteger(numbers);
        const int64_t program = leadingInteger(numbers.substr(slash + 1));
        if (!inRange(bank, kMaxFourteenBit) || !inRange(program, kMaxProgram))
            return;
        const int key = static_cast<int>(bank * kMsbFactor + program);
        const PatchListDrumset* source = key == m_drumKey ? nullptr : findDrumset(key);
        if (!source)
            return;
        const std::vector<PatchListNote> notes = source->notes; // the insertions below may move it
        PatchListDrumset& target = *findDrumset(m_drumKey);
        for (const auto& note : notes)
            entryFor(target.notes, note.number) = note;
    }

    void nameLine(std::string_view text, std::vector<PatchListName>& names, int high)
    {
        const auto line = numberedLine(text);
        if (!line || !inRange(line->number, high))
            return;
        entryFor(names, static_cast<int>(line->number)).name = std::string(line->text);
    }

    PatchListReading m_result;
    Section m_section = Section::None;
    int m_bankNumber = 0;
    int m_drumKey = 0;
};

// The file's lines as a line reader of 255-byte pieces sees them, each cut
// at its first CR, LF or NUL.
template <class Visit>
void forEachLine(std::string_view bytes, Visit visit)
{
    size_t pos = 0;
    while (pos < bytes.size()) {
        const size_t limit = std::min(bytes.size(), pos + kLinePiece);
        size_t end = pos;
        while (end < limit && bytes[end] != '\n')
            ++end;
        const size_t next = end < limit ? end + 1 : end;
        std::string_view piece = bytes.substr(pos, end - pos);
        piece = piece.substr(0, piece.find_first_of(std::string_view("\r\n\0", 3)));
        visit(piece);
        pos = next;
    }
}

// Names go one to a line: a line break inside one would start a new line.
std::string oneLine(std::string_view text)
{
    std::string line(text);
    std::replace_if(line.begin(), line.end(), [](char c) { return c == '\r' || c == '\n' || c == '\0'; }, ' ');
    return line;
}

void section(std::string& out, const std::string& header)
{
    out += "[" + oneLine(header) + "]\n";
}

void entry(std::string& out, int number, std::string_view value)
{
    out += std::to_string(number) + "=" + oneLine(value) + "\n";
}

void writeNames(std::string& out, const char* header, const std::vector<PatchListName>& names)
{
    if (names.empty())
        return;
    section(out, header);
    for (const auto& name : names)
        entry(out, name.number, name.name);
}

} // namespace

PatchListReading readPatchList(std::string_view bytes)
{
    Reader reader;
    forEachLine(bytes, [&](std::string_view line) { reader.line(line); });
    return reader.take();
}

std::optional<PatchListReading> readPatchListFile(const std::filesystem::path& path, std::string& reason)
{
    const auto bytes = ReadWholeFile(path, kMaxFileBytes, reason);
    if (!bytes)
        return std::nullopt;
    return readPatchList(*bytes);
}

std::string writePatchList(const PatchList& list, PatchListLayout layout)
{
    std::string out;
    for (const auto& bank : list.banks) {
        if (bank.patches.empty() && !layout.emptySections)
            continue;
        std::string header = "Bank " + std::to_string(bank.number);
        if (layout.bankBytesInHeader)
            header += " (" + std::to_string(bank.number / kMsbFactor) + "/" + std::to_string(bank.number % kMsbFactor)
                + ")";
        section(out, header + ": " + bank.name);
        for (const auto& patch : bank.patches)
            entry(out, patch.number, joinPatchText(patch.name, patch.category));
    }
    for (const auto& drumset : list.drumsets) {
        if (drumset.notes.empty() && !layout.emptySections)
            continue;
        section(out, "Drum " + std::to_string(drumset.bank) + "/" + std::to_string(drumset.program) + ": "
                         + drumset.name);
        for (const auto& note : drumset.notes)
            entry(out, note.number, note.name);
    }
    writeNames(out, "Controllers", list.controllers);
    writeNames(out, "NRPN", list.nrpns);
    return out;
}

bool writePatchListFile(const std::filesystem::path& path, const PatchList& list, std::string& reason,
                        PatchListLayout layout)
{
    const std::string text = writePatchList(list, layout);
    std::string backupProblem;
    return WriteFileAtomic(path,
                           std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(text.data()), text.size()),
                           {}, reason, backupProblem);
}

std::string patchListSynthName(const std::filesystem::path& path)
{
    std::string name = path.filename().string();
    constexpr std::string_view kExtension = ".txt";
    if (name.size() >= kExtension.size()) {
        const std::string_view tail = std::string_view(name).substr(name.size() - kExtension.size());
        const bool matches = std::equal(tail.begin(), tail.end(), kExtension.begin(), [](char a, char b) {
            return (a >= 'A' && a <= 'Z' ? char(a - 'A' + 'a') : a) == b;
        });
        if (matches)
            name.resize(name.size() - kExtension.size());
    }
    return name;
}

} // namespace rz
