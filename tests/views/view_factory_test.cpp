#include "views/pane_view.h"
#include "views/song_view.h"
#include "views/view_factory.h"

#include <gtest/gtest.h>

#include <memory>

namespace rz {
namespace {

TEST(ViewFactory, AKindNobodyRegisteredMakesNothing)
{
    ViewFactory factory;
    EXPECT_FALSE(factory.canCreate(ViewKind::Piano));
    EXPECT_EQ(factory.create({.kind = ViewKind::Piano}), nullptr);
}

TEST(ViewFactory, ALeadSheetComesFromTheStaffCreatorMarkedAsOne)
{
    ViewFactory factory;
    ViewRequest seen;
    factory.registerView(ViewKind::Staff, [&](const ViewRequest& request) {
        seen = request;
        return new SongView;
    });
    std::unique_ptr<SongView> view(factory.create({.kind = ViewKind::LeadSheet, .topLevel = true}));
    ASSERT_NE(view, nullptr);
    EXPECT_TRUE(seen.leadSheet);
    EXPECT_TRUE(seen.topLevel);
    factory.registerView(ViewKind::Staff, nullptr);
    EXPECT_FALSE(factory.canCreate(ViewKind::LeadSheet));
}

TEST(SongView, TakesThePlaceOfItsPanesPlaceholder)
{
    QWidget frame;
    auto* view = new SongView(&frame);
    view->setPaneId(pane_id::kEditor);
    const QSize size(1200, 800);
    view->placeInFrame(size);
    EXPECT_EQ(view->geometry(), PlaceholderPane::placeFor(pane_id::kEditor, size));
    EXPECT_FALSE(view->geometry().isEmpty());
    // A torn-off view places itself.
    view->setPaneId(0);
    view->setGeometry(1, 2, 3, 4);
    view->placeInFrame(size);
    EXPECT_EQ(view->geometry(), QRect(1, 2, 3, 4));
}

} // namespace
} // namespace rz
