#include <gtest/gtest.h>

#include "engine/synthdb/synth_db.h"
#include "engine/synthdb/synth_db_path.h"
#include "engine/synthdb/synth_db_seed.h"
#include "synth_db_fixture.h"
#include "tests/support/hostile_files.h"
#include "tests/support/scripted_prompt.h"

#include <chrono>

namespace rz {
namespace {

// Answers whether the database still gives the built-in names.
void expectGeneralMidiAnswers(const SynthDatabase& db)
{
    const auto synth = db.lookup().synth(kGeneralMidiSynthNumber);
    ASSERT_TRUE(synth.has_value());
    EXPECT_EQ(synth->name, "General MIDI");
    EXPECT_EQ(db.lookup().patchName(kGeneralMidiSynthNumber, 0, 0), "Acoustic Grand Piano");
}

TEST(SynthDbOpen, AFreshFileGetsEveryTableAndTheGeneralMidiSeed)
{
    SynthDbTempDir dir;
    const auto path = dir.path() / "settings" / "dr.sqlite"; // the folder is missing too
    ScriptedPrompt prompt;
    auto db = SynthDatabase::open(path, prompt);

    EXPECT_TRUE(prompt.prompts().empty());
    EXPECT_FALSE(db->inMemory());
    EXPECT_EQ(db->path(), path);
    auto& sql = db->connection();
    for (std::string_view table : {"synths", "patches", "drums", "chords", "portconfig", "CC", "NRPN"})
        EXPECT_TRUE(sql.hasTable(table)) << table;
    EXPECT_TRUE(sql.hasIndex("Category"));
    EXPECT_TRUE(sql.hasIndex("AlphaKey"));

    const auto synth = db->lookup().synth(33);
    ASSERT_TRUE(synth.has_value());
    EXPECT_EQ(synth->name, "General MIDI");
    EXPECT_EQ(synth->technology, 0x009);
    EXPECT_EQ(countRows(sql, R"(SELECT count(*) FROM "patches" WHERE "SynthNumber" = 33 AND )"
                             R"("BankNumber" = 0 AND "PatchNumber" BETWEEN 0 AND 127)"),
              128);
    EXPECT_EQ(db->lookup().bankName(33, 0), "General MIDI");
    EXPECT_EQ(db->lookup().patchName(33, 0, 127), "Gunshot");
    EXPECT_EQ(db->lookup().drumsetName(33, 0, 0), "Standard");
    EXPECT_EQ(countRows(sql, R"(SELECT count(*) FROM "drums" WHERE "NoteNumber" >= 0)"), 81 - 35 + 1);
    EXPECT_EQ(countRows(sql, R"(SELECT count(*) FROM "chords")"), 0);
}

TEST(SynthDbOpen, OpeningTwiceLeavesAnIdenticalSchemaAndData)
{
    SynthDbTempDir dir;
    const auto path = dir.file();
    ScriptedPrompt prompt;
    SynthDatabase::open(path, prompt);
    const auto schema = schemaDump(path);
    const auto bytes = readBytes(path);

    SynthDatabase::open(path, prompt);

    EXPECT_EQ(schemaDump(path), schema);
    EXPECT_EQ(readBytes(path), bytes);
    EXPECT_TRUE(prompt.prompts().empty());
}

TEST(SynthDbOpen, AnEmptyFileIsSetUpAsANewOne)
{
    SynthDbTempDir dir;
    writeBytes(dir.file(), "");
    ScriptedPrompt prompt;
    auto db = SynthDatabase::open(dir.file(), prompt);
    EXPECT_FALSE(db->inMemory());
    expectGeneralMidiAnswers(*db);
}

// A file that cannot serve: one message naming it and the reason, the bytes
// unchanged, and a database in memory that still answers.
struct UnusableCase {
    const char* name;
    void (*make)(const std::filesystem::path& file);
    const char* reason;
};

void makeGarbage(const std::filesystem::path& file)
{
    writeBytes(file, std::string(3000, '\x5A') + "no database here");
}

void makeTruncated(const std::filesystem::path& file)
{
    {
        auto db = SqliteDatabase::open(file, SqliteDatabase::OpenMode::ReadWriteCreate);
        db.exec(R"(CREATE TABLE "synths" ("SynthNumber" INTEGER PRIMARY KEY, "SynthName" TEXT);
                   CREATE TABLE "filler" ("Text" TEXT);)");
        for (int i = 0; i < 200; ++i)
            db.exec(R"(INSERT INTO "filler" VALUES (printf('%.*c', 500, 'x')))");
    }
    const auto bytes = readBytes(file);
    writeBytes(file, bytes.substr(0, bytes.size() / 2));
}

void makeMissingKeyColumn(const std::filesystem::path& file)
{
    makeDatabase(file, R"(CREATE TABLE "synths" ("Number" INTEGER, "SynthName" TEXT))");
}

// The old synths table is upgraded first; the view in place of "CC" then
// fails the upgrade, which must take the synths change back too.
void makeFailingUpgrade(const std::filesystem::path& file)
{
    makeDatabase(file, R"(CREATE TABLE "synths" ("SynthNumber" INTEGER, "SynthName" TEXT, "Technology" INTEGER);
                          CREATE VIEW "CC" AS SELECT 1 AS "SynthNumber", 2 AS "CCNumber";)");
}

void makeFolderInPlace(const std::filesystem::path& file)
{
    std::filesystem::create_directory(file);
}

class SynthDbOpenUnusable : public testing::TestWithParam<UnusableCase> {};

TEST_P(SynthDbOpenUnusable, GivesOneMessageKeepsTheBytesAndRunsInMemory)
{
    SynthDbTempDir dir;
    const auto file = dir.file();
    GetParam().make(file);
    const bool isFile = std::filesystem::is_regular_file(file);
    const auto bytes = isFile ? readBytes(file) : std::string();

    ScriptedPrompt prompt;
    prompt.expectMessage(file.string());
    auto db = SynthDatabase::open(file, prompt);

    ASSERT_EQ(prompt.prompts().size(), 1u);
    EXPECT_NE(prompt.prompts()[0].text.find(GetParam().reason), std::string::npos)
        << prompt.prompts()[0].text;
    EXPECT_EQ(prompt.prompts()[0].icon, PromptIcon::Warning);
    if (isFile) {
        EXPECT_EQ(readBytes(file), bytes);
    }
    EXPECT_TRUE(db->inMemory());
    expectGeneralMidiAnswers(*db);
}

INSTANTIATE_TEST_SUITE_P(
    SynthDb, SynthDbOpenUnusable,
    testing::Values(UnusableCase{"garbage", makeGarbage, "file is not a database"},
                    UnusableCase{"truncated", makeTruncated, "malformed"},
                    UnusableCase{"missingKeyColumn", makeMissingKeyColumn,
                                 "table synths has no column SynthNumber"},
                    UnusableCase{"failingUpgrade", makeFailingUpgrade, "CC"},
                    UnusableCase{"folderInPlace", makeFolderInPlace, "unable to open"}),
    [](const auto& info) { return std::string(info.param.name); });

// A FIFO in place of the file is refused at once, never read, and stays.
TEST(SynthDbOpen, AFifoInPlaceOfTheFileIsRefusedAtOnceAndLeftAsItWas)
{
    SynthDbTempDir dir;
    const auto file = dir.file();
    MakeFifo(file);
    ScriptedPrompt prompt;
    prompt.expectMessage(file.string() + "\" cannot be used: not a regular file");
    std::unique_ptr<SynthDatabase> db;
    ASSERT_TRUE(ReturnsWithin([&] { db = SynthDatabase::open(file, prompt); }, {file}));
    EXPECT_TRUE(db->inMemory());
    EXPECT_EQ(std::filesystem::status(file).type(), std::filesystem::file_type::fifo);
}

TEST(SynthDbOpen, AFolderThatCannotBeCreatedGivesOneMessage)
{
    SynthDbTempDir dir;
    writeBytes(dir.file("plain"), "x");
    ScriptedPrompt prompt;
    prompt.expectMessage("cannot be used");
    auto db = SynthDatabase::open(dir.file("plain") / "dr.sqlite", prompt);
    EXPECT_TRUE(db->inMemory());
    EXPECT_EQ(prompt.prompts().size(), 1u);
}

TEST(SynthDbOpen, AnUnreadableFileIsLeftAlone)
{
    if (runningAsRoot())
        GTEST_SKIP() << "root reads every file";
    SynthDbTempDir dir;
    const auto file = dir.file();
    {
        ScriptedPrompt first;
        SynthDatabase::open(file, first);
    }
    const auto bytes = readBytes(file);
    std::filesystem::permissions(file, std::filesystem::perms::none);

    ScriptedPrompt prompt;
    prompt.expectMessage("Permission denied");
    auto db = SynthDatabase::open(file, prompt);

    EXPECT_TRUE(db->inMemory());
    std::filesystem::permissions(file, std::filesystem::perms::owner_read);
    EXPECT_EQ(readBytes(file), bytes);
}

TEST(SynthDbOpen, AReadOnlyFolderGivesOneMessageAndNoFile)
{
    if (runningAsRoot())
        GTEST_SKIP() << "root writes every folder";
    SynthDbTempDir dir;
    std::filesystem::permissions(dir.path(), std::filesystem::perms::owner_read
                                                 | std::filesystem::perms::owner_exec);
    ScriptedPrompt prompt;
    prompt.expectMessage(dir.file().string());
    auto db = SynthDatabase::open(dir.file(), prompt);

    EXPECT_TRUE(db->inMemory());
    EXPECT_FALSE(std::filesystem::exists(dir.file()));
    expectGeneralMidiAnswers(*db);
}

TEST(SynthDbOpen, AnOldFileInAReadOnlyFolderIsLeftAlone)
{
    if (runningAsRoot())
        GTEST_SKIP() << "root writes every folder";
    SynthDbTempDir dir;
    makeDatabase(dir.file(), R"(CREATE TABLE "synths" ("SynthNumber" INTEGER, "SynthName" TEXT, "Technology" INTEGER))");
    const auto bytes = readBytes(dir.file());
    std::filesystem::permissions(dir.path(), std::filesystem::perms::owner_read
                                                 | std::filesystem::perms::owner_exec);
    ScriptedPrompt prompt;
    prompt.expectMessage("folder is read-only");
    auto db = SynthDatabase::open(dir.file(), prompt);

    EXPECT_TRUE(db->inMemory());
    EXPECT_EQ(readBytes(dir.file()), bytes);
}

TEST(SynthDbOpen, AFileLockedByAnotherConnectionIsLeftAlone)
{
    SynthDbTempDir dir;
    const auto file = dir.file();
    makeDatabase(file, R"(CREATE TABLE "synths" ("SynthNumber" INTEGER, "SynthName" TEXT, "Technology" INTEGER))");
    const auto bytes = readBytes(file);
    auto other = SqliteDatabase::open(file, SqliteDatabase::OpenMode::ReadWrite);
    other.exec("BEGIN EXCLUSIVE");

    ScriptedPrompt prompt;
    prompt.expectMessage("database is locked");
    const auto start = std::chrono::steady_clock::now();
    auto db = SynthDatabase::open(file, prompt);

    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1500));
    EXPECT_TRUE(db->inMemory());
    other.exec("ROLLBACK");
    EXPECT_EQ(readBytes(file), bytes);
}

