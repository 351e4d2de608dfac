// View requests of the main frame's timers: a new editor or controller
// view in its pane and views torn off into windows of their own. Each runs once per start of its timer, so two
// requests before it fires make one view. A request whose SongMutex wait
// times out starts its timer again. GUI thread.

#include "app/app.h"

#include "app/main_frame.h"
#include "core/profile.h"
#include "core/settings.h"
#include "song/song_doc.h"
#include "ui/command_router.h"
#include "views/edit_view_base.h"
#include "views/frame_timer_ids.h"
#include "views/pane_view.h"

#include <QGuiApplication>
#include <QScreen>

namespace rz {
namespace {

constexpr int kGrowTornOff = 5; // a torn-off window is this much larger than its pane

bool isEditorRequest(int id)
{
    using namespace frame_timer;
    return id >= kFirstPaneView && id <= kLastEditorView;
}

CommandTarget* targetOf(SongView* view)
{
    return dynamic_cast<CommandTarget*>(view);
}

// The frame's fixed views, made at start: the tempo view stands in the
// controller pane from the start, so that the pane's view requests (which
// act only while a controller view exists) work.
struct FixedView {
    ViewKind kind;
    ViewSlots::Slot slot;
    uint32_t paneId;
};

} // namespace

SongView* App::makeView(ViewKind kind, bool topLevel)
{
    ViewRequest request;
    request.kind = kind;
    request.parent = topLevel ? nullptr : m_frame.data();
    request.topLevel = topLevel;
    return m_viewFactory.create(request);
}

// The old view of the pane goes before the new one is made; a kind nobody
// registered, or the editor kind already shown, leaves the pane as it is.
void App::paneViewRequest(int id)
{
    m_frame->timers().kill(id);
    if (!m_viewFactory.canCreate(ViewKind(id)))
        return;
    LockGuard guard(SongMutex(), "view request", m_options.lockWait);
    if (!guard) {
        m_frame->timers().start(id, kLockRetryMs);
        return;
    }
    const bool editor = isEditorRequest(id);
    const uint32_t paneId = editor ? pane_id::kEditor : pane_id::kController;
    SongView* old = nullptr;
    m_views.currentViews(editor ? &old : nullptr, editor ? nullptr : &old);
    // The editor view the pane already shows stays (the clip view made at
    // start is not made again by a request for it).
    if (editor && old && m_views.editorKind() == id) {
        m_router->setActiveView(targetOf(old));
        return;
    }
    m_views.clearPane(editor);
    if (old) {
        if (old->song())
            old->detach();
        if (targetOf(old))
            m_router->setActiveView(nullptr);
        m_frame->removePane(paneId);
        delete old;
    }
    SongView* view = makeView(ViewKind(id), false);
    if (!view) {
        m_frame->setPane(paneId, new PlaceholderPane(paneId, m_frame));
        return;
    }
    if (id == int(ViewKind::Control))
        view->setControllerChoice(m_views.controlKind(), m_views.controlNumber());
    joinViewLinks(*view);
    view->setPaneId(paneId);
    m_frame->setPane(paneId, view);
    if (m_currentSong)
        view->attach(*m_currentSong);
    view->initialUpdate();
    if (editor)
        m_router->setActiveView(targetOf(view));
    m_views.setSlot(ViewSlots::slotOfKind(id), view);
    if (id == int(ViewKind::Clip))
        m_display.setTimeZoom(
            readSettingOr(*m_profile, settings::kDisplayXZoom, m_display.timeZoom()));
    else if (id == int(ViewKind::Piano) || id == int(ViewKind::Velocity))
        m_display.setTimeZoom(
            readSettingOr(*m_profile, settings::kDisplayXZoomPiano, m_display.timeZoom()));
    if (m_currentSong)
        m_currentSong->UpdateViews();
    else
        BroadcastToViews();
    if (!editor)
        m_router->setActiveView(targetOf(view));
    if (editor)
        m_views.setEditorKind(id);
    else
        m_views.setControllerKind(id);
}

void App::tornOffViewRequest(int id)
{
    using namespace frame_timer;
    m_frame->timers().kill(id);
    const bool lyric = id >= kLyricAtStoredPlace;
    const ViewKind kind = id == kStaffWindow       ? ViewKind::Staff
                          : id == kLeadSheetWindow ? ViewKind::LeadSheet
                          : id == kTracksWindow    ? ViewKind::Track
                                                   : ViewKind::Lyric;
    if (!m_viewFactory.canCreate(kind))
        return;
    LockGuard guard(SongMutex(), "torn-off view", m_options.lockWait);
    if (!guard) {
        m_frame->timers().start(id, kLockRetryMs);
        return;
    }
    QRect rect;
    if (lyric) {
        static constexpr QSize kSizes[] = {{640, 480}, {800, 600}, {1024, 768}};
        rect = id == kLyricAtStoredPlace
                   ? QRect(readSetting(*m_profile, settings::kLyricX),
                           readSetting(*m_profile, settings::kLyricY),
                           readSetting(*m_profile, settings::kLyricCX),
                           readSetting(*m_profile, settings::kLyricCY))
                   : QRect(QPoint(0, 0), kSizes[id - kLyricAtStoredPlace - 1]);
    } else {
        SongView* source = nullptr;
        if (kind == ViewKind::Track)
            source = m_views.slot(ViewSlots::kTrack);
        else
            m_views.currentViews(&source, nullptr);
        rect = source ? QRect(source->mapToGlobal(QPoint(0, 0)), source->size())
                            .adjusted(-kGrowTornOff, -kGrowTornOff, kGrowTornOff, kGrowTornOff)
                      : QRect(100, 100, 640, 480);
    }
    SongView* view = makeView(kind, true);
    if (!view)
        return;
    if (m_currentSong)
        view->attach(*m_currentSong);
    view->initialUpdate();
    const bool onTop = lyric || readSetting(*m_profile, settings::kAlwaysOnTop) != 0;
    const QString caption = lyric                       ? "Lyrics"
                            : kind == ViewKind::Track   ? "Tracks"
                            : kind == ViewKind::Staff   ? "Staff view"
                                                        : "Lead sheet";
    placeTopLevel(*view, rect, caption, onTop);
    if (lyric && readSetting(*m_profile, settings::kLyricMaximized) != 0)
        view->showMaximized();
    const int extraKind = lyric                     ? ViewSlots::kExtraLyric
                          : kind == ViewKind::Track ? ViewSlots::kExtraTracks
                          : kind == ViewKind::Staff ? ViewSlots::kExtraStaff
                                                    : ViewSlots::kExtraLeadSheet;
    m_views.extraWindows().push_back({view, extraKind, view});
}

// A torn-off view is a top-level widget of its own; closing it destroys it
// and takes it off the list.
void App::placeTopLevel(SongView& view, const QRect& rect, const QString& caption, bool onTop)
{
    Qt::WindowFlags flags = Qt::Window;
    if (onTop)
        flags |= Qt::WindowStaysOnTopHint;
    view.setParent(nullptr, flags);
    view.setPaneId(0);
    view.setAttribute(Qt::WA_DeleteOnClose);
    view.setWindowTitle(caption);
    view.setGeometry(rect);
    view.show();
    connect(&view, &QObject::destroyed, this, [this](QObject* gone) {
        std::erase_if(m_views.extraWindows(),
                      [gone](const ViewSlots::ExtraWindow& w) { return w.object == gone; });
    });
}

} // namespace rz

