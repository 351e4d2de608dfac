#include "app/main_frame.h"
#include "app/spectrum_display.h"
#include "app/transport_panel.h"
#include "app/transport_staff.h"
#include "app_test_fixture.h"
#include "core/profile.h"
#include "staff/symbols/music_font.h"
#include "recording_frame_host.h"
#include "ui/bitmap_catalog.h"
#include "ui/bitmap_push_button.h"
#include "ui/command_router.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QPainter>
#include <QScreen>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <functional>
#include <vector>

namespace rz {
namespace {

const QColor kText(133, 203, 224);

PanelState sampleState(int mode)
{
    PanelState s;
    s.mode = mode;
    s.title = "Autumn Leaves";
    s.stateIcon = bitmap_id::kPlaying;
    s.position = "12A.3.045";
    s.elapsed = "0:01:23:12";
    s.remaining = "0:02:41:03";
    s.setElapsed = "0:21:07:00";
    s.setRemaining = "0:48:12:20";
    s.measureField = "12A";
    s.tempo = "x 1.050 = 126.0 bpm";
    s.skip = "(+2)";
    s.beatDigit = 8;
    s.measure.key = 2;
    s.measure.setMeter(3, 2);
    s.marker = true;
    return s;
}

bool nearText(QColor c)
{
    return std::abs(c.red() - kText.red()) < 40 && std::abs(c.green() - kText.green()) < 40
           && std::abs(c.blue() - kText.blue()) < 40;
}

// Pixels of about the text colour inside a panel-relative rectangle.
int textPixels(const QImage& panel, QRect rect)
{
    int n = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x)
            n += nearText(panel.pixelColor(x, y));
    return n;
}

const MusicFont& musicFont()
{
    static const std::unique_ptr<MusicFont> font = MusicFont::load();
    return *font;
}

// The rows of the staff field lit at its right end: the staff lines.
std::vector<int> staffLineRows(const QImage& panel)
{
    const QRect staff = TransportPanel::kStaffRect;
    std::vector<int> rows;
    for (int y = staff.top(); y <= staff.bottom(); ++y)
        if (nearText(panel.pixelColor(staff.right() - 1, y)))
            rows.push_back(y);
    return rows;
}

// The ink boxes of the staff field's symbols, left to right: runs of
// columns lit off the staff lines.
std::vector<QRect> staffSymbols(const QImage& panel)
{
    const QRect staff = TransportPanel::kStaffRect;
    const std::vector<int> lines = staffLineRows(panel);
    const auto onLine = [&lines](int y) {
        return std::find(lines.begin(), lines.end(), y) != lines.end();
    };
    std::vector<QRect> symbols;
    QRect current;
    for (int x = staff.left(); x <= staff.right(); ++x) {
        QRect column;
        for (int y = staff.top(); y <= staff.bottom(); ++y)
            if (!onLine(y) && nearText(panel.pixelColor(x, y)))
                column |= QRect(x, y, 1, 1);
        if (column.isNull()) {
            if (!current.isNull())
                symbols.push_back(current);
            current = QRect();
        } else {
            current |= column;
        }
    }
    if (!current.isNull())
        symbols.push_back(current);
    return symbols;
}

class TransportPanelTest : public testing::Test {
protected:
    TransportPanelTest()
    {
        frame = std::make_unique<MainFrame>(profile, router, host);
        frame->setGeometry(0, 0, 1000, 700);
        frame->setPanelPainter([this](QPainter& p, const QRect& rect) {
            panel.paint(p, rect, state, spectrum);
        });
        frame->show();
        QApplication::processEvents();
    }

    QImage shot(const PanelState& shown)
    {
        state = shown;
        const bool transpose = shown.mode == 0;
        frame->button(MainFrame::Button::TransposeUp)->setVisible(transpose);
        frame->button(MainFrame::Button::TransposeDown)->setVisible(transpose);
        QApplication::processEvents();
        return frame->grab().toImage().copy(frame->panelRect());
    }

