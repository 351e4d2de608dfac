#include "views/pane_view.h"

#include "ui/gui_thread.h"

#include <QPainter>
#include <QVariant>

#include <algorithm>

namespace rz {
namespace {

// Frame pixels: the panes start under the tool bar and end above the
// transport band at the bottom.
constexpr int kPaneTop = 60;
constexpr int kBottomBand = 261;
constexpr int kSetTreeLeft = 10;
constexpr int kTrackListLeft = 41;
constexpr int kTrackListWidth = 414;
constexpr int kSetTreeShownWidth = 218;
constexpr int kTrackListBesideTreeLeft = 236;
constexpr int kTrackListBesideTreeWidth = 219;
constexpr const char* kSetPaneShownProperty = "rzSetPaneShown";
constexpr int kEditorLeft = 456;
constexpr int kEditorRightMargin = 10;
constexpr int kControllerHeight = 160;

} // namespace

PlaceholderPane::PlaceholderPane(uint32_t paneId, QWidget* frame)
    : QWidget(frame), m_paneId(paneId)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void setSetPaneShown(QWidget& frame, bool shown)
{
    frame.setProperty(kSetPaneShownProperty, shown);
}

bool setPaneShown(const QWidget* frame)
{
    return frame && frame->property(kSetPaneShownProperty).toBool();
}

QRect PlaceholderPane::placeFor(uint32_t paneId, QSize frameSize)
{
    return placeFor(paneId, frameSize, false);
}

QRect PlaceholderPane::placeFor(uint32_t paneId, QSize frameSize, bool setPaneShown)
{
    const int w = frameSize.width();
    const int h = frameSize.height();
    const int paneHeight = std::max(0, h - kBottomBand);
    const int editorWidth = std::max(0, w - kEditorLeft - kEditorRightMargin);
    switch (paneId) {
    case pane_id::kSetTree:
        return {kSetTreeLeft, kPaneTop,
                setPaneShown ? kSetTreeShownWidth : kTrackListLeft - 1 - kSetTreeLeft, paneHeight};
    case pane_id::kTrackList:
        if (setPaneShown)
            return {kTrackListBesideTreeLeft, kPaneTop, kTrackListBesideTreeWidth, paneHeight};
        return {kTrackListLeft, kPaneTop, kTrackListWidth, paneHeight};
    case pane_id::kEditor:
        return {kEditorLeft, kPaneTop, editorWidth, paneHeight};
    case pane_id::kController:
        return {kEditorLeft, h - kBottomBand + kPaneTop, editorWidth, kControllerHeight};
    default:
        return {};
    }
}

void PlaceholderPane::placeInFrame(QSize frameSize)
{
    setGeometry(placeFor(m_paneId, frameSize, setPaneShown(parentWidget())));
}

void PlaceholderPane::paintEvent(QPaintEvent*)
{
    RZ_ASSERT_GUI_THREAD();
    QPainter painter(this);
    painter.fillRect(rect(), QColor(255, 255, 255));
    painter.setPen(QColor(96, 96, 96));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

} // namespace rz
