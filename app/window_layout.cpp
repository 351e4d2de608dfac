// The window layout record: what each window keeps and how a stored
// rectangle is kept on the screen. GUI thread.

#include "app/window_layout.h"

#include "app/display_options.h"
#include "app/main_frame.h"
#include "app/view_slots.h"
#include "app/work_area.h"
#include "core/track_rows.h"
#include "views/frame_timer_ids.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>

namespace rz {
namespace {

LayoutPlacement placementOf(const QWidget& window)
{
    const bool maximised = window.isMaximized();
    const bool minimised = window.isMinimized();
    const QRect r = maximised || minimised ? window.normalGeometry() : window.geometry();
    return {maximised   ? kShowMaximized
            : minimised ? kShowMinimized
                        : kShowNormal,
            r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

constexpr QSize kMinimumTornOff{100, 80};

// The stored rectangle kept on the work area by the rule of the main
// window's first placement: 70 pixels of it on the area, no larger than it.
QRect clampedRect(const LayoutPlacement& p, QSize minimum)
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    const int width = clampStoredValue(int64_t(p.right) - p.left,
                                       std::min(minimum.width(), area.width()), area.width());
    const int height = clampStoredValue(int64_t(p.bottom) - p.top,
                                        std::min(minimum.height(), area.height()), area.height());
    return {clampStoredValue(p.left, area.x(), area.x() + area.width() - kKeepOnScreen),
            clampStoredValue(p.top, area.y(), area.y() + area.height() - kKeepOnScreen), width,
            height};
}

void applyPlacement(QWidget& window, const LayoutPlacement& p, QSize minimum)
{
    const QRect rect = clampedRect(p, minimum);
    if (!window.isVisible()) {
        window.setGeometry(rect);
        return;
    }
    if (window.isMaximized() || window.isMinimized())
        window.showNormal();
    window.setGeometry(rect);
    if (p.showState == kShowMaximized)
        window.showMaximized();
    else if (p.showState == kShowMinimized)
        window.showMinimized();
}

bool keepsEditorValue(int kind)
{
    return kind == 3 || kind == 5 || kind == 6;
}

bool keepsControllerValues(int kind)
{
    return kind == 10 || kind == 11;
}

// The timer that opens a torn-off window of each extra kind.
constexpr int kExtraWindowTimer[] = {frame_timer::kLyricSmall, frame_timer::kStaffWindow,
                                     frame_timer::kLeadSheetWindow, frame_timer::kTracksWindow};

} // namespace

void WindowLayout::SnapshotLayout(std::string& layout)
{
    ViewSlots& views = m_seams.views;
    LayoutRecord record;
    if (MainFrame* frame = m_seams.frame())
        record.mainWindow = placementOf(*frame);
    record.trackRows = kCurrentRowMode;
    if (const auto* rows = dynamic_cast<const ITrackRows*>(views.slot(ViewSlots::kTrack));
        rows && !rows->currentRowMode()) {
        std::vector<int> selected;
        for (int row = rows->GetFirstSelected(); row >= 0; row = rows->GetNextSelected(row))
            selected.push_back(row);
        record.trackRows = trackRowMask(selected);
    }
    SongView* editor = nullptr;
    SongView* controller = nullptr;
    views.currentViews(&editor, &controller);
    if (isEditorKind(views.editorKind()))
        record.editor = LayoutEditor{
            views.editorKind(),
            editor && keepsEditorValue(views.editorKind()) ? editor->layoutValues()[0] : 0};
    if (isControllerKind(views.controllerKind())) {
        const auto values = controller && keepsControllerValues(views.controllerKind())
                                ? controller->layoutValues()
                                : std::array<int32_t, 2>{0, 0};
        record.controller = LayoutController{views.controllerKind(), values[0], values[1]};
    }
    record.xZoom = m_seams.display.timeZoom();
    record.yZoom = m_seams.display.laneZoom();
    record.fZoom = m_seams.display.headerZoom();
    std::vector<LayoutExtraWindow> windows;
    for (const ViewSlots::ExtraWindow& window : views.extraWindows()) {
        if (!window.view)
            continue;
        const int32_t value =
            window.kind == ViewSlots::kExtraTracks ? 0 : window.view->layoutValues()[0];
        windows.push_back({window.kind, placementOf(*window.view), value});
    }
    record.extraWindows = std::move(windows);
    layout = FormatLayoutRecord(record);
}

void WindowLayout::RestoreLayout(std::string_view layout)
{
    const std::optional<LayoutRecord> record = ParseLayoutRecord(layout);
    MainFrame* frame = m_seams.frame();
    if (!record || !frame)
        return;
    ViewSlots& views = m_seams.views;
    DisplayOptions& display = m_seams.display;
    if (record->mainWindow)
        restoreMainPlacement(*frame, *record->mainWindow);
    if (record->trackRows)
        restoreTrackRows(*record->trackRows);
    if (record->editor) {
        frame->timers().fire(record->editor->kind);
        SongView* editor = nullptr;
        views.currentViews(&editor, nullptr);
        if (editor && keepsEditorValue(record->editor->kind))
            editor->setLayoutValues({record->editor->value, 0});
    }
    if (record->controller) {
        frame->timers().fire(record->controller->kind);
        SongView* controller = nullptr;
        views.currentViews(nullptr, &controller);
        if (controller && keepsControllerValues(record->controller->kind))
            controller->setLayoutValues({record->controller->first, record->controller->second});
    }
    if (record->xZoom)
        display.setTimeZoom(*record->xZoom);
    if (record->yZoom)
        display.setLaneZoom(*record->yZoom);
    if (record->fZoom)
        display.setHeaderZoom(*record->fZoom);
    if (record->extraWindows)
        restoreExtraWindows(*frame, *record->extraWindows);
}

void WindowLayout::restoreMainPlacement(MainFrame& frame, const LayoutPlacement& placement)
{
    applyPlacement(frame, placement, MainFrame::kMinimumSize);
    frame.placePanes();
}

// Rows 0..30 come back selected; -1 is current-row mode.
void WindowLayout::restoreTrackRows(int32_t rows)
{
    auto* track = dynamic_cast<ITrackRows*>(m_seams.views.slot(ViewSlots::kTrack));
    if (track == nullptr)
        return;
    track->SyncRowCount();
    track->SelectNone();
    if (rows == kCurrentRowMode)
        return;
    for (int row = 0; row < kLayoutTrackRows; ++row)
        if (rows & (int32_t(1) << row))
            track->SelectRow(row, false);
}

// Windows of the recorded kinds in the recorded order are kept and moved;
// otherwise all are made again.
void WindowLayout::restoreExtraWindows(MainFrame& frame,
                                       const std::vector<LayoutExtraWindow>& windows)
{
    ViewSlots& views = m_seams.views;
    std::erase_if(views.extraWindows(),
                  [](const ViewSlots::ExtraWindow& w) { return w.view.isNull(); });
    bool same = views.extraWindows().size() == windows.size();
    for (size_t i = 0; same && i < windows.size(); ++i)
        same = views.extraWindows()[i].kind == windows[i].kind;
    std::vector<SongView*> targets(windows.size(), nullptr);
    if (same) {
        for (size_t i = 0; i < windows.size(); ++i)
            targets[i] = views.extraWindows()[i].view;
    } else {
        while (!views.extraWindows().empty()) {
            const QPointer<SongView> view = views.extraWindows().back().view;
            views.extraWindows().pop_back();
            delete view.data();
        }
        for (size_t i = 0; i < windows.size(); ++i) {
            const size_t before = views.extraWindows().size();
            frame.timers().fire(kExtraWindowTimer[windows[i].kind]);
            if (views.extraWindows().size() > before)
                targets[i] = views.extraWindows().back().view;
        }
    }
    for (size_t i = windows.size(); i-- > 0;) {
        if (!targets[i])
            continue;
        applyPlacement(*targets[i], windows[i].placement, kMinimumTornOff);
        if (windows[i].kind != ViewSlots::kExtraTracks)
            targets[i]->setLayoutValues({windows[i].value, 0});
    }
}

} // namespace rz
