#include "views/song_view.h"

#include <QMouseEvent>

namespace rz {

SongView::SongView(QWidget* parent) : QWidget(parent) {}

SongView::~SongView() = default;

void SongView::mouseMoveEvent(QMouseEvent* event)
{
    event->accept();
}

void SongView::attach(CSongDoc& song)
{
    m_song = &song;
}

void SongView::detach()
{
    m_song = nullptr;
}

void SongView::songUpdate(uint32_t)
{
    QWidget::update();
}

void SongView::placeInFrame(QSize frameSize)
{
    if (m_paneId != 0)
        setGeometry(PlaceholderPane::placeFor(m_paneId, frameSize, setPaneShown(parentWidget())));
}

} // namespace rz
