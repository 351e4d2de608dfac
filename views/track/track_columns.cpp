#include "views/track/track_columns.h"

#include "core/profile.h"
#include "core/settings.h"
#include "core/zoom_percent.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace rz {
namespace {


constexpr TrackColumnInfo kColumns[kTrackColumnCount] = {
    {"track", 100, TextAlign::Left},  {"in", 20, TextAlign::Centre},
    {"patch", 100, TextAlign::Left},  {"bank", 40, TextAlign::Left},
    {"prt", 32, TextAlign::Right},    {"chn", 32, TextAlign::Right},
    {"k+", 32, TextAlign::Right},     {"v+", 32, TextAlign::Right},
    {"t+", 32, TextAlign::Right},     {"vol", 32, TextAlign::Right},
    {"pan", 32, TextAlign::Right},    {"rev", 32, TextAlign::Right},
    {"chr", 32, TextAlign::Right},    {"size", 32, TextAlign::Right},
    {"mix", 100, TextAlign::Right},
};

TrackColumns::Order defaultOrder()
{
    TrackColumns::Order order{};
    for (int i = 0; i < kTrackColumnCount; ++i)
        order[size_t(i)] = i;
    return order;
}

// The stored text is UTF-8 (the settings file's); each character's code
// point is one width code. A byte that starts no valid sequence is taken
// as the code itself.
std::vector<int> codePoints(std::string_view text)
{
    std::vector<int> codes;
    for (size_t i = 0; i < text.size();) {
        const auto byte = uint8_t(text[i]);
        if ((byte & 0xE0) == 0xC0 && i + 1 < text.size() && (uint8_t(text[i + 1]) & 0xC0) == 0x80) {
            codes.push_back(((byte & 0x1F) << 6) | (uint8_t(text[i + 1]) & 0x3F));
            i += 2;
        } else if ((byte & 0xF0) == 0xE0 && i + 2 < text.size()) {
            codes.push_back(255); // beyond one byte: the widest code
            i += 3;
        } else {
            codes.push_back(byte);
            i += 1;
        }
    }
    return codes;
}

void appendCodePoint(std::string& text, int code)
{
    if (code < 0x80) {
        text.push_back(char(code));
    } else {
        text.push_back(char(0xC0 | (code >> 6)));
        text.push_back(char(0x80 | (code & 0x3F)));
    }
}

} // namespace

const TrackColumnInfo& trackColumnInfo(int column)
{
    return kColumns[size_t(std::clamp(column, 0, kTrackColumnCount - 1))];
}

TrackColumns::TrackColumns() : m_order(defaultOrder()), m_savedOrder(defaultOrder())
{
    for (int i = 0; i < kTrackColumnCount; ++i)
        m_baseWidths[size_t(i)] = kColumns[i].baseWidth;
}

int TrackColumns::baseWidth(int column) const
{
    return m_baseWidths[size_t(std::clamp(column, 0, kTrackColumnCount - 1))];
}

void TrackColumns::setBaseWidth(int column, int width)
{
    if (column < 0 || column >= kTrackColumnCount)
        return;
    m_baseWidths[size_t(column)] = std::clamp(width, kMinBaseWidth, kMaxBaseWidth);
}

int TrackColumns::pixelWidth(int column, int fZoom) const
{
    return zoomPercent(fZoom) * baseWidth(column) / 100;
}

bool TrackColumns::isPermutation(const Order& order)
{
    std::array<bool, kTrackColumnCount> seen{};
    for (int column : order) {
        if (column < 0 || column >= kTrackColumnCount || seen[size_t(column)])
            return false;
        seen[size_t(column)] = true;
    }
    return true;
}

void TrackColumns::setOrder(const Order& order)
{
    if (isPermutation(order))
        m_order = order;
}

int TrackColumns::columnAt(int position) const
{
    return m_order[size_t(std::clamp(position, 0, kTrackColumnCount - 1))];
}

int TrackColumns::positionOf(int column) const
{
    const auto it = std::find(m_order.begin(), m_order.end(), column);
    return it == m_order.end() ? -1 : int(it - m_order.begin());
}

bool TrackColumns::moveColumn(int from, int to)
{
    if (m_performance || from < 0 || from >= kTrackColumnCount || to < 0 || to >= kTrackColumnCount)
        return false;
    const int column = m_order[size_t(from)];
    std::vector<int> order(m_order.begin(), m_order.end());
    order.erase(order.begin() + from);
    order.insert(order.begin() + to, column);
    std::copy(order.begin(), order.end(), m_order.begin());
    return true;
}

std::string TrackColumns::encodeWidths() const
{
    std::string text;
    for (int width : m_baseWidths)
        appendCodePoint(text, std::clamp(width / 2, 2, 255));
    return text;
}

void TrackColumns::decodeWidths(std::string_view text)
{
    const std::vector<int> codes = codePoints(text);
    for (size_t i = 0; i < codes.size() && i < size_t(kTrackColumnCount); ++i)
        m_baseWidths[i] = std::clamp(codes[i], 2, 255) * 2;
}

std::string TrackColumns::encodeOrder(const Order& order)
{
    std::string text;
    for (int column : order)
        text.push_back(char('a' + column));
    return text;
}

// A damaged value whose letters merely add up right would address a
// sixteenth column; only a true permutation is taken.
std::optional<TrackColumns::Order> TrackColumns::decodeOrder(std::string_view text)
{
    if (text.size() != size_t(kTrackColumnCount))
        return std::nullopt;
    Order order{};
    for (size_t i = 0; i < text.size(); ++i)
        order[i] = int(uint8_t(text[i])) - 'a';
    if (!isPermutation(order))
        return std::nullopt;
    return order;
}

void TrackColumns::read(const IProfile& profile)
{
    decodeWidths(readSettingText(profile, settings::kTrackColumnWidth));
    if (const std::optional<Order> order = decodeOrder(readSettingText(profile, settings::kTrackColumnOrder)))
        m_order = *order;
}

void TrackColumns::write(IProfile& profile) const
{
    writeSettingText(profile, settings::kTrackColumnWidth, encodeWidths());
    writeSettingText(profile, settings::kTrackColumnOrder, encodeOrder(m_performance ? m_savedOrder : m_order));
}

void TrackColumns::enterPerformanceMode()
{
    if (m_performance)
        return;
    m_savedOrder = m_order;
    const int in = positionOf(kColumnIn);
    std::rotate(m_order.begin(), m_order.begin() + in, m_order.begin() + in + 1);
    m_performance = true;
}

void TrackColumns::leavePerformanceMode()
{
    if (!m_performance)
        return;
    m_order = m_savedOrder;
    m_performance = false;
}

} // namespace rz