namespace rz {

// The set tree and the track list live as long as the main window, each in
// its pane, once their code has registered them; the tempo view starts in
// the controller pane, where other controller views may replace it.
void App::createFixedViews()
{
    const FixedView kFixed[] = {
        {ViewKind::SetTree, ViewSlots::kLive, pane_id::kSetTree},
        {ViewKind::Track, ViewSlots::kTrack, pane_id::kTrackList},
        {ViewKind::Tempo, ViewSlots::kTempo, pane_id::kController},
        {ViewKind::Clip, ViewSlots::kClip, pane_id::kEditor},
    };
    for (const FixedView& fixed : kFixed) {
        SongView* view = makeView(fixed.kind, false);
        if (!view)
            continue;
        joinViewLinks(*view);
        view->setPaneId(fixed.paneId);
        m_frame->setPane(fixed.paneId, view);
        m_views.setSlot(fixed.slot, view);
        view->initialUpdate();
        if (fixed.paneId == pane_id::kController) {
            m_views.setControllerKind(int(fixed.kind));
            m_router->setActiveView(targetOf(view));
        }
        if (fixed.paneId == pane_id::kEditor)
            m_views.setEditorKind(int(fixed.kind));
    }
}

// Lane views scroll together through the application's links.
void App::joinViewLinks(SongView& view)
{
    if (auto* lane = dynamic_cast<EditViewBase*>(&view))
        lane->setViewLinks(&m_viewLinks);
}

} // namespace rz
