// "Event Properties...": how it opens on new, existing and merged events,
// the lists it offers, the data it checks, and a system-exclusive message
// captured from another thread.

#include "dialogs/event_props_dlg.h"

#include "dialogs/spin_edit.h"
#include "song/track.h"
#include "tests/dialogs/track_props_fixture.h"
#include "tests/support/eventually.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTextCursor>

#include <numeric>
#include <thread>

#include <gtest/gtest.h>

namespace rz {
namespace {

// Stands in for the receive notice: remembers the count it was given.
class FakeNotice : public QDialog {
public:
    FakeNotice(const std::atomic<int>& received, QWidget* parent) : QDialog(parent), received(received) {}
    const std::atomic<int>& received;
};

class EventPropsDialog : public testing::Test {
protected:
    EventPropsDialog()
    {
        CTrack& drums = *s.song->tracks[2];
        drums.synth = kNormalSynth;
        drums.bank = 0;
        drums.patch = 0;
        drums.channel = 9;
        drums.drums = 1 << 9;
    }

    static EventPropsRequest existing(uint32_t message, int32_t value2 = 0, std::vector<uint8_t> data = {})
    {
        EventPropsRequest request;
        request.message = message;
        request.tick = 480;
        request.value2 = value2;
        request.data = std::move(data);
        request.track = 1;
        return request;
    }

    // Waits, handling events, until the condition holds.
    template <class Condition>
    static bool handledUntil(Condition condition)
    {
        return eventually([&] {
            QApplication::processEvents();
            return condition();
        });
    }

