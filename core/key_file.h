#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace rz {

// The freedesktop key files (mimeapps.list, mimeinfo.cache, desktop entries):
// "[Group]" lines, "key=value" lines, comments and blank lines. Files of other
// programs, so every reader takes any bytes.

// True when every line is one of the four kinds and no byte is NUL; a file
// that is not is never rewritten.
bool isKeyFileText(std::string_view text);

// The first value of `key` in `group`, blanks around the '=' removed.
std::optional<std::string> keyFileValue(std::string_view text, std::string_view group,
                                        std::string_view key);

// The value as a ';'-separated list without empty entries.
std::vector<std::string> keyFileList(std::string_view text, std::string_view group,
                                     std::string_view key);

// The text with `key` in `group` set to `value`, every other byte as it was:
// the key's line is replaced, else a line is added under the group, else the
// group is added at the end. Nothing when the text is no key file.
std::optional<std::string> setKeyFileValue(std::string_view text, std::string_view group,
                                           std::string_view key, std::string_view value);

// A program path as a desktop entry's Exec key writes it: quoted, with the
// quoting rule's and the string type's escapes, so blanks, quotes, '$', '%'
// and backslashes reach the program unchanged.
std::string desktopExecArgument(std::string_view path);

} // namespace rz
