// "Go to...": the list of markers and named cues, the earlier of a cue's
// two times, and the two time fields kept in step against the offset.

#include "dialogs/goto_dlg.h"

#include "dialogs/field_values.h"
#include "dialogs/smpte_edit.h"
#include "dialogs/spin_edit.h"
#include "dialogs/time_pos_ctrl.h"
#include "song/cue.h"
#include "tests/song/song_fixture.h"

#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace rz {
namespace {

class Goto : public testing::Test {
protected:
    void addCue(int kind, int32_t time, int32_t secondTime, std::string name)
    {
        auto cue = std::make_unique<CCue>();
        cue->kind = kind;
        cue->time = time;
        cue->secondTime = secondTime;
        cue->name = std::move(name);
        song->cues.push_back(std::move(cue));
    }
    static void showActive(QDialog& dialog)
    {
        dialog.show();
        dialog.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    }
    static void typeInto(SpinEdit* field, const char* text)
    {
        field->setFocus();
        field->selectAll();
        QTest::keyClicks(field, text);
        QTest::keyClick(field, Qt::Key_Tab);
    }

    void SetUp() override
    {
        song->endTick = 40 * 480;
        song->ExtendMeasureMap();
    }

    SongFixture fixture;
    std::unique_ptr<CSongDoc> song = fixture.newSong();
};

TEST_F(Goto, ListsMarkersAndNamedCuesAtTheirEarlierTime)
{
    addCue(kCueMarker, 480, 480, "");
    addCue(kCueVamp, 960, 480, "");     // no name: left out
    addCue(kCueVamp, 1920, 1440, "Chorus");
    addCue(kCueSkip, 2400, 2000, "Out"); // its second time comes first
    addCue(kCueFermata, 100, 2880, "Hold");
    CGotoDlg dialog(*song, kSmpteRate30);
    const QTreeWidget* list = dialog.markerList();
    ASSERT_EQ(list->topLevelItemCount(), 4);
    const std::tuple<QString, QString, int> expected[] = {
        {"2:1:000", "", 0}, {"4:1:000", "Chorus", 2}, {"5:1:080", "Out", 3}, {"1:1:100", "Hold", 4}};
    for (int row = 0; row < 4; ++row) {
        const QTreeWidgetItem* item = list->topLevelItem(row);
        EXPECT_EQ(item->text(0).trimmed(), std::get<0>(expected[row])) << row;
        EXPECT_EQ(item->text(1), std::get<1>(expected[row])) << row;
        EXPECT_EQ(item->data(0, Qt::UserRole).toInt(), std::get<2>(expected[row])) << row;
    }
    dialog.markerList()->setCurrentItem(dialog.markerList()->topLevelItem(2));
    EXPECT_EQ(dialog.tick(), 2000);
    EXPECT_DOUBLE_EQ(dialog.smpteEdit()->time(), smpteTimeOfTick(*song, 2000));
}

TEST_F(Goto, ADoubleClickedRowIsOk)
{
    addCue(kCueMarker, 720, 720, "Verse");
    CGotoDlg dialog(*song, kSmpteRate30);
    showActive(dialog);
    QTreeWidget* list = dialog.markerList();
    const QRect row = list->visualItemRect(list->topLevelItem(0));
    ASSERT_FALSE(row.isEmpty());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row.center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, row.center());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.tick(), 720);
}

TEST_F(Goto, TimeCodeAndPositionMoveTogetherAgainstTheOffset)
{
    song->smpteOffset = CSmpteTime::fromFields(kSmpteRate30, 1, 0, 0, 0, 0);
    song->setPosition(0);
    CGotoDlg dialog(*song, kSmpteRate30);
    showActive(dialog);
    EXPECT_DOUBLE_EQ(dialog.smpteEdit()->time(), 3600e6);
    // One second past the offset is two quarters.
    typeInto(dialog.smpteEdit()->field(SmpteField::Seconds), "1");
    EXPECT_EQ(dialog.tick(), 240);
    // Before the offset is the start.
    typeInto(dialog.smpteEdit()->field(SmpteField::Hours), "0");
    EXPECT_EQ(dialog.tick(), 0);
    typeInto(dialog.positionCtrl()->field(TimeField::Measure), "2");
    EXPECT_EQ(dialog.tick(), 480);
    EXPECT_DOUBLE_EQ(dialog.smpteEdit()->time(), 3602e6);
}

TEST_F(Goto, TenThousandCuesFillTheList)
{
    for (int i = 0; i < 10'000; ++i)
        addCue(kCueMarker, i * 10, i * 10, "m");
    CGotoDlg dialog(*song, kSmpteRate30);
    EXPECT_EQ(dialog.markerList()->topLevelItemCount(), 10'000);
}

} // namespace
} // namespace rz
