#include "engine/synthdb/synth_db_table.h"

#include <sqlite3.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace rz {

namespace {

bool sameName(std::string_view a, std::string_view b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
        return lower(x) == lower(y);
    });
}

int clampToInt(int64_t value)
{
    return static_cast<int>(std::clamp<int64_t>(value, std::numeric_limits<int>::min(),
                                                std::numeric_limits<int>::max()));
}

int clampToInt(double value)
{
    if (std::isnan(value))
        return 0;
    return static_cast<int>(std::clamp<double>(value, std::numeric_limits<int>::min(),
                                               std::numeric_limits<int>::max()));
}

[[noreturn]] void fail(const std::string& message)
{
    throw SqliteError(SQLITE_ERROR, message);
}

std::string joined(const std::string& list, const std::string& item)
{
    return list.empty() ? item : list + ", " + item;
}

// Binds a value exactly as it was stored, whatever its type.
template <class V>
void bindValue(SqliteStatement& statement, int index, const V& value)
{
    switch (value.type) {
    case SqliteColumnType::Integer:
        statement.bind(index, value.number);
        break;
    case SqliteColumnType::Float:
        statement.bind(index, value.real);
        break;
    case SqliteColumnType::Text:
        statement.bind(index, std::string_view(value.text));
        break;
    case SqliteColumnType::Blob:
        statement.bindBlob(index, value.text);
        break;
    case SqliteColumnType::Null:
        statement.bindNull(index);
        break;
    }
}

} // namespace

Table::Table(SqliteDatabase& db, TableSpec spec) : m_db(db), m_spec(std::move(spec))
{
    const auto columns = m_db.tableColumns(m_spec.name);
    if (columns.empty())
        fail("no such table: " + m_spec.name);
    for (const auto& column : columns)
        m_columns.push_back(column.name);
    for (const auto& keyColumn : m_spec.keyColumns) {
        const auto index = findColumn(keyColumn);
        if (!index)
            fail("table " + m_spec.name + " has no column " + keyColumn);
        m_keyColumnIndexes.push_back(*index);
    }
    if (m_keyColumnIndexes.empty())
        fail("table " + m_spec.name + " needs a key");
    // Only a lone INTEGER PRIMARY KEY is the rowid, which SQLite assigns itself.
    const auto primaryKeyColumns = std::count_if(
        columns.begin(), columns.end(), [](const auto& column) { return column.primaryKeyIndex > 0; });
    const auto& first = columns[m_keyColumnIndexes.front()];
    m_keyIsRowAlias = m_spec.autoKey && m_spec.keyColumns.size() == 1 && primaryKeyColumns == 1
                      && first.primaryKeyIndex == 1 && sameName(first.declaredType, "INTEGER");
}

std::optional<size_t> Table::findColumn(std::string_view name) const
{
    for (size_t i = 0; i < m_columns.size(); ++i) {
        if (sameName(m_columns[i], name))
            return i;
    }
    return std::nullopt;
}

size_t Table::requireColumn(std::string_view name) const
{
    const auto index = findColumn(name);
    if (!index)
        fail("table " + m_spec.name + " has no column " + std::string(name));
    return *index;
}

std::string Table::keyList(size_t count) const
{
    std::string list;
    for (size_t i = 0; i < count; ++i)
        list = joined(list, quoteIdentifier(m_spec.keyColumns[i]));
    return list;
}

std::string Table::placeholders(size_t count, int first)
{
    std::string list;
    for (size_t i = 0; i < count; ++i)
        list = joined(list, "?" + std::to_string(first + static_cast<int>(i)));
    return list;
}

// ---- moving

