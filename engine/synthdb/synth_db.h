#pragma once

#include "core/prompt.h"
#include "engine/synthdb/synth_db_lookup.h"
#include "engine/synthdb/synth_db_table.h"
#include "platform/sqlite_db.h"

#include <filesystem>
#include <memory>

namespace rz {

// The synthesizer database: patch, bank, drum, controller and NRPN names,
// each synthesizer's reset behaviour and the chord library, with six tables
// kept open for the life of the program. GUI thread only: the engine reads it
// in Init and in the MIDI reset, which both run there.
class SynthDatabase {
public:
    // Opens the file, creating and seeding it when it is missing, and brings
    // an older file to the current layout in one transaction. A file that
    // cannot be used (unreadable, not a database, damaged, locked, read-only,
    // in a read-only folder) is left as it was: the user gets one message
    // naming it and the reason, and the database runs in memory with the
    // built-in names. Never answers null.
    static std::unique_ptr<SynthDatabase> open(const std::filesystem::path& path, IPrompt& prompt);
    // A seeded database in memory.
    static std::unique_ptr<SynthDatabase> openInMemory();

    ~SynthDatabase();
    SynthDatabase(const SynthDatabase&) = delete;
    SynthDatabase& operator=(const SynthDatabase&) = delete;

    // The file in use; empty when the database runs in memory.
    const std::filesystem::path& path() const { return m_path; }
    bool inMemory() const { return m_path.empty(); }

    SqliteDatabase& connection() { return m_db; }

    Table& synths() { return m_synths; }
    Table& patches() { return m_patches; }
    Table& drums() { return m_drums; }
    Table& chords() { return m_chords; }
    Table& cc() { return m_cc; }
    Table& nrpn() { return m_nrpn; }

    const ISynthLookup& lookup() const { return m_lookup; }

private:
    SynthDatabase(SqliteDatabase db, std::filesystem::path path);

    SqliteDatabase m_db;
    std::filesystem::path m_path;
    // Opened in this order, after the layout upgrade.
    Table m_synths;
    Table m_patches;
    Table m_drums;
    Table m_chords;
    Table m_cc;
    Table m_nrpn;
    SynthDbLookup m_lookup;
};

} // namespace rz
