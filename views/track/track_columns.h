#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace rz {

class IProfile;

// The track list's fifteen columns by fixed index; the index is what cell
// texts, edit rules and sorting use, whatever the display order.
enum TrackColumn : int {
    kColumnTrack = 0,
    kColumnIn = 1,
    kColumnPatch = 2,
    kColumnBank = 3,
    kColumnPort = 4,
    kColumnChannel = 5,
    kColumnKey = 6,
    kColumnVelocity = 7,
    kColumnTime = 8,
    kColumnVolume = 9,
    kColumnPan = 10,
    kColumnReverb = 11,
    kColumnChorus = 12,
    kColumnSize = 13,
    kColumnMix = 14,
};
inline constexpr int kTrackColumnCount = 15;

enum class TextAlign { Left = 0, Centre = 1, Right = 2 };

struct TrackColumnInfo {
    const char* caption;
    int baseWidth;          // pixels at 100 %
    TextAlign headerAlign;
};

// The column's caption, width and header alignment; `column` is clamped.
const TrackColumnInfo& trackColumnInfo(int column);

// The user's column widths and order, kept in the profile section
// "TrackView", and the order performance mode shows. GUI thread.
class TrackColumns {
public:
    // Display position -> column index.
    using Order = std::array<int, kTrackColumnCount>;

    static constexpr int kMinBaseWidth = 4;   // the stored character is at least 2
    static constexpr int kMaxBaseWidth = 510; // one character holds at most 255

    TrackColumns();

    int baseWidth(int column) const;
    void setBaseWidth(int column, int width);
    // The width at the header-font zoom `fZoom` ("FZoom", clamped).
    int pixelWidth(int column, int fZoom) const;

    const Order& order() const { return m_order; }
    // Ignored unless `order` holds every column once.
    void setOrder(const Order& order);
    int columnAt(int position) const;
    int positionOf(int column) const;
    // Moves the column at display position `from` to `to`; refused in
    // performance mode.
    bool moveColumn(int from, int to);

    // "ColumnWidth": one character per column, its code the base width / 2.
    std::string encodeWidths() const;
    // Only the columns with a character change.
    void decodeWidths(std::string_view text);
    // "ColumnOrder": one letter 'a' + column index per display position.
    static std::string encodeOrder(const Order& order);
    // Nothing unless the letters name every column exactly once.
    static std::optional<Order> decodeOrder(std::string_view text);
    static bool isPermutation(const Order& order);

    void read(const IProfile& profile);
    // In performance mode the user's own order is written, not the one shown.
    void write(IProfile& profile) const;

    // Keeps the user's order and shows "in" first; leaving brings it back.
    void enterPerformanceMode();
    void leavePerformanceMode();
    bool performanceMode() const { return m_performance; }

private:
    std::array<int, kTrackColumnCount> m_baseWidths{};
    Order m_order{};
    Order m_savedOrder{};
    bool m_performance = false;
};

} // namespace rz