SqliteStatement& Table::seekStatement(SeekKind kind, size_t keyCount)
{
    const auto slot = std::make_pair(static_cast<int>(kind), keyCount);
    auto found = m_seekStatements.find(slot);
    if (found != m_seekStatements.end())
        return found->second;

    std::string columns;
    for (const auto& column : m_columns)
        columns = joined(columns, quoteIdentifier(column));
    std::string sql = "SELECT " + columns + " FROM " + quoteIdentifier(m_spec.name) + " WHERE ";
    // A NULL key would sort first yet never compare, so a walk would skip
    // from it past its neighbours: such rows are not visited at all.
    for (const auto& key : m_spec.keyColumns)
        sql += quoteIdentifier(key) + " IS NOT NULL AND ";
    static constexpr const char* kOperators[] = {" = ", " >= ", " > ", ""};
    if (kind == SeekKind::First) {
        sql += "1";
    } else {
        sql += "(" + keyList(keyCount) + ")" + kOperators[static_cast<int>(kind)] + "("
               + placeholders(keyCount) + ")";
    }
    sql += " ORDER BY " + keyList(m_spec.keyColumns.size()) + " LIMIT 1";
    return m_seekStatements.emplace(slot, m_db.prepare(sql)).first->second;
}

std::vector<Table::Value> Table::valuesOf(const Key& key)
{
    std::vector<Value> values;
    for (int number : key)
        values.push_back(Value{SqliteColumnType::Integer, number, 0, {}});
    return values;
}

bool Table::seek(SeekKind kind, const std::vector<Value>& values)
{
    if (values.empty() && kind != SeekKind::First)
        fail("a seek needs at least one key value");
    if (values.size() > m_spec.keyColumns.size())
        fail("too many key values for table " + m_spec.name);
    if (editing())
        cancelUpdate();
    auto& query = seekStatement(kind, values.size());
    query.reset();
    for (size_t i = 0; i < values.size(); ++i)
        bindValue(query, static_cast<int>(i), values[i]);
    const bool found = query.step();
    if (found) {
        loadRow(query);
    } else {
        m_position = Position::None;
        m_row.clear();
    }
    query.reset();
    return found;
}

void Table::loadRow(SqliteStatement& query)
{
    m_row.assign(m_columns.size(), Value{});
    for (size_t i = 0; i < m_columns.size(); ++i) {
        const int column = static_cast<int>(i);
        Value& value = m_row[i];
        value.type = query.columnType(column);
        if (value.type == SqliteColumnType::Integer)
            value.number = query.columnInt(column);
        else if (value.type == SqliteColumnType::Float)
            value.real = query.columnDouble(column);
        else if (value.type != SqliteColumnType::Null)
            value.text = query.columnText(column);
    }
    m_key.clear();
    m_rawKey.clear();
    for (size_t index : m_keyColumnIndexes) {
        const Value& value = m_row[index];
        m_rawKey.push_back(value);
        m_key.push_back(value.type == SqliteColumnType::Float ? clampToInt(value.real)
                                                              : clampToInt(value.number));
    }
    m_position = Position::OnRow;
}

bool Table::seekEqKey(const Key& prefix)
{
    const bool found = seek(SeekKind::Equal, valuesOf(prefix));
    m_noMatch = !found;
    return found;
}

bool Table::seekGeKey(const Key& prefix)
{
    const bool found = seek(SeekKind::AtLeast, valuesOf(prefix));
    m_noMatch = !found;
    return found;
}

bool Table::moveFirst()
{
    return seek(SeekKind::First, {});
}

bool Table::moveNext()
{
    if (m_position == Position::None)
        return false;
    return seek(SeekKind::After, m_rawKey);
}

// ---- reading fields

int Table::defaultFor(std::string_view name) const
{
    for (const auto& [field, value] : m_spec.intDefaults) {
        if (sameName(field, name))
            return value;
    }
    return 0;
}

const Table::Value& Table::currentValue(std::string_view name) const
{
    static const Value kNull;
    if (m_position != Position::OnRow)
        fail("no current record in table " + m_spec.name);
    const auto index = findColumn(name);
    return index ? m_row[*index] : kNull;
}