TEST(SynthDbOpen, AnInMemoryDatabaseHasTheSameSchemaAsANewFile)
{
    SynthDbTempDir dir;
    ScriptedPrompt prompt;
    auto file = SynthDatabase::open(dir.file(), prompt);
    auto memory = SynthDatabase::openInMemory();
    EXPECT_EQ(schemaDump(memory->connection()), schemaDump(file->connection()));
    EXPECT_TRUE(memory->path().empty());
}

struct PathCase {
    const char* xdgConfigHome;
    const char* home;
    const char* expected;
};

class SynthDbPath : public testing::TestWithParam<PathCase> {};

TEST_P(SynthDbPath, LiesInTheSettingsFolder)
{
    const auto& c = GetParam();
    EXPECT_EQ(settingsFolderFor(c.xdgConfigHome, c.home) / "dr.sqlite",
              std::filesystem::path(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    SynthDb, SynthDbPath,
    testing::Values(
        PathCase{"/cfg", "/home/u", "/cfg/Vozuzuzuziv Software/dr.sqlite"},
        PathCase{"", "/home/u", "/home/u/.config/Vozuzuzuziv Software/dr.sqlite"},
        PathCase{"relative/cfg", "/home/u", "/home/u/.config/Vozuzuzuziv Software/dr.sqlite"}));

TEST(SynthDbPath, DefaultUsesTheEnvironment)
{
    const auto path = defaultSynthDatabasePath();
    EXPECT_EQ(path.filename(), "dr.sqlite");
    EXPECT_EQ(path.parent_path().filename(), "Vozuzuzuziv Software");
}

} // namespace
} // namespace rz