    TrackDialogSong s;
    ScriptedPrompt& prompt = s.fixture.prompt;
};

TEST_F(EventPropsDialog, AnEmptyProfileOpensOnExpression127)
{
    EventPropsRequest request;
    request.tick = 0;
    request.track = 1;
    CEventPropsDlg dialog(*s.song, request);
    EXPECT_EQ(dialog.windowTitle(), "Event Properties...");
    EXPECT_EQ(dialog.kindCombo()->currentText(), "Controller");
    EXPECT_EQ(dialog.numberCombo()->currentText(), "Expression (11)");
    EXPECT_EQ(dialog.valueEdit()->text(), "127");
    EXPECT_EQ(dialog.trackCombo()->currentText(), "1: Piano");
    EXPECT_FALSE(dialog.durationEdit()->isEnabled());
    dialog.accept();
    EXPECT_EQ(dialog.answer().message, 0x7F0BB2u) << "the track's channel 3";
    // The choice is remembered for the next new event.
    EXPECT_EQ(readSetting(s.fixture.profile, settings::kInsertEventType), 2);
    EXPECT_EQ(readSettingOr(s.fixture.profile, settings::kInsertEventValue, -5, "2"), 127);
}

TEST_F(EventPropsDialog, NotesRunDownFrom108WithDrumNamesOnADrumChannel)
{
    EventPropsRequest request = existing(0x643C90, 120);
    request.track = 2;
    CEventPropsDlg dialog(*s.song, request);
    QComboBox* numbers = dialog.numberCombo();
    ASSERT_EQ(numbers->count(), 108 - 21 + 1);
    EXPECT_EQ(numbers->itemData(0).toInt(), 108);
    EXPECT_EQ(numbers->itemData(numbers->count() - 1).toInt(), 21);
    EXPECT_EQ(numbers->itemText(numbers->findData(36)), "C2 (36) (Kick)");
    EXPECT_TRUE(numbers->itemText(numbers->findData(37)).endsWith("2 (37)")) << "no name, no parentheses";
    EXPECT_EQ(dialog.valueLabel()->text(), "Velocity:");
    EXPECT_TRUE(dialog.durationEdit()->isEnabled());
    // A melodic track names no drums.
    dialog.trackCombo()->setCurrentIndex(0);
    emit dialog.trackCombo()->activated(0);
    EXPECT_EQ(dialog.numberCombo()->itemText(dialog.numberCombo()->findData(36)), "C2 (36)");
}

TEST_F(EventPropsDialog, NumberListsNameFromTheTracksSynthElseTheBuiltInTables)
{
    s.synths.ccNames[{kNormalSynth, 74}] = "  Cutoff";
    s.synths.nrpnNames[{kNormalSynth, 389}] = "Attack";
    CTrack& melodic = *s.song->tracks[1];
    melodic.synth = kNormalSynth;
    melodic.drums = 1 << 9;
    melodic.technology = 0;
    const struct {
        EventKindIndex kind;
        int32_t data;
        const char* text;
    } kCases[] = {
        {EventKindIndex::Controller, 74, "Cutoff (74)"},
        {EventKindIndex::Nrpn, 389, "389 (3/5): Attack"},
        {EventKindIndex::PatchChange, 0, "Grand Piano [0 (0/0),1]"},
        {EventKindIndex::PatchChange, 259 * 128 + 5, "Rock Piano [259 (2/3),6]"},
        {EventKindIndex::PatchChange, 16, "Power [0 (0/0),17]"},
        {EventKindIndex::Meta, 81, "Tempo (81)"},
        {EventKindIndex::Rpn, 0, "Pitch-Bend Range (0)"},
    };
    CEventPropsDlg dialog(*s.song, existing(0x7F0BB2));
    for (const auto& c : kCases) {
        dialog.kindCombo()->setCurrentIndex(int(c.kind));
        const int row = dialog.numberCombo()->findData(c.data);
        ASSERT_GE(row, 0) << c.text;
        EXPECT_EQ(dialog.numberCombo()->itemText(row), c.text);
    }
    dialog.kindCombo()->setCurrentIndex(int(EventKindIndex::Controller));
    EXPECT_EQ(dialog.numberCombo()->count(), 1) << "the synth's names only";
    EXPECT_EQ(dialog.numberCombo()->currentText(), "11 (undefined)");

    melodic.synth = -1;
    CEventPropsDlg unnamed(*s.song, existing(0x7F0BB2));
    EXPECT_EQ(unnamed.numberCombo()->currentText(), "Expression (11)");
    EXPECT_LT(unnamed.numberCombo()->findData(98), 0);
    EXPECT_LT(unnamed.numberCombo()->findData(6), 0);
}

TEST_F(EventPropsDialog, ACapturedMessageArrivesWholeFromAnotherThread)
{
    std::shared_ptr<IEventCaptureSink> registered;
    FakeNotice* notice = nullptr;
    EventPropsServices services;
    services.setEventCapture = [&](std::shared_ptr<IEventCaptureSink> sink) { registered = std::move(sink); };
    services.receiveNotice = [&](const std::atomic<int>& received, QWidget* parent) {
        notice = new FakeNotice(received, parent);
        return notice;
    };
    std::vector<uint8_t> message(3000);
    std::iota(message.begin(), message.end(), 0);
    for (uint8_t& b : message)
        b &= 0x7F;
    message.front() = 0xF0;
    message.back() = 0xF7;
    auto dialog = std::make_unique<CEventPropsDlg>(*s.song, existing(0xF0, 2, {0xF0, 0xF7}), services);
    ASSERT_EQ(registered, dialog->captureSink());
    const auto send = [&](size_t from, size_t to) {
        std::thread input([&] {
            for (size_t at = from; at < to; at += 1024) {
                const size_t end = std::min(at + 1024, message.size());
                registered->AddSysExChunk(std::span(message).subspan(at, end - at), end == message.size());
            }
        });
        input.join();
    };
    send(0, 2048);
    ASSERT_TRUE(handledUntil([&] { return notice && notice->received.load() == 2048; }));
    EXPECT_EQ(dialog->receiveNotice(), notice);
    send(2048, message.size());
    ASSERT_TRUE(handledUntil([&] { return dialog->receiveNotice() == nullptr; })) << "F7 closes the notice";
    EXPECT_EQ(dialog->model().data(), message);
    EXPECT_EQ(dialog->dataEdit()->toPlainText().toStdString(), hexText(message));
    dialog.reset();
    EXPECT_EQ(registered, nullptr) << "the dialog unregisters as it goes";
}

TEST_F(EventPropsDialog, AMultipleEditWithAMissingFieldClosesWithoutTheMessage)
{
    // Two notes whose velocities differ.
    EventPropsRequest request = existing(0xFF3C90, 120);
    request.multiple = true;
    CEventPropsDlg dialog(*s.song, request);
    EXPECT_EQ(dialog.valueEdit()->text(), "");
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    const EventPropsResult r = dialog.answer();
    EXPECT_EQ(r.kind, EventKindIndex::Note);
    EXPECT_EQ(r.number, 60);
    EXPECT_EQ(r.value, -1);
    EXPECT_EQ(r.duration, 120);
    EXPECT_TRUE(prompt.prompts().empty());
}

TEST_F(EventPropsDialog, ASingleEventWithAMissingFieldStaysOpen)
{
    CEventPropsDlg dialog(*s.song, existing(0xFF3C90, 120));
    prompt.expectMessage("One or more data items is missing for this event.");
    dialog.accept();
    EXPECT_NE(dialog.result(), QDialog::Accepted);
}

TEST_F(EventPropsDialog, MixedKindsSelectNoKind)
{
    EventPropsRequest request = existing(0xFFFFFFFF);
    request.multiple = true;
    CEventPropsDlg dialog(*s.song, request);
    EXPECT_EQ(dialog.kindCombo()->currentIndex(), -1);
    EXPECT_FALSE(dialog.numberCombo()->isEnabled());
    EXPECT_EQ(dialog.valueEdit()->text(), "");
}

TEST_F(EventPropsDialog, ABadHexTokenIsNamedAndSelected)
{
    CEventPropsDlg dialog(*s.song, existing(0xF0, 3, {0xF0, 0x01, 0xF7}));
    EXPECT_EQ(dialog.kindCombo()->currentText(), "System Exclusive");
    EXPECT_TRUE(dialog.dataEdit()->isVisibleTo(&dialog));
    EXPECT_FALSE(dialog.valueEdit()->isVisibleTo(&dialog));
    EXPECT_EQ(dialog.dataEdit()->toPlainText(), "F0 01 F7");
    dialog.dataEdit()->setPlainText("F0 01\n 123 F7");
    prompt.expectMessage("123 is not a valid hex byte (00-7F).  Enter data like 00 4F 22... etc.");
    dialog.accept();
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.dataEdit()->textCursor().selectedText(), "123");
    dialog.dataEdit()->setPlainText("f0 02 f7");
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.answer().data, (std::vector<uint8_t>{0xF0, 0x02, 0xF7}));
}

