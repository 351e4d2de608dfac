#include "set/ui/lyric_view.h"

#include "res/command_ids.h"
#include "tests/song/song_builder.h"
#include "tests/song/song_fixture.h"
#include "tests/support/scripted_edit_dialogs.h"
#include "ui/command_router.h"
#include "ui/local_path.h"

#include <QApplication>
#include <QFocusEvent>
#include <QImage>
#include <QMenu>
#include <QMouseEvent>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace rz::test {
namespace {

class LyricViewTest : public ::testing::Test {
protected:
    LyricViewTest()
    {
        CTrack& words = addUserTrack(*song);
        for (const char* text : {"one ", "two ", "three"}) {
            words.events.push_back(textEvent(int32_t(words.events.size()) * 120, text, 0x05));
        }
        fixture.trackRows.current = 1;
        context.profile = &fixture.profile;
        context.engine = &fixture.engine;
        context.trackRows = &fixture.trackRows;
        context.style = [this] { return style; };
        context.performanceMode = [this] { return performance; };
        context.router = &router;
    }

    std::unique_ptr<LyricView> makeView(bool topLevel)
    {
        auto view = std::make_unique<LyricView>(context, topLevel);
        view->resize(600, 400);
        view->attach(*song);
        view->initialUpdate();
        return view;
    }

    QPoint centreOf(const LyricView& view, int item) const
    {
        const LyricRect& r = view.items()[size_t(item)].rect;
        const int left = view.isTopLevel() ? 0 : LyricView::kLeftMargin;
        return QPoint(left + r.centreX(), (r.top + r.bottom) / 2 - view.followState().scrollOffset);
    }

    std::unique_ptr<CSongDoc> songWithDialogs()
    {
        SongContext songContext = fixture.context();
        songContext.editDialogs = &dialogs; // Insert a lyric needs its dialog
        auto made = std::make_unique<CSongDoc>(songContext);
        made->InitNewSong();
        return made;
    }

