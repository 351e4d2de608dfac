// Files dropped on the main window go to the application, in order. GUI
// thread.
#include "app/frame_host.h"
#include "app/main_frame.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QUrl>

namespace rz {
namespace {

std::vector<std::filesystem::path> localFiles(const QMimeData* data)
{
    std::vector<std::filesystem::path> paths;
    if (data == nullptr)
        return paths;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile())
            paths.emplace_back(QFile::encodeName(url.toLocalFile()).toStdString());
    return paths;
}

} // namespace

void MainFrame::dragEnterEvent(QDragEnterEvent* event)
{
    if (!localFiles(event->mimeData()).empty())
        event->acceptProposedAction();
}

void MainFrame::dropEvent(QDropEvent* event)
{
    const std::vector<std::filesystem::path> paths = localFiles(event->mimeData());
    if (paths.empty())
        return;
    event->acceptProposedAction();
    m_host.dropFiles(paths, (event->modifiers() & Qt::AltModifier) != 0);
}

} // namespace rz
