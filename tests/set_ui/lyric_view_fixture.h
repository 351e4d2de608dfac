#pragma once

#include "set/ui/lyric_view.h"

#include "tests/song/song_builder.h"
#include "tests/song/song_fixture.h"
#include "tests/support/scripted_edit_dialogs.h"
#include "ui/command_router.h"

#include <QApplication>
#include <QMouseEvent>

#include <gtest/gtest.h>

#include <memory>

namespace rz::test {

// A song with edit dialogs and a lyric track in row 1, and a lyric view on it.
class LyricViewFixture : public ::testing::Test {
protected:
    LyricViewFixture()
    {
        SongContext songContext = fixture.context();
        songContext.editDialogs = &dialogs;
        song = std::make_unique<CSongDoc>(songContext);
        song->InitNewSong();
        lyrics = &addUserTrack(*song);
        fixture.trackRows.current = 1;
        context.profile = &fixture.profile;
        context.engine = &fixture.engine;
        context.trackRows = &fixture.trackRows;
        context.style = [this] { return style; };
        context.performanceMode = [this] { return performance; };
        context.router = &router;
        context.statusText = [this](const std::string& text) { status = text; };
    }

    void addLyrics(std::initializer_list<const char*> texts, int32_t step = 120)
    {
        for (const char* text : texts)
            lyrics->events.push_back(textEvent(int32_t(lyrics->events.size()) * step, text, 0x05));
    }

    std::unique_ptr<LyricView> makeView(bool topLevel, QSize size = QSize(600, 400))
    {
        auto view = std::make_unique<LyricView>(context, topLevel);
        view->resize(size);
        view->attach(*song);
        view->initialUpdate();
        return view;
    }

    static QPoint centreOf(const LyricView& view, int item)
    {
        const LyricRect& r = view.items()[size_t(item)].rect;
        const int left = view.isTopLevel() ? 0 : LyricView::kLeftMargin;
        return QPoint(left + r.centreX(), (r.top + r.bottom) / 2 - view.followState().scrollOffset);
    }

    // Events as the window system delivers them while the widget has the mouse.
    static void send(QWidget& widget, QEvent::Type type, QPoint at, Qt::MouseButton button,
                     Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
        QMouseEvent event(type, at, widget.mapToGlobal(at), type == QEvent::MouseMove ? Qt::NoButton : button, held,
                          modifiers);
        QApplication::sendEvent(&widget, &event);
    }

    static void drag(QWidget& widget, QPoint from, QPoint to, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        send(widget, QEvent::MouseButtonPress, from, Qt::LeftButton, modifiers);
        send(widget, QEvent::MouseMove, to, Qt::LeftButton, modifiers);
        send(widget, QEvent::MouseButtonRelease, to, Qt::LeftButton, modifiers);
    }

    bool selected(int event) const
    {
        return song->selectionStamp != 0 && lyrics->events[size_t(event)].selectionStamp == song->selectionStamp;
    }

    SongFixture fixture;
    ScriptedEditDialogs dialogs;
    std::unique_ptr<CSongDoc> song;
    CTrack* lyrics = nullptr;
    CommandRouter router;
    LyricViewContext context;
    int style = kLyricBall;
    bool performance = false;
    std::string status;
};

} // namespace rz::test