bool Table::hasField(std::string_view name) const
{
    return findColumn(name).has_value();
}

bool Table::isNull(std::string_view name) const
{
    return currentValue(name).type == SqliteColumnType::Null;
}

int Table::intField(std::string_view name) const
{
    const Value& value = currentValue(name);
    switch (value.type) {
    case SqliteColumnType::Integer:
        return clampToInt(value.number);
    case SqliteColumnType::Float:
        return clampToInt(value.real);
    case SqliteColumnType::Text: {
        int64_t number = 0;
        const char* end = value.text.data() + value.text.size();
        const auto [stop, error] = std::from_chars(value.text.data(), end, number);
        if (error == std::errc() && stop == end)
            return clampToInt(number);
        return defaultFor(name);
    }
    default:
        return defaultFor(name);
    }
}

std::string Table::textField(std::string_view name) const
{
    const Value& value = currentValue(name);
    if (value.type == SqliteColumnType::Integer)
        return std::to_string(value.number);
    if (value.type == SqliteColumnType::Float)
        return std::to_string(value.real);
    return value.text;
}

// ---- writing

void Table::addNew()
{
    m_mode = Mode::Adding;
    m_pending.assign(m_columns.size(), std::nullopt);
}

void Table::edit()
{
    if (m_position != Position::OnRow)
        fail("no current record in table " + m_spec.name);
    m_mode = Mode::Editing;
    m_pending.assign(m_columns.size(), std::nullopt);
}

void Table::cancelUpdate()
{
    m_mode = Mode::Browse;
    m_pending.clear();
}

void Table::setPending(std::string_view name, Value value)
{
    if (!editing())
        fail("table " + m_spec.name + " is not being edited");
    m_pending[requireColumn(name)] = std::move(value);
}

void Table::setInt(std::string_view name, int value)
{
    setPending(name, Value{SqliteColumnType::Integer, value, 0, {}});
}

void Table::setText(std::string_view name, std::string_view text)
{
    setPending(name, Value{SqliteColumnType::Text, 0, 0, std::string(text)});
}

void Table::setNull(std::string_view name)
{
    setPending(name, Value{});
}

Table::Key Table::insertPending()
{
    const size_t firstKey = m_keyColumnIndexes.front();
    const bool assignKey = m_spec.autoKey && !m_pending[firstKey];
    for (size_t i = assignKey ? 1 : 0; i < m_keyColumnIndexes.size(); ++i) {
        const auto& value = m_pending[m_keyColumnIndexes[i]];
        if (!value || value->type != SqliteColumnType::Integer)
            fail("the key field " + m_spec.keyColumns[i] + " of a new row is not set");
    }
    std::string columns;
    std::string values;
    std::vector<const Value*> bound;
    for (size_t i = 0; i < m_columns.size(); ++i) {
        if (!m_pending[i])
            continue;
        columns = joined(columns, quoteIdentifier(m_columns[i]));
        values = joined(values, placeholders(1, static_cast<int>(bound.size()) + 1));
        bound.push_back(&*m_pending[i]);
    }
    if (assignKey && !m_keyIsRowAlias) {
        // A file whose key is not the rowid: the next number after the highest.
        const auto key = quoteIdentifier(m_columns[firstKey]);
        columns = joined(columns, key);
        values = joined(values, "(SELECT IFNULL(MAX(" + key + "), 0) + 1 FROM "
                                    + quoteIdentifier(m_spec.name) + ")");
    }
    auto insert = m_db.prepare("INSERT INTO " + quoteIdentifier(m_spec.name)
                               + (columns.empty() ? " DEFAULT VALUES"
                                                  : " (" + columns + ") VALUES (" + values + ")"));
    for (size_t i = 0; i < bound.size(); ++i)
        bindValue(insert, static_cast<int>(i), *bound[i]);
    insert.run();
    return readBackKey(m_db.lastInsertRowId());
}

