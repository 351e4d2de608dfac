// The pane views and torn-off windows, and the orders they take and let go
// of a song in. GUI thread.

#include "app/view_slots.h"

#include "core/locks.h"
#include "core/track_rows.h"
#include "song/song_doc.h"

#include <span>

namespace rz {
namespace {

using Slots = ViewSlots;

constexpr Slots::Slot kEditorSlots[] = {Slots::kClip,  Slots::kEvent, Slots::kStaff,
                                        Slots::kPiano, Slots::kLyric, Slots::kTime,
                                        Slots::kVelocity};
constexpr Slots::Slot kControllerSlots[] = {Slots::kTempo, Slots::kControl, Slots::kSlider};

// Detach order; the clip and clock-time views stop their overview worker
// before they let go of the song.
constexpr Slots::Slot kDetachOrder[] = {Slots::kClip,    Slots::kEvent,  Slots::kStaff,
                                        Slots::kPiano,   Slots::kTempo,  Slots::kControl,
                                        Slots::kSlider,  Slots::kLyric,  Slots::kVelocity,
                                        Slots::kTime,    Slots::kTrack};
constexpr Slots::Slot kAttachOrder[] = {Slots::kTrack,   Slots::kClip,   Slots::kTempo,
                                        Slots::kControl, Slots::kSlider, Slots::kStaff,
                                        Slots::kPiano,   Slots::kEvent,  Slots::kLyric,
                                        Slots::kTime,    Slots::kVelocity};

// FollowView's order.
constexpr Slots::Slot kSlotOfFollow[] = {Slots::kTempo,   Slots::kClip,   Slots::kEvent,
                                         Slots::kStaff,   Slots::kPiano,  Slots::kControl,
                                         Slots::kLyric,   Slots::kTime,   Slots::kSlider,
                                         Slots::kTrack,   Slots::kVelocity};

} // namespace

ViewSlots::ViewSlots(std::function<CSongDoc*()> currentSong, std::chrono::milliseconds lockWait)
    : m_currentSong(std::move(currentSong)), m_lockWait(lockWait)
{
}

ViewSlots::Slot ViewSlots::slotOfKind(int kind)
{
    switch (kind) {
    case 1: return kClip;
    case 2: return kEvent;
    case 3:
    case 6: return kStaff;
    case 4: return kPiano;
    case 5: return kLyric;
    case 7: return kTime;
    case 8: return kVelocity;
    case 10: return kTempo;
    case 11: return kControl;
    case 12: return kSlider;
    default: return kSlotCount;
    }
}

void ViewSlots::currentViews(SongView** editor, SongView** controller) const
{
    auto first = [this](std::span<const Slot> order) -> SongView* {
        for (Slot s : order)
            if (SongView* view = slot(s))
                return view;
        return nullptr;
    };
    if (editor)
        *editor = first(kEditorSlots);
    if (controller)
        *controller = first(kControllerSlots);
}

void ViewSlots::clearPane(bool editor)
{
    for (Slot s : editor ? std::span<const Slot>(kEditorSlots) : std::span<const Slot>(kControllerSlots))
        m_slots[size_t(s)] = nullptr;
}

void ViewSlots::detachAll(CSongDoc& song)
{
    for (Slot s : kDetachOrder) {
        SongView* view = slot(s);
        if (!view)
            continue;
        if (s == kClip || s == kTime)
            view->stopOverviewWorker();
        if (view->song() == &song)
            view->detach();
    }
    for (const ExtraWindow& window : m_extraWindows)
        if (window.view && window.view->song() == &song)
            window.view->detach();
    song.FreeTrackCaches();
}

void ViewSlots::attachAll(CSongDoc& song)
{
    for (Slot s : kAttachOrder)
        if (SongView* view = slot(s))
            view->attach(song);
    for (auto it = m_extraWindows.rbegin(); it != m_extraWindows.rend(); ++it)
        if (it->view)
            it->view->attach(song);
}

void ViewSlots::initialUpdate()
{
    if (SongView* track = slot(kTrack))
        track->initialUpdate();
    SongView* editor = nullptr;
    SongView* controller = nullptr;
    currentViews(&editor, &controller);
    if (editor)
        editor->initialUpdate();
    if (controller)
        controller->initialUpdate();
    for (const ExtraWindow& window : m_extraWindows)
        if (window.view)
            window.view->initialUpdate();
}

void ViewSlots::updateSongViews(CSongDoc& song, const void* senderView, uint32_t hint)
{
    for (const auto& view : m_slots)
        if (view && view->song() == &song && view.data() != senderView)
            view->songUpdate(hint);
    for (const ExtraWindow& window : m_extraWindows)
        if (window.view && window.view->song() == &song && window.view.data() != senderView)
            window.view->songUpdate(hint);
}

void ViewSlots::stopOverviewWorkers()
{
    for (Slot s : {kClip, kTime})
        if (SongView* view = slot(s))
            view->stopOverviewWorker();
}

void ViewSlots::raiseTornOffWindows()
{
    for (const ExtraWindow& window : m_extraWindows)
        if (window.view)
            window.view->raise();
}

void ViewSlots::destroyAll()
{
    for (size_t s = 0; s < m_slots.size(); ++s) {
        if (s != kLive)
            delete m_slots[s].data();
        m_slots[s] = nullptr;
    }
    while (!m_extraWindows.empty()) {
        const QPointer<SongView> view = m_extraWindows.back().view;
        m_extraWindows.pop_back();
        delete view.data();
    }
}

bool ViewSlots::isOpen(FollowView view) const
{
    return size_t(view) < std::size(kSlotOfFollow) && slot(kSlotOfFollow[size_t(view)]) != nullptr;
}

void ViewSlots::followPlayback(FollowView view)
{
    if (size_t(view) < std::size(kSlotOfFollow))
        if (SongView* target = slot(kSlotOfFollow[size_t(view)]))
            target->follow();
}

// A torn-off track window follows nothing.
void ViewSlots::followTornOffWindow(int index)
{
    if (index < 0 || size_t(index) >= m_extraWindows.size())
        return;
    const ExtraWindow& window = m_extraWindows[size_t(index)];
    if (window.view && window.kind != kExtraTracks)
        window.view->follow();
}

// The engine switched songs itself: every view re-attaches to the current song.
void ViewSlots::clearAttachedFlags()
{
    LockGuard guard(SongMutex(), "clearAttachedFlags", m_lockWait);
    if (!guard)
        return;
    CSongDoc* current = m_currentSong();
    auto reattach = [current](SongView* view) {
        if (view && view->song() != current) {
            view->detach();
            if (current)
                view->attach(*current);
        }
    };
    for (const auto& view : m_slots)
        reattach(view);
    for (const ExtraWindow& window : m_extraWindows)
        reattach(window.view);
}

std::optional<TrackViewRows> ViewSlots::trackViewRows() const
{
    const auto* rows = dynamic_cast<const ITrackRows*>(slot(kTrack));
    if (rows == nullptr)
        return std::nullopt;
    TrackViewRows result;
    result.currentRow = rows->currentRow();
    for (int row = rows->GetFirstSelected(); row >= 0; row = rows->GetNextSelected(row))
        result.selectedRows.push_back(row);
    return result;
}

} // namespace rz
