#include "core/tips.h"

#include "core/profile.h"
#include "core/settings.h"
#include "core/text_codec.h"

#include <sys/stat.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>

namespace rz {
namespace {

// Larger files are no tips file; reading them whole would waste memory.
constexpr std::streamsize kMaxTipsFileBytes = 4 << 20;

bool isSkipped(std::string_view line)
{
    return line.empty() || line[0] == ' ' || line[0] == '\t' || line[0] == ';' || line[0] == '\r';
}

} // namespace

TipReader::TipReader(std::string text, size_t position)
    : m_text(std::move(text)), m_position(position < m_text.size() ? position : 0)
{
}

std::string_view TipReader::lineAt(size_t at) const
{
    const std::string_view rest = std::string_view(m_text).substr(at);
    return rest.substr(0, rest.find('\n'));
}

std::optional<std::string> TipReader::next()
{
    // One pass over every byte, plus the line the position starts inside.
    size_t budget = m_text.size() + kMaxTipLength + 1;
    while (!m_text.empty() && budget > 0) {
        if (m_position >= m_text.size())
            m_position = 0;
        std::string_view line = lineAt(m_position);
        const size_t step = std::min(line.size() + 1, budget);
        m_position += line.size() + 1;
        budget -= step;
        if (isSkipped(line))
            continue;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        return decodeText(line.substr(0, kMaxTipLength));
    }
    return std::nullopt;
}

std::string ctimeText(std::time_t time)
{
    static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::tm local{};
    if (!localtime_r(&time, &local))
        return {};
    char text[64];
    std::snprintf(text, sizeof text, "%s %s %2d %02d:%02d:%02d %d", kDays[local.tm_wday % 7],
                  kMonths[local.tm_mon % 12], local.tm_mday, local.tm_hour, local.tm_min,
                  local.tm_sec, local.tm_year + 1900);
    return text;
}

TipOfTheDay::TipOfTheDay(IProfile& profile, const std::filesystem::path& file)
    : m_profile(profile), m_startUp(readSetting(profile, settings::kTipStartUp))
{
    std::ifstream in(file, std::ios::binary);
    struct stat status {};
    if (!in || ::stat(file.c_str(), &status) != 0) {
        m_text = kTipsFileMissing;
        return;
    }
    std::string bytes;
    bytes.resize(size_t(std::max<off_t>(0, std::min<off_t>(status.st_size, kMaxTipsFileBytes))));
    in.read(bytes.data(), std::streamsize(bytes.size()));
    bytes.resize(size_t(in.gcount()));
    int32_t position = readSetting(profile, settings::kTipFilePos);
    const std::string stamp = ctimeText(status.st_mtime);
    if (readSettingText(profile, settings::kTipTimeStamp) != stamp) {
        position = 0;
        writeSettingText(profile, settings::kTipTimeStamp, stamp);
    }
    m_reader.emplace(std::move(bytes), size_t(std::max(position, 0)));
    readNextTip();
}

TipOfTheDay::~TipOfTheDay()
{
    if (m_reader)
        writeSetting(m_profile, settings::kTipFilePos, int32_t(m_reader->position()));
}

void TipOfTheDay::readNextTip()
{
    if (!m_reader)
        return;
    std::optional<std::string> tip = m_reader->next();
    m_text = tip ? std::move(*tip) : std::string(kTipsFileTrouble);
}

void TipOfTheDay::close(bool showAtStartup)
{
    m_startUp = showAtStartup ? 0 : 1;
    writeSetting(m_profile, settings::kTipStartUp, m_startUp);
}

} // namespace rz
