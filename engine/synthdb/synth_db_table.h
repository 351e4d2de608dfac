#pragma once

#include "platform/sqlite_db.h"

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace rz {

// How one table of the synthesizer database is keyed.
struct TableSpec {
    std::string name;
    // The primary key's columns, in index order; all hold integers.
    std::vector<std::string> keyColumns;
    // The single key column is assigned by the database on an add.
    bool autoKey = false;
    // What a NULL or missing integer field reads as; 0 when not listed.
    std::vector<std::pair<std::string, int>> intDefaults;
};

// A recordset over one table: a keyset cursor in primary-key order. The
// position is the current row's key, so moving on after the row was deleted,
// or after rows were added anywhere, finds the next key that exists now.
// Fields are read and written by name, compared without regard to case; a
// NULL field reads as its default. Every failure throws SqliteError.
// GUI thread only, like the database it reads.
class Table {
public:
    using Key = std::vector<int>;

    // Throws when the table or one of its key columns is missing.
    Table(SqliteDatabase& db, TableSpec spec);

    const TableSpec& spec() const { return m_spec; }

    // Seeks the first row whose leading key columns are equal to (or not
    // below) the given values; false, with no current row, when none is.
    template <class... K>
    bool seekEq(K... keys) { return seekEqKey(Key{static_cast<int>(keys)...}); }
    template <class... K>
    bool seekGe(K... keys) { return seekGeKey(Key{static_cast<int>(keys)...}); }
    bool seekEqKey(const Key& prefix);
    bool seekGeKey(const Key& prefix);
    bool noMatch() const { return m_noMatch; }

    bool moveFirst();
    // To the first key after the current one, which need not exist any more.
    bool moveNext();
    // No current row: the end was passed, the table is empty or a seek failed.
    bool eof() const { return m_position == Position::None; }
    // The current row's key, also after the row was removed.
    const Key& key() const { return m_key; }

    bool hasField(std::string_view name) const;
    bool isNull(std::string_view name) const;
    int intField(std::string_view name) const;
    // Text as stored, byte for byte; NULL reads as "".
    std::string textField(std::string_view name) const;

    // Starts a new row; the cursor stays where it is.
    void addNew();
    // Starts changing the current row.
    void edit();
    void setInt(std::string_view name, int value);
    void setText(std::string_view name, std::string_view text);
    void setNull(std::string_view name);
    // Writes the row. Answers the row's key: for an add into an auto-key
    // table, the key the database assigned.
    Key update();
    void cancelUpdate();
    bool editing() const { return m_mode != Mode::Browse; }
    // Deletes the current row; moveNext then goes on after it.
    void remove();

    // Seeks the full key: edits the row that has it, or starts adding one
    // with its key fields set. True when the row existed.
    bool editOrAddNew(const Key& key);
    // The walk over all rows of one synthesizer (the first key
    // column): seek ">=", then forward while the number matches. `visit`
    // may remove the current row. Answers the number of rows visited.
    int visitRowsOfSynth(int synthNumber, const std::function<void(Table&)>& visit);

private:
    enum class Position { None, OnRow, Removed };
    enum class Mode { Browse, Adding, Editing };
    enum class SeekKind { Equal, AtLeast, After, First };

    struct Value {
        SqliteColumnType type = SqliteColumnType::Null;
        int64_t number = 0;
        double real = 0;
        std::string text; // text, or a blob's bytes
    };

    std::optional<size_t> findColumn(std::string_view name) const;
    size_t requireColumn(std::string_view name) const;
    const Value& currentValue(std::string_view name) const;
    int defaultFor(std::string_view name) const;
    bool seek(SeekKind kind, const std::vector<Value>& values);
    static std::vector<Value> valuesOf(const Key& key);
    SqliteStatement& seekStatement(SeekKind kind, size_t keyCount);
    void loadRow(SqliteStatement& query);
    void setPending(std::string_view name, Value value);
    Key insertPending();
    Key readBackKey(int64_t rowId);
    void updatePending();
    std::string keyList(size_t count) const;
    static std::string placeholders(size_t count, int first = 1);

    SqliteDatabase& m_db;
    TableSpec m_spec;
    std::vector<std::string> m_columns;
    std::vector<size_t> m_keyColumnIndexes;
    bool m_keyIsRowAlias = false;
    std::map<std::pair<int, size_t>, SqliteStatement> m_seekStatements;

    Position m_position = Position::None;
    bool m_noMatch = false;
    Key m_key;
    // The key as stored, so that rows with odd keys still order and match.
    std::vector<Value> m_rawKey;
    std::vector<Value> m_row;
    Mode m_mode = Mode::Browse;
    std::vector<std::optional<Value>> m_pending;
};

} // namespace rz
