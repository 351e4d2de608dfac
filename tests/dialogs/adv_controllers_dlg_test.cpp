// "Advanced controllers...": the registered parameters in their units, the
// destination settings as system-exclusive messages, the controller sliders
// and what OK and Cancel leave in the track dialog's fields.

#include "dialogs/adv_controllers_dlg.h"

#include "core/edit_dialogs.h"
#include "dialogs/spin_edit.h"
#include "dialogs/track_props_dlg.h"
#include "tests/dialogs/track_props_fixture.h"
#include "modal_dialog.h"
#include "ui/cool_slider.h"

#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

namespace rz {
namespace {

constexpr size_t kVolumeRow = 0;
constexpr size_t kReverbRow = 11;
// Slots of the track's RPN values: 5, 1, 2, 0.
constexpr size_t kModDepthSlot = 0;
constexpr size_t kFineTuneSlot = 1;
constexpr size_t kCoarseTuneSlot = 2;
constexpr size_t kBendRangeSlot = 3;

TEST(AdvControllersModel, ParametersReadAndShowInTheirUnits)
{
    const struct {
        RpnField field;
        const char* typed;
        int32_t value;
        const char* shown;
    } cases[] = {
        {RpnField::FineTune, "-12.5", 7168, "-12.50"},
        {RpnField::FineTune, "0", 8192, "+0.00"},
        {RpnField::FineTune, "100", 16383, "+99.98"},
        {RpnField::CoarseTune, "1", 8320, "+1.00"},
        {RpnField::CoarseTune, "-64", 0, "-64.00"},
        {RpnField::BendRange, "2", 256, "2.00"},
        {RpnField::BendRange, "2.5", 306, "2.50"},
        {RpnField::BendRange, "0.29", 29, "0.29"},
        {RpnField::BendRange, "-3", 0, "0.00"},
        {RpnField::ModDepth, "2.5", 320, "2.50"},
        {RpnField::ModDepth, "0.29", 37, "0.28"},
        {RpnField::ModDepth, "", -1, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(parseRpnField(c.field, c.typed), c.value) << c.typed;
        EXPECT_EQ(rpnFieldText(c.field, c.value), c.shown) << c.typed;
    }
    EXPECT_EQ(rpnFieldText(RpnField::BendRange, 2 * 128 + 64), "2.64");
}

TEST(AdvControllersModel, SpinsStartFromTheCentreOrZero)
{
    EXPECT_EQ(spinRpnField(RpnField::CoarseTune, -1, "", 1), 8320);
    EXPECT_EQ(spinRpnField(RpnField::CoarseTune, 8320, "+1.00", -1), 8192);
    EXPECT_EQ(spinRpnField(RpnField::FineTune, -1, "", -1), 8191);
    EXPECT_EQ(spinRpnField(RpnField::BendRange, -1, "", 1), 128);
    EXPECT_EQ(spinRpnField(RpnField::BendRange, 0, "0.00", -1), 0);
    EXPECT_EQ(spinRpnField(RpnField::ModDepth, 16383, "", 1), 16383);
    EXPECT_EQ(spinDestination(0, -1, 1), 65);
    EXPECT_EQ(spinDestination(2, -1, -1), 0);
    EXPECT_EQ(spinDestination(5, 127, 1), 127);
}

TEST(AdvControllersModel, DestinationsShowInTheirUnits)
{
    const struct {
        size_t index;
        int32_t value;
        const char* shown;
    } cases[] = {
        {0, 66, "+2"}, {0, 60, "-4"}, {1, 62, "-300"}, {2, 64, "100"},
        {3, 127, "600"}, {4, 1, "19"}, {5, 0, "0"}, {5, -1, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(destinationText(c.index, c.value), c.shown) << c.index;
    EXPECT_EQ(parseDestination(0, "+2"), 66);
    EXPECT_EQ(parseDestination(1, "-70"), 0);
    EXPECT_EQ(parseDestination(2, "300"), 127);
    EXPECT_EQ(parseDestination(3, ""), -1);
}

class AdvControllersDialog : public testing::Test {
protected:
    void SetUp() override
    {
        s.previewOnFirstTrack();
        TrackPropsParams p;
        p.kind = 0;
        p.port = 0;
        p.channel = 2;
        p.initialControllers[1] = 100; // volume
        p.initialControllers[4] = 50;  // reverb
        p.rpnValues[kBendRangeSlot] = 2 * 128 + 64;
        p.controllerDest[0] = 70;
        trackDialog = std::make_unique<CTrackPropsDlg>(*s.song, p, nullptr);
        dialog = std::make_unique<CAdvControllersDlg>(*trackDialog);
        dialog->show();
        dialog->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
        s.port.reset();
    }
    TrackPropsParams& fields() { return trackDialog->members(); }
    static void typeInto(QLineEdit* field, const QString& text)
    {
        field->setFocus();
        field->selectAll();
        QTest::keyClick(field, Qt::Key_Backspace);
        QTest::keyClicks(field, text);
        QTest::keyClick(field, Qt::Key_Tab);
    }
    std::vector<uint32_t> controllersSent() const
    {
        return s.port.wire;
    }
    static uint32_t cc(int controller, int value) { return midi::controlChange(2, controller, value); }

    TrackDialogSong s;
    std::unique_ptr<CTrackPropsDlg> trackDialog;
    std::unique_ptr<CAdvControllersDlg> dialog;
};

TEST_F(AdvControllersDialog, OpensOnTheTracksValuesAndLetsThePortHearThem)
{
    TrackDialogSong fresh;
    fresh.previewOnFirstTrack();
    TrackPropsParams p;
    p.initialControllers[1] = 90;
    CTrackPropsDlg parent(*fresh.song, p, nullptr);
    CAdvControllersDlg opened(parent);
    EXPECT_EQ(opened.sliderEdit(kVolumeRow)->text(), "90");
    EXPECT_EQ(opened.parameterEdit(RpnField::BendRange)->text(), "");
    // Each slider once: set values, else the value for not set.
    ASSERT_EQ(fresh.port.wire.size(), 14u);
    EXPECT_EQ(fresh.port.wire[0], cc(7, 90));
    EXPECT_EQ(fresh.port.wire[1], cc(10, 64));
    EXPECT_EQ(fresh.port.wire[11], cc(91, 40));
    EXPECT_EQ(dialog->parameterEdit(RpnField::BendRange)->text(), "2.64");
}

TEST_F(AdvControllersDialog, ParametersAreReadAsTypedAndSentAsRegisteredParameters)
{
    typeInto(dialog->parameterEdit(RpnField::FineTune), "-12.5");
    EXPECT_EQ(fields().rpnValues[kFineTuneSlot], 7168);
    EXPECT_EQ(dialog->parameterEdit(RpnField::FineTune)->text(), "-12.50");
    EXPECT_EQ(controllersSent(), (std::vector<uint32_t>{cc(101, 0), cc(100, 1), cc(6, 56), cc(38, 0)}));

    emit dialog->parameterEdit(RpnField::CoarseTune)->stepRequested(true);
    EXPECT_EQ(fields().rpnValues[kCoarseTuneSlot], 8320);
    EXPECT_EQ(dialog->parameterEdit(RpnField::CoarseTune)->text(), "+1.00");

    typeInto(dialog->parameterEdit(RpnField::BendRange), "2");
    EXPECT_EQ(fields().rpnValues[kBendRangeSlot], 256);
    s.port.reset();
    typeInto(dialog->parameterEdit(RpnField::BendRange), "2.5");
    EXPECT_EQ(fields().rpnValues[kBendRangeSlot], 306);
    EXPECT_EQ(dialog->parameterEdit(RpnField::BendRange)->text(), "2.50");
    EXPECT_EQ(controllersSent(), (std::vector<uint32_t>{cc(101, 0), cc(100, 0), cc(6, 2), cc(38, 50)}));

    typeInto(dialog->parameterEdit(RpnField::ModDepth), "2.5");
    EXPECT_EQ(fields().rpnValues[kModDepthSlot], 320);

    s.port.reset();
    typeInto(dialog->parameterEdit(RpnField::ModDepth), "");
    EXPECT_EQ(fields().rpnValues[kModDepthSlot], -1);
    EXPECT_EQ(controllersSent(), (std::vector<uint32_t>{cc(101, 0), cc(100, 5), cc(6, 64), cc(38, 0)}));
}

TEST_F(AdvControllersDialog, EachDestinationChangeGoesOutAsOneSystemExclusiveMessage)
{
    typeInto(dialog->destinationEdit(0), "+2");
    EXPECT_EQ(fields().channelPressureDest[0], 66);
    ASSERT_EQ(s.port.sysex.size(), 1u);
    EXPECT_EQ(s.port.sysex[0], (std::vector<uint8_t>{0xF0, 0x7F, 0x7F, 0x09, 0x01, 0x02, 0x00, 0x42, 0xF7}));

    QTest::mouseClick(dialog->controllerButton(), Qt::LeftButton);
    EXPECT_TRUE(dialog->controllerNumberEdit()->isEnabled());
    EXPECT_EQ(dialog->destinationEdit(0)->text(), "+6"); // the control change's group
    emit dialog->destinationEdit(2)->stepRequested(true);
    EXPECT_EQ(fields().controllerDest[2], 1);
    EXPECT_EQ(s.port.sysex.size(), 1u); // no controller number yet: nothing sent
    typeInto(dialog->controllerNumberEdit(), "74");
    EXPECT_EQ(fields().destController, 74);
    ASSERT_EQ(s.port.sysex.size(), 2u);
    EXPECT_EQ(s.port.sysex[1],
              (std::vector<uint8_t>{0xF0, 0x7F, 0x7F, 0x09, 0x03, 0x02, 0x4A, 0x00, 0x46, 0x02, 0x01, 0xF7}));
    EXPECT_EQ(fields().channelPressureDest[0], 66);
}

TEST_F(AdvControllersDialog, ControllerNumbersOutsideTheTwoRangesAreRefused)
{
    QTest::mouseClick(dialog->controllerButton(), Qt::LeftButton);
    for (const int accepted : {1, 31, 64, 95}) {
        typeInto(dialog->controllerNumberEdit(), QString::number(accepted));
        EXPECT_EQ(fields().destController, accepted);
    }
    for (const int refused : {0, 32, 63, 96}) {
        s.fixture.prompt.expectMessage("Valid numbers are 1-31, and 64-95.");
        typeInto(dialog->controllerNumberEdit(), QString::number(refused));
        EXPECT_EQ(fields().destController, -1) << refused;
        EXPECT_TRUE(dialog->controllerNumberEdit()->text().isEmpty()) << refused;
    }
    s.fixture.prompt.verifyAllUsed();
}

TEST_F(AdvControllersDialog, CancelKeepsParameterEditsButNotTheSliders)
{
    typeInto(dialog->sliderEdit(kVolumeRow), "30");
    EXPECT_EQ(dialog->slider(kVolumeRow)->pos(), 30);
    EXPECT_EQ(controllersSent().back(), cc(7, 30));
    typeInto(dialog->parameterEdit(RpnField::BendRange), "12");
    dialog->reject();
    EXPECT_EQ(fields().initialControllers[1], 100);
    EXPECT_EQ(fields().rpnValues[kBendRangeSlot], 12 * 128);
}

TEST_F(AdvControllersDialog, OkCopiesTheSlidersAndAnEmptiedReverbGoesOutAsForty)
{
    typeInto(dialog->sliderEdit(kVolumeRow), "30");
    typeInto(dialog->sliderEdit(kReverbRow), "");
    EXPECT_EQ(dialog->slider(kReverbRow)->pos(), -1);
    EXPECT_EQ(controllersSent().back(), cc(91, 40));
    typeInto(dialog->sliderEdit(1), "-70"); // pan, shown from -64
    EXPECT_EQ(dialog->sliderEdit(1)->text(), "-64");
    dialog->accept();
    EXPECT_EQ(fields().initialControllers[1], 30);
    EXPECT_EQ(fields().initialControllers[4], -1);
    EXPECT_EQ(fields().initialControllers[0], 0);
}

TEST_F(AdvControllersDialog, TheTrackDialogShowsVolumeAndPanAfterTheAdvancedDialog)
{
    dialog->reject();
    EXPECT_TRUE(answerModal<CAdvControllersDlg>([&] { trackDialog->advancedButton()->click(); },
                                                [](CAdvControllersDlg& advanced) {
                                                    advanced.sliderEdit(kVolumeRow)->setText("30");
                                                    advanced.sliderEdit(kVolumeRow)->setModified(true);
                                                    advanced.accept();
                                                }));
    EXPECT_EQ(trackDialog->volumeEdit()->text(), "30");
    EXPECT_EQ(trackDialog->volumeSlider()->value(), 30);
    EXPECT_EQ(trackDialog->params().initialControllers[1], 30);
}

} // namespace
} // namespace rz
