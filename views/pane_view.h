#pragma once

#include <QSize>
#include <QWidget>

#include <cstdint>

namespace rz {

// Pane ids of the main frame's children.
namespace pane_id {
inline constexpr uint32_t kSetTree = 0xE900;
inline constexpr uint32_t kTrackList = 0xE901;
inline constexpr uint32_t kEditor = 0xE903;
inline constexpr uint32_t kController = 0xE904;
inline constexpr uint32_t kFirstTornOff = 0xE905; // + n for the n-th torn-off window
} // namespace pane_id

// A child view of the main frame. The frame owns no pane geometry: after
// every resize it asks each pane to place itself. GUI thread.
class PaneView {
public:
    virtual ~PaneView() = default;

    virtual QWidget* paneWidget() = 0;
    // Places the pane inside a frame of `frameSize` (client pixels).
    virtual void placeInFrame(QSize frameSize) = 0;
};

// Whether the set pane at the frame's left shows its tree; the track list
// sits beside it, further right while it does. Kept on the frame widget, so
// every pane of the frame reads the same; false until the set pane says.
void setSetPaneShown(QWidget& frame, bool shown);
bool setPaneShown(const QWidget* frame);

// Stands in for a view until it exists: a bordered, empty pane at the
// place its view will take. GUI thread.
class PlaceholderPane : public QWidget, public PaneView {
    Q_OBJECT
public:
    PlaceholderPane(uint32_t paneId, QWidget* frame);

    uint32_t paneId() const { return m_paneId; }
    // Where the pane of `paneId` sits in a frame of `frameSize`.
    static QRect placeFor(uint32_t paneId, QSize frameSize);
    static QRect placeFor(uint32_t paneId, QSize frameSize, bool setPaneShown);

    QWidget* paneWidget() override { return this; }
    void placeInFrame(QSize frameSize) override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    uint32_t m_paneId = 0;
};

} // namespace rz
