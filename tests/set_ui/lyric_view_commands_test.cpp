#include "tests/set_ui/lyric_view_fixture.h"

#include "res/command_ids.h"
#include "song/selection.h"
#include "ui/bitmap_push_button.h"
#include "ui/zoom_scroll_bar.h"

#include "set/lyric_print_plan.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QPdfWriter>
#include <QTemporaryDir>

namespace rz::test {
namespace {

bool enabled(LyricView& view, CommandId id)
{
    CmdUi ui;
    EXPECT_TRUE(view.update(id, ui)) << id;
    return ui.enabled;
}

using LyricViewCommands = LyricViewFixture;

TEST_F(LyricViewCommands, ZoomStepsByEightAndGreysAtItsBounds)
{
    addLyrics({"one ", "two"});
    const struct {
        int stored;
        bool in;
        bool out;
    } cases[] = {{-50, false, true}, {-49, true, true}, {-21, true, true}, {-20, true, false}};
    for (const auto& c : cases) {
        fixture.profile.writeInt("LyricView", "FontHeight", c.stored);
        auto view = makeView(false);
        EXPECT_EQ(enabled(*view, kIdZoomInControllerScale), c.in) << c.stored;
        EXPECT_EQ(enabled(*view, kIdZoomOutControllerScale), c.out) << c.stored;
    }
    fixture.profile.writeInt("LyricView", "FontHeight", -24);
    auto view = makeView(false);
    EXPECT_TRUE(view->handle(kIdZoomInControllerScale));
    EXPECT_EQ(view->fontHeight(), 32);
    EXPECT_EQ(fixture.profile.readInt("LyricView", "FontHeight", 0), -32);
    EXPECT_EQ(status, "Font size=32");
    view->handle(kIdZoomOutControllerScale);
    view->handle(kIdZoomOutControllerScale);
    EXPECT_EQ(view->fontHeight(), 16);
}

TEST_F(LyricViewCommands, EditingCommandsNeedAStoppedTransportAndNoPerformance)
{
    addLyrics({"one ", "two"});
    auto view = makeView(false);
    EXPECT_TRUE(enabled(*view, kIdInsertLyric));
    EXPECT_TRUE(enabled(*view, kIdImportLyrics));
    performance = true;
    EXPECT_FALSE(enabled(*view, kIdInsertLyric));
    EXPECT_FALSE(enabled(*view, kIdImportLyrics));
    EXPECT_FALSE(enabled(*view, kIdFilePrint));
    performance = false;
    fixture.engine.state = TransportState::Playing;
    EXPECT_FALSE(enabled(*view, kIdInsertLyric));
    fixture.engine.state = TransportState::Stopped;
    dialogs.missing.insert(EditDialog::EditLyrics);
    EXPECT_FALSE(enabled(*view, kIdInsertLyric));
}

TEST_F(LyricViewCommands, WithoutALyricTrackTheLyricCommandsAreGreyed)
{
    fixture.trackRows.current = 0;
    auto view = makeView(false);
    ASSERT_EQ(view->lyricRow(), -1);
    for (CommandId id : {kIdInsertLyric, kIdCopyLyrics, kIdZoomInControllerScale})
        EXPECT_FALSE(enabled(*view, id)) << id;
}

TEST_F(LyricViewCommands, InsertALyricOpensTheEditorForANewEvent)
{
    addLyrics({"one ", "two"});
    auto view = makeView(false);
    EXPECT_TRUE(view->handle(kIdInsertLyric));
    EXPECT_TRUE(dialogs.log.contains("editLyrics(1,-1)")) << dialogs.log.calls().size();
}

TEST_F(LyricViewCommands, RightClickEditsTheSyllableOnlyWhileStopped)
{
    addLyrics({"one ", "two ", "three"});
    auto view = makeView(false);
    fixture.engine.state = TransportState::Playing;
    send(*view, QEvent::MouseButtonPress, centreOf(*view, 2), Qt::RightButton);
    EXPECT_EQ(dialogs.log.count("editLyrics"), 0u);
    EXPECT_FALSE(selected(2));

    fixture.engine.state = TransportState::Stopped;
    send(*view, QEvent::MouseButtonPress, centreOf(*view, 2), Qt::RightButton);
    EXPECT_TRUE(dialogs.log.contains("editLyrics(1,2)"));
    EXPECT_TRUE(selected(2));
    EXPECT_EQ(song->selectionKind, kSelectEvents);
}

TEST_F(LyricViewCommands, ARightClickThatEditsOpensNoContextMenuAfterTheEditor)
{
    addLyrics({"one ", "two ", "three"});
    auto view = makeView(false);
    auto rightClick = [&](QPoint at) {
        send(*view, QEvent::MouseButtonPress, at, Qt::RightButton);
        QContextMenuEvent menu(QContextMenuEvent::Mouse, at, view->mapToGlobal(at));
        QApplication::sendEvent(view.get(), &menu);
        QWidget* popup = QApplication::activePopupWidget();
        if (popup)
            popup->close();
        return popup != nullptr;
    };
    EXPECT_FALSE(rightClick(centreOf(*view, 1)));
    EXPECT_TRUE(dialogs.log.contains("editLyrics(1,1)"));
    EXPECT_TRUE(rightClick(QPoint(view->width() - 2, view->height() - 2))); // no syllable there
}

TEST_F(LyricViewCommands, KaraokeOptionsOpensTheLyricPageOwnedByAWindow)
{
    std::vector<std::pair<QWidget*, int>> opened;
    context.openOptions = [&](QWidget* owner, int page) { opened.emplace_back(owner, page); };
    auto docked = makeView(false);
    auto window = makeView(true);
    EXPECT_TRUE(enabled(*docked, kIdKaraokeOptions));
    docked->handle(kIdKaraokeOptions);
    window->handle(kIdKaraokeOptions);
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[0], std::make_pair(static_cast<QWidget*>(nullptr), 7));
    EXPECT_EQ(opened[1], std::make_pair(static_cast<QWidget*>(window.get()), 7));
}

TEST_F(LyricViewCommands, CopyPutsTheLyricsOnTheClipboardUnlessEmpty)
{
    addLyrics({"One ", "two", "/three", "\\four"});
    auto view = makeView(false);
    QGuiApplication::clipboard()->setText("before");
    EXPECT_TRUE(view->handle(kIdCopyLyrics));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "One two\nthree\n\nfour");

