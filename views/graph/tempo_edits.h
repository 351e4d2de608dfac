#pragma once

#include "song/tempo_map.h"
#include "song/undo_record.h"
#include "views/graph/tempo_graph.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

namespace rz {

class CSongDoc;
struct AppClipboard;

// The tempo view's edits as undo records of the tempo map (kUndoTempo):
// each removes entries by ascending index and adds new ones in tick order,
// which applying places after any entry at the same tick. Pure but for
// moveTempos, which asks through the song. GUI thread.

// "Delete Tempos": the entries from `from` to `to` (ticks, inclusive), and
// the first one after them when it only repeats the tempo in force before
// them; null when nothing goes.
std::unique_ptr<CUndoRecord> deleteTemposRecord(const TempoMap& map, int32_t from, int32_t to);

// "Draw Tempos": the entries after the first drawn tick up to the last go,
// and each drawn point whose tempo differs from the one before it becomes
// an entry; null for no points.
std::unique_ptr<CUndoRecord> drawTemposRecord(const TempoMap& map, const std::vector<CTempoPoint>& drawn);

// One point per column from the press to the pointer, the tempo straight
// between them in tenths of a BPM; `flat` keeps the press tempo.
std::vector<CTempoPoint> straightLine(int32_t fromTick, uint32_t fromTempo, int32_t toTick, uint32_t toTempo,
                                      int32_t gridTicks, bool flat);
// A freehand stroke moved from `lastTick` to `tick`: the points passed over
// go and one stands at the tick.
void freehandTo(std::vector<CTempoPoint>& drawn, int32_t lastTick, int32_t tick, uint32_t tempo);

// A draw gesture from press to release; Shift at the release of a straight
// line starts the next line where this one ended.
class DrawGesture {
public:
    enum class Style { Straight, Freehand };

    void begin(int32_t tick, uint32_t tempo, Style style);
    bool active() const { return m_active; }
    Style style() const { return m_style; }
    void moveTo(int32_t tick, uint32_t tempo, int32_t gridTicks, bool flat);
    // The record of the gesture (null when it drew nothing); a straight line
    // released with `continueLine` begins again at its end.
    std::unique_ptr<CUndoRecord> release(const TempoMap& map, bool continueLine);
    void cancel() { m_active = false, m_drawn.clear(); }
    const std::vector<CTempoPoint>& drawn() const { return m_drawn; }

private:
    bool m_active = false;
    Style m_style = Style::Straight;
    int32_t m_pressTick = 0;
    uint32_t m_pressTempo = kDefaultTempo;
    int32_t m_lastTick = 0;
    uint32_t m_lastTempo = kDefaultTempo;
    std::vector<CTempoPoint> m_drawn;
};

// A dragged point and what moves with it: the other half of its step (the
// time partner) and the next point of the same tempo (the tempo partner),
// between the nearest earlier and later ticks of other points.
struct TempoDrag {
    int index = -1;
    int timePartner = -1;
    int tempoPartner = -1;
    int32_t lowTick = 0;
    int32_t highTick = 0;
    CTempoPoint saved;
    int pressGraphY = 0; // the press, counted from the graph's top
    bool changed = false;
};

// Selects the point and its time partner with `stamp`.
TempoDrag beginTempoDrag(std::vector<CTempoPoint>& points, int index, uint32_t stamp);
// The pointer is at `tick` and `tempo`; `neighbourLevel` tells whether it
// is at the height of the previous (or else the next) point. Ctrl moves in
// time only; the Alt role leaves the partners where they are, but the time
// partner is pushed when the point would cross it.
void dragTempoTo(std::vector<CTempoPoint>& points, TempoDrag& drag, int32_t tick, uint32_t tempo,
                 std::optional<uint32_t> neighbourLevel, bool ctrl, bool altRole);
// "Drag Tempo": the entries within the drag's ticks made again from the
// (simplified) points there; null when the drag changed nothing.
std::unique_ptr<CUndoRecord> dragTempoRecord(const TempoMap& map, const std::vector<CTempoPoint>& points,
                                             const TempoDrag& drag, int32_t gridTicks);

// "Move tempos" of the points stamped with the song's stamp, through the
// Move dialog; applied through the song. False when the song has no tempo
// selection and the song's own Move should run.
bool moveTempos(CSongDoc& song, const TempoGraph& graph);

// Copies the entries from `from` to `to` (ticks) into the clipboard, their
// ticks counted from the first copied entry in clipboard ticks; the kind
// is kClipboardTempos, or 0 when nothing was copied.
void copyTemposToClipboard(const TempoMap& map, int timeBase, int32_t from, int32_t to, AppClipboard& board,
                           const std::filesystem::path& workFolder);

} // namespace rz
