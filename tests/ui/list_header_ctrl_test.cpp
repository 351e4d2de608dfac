#include "ui/list_header_ctrl.h"

#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTest>
#include <QTreeView>

#include <gtest/gtest.h>

namespace rz {
namespace {

TEST(ListHeaderCtrl, LeftDoubleClickReportsTheSectionUnderIt)
{
    QStandardItemModel model(1, 4);
    QTreeView view;
    auto* header = new ListHeaderCtrl(Qt::Horizontal, &view);
    view.setHeader(header);
    view.setModel(&model);
    for (int i = 0; i < 4; ++i)
        header->resizeSection(i, 50);
    view.resize(300, 200);
    view.show();
    QSignalSpy clicks(header, &ListHeaderCtrl::itemDoubleClicked);

    QWidget* area = header->viewport();
    QTest::mouseDClick(area, Qt::LeftButton, Qt::NoModifier, QPoint(125, 5));
    QTest::mouseDClick(area, Qt::RightButton, Qt::NoModifier, QPoint(25, 5));
    QTest::mouseDClick(area, Qt::LeftButton, Qt::NoModifier, QPoint(290, 5)); // past the last
    ASSERT_EQ(clicks.count(), 1);
    EXPECT_EQ(clicks.at(0).at(0).toInt(), 2);
}

} // namespace
} // namespace rz
