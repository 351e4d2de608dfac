// The About box, the splash window and the Tip of the Day dialog. GUI thread.

#include "app/about_dlg.h"

#include "core/tips.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

namespace rz {
namespace {

constexpr int kTipMargin = 12;
constexpr int kTipBottom = 48;
constexpr int kStripWidth = 60;
constexpr int kBandHeight = 53;
const QColor kStripColor(206, 204, 209);

QPixmap splashPicture()
{
    QPixmap picture(420, 220);
    picture.fill(QColor(24, 28, 40));
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    // A few staff lines and notes under the title.
    painter.setPen(QPen(QColor(120, 130, 160), 1));
    for (int line = 0; line < 5; ++line)
        painter.drawLine(30, 140 + line * 10, 390, 140 + line * 10);
    painter.setBrush(QColor(230, 200, 90));
    painter.setPen(Qt::NoPen);
    for (int note = 0; note < 6; ++note)
        painter.drawEllipse(QPointF(70 + note * 55, 175 - (note % 4) * 10), 7, 5);
    painter.setPen(Qt::white);
    QFont title(QStringLiteral("DejaVu Sans"), 26, QFont::Bold);
    painter.setFont(title);
    painter.drawText(QRect(0, 30, 420, 60), Qt::AlignCenter, QStringLiteral("DEVU Rizoraz"));
    painter.setFont(QFont(QStringLiteral("DejaVu Sans"), 11));
    painter.drawText(QRect(0, 85, 420, 30), Qt::AlignCenter,
                     QStringLiteral("MIDI sequencer for live performance"));
    return picture;
}

} // namespace

QString aboutVersionLine(int version)
{
    return QStringLiteral("DEVU Rizoraz\u00AE DO4 (release %1.%2.%3)")
        .arg(version / 10000)
        .arg((version / 100) % 100, 2, 10, QLatin1Char('0'))
        .arg(version % 100, 2, 10, QLatin1Char('0'));
}

int underscoreCount(int addressWidth, int underscoreWidth)
{
    if (underscoreWidth <= 0)
        return 1;
    const int target = addressWidth - 2;
    return std::max(1, (target + underscoreWidth - 1) / underscoreWidth);
}

CAboutDlg::CAboutDlg(int version, const QString& homepage, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("dialog100"));
    setWindowTitle(QStringLiteral("About DEVU Rizoraz"));
    auto* layout = new QVBoxLayout(this);
    m_version = new QLabel(aboutVersionLine(version), this);
    layout->addWidget(m_version);
    m_address = new QLabel(homepage, this);
    m_address->setTextFormat(Qt::PlainText);
    m_underscores = new QLabel(this);
    m_underscores->setTextFormat(Qt::PlainText);
    const QFontMetrics metrics(font());
    m_underscores->setText(QString(underscoreCount(metrics.horizontalAdvance(homepage),
                                                   metrics.horizontalAdvance(QLatin1Char('_'))),
                                   QLatin1Char('_')));
    layout->addWidget(m_address);
    layout->addWidget(m_underscores);
    m_address->setVisible(!homepage.isEmpty());
    m_underscores->setVisible(!homepage.isEmpty());
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    layout->addWidget(ok, 0, Qt::AlignRight);
}

CSplashWnd::CSplashWnd(int showMs)
    : QSplashScreen(splashPicture(), Qt::WindowStaysOnTopHint), m_showMs(showMs)
{
    setAttribute(Qt::WA_DeleteOnClose);
}

bool CSplashWnd::Create()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return false;
    QRect frame = rect();
    frame.moveCenter(screen->geometry().center());
    move(frame.topLeft());
    show();
    raise();
    repaint();
    QTimer::singleShot(m_showMs, Qt::PreciseTimer, this, &QWidget::close);
    return true;
}

CTipDlg::CTipDlg(TipOfTheDay& tips, QWidget* parent) : QDialog(parent), m_tips(tips)
{
    setObjectName(QStringLiteral("dialog137"));
    setWindowTitle(QStringLiteral("Tip of the Day"));
    resize(420, 240);
    m_tip = new QLabel(QString::fromStdString(tips.text()), this);
    m_tip->setTextFormat(Qt::PlainText);
    m_tip->setWordWrap(true);
    m_tip->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_tip->setAttribute(Qt::WA_TranslucentBackground);
    m_startup = new QCheckBox(QStringLiteral("&Show tips at startup"), this);
    m_startup->setChecked(tips.showAtStartup());
    m_next = new QPushButton(QStringLiteral("&Next Tip"), this);
    m_next->setEnabled(tips.fileOpened());
    auto* close = new QPushButton(QStringLiteral("&Close"), this);
    close->setDefault(true);
    connect(m_next, &QPushButton::clicked, this, [this] {
        m_tips.readNextTip();
        m_tip->setText(QString::fromStdString(m_tips.text()));
    });
    connect(close, &QPushButton::clicked, this, &CTipDlg::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_startup);
    buttons->addStretch();
    buttons->addWidget(m_next);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    // The tip sits in the painted area, right of the strip and under the band.
    layout->setContentsMargins(kTipMargin + kStripWidth + 8, kTipMargin + kBandHeight + 8,
                               kTipMargin + 8, 10);
    layout->addWidget(m_tip, 1);
    layout->addSpacing(kTipBottom - 36);
    layout->addLayout(buttons);
}

QRect CTipDlg::tipArea() const
{
    return rect().adjusted(kTipMargin, kTipMargin, -kTipMargin, -kTipBottom);
}

void CTipDlg::accept()
{
    m_tips.close(m_startup->isChecked());
    QDialog::accept();
}

void CTipDlg::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect area = tipArea();
    painter.fillRect(area, Qt::white);
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawRect(area.adjusted(0, 0, -1, -1));
    painter.setPen(palette().color(QPalette::Light));
    painter.drawRect(area.adjusted(1, 1, 0, 0));
    const QRect strip(area.left() + 1, area.top() + 1, kStripWidth, area.height() - 2);
    painter.fillRect(strip, kStripColor);
    // The bulb: a drawn stand-in for the picture in the strip.
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::black);
    painter.setBrush(QColor(255, 240, 120));
    painter.drawEllipse(QRect(area.left() + 10 + 8, area.top() + 10, 24, 24));
    painter.fillRect(QRect(area.left() + 10 + 14, area.top() + 34, 12, 8), Qt::gray);
    QFont heading(QStringLiteral("Times"));
    heading.setPixelSize(20);
    heading.setWeight(QFont::Bold);
    painter.setFont(heading);
    painter.setPen(Qt::black);
    const QRect band(strip.right() + 8, area.top(), area.right() - strip.right() - 8, kBandHeight);
    painter.drawText(band, Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Did you know..."));
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawLine(strip.right() + 1, area.top() + kBandHeight, area.right() - 1,
                     area.top() + kBandHeight);
    painter.setPen(palette().color(QPalette::Light));
    painter.drawLine(strip.right() + 1, area.top() + kBandHeight + 1, area.right() - 1,
                     area.top() + kBandHeight + 1);
}

} // namespace rz
