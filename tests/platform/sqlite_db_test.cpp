#include <gtest/gtest.h>

#include "platform/sqlite_db.h"
#include "tests/support/temp_folder.h"

#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace rz {
namespace {

class SqliteTempFile {
public:
    std::filesystem::path path() const { return m_folder.file("test.sqlite"); }

private:
    TempFolder m_folder{"rz_sqlite_"};
};

TEST(SqliteStatement, BindsAndReadsEveryKindOfValue)
{
    auto db = SqliteDatabase::openInMemory();
    db.exec(R"(CREATE TABLE "t" ("Group" TEXT, "n" INTEGER, "r" REAL, "b" BLOB))");
    auto insert = db.prepare(R"(INSERT INTO "t" VALUES (?1, ?2, ?3, ?4))");
    const std::string bytes("a\0b'\"", 5);
    insert.bind(0, std::string_view("Bob's \"chords\"")).bind(1, int64_t{-5000000000}).bind(2, 0.5);
    insert.bindBlob(3, bytes);
    insert.run();
    insert.reset();
    insert.bindNull(0).bindNull(1).bindNull(2).bindNull(3);
    insert.run();

    auto query = db.prepare(R"(SELECT "Group", "n", "r", "b" FROM "t" ORDER BY rowid)");
    ASSERT_TRUE(query.step());
    EXPECT_EQ(query.columnCount(), 4);
    EXPECT_EQ(query.columnName(0), "Group");
    EXPECT_EQ(query.columnText(0), "Bob's \"chords\"");
    EXPECT_EQ(query.columnInt(1), -5000000000);
    EXPECT_EQ(query.columnDouble(2), 0.5);
    EXPECT_EQ(query.columnType(3), SqliteColumnType::Blob);
    EXPECT_EQ(query.columnText(3), bytes);
    ASSERT_TRUE(query.step());
    for (int column = 0; column < 4; ++column)
        EXPECT_EQ(query.columnType(column), SqliteColumnType::Null);
    EXPECT_EQ(query.columnText(0), "");
    EXPECT_FALSE(query.step());
}

TEST(SqliteStatement, ErrorsCarryTheDatabaseMessage)
{
    auto db = SqliteDatabase::openInMemory();
    struct Case {
        const char* sql;
        const char* message;
    };
    const Case cases[]{
        {"SELEC 1", "syntax error"},
        {R"(SELECT * FROM "missing")", "no such table: missing"},
        {"SELECT Group FROM sqlite_master", "syntax error"}, // a keyword must be quoted
    };
    for (const auto& c : cases) {
        try {
            db.prepare(c.sql);
            ADD_FAILURE() << c.sql << " prepared";
        } catch (const SqliteError& error) {
            EXPECT_NE(std::string(error.what()).find(c.message), std::string::npos) << error.what();
            EXPECT_EQ(error.primaryCode(), SQLITE_ERROR);
        }
    }
}

TEST(SqliteStatement, AFailedStepCanRunAgain)
{
    auto db = SqliteDatabase::openInMemory();
    db.exec(R"(CREATE TABLE "t" ("k" INTEGER PRIMARY KEY))");
    auto insert = db.prepare(R"(INSERT INTO "t" VALUES (?1))");
    insert.bind(0, int64_t{1}).run();
    insert.reset();
    insert.bind(0, int64_t{1});
    try {
        insert.run();
        ADD_FAILURE() << "duplicate key accepted";
    } catch (const SqliteError& error) {
        EXPECT_EQ(error.primaryCode(), SQLITE_CONSTRAINT);
        EXPECT_NE(std::string(error.what()).find("UNIQUE"), std::string::npos);
    }
    insert.reset();
    insert.bind(0, int64_t{2}).run();
    EXPECT_EQ(db.lastInsertRowId(), 2);
}

TEST(SqliteQuoting, IdentifiersAreQuotedWithInnerQuotesDoubled)
{
    EXPECT_EQ(quoteIdentifier("Group"), "\"Group\"");
    EXPECT_EQ(quoteIdentifier("a\"b"), "\"a\"\"b\"");
    auto db = SqliteDatabase::openInMemory();
    db.exec("CREATE TABLE " + quoteIdentifier("we\"ird") + " (" + quoteIdentifier("Group") + ")");
    EXPECT_TRUE(db.hasTable("WE\"IRD"));
    ASSERT_EQ(db.tableColumns("we\"ird").size(), 1u);
    EXPECT_EQ(db.tableColumns("we\"ird")[0].name, "Group");
    EXPECT_TRUE(db.tableColumns("missing").empty());
}

TEST(SqliteDatabase, OpeningAMissingFileWithoutCreateFails)
{
    SqliteTempFile file;
    try {
        SqliteDatabase::open(file.path(), SqliteDatabase::OpenMode::ReadWrite);
        ADD_FAILURE() << "opened";
    } catch (const SqliteError& error) {
        EXPECT_EQ(error.primaryCode(), SQLITE_CANTOPEN);
        EXPECT_STREQ(error.what(), "unable to open database file");
    }
    EXPECT_FALSE(std::filesystem::exists(file.path()));
    SqliteDatabase::open(file.path(), SqliteDatabase::OpenMode::ReadWriteCreate);
    EXPECT_TRUE(std::filesystem::exists(file.path()));
}

TEST(SqliteDatabase, ANonDatabaseFailsOnTheFirstRead)
{
    SqliteTempFile file;
    std::ofstream(file.path(), std::ios::binary) << std::string(600, 'x');
    auto db = SqliteDatabase::open(file.path(), SqliteDatabase::OpenMode::ReadWrite);
    try {
        db.hasTable("synths");
        ADD_FAILURE() << "read";
    } catch (const SqliteError& error) {
        EXPECT_EQ(error.primaryCode(), SQLITE_NOTADB);
        EXPECT_STREQ(error.what(), "file is not a database");
    }
}

TEST(SqliteDatabase, ALockHeldElsewhereEndsInBusyAfterTheTimeout)
{
    SqliteTempFile file;
    auto holder = SqliteDatabase::open(file.path(), SqliteDatabase::OpenMode::ReadWriteCreate);
    holder.exec(R"(CREATE TABLE "t" ("x"); BEGIN EXCLUSIVE; INSERT INTO "t" VALUES (1))");
    auto waiter = SqliteDatabase::open(file.path(), SqliteDatabase::OpenMode::ReadWrite);
    waiter.setBusyTimeout(std::chrono::milliseconds(50));
    try {
        waiter.exec(R"(SELECT * FROM "t")");
        ADD_FAILURE() << "read through an exclusive lock";
    } catch (const SqliteError& error) {
        EXPECT_EQ(error.primaryCode(), SQLITE_BUSY);
    }
    holder.exec("COMMIT");
    waiter.exec(R"(SELECT * FROM "t")");
}

TEST(SqliteTransaction, RollsBackUnlessCommitted)
{
    auto db = SqliteDatabase::openInMemory();
    db.exec(R"(CREATE TABLE "t" ("x"))");
    const auto rows = [&] {
        auto query = db.prepare(R"(SELECT count(*) FROM "t")");
        query.step();
        return query.columnInt(0);
    };
    {
        SqliteTransaction transaction(db);
        db.exec(R"(INSERT INTO "t" VALUES (1))");
        EXPECT_TRUE(db.inTransaction());
    }
    EXPECT_FALSE(db.inTransaction());
    EXPECT_EQ(rows(), 0);
    {
        SqliteTransaction transaction(db);
        db.exec(R"(INSERT INTO "t" VALUES (1))");
        transaction.commit();
    }
    EXPECT_EQ(rows(), 1);
}

TEST(SqliteTransaction, ASavepointNestsInsideATransaction)
{
    auto db = SqliteDatabase::openInMemory();
    db.exec(R"(CREATE TABLE "t" ("x"))");
    SqliteTransaction transaction(db);
    db.exec(R"(INSERT INTO "t" VALUES (1))");
    {
        SqliteSavepoint inner(db);
        db.exec(R"(INSERT INTO "t" VALUES (2))");
    }
    {
        SqliteSavepoint inner(db);
        db.exec(R"(INSERT INTO "t" VALUES (3))");
        inner.release();
    }
    EXPECT_TRUE(db.inTransaction());
    transaction.commit();
    auto query = db.prepare(R"(SELECT group_concat("x") FROM "t")");
    ASSERT_TRUE(query.step());
    EXPECT_EQ(query.columnText(0), "1,3");
}

} // namespace
} // namespace rz
