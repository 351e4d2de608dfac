#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace rz {

// A failed SQLite call: the text is sqlite3_errmsg() of the connection, the
// code its extended result code.
class SqliteError : public std::runtime_error {
public:
    SqliteError(int code, const std::string& message);
    int code() const { return m_code; }
    // The primary result code (SQLITE_BUSY, SQLITE_NOTADB, ...).
    int primaryCode() const { return m_code & 0xFF; }

private:
    int m_code;
};

// "name" with inner quotes doubled, so keywords such as Group are safe.
std::string quoteIdentifier(std::string_view name);

enum class SqliteColumnType { Integer, Float, Text, Blob, Null };

// One prepared statement. Parameters and columns count from 0 here (SQLite
// counts parameters from 1). Throws SqliteError on every failure.
class SqliteStatement {
public:
    SqliteStatement(sqlite3* db, std::string_view sql);
    ~SqliteStatement();
    SqliteStatement(SqliteStatement&& other) noexcept;
    SqliteStatement& operator=(SqliteStatement&& other) noexcept;
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    SqliteStatement& bind(int index, int64_t value);
    SqliteStatement& bind(int index, double value);
    SqliteStatement& bind(int index, std::string_view text);
    SqliteStatement& bindBlob(int index, std::string_view bytes);
    SqliteStatement& bindNull(int index);

    // True when a row is ready to read, false when the statement is done.
    bool step();
    // Steps to the end, for statements that return no rows.
    void run();
    // Makes the statement ready to run again and clears its parameters.
    void reset();

    int columnCount() const;
    std::string columnName(int column) const;
    SqliteColumnType columnType(int column) const;
    int64_t columnInt(int column) const;
    double columnDouble(int column) const;
    // Text and blobs as their bytes; NULL as "".
    std::string columnText(int column) const;

private:
    void check(int rc) const;

    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_stmt = nullptr;
};

// One column as PRAGMA table_info lists it.
struct SqliteColumnInfo {
    std::string name;
    std::string declaredType;
    bool notNull = false;
    int primaryKeyIndex = 0; // 1-based place in the primary key, 0 when not in it
};

// One connection. Every connection waits up to kSqliteBusyTimeout for a lock
// held by another connection or process before the call fails with
// SQLITE_BUSY.
class SqliteDatabase {
public:
    enum class OpenMode {
        ReadWrite,       // the file must exist; it may still open read-only
        ReadWriteCreate, // a missing file is created
    };

    static constexpr std::chrono::milliseconds kSqliteBusyTimeout{2000};

    // Paths are taken literally, never as URIs.
    static SqliteDatabase open(const std::filesystem::path& path, OpenMode mode);
    static SqliteDatabase openInMemory();

    ~SqliteDatabase();
    SqliteDatabase(SqliteDatabase&& other) noexcept;
    SqliteDatabase& operator=(SqliteDatabase&& other) noexcept;
    SqliteDatabase(const SqliteDatabase&) = delete;
    SqliteDatabase& operator=(const SqliteDatabase&) = delete;

    SqliteStatement prepare(std::string_view sql);
    // Runs one or more statements separated by ";".
    void exec(std::string_view sql);

    int64_t lastInsertRowId() const;
    // Rows changed by the last INSERT, UPDATE or DELETE.
    int64_t changes() const;
    bool isReadOnly() const;
    bool inTransaction() const;
    void setBusyTimeout(std::chrono::milliseconds timeout);

    // Table names compare without regard to case, as SQLite's do.
    bool hasTable(std::string_view table);
    // Empty when the table does not exist.
    std::vector<SqliteColumnInfo> tableColumns(std::string_view table);
    // Whether an index of that name exists on any table.
    bool hasIndex(std::string_view index);

    sqlite3* handle() const { return m_db; }

private:
    explicit SqliteDatabase(sqlite3* db) : m_db(db) {}
    static SqliteDatabase openWithFlags(const std::string& name, int flags);

    sqlite3* m_db = nullptr;
};

// BEGIN IMMEDIATE on construction; rolls back on destruction unless
// committed, so an exception leaves the file as it was.
class SqliteTransaction {
public:
    explicit SqliteTransaction(SqliteDatabase& db);
    ~SqliteTransaction();
    SqliteTransaction(const SqliteTransaction&) = delete;
    SqliteTransaction& operator=(const SqliteTransaction&) = delete;

    void commit();

private:
    SqliteDatabase& m_db;
    bool m_open = true;
};

// A savepoint: nests inside a running transaction or starts one. Rolls back
// to its start on destruction unless released.
class SqliteSavepoint {
public:
    explicit SqliteSavepoint(SqliteDatabase& db);
    ~SqliteSavepoint();
    SqliteSavepoint(const SqliteSavepoint&) = delete;
    SqliteSavepoint& operator=(const SqliteSavepoint&) = delete;

    void release();

private:
    SqliteDatabase& m_db;
    bool m_open = true;
};

} // namespace rz
