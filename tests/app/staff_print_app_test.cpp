// Printing the staff view in the program: the preview with the frame in
// its preview mode, the one printer of Printer setup, and the printed staff
// size the options page sets.

#include "tests/app/staff_app_fixture.h"

#include "app/main_frame.h"
#include "res/command_ids.h"
#include "staff/model/staff_print_plan.h"
#include "staff/staff_print.h"
#include "ui/command_router.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QPageSize>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QTimer>

#include <functional>

namespace rz {
namespace {

// 60 measures of staves, so the print runs over more than one page.
class StaffPrintApp : public StaffAppFixture {
protected:
    void startWithStaff()
    {
        startWithStaves(60);
        ASSERT_TRUE(app->router().execute(kIdViewStaff));
        ASSERT_TRUE(processUntil([this] { return staff() != nullptr; }));
    }

    StaffView* staff() const { return staffSlot(); }

    // Runs `inspect` on the modal dialog of type D once it is up, then
    // closes it; the command that opened it returns after.
    template <class D>
    void whenModal(std::function<void(D&)> inspect, bool accept = false)
    {
        auto* timer = new QTimer(app->frame());
        timer->setInterval(20);
        QObject::connect(timer, &QTimer::timeout, timer, [timer, inspect, accept] {
            auto* dialog = qobject_cast<D*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            timer->stop();
            timer->deleteLater();
            inspect(*dialog);
            if (accept)
                dialog->accept();
            else
                dialog->reject();
        });
        timer->start();
    }
};

TEST_F(StaffPrintApp, PreviewShowsTheStaffPagesWithTheFrameInPreviewMode)
{
    startWithStaff();
    const int pages = staff()->printPlan(printAreaHundredths(app->printer())).pageCount();
    ASSERT_GE(pages, 2);
    bool shown = false;
    bool previewMode = false;
    int previewPages = 0;
    whenModal<QPrintPreviewDialog>([&](QPrintPreviewDialog& dialog) {
        shown = true;
        previewMode = app->frame()->printPreviewMode();
        if (auto* widget = dialog.findChild<QPrintPreviewWidget*>()) {
            widget->updatePreview();
            previewPages = widget->pageCount();
        }
        EXPECT_EQ(dialog.printer(), &app->printer());
    });
    ASSERT_TRUE(app->router().update(kIdFilePrintPreview).enabled);
    ASSERT_TRUE(app->router().execute(kIdFilePrintPreview));
    EXPECT_TRUE(shown);
    EXPECT_TRUE(previewMode);
    EXPECT_EQ(previewPages, pages);
    EXPECT_FALSE(app->frame()->printPreviewMode());
}

TEST_F(StaffPrintApp, PrinterSetupPageSizeReachesTheStaffPrint)
{
    startWithStaff();
    QPrinter& printer = app->printer();
    printer.setPageSize(QPageSize(QPageSize::A4));
    const int a4 = staff()->printPlan(printAreaHundredths(printer)).pageCount();
    // What Printer setup leaves on the program's printer.
    printer.setPageSize(QPageSize(QPageSize::A6));
    int previewPages = 0;
    whenModal<QPrintPreviewDialog>([&](QPrintPreviewDialog& dialog) {
        if (auto* widget = dialog.findChild<QPrintPreviewWidget*>()) {
            widget->updatePreview();
            previewPages = widget->pageCount();
        }
        EXPECT_EQ(dialog.printer()->pageLayout().pageSize().id(), QPageSize::A6);
    });
    ASSERT_TRUE(app->router().execute(kIdFilePrintPreview));
    EXPECT_GT(previewPages, a4);
    EXPECT_EQ(previewPages, staff()->printPlan(printAreaHundredths(printer)).pageCount());
}

TEST_F(StaffPrintApp, OptionsPageOkSetsTheNextPrintsStaffSize)
{
    startWithStaff();
    EXPECT_EQ(staff()->printPlan(QSize(21000, 29700)).staffHeight, 714);
    whenModal<QDialog>(
        [](QDialog& dialog) {
            for (auto* combo : dialog.findChildren<QComboBox*>())
                if (combo->findText("Pearl") >= 0)
                    combo->setCurrentIndex(combo->findText("Pearl"));
        },
        true);
    ASSERT_TRUE(staff()->handle(kIdStaffOptions));
    EXPECT_EQ(staff()->printPlan(QSize(21000, 29700)).staffHeight, 476);
}

} // namespace
} // namespace rz
