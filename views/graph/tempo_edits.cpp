#include "views/graph/tempo_edits.h"

#include "core/edit_dialogs.h"
#include "core/prompt.h"
#include "song/clipboard.h"
#include "song/edit_transforms.h"
#include "song/selection.h"
#include "song/song_doc.h"
#include "views/graph/graph_points.h"
#include "views/mouse_edit_rules.h"
#include "views/time_axis.h"

#include <algorithm>
#include <tuple>
#include <limits>

namespace rz {
namespace {

std::unique_ptr<CUndoRecord> tempoRecord(const char* label, std::unique_ptr<CTempoSet> set)
{
    if (set->removeKeys.empty() && set->entries.empty())
        return nullptr;
    auto record = std::make_unique<CUndoRecord>();
    record->flags = kUndoTempo;
    record->label = label;
    record->tempo = std::move(set);
    return record;
}

// The index of the first entry at or after the tick.
size_t firstAtOrAfter(const TempoMap& map, int64_t tick)
{
    return size_t(std::lower_bound(map.begin(), map.end(), tick,
                                   [](const TempoEntry& e, int64_t t) { return e.tick < t; })
                  - map.begin());
}

// A tempo between two, straight in tenths of a BPM, `part` of `whole` along.
uint32_t between(uint32_t from, uint32_t to, int64_t part, int64_t whole)
{
    const int64_t a = TempoScale::tenthsOf(from);
    const int64_t b = TempoScale::tenthsOf(to);
    if (whole <= 0 || a == b)
        return part <= 0 ? from : to;
    return TempoScale::tempoOfTenths(a + (b - a) * part / whole);
}

TempoEntry entryAt(int32_t tick, uint32_t tempo)
{
    TempoEntry entry;
    entry.tick = tick;
    entry.setTempo(tempo);
    return entry;
}

} // namespace

std::unique_ptr<CUndoRecord> deleteTemposRecord(const TempoMap& map, int32_t from, int32_t to)
{
    auto set = std::make_unique<CTempoSet>();
    const size_t first = firstAtOrAfter(map, from);
    size_t k = first;
    for (; k < map.size() && map[k].tick <= to; ++k)
        set->removeKeys.push_back(uint32_t(k));
    // The change after the range would only repeat the tempo before it.
    if (!set->removeKeys.empty() && first > 0 && k < map.size() && map[k].tempo == map[first - 1].tempo)
        set->removeKeys.push_back(uint32_t(k));
    return tempoRecord("Delete Tempos", std::move(set));
}

std::unique_ptr<CUndoRecord> drawTemposRecord(const TempoMap& map, const std::vector<CTempoPoint>& drawn)
{
    if (drawn.empty())
        return nullptr;
    auto set = std::make_unique<CTempoSet>();
    const int32_t first = drawn.front().tick;
    const int32_t last = drawn.back().tick;
    for (size_t k = firstAtOrAfter(map, int64_t(first) + 1); k < map.size() && map[k].tick <= last; ++k)
        set->removeKeys.push_back(uint32_t(k));
    uint32_t previous = map.empty() ? kDefaultTempo : map[size_t(FindTempoIndex(map, first))].tempo;
    for (const CTempoPoint& point : drawn) {
        if (point.tempo == previous)
            continue;
        set->entries.push_back(entryAt(point.tick, point.tempo));
        previous = point.tempo;
    }
    return tempoRecord("Draw Tempos", std::move(set));
}

std::vector<CTempoPoint> straightLine(int32_t fromTick, uint32_t fromTempo, int32_t toTick, uint32_t toTempo,
                                      int32_t gridTicks, bool flat)
{
    const int64_t grid = std::max<int32_t>(gridTicks, 1);
    const int64_t distance = std::abs(int64_t(toTick) - fromTick);
    const int64_t steps = distance / grid;
    const int64_t sign = toTick >= fromTick ? 1 : -1;
    std::vector<CTempoPoint> line;
    line.reserve(size_t(steps + 1));
    for (int64_t k = 0; k <= steps; ++k) {
        const int64_t tick = fromTick + sign * k * grid;
        const uint32_t tempo = flat ? fromTempo : between(fromTempo, toTempo, k * grid, distance);
        line.push_back({0, int32_t(tick), tempo});
    }
    if (sign < 0)
        std::reverse(line.begin(), line.end());
    return line;
}

void freehandTo(std::vector<CTempoPoint>& drawn, int32_t lastTick, int32_t tick, uint32_t tempo)
{
    freehandPointTo(drawn, lastTick, tick, tempo);
}

void DrawGesture::begin(int32_t tick, uint32_t tempo, Style style)
{
    m_active = true;
    m_style = style;
    m_pressTick = m_lastTick = std::max(tick, 0);
    m_pressTempo = m_lastTempo = tempo;
    m_drawn.clear();
    if (style == Style::Freehand)
        m_drawn.push_back({0, m_pressTick, tempo});
}

void DrawGesture::moveTo(int32_t tick, uint32_t tempo, int32_t gridTicks, bool flat)
{
    if (!m_active)
        return;
    tick = std::max(tick, 0);
    if (m_style == Style::Straight)
        m_drawn = straightLine(m_pressTick, m_pressTempo, tick, tempo, gridTicks, flat);
    else
        freehandTo(m_drawn, m_lastTick, tick, tempo);
    m_lastTick = tick;
    m_lastTempo = flat && m_style == Style::Straight ? m_pressTempo : tempo;
}

std::unique_ptr<CUndoRecord> DrawGesture::release(const TempoMap& map, bool continueLine)
{
    if (!m_active)
        return nullptr;
    std::unique_ptr<CUndoRecord> record = drawTemposRecord(map, m_drawn);
    if (continueLine && m_style == Style::Straight)
        begin(m_lastTick, m_lastTempo, Style::Straight);
    else
        cancel();
    return record;
}

TempoDrag beginTempoDrag(std::vector<CTempoPoint>& points, int index, uint32_t stamp)
{
    TempoDrag drag;
    if (index < 0 || size_t(index) >= points.size())
        return drag;
    const size_t i = size_t(index);
    drag.index = index;
    drag.saved = points[i];
    points[i].flags = stamp;
    if (i + 1 < points.size() && points[i + 1].tick == points[i].tick)
        drag.timePartner = index + 1;
    else if (i > 0 && points[i - 1].tick == points[i].tick)
        drag.timePartner = index - 1;
    if (drag.timePartner >= 0)
        points[size_t(drag.timePartner)].flags = stamp;
    if (i + 1 < points.size() && points[i + 1].tempo == points[i].tempo)
        drag.tempoPartner = index + 1;
    std::tie(drag.lowTick, drag.highTick) = dragTickBounds(points, i);
    return drag;
}

void dragTempoTo(std::vector<CTempoPoint>& points, TempoDrag& drag, int32_t tick, uint32_t tempo,
                 std::optional<uint32_t> neighbourLevel, bool ctrl, bool altRole)
{
    if (drag.index < 0 || size_t(drag.index) >= points.size())
        return;
    int32_t at = std::clamp(tick, drag.lowTick, std::max(drag.lowTick, drag.highTick));
    if (drag.index == 0)
        at = 0;
    else if (size_t(drag.index) + 1 == points.size())
        at = drag.saved.tick;
    const uint32_t level = ctrl ? drag.saved.tempo : neighbourLevel.value_or(tempo);
    drag.changed = placeDraggedPoint(points, drag.index, drag.saved, at, level, drag.tempoPartner, drag.timePartner,
                                     altRole);
}

std::unique_ptr<CUndoRecord> dragTempoRecord(const TempoMap& map, const std::vector<CTempoPoint>& points,
                                             const TempoDrag& drag, int32_t gridTicks)
{
    if (!drag.changed)
        return nullptr;
    const int32_t low = drag.lowTick;
    const int32_t high = std::max(drag.lowTick, drag.highTick);
    const int64_t grid = std::max<int32_t>(gridTicks, 1);
    auto set = std::make_unique<CTempoSet>();
    const size_t first = firstAtOrAfter(map, low);
    for (size_t k = first; k < map.size() && map[k].tick <= high; ++k)
        set->removeKeys.push_back(uint32_t(k));
    std::optional<uint32_t> previous;
    if (first > 0)
        previous = map[first - 1].tempo;
    auto add = [&](int64_t tick, uint32_t tempo) {
        if (previous && *previous == tempo)
            return;
        set->entries.push_back(entryAt(int32_t(tick), tempo));
        previous = tempo;
    };
    std::vector<CTempoPoint> span;
    for (const CTempoPoint& p : points)
        if (p.tick >= low && p.tick <= high)
            span.push_back(p);
    for (size_t j = 0; j < span.size(); ++j) {
        const CTempoPoint& p = span[j];
        if (j + 1 == span.size() || span[j + 1].tempo == p.tempo) {
            add(p.tick, p.tempo);
            continue;
        }
        const CTempoPoint& next = span[j + 1];
        const int64_t length = int64_t(next.tick) - p.tick;
        for (int64_t t = p.tick; t < next.tick; t += grid)
            add(t, between(p.tempo, next.tempo, t - p.tick, length));
    }
    return tempoRecord("Drag Tempo", std::move(set));
}

bool moveTempos(CSongDoc& song, const TempoGraph& graph)
{
    if (!(song.selectionKind & kSelectTempo))
        return false;
    const auto run = graph.stampedRun(song.selectionStamp);
    if (!run)
        return true;
    const TempoMap& map = song.tempoMap;
    const size_t start = firstAtOrAfter(map, run->first);
    if (start >= map.size() || map[start].tick > run->second) {
        song.context().prompt.message(kNothingToMove);
        return true;
    }
    IEditDialogs* dialogs = song.context().editDialogs;
    if (!dialogs || !dialogs->has(EditDialog::Move))
        return true;
    const std::optional<MoveParams> params = dialogs->move(song, map[start].tick);
    if (!params || !params->tempos)
        return true;
    MovePlan plan(song, *params, map[start].tick);
    auto set = std::make_unique<CTempoSet>();
    for (size_t k = start; k < map.size() && map[k].tick <= run->second; ++k) {
        TempoEntry moved = map[k];
        moved.tick = plan.moved(moved.tick);
        set->removeKeys.push_back(uint32_t(k));
        set->entries.push_back(moved);
    }
    std::stable_sort(set->entries.begin(), set->entries.end(),
                     [](const TempoEntry& a, const TempoEntry& b) { return a.tick < b.tick; });
    std::unique_ptr<CUndoRecord> record = tempoRecord("Move tempos", std::move(set));
    if (record && proceedDespiteClipping(song, plan.clipped(), kMoveClipped))
        song.ApplyEdit(std::move(record));
    return true;
}

void copyTemposToClipboard(const TempoMap& map, int timeBase, int32_t from, int32_t to, AppClipboard& board,
                           const std::filesystem::path& workFolder)
{
    ClearClipboard(board, workFolder);
    const size_t first = firstAtOrAfter(map, from);
    for (size_t k = first; k < map.size() && map[k].tick <= to; ++k) {
        TempoEntry entry = map[k];
        const int64_t offset = toClipboardTicks(int64_t(map[k].tick) - map[first].tick, std::max(timeBase, 1));
        entry.tick = int32_t(std::clamp<int64_t>(offset, 0, std::numeric_limits<int32_t>::max()));
        board.tempos.push_back(entry);
    }
    board.kind = board.tempos.empty() ? 0 : kClipboardTempos;
}

} // namespace rz
