#include "res/command_ids.h"
#include "scripted_target.h"
#include "ui/command_router.h"
#include "ui/key_filter.h"
#include "ui/torn_off_focus.h"
#include "ui/ui_updater.h"

#include <QAction>
#include <QFocusEvent>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

namespace rz {
namespace {

constexpr CommandId kCopy = kIdEditCopy;
constexpr CommandId kCut = kIdEditCut;
constexpr CommandId kRecord = kIdRecord;

class CommandRouting : public testing::Test {
protected:
    CommandRouting()
    {
        router.setActiveView(&view, &document);
        router.setMainFrame(&frame);
        router.setApplication(&application);
    }

    std::vector<std::string> log;
    ScriptedTarget tornOff{"tornOff", log};
    ScriptedTarget view{"view", log};
    ScriptedTarget document{"document", log};
    ScriptedTarget frame{"frame", log};
    ScriptedTarget application{"application", log};
    CommandRouter router;
};

using CommandRouter_ = CommandRouting;

TEST_F(CommandRouting, CommandRouterGivesAFocusedTornOffWindowEditCopyFirst)
{
    tornOff.accepts(kCopy);
    view.accepts(kCopy);
    QWidget window; // a torn-off view: a window of its own
    TornOffFocus focus(window, tornOff, router);

    QFocusEvent focusIn(QEvent::FocusIn);
    QApplication::sendEvent(&window, &focusIn);
    EXPECT_EQ(router.focusedTopLevel(), &tornOff);
    EXPECT_TRUE(router.execute(kCopy));
    EXPECT_EQ(log, std::vector<std::string>{"tornOff:57634"});

    QEvent deactivate(QEvent::WindowDeactivate);
    QApplication::sendEvent(&window, &deactivate);
    EXPECT_EQ(router.focusedTopLevel(), nullptr);
    EXPECT_TRUE(router.execute(kCopy));
    EXPECT_EQ(log.back(), "view:57634");
}

TEST_F(CommandRouting, CommandRouterClearsATornOffWindowOnCloseAndDestruction)
{
    tornOff.accepts(kCopy);
    auto window = std::make_unique<QWidget>();
    new TornOffFocus(*window, tornOff, router); // owned by the window
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(window.get(), &activate);
    ASSERT_EQ(router.focusedTopLevel(), &tornOff);
    window->close();
    EXPECT_EQ(router.focusedTopLevel(), nullptr);

    QApplication::sendEvent(window.get(), &activate);
    ASSERT_EQ(router.focusedTopLevel(), &tornOff);
    window.reset();
    EXPECT_EQ(router.focusedTopLevel(), nullptr);

    // A docked view (a child widget) never takes the first place.
    QWidget frameWidget;
    QWidget* docked = new QWidget(&frameWidget);
    TornOffFocus dockedFocus(*docked, tornOff, router);
    QFocusEvent focusIn(QEvent::FocusIn);
    QApplication::sendEvent(docked, &focusIn);
    EXPECT_EQ(router.focusedTopLevel(), nullptr);
}

TEST_F(CommandRouting, CommandRouterFallsThroughADecliningViewToDocumentAndApplication)
{
    view.declines(kCopy).declines(kCut);
    document.accepts(kCopy).declines(kCut);
    application.accepts(kCut);

    EXPECT_TRUE(router.execute(kCopy));
    EXPECT_TRUE(router.execute(kCut));
    EXPECT_EQ(log, (std::vector<std::string>{"view:57634", "document:57634", "view:57635",
                                             "document:57635", "application:57635"}));
    EXPECT_FALSE(router.execute(kIdEditPaste)); // nobody handles Paste
}

TEST_F(CommandRouting, CommandRouterUpdateRules)
{
    CmdUi checked;
    checked.checked = true;
    checked.text = "&Undo Draw Note";
    view.accepts(1);                   // handler only: enabled
    frame.updates(2, checked);         // update row in a later target decides
    view.accepts(2);
    application.updates(3, disabledUi()); // a disabled update beats an earlier handler
    document.accepts(3);

    EXPECT_TRUE(router.update(1).enabled);
    EXPECT_TRUE(router.update(2).checked);
    EXPECT_EQ(router.update(2).text, "&Undo Draw Note");
    EXPECT_FALSE(router.update(3).enabled);
    EXPECT_FALSE(router.update(4).enabled); // no handler anywhere

    EXPECT_FALSE(router.execute(3));
    EXPECT_TRUE(log.empty());
}

TEST_F(CommandRouting, CommandRouterRunsADisabledCommandFromNoSource)
{
    application.accepts(kRecord).updates(kRecord, disabledUi());

    EXPECT_FALSE(router.execute(kRecord));

    UiUpdater updater(router);
    QAction action("Record");
    updater.addAction(&action, kRecord);
    EXPECT_FALSE(action.isEnabled());
    action.setEnabled(true); // a stale menu item
    action.trigger();

    KeyFilter keys(router);
    keys.setTable(AccelTable::defaultMap());
    keys.install();
    QWidget widget;
    QTest::keyClick(&widget, Qt::Key_R, Qt::ControlModifier);

    EXPECT_TRUE(log.empty());

    application.updates(kRecord, CmdUi{}); // enabled now: each source runs it once
    EXPECT_TRUE(router.execute(kRecord));
    action.trigger();
    QTest::keyClick(&widget, Qt::Key_R, Qt::ControlModifier);
    EXPECT_EQ(log.size(), 3u);
}

// A class declaring its own table of rows.
class TransportTarget : public CommandTable<TransportTarget> {
public:
    static std::span<const CommandRow<TransportTarget>> commandTable()
    {
        static const CommandRow<TransportTarget> rows[] = {
            {kIdSkip0, kIdSkip9, &TransportTarget::onSkip, nullptr},
            {kIdPlay, kIdStop, &TransportTarget::onDecline, &TransportTarget::onUpdatePlay},
            {kIdPlay, kIdStop, &TransportTarget::onPlay, nullptr},
            {kIdRecord, kIdRecord, nullptr, &TransportTarget::onUpdateRecord},
        };
        return rows;
    }

    bool onSkip(CommandId id)
    {
        skip = int(id - kIdSkip0);
        return true;
    }
    bool onDecline(CommandId) { return false; }
    bool onPlay(CommandId id)
    {
        played = id;
        return true;
    }
    void onUpdatePlay(CommandId id, CmdUi& ui) { ui.checked = id == kIdPlay; }
    void onUpdateRecord(CommandId, CmdUi& ui) { ui.enabled = recordable; }

    int skip = -1;
    CommandId played = 0;
    bool recordable = false;
};

TEST(CommandRouterTable, RowsCoverRangesAndDecliningRowsPassToTheNext)
{
    TransportTarget transport;
    CommandRouter router;
    router.setApplication(&transport);

    EXPECT_TRUE(router.execute(kIdSkip7));
    EXPECT_EQ(transport.skip, 7);
    EXPECT_FALSE(router.execute(61492));

    EXPECT_TRUE(router.update(kIdPlay).checked);
    EXPECT_TRUE(router.execute(kIdStop));
    EXPECT_EQ(transport.played, 32776u);

    EXPECT_FALSE(router.update(kIdRecord).enabled); // update row without a handler
    transport.recordable = true;
    EXPECT_TRUE(router.update(kIdRecord).enabled);
    EXPECT_FALSE(router.execute(kIdRecord)); // enabled, but nobody handles it
}

} // namespace
} // namespace rz
