// Before Qt, whose "emit" macro the fake port's member would meet.
#include "tests/support/fake_midi_out.h"

#include "views/track/track_view.h"

#include "core/color.h"
#include "res/command_ids.h"
#include "song/undo_record.h"
#include "ui/color_ref.h"
#include "ui/command_router.h"
#include "ui/in_place_edit.h"
#include "ui/key_filter.h"
#include "ui/profile.h"
#include "tests/views/track/track_view_fixture.h"

#include <QApplication>
#include <QDir>
#include <QHeaderView>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

namespace rz::test {
namespace {

// A song of five tracks with a shown track list as its rows.
class TrackViewWidget : public testing::Test {
protected:
    TrackViewWidget()
    {
        TrackViewContext context;
        context.profile = &fixture.profile;
        context.host = &fixture.host;
        context.keys = &keys;
        context.router = &router;
        context.setHeaderZoom = [this](int zoom) { fixture.host.headerZoomIndex = zoom; };
        view = std::make_unique<TrackView>(context, false);
        SongContext songContext = fixture.context();
        songContext.trackRows = view.get();
        song = std::make_unique<CSongDoc>(songContext);
        song->InitNewSong();
        for (int i = 1; i <= 5; ++i)
            addUserTrack(*song).name = "T" + std::to_string(i);
        view->resize(900, 400);
        view->attach(*song);
        view->initialUpdate();
        view->show();
        view->activateWindow();
        view->setFocus();
        QApplication::processEvents();
    }

    int positionOf(int column) const { return view->columns().positionOf(column); }
    QPoint cellCentre(int row, int column) const { return view->cellRect(row, positionOf(column)).center(); }
    CTrack& track(int row) { return *song->tracks[size_t(row)]; }
    size_t steps() const { return song->undoList.size(); }
    QImage picture() const { return view->grab().toImage(); }

