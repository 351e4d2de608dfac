#include "ui/gui_thread.h"

#include <QCoreApplication>
#include <QThread>

namespace rz {

bool isGuiThread()
{
    const QCoreApplication* app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

} // namespace rz
