#include "ui/gui_post.h"

#include "ui/gui_thread.h"

#include <QMetaObject>

namespace rz {

QtGuiThreadQueue::QtGuiThreadQueue(QObject* parent) : QObject(parent)
{
    RZ_ASSERT_GUI_THREAD();
}

void QtGuiThreadQueue::postToGui(std::function<void()> call)
{
    QMetaObject::invokeMethod(this, std::move(call), Qt::QueuedConnection);
}

} // namespace rz
