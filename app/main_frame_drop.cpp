// Files dropped on the main window and the help key. GUI thread.

#include "app/frame_host.h"
#include "app/main_frame.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMimeData>
#include <QUrl>

namespace rz {
namespace {

// Local files only: a link from a browser is no file the program can read.
std::vector<std::filesystem::path> localFiles(const QMimeData* data)
{
    std::vector<std::filesystem::path> files;
    if (data == nullptr || !data->hasUrls())
        return files;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile())
            files.emplace_back(QFile::encodeName(url.toLocalFile()).toStdString());
    return files;
}

} // namespace

void MainFrame::dragEnterEvent(QDragEnterEvent* event)
{
    if (!localFiles(event->mimeData()).empty())
        event->acceptProposedAction();
}

// Alt is read once, before the first file, as the user held it on release.
void MainFrame::dropEvent(QDropEvent* event)
{
    const std::vector<std::filesystem::path> files = localFiles(event->mimeData());
    if (files.empty())
        return;
    event->acceptProposedAction();
    const bool alt = QGuiApplication::queryKeyboardModifiers().testFlag(Qt::AltModifier);
    m_host.dropFiles(files, alt);
}

void MainFrame::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_F1 && event->modifiers() == Qt::NoModifier) {
        m_host.onHelpKey();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace rz
