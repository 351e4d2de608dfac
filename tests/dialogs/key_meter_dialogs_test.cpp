// The key signature and meter dialogs: the measures they open on, the click
// a meter gets, the clicks they refuse, and the staff they preview.

#include "dialogs/key_meter_dlg.h"
#include "dialogs/note_value_box.h"
#include "dialogs/spin_edit.h"
#include "dialogs/time_pos_ctrl.h"
#include "dialogs/transform_models.h"
#include "song/selection.h"
#include "staff/symbols/music_font.h"
#include "staff/symbols/staff_header.h"
#include "tests/dialogs/dialog_song.h"

#include <QComboBox>
#include <QLabel>
#include <QToolButton>

#include <gtest/gtest.h>

namespace rz {
namespace {

const MusicFont& musicFont()
{
    static const std::unique_ptr<MusicFont> font = MusicFont::load();
    return *font;
}

// 4/4 measures at 120 with the given keys.
struct KeyedSong : DialogSong {
    explicit KeyedSong(std::initializer_list<int> keys) : DialogSong(120, {})
    {
        for (const int key : keys)
            song->measureMap.emplace_back().key = int8_t(key);
        song->measureMapEnd = RecomputeMeasureStarts(song->measureMap, 120);
    }
};

// Opens the meter dialog on 4/4, sets the meter and click row and presses OK.
struct MeterAnswer {
    bool accepted;
    MeterParams params;
};
MeterAnswer meterWith(int numerator, int beatIndex, int row, bool refused = false)
{
    DialogSong s(120, {{4, 4, 1}, {4, 4, 2}});
    CMeterDlg dialog(*s.song, nullptr);
    dialog.numeratorEdit()->setText(QString::number(numerator));
    dialog.beatValueBox()->setCurrentIndex(beatIndex);
    dialog.clickBox()->setCurrentIndex(row);
    if (refused)
        s.fixture.prompt.expectMessage(kClickMessage);
    dialog.accept();
    return {dialog.result() == QDialog::Accepted, dialog.params()};
}

TEST(KeyMeterDialogs, ClicksMustDivideTheMeasure)
{
    const MeterAnswer quarter = meterWith(3, 2, 5);
    EXPECT_TRUE(quarter.accepted);
    EXPECT_EQ(quarter.params.clicks, 24);
    EXPECT_EQ(quarter.params.numerator, 3);
    EXPECT_EQ(quarter.params.denominator, 4);
    EXPECT_FALSE(meterWith(3, 2, 2, true).accepted) << "a half does not divide 3/4";
    EXPECT_FALSE(meterWith(2, 2, 0 + 1, true).accepted) << "a dotted half is longer than 2/4";
    const MeterAnswer whole = meterWith(3, 2, 0);
    EXPECT_TRUE(whole.accepted);
    EXPECT_EQ(whole.params.clicks, 72) << "one click per measure";
}

TEST(KeyMeterDialogs, OneClickPerLongMeasureStaysStorable)
{
    const struct {
        int numerator, beatIndex, clicks;
    } kCases[] = {{3, 0, 96}, {7, 1, 48}, {11, 2, 24}, {5, 0, 96}, {2, 0, 192}, {32, 5, 96}};
    for (const auto& c : kCases) {
        SCOPED_TRACE(testing::Message() << c.numerator << "/" << (1 << c.beatIndex));
        const MeterAnswer answer = meterWith(c.numerator, c.beatIndex, 0);
        EXPECT_TRUE(answer.accepted);
        EXPECT_EQ(answer.params.clicks, c.clicks);
        EXPECT_LE(answer.params.clicks, 255);
    }
}

TEST(KeyMeterDialogs, ANewMeterStartsWithItsDefaultClick)
{
    DialogSong s(120, {{4, 4, 1}});
    CMeterDlg dialog(*s.song, nullptr);
    EXPECT_EQ(dialog.clickBox()->currentIndex(), 5) << "the measure's own click";
    const struct {
        const char* numerator;
        int beatIndex;
        int row;
    } kCases[] = {{"6", 3, 3}, {"4", 3, 8}, {"9", 4, 6}, {"3", 5, 9}, {"3", 2, 5}, {"2", 0, 0}, {"4", 1, 2}};
    for (const auto& c : kCases) {
        SCOPED_TRACE(testing::Message() << c.numerator << " " << c.beatIndex);
        dialog.beatValueBox()->setCurrentIndex(c.beatIndex == 0 ? 1 : 0);
        dialog.numeratorEdit()->setText(c.numerator);
        dialog.beatValueBox()->setCurrentIndex(c.beatIndex);
        EXPECT_EQ(dialog.clickBox()->currentIndex(), c.row);
    }
    dialog.beatValueBox()->setCurrentIndex(3);
    dialog.numeratorEdit()->setText("5");
    dialog.numeratorEdit()->upButton()->click();
    EXPECT_EQ(dialog.clickBox()->currentIndex(), 3) << "6/8 again, through the beats' arrow";
}

TEST(KeyMeterDialogs, TheKeyRangeRunsThroughTheMeasuresOfTheSameKey)
{
    const struct {
        std::initializer_list<int> keys;
        int32_t position;
        int32_t from, through;
    } kCases[] = {
        {{0, 2, 2, 2, -1}, 500, 480, 1440},
        {{0, 2, 2, 2, 2}, 500, 480, 1920},
        {{3}, 0, 0, 0},
        {{0, 0, 1}, 700, 480, 480},
    };
    for (const auto& c : kCases) {
        KeyedSong s(c.keys);
        s.song->setPosition(c.position);
        CKeySigDlg dialog(*s.song, nullptr);
        EXPECT_EQ(dialog.fromCtrl()->tick(), c.from) << c.position;
        EXPECT_EQ(dialog.throughCtrl()->tick(), c.through) << c.position;
        const int key = s.song->measureMap[size_t(s.song->FindMeasure(c.from))].key;
        EXPECT_EQ(dialog.keyBox()->currentIndex(), 7 - key);
        dialog.accept();
        EXPECT_EQ(dialog.params().key, key);
        EXPECT_EQ(dialog.params().from, c.from);
    }
}

TEST(KeyMeterDialogs, ATimeRangeSnapsToItsMeasures)
{
    DialogSong s(120, {{4, 4, 1}, {3, 4, 2}, {3, 4, 3}, {3, 4, 4}, {4, 4, 5}});
    s.song->selectionKind = kSelectTimeRange;
    s.song->selectionFrom = 500;
    s.song->selectionTo = 1200;
    CMeterDlg meter(*s.song, nullptr);
    EXPECT_EQ(meter.fromCtrl()->tick(), 480);
    EXPECT_EQ(meter.throughCtrl()->tick(), 840) << "the measure of the tick before the end";
    EXPECT_EQ(meter.numeratorEdit()->text(), "3");
    s.song->selectionKind = kSelectEvents;
    s.song->setPosition(900);
    CMeterDlg run(*s.song, nullptr);
    EXPECT_EQ(run.fromCtrl()->tick(), 840);
    EXPECT_EQ(run.throughCtrl()->tick(), 1200) << "through the last 3/4";
}

TEST(KeyMeterDialogs, ThreeSharpsShowOnThePreview)
{
    ASSERT_TRUE(musicFont().ok()) << musicFont().message().toStdString();
    MeasureRec plain;
    MeasureRec sharps;
    sharps.key = 3;
    const QImage c = staffHeaderPreview(&musicFont(), plain);
    const QImage a = staffHeaderPreview(&musicFont(), sharps);
    ASSERT_EQ(a.size(), QSize(64, 40));
    // Ink in a window around a point that the key of C leaves white.
    auto newInk = [&](int x0, int x1, double y) {
        int found = 0;
        for (int x = x0; x <= x1; ++x)
            for (int dy = -1; dy <= 1; ++dy) {
                const int row = int(y) + dy;
                if (qGray(a.pixel(x, row)) < 128 && qGray(c.pixel(x, row)) >= 128)
                    ++found;
            }
        return found;
    };
    // The staff runs from y 10 (F5) to 30 (E4), 2.5 pixels a step; the
    // sharps stand left to right at F5, C5 and G5 after the clef, which
    // ends before x 18.
    EXPECT_GT(newInk(19, 26, 10), 0) << "F5";
    EXPECT_GT(newInk(27, 31, 17.5), 0) << "C5";
    EXPECT_GT(newInk(32, 38, 7.5), 0) << "G5";
    EXPECT_EQ(newInk(27, 31, 8), 0) << "nothing at G5 where C5 stands";
    EXPECT_EQ(newInk(32, 38, 22.5), 0) << "nothing at A4 where G5 stands";
}

TEST(KeyMeterDialogs, ThePreviewFollowsTheKeyBox)
{
    KeyedSong s({0});
    CKeySigDlg dialog(*s.song, &musicFont());
    const QImage before = dialog.preview()->pixmap().toImage();
    dialog.keyBox()->setCurrentIndex(7 - 3);
    EXPECT_NE(dialog.preview()->pixmap().toImage(), before);
    dialog.keyBox()->setCurrentIndex(7);
    EXPECT_EQ(dialog.preview()->pixmap().toImage(), before);
}

} // namespace
} // namespace rz
