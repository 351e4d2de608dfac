#include "set/ui/importing_dlg.h"

#include <QProgressBar>

#include <gtest/gtest.h>

#include <vector>

namespace rz {
namespace {

// Answers the fractions in turn, then the end.
struct FakeGrabber {
    std::vector<double> fractions;
    size_t next = 0;
    int steps = 0;
    int operator()(double* progress)
    {
        ++steps;
        if (next == fractions.size())
            return 0;
        *progress = fractions[next++];
        return 1;
    }
};

TEST(ImportingDlg, AFakeGrabberMovesTheBarAndItsEndClosesWithOk)
{
    FakeGrabber grabber{{0.25, 0.5004}};
    CImportingDlg dialog([&](double* progress) { return grabber(progress); });
    EXPECT_EQ(dialog.windowTitle(), "Importing...");
    EXPECT_EQ(dialog.progressBar()->maximum(), 1000);
    dialog.tick();
    EXPECT_EQ(dialog.progressBar()->value(), 250);
    dialog.tick();
    EXPECT_EQ(dialog.progressBar()->value(), 500);
    dialog.tick();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    dialog.tick(); // the timer is stopped: no further step
    EXPECT_EQ(grabber.steps, 3);
}

TEST(ImportingDlg, CancelClosesWithCancelAndStepsNoMore)
{
    FakeGrabber grabber{{0.1, 0.2, 0.3}};
    CImportingDlg dialog([&](double* progress) { return grabber(progress); });
    dialog.tick();
    dialog.reject();
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    dialog.tick();
    EXPECT_EQ(grabber.steps, 1);
}

TEST(ImportingDlg, ExecRunsOnTheTimerUntilTheEnd)
{
    FakeGrabber grabber{{0.5}};
    CImportingDlg dialog([&](double* progress) { return grabber(progress); });
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
    EXPECT_EQ(grabber.steps, 2);
}

} // namespace
} // namespace rz
