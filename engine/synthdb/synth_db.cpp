#include "engine/synthdb/synth_db.h"

#include "engine/synthdb/synth_db_schema.h"
#include "engine/synthdb/synth_db_seed.h"

#include <unistd.h>

#include <cerrno>
#include <system_error>
#include <utility>

namespace rz {

namespace {

// Why a file cannot serve; nothing in it has been changed.
struct Unusable {
    std::string reason;
};

std::string messageFor(const std::filesystem::path& path, const std::string& reason)
{
    return "The synthesizer database \"" + path.string() + "\" cannot be used: " + reason
           + ".\n\nPatch and drum names come from the built-in General MIDI list until the "
             "program is restarted, and changes to synthesizers are not saved.";
}

std::string errnoText()
{
    return std::error_code(errno, std::generic_category()).message();
}

void createAndSeed(SqliteDatabase& db)
{
    SqliteTransaction transaction(db);
    createSynthDbSchema(db);
    writeGeneralMidiSeed(db);
    transaction.commit();
}

bool hasNoTables(SqliteDatabase& db)
{
    auto query = db.prepare("SELECT count(*) FROM sqlite_master");
    return query.step() && query.columnInt(0) == 0;
}

// Reads every page, so a damaged or truncated file is refused before
// anything is written to it.
void checkIntegrity(SqliteDatabase& db)
{
    auto check = db.prepare("PRAGMA quick_check(1)");
    const std::string result = check.step() ? check.columnText(0) : "no answer";
    if (result != "ok")
        throw Unusable{"the file is damaged (" + result + ")"};
}

std::filesystem::path folderOf(const std::filesystem::path& file)
{
    return file.has_parent_path() ? file.parent_path() : std::filesystem::path(".");
}

void checkAccess(const std::filesystem::path& path)
{
    if (::access(path.c_str(), R_OK) != 0)
        throw Unusable{errnoText()};
    if (::access(path.c_str(), W_OK) != 0)
        throw Unusable{"the file is read-only"};
    // Every change writes a rollback journal beside the file.
    if (::access(folderOf(path).c_str(), W_OK) != 0)
        throw Unusable{"its folder is read-only"};
}

SqliteDatabase openExisting(const std::filesystem::path& path)
{
    // SQLite would wait for ever reading a FIFO or a device.
    std::error_code error;
    const std::filesystem::file_type type = std::filesystem::status(path, error).type();
    if (type != std::filesystem::file_type::regular && type != std::filesystem::file_type::directory)
        throw Unusable{"not a regular file"};
    checkAccess(path);
    auto db = SqliteDatabase::open(path, SqliteDatabase::OpenMode::ReadWrite);
    if (db.isReadOnly())
        throw Unusable{"the file is read-only"};
    checkIntegrity(db);
    // An empty file, such as one left by an interrupted first start.
    if (hasNoTables(db)) {
        createAndSeed(db);
        return db;
    }
    if (auto problem = synthDbLayoutProblem(db))
        throw Unusable{*problem};
    if (synthDbNeedsUpgrade(db)) {
        SqliteTransaction transaction(db);
        upgradeSynthDbLayout(db);
        transaction.commit();
    }
    return db;
}

SqliteDatabase createSeededFile(const std::filesystem::path& path, bool& created)
{
    auto db = SqliteDatabase::open(path, SqliteDatabase::OpenMode::ReadWriteCreate);
    created = true;
    createAndSeed(db);
    return db;
}

// A file that could not be completed is removed, so the next start tries again.
SqliteDatabase createFile(const std::filesystem::path& path)
{
    std::error_code error;
    std::filesystem::create_directories(folderOf(path), error);
    if (error)
        throw Unusable{"its folder cannot be created (" + error.message() + ")"};
    bool created = false;
    try {
        return createSeededFile(path, created);
    } catch (...) {
        if (created)
            std::filesystem::remove(path, error);
        throw;
    }
}

} // namespace

SynthDatabase::SynthDatabase(SqliteDatabase db, std::filesystem::path path)
    : m_db(std::move(db)),
      m_path(std::move(path)),
      m_synths(m_db, synthsTableSpec()),
      m_patches(m_db, patchesTableSpec()),
      m_drums(m_db, drumsTableSpec()),
      m_chords(m_db, chordsTableSpec()),
      m_cc(m_db, ccTableSpec()),
      m_nrpn(m_db, nrpnTableSpec()),
      m_lookup(m_db)
{
}

SynthDatabase::~SynthDatabase() = default;

std::unique_ptr<SynthDatabase> SynthDatabase::open(const std::filesystem::path& path,
                                                   IPrompt& prompt)
{
    std::string reason;
    try {
        std::error_code error;
        const bool exists = std::filesystem::exists(path, error);
        if (error)
            throw Unusable{error.message()};
        auto db = exists ? openExisting(path) : createFile(path);
        return std::unique_ptr<SynthDatabase>(new SynthDatabase(std::move(db), path));
    } catch (const Unusable& unusable) {
        reason = unusable.reason;
    } catch (const SqliteError& error) {
        reason = error.what();
    } catch (const std::filesystem::filesystem_error& error) {
        reason = error.code().message();
    }
    prompt.message(messageFor(path, reason), PromptIcon::Warning);
    return openInMemory();
}

std::unique_ptr<SynthDatabase> SynthDatabase::openInMemory()
{
    auto db = SqliteDatabase::openInMemory();
    createAndSeed(db);
    return std::unique_ptr<SynthDatabase>(new SynthDatabase(std::move(db), {}));
}

} // namespace rz
