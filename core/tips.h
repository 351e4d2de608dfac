#pragma once

#include <cstddef>
#include <ctime>
#include <filesystem>
#include <optional>
#include <string>

namespace rz {

class IProfile;

// The tips file's lines, one tip a line. Lines that begin with a blank, a
// tab or ";" and empty lines are skipped; the reading wraps at the end.
class TipReader {
public:
    static constexpr size_t kMaxTipLength = 1000; // a longer line is cut, its rest skipped

    // `text`: the whole file; `position`: the byte offset of the next tip,
    // taken as 0 when it lies past the end.
    TipReader(std::string text, size_t position);

    // The next tip as UTF-8; nothing when a whole pass finds no tip line.
    std::optional<std::string> next();
    size_t position() const { return m_position; }

private:
    std::string_view lineAt(size_t at) const;

    std::string m_text;
    size_t m_position = 0;
};

// A modification time in the C locale's ctime form, without the line break:
// "Thu Dec 10 02:22:50 2026".
std::string ctimeText(std::time_t time);

inline constexpr const char* kTipsFileMissing =
    "Tips file does not exist in the prescribed directory";
inline constexpr const char* kTipsFileTrouble = "Trouble reading the tips file";

// The tips and the "Tip" profile values the Tip of the Day dialog shows and
// keeps: a new file (another modification time) starts from its first tip.
class TipOfTheDay {
public:
    TipOfTheDay(IProfile& profile, const std::filesystem::path& file);
    // Stores the position of the next tip.
    ~TipOfTheDay();
    TipOfTheDay(const TipOfTheDay&) = delete;
    TipOfTheDay& operator=(const TipOfTheDay&) = delete;

    bool fileOpened() const { return m_reader.has_value(); }
    // The tip shown, or the message that says why there is none.
    const std::string& text() const { return m_text; }
    void readNextTip();
    // The check box shows the opposite of the stored "StartUp".
    bool showAtStartup() const { return m_startUp == 0; }
    void close(bool showAtStartup);

private:
    IProfile& m_profile;
    std::optional<TipReader> m_reader;
    std::string m_text;
    int m_startUp = 0;
};

} // namespace rz