    MemoryProfile profile;
    CommandRouter router;
    RecordingFrameHost host;
    TransportPanel panel;
    SpectrumDisplay spectrum;
    PanelState state;
    std::unique_ptr<MainFrame> frame;
};

TEST_F(TransportPanelTest, EachModeDrawsItsFields)
{
    spectrum.moveMarker(0.5);
    panel.setStaffHeaderPainter(transportStaffHeader(musicFont()));
    const QImage meter = shot(sampleState(0));
    // Five staff lines a quarter of the staff apart, clear of the key and meter.
    for (int line = 0; line < 5; ++line)
        EXPECT_EQ(meter.pixelColor(95, 41 + std::lround(line * 6.75)), kText) << line;
    EXPECT_NE(meter.pixelColor(95, 44), kText);
    EXPECT_GT(textPixels(meter, {112, 30, 130, 48}), 60);  // position, elapsed, remaining
    EXPECT_GT(textPixels(meter, {268, 8, 180, 18}), 40);   // tempo
    EXPECT_GT(textPixels(meter, {14, 9, 204, 18}), 40);    // title
    EXPECT_EQ(meter.pixelColor(296 + 48, 28 + 62), kText); // the 8's middle bar
    EXPECT_EQ(meter.pixelColor(404 + 6, 29 + 6), QColor(255, 240, 14)); // the marker, top

    PanelState sets = sampleState(1);
    sets.spectrum = true;
    sets.marker = false;
    spectrum.step(std::array<int, 19>{200, 200, 200, 150, 100, 80, 60, 40, 30, 20,
                                      10, 5, 0, 0, 0, 0, 0, 0, 0});
    const QImage setTimes = shot(sets);
    EXPECT_NE(setTimes.pixelColor(95, 41), kText); // no staff
    EXPECT_GT(textPixels(setTimes, {12, 34, 98, 38}), 60);
    EXPECT_NE(setTimes.pixelColor(288 + 2, 33 + 100), QColor(Qt::black)); // a bar
    EXPECT_EQ(setTimes.pixelColor(288 + 7, 33 + 100), QColor(Qt::black)); // between bars
    EXPECT_EQ(setTimes.pixelColor(288 + 150, 33 + 5), QColor(Qt::black)); // a quiet band

    const QImage large = shot(sampleState(2));
    EXPECT_GT(textPixels(large, {12, 28, 230, 38}), 200);
    EXPECT_GT(textPixels(large, {12, 66, 230, 36}), 200);
    EXPECT_FALSE(frame->button(MainFrame::Button::TransposeUp)->isVisible());

    QImage sheet(meter.width(), meter.height() * 3, QImage::Format_RGB32);
    QPainter p(&sheet);
    p.drawImage(0, 0, meter);
    p.drawImage(0, meter.height(), setTimes);
    p.drawImage(0, 2 * meter.height(), large);
    p.end();
    const QString path = QDir::current().filePath("panel.png");
    EXPECT_TRUE(sheet.save(path)) << path.toStdString();
}

TEST_F(TransportPanelTest, ARefreshRepaintsOnlyTheFieldsThatChanged)
{
    PanelState now = sampleState(0);
    EXPECT_EQ(panel.changedRegion(now).boundingRect(), QRect(0, 0, 468, 212));
    EXPECT_TRUE(panel.changedRegion(now).isEmpty());
    now.tempo = "x 1.100 = 132.0 bpm";
    EXPECT_EQ(panel.changedRegion(now).boundingRect(), QRect(268, 8, 180, 18));
    now.beatDigit = 3;
    now.position = "12A.4.000";
    const QRegion both = panel.changedRegion(now);
    EXPECT_TRUE(both.contains(TransportPanel::kBeatDigitRect));
    EXPECT_TRUE(both.contains(QRect(112, 30, 130, 16)));
    EXPECT_FALSE(both.contains(QRect(14, 9, 204, 18)));
    now.mode = 2;
    EXPECT_EQ(panel.changedRegion(now).boundingRect(), QRect(0, 0, 468, 212));
}

// Counts the frame's paint events.
class PaintEvents : public QObject {
public:
    explicit PaintEvents(QWidget& widget) { widget.installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* event) override
    {
        count += event->type() == QEvent::Paint;
        return false;
    }
    int count = 0;
};

// Runs events until `done`, for at most five seconds.
bool processEventsUntil(const std::function<bool()>& done)
{
    QElapsedTimer waited;
    waited.start();
    while (!done() && waited.elapsed() < 5000)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    return done();
}

// The frame as its window shows it: the offscreen platform keeps the window's
// pixels, partial repaints included (grab() would paint everything afresh).
QImage onScreen(QWidget& widget, QRect rect)
{
    const QImage shown = widget.screen()->grabWindow(widget.winId()).toImage();
    const qreal ratio = shown.devicePixelRatio();
    return shown.copy(QRectF(QRectF(rect).topLeft() * ratio, QRectF(rect).size() * ratio).toAlignedRect());
}

TEST_F(TransportPanelTest, AChangedFieldRepaintsItsOwnRectangleWithItsNewValue)
{
    int panelPaints = 0;
    QRect panelClip;
    frame->setPanelPainter([&](QPainter& p, const QRect& rect) {
        ++panelPaints;
        panelClip = p.clipBoundingRect().toAlignedRect();
        panel.paint(p, rect, state, spectrum);
    });
    PaintEvents paints(*frame);
    state = sampleState(0);
    panel.changedRegion(state);
    frame->QWidget::update();
    ASSERT_TRUE(processEventsUntil([&] { return panelPaints > 0; }));
    const QRect tempo = QRect(268, 8, 180, 18).translated(frame->panelRect().topLeft());
    const QRect title = QRect(14, 9, 204, 18).translated(frame->panelRect().topLeft());
    const QImage tempoBefore = onScreen(*frame, tempo);
    const QImage titleBefore = onScreen(*frame, title);

    // The caption's repaint leaves the panel alone.
    panelPaints = 0;
    const int before = paints.count;
    frame->QWidget::update(frame->captionRect());
    ASSERT_TRUE(processEventsUntil([&] { return paints.count > before; }));
    EXPECT_EQ(panelPaints, 0);

    PanelState now = state;
    now.tempo = "x 0.500 = 60.0 bpm";
    const QRegion changed = panel.changedRegion(now).translated(frame->panelRect().topLeft());
    state = now;
    frame->QWidget::update(changed);
    ASSERT_TRUE(processEventsUntil([&] { return panelPaints > 0; }));
    // Opaque children over the field take their part out of the region.
    EXPECT_TRUE(!panelClip.isEmpty() && tempo.contains(panelClip))
        << "only the tempo field is painted, not " << panelClip.x() << "," << panelClip.y() << " "
        << panelClip.width() << "x" << panelClip.height();
    const QImage tempoAfter = onScreen(*frame, tempo);
    EXPECT_NE(tempoAfter, tempoBefore) << "the new value shows";
    const QImage fresh = frame->grab().toImage();
    EXPECT_EQ(tempoAfter, fresh.copy(QRectF(QRectF(tempo).topLeft() * fresh.devicePixelRatio(),
                                            QRectF(tempo).size() * fresh.devicePixelRatio())
                                         .toAlignedRect()))
        << "as a whole repaint draws it";
    EXPECT_EQ(onScreen(*frame, title), titleBefore);
}

TEST_F(TransportPanelTest, AStaffHeaderHookReplacesThePlainStaff)
{
    int calls = 0;
    panel.setStaffHeaderPainter([&calls](QPainter&, const QRect& area, const MeasureRec& m) {
        ++calls;
        EXPECT_EQ(m.numerator, 3);
        EXPECT_EQ(area, TransportPanel::kStaffRect);
    });
    const QImage image = shot(sampleState(0));
    EXPECT_GT(calls, 0);
    EXPECT_NE(image.pixelColor(95, 41), kText);
}

// The program's own staff: the music font's treble clef with its curl
// round the G line and D major's first sharp centred on the top line.
class TransportPanelApp : public AppFixture {};

TEST_F(TransportPanelApp, TheStaffShowsTheClefAndKeyOnTheirLines)
{
    start();
    CSongDoc& song = addSong("Blue");
    song.measureMap.at(0).key = 2;
    app->SetCurrentSong(&song);
    ASSERT_EQ(app->transport().panelState().mode, 0);
    app->frame()->setGeometry(0, 0, 1000, 700);
    const QImage panel = app->frame()->grab().toImage().copy(app->frame()->panelRect());

    const MusicFont& font = musicFont();
    ASSERT_TRUE(font.ok()) << font.message().toStdString();
    const std::vector<int> lines = staffLineRows(panel);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_NEAR(lines[4] - lines[0], kTransportStaffPixels, 1);
    const std::vector<QRect> symbols = staffSymbols(panel);
    ASSERT_GE(symbols.size(), 4u); // clef, two sharps, the common-time sign

    const QRect clef = symbols[0];
    const QRectF clefInk = font.bounds(MusicGlyph::ClefG, kTransportStaffPixels);
    EXPECT_NEAR(clef.height(), clefInk.height(), 2);
    EXPECT_NEAR(clef.width(), clefInk.width(), 2);
    EXPECT_NEAR(clef.top(), lines[3] + clefInk.top(), 2); // origin on the G line
    EXPECT_NEAR(clef.bottom(), lines[3] + clefInk.bottom(), 2);

    const QRect sharp = symbols[1];
    const QRectF sharpInk = font.bounds(MusicGlyph::Sharp, kTransportStaffPixels);
    EXPECT_NEAR(sharp.height(), sharpInk.height(), 2);
    EXPECT_NEAR((sharp.top() + sharp.bottom()) / 2.0, lines[0], 1.5);
    // The second sharp, C, sits in the third space: lower than the first.
    EXPECT_GT(symbols[2].top(), sharp.top() + 3);
}

} // namespace
} // namespace rz
