#pragma once

#include "engine/synthdb/synth_db.h"
#include "platform/sqlite_db.h"
#include "tests/support/temp_folder.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

namespace rz {

// A folder of its own under the system's temporary folder, removed afterwards.
class SynthDbTempDir : public TempFolder {
public:
    SynthDbTempDir() : TempFolder("rz_synthdb_") {}
    std::filesystem::path file(std::string_view name = "dr.sqlite") const { return TempFolder::file(name); }
};

inline std::string readBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void writeBytes(const std::filesystem::path& path, std::string_view bytes)
{
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// A database file built by SQL, closed again before the test opens it.
inline void makeDatabase(const std::filesystem::path& path, std::string_view sql)
{
    auto db = SqliteDatabase::open(path, SqliteDatabase::OpenMode::ReadWriteCreate);
    db.exec(sql);
}

// Every schema object as "type name: sql", in name order.
inline std::vector<std::string> schemaDump(SqliteDatabase& db)
{
    auto query = db.prepare("SELECT type, name, IFNULL(sql, '') FROM sqlite_master ORDER BY name");
    std::vector<std::string> rows;
    while (query.step())
        rows.push_back(query.columnText(0) + " " + query.columnText(1) + ": " + query.columnText(2));
    return rows;
}

inline std::vector<std::string> schemaDump(const std::filesystem::path& path)
{
    auto db = SqliteDatabase::open(path, SqliteDatabase::OpenMode::ReadWrite);
    return schemaDump(db);
}

inline std::vector<std::string> columnNames(SqliteDatabase& db, std::string_view table)
{
    std::vector<std::string> names;
    for (const auto& column : db.tableColumns(table))
        names.push_back(column.name);
    return names;
}

inline int64_t countRows(SqliteDatabase& db, std::string_view sql)
{
    auto query = db.prepare(sql);
    return query.step() ? query.columnInt(0) : -1;
}

// Permission checks do not hold for root.
inline bool runningAsRoot()
{
    return ::geteuid() == 0;
}

// The rows of one table by the keys a walk visited.
inline std::vector<Table::Key> walkKeys(Table& table)
{
    std::vector<Table::Key> keys;
    for (bool more = table.moveFirst(); more; more = table.moveNext())
        keys.push_back(table.key());
    return keys;
}

} // namespace rz
