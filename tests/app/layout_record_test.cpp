#include "app_test_fixture.h"

#include "core/layout_record.h"
#include "core/track_rows.h"

#include <QGuiApplication>
#include <QScreen>

#include <set>

namespace rz {
namespace {

TEST(LayoutRecordText, SelectedRowsZeroTwoAndFiveAreStoredAs37)
{
    EXPECT_EQ(trackRowMask({0, 2, 5}), 37);
    EXPECT_EQ(trackRowMask({31, 40, -1}), 0) << "rows past 30 are not kept";
    LayoutRecord record;
    record.mainWindow = LayoutPlacement{kShowMaximized, 10, 20, 810, 620};
    record.trackRows = 37;
    record.editor = LayoutEditor{3, 4};
    record.controller = LayoutController{11, 176, 7};
    record.xZoom = 8;
    record.yZoom = 10;
    record.fZoom = 0;
    record.extraWindows = std::vector<LayoutExtraWindow>{{0, {1, 0, 0, 640, 480}, 24}};
    const std::string text = FormatLayoutRecord(record);
    EXPECT_EQ(text, "@DR;21;3,10,20,810,620;37;3,4;11,176,7;8;10;0;1;0,1,0,0,640,480,24");
    EXPECT_EQ(ParseLayoutRecord(text), record);
}

// Untrusted texts: only the groups that parse whole, with kinds the record
// may name, apply.
TEST(LayoutRecordText, OnlyTheValidPartOfABadRecordApplies)
{
    struct Case {
        const char* text;
        bool parses;
        bool mainWindow, rows, editor, controller, xZoom;
        int extraWindows; // -1: absent
    };
    const Case cases[] = {
        {"@DR;21", false, false, false, false, false, false, -1},
        {"@DR;22;1,0,0,9,9", false, false, false, false, false, false, -1},
        {"xx@DR;21;1,0,0,9,9", false, false, false, false, false, false, -1},
        {"@DR;21;1,0,0,9,9;37;3,4;10,0,0;3;2;2;0", true, true, true, true, true, true, 0},
        {"@DR;21;1,0,x,9,9;37", true, false, true, false, false, false, -1},
        {"@DR;21;1,0,0,9;abc;666,0;333,0,0;9", true, false, false, false, false, false, -1},
        {"@DR;21;1,0,0,9,9,9;-5;9,0;13,0,0;-1", true, false, true, false, false, false, -1},
        {"@DR;21;;;3;10,0;99999999999", true, false, false, false, false, false, -1},
        {"@DR;21;;;;;;;;99999999", true, false, false, false, false, false, 0},
        {"@DR;21;;;;;;;;2;0,1,0,0,9,9,1;7,1,0,0,9,9,1", true, false, false, false, false, false, 1},
        {"@DR;21;;;;;;;;-3;0,1,0,0,9,9,1", true, false, false, false, false, false, -1},
        {"@DR;21;\xff\xfe;\x80;3,4\xc3", true, false, false, false, false, false, -1},
    };
    for (const Case& c : cases) {
        const auto record = ParseLayoutRecord(c.text);
        ASSERT_EQ(record.has_value(), c.parses) << c.text;
        if (!record)
            continue;
        EXPECT_EQ(record->mainWindow.has_value(), c.mainWindow) << c.text;
        EXPECT_EQ(record->trackRows.has_value(), c.rows) << c.text;
        EXPECT_EQ(record->editor.has_value(), c.editor) << c.text;
        EXPECT_EQ(record->controller.has_value(), c.controller) << c.text;
        EXPECT_EQ(record->xZoom.has_value(), c.xZoom) << c.text;
        EXPECT_EQ(record->extraWindows ? int(record->extraWindows->size()) : -1, c.extraWindows)
            << c.text;
    }
}

TEST(LayoutRecordText, AHugeWindowCountOpensAtMostEightWindows)
{
    std::string text = "@DR;21;;;;;;;;1000";
    for (int i = 0; i < 20; ++i)
        text += ";0,1,0,0,640,480,24";
    const auto record = ParseLayoutRecord(text);
    ASSERT_TRUE(record && record->extraWindows);
    EXPECT_EQ(record->extraWindows->size(), kMaxLayoutExtraWindows);
}

// The track view's row selection as the layout needs it.
class RowsView : public RecordingView, public ITrackRows {
public:
    using RecordingView::RecordingView;
    int currentRow() const override { return 0; }
    bool currentRowMode() const override { return rows.empty(); }
    void SelectNone() override { rows.clear(); }
    void SetCurrentRow(int) override {} // the record keeps the selection, not the row
    void SelectRow(int row, bool clearOthers) override
    {
        if (clearOthers)
            rows.clear();
        rows.insert(row);
    }
    bool IsRowSelected(int row) const override { return rows.contains(row); }
    int GetSelectedCount() const override { return int(rows.size()); }
    int GetFirstSelected() const override { return rows.empty() ? -1 : *rows.begin(); }
    int GetNextSelected(int row) const override
    {
        const auto next = rows.upper_bound(row);
        return next == rows.end() ? -1 : *next;
    }
    void SyncRowCount() override {} // the rows above are all there is
    int topRow() const override { return 0; }
    void setTopRow(int) override {}
    int secondBandHeight() const override { return 0; }
    void stepCurrentRow(int) override {}

