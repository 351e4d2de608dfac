#include "core/key_file.h"

namespace rz {

namespace {

std::string_view trim(std::string_view s)
{
    const size_t first = s.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    const size_t last = s.find_last_not_of(" \t\r");
    return s.substr(first, last - first + 1);
}

enum class LineKind { Blank, Comment, Group, Entry, Bad };

struct Line {
    LineKind kind = LineKind::Bad;
    std::string_view group; // for Group lines
    std::string_view key;   // for Entry lines
    std::string_view value; // for Entry lines
};

Line classify(std::string_view raw)
{
    Line line;
    const std::string_view s = trim(raw);
    if (s.empty()) {
        line.kind = LineKind::Blank;
    } else if (s.front() == '#') {
        line.kind = LineKind::Comment;
    } else if (s.front() == '[') {
        if (s.back() == ']' && s.size() > 2) {
            line.kind = LineKind::Group;
            line.group = s.substr(1, s.size() - 2);
        }
    } else if (const size_t equals = s.find('='); equals != std::string_view::npos) {
        line.key = trim(s.substr(0, equals));
        line.value = trim(s.substr(equals + 1));
        if (!line.key.empty())
            line.kind = LineKind::Entry;
    }
    return line;
}

// Calls `visit(line, begin, end, group)` for each line; `end` excludes the
// newline. Stops when `visit` returns false.
template <typename Visit>
void forEachLine(std::string_view text, Visit&& visit)
{
    std::string_view group;
    size_t begin = 0;
    while (begin < text.size()) {
        size_t end = text.find('\n', begin);
        if (end == std::string_view::npos)
            end = text.size();
        const Line line = classify(text.substr(begin, end - begin));
        if (line.kind == LineKind::Group)
            group = line.group;
        if (!visit(line, begin, end, group))
            return;
        begin = end + 1;
    }
}

} // namespace

bool isKeyFileText(std::string_view text)
{
    if (text.find('\0') != std::string_view::npos)
        return false;
    bool good = true;
    forEachLine(text, [&](const Line& line, size_t, size_t, std::string_view) {
        good = line.kind != LineKind::Bad;
        return good;
    });
    return good;
}

std::optional<std::string> keyFileValue(std::string_view text, std::string_view group,
                                        std::string_view key)
{
    std::optional<std::string> found;
    forEachLine(text, [&](const Line& line, size_t, size_t, std::string_view inGroup) {
        if (line.kind == LineKind::Entry && inGroup == group && line.key == key)
            found = std::string(line.value);
        return !found;
    });
    return found;
}

std::vector<std::string> keyFileList(std::string_view text, std::string_view group,
                                     std::string_view key)
{
    std::vector<std::string> items;
    const std::optional<std::string> value = keyFileValue(text, group, key);
    if (!value)
        return items;
    size_t begin = 0;
    while (begin <= value->size()) {
        size_t end = value->find(';', begin);
        if (end == std::string::npos)
            end = value->size();
        const std::string_view item = trim(std::string_view(*value).substr(begin, end - begin));
        if (!item.empty())
            items.emplace_back(item);
        begin = end + 1;
    }
    return items;
}

std::optional<std::string> setKeyFileValue(std::string_view text, std::string_view group,
                                           std::string_view key, std::string_view value)
{
    if (!isKeyFileText(text))
        return std::nullopt;
    const std::string entry = std::string(key) + "=" + std::string(value);
    std::optional<size_t> keyBegin, keyEnd, groupEnd;
    forEachLine(text, [&](const Line& line, size_t begin, size_t end, std::string_view inGroup) {
        if (line.kind == LineKind::Group && line.group == group && !groupEnd)
            groupEnd = end;
        if (line.kind == LineKind::Entry && inGroup == group && line.key == key) {
            keyBegin = begin;
            keyEnd = end;
            return false;
        }
        return true;
    });
    std::string result(text);
    if (keyBegin) {
        // Keep a CR that ended the old line, so the file keeps its line ends.
        const bool cr = *keyEnd > *keyBegin && text[*keyEnd - 1] == '\r';
        result.replace(*keyBegin, *keyEnd - *keyBegin - (cr ? 1 : 0), entry);
        return result;
    }
    if (groupEnd) {
        result.insert(std::min(*groupEnd + 1, result.size()),
                      (*groupEnd == text.size() ? "\n" : "") + entry + "\n");
        return result;
    }
    if (!result.empty() && result.back() != '\n')
        result += '\n';
    result += "[" + std::string(group) + "]\n" + entry + "\n";
    return result;
}

std::string desktopExecArgument(std::string_view path)
{
    // The quoting rule first: inside double quotes '"', '`', '$' and '\' take
    // a backslash, and '%' is doubled as every field code escape is.
    std::string quoted = "\"";
    for (const char c : path) {
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            quoted += '\\';
        if (c == '%')
            quoted += '%';
        quoted += c;
    }
    quoted += '"';
    // Then the string type's escapes, which a reader undoes first.
    std::string escaped;
    for (const char c : quoted) {
        switch (c) {
        case '\\': escaped += "\\\\"; break;
        case '\n': escaped += "\\n"; break;
        case '\t': escaped += "\\t"; break;
        case '\r': escaped += "\\r"; break;
        default: escaped += c;
        }
    }
    return escaped;
}

} // namespace rz
