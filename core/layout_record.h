#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace rz {

// The window layout a song can carry: "@DR;21" and ";"-separated groups of
// signed decimal numbers. The text comes from song files, so it is parsed
// as untrusted: a group applies only when it parses whole and names an
// accepted kind; anything else in it is ignored.
inline constexpr std::string_view kLayoutPrefix = "@DR;21";

// The show states a placement stores.
inline constexpr int32_t kShowMaximized = 3;
inline constexpr int32_t kShowMinimized = 6;
inline constexpr int32_t kShowNormal = 1;

// Track rows whose selection the record keeps: a 32-bit mask, and row 31
// would make it -1, which means current-row mode.
inline constexpr int kLayoutTrackRows = 31;
// The record's own value for current-row mode.
inline constexpr int32_t kCurrentRowMode = -1;
// A hostile record cannot open more torn-off windows than this.
inline constexpr size_t kMaxLayoutExtraWindows = 8;

// A window's show state and normal rectangle in screen pixels.
struct LayoutPlacement {
    int32_t showState = kShowNormal;
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;

    bool operator==(const LayoutPlacement&) const = default;
};

// A torn-off window: kind 0 lyric, 1 staff, 2 lead sheet, 3 tracks; the value
// is the lyric font size or the staff's vertical zoom.
struct LayoutExtraWindow {
    int32_t kind = 0;
    LayoutPlacement placement;
    int32_t value = 0;

    bool operator==(const LayoutExtraWindow&) const = default;
};

struct LayoutEditor {
    int32_t kind = 0;  // 1..8
    int32_t value = 0; // staff vertical zoom (3, 6), lyric font size (5)

    bool operator==(const LayoutEditor&) const = default;
};

struct LayoutController {
    int32_t kind = 0;   // 10..12
    int32_t first = 0;  // tempo vertical zoom, or the control view's lane kind
    int32_t second = 0; // tempo vertical offset, or the lane number

    bool operator==(const LayoutController&) const = default;
};

// Each part is absent when the record lacks it or it did not parse.
struct LayoutRecord {
    std::optional<LayoutPlacement> mainWindow;
    std::optional<int32_t> trackRows; // kCurrentRowMode or a mask of rows 0..30
    std::optional<LayoutEditor> editor;
    std::optional<LayoutController> controller;
    std::optional<int32_t> xZoom;
    std::optional<int32_t> yZoom;
    std::optional<int32_t> fZoom;
    // Absent: the torn-off windows stay as they are.
    std::optional<std::vector<LayoutExtraWindow>> extraWindows;

    bool operator==(const LayoutRecord&) const = default;
};

// Nothing unless the text begins with "@DR;21;".
std::optional<LayoutRecord> ParseLayoutRecord(std::string_view text);
// Absent parts are written so that they restore nothing: kind 0 for the
// panes, the default zooms, no torn-off windows.
std::string FormatLayoutRecord(const LayoutRecord& record);

bool isEditorKind(int32_t kind);
bool isControllerKind(int32_t kind);
bool isExtraWindowKind(int32_t kind);

// The record's mask of selected rows below kLayoutTrackRows.
int32_t trackRowMask(const std::vector<int>& selectedRows);

} // namespace rz
