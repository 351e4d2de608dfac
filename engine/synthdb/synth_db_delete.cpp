#include "engine/synthdb/synth_db_delete.h"

#include <cstdint>
#include <string_view>

namespace rz {

namespace {

constexpr int64_t kFirstMember = -1; // the header record
constexpr int64_t kLastMember = 127;

void deleteWhere(SqliteDatabase& db, std::string_view sql, std::initializer_list<int64_t> values)
{
    auto statement = db.prepare(sql);
    int index = 0;
    for (int64_t value : values)
        statement.bind(index++, value);
    statement.run();
}

} // namespace

void deleteBank(SynthDatabase& db, int synthNumber, int bank)
{
    auto& connection = db.connection();
    SqliteSavepoint savepoint(connection);
    deleteWhere(connection,
                R"(DELETE FROM "patches" WHERE "SynthNumber" = ?1 AND "BankNumber" = ?2 )"
                R"(AND "PatchNumber" BETWEEN ?3 AND ?4)",
                {synthNumber, bank, kFirstMember, kLastMember});
    savepoint.release();
}

void deleteDrumset(SynthDatabase& db, int synthNumber, int bank, int program)
{
    auto& connection = db.connection();
    SqliteSavepoint savepoint(connection);
    deleteWhere(connection,
                R"(DELETE FROM "drums" WHERE "SynthNumber" = ?1 AND "BankNumber" = ?2 )"
                R"(AND "PatchNumber" = ?3 AND "NoteNumber" BETWEEN ?4 AND ?5)",
                {synthNumber, bank, program, kFirstMember, kLastMember});
    savepoint.release();
}

void deleteSynth(SynthDatabase& db, int synthNumber)
{
    auto& connection = db.connection();
    SqliteSavepoint savepoint(connection);
    for (std::string_view table : {"CC", "NRPN", "patches", "drums", "synths"}) {
        deleteWhere(connection,
                    "DELETE FROM " + quoteIdentifier(table) + R"( WHERE "SynthNumber" = ?1)",
                    {synthNumber});
    }
    savepoint.release();
}

} // namespace rz
