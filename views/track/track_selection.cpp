#include "views/track/track_selection.h"

#include "core/locks.h"
#include "song/selection.h"
#include "song/song_doc.h"
#include "song/track.h"
#include "views/track/track_row_layout.h"

#include <algorithm>
#include <cstdlib>

namespace rz {

TrackSelection::TrackSelection(IOneShotTimer& notifyTimer) : m_timer(notifyTimer) {}

void TrackSelection::setSong(CSongDoc* song)
{
    if (song == nullptr)
        m_timer.stop();
    m_song = song;
}

void TrackSelection::setCurrentColumn(int column)
{
    m_currentColumn = std::clamp(column, 0, kColumnCount);
}

bool TrackSelection::flagged(int row) const
{
    return row >= 0 && row < int(m_flags.size()) && m_flags[size_t(row)] != 0;
}

void TrackSelection::clearFlags()
{
    std::fill(m_flags.begin(), m_flags.end(), uint8_t(0));
}

void TrackSelection::flagRange(int from, int to)
{
    const int low = std::max(std::min(from, to), 0);
    const int high = std::min(std::max(from, to), m_rowCount - 1);
    for (int row = low; row <= high; ++row)
        m_flags[size_t(row)] = 1;
}

void TrackSelection::repaint() const
{
    if (m_hooks.repaint)
        m_hooks.repaint();
}

// Rows the song really has, should the rows lag behind its tracks.
int TrackSelection::songRows() const
{
    return m_song ? std::min(m_rowCount, int(m_song->tracks.size())) : 0;
}

bool TrackSelection::IsRowSelected(int row, bool flagsOnly) const
{
    if (row < 1 || row > m_rowCount - 2)
        return false;
    if (cellMode())
        return !flagsOnly && row == m_currentRow;
    return flagged(row);
}

int TrackSelection::GetSelectedCount() const
{
    if (cellMode())
        return 0;
    return int(std::count_if(m_flags.begin(), m_flags.end(), [](uint8_t f) { return f != 0; }));
}

int TrackSelection::GetFirstSelected() const
{
    for (int row = 0; row < m_rowCount; ++row)
        if (flagged(row))
            return row;
    return -1;
}

int TrackSelection::GetNextSelected(int row) const
{
    if (row < 0 || row + 1 > m_rowCount - 1)
        return -1;
    for (int next = row + 1; next < m_rowCount; ++next)
        if (flagged(next))
            return next;
    return -1;
}

void TrackSelection::SyncRowCount()
{
    if (m_song == nullptr) {
        m_rowCount = 0;
        m_flags.clear();
        return;
    }
    const int count = int(m_song->tracks.size());
    if (count != m_rowCount) {
        m_rowCount = count;
        m_flags.resize(size_t(count), 0);
    }
    if (m_rowCount > 0)
        m_flags.back() = 0;
}

void TrackSelection::setTopRow(int row)
{
    const int top = std::clamp(row, 0, m_maxTopRow);
    if (top == m_topRow)
        return;
    m_topRow = top;
    if (m_hooks.topRowChanged)
        m_hooks.topRowChanged();
}

void TrackSelection::setMaxTopRow(int row)
{
    m_maxTopRow = std::max(row, 0);
    m_topRow = std::min(m_topRow, m_maxTopRow);
}

int TrackSelection::secondBandHeight() const
{
    return TrackRowLayout::kRulerGap;
}

// Up and Down from a lane view, one row per step.
void TrackSelection::stepCurrentRow(int delta)
{
    const TrackKey step = delta < 0 ? TrackKey::Up : TrackKey::Down;
    for (int i = 0; i < std::abs(delta); ++i)
        key(step, {}, 1);
}

void TrackSelection::SelectRow(int row, bool exclusive)
{
    // Rows come from outside (a song's stored layout); a stray one is no row.
    if (row < 0 || row >= m_rowCount)
        return;
    if (cellMode() || exclusive) {
        m_currentColumn = 0;
        clearFlags();
    }
    if (!flagged(row)) {
        m_currentRow = row;
        m_flags[size_t(row)] = 1;
        notify();
    }
    repaint();
}

void TrackSelection::DeselectRow(int row)
{
    if (row < 0 || row >= m_rowCount || !flagged(row))
        return;
    m_currentColumn = 0;
    m_currentRow = row;
    m_flags[size_t(row)] = 0;
    notify();
    repaint();
}

void TrackSelection::SelectAll()
{
    m_currentColumn = 0;
    m_currentRow = m_rowCount - 1;
    for (int row = 0; row + 1 < m_rowCount; ++row)
        m_flags[size_t(row)] = 1;
    notify();
    repaint();
}

void TrackSelection::SelectNone()
{
    m_currentColumn = std::max(m_currentColumn, 1);
    clearFlags();
    notify();
    repaint();
}

void TrackSelection::SetCurrentRow(int row)
{
    m_currentRow = row;
    if (m_hooks.scrollIntoView)
        m_hooks.scrollIntoView();
}

void TrackSelection::RefreshSelection()
{
    if (m_song == nullptr)
        return;
    if (m_rowCount >= 2) {
        m_flags.front() = 0;
        m_flags.back() = 0;
    }
    const uint32_t kind = !cellMode() && GetSelectedCount() > 0 ? kSelectTracks : 0;
    if (m_song->selectionKind == kind)
        return;
    if (m_hooks.repaintEditors)
        m_hooks.repaintEditors();
    ++m_song->selectionStamp;
    m_song->selectionKind = kind;
    m_song->selectionFrom = -1;
    m_song->selectionTo = -1;
}

bool TrackSelection::chosen(int row) const
{
    return cellMode() ? row == m_currentRow : flagged(row);
}

// Play flags are read by the engine's tick, so they change under the SongMutex.
void TrackSelection::ApplyRowFlags()
{
    if (m_song == nullptr)
        return;
    {
        LockGuard guard(SongMutex(), "Solo", m_song->context().lockWait);
        if (!guard)
            return;
        const int end = songRows() - 1;
        for (int row = 1; row < end; ++row) {
            CTrack& track = *m_song->tracks[size_t(row)];
            if (!m_song->soloActive)
                track.savedPlayEnabled = track.playEnabled;
            track.playEnabled = chosen(row) ? 1 : 0;
        }
        m_song->soloActive = true;
    }
    repaint();
    m_song->RestartPlayback();
}

bool TrackSelection::InvalidateIfChanged()
{
    if (m_song == nullptr)
        return false;
    bool changed = false;
    {
        LockGuard guard(SongMutex(), "Un-solo", m_song->context().lockWait);
        if (!guard)
            return false;
        changed = m_song->RevertTrackStates();
    }
    if (changed)
        repaint();
    return changed;
}

void TrackSelection::MarkSelectedTracks()
{
    setRecordMarks([this](int row) { return chosen(row) ? 1 : -1; });
}

void TrackSelection::ClearTrackMarks()
{
    setRecordMarks([](int) { return 0; });
}

// A take reads the marks on the engine's thread: they change under the SongMutex.
void TrackSelection::setRecordMarks(const std::function<int(int row)>& mark)
{
    if (m_song == nullptr)
        return;
    {
        LockGuard guard(SongMutex(), "record marks", m_song->context().lockWait);
        if (!guard)
            return;
        const int end = songRows() - 1;
        for (int row = 0; row < end; ++row)
            m_song->tracks[size_t(row)]->recordArm = mark(row);
    }
    notify();
    repaint();
}

void TrackSelection::pressNumber(int row, TrackKeyModifiers modifiers)
{
    if (row < 1 || row >= m_rowCount)
        return;
    m_currentColumn = 0;
    m_currentRow = row;
    m_pressRow = row;
    m_pressShift = modifiers.shift;
    m_pressCtrl = modifiers.ctrl;
    m_pressOnSelected = flagged(row);
    if (modifiers.shift) {
        clearFlags();
        flagRange(m_anchorRow, row);
    } else if (!m_pressOnSelected) {
        if (!modifiers.ctrl)
            clearFlags();
        m_flags[size_t(row)] = 1;
    }
    m_flags.back() = 0;
    repaint();
}

void TrackSelection::releaseNumber(bool dragged)
{
    const int row = m_pressRow;
    m_pressRow = -1;
    if (dragged || row < 0 || row >= m_rowCount)
        return;
    if (m_pressCtrl && m_pressOnSelected) {
        m_flags[size_t(row)] = 0;
    } else if (!m_pressCtrl && !m_pressShift) {
        clearFlags();
        m_flags[size_t(row)] = 1;
    }
    m_flags.back() = 0;
    RefreshSelection();
    notify();
    // A Shift range keeps its anchor, so the next Shift-click spans from it too.
    if (!m_pressShift)
        m_anchorRow = m_currentRow;
    repaint();
}

void TrackSelection::pressCell(int row, int position)
{
    if (row < 1 || row >= m_rowCount)
        return;
    const bool changed = row != m_currentRow || !cellMode();
    m_currentRow = row;
    m_currentColumn = std::clamp(position + 1, 1, kColumnCount);
    RefreshSelection();
    if (changed)
        notify();
    repaint();
}

void TrackSelection::pressOutside()
{
    const bool changed = m_currentRow != 0;
    m_currentRow = 0;
    m_currentColumn = 0;
    clearFlags();
    if (changed) {
        RefreshSelection();
        notify();
        repaint();
    }
}

void TrackSelection::rowModeStep(TrackKeyModifiers modifiers)
{
    if (modifiers.shift) {
        clearFlags();
        flagRange(m_anchorRow, m_currentRow);
    } else if (!modifiers.ctrl) {
        clearFlags();
        if (m_currentRow >= 0 && m_currentRow < m_rowCount)
            m_flags[size_t(m_currentRow)] = 1;
        m_anchorRow = m_currentRow;
    }
}

bool TrackSelection::key(TrackKey key, TrackKeyModifiers modifiers, int page)
{
    if (m_rowCount == 0)
        return true;
    const int last = m_rowCount - 1;
    bool tell = false;
    bool forceStep = false;
    switch (key) {
    case TrackKey::Insert: return false;
    case TrackKey::PageUp:
        if (!cellMode() && !modifiers.ctrl)
            clearFlags();
        m_currentRow = std::max(m_currentRow - std::max(page, 1), 1);
        tell = true;
        break;
    case TrackKey::PageDown:
        m_currentRow = std::min(m_currentRow + std::max(page, 1), last);
        tell = true;
        break;
    case TrackKey::End:
        m_currentRow = last;
        tell = true;
        break;
    case TrackKey::Home:
        m_currentRow = 1;
        if (cellMode())
            m_currentColumn = 1;
        else
            forceStep = true;
        tell = true;
        break;
    case TrackKey::Up:
        m_currentRow = std::max(m_currentRow - 1, 1);
        tell = true;
        break;
    case TrackKey::Down:
        m_currentRow = std::min(m_currentRow + 1, last);
        tell = true;
        break;
    case TrackKey::Left: {
        if (m_currentRow < 1)
            return true;
        const bool leavesCells = m_currentColumn == 1;
        m_currentColumn = std::max(m_currentColumn - 1, 0);
        if (leavesCells && !modifiers.shift) {
            if (modifiers.ctrl && m_currentRow < m_rowCount)
                m_flags[size_t(m_currentRow)] ^= 1;
            tell = true;
        }
        break;
    }
    case TrackKey::Right:
        m_currentColumn = std::min(m_currentColumn + 1, kColumnCount);
        m_currentRow = std::max(m_currentRow, 1);
        if (m_currentColumn == 1) {
            tell = true;
            if (modifiers.ctrl) {
                if (m_currentRow < m_rowCount)
                    m_flags[size_t(m_currentRow)] = 0;
                m_currentColumn = 0;
            }
        }
        break;
    }
    if (!cellMode() || forceStep) {
        rowModeStep(modifiers);
        tell = true;
    }
    RefreshSelection();
    if (tell)
        notify();
    if (m_hooks.scrollIntoView)
        m_hooks.scrollIntoView();
    repaint();
    return true;
}

void TrackSelection::notify()
{
    if (m_song != nullptr)
        m_timer.start(kNotifyMs);
}

void TrackSelection::notifyNow()
{
    m_timer.stop();
    if (m_song != nullptr)
        m_song->UpdateViews(nullptr, 0);
}

} // namespace rz