    SongFixture fixture;
    CommandRouter router;
    KeyFilter keys{router};
    std::unique_ptr<TrackView> view;
    std::unique_ptr<CSongDoc> song;
};

TEST_F(TrackViewWidget, AKeyInTheChannelCellOpensTheEditorAndDownCommits)
{
    QTest::mouseClick(view.get(), Qt::LeftButton, {}, cellCentre(2, kColumnChannel));
    ASSERT_TRUE(view->selection().cellMode());
    QTest::keyClick(view.get(), Qt::Key_5, Qt::NoModifier);
    ASSERT_TRUE(view->editor().isVisible());
    EXPECT_EQ(view->editor().text(), "5");
    EXPECT_TRUE(keys.inPlaceEditOpen()) << "accelerators are off while it is open";

    QTest::keyClick(&view->editor(), Qt::Key_Down);
    QApplication::processEvents();
    EXPECT_FALSE(view->editor().isVisible());
    EXPECT_FALSE(keys.inPlaceEditOpen());
    EXPECT_EQ(track(2).channel, 4);
    EXPECT_EQ(view->currentRow(), 3);
    ASSERT_EQ(steps(), 1u);
    EXPECT_EQ(song->undoList.back()->label, "Change Track Property");
}

// Enter, or a double click, on a cell opens its editor holding what the
// cell shows, ready to be changed rather than typed anew.
TEST_F(TrackViewWidget, EnterOrADoubleClickOpensTheEditorOnTheCellsText)
{
    QTest::mouseClick(view.get(), Qt::LeftButton, {}, cellCentre(2, kColumnTrack));
    ASSERT_TRUE(view->selection().cellMode());
    QTest::keyClick(view.get(), Qt::Key_Return);
    ASSERT_TRUE(view->editor().isVisible());
    EXPECT_EQ(view->editor().text(), "T2");
    QTest::keyClick(&view->editor(), Qt::Key_Escape);
    QApplication::processEvents();
    ASSERT_FALSE(view->editor().isVisible());

    QTest::mouseClick(view.get(), Qt::LeftButton, {}, cellCentre(3, kColumnTrack));
    QTest::mouseDClick(view.get(), Qt::LeftButton, {}, cellCentre(3, kColumnTrack));
    ASSERT_TRUE(view->editor().isVisible());
    EXPECT_EQ(view->editor().text(), "T3");
    QTest::keyClicks(&view->editor(), "x");
    QTest::keyClick(&view->editor(), Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(track(3).name, "T3x");
}

TEST_F(TrackViewWidget, EscapeDiscardsTheTypedText)
{
    QTest::mouseClick(view.get(), Qt::LeftButton, {}, cellCentre(3, kColumnKey));
    QTest::keyClick(view.get(), Qt::Key_7, Qt::NoModifier);
    ASSERT_TRUE(view->editor().isVisible());
    QTest::keyClick(&view->editor(), Qt::Key_Escape);
    QApplication::processEvents();
    EXPECT_FALSE(view->editor().isVisible());
    EXPECT_EQ(track(3).key, 0);
    EXPECT_EQ(steps(), 0u);
    EXPECT_EQ(view->currentRow(), 3);
}

TEST_F(TrackViewWidget, OpeningTheEditorFiresAPendingNotifyAtOnce)
{
    QTest::mouseClick(view.get(), Qt::LeftButton, {}, cellCentre(4, kColumnTrack));
    ASSERT_TRUE(view->selection().notifyPending());
    const size_t before = fixture.host.log.count("updateSongViews");
    QTest::keyClick(view.get(), Qt::Key_A, Qt::NoModifier);
    EXPECT_FALSE(view->selection().notifyPending());
    EXPECT_EQ(fixture.host.log.count("updateSongViews"), before + 1);
}

TEST_F(TrackViewWidget, APressOnTheGrooveMovesTheMixAndLeavesOneStep)
{
    FakeMidiOut port;
    port.channels[0].unscaledVolume = 100;
    track(1).outputPort = &port;
    const QRect cell = view->cellRect(1, positionOf(kColumnMix));
    ASSERT_GE(cell.width(), 36);
    const QPoint groove(cell.left() + 12, cell.center().y()); // left of the knob at 100 %
    QTest::mousePress(view.get(), Qt::LeftButton, {}, groove);
    EXPECT_TRUE(view->mixDragging());
    EXPECT_LT(track(1).volume, 100) << "the knob jumped to the press";
    ASSERT_FALSE(port.wire.empty()) << "controller 7 goes out during the drag";
    EXPECT_EQ(port.wire.back() & 0xFFFF, 0x07B0u);
    EXPECT_TRUE(fixture.host.log.calls().back().starts_with("SetStatusText(Mix="));
    QTest::mouseMove(view.get(), groove + QPoint(4, 0));
    const int dragged = track(1).volume;
    QTest::mouseRelease(view.get(), Qt::LeftButton, {}, groove + QPoint(4, 0));
    EXPECT_FALSE(view->mixDragging());
    EXPECT_EQ(track(1).volume, dragged);
    ASSERT_EQ(steps(), 1u);
    EXPECT_EQ(song->undoList.back()->label, "Change Track Property");
    song->Undo();
    EXPECT_EQ(track(1).volume, 100);
}

TEST_F(TrackViewWidget, WhilePlayingAMixDragChangesLiveWithoutAStep)
{
    fixture.host.current = song.get();
    fixture.engine.state = TransportState::Playing;
    const QRect cell = view->cellRect(2, positionOf(kColumnMix));
    const QPoint groove(cell.left() + 12, cell.center().y());
    QTest::mousePress(view.get(), Qt::LeftButton, {}, groove);
    QTest::mouseRelease(view.get(), Qt::LeftButton, {}, groove);
    EXPECT_LT(track(2).volume, 100);
    EXPECT_EQ(steps(), 0u);
    EXPECT_EQ(fixture.engine.log.count("Play"), 1u) << "one restart";
}

TEST_F(TrackViewWidget, AMixDragEndsWhenItsColumnGetsTooNarrow)
{
    const QRect cell = view->cellRect(1, positionOf(kColumnMix));
    const QPoint groove(cell.left() + 12, cell.center().y());
    QTest::mousePress(view.get(), Qt::LeftButton, {}, groove);
    ASSERT_TRUE(view->mixDragging());
    auto* header = view->findChild<QHeaderView*>();
    ASSERT_NE(header, nullptr);
    header->resizeSection(kColumnMix, 30);
    EXPECT_LT(view->cellRect(1, positionOf(kColumnMix)).width(), 36);
    QTest::mouseMove(view.get(), groove + QPoint(20, 0));
    EXPECT_FALSE(view->mixDragging());
    EXPECT_EQ(steps(), 1u) << "the value reached so far is kept as one step";
}

TEST_F(TrackViewWidget, TheInBoxTogglesThePlayFlag)
{
    QTest::mouseClick(view.get(), Qt::LeftButton, {}, view->cellRect(2, positionOf(kColumnIn)).topLeft() + QPoint(5, 5));
    EXPECT_EQ(track(2).playEnabled, 0);
    EXPECT_EQ(steps(), 1u);
}

TEST_F(TrackViewWidget, PaintsTheSelectedRowTheInBoxAndTheStarRow)
{
    view->SelectRow(2, true);
    view->selection().RefreshSelection();
    track(4).volume = 150;
    QApplication::processEvents();
    const QImage image = picture();
    image.save(QDir::current().filePath("track_view.png"));

    // The selected row is lighter in its middle than at its edge, in the view's base colours.
    const QRect selected = view->cellRect(2, positionOf(kColumnTrack));
    const QRect plain = view->cellRect(3, positionOf(kColumnTrack));
    const int x = selected.right() - 4;
    const QColor middle = image.pixelColor(x, selected.center().y());
    EXPECT_GT(middle.lightness(), image.pixelColor(x, selected.top()).lightness());
    EXPECT_NE(middle, image.pixelColor(x, plain.center().y()));
    EXPECT_LT(middle.red(), middle.blue()) << "the focused base colour is blue";

    // Mix 150 fills the groove orange.
    const QRect mix = view->cellRect(4, positionOf(kColumnMix));
    EXPECT_EQ(image.pixelColor(mix.left() + 30, mix.top() + mix.height() / 3 + 4), QColor(239, 128, 33));

    // The "in" box is white inside, with a check where the track plays.
    const QRect in = view->cellRect(3, positionOf(kColumnIn));
    const QRect box(in.left(), in.top() + (in.height() - std::min(in.height(), 13)) / 2, 13, std::min(in.height(), 13));
    EXPECT_EQ(image.pixelColor(box.left() + 2, box.top() + 2), QColor(Qt::white));
    bool dark = false;
    for (int y = box.top() + 2; y < box.bottom() - 1; ++y)
        for (int px = box.left() + 2; px < box.right() - 1; ++px)
            dark = dark || image.pixelColor(px, y).lightness() < 80;
    EXPECT_TRUE(dark) << "the check mark";

    // The star row's number cell carries a light "*" on the dark base.
    const int last = view->selection().rowCount() - 1;
    const QRect number(0, view->cellRect(last, 0).top(), view->rowLayout().numberWidth - 1, view->rowLayout().rowHeight);
    bool light = false;
    for (int y = number.top() + 2; y < number.bottom() - 1; ++y)
        for (int px = number.center().x(); px < number.right() - 2; ++px)
            light = light || image.pixelColor(px, y).lightness() > 200;
    EXPECT_TRUE(light);
}

TEST_F(TrackViewWidget, PerformanceModeShowsInFirstAndWritesTheUsersOrder)
{
    view->enterPerformanceMode();
    EXPECT_EQ(view->columns().columnAt(0), kColumnIn);
    EXPECT_EQ(view->cellRect(1, 0).left(), view->rowLayout().numberWidth);
    view.reset(); // a close in performance mode
    EXPECT_EQ(fixture.profile.readString("TrackView", "ColumnOrder", ""), "abcdefghijklmno");
}

TEST(TrackViewProfile, ColumnsSurviveTheSettingsFile)
{
    const std::filesystem::path ini = std::filesystem::path(qPrintable(QDir::homePath())) / "columns.ini";
    TrackColumns columns;
    columns.setBaseWidth(kColumnIn, 20);      // a control character
    columns.setBaseWidth(kColumnTrack, 500);  // beyond one ASCII byte
    ASSERT_TRUE(columns.moveColumn(3, 0));
    {
        Profile profile(ini);
        columns.write(profile);
    }
    Profile profile(ini);
    TrackColumns back;
    back.read(profile);
    EXPECT_EQ(back.baseWidth(kColumnIn), 20);
    EXPECT_EQ(back.baseWidth(kColumnTrack), 500);
    EXPECT_EQ(back.order(), columns.order());
}

TEST_F(TrackViewWidget, ClosingWithTheEditorOpenAppliesNothing)
{
    QTest::mouseClick(view.get(), Qt::LeftButton, {}, cellCentre(2, kColumnTrack));
    QTest::keyClick(view.get(), Qt::Key_X, Qt::NoModifier);
    ASSERT_TRUE(view->editor().hasFocus());
    view.reset();
    EXPECT_EQ(track(2).name, "T2");
    EXPECT_EQ(steps(), 0u);
}

TEST_F(TrackViewWidget, HeaderFontZoomStopsAt7AndRowZoomAt0)
{
    fixture.host.headerZoomIndex = 6;
    CmdUi ui;
    view->handle(kIdLargerHeaderFont);
    EXPECT_EQ(fixture.host.headerZoomIndex, 7);
    EXPECT_EQ(view->rowLayout().headerHeight, 36);
    view->CommandTable<TrackView>::update(kIdLargerHeaderFont, ui);
    EXPECT_FALSE(ui.enabled);
    view->handle(kIdLargerHeaderFont);
    EXPECT_EQ(fixture.host.headerZoomIndex, 7);
    fixture.host.headerZoomIndex = 10; // a stored value beyond the buttons' reach stays
    view->handle(kIdLargerHeaderFont);
    EXPECT_EQ(fixture.host.headerZoomIndex, 10);

    fixture.host.laneZoomIndex = 0;
    view->handle(kIdZoomOutControllerScale);
    EXPECT_EQ(fixture.host.laneZoomIndex, 0);
    view->handle(kIdZoomInControllerScale);
    EXPECT_EQ(fixture.host.laneZoomIndex, 1);
    EXPECT_EQ(view->rowLayout().rowHeight, 80 * 14 / 100);
}

TEST_F(TrackViewWidget, SoloFromTheCommandTablePlaysTheSelectedRows)
{
    view->SelectRow(3, true);
    CmdUi ui;
    ASSERT_TRUE(view->CommandTable<TrackView>::update(kIdSolo, ui));
    EXPECT_TRUE(ui.enabled);
    EXPECT_TRUE(view->handle(kIdSolo));
    EXPECT_EQ(track(3).playEnabled, 1);
    EXPECT_EQ(track(1).playEnabled, 0);
    EXPECT_TRUE(view->handle(kIdUnsolo));
    EXPECT_EQ(track(1).playEnabled, 1);
}

} // namespace
} // namespace rz::test

namespace rz::test {
namespace {

std::vector<std::string> trackNames(const CSongDoc& song)
{
    std::vector<std::string> out;
    for (size_t row = 1; row + 1 < song.tracks.size(); ++row)
        out.push_back(song.tracks[row]->name);
    return out;
}

TEST_F(TrackViewWidget, EditDeleteRemovesTheSelectedRowsInOneStep)
{
    view->SelectRow(2, true);
    view->SelectRow(4, false);
    CmdUi ui;
    ASSERT_TRUE(view->CommandTable<TrackView>::update(kIdDelete, ui));
    EXPECT_TRUE(ui.enabled);
    const size_t before = steps();
    EXPECT_TRUE(view->handle(kIdDelete));
    EXPECT_EQ(trackNames(*song), (std::vector<std::string>{"T1", "T3", "T5"}));
    ASSERT_EQ(steps(), before + 1);
    EXPECT_EQ(song->undoList.back()->label, "Delete Tracks");
}

TEST_F(TrackViewWidget, AHeaderDoubleClickSortsUnlessTheTransportPlays)
{
    track(1).name = "b";
    track(2).name = "A";
    track(3).name = "a";
    track(4).name = "c";
    track(5).name = "B";
    auto* header = view->findChild<QHeaderView*>();
    ASSERT_NE(header, nullptr);
    const QPoint at(header->sectionViewportPosition(kColumnTrack) + header->sectionSize(kColumnTrack) / 2,
                    header->height() / 2);
    fixture.engine.state = TransportState::Playing;
    QTest::mouseDClick(header->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    EXPECT_EQ(trackNames(*song), (std::vector<std::string>{"b", "A", "a", "c", "B"})) << "refused while playing";
    fixture.engine.state = TransportState::Stopped;
    QTest::mouseDClick(header->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    EXPECT_EQ(trackNames(*song), (std::vector<std::string>{"A", "B", "a", "b", "c"}));
    EXPECT_EQ(song->undoList.back()->label, "Sort Tracks");
}

} // namespace
} // namespace rz::test
