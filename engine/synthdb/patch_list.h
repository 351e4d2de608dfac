#pragma once

#include "core/synth_lookup.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace rz {

// A synthesizer's names as a patch-list text file carries them: INI-shaped
// sections of "number=name" lines, with no reset settings, bank mode or
// drum notation. Each list is kept in ascending number order, one entry per
// number. Names are bytes, kept as read.
struct PatchListName {
    int number = 0;
    std::string name;
    bool operator==(const PatchListName&) const = default;
};

struct PatchListPatch {
    int number = 0; // program 0-127
    std::string name;
    std::string category;
    bool operator==(const PatchListPatch&) const = default;
};

struct PatchListBank {
    int number = 0; // 14-bit bank-select value
    std::string name;
    std::vector<PatchListPatch> patches;
    bool operator==(const PatchListBank&) const = default;
};

struct PatchListNote {
    int number = 0; // 0-127
    std::string name;
    DrumNotation notation;
    bool operator==(const PatchListNote&) const = default;
};

struct PatchListDrumset {
    int bank = 0;
    int program = 0; // 0-127
    std::string name;
    std::vector<PatchListNote> notes;
    int key() const { return bank * 128 + program; }
    bool operator==(const PatchListDrumset&) const = default;
};

struct PatchList {
    std::vector<PatchListBank> banks;
    std::vector<PatchListDrumset> drumsets;
    std::vector<PatchListName> controllers; // 0-127
    std::vector<PatchListName> nrpns;       // 0-16383
    bool operator==(const PatchList&) const = default;
};

struct PatchListReading {
    PatchList list;
    // One "Unknown section type: %s" per header the reader does not know.
    std::vector<std::string> messages;
};

// Reads a patch list. Nothing in it is trusted: lines of any length are read
// in pieces of 255 bytes, CR LF or LF ends a line, a NUL ends a line's text;
// lines without "=", with no leading digit or a number out of range are
// skipped; a repeated section or number merges into the first one, the later
// name winning. Imported drum notes get the default notation for their note.
PatchListReading readPatchList(std::string_view bytes);
// The file read whole; nothing, with the reason, when it cannot be read (a
// folder, a FIFO, past 16 MB, missing or not permitted).
std::optional<PatchListReading> readPatchListFile(const std::filesystem::path& path, std::string& reason);

// How a list is laid out. A synthesizer's own list names each bank's select
// bytes and leaves out sections without lines; a list of loaded SoundFonts
// names the bank number alone and keeps every bank and drum kit it has.
struct PatchListLayout {
    bool bankBytesInHeader = true; // "Bank 640 (5/0): ..." or "Bank 640: ..."
    bool emptySections = false;
};

// The file's text: banks, drumsets, "Controllers", "NRPN", each section
// only when it has lines unless the layout keeps it.
std::string writePatchList(const PatchList& list, PatchListLayout layout = {});
// Writes the file whole, replacing any old one only once the new one is
// complete; false with the reason.
bool writePatchListFile(const std::filesystem::path& path, const PatchList& list, std::string& reason,
                        PatchListLayout layout = {});

// The synthesizer name a patch list gives: the file name without its folder
// and without one final ".txt" in any case.
std::string patchListSynthName(const std::filesystem::path& path);

} // namespace rz
