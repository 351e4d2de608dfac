#include "ui/file_filter.h"
#include "ui/qt_prompt.h"

#include <QAbstractButton>
#include <QPushButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>

namespace rz {
namespace {

TEST(QtPrompt, FiltersBecomeQtForm)
{
    const struct {
        const char* given;
        const char* expected;
    } cases[] = {
        {"Sets or Songs|*.set;*.mid||", "Sets or Songs (*.set *.mid)"},
        {"Sets or Songs|*.set;*.mid|All Files (*.*)|*.*||",
         "Sets or Songs (*.set *.mid);;All Files (*)"},
        {"MIDI files (*.mid;*.kar)|*.mid;*.kar", "MIDI files (*.mid *.kar)"},
        {"Accelerator map data files (*.dat)", "Accelerator map data files (*.dat)"},
        {"Sets (*.set);;All files (*)", "Sets (*.set);;All files (*)"},
        {"Sets or Songs (*.set;*.mid)", "Sets or Songs (*.set *.mid)"},
        {"", "All files (*)"},
        {"|*.set||", "All files (*)"},
        {"Sets|", "All files (*)"},
        {"Sets|*.set|Songs", "All files (*)"},
        {"no patterns", "All files (*)"},
        {"Bad (*.a(b))", "All files (*)"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(toQtFilter(c.given).toStdString(), c.expected) << '"' << c.given << '"';
}

TEST(QtPrompt, SaveNamesGetTheFirstPatternsExtensionWhenTheyHaveNone)
{
    EXPECT_EQ(defaultSuffix("Sets or Songs (*.set *.mid)"), "set");
    EXPECT_EQ(defaultSuffix("Accelerator map data files (*.dat)"), "dat");
    EXPECT_EQ(defaultSuffix("All files (*)"), "");
    EXPECT_EQ(withDefaultSuffix("/s/show", "set"), "/s/show.set");
    EXPECT_EQ(withDefaultSuffix("/s/show.mid", "set"), "/s/show.mid");
    EXPECT_EQ(withDefaultSuffix("/s.d/show", "set"), "/s.d/show.set");
    EXPECT_EQ(withDefaultSuffix("/s/show", ""), "/s/show");
}

// Clicks `button` of the next message box that opens, checking what it shows.
void answerNextBox(QMessageBox::StandardButton button, std::function<void(QMessageBox&)> check)
{
    QTimer::singleShot(10, [button, check] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return answerNextBox(button, check);
        check(*box);
        box->button(button)->click();
    });
}

TEST(QtPrompt, RealMessageBoxReturnsTheChosenButton)
{
    QtPrompt prompt;
    bool checked = false;
    answerNextBox(QMessageBox::No, [&](QMessageBox& box) {
        EXPECT_EQ(box.windowTitle(), "DEVU Rizoraz");
        EXPECT_EQ(box.text(), "Delete accelerator map 'Live'?");
        EXPECT_EQ(box.icon(), QMessageBox::Question);
        EXPECT_EQ(box.standardButtons(), QMessageBox::Yes | QMessageBox::No);
        EXPECT_EQ(static_cast<QAbstractButton*>(box.defaultButton()), box.button(QMessageBox::Yes));
        checked = true;
    });
    EXPECT_EQ(prompt.askYesNo("Delete accelerator map 'Live'?"), PromptAnswer::No);
    EXPECT_TRUE(checked);

    answerNextBox(QMessageBox::Cancel, [](QMessageBox& box) {
        EXPECT_EQ(box.icon(), QMessageBox::Warning);
        EXPECT_EQ(box.standardButtons(),
                  QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    });
    EXPECT_EQ(prompt.askYesNoCancel("Save changes?", PromptIcon::Warning), PromptAnswer::Cancel);

    answerNextBox(QMessageBox::Ok, [](QMessageBox& box) {
        EXPECT_EQ(box.icon(), QMessageBox::Critical);
        EXPECT_EQ(box.standardButtons(), QMessageBox::Ok | QMessageBox::Cancel);
    });
    EXPECT_EQ(prompt.askOkCancel("Overwrite?", PromptIcon::Stop), PromptAnswer::Ok);
}

// "Keep this take?" and the like: the title bar shows "DEVU Rizoraz" whole,
// with room left for its icon and buttons.
TEST(QtPrompt, AShortQuestionsBoxIsWideEnoughForItsTitle)
{
    QtPrompt prompt;
    int boxWidth = 0;
    int titleWidth = 0;
    answerNextBox(QMessageBox::Yes, [&](QMessageBox& box) {
        boxWidth = box.width();
        titleWidth = box.fontMetrics().horizontalAdvance(box.windowTitle());
    });
    EXPECT_EQ(prompt.askYesNo("Keep this take?"), PromptAnswer::Yes);
    ASSERT_GT(titleWidth, 0);
    EXPECT_GE(boxWidth, titleWidth + 150);
}

TEST(QtPrompt, OffTheGuiThreadShowsNothingAndAnswersNegatively)
{
    QtPrompt prompt;
    PromptAnswer yesNo = PromptAnswer::Yes;
    PromptAnswer okCancel = PromptAnswer::Ok;
    bool choseNothing = false;
    std::thread worker([&] {
        yesNo = prompt.askYesNo("Engine question");
        okCancel = prompt.askOkCancel("Engine question");
        prompt.message("Engine note");
        choseNothing = !prompt.chooseOpenPath("Open", "/", "Songs|*.mid||") &&
                       !prompt.chooseColor(0x38140C) && prompt.chooseOpenPaths("Open", "/", "").empty();
    });
    worker.join();
    EXPECT_EQ(yesNo, PromptAnswer::No);
    EXPECT_EQ(okCancel, PromptAnswer::Cancel);
    EXPECT_TRUE(choseNothing);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

} // namespace
} // namespace rz
