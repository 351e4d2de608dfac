#include "ui/gui_post.h"

#include "ui/gui_thread.h"

#include <QMetaObject>

namespace rz {

QtGuiPost::QtGuiPost(QObject* parent) : QObject(parent)
{
    RZ_ASSERT_GUI_THREAD();
}

void QtGuiPost::postToGui(std::function<void()> call)
{
    QMetaObject::invokeMethod(this, std::move(call), Qt::QueuedConnection);
}

} // namespace rz
