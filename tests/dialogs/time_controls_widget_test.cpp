// The two time controls on the offscreen screen: typing, Tab and the arrows
// as a user works them, and what they tell their dialog.

#include "dialogs/smpte_edit.h"
#include "dialogs/spin_edit.h"
#include "dialogs/time_pos_ctrl.h"
#include "tests/dialogs/dialog_song.h"

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>

#include <gtest/gtest.h>

namespace rz {
namespace {

// A dialog holding the control and a line edit after it, shown and active.
template <class Control>
struct Host {
    QDialog dialog;
    Control* control;
    QLineEdit* after;

    explicit Host(Control* made) : control(made), after(new QLineEdit(&dialog))
    {
        auto* layout = new QVBoxLayout(&dialog);
        layout->addWidget(control);
        layout->addWidget(after);
        dialog.show();
        dialog.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&dialog));
    }
};

TEST(TimePosCtrl, TypingAMeasureThenTabTellsTheDialogOnceWithTheNewTick)
{
    DialogSong s = mixedSong();
    Host<CTimePosCtrl> host(new CTimePosCtrl(*s.song, 700));
    QSignalSpy changed(host.control, &CTimePosCtrl::changed);
    int32_t told = -2;
    QObject::connect(host.control, &CTimePosCtrl::changed, [&] { told = host.control->tick(); });
    SpinEdit* measure = host.control->field(TimeField::Measure);
    measure->setFocus();
    QTest::keyClicks(measure, "15");
    EXPECT_EQ(host.control->field(TimeField::Beat)->text(), "1") << "typing resets beat and tick";
    EXPECT_EQ(host.control->field(TimeField::Tick)->text(), "0");
    EXPECT_EQ(changed.count(), 0);
    QTest::keyClick(measure, Qt::Key_Tab);
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(told, 3360);
    EXPECT_TRUE(host.control->field(TimeField::Beat)->hasFocus());
    EXPECT_EQ(host.control->field(TimeField::Beat)->selectedText(), "1");
}

TEST(TimePosCtrl, SetTickShowsThePositionAndTellsNoOne)
{
    DialogSong s = mixedSong();
    Host<CTimePosCtrl> host(new CTimePosCtrl(*s.song, TimePosModel::kNoPosition));
    EXPECT_EQ(host.control->field(TimeField::Measure)->text(), "");
    QSignalSpy changed(host.control, &CTimePosCtrl::changed);
    host.control->setTick(1500);
    EXPECT_EQ(host.control->field(TimeField::Measure)->text(), "B");
    EXPECT_EQ(host.control->field(TimeField::Beat)->text(), "2");
    EXPECT_EQ(host.control->field(TimeField::Tick)->text(), "60");
    EXPECT_EQ(changed.count(), 0);
}

TEST(TimePosCtrl, ArrowsAndArrowKeysStepAndTellEachTime)
{
    DialogSong s = mixedSong();
    Host<CTimePosCtrl> host(new CTimePosCtrl(*s.song, 700));
    QSignalSpy changed(host.control, &CTimePosCtrl::changed);
    SpinEdit* beat = host.control->field(TimeField::Beat);
    QTest::mouseClick(beat->upButton(), Qt::LeftButton);
    EXPECT_EQ(host.control->tick(), 720);
    EXPECT_EQ(changed.count(), 1);
    EXPECT_TRUE(beat->hasFocus());
    EXPECT_EQ(beat->selectedText(), "3");
    QTest::keyClick(beat, Qt::Key_Down);
    EXPECT_EQ(host.control->tick(), 600);
    EXPECT_EQ(changed.count(), 2);
    // A typed measure is lowercase-proof.
    SpinEdit* measure = host.control->field(TimeField::Measure);
    measure->setFocus();
    measure->selectAll();
    QTest::keyClicks(measure, "b");
    EXPECT_EQ(measure->text(), "B");
    QTest::keyClick(measure, Qt::Key_Tab);
    EXPECT_EQ(host.control->tick(), 1200);
}

TEST(TimePosCtrl, MeasureOnlyHasOneFieldOfTheSameWidth)
{
    DialogSong s = mixedSong();
    Host<CTimePosCtrl> host(new CTimePosCtrl(*s.song, 700, CTimePosCtrl::MeasureOnly));
    EXPECT_EQ(host.control->field(TimeField::Beat), nullptr);
    EXPECT_EQ(host.control->field(TimeField::Tick), nullptr);
    EXPECT_EQ(host.control->width(), TimePosModel::widthAt(96));
    EXPECT_EQ(host.control->field(TimeField::Measure)->text(), "2A");
}

TEST(SmpteEditCtrl, AChangedFieldTellsOnceAndAnUnchangedOneNot)
{
    Host<CSmpteEdit> host(new CSmpteEdit(60'000'000.0, kSmpteRate30));
    QSignalSpy changed(host.control, &CSmpteEdit::changed);
    SpinEdit* seconds = host.control->field(SmpteField::Seconds);
    seconds->setFocus();
    QTest::keyClick(seconds, Qt::Key_Tab); // nothing typed
    EXPECT_EQ(changed.count(), 0);
    SpinEdit* minutes = host.control->field(SmpteField::Minutes);
    minutes->setFocus();
    minutes->selectAll();
    QTest::keyClicks(minutes, "2");
    QTest::keyClick(minutes, Qt::Key_Tab);
    EXPECT_EQ(changed.count(), 1);
    EXPECT_DOUBLE_EQ(host.control->time(), 120'000'000.0);
    QTest::mouseClick(seconds->downButton(), Qt::LeftButton);
    EXPECT_EQ(changed.count(), 2);
    EXPECT_EQ(host.control->field(SmpteField::Minutes)->text(), "1");
    EXPECT_EQ(seconds->text(), "59");
    host.control->setTime(0.0);
    EXPECT_EQ(changed.count(), 2) << "setTime tells no one";
}

TEST(SmpteEditCtrl, OnlyHoursTakeAMinusSign)
{
    Host<CSmpteEdit> host(new CSmpteEdit(0.0, kSmpteRate25));
    SpinEdit* hours = host.control->field(SmpteField::Hours);
    SpinEdit* frames = host.control->field(SmpteField::Frames);
    hours->setFocus();
    hours->selectAll();
    QTest::keyClicks(hours, "-3");
    EXPECT_EQ(hours->text(), "-3");
    frames->setFocus();
    EXPECT_EQ(hours->text(), "0") << "negative hours are 0";
    frames->selectAll();
    QTest::keyClicks(frames, "-4");
    EXPECT_EQ(frames->text(), "4");
}

} // namespace
} // namespace rz
