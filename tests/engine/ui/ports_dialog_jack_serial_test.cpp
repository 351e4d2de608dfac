// The Ports dialog over the engine's JACK ports on a dummy server of the
// test's own: alone (RUN_SERIAL), as every JACK test.

#include "engine/ui/ports_dlg.h"
#include "tests/engine/engine_jack_fixture.h"
#include "tests/support/eventually.h"
#include "ui/gui_post.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>

#include <gtest/gtest.h>

#include <chrono>

namespace rz {
namespace {

using namespace std::chrono_literals;

class PortsDialogJack : public EngineJackTest {
protected:
    ManualEngineTimer timer;
    // Outlives the engine, which the fixture shuts down in TearDown.
    QtGuiThreadQueue qtGui;
};

TEST_F(PortsDialogJack, AJackPortDroppedIntoTheListOpensOnOkAndPlays)
{
    auto client = makeTestClient();
    profile.writeString("PortsToUse\\MIDIOUT\\0", "port", "Elsewhere");
    MidiSystemOptions options;
    options.soundFonts.clear();
    CSequencer& sequencer = startEngine(timer, options);
    const QString name = QString::fromStdString(client->inPort());
    CPortsDlg dialog(PortsDialogServices{.engine = sequencer,
                                         .profile = profile,
                                         .prompt = prompt,
                                         .synths = nullptr,
                                         .synthChoices = nullptr,
                                         .currentSong = nullptr,
                                         .help = nullptr});
    dialog.setPortSetupRunner([](CPortSetupDlg&) { return false; });
    ASSERT_FALSE(dialog.tree()->findItems(name, Qt::MatchExactly | Qt::MatchRecursive).isEmpty());
    for (const auto& port : sequencer.ports()->outputs)
        EXPECT_FALSE(port->isOpen()) << port->name() << " opened before OK";
    dialog.model().outputs().clear();

    QListWidget* list = dialog.list();
    list->resize(300, 300);
    list->show();
    QMimeData data;
    data.setData(CPortsDlg::kPortMime, name.toUtf8());
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(list->viewport(), &enter);
    QDropEvent drop(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(list->viewport(), &drop);
    ASSERT_EQ(dialog.model().outputs().size(), 1u);
    dialog.accept();

    const auto ports = sequencer.ports();
    ASSERT_EQ(ports->outputMap.size(), 1u);
    COutPort* port = ports->mappedOutput(0);
    ASSERT_NE(port, nullptr);
    EXPECT_TRUE(port->isOpen());
    port->SendShort(0x403C90);
    ASSERT_TRUE(client->waitForCount(1, 5s));
    EXPECT_EQ(client->received().back().bytes, (std::vector<uint8_t>{0x90, 0x3C, 0x40}));
    EXPECT_EQ(profile.readString("PortsToUse\\MIDIOUT\\0", "port", ""), client->inPort());
}

// A synthesizer started after the program: the dialog lists the ports the
// server has when it opens, and one more client's ports while it is open.
TEST_F(PortsDialogJack, PortsRegisteredAfterStartUpAreListedAndFollowedWhileOpen)
{
    guiQueue = &qtGui;
    MidiSystemOptions options;
    options.soundFonts.clear();
    CSequencer& sequencer = startEngine(timer, options);
    const size_t outputsAtStart = sequencer.ports()->outputs.size();
    auto early = makeTestClient("rz-early");
    CPortsDlg dialog(PortsDialogServices{.engine = sequencer,
                                         .profile = profile,
                                         .prompt = prompt,
                                         .synths = nullptr,
                                         .synthChoices = nullptr,
                                         .currentSong = nullptr,
                                         .help = nullptr});
    const auto listed = [&](const std::string& name) {
        QApplication::processEvents();
        return !dialog.tree()
                    ->findItems(QString::fromStdString(name), Qt::MatchExactly | Qt::MatchRecursive)
                    .isEmpty();
    };
    EXPECT_TRUE(listed(early->inPort()));

    auto late = makeTestClient("rz-late");
    EXPECT_TRUE(eventually([&] { return listed(late->inPort()); }));
    dialog.tabs()->setCurrentIndex(CPortsDlg::kInputsTab);
    EXPECT_TRUE(listed(late->outPort()));

    // New ports go in closed at the end: no port's number changes.
    const auto ports = sequencer.ports();
    ASSERT_EQ(ports->outputs.size(), outputsAtStart + 2);
    for (size_t i = outputsAtStart; i < ports->outputs.size(); ++i)
        EXPECT_FALSE(ports->outputs[i]->isOpen()) << ports->outputs[i]->name();
    EXPECT_EQ(ports->outputs.back()->name(), late->inPort());
}

} // namespace
} // namespace rz