    SongFixture fixture;
    ScriptedEditDialogs dialogs;
    std::unique_ptr<CSongDoc> song = songWithDialogs();
    CommandRouter router;
    LyricViewContext context;
    int style = kLyricBall;
    bool performance = false;
};

void click(QWidget& widget, QPoint at)
{
    QMouseEvent press(QEvent::MouseButtonPress, at, widget.mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(&widget, &press);
}

TEST_F(LyricViewTest, SyllableStyleFillsTheCurrentSyllable)
{
    style = kLyricSyllables;
    fixture.profile.writeInt("LyricView", "Backcolor2", 0x00FF00); // green
    song->setPosition(130);
    auto view = makeView(false);
    ASSERT_EQ(view->items().size(), 3u);
    ASSERT_EQ(view->followState().currentItem, 1);
    const QImage image = view->grab().toImage();
    const LyricRect& current = view->items()[1].rect;
    const LyricRect& other = view->items()[0].rect;
    const int x = LyricView::kLeftMargin;
    EXPECT_EQ(image.pixelColor(x + current.left + 1, current.bottom - 2), QColor(0, 255, 0));
    EXPECT_EQ(image.pixelColor(x + other.left + 1, other.bottom - 2), QColor(255, 255, 255));
}

// A picture whose file name is not valid UTF-8 (here Latin-1) loads: the
// name reaches the file as the bytes the user's setting holds.
TEST_F(LyricViewTest, ABackgroundPictureWhoseNameIsNotUtf8Shows)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::filesystem::path folder = localPath(dir.path());
    QImage picture(8, 8, QImage::Format_RGB32);
    picture.fill(QColor(255, 0, 255));
    ASSERT_TRUE(picture.save(qtPath(folder / "plain.png"), "PNG"));
    const std::filesystem::path named = folder / std::string("caf\xE9.png");
    std::filesystem::rename(folder / "plain.png", named);
    fixture.profile.writeInt("LyricView", "Graphic", 1);
    fixture.profile.writeString("LyricView", "GfxPath", named.string());
    auto view = makeView(false);
    const QImage image = view->grab().toImage();
    EXPECT_EQ(image.pixelColor(LyricView::kLeftMargin + 2, image.height() - 3), QColor(255, 0, 255));
}

TEST_F(LyricViewTest, WithoutLyricsTheHelpTextShows)
{
    fixture.trackRows.current = 0;
    song->tracks[1]->events.clear();
    auto view = makeView(false);
    EXPECT_TRUE(view->items().empty());
    EXPECT_EQ(view->lyricRow(), -1);
    const QImage image = view->grab().toImage();
    bool dark = false;
    for (int y = 90; y < 130 && !dark; ++y)
        for (int x = 60; x < 570 && !dark; ++x)
            dark = image.pixelColor(x, y).lightness() < 128;
    EXPECT_TRUE(dark);
}

TEST_F(LyricViewTest, ClickWhilePlayingPlaysFromTheSyllable)
{
    auto view = makeView(false);
    fixture.engine.state = TransportState::Playing;
    click(*view, centreOf(*view, 2));
    EXPECT_TRUE(fixture.engine.log.contains("Play(240)"));

    fixture.engine.log.clear();
    performance = true;
    click(*view, centreOf(*view, 2));
    performance = false;
    fixture.engine.state = TransportState::Stopped;
    click(*view, centreOf(*view, 2));
    EXPECT_EQ(fixture.engine.log.count("Play"), 0u);
}

TEST_F(LyricViewTest, TopLevelWindowGoesFullScreenAndComesBack)
{
    auto view = makeView(true);
    view->setGeometry(40, 50, 320, 240);
    view->show();
    view->showFullScreenWindow();
    EXPECT_TRUE(view->isFullScreenWindow());
    EXPECT_TRUE(view->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(fixture.profile.readInt("LyricView", "Maximized", 0), 1);
    EXPECT_EQ(fixture.profile.readInt("LyricView", "CX", 0), 320);

    view->restoreNormalWindow();
    EXPECT_FALSE(view->isFullScreenWindow());
    EXPECT_FALSE(view->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(fixture.profile.readInt("LyricView", "Maximized", 1), 0);
    EXPECT_EQ(view->geometry().size(), QSize(320, 240));

    // A press on the full-screen window first restores it.
    view->showFullScreenWindow();
    click(*view, QPoint(5, 5));
    EXPECT_FALSE(view->isFullScreenWindow());
}

TEST_F(LyricViewTest, FocusHandsTheWindowToTheRouter)
{
    auto view = makeView(true);
    QFocusEvent focusIn(QEvent::FocusIn);
    QApplication::sendEvent(view.get(), &focusIn);
    EXPECT_EQ(router.focusedTopLevel(), view.get());
    QEvent deactivate(QEvent::WindowDeactivate);
    QApplication::sendEvent(view.get(), &deactivate);
    EXPECT_EQ(router.focusedTopLevel(), nullptr);
}

TEST_F(LyricViewTest, StylesAndViewSwitchesAreGreyedWhileTopLevel)
{
    style = kLyricLines;
    auto docked = makeView(false);
    auto window = makeView(true);
    CmdUi ui;
    ASSERT_TRUE(docked->update(kIdHighlightLines, ui));
    EXPECT_TRUE(ui.enabled);
    EXPECT_TRUE(ui.checked);
    for (CommandId id : {kIdBouncingBall, kIdViewEvents, kIdViewKaraoke, kIdViewWaveform}) {
        CmdUi greyed;
        ASSERT_TRUE(window->update(id, greyed)) << id;
        EXPECT_FALSE(greyed.enabled) << id;
    }
    CmdUi leadSheet;
    EXPECT_FALSE(window->update(kIdViewLeadSheet, leadSheet));
}

} // namespace
} // namespace rz::test

namespace rz::test {
namespace {

QAction* findAction(QMenu& menu, CommandId id)
{
    for (QAction* action : menu.findChildren<QAction*>()) {
        if (action->data().toUInt() == id && !action->menu())
            return action;
    }
    return nullptr;
}

TEST_F(LyricViewTest, ContextMenuChecksTheStyleAndSpawnsWindowsWhileDocked)
{
    style = kLyricSyllables;
    std::vector<int> timers;
    std::vector<CommandId> sent;
    context.startFrameTimer = [&](int id, int ms) { timers.push_back(id * 1000 + ms); };
    context.sendToFrame = [&](CommandId id) {
        sent.push_back(id);
        return true;
    };
    auto view = makeView(false);
    std::unique_ptr<QMenu> menu(view->buildContextMenu());
    ASSERT_NE(findAction(*menu, kIdHighlightSyllables), nullptr);
    EXPECT_TRUE(findAction(*menu, kIdHighlightSyllables)->isChecked());
    EXPECT_FALSE(findAction(*menu, kIdBouncingBall)->isChecked());
    for (CommandId id = kIdSpawnTopLevelWindow; id <= kIdSpawnLyric1024x768; ++id)
        EXPECT_TRUE(findAction(*menu, id)->isEnabled()) << id;
    findAction(*menu, kIdSpawnLyric1024x768)->trigger();
    findAction(*menu, kIdHighlightLines)->trigger();
    EXPECT_EQ(timers, std::vector<int>{27100});
    EXPECT_EQ(sent, std::vector<CommandId>{kIdHighlightLines});

    auto window = makeView(true);
    std::unique_ptr<QMenu> windowMenu(window->buildContextMenu());
    for (CommandId id = kIdSpawnTopLevelWindow; id <= kIdSpawnLyric1024x768; ++id)
        EXPECT_FALSE(findAction(*windowMenu, id)->isEnabled()) << id;
    EXPECT_FALSE(findAction(*windowMenu, kIdShowObjectGrid)->isEnabled());
    EXPECT_TRUE(findAction(*windowMenu, kIdInsertLyric)->isEnabled());
}

} // namespace
} // namespace rz::test
