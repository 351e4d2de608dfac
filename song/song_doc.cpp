#include "song/song_doc.h"

#include <algorithm>
#include <cstdio>

#include "core/engine_link.h"
#include "core/set_link.h"
#include "core/song_host.h"
#include "core/track_rows.h"
#include "song/grid.h"

namespace rz {

void CSongDoc::UpdateViews(const void* senderView, uint32_t hint)
{
    LockGuard guard(SongMutex(), "UpdateViews", m_context.lockWait);
    if (!guard)
        return;
    m_context.engine.RebuildThruTracks();
    if (m_context.trackRows != nullptr)
        m_context.trackRows->SyncRowCount();
    m_context.host.updateSongViews(*this, senderView, hint);
}

void CSongDoc::UpdateSongEnd()
{
    int32_t end = 0;
    for (const auto& track : tracks)
        end = std::max(end, track->endTick);
    for (const auto& cue : cues)
        end = std::max({end, cue->time, cue->secondTime});
    endTick = end;
    length = TickToTime(endTick);
    if (m_context.setLink != nullptr)
        m_context.setLink->UpdateTotals();
}

void CSongDoc::RestartPlayback()
{
    IEngineLink& engine = m_context.engine;
    if (engine.transportState() == TransportState::Playing)
        engine.Play(position());
    else if (isCurrentSong()) {
        engine.Stop(false);
        LocateToCurrent();
    }
}

bool CSongDoc::RevertTrackStates()
{
    if (!soloActive)
        return false;
    for (int i = int(tracks.size()) - 2; i >= 1; --i)
        tracks[size_t(i)]->playEnabled = tracks[size_t(i)]->savedPlayEnabled;
    soloActive = false;
    RestartPlayback();
    return true;
}

void CSongDoc::FreeTrackCaches()
{
    for (auto& track : tracks) {
        if (track->type == kWaveTrack)
            continue;
        for (CTrackItem& item : track->items)
            item.Release();
        track->items.clear();
    }
}

bool CSongDoc::editingAllowed() const
{
    return m_context.engine.transportState() == TransportState::Stopped
           && !m_context.host.performanceMode();
}

const CUndoRecord* CSongDoc::GetUndoRecord() const
{
    if (undoPosition == undoList.begin())
        return nullptr;
    return std::prev(UndoList::const_iterator(undoPosition))->get();
}

CommandState CSongDoc::OnUpdateEditUndo() const
{
    const CUndoRecord* record = GetUndoRecord();
    CommandState state{"&Undo ", false};
    if (record != nullptr)
        state.text += record->label;
    state.enabled = record != nullptr && editingAllowed();
    return state;
}

CommandState CSongDoc::OnUpdateEditRedo() const
{
    const bool any = undoPosition != undoList.end();
    CommandState state{"&Redo ", false};
    if (any)
        state.text += (*undoPosition)->label;
    state.enabled = any && editingAllowed();
    return state;
}

double CSongDoc::TickToTime(int32_t tick) const
{
    return rz::TickToTime(tempoMap, timeBase, tick);
}

int32_t CSongDoc::TimeToTick(double time) const
{
    return rz::TimeToTick(tempoMap, timeBase, time);
}

int CSongDoc::FindTempoIndex(int32_t tick) const
{
    return rz::FindTempoIndex(tempoMap, tick);
}

int CSongDoc::FindTempoIndexByTime(double time) const
{
    return rz::FindTempoIndexByTime(tempoMap, time);
}

void CSongDoc::RecalcTempoTimes()
{
    rz::RecalcTempoTimes(tempoMap, timeBase);
}

int CSongDoc::FindMeasure(int32_t tick) const
{
    return rz::FindMeasure(measureMap, tick);
}

int CSongDoc::FindCurrentMeasure() const
{
    return FindMeasure(position());
}

void CSongDoc::RecomputeMeasureStarts()
{
    measureMapEnd = rz::RecomputeMeasureStarts(measureMap, timeBase);
}

void CSongDoc::ExtendMeasureMap()
{
    const int32_t lastTempoTick = tempoMap.empty() ? 0 : tempoMap.back().tick;
    measureMapEnd = rz::ExtendMeasureMap(measureMap, std::max(endTick, lastTempoTick));
}

int CSongDoc::FormatTime(int32_t tick, std::string& text) const
{
    return rz::FormatTime(measureMap, timeBase, tick, text);
}

int32_t CSongDoc::GetGridTicks() const
{
    return GridTicks(timeBase, gridFamily, m_context.host.timeZoom());
}

void CSongDoc::SetGridFamily()
{
    gridFamily = GridFamilyFor(timeBase);
}

void CSongDoc::OnZoomInTime()
{
    zoomTime(+1);
}

void CSongDoc::OnZoomOutTime()
{
    zoomTime(-1);
}

void CSongDoc::zoomTime(int step)
{
    ISongHost& host = m_context.host;
    const int zoom = std::clamp(host.timeZoom() + step, 0, ISongHost::kMaxTimeZoom);
    host.setTimeZoom(zoom);
    char text[16];
    std::snprintf(text, sizeof text, "Q=%d", gridDivisions(gridFamily, zoom));
    host.SetStatusText(text);
    UpdateViews();
    host.UpdateAllViews();
}

int CSongDoc::FindCueInsertPos(const CCue& cue) const
{
    return rz::FindCueInsertPos(cues, cue);
}

} // namespace rz