TEST_F(EventPropsDialog, MetaTextShowsAsTextAndKeepsItsBytesUntouched)
{
    // Not UTF-8: shown through the text codec, stored as it came.
    const std::vector<uint8_t> text{'C', 'a', 'f', 0xE9};
    CEventPropsDlg untouched(*s.song, existing(0x01FF, 4, text));
    EXPECT_EQ(untouched.dataEdit()->toPlainText(), QString::fromUtf8("Caf\xC3\xA9"));
    untouched.accept();
    EXPECT_EQ(untouched.answer().data, text);
    EXPECT_EQ(untouched.answer().message, 0x01FFu);

    CEventPropsDlg edited(*s.song, existing(0x01FF, 4, text));
    edited.dataEdit()->setPlainText("Tea");
    edited.accept();
    EXPECT_EQ(edited.answer().data, (std::vector<uint8_t>{'T', 'e', 'a'}));

    // Eight-bit Meta data in hex: a tempo.
    CEventPropsDlg tempo(*s.song, existing(0x51FF, 3, {0x07, 0xA1, 0x20}));
    EXPECT_EQ(tempo.dataEdit()->toPlainText(), "07 A1 20");
    tempo.dataEdit()->setPlainText("07 A1 21");
    tempo.accept();
    EXPECT_EQ(tempo.result(), QDialog::Accepted);
    EXPECT_EQ(tempo.answer().data, (std::vector<uint8_t>{0x07, 0xA1, 0x21}));
}

TEST_F(EventPropsDialog, AMetaBlockTooLargeToEditIsRefused)
{
    CEventPropsDlg dialog(*s.song, existing(0x7FFF, 70000, std::vector<uint8_t>(70000, 1)));
    prompt.expectMessage("This block is too large to edit (64k limit).");
    EXPECT_EQ(dialog.exec(), QDialog::Rejected);
}

TEST_F(EventPropsDialog, ChoosingAControllerBringsItsUsualValue)
{
    CEventPropsDlg dialog(*s.song, existing(0x7F0BB2));
    QComboBox* numbers = dialog.numberCombo();
    const int volume = numbers->findData(7);
    ASSERT_GE(volume, 0);
    numbers->setCurrentIndex(volume);
    emit numbers->activated(volume);
    EXPECT_EQ(dialog.valueEdit()->text(), "100");
    dialog.accept();
    EXPECT_EQ(dialog.answer().message, 0x6407B2u);
}

} // namespace
} // namespace rz
