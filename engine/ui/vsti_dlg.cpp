#include "engine/ui/vsti_dlg.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>

#include <cstdint>

namespace rz {

namespace {

bool usableSize(int width, int height)
{
    return width > 0 && height > 0 && width <= CVstiDlg::kMaxSide && height <= CVstiDlg::kMaxSide;
}

} // namespace

CVstiDlg::CVstiDlg(CVstPlugin& plugin, const std::string& title, const ERect& rect)
    : QWidget(nullptr, Qt::Window), m_plugin(plugin)
{
    setWindowTitle(QString::fromStdString(title));
    m_client = new QWidget(this);
    m_client->setAttribute(Qt::WA_NativeWindow);
    m_client->setObjectName("editor1364");
    resize(rect.right - rect.left, rect.bottom - rect.top);
    m_keepAwake.setInterval(kKeepAwakeMs);
    connect(&m_keepAwake, &QTimer::timeout, this, [this] { m_plugin.keepAwake(); });
    show();
    openEditor();
}

CVstiDlg::~CVstiDlg()
{
    closeEditor();
}

void CVstiDlg::openEditor()
{
    if (m_open)
        return;
    // The plug-in draws into the X11 window behind the native child.
    m_plugin.openEditor(reinterpret_cast<void*>(uintptr_t(m_client->winId())));
    m_open = true;
    m_keepAwake.start();
}

void CVstiDlg::closeEditor()
{
    if (!m_open)
        return;
    m_keepAwake.stop();
    m_plugin.closeEditor();
    m_open = false;
}

void CVstiDlg::activate()
{
    show();
    openEditor();
    raise();
    activateWindow();
}

void CVstiDlg::resize(int width, int height)
{
    if (!usableSize(width, height)) {
        width = kDefaultWidth;
        height = kDefaultHeight;
    }
    m_client->setGeometry(0, 0, width, height);
    setFixedSize(width, height);
}

void CVstiDlg::closeEvent(QCloseEvent* event)
{
    closeEditor();
    event->accept();
}

// A plug-in's editor takes Escape for itself; it does not close the window.
void CVstiDlg::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

std::unique_ptr<IVstEditorWindow> VstEditorWindows::create(const std::string& title, CVstPlugin& plugin,
                                                           const ERect& rect)
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return nullptr;
    return std::make_unique<CVstiDlg>(plugin, title, rect);
}

} // namespace rz
