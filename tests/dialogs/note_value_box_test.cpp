// The note-value box: its rows, and letters that pick them by what they type.

#include "dialogs/note_value_box.h"

#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>

#include <gtest/gtest.h>

namespace rz {
namespace {

struct BoxWindow {
    QWidget window;
    NoteValueBox* box = new NoteValueBox(&window);
    QLineEdit* next = new QLineEdit(&window);

    BoxWindow()
    {
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(box);
        layout->addWidget(next);
        window.show();
        window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
        box->setFocus();
    }
};

TEST(NoteValueBox, HoldsTheFifteenValuesWithImages)
{
    BoxWindow w;
    ASSERT_EQ(w.box->count(), 15);
    EXPECT_EQ(w.box->itemText(0), "Whole");
    EXPECT_EQ(w.box->itemText(14), "Thirty-second triplet");
    EXPECT_FALSE(w.box->itemIcon(7).isNull());
}

TEST(NoteValueBox, LettersPickValuesAndTheirTriplets)
{
    const struct {
        int from;
        const char* keys;
        std::initializer_list<int> rows;
    } kCases[] = {
        {0, "qq", {5, 7}},  {5, "d", {1}},        {1, "...", {3, 6, 9}}, {9, "D", {1}},
        {0, "tt", {13, 14}}, {14, "t", {13}},     {0, "HhH", {2, 4, 2}}, {3, "e", {8}},
        {0, "ss", {11, 12}}, {12, "w", {0}},
    };
    BoxWindow w;
    for (const auto& c : kCases) {
        w.box->setCurrentIndex(c.from);
        const char* key = c.keys;
        for (const int row : c.rows) {
            QTest::keyClick(w.box, *key++);
            EXPECT_EQ(w.box->currentIndex(), row) << c.keys << " from " << c.from;
        }
    }
}

TEST(NoteValueBox, OtherKeysKeepTheirMeaning)
{
    BoxWindow w;
    w.box->setCurrentIndex(5);
    QTest::keyClick(w.box, 'x');
    EXPECT_EQ(w.box->currentIndex(), 5);
    QTest::keyClick(w.box, Qt::Key_Down);
    EXPECT_EQ(w.box->currentIndex(), 6);
    QTest::keyClick(w.box, Qt::Key_Tab);
    EXPECT_TRUE(w.next->hasFocus()) << "Tab still moves on";
}

} // namespace
} // namespace rz