    lyrics->events.clear();
    addLyrics({"@TJust a title"});
    auto empty = makeView(false);
    QGuiApplication::clipboard()->setText("before");
    empty->handle(kIdCopyLyrics);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "before");
}

TEST_F(LyricViewCommands, ZoomButtonsCarryTheirCommandTips)
{
    auto view = makeView(false);
    const QString tip = view->zoomBar()->zoomInButton()->toolTip();
    EXPECT_FALSE(tip.isEmpty());
    EXPECT_LE(tip.size(), 80);
    EXPECT_FALSE(tip.contains('\n'));
}

TEST_F(LyricViewCommands, ThePrintPlanCarriesTheSongTextsAndTheLines)
{
    addLyrics({"one ", "two", "/three"});
    song->title = "Dr. Feelgood";
    song->subtitle = "Live";
    song->author = "Ann";
    auto view = makeView(false);
    QTemporaryDir dir;
    QPdfWriter writer(dir.filePath("plan.pdf"));
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0)); // the plan maps the paintable area
    const LyricPrintPlan plan = view->printPlan(writer);
    ASSERT_EQ(plan.pages.size(), 1u);
    EXPECT_NEAR(plan.pageWidth, 21000, 10);
    std::vector<std::string> texts;
    for (const LyricPrintText& text : plan.pages[0].texts)
        texts.push_back(text.text);
    EXPECT_EQ(texts, (std::vector<std::string>{"Dr. Feelgood\nLive", "Ann", "1", "one two", "three"}));
}

using LyricMarksView = LyricViewFixture;

TEST_F(LyricMarksView, PlainDragClearsTheSelectionAndReleaseLocates)
{
    addLyrics({"one ", "two ", "three ", "four"});
    song->endTick = 1920;
    song->ExtendMeasureMap();
    auto view = makeView(false);
    ++song->selectionStamp;
    lyrics->events[0].selectionStamp = song->selectionStamp;
    lyrics->events[3].selectionStamp = song->selectionStamp;
    drag(*view, centreOf(*view, 1), centreOf(*view, 2));
    EXPECT_FALSE(selected(0));
    EXPECT_TRUE(selected(1));
    EXPECT_TRUE(selected(2));
    EXPECT_FALSE(selected(3));
    EXPECT_EQ(song->selectionKind, kSelectEvents);
    EXPECT_EQ(song->selectionFrom, 120);
    EXPECT_EQ(song->selectionTo, 240);
    EXPECT_EQ(song->position(), 240); // released on "three"
    EXPECT_FALSE(view->dragging());
}

TEST_F(LyricMarksView, CtrlDragOverSelectedLyricsDeselectsThemOnRelease)
{
    addLyrics({"one ", "two ", "three ", "four"});
    auto view = makeView(false);
    drag(*view, centreOf(*view, 0), centreOf(*view, 2));
    ASSERT_TRUE(selected(0) && selected(1) && selected(2));
    drag(*view, centreOf(*view, 1), centreOf(*view, 3), Qt::ControlModifier);
    EXPECT_TRUE(selected(0));
    EXPECT_FALSE(selected(1));
    EXPECT_FALSE(selected(2));
    EXPECT_TRUE(selected(3));
    EXPECT_EQ(song->selectionFrom, 0);
    EXPECT_EQ(song->selectionTo, 360);
}

TEST_F(LyricMarksView, AutoscrollMovesByThirtyAndStopsAtThePageEnd)
{
    for (int i = 0; i < 30; ++i)
        addLyrics({i == 0 ? "line" : "/line"});
    auto view = makeView(false, QSize(600, 200));
    const int limit = view->followState().pageHeight - view->height();
    ASSERT_GT(limit, 60);
    send(*view, QEvent::MouseButtonPress, centreOf(*view, 0), Qt::LeftButton);
    send(*view, QEvent::MouseMove, QPoint(300, view->height() + 20), Qt::LeftButton);
    view->dragTimerStep();
    EXPECT_EQ(view->followState().scrollOffset, 30);
    for (int step = 0; step < 100; ++step)
        view->dragTimerStep();
    EXPECT_EQ(view->followState().scrollOffset, limit);
    send(*view, QEvent::MouseMove, QPoint(300, -5), Qt::LeftButton);
    view->dragTimerStep();
    EXPECT_EQ(view->followState().scrollOffset, limit - 30);
    send(*view, QEvent::MouseButtonRelease, QPoint(300, -5), Qt::LeftButton);
    EXPECT_FALSE(view->dragging());
}

} // namespace
} // namespace rz::test
