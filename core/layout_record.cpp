#include "core/layout_record.h"

#include <algorithm>
#include <charconv>

namespace rz {
namespace {

constexpr int32_t kMaxXZoom = 8;
constexpr int32_t kMaxYZoom = 10;

// Splits at every `separator`; an empty text gives one empty part.
std::vector<std::string_view> split(std::string_view text, char separator)
{
    std::vector<std::string_view> parts;
    size_t start = 0;
    for (;;) {
        const size_t end = text.find(separator, start);
        if (end == std::string_view::npos) {
            parts.push_back(text.substr(start));
            return parts;
        }
        parts.push_back(text.substr(start, end - start));
        start = end + 1;
    }
}

std::optional<int32_t> parseNumber(std::string_view text)
{
    int32_t value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || stop != end || text.empty())
        return std::nullopt;
    return value;
}

// Exactly `count` comma-separated numbers, or nothing.
std::optional<std::vector<int32_t>> parseNumbers(std::string_view group, size_t count)
{
    const std::vector<std::string_view> parts = split(group, ',');
    if (parts.size() != count)
        return std::nullopt;
    std::vector<int32_t> numbers;
    for (std::string_view part : parts) {
        const std::optional<int32_t> number = parseNumber(part);
        if (!number)
            return std::nullopt;
        numbers.push_back(*number);
    }
    return numbers;
}

std::optional<LayoutPlacement> parsePlacement(std::string_view group)
{
    const auto n = parseNumbers(group, 5);
    if (!n)
        return std::nullopt;
    return LayoutPlacement{(*n)[0], (*n)[1], (*n)[2], (*n)[3], (*n)[4]};
}

std::optional<int32_t> parseTrackRows(std::string_view group)
{
    const std::optional<int32_t> rows = parseNumber(group);
    if (!rows)
        return std::nullopt;
    if (*rows < 1)
        return kCurrentRowMode;
    return *rows & int32_t(0x7FFFFFFF); // rows 0..30
}

std::optional<LayoutEditor> parseEditor(std::string_view group)
{
    const auto n = parseNumbers(group, 2);
    if (!n || !isEditorKind((*n)[0]))
        return std::nullopt;
    return LayoutEditor{(*n)[0], (*n)[1]};
}

std::optional<LayoutController> parseController(std::string_view group)
{
    const auto n = parseNumbers(group, 3);
    if (!n || !isControllerKind((*n)[0]))
        return std::nullopt;
    return LayoutController{(*n)[0], (*n)[1], (*n)[2]};
}

std::optional<int32_t> parseZoom(std::string_view group, int32_t highest)
{
    const std::optional<int32_t> zoom = parseNumber(group);
    if (!zoom || *zoom < 0 || *zoom > highest)
        return std::nullopt;
    return zoom;
}

std::optional<LayoutExtraWindow> parseExtraWindow(std::string_view group)
{
    const auto n = parseNumbers(group, 7);
    if (!n || !isExtraWindowKind((*n)[0]))
        return std::nullopt;
    return LayoutExtraWindow{(*n)[0], {(*n)[1], (*n)[2], (*n)[3], (*n)[4], (*n)[5]}, (*n)[6]};
}

// Group 8 and the windows after it. A count larger than the groups that
// follow takes the groups there are; windows that do not parse are left out.
std::optional<std::vector<LayoutExtraWindow>> parseExtraWindows(
    const std::vector<std::string_view>& groups)
{
    const std::optional<int32_t> count = parseNumber(groups[7]);
    if (!count || *count < 0)
        return std::nullopt;
    std::vector<LayoutExtraWindow> windows;
    const size_t available = groups.size() - 8;
    const size_t wanted = std::min(size_t(*count), available);
    for (size_t i = 0; i < wanted && windows.size() < kMaxLayoutExtraWindows; ++i) {
        if (const auto window = parseExtraWindow(groups[8 + i]))
            windows.push_back(*window);
    }
    return windows;
}

void appendPlacement(std::string& text, const LayoutPlacement& p)
{
    text += std::to_string(p.showState) + ',' + std::to_string(p.left) + ','
            + std::to_string(p.top) + ',' + std::to_string(p.right) + ','
            + std::to_string(p.bottom);
}

} // namespace

bool isEditorKind(int32_t kind)
{
    return kind >= 1 && kind <= 8;
}

bool isControllerKind(int32_t kind)
{
    return kind >= 10 && kind <= 12;
}

bool isExtraWindowKind(int32_t kind)
{
    return kind >= 0 && kind <= 3;
}

int32_t trackRowMask(const std::vector<int>& selectedRows)
{
    int32_t mask = 0;
    for (int row : selectedRows)
        if (row >= 0 && row < kLayoutTrackRows)
            mask |= int32_t(1) << row;
    return mask;
}

std::optional<LayoutRecord> ParseLayoutRecord(std::string_view text)
{
    if (text.size() <= kLayoutPrefix.size() || !text.starts_with(kLayoutPrefix)
        || text[kLayoutPrefix.size()] != ';')
        return std::nullopt;
    const std::vector<std::string_view> groups = split(text.substr(kLayoutPrefix.size() + 1), ';');
    LayoutRecord record;
    const auto group = [&](size_t i) { return i < groups.size() ? groups[i] : std::string_view(); };
    record.mainWindow = parsePlacement(group(0));
    record.trackRows = parseTrackRows(group(1));
    record.editor = parseEditor(group(2));
    record.controller = parseController(group(3));
    record.xZoom = parseZoom(group(4), kMaxXZoom);
    record.yZoom = parseZoom(group(5), kMaxYZoom);
    record.fZoom = parseZoom(group(6), kMaxYZoom);
    if (groups.size() > 7)
        record.extraWindows = parseExtraWindows(groups);
    return record;
}

std::string FormatLayoutRecord(const LayoutRecord& record)
{
    std::string text(kLayoutPrefix);
    text += ';';
    appendPlacement(text, record.mainWindow.value_or(LayoutPlacement{}));
    text += ';' + std::to_string(record.trackRows.value_or(kCurrentRowMode));
    const LayoutEditor editor = record.editor.value_or(LayoutEditor{0, 0});
    text += ';' + std::to_string(editor.kind) + ',' + std::to_string(editor.value);
    const LayoutController controller = record.controller.value_or(LayoutController{0, 0, 0});
    text += ';' + std::to_string(controller.kind) + ',' + std::to_string(controller.first) + ','
            + std::to_string(controller.second);
    text += ';' + std::to_string(record.xZoom.value_or(3));
    text += ';' + std::to_string(record.yZoom.value_or(2));
    text += ';' + std::to_string(record.fZoom.value_or(2));
    const std::vector<LayoutExtraWindow> none;
    const std::vector<LayoutExtraWindow>& windows = record.extraWindows ? *record.extraWindows : none;
    text += ';' + std::to_string(windows.size());
    for (const LayoutExtraWindow& window : windows) {
        text += ';' + std::to_string(window.kind) + ',';
        appendPlacement(text, window.placement);
        text += ',' + std::to_string(window.value);
    }
    return text;
}

} // namespace rz