    std::set<int> rows;
};

class LayoutRecordWindows : public AppFixture {
protected:
    void startWithViews()
    {
        viewFactory.registerView(ViewKind::Track, [this](const ViewRequest& request) {
            return new RowsView("track", log, request.parent);
        });
        registerView(ViewKind::Staff, "staff");
        registerView(ViewKind::Lyric, "lyric");
        registerView(ViewKind::Tempo, "tempo");
        start();
        song = &addSong("A");
        app->SetCurrentSong(song);
    }

    RowsView& track() { return *static_cast<RowsView*>(app->views().slot(ViewSlots::kTrack)); }

    CSongDoc* song = nullptr;
};

TEST_F(LayoutRecordWindows, RowsZeroTwoAndFiveComeBackAsTheSameRows)
{
    startWithViews();
    track().rows = {0, 2, 5};
    std::string text;
    app->layout().SnapshotLayout(text);
    ASSERT_EQ(ParseLayoutRecord(text)->trackRows, 37) << text;
    track().rows = {1};
    app->layout().RestoreLayout(text);
    EXPECT_EQ(track().rows, (std::set<int>{0, 2, 5}));

    track().rows = {0, 31};
    app->layout().SnapshotLayout(text);
    EXPECT_EQ(ParseLayoutRecord(text)->trackRows, 1) << "row 31 would make the mask negative";
}

TEST_F(LayoutRecordWindows, ViewsAndValuesComeBack)
{
    startWithViews();
    app->frame()->timers().fire(3);
    app->frame()->timers().fire(10);
    static_cast<RecordingView*>(app->views().slot(ViewSlots::kStaff))->values = {140, 0};
    static_cast<RecordingView*>(app->views().slot(ViewSlots::kTempo))->values = {3, 250};
    app->frame()->timers().fire(25);
    app->views().extraWindows()[0].view->setLayoutValues({36, 0});
    std::string text;
    app->layout().SnapshotLayout(text);

    app->layout().RestoreLayout("@DR;21;;;6,0;12,0,0");
    ASSERT_NE(app->views().slot(ViewSlots::kTempo), nullptr) << "nobody makes slider views: the tempo view stays";
    created.clear();
    app->layout().RestoreLayout(text);
    EXPECT_EQ(created["staff"], 1);
    EXPECT_EQ(app->views().editorKind(), 3);
    EXPECT_EQ(static_cast<RecordingView*>(app->views().slot(ViewSlots::kStaff))->values[0], 140);
    EXPECT_EQ(app->views().slot(ViewSlots::kTempo)->layoutValues(), (std::array<int32_t, 2>{3, 250}));
    EXPECT_EQ(created["lyric"], 0) << "the same torn-off windows are kept";
    EXPECT_EQ(app->views().extraWindows()[0].view->layoutValues()[0], 36);
}

TEST_F(LayoutRecordWindows, OtherTornOffKindsRecreateEveryWindow)
{
    startWithViews();
    app->frame()->timers().fire(25);
    const QPointer<SongView> old = app->views().extraWindows()[0].view;
    app->layout().RestoreLayout("@DR;21;;;;;;;;2;1,1,100,100,500,400,7;0,1,0,0,640,480,30");
    EXPECT_TRUE(old.isNull());
    ASSERT_EQ(app->views().extraWindows().size(), 2u);
    EXPECT_EQ(app->views().extraWindows()[0].kind, ViewSlots::kExtraStaff);
    EXPECT_EQ(app->views().extraWindows()[0].view->geometry(), QRect(100, 100, 400, 300));
    EXPECT_EQ(app->views().extraWindows()[1].view->layoutValues()[0], 30);
}

// A song file cannot start the auto-save or the end-of-song timers.
TEST_F(LayoutRecordWindows, ARecordNaming333Or666ChangesNothing)
{
    profile.writeInt("SaveOptions", "AutoSave", 1);
    startWithViews();
    const int countdown = app->autoSave().countdown();
    // The tempo view stands in the controller pane from the start.
    const int controllerKind = app->views().controllerKind();
    EXPECT_EQ(controllerKind, int(ViewKind::Tempo));
    engine.log.clear();
    log.clear();
    app->layout().RestoreLayout("@DR;21;x;x;666,0;333,0,0;x;x;x;1;9,1,0,0,9,9,0");
    app->layout().RestoreLayout("@DR;21;x;x;333,0;666,0,0");
    EXPECT_TRUE(engine.log.calls().empty());
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(app->autoSave().countdown(), countdown);
    EXPECT_EQ(app->views().editorKind(), 0);
    EXPECT_EQ(app->views().controllerKind(), controllerKind);
    EXPECT_TRUE(app->views().extraWindows().empty());
}

TEST_F(LayoutRecordWindows, AStoredPlaceOffTheScreenIsPulledBack)
{
    startWithViews();
    const QRect work = QGuiApplication::primaryScreen()->availableGeometry();
    app->layout().RestoreLayout("@DR;21;1,50000,-9000,52000,-8000;-1");
    const QRect placed = app->frame()->geometry();
    EXPECT_TRUE(work.intersects(placed)) << placed.x() << "," << placed.y();
    EXPECT_GE(placed.width(), 640);
}

} // namespace
} // namespace rz
