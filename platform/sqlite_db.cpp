#include "platform/sqlite_db.h"

#include <sqlite3.h>

#include <limits>
#include <utility>

namespace rz {

namespace {

[[noreturn]] void throwFrom(sqlite3* db, int rc)
{
    const char* text = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
    throw SqliteError(db ? sqlite3_extended_errcode(db) : rc, text ? text : "unknown error");
}

int checkedLength(std::string_view text)
{
    if (text.size() > static_cast<size_t>(std::numeric_limits<int>::max()))
        throw SqliteError(SQLITE_TOOBIG, "text too long");
    return static_cast<int>(text.size());
}

} // namespace

SqliteError::SqliteError(int code, const std::string& message)
    : std::runtime_error(message), m_code(code)
{
}

std::string quoteIdentifier(std::string_view name)
{
    std::string quoted = "\"";
    for (char c : name) {
        quoted += c;
        if (c == '"')
            quoted += '"';
    }
    quoted += '"';
    return quoted;
}

// ---- SqliteStatement

SqliteStatement::SqliteStatement(sqlite3* db, std::string_view sql) : m_db(db)
{
    const int rc = sqlite3_prepare_v2(db, sql.data(), checkedLength(sql), &m_stmt, nullptr);
    if (rc != SQLITE_OK)
        throwFrom(db, rc);
    if (!m_stmt)
        throw SqliteError(SQLITE_MISUSE, "empty statement");
}

SqliteStatement::~SqliteStatement()
{
    sqlite3_finalize(m_stmt);
}

SqliteStatement::SqliteStatement(SqliteStatement&& other) noexcept
    : m_db(std::exchange(other.m_db, nullptr)), m_stmt(std::exchange(other.m_stmt, nullptr))
{
}

SqliteStatement& SqliteStatement::operator=(SqliteStatement&& other) noexcept
{
    if (this != &other) {
        sqlite3_finalize(m_stmt);
        m_db = std::exchange(other.m_db, nullptr);
        m_stmt = std::exchange(other.m_stmt, nullptr);
    }
    return *this;
}

void SqliteStatement::check(int rc) const
{
    if (rc != SQLITE_OK)
        throwFrom(m_db, rc);
}

SqliteStatement& SqliteStatement::bind(int index, int64_t value)
{
    check(sqlite3_bind_int64(m_stmt, index + 1, value));
    return *this;
}

SqliteStatement& SqliteStatement::bind(int index, std::string_view text)
{
    check(sqlite3_bind_text(m_stmt, index + 1, text.data(), checkedLength(text),
                            SQLITE_TRANSIENT));
    return *this;
}

SqliteStatement& SqliteStatement::bind(int index, double value)
{
    check(sqlite3_bind_double(m_stmt, index + 1, value));
    return *this;
}

SqliteStatement& SqliteStatement::bindBlob(int index, std::string_view bytes)
{
    check(sqlite3_bind_blob(m_stmt, index + 1, bytes.data(), checkedLength(bytes),
                            SQLITE_TRANSIENT));
    return *this;
}

SqliteStatement& SqliteStatement::bindNull(int index)
{
    check(sqlite3_bind_null(m_stmt, index + 1));
    return *this;
}

bool SqliteStatement::step()
{
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    // Leaves the statement ready for another run; the error text survives.
    SqliteError error(sqlite3_extended_errcode(m_db), sqlite3_errmsg(m_db));
    sqlite3_reset(m_stmt);
    throw error;
}

void SqliteStatement::run()
{
    while (step()) {
    }
}

void SqliteStatement::reset()
{
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
}

int SqliteStatement::columnCount() const
{
    return sqlite3_column_count(m_stmt);
}

std::string SqliteStatement::columnName(int column) const
{
    const char* name = sqlite3_column_name(m_stmt, column);
    return name ? name : "";
}

SqliteColumnType SqliteStatement::columnType(int column) const
{
    switch (sqlite3_column_type(m_stmt, column)) {
    case SQLITE_INTEGER:
        return SqliteColumnType::Integer;
    case SQLITE_FLOAT:
        return SqliteColumnType::Float;
    case SQLITE_TEXT:
        return SqliteColumnType::Text;
    case SQLITE_BLOB:
        return SqliteColumnType::Blob;
    default:
        return SqliteColumnType::Null;
    }
}

int64_t SqliteStatement::columnInt(int column) const
{
    return sqlite3_column_int64(m_stmt, column);
}

double SqliteStatement::columnDouble(int column) const
{
    return sqlite3_column_double(m_stmt, column);
}

std::string SqliteStatement::columnText(int column) const
{
    // The type before the read: the read may convert the value.
    const bool blob = sqlite3_column_type(m_stmt, column) == SQLITE_BLOB;
    const void* bytes = blob ? sqlite3_column_blob(m_stmt, column)
                             : static_cast<const void*>(sqlite3_column_text(m_stmt, column));
    const int size = sqlite3_column_bytes(m_stmt, column);
    if (!bytes || size <= 0)
        return {};
    return std::string(static_cast<const char*>(bytes), static_cast<size_t>(size));
}

// ---- SqliteDatabase

SqliteDatabase SqliteDatabase::openWithFlags(const std::string& name, int flags)
{
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(name.c_str(), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
        SqliteError error(db ? sqlite3_extended_errcode(db) : rc,
                          db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
        sqlite3_close(db);
        throw error;
    }
    sqlite3_extended_result_codes(db, 1);
    SqliteDatabase database(db);
    database.setBusyTimeout(kSqliteBusyTimeout);
    return database;
}

SqliteDatabase SqliteDatabase::open(const std::filesystem::path& path, OpenMode mode)
{
    int flags = SQLITE_OPEN_READWRITE;
    if (mode == OpenMode::ReadWriteCreate)
        flags |= SQLITE_OPEN_CREATE;
    std::string name = path.string();
    // A name starting "file:" would be a URI wherever URIs are enabled globally.
    if (name.starts_with("file:"))
        name.insert(0, "./");
    return openWithFlags(name, flags);
}

SqliteDatabase SqliteDatabase::openInMemory()
{
    return openWithFlags(":memory:", SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_MEMORY);
}

SqliteDatabase::~SqliteDatabase()
{
    // Statements belong to their owners; close_v2 waits for the last of them.
    sqlite3_close_v2(m_db);
}

SqliteDatabase::SqliteDatabase(SqliteDatabase&& other) noexcept
    : m_db(std::exchange(other.m_db, nullptr))
{
}

SqliteDatabase& SqliteDatabase::operator=(SqliteDatabase&& other) noexcept
{
    if (this != &other) {
        sqlite3_close_v2(m_db);
        m_db = std::exchange(other.m_db, nullptr);
    }
    return *this;
}

SqliteStatement SqliteDatabase::prepare(std::string_view sql)
{
    return SqliteStatement(m_db, sql);
}

void SqliteDatabase::exec(std::string_view sql)
{
    const std::string text(sql);
    const int rc = sqlite3_exec(m_db, text.c_str(), nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        throwFrom(m_db, rc);
}

int64_t SqliteDatabase::lastInsertRowId() const
{
    return sqlite3_last_insert_rowid(m_db);
}

int64_t SqliteDatabase::changes() const
{
    return sqlite3_changes64(m_db);
}

bool SqliteDatabase::isReadOnly() const
{
    return sqlite3_db_readonly(m_db, "main") == 1;
}

bool SqliteDatabase::inTransaction() const
{
    return sqlite3_get_autocommit(m_db) == 0;
}

void SqliteDatabase::setBusyTimeout(std::chrono::milliseconds timeout)
{
    sqlite3_busy_timeout(m_db, static_cast<int>(timeout.count()));
}

bool SqliteDatabase::hasTable(std::string_view table)
{
    auto query = prepare("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?1 "
                         "COLLATE NOCASE");
    query.bind(0, table);
    return query.step();
}

bool SqliteDatabase::hasIndex(std::string_view index)
{
    auto query = prepare("SELECT 1 FROM sqlite_master WHERE type = 'index' AND name = ?1 "
                         "COLLATE NOCASE");
    query.bind(0, index);
    return query.step();
}

std::vector<SqliteColumnInfo> SqliteDatabase::tableColumns(std::string_view table)
{
    // The table-valued form takes the name as a parameter, never pasted in.
    auto query = prepare("SELECT name, type, \"notnull\", pk FROM pragma_table_info(?1)");
    query.bind(0, table);
    std::vector<SqliteColumnInfo> columns;
    while (query.step()) {
        SqliteColumnInfo column;
        column.name = query.columnText(0);
        column.declaredType = query.columnText(1);
        column.notNull = query.columnInt(2) != 0;
        column.primaryKeyIndex = static_cast<int>(query.columnInt(3));
        columns.push_back(std::move(column));
    }
    return columns;
}

// ---- SqliteTransaction

SqliteTransaction::SqliteTransaction(SqliteDatabase& db) : m_db(db)
{
    m_db.exec("BEGIN IMMEDIATE");
}

SqliteTransaction::~SqliteTransaction()
{
    if (m_open)
        sqlite3_exec(m_db.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
}

void SqliteTransaction::commit()
{
    m_db.exec("COMMIT");
    m_open = false;
}

// ---- SqliteSavepoint

SqliteSavepoint::SqliteSavepoint(SqliteDatabase& db) : m_db(db)
{
    m_db.exec("SAVEPOINT rz_savepoint");
}

SqliteSavepoint::~SqliteSavepoint()
{
    if (m_open)
        sqlite3_exec(m_db.handle(), "ROLLBACK TO rz_savepoint; RELEASE rz_savepoint", nullptr,
                     nullptr, nullptr);
}

void SqliteSavepoint::release()
{
    m_db.exec("RELEASE rz_savepoint");
    m_open = false;
}

} // namespace rz
