// The Ports dialog over the engine's JACK ports on a dummy server of the
// test's own: alone (RUN_SERIAL), as every JACK test.

#include "engine/ui/ports_dlg.h"
#include "tests/engine/engine_jack_fixture.h"

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

} // namespace
} // namespace rz