Table::Key Table::readBackKey(int64_t rowId)
{
    auto query = m_db.prepare("SELECT " + keyList(m_spec.keyColumns.size()) + " FROM "
                              + quoteIdentifier(m_spec.name) + " WHERE rowid = ?1");
    query.bind(0, rowId);
    if (!query.step())
        fail("the new row of table " + m_spec.name + " cannot be read back");
    Key key;
    for (size_t i = 0; i < m_spec.keyColumns.size(); ++i)
        key.push_back(clampToInt(query.columnInt(static_cast<int>(i))));
    return key;
}

void Table::updatePending()
{
    std::string assignments;
    std::vector<const Value*> bound;
    for (size_t i = 0; i < m_columns.size(); ++i) {
        if (!m_pending[i])
            continue;
        assignments = joined(assignments, quoteIdentifier(m_columns[i]) + " = "
                                              + placeholders(1, static_cast<int>(bound.size()) + 1));
        bound.push_back(&*m_pending[i]);
    }
    if (bound.empty())
        return;
    const size_t keyCount = m_spec.keyColumns.size();
    auto statement = m_db.prepare("UPDATE " + quoteIdentifier(m_spec.name) + " SET " + assignments
                                  + " WHERE (" + keyList(keyCount) + ") = ("
                                  + placeholders(keyCount, static_cast<int>(bound.size()) + 1)
                                  + ")");
    for (size_t i = 0; i < bound.size(); ++i)
        bindValue(statement, static_cast<int>(i), *bound[i]);
    for (size_t i = 0; i < keyCount; ++i)
        bindValue(statement, static_cast<int>(bound.size() + i), m_rawKey[i]);
    statement.run();
    if (m_db.changes() == 0)
        fail("the current record of table " + m_spec.name + " no longer exists");
}

Table::Key Table::update()
{
    if (m_mode == Mode::Adding) {
        Key key = insertPending();
        cancelUpdate();
        return key;
    }
    if (m_mode != Mode::Editing)
        fail("table " + m_spec.name + " is not being edited");
    updatePending();
    std::vector<Value> key = m_rawKey;
    for (size_t i = 0; i < key.size(); ++i) {
        if (const auto& value = m_pending[m_keyColumnIndexes[i]])
            key[i] = *value;
    }
    cancelUpdate();
    seek(SeekKind::Equal, key);
    return m_key;
}

void Table::remove()
{
    if (m_position != Position::OnRow)
        fail("no current record in table " + m_spec.name);
    if (editing())
        cancelUpdate();
    const size_t keyCount = m_spec.keyColumns.size();
    auto statement = m_db.prepare("DELETE FROM " + quoteIdentifier(m_spec.name) + " WHERE ("
                                  + keyList(keyCount) + ") = (" + placeholders(keyCount) + ")");
    for (size_t i = 0; i < keyCount; ++i)
        bindValue(statement, static_cast<int>(i), m_rawKey[i]);
    statement.run();
    m_position = Position::Removed;
    m_row.clear();
}

// ---- the access patterns every reader and writer uses

bool Table::editOrAddNew(const Key& key)
{
    if (key.size() != m_spec.keyColumns.size())
        fail("a full key of table " + m_spec.name + " is needed");
    if (seekEqKey(key)) {
        edit();
        return true;
    }
    addNew();
    for (size_t i = 0; i < key.size(); ++i)
        setInt(m_spec.keyColumns[i], key[i]);
    return false;
}

int Table::visitRowsOfSynth(int synthNumber, const std::function<void(Table&)>& visit)
{
    const auto ofSynth = [&] {
        const Value& first = m_rawKey.front();
        return first.type == SqliteColumnType::Integer && first.number == synthNumber;
    };
    int visited = 0;
    for (bool more = seekGe(synthNumber); more && ofSynth(); more = moveNext()) {
        visit(*this);
        ++visited;
    }
    return visited;
}

} // namespace rz
