// Commands no application target carries out: the frame greys its own, the
// song document decides the rest; and the services the application gives
// songs and the frame (unique take names, dropped files).

#include "app/file_opening.h"
#include "res/command_ids.h"
#include "tests/app/command_enable_table.h"

#include <QDropEvent>
#include <QMimeData>

#include <fstream>

namespace rz::test {
namespace {

// The frame greys the commands of its own no target carries out; the song
// document decides its commands. No track row is chosen here, so a
// controller series has nowhere to go.
const EnableCase kRoutingCases[] = {
    {kIdViewOtherController, kNever}, {kIdInsertMeter, kSongStoppedEditing}, {kIdInsertMeasureNumbers, kSongStoppedEditing},
    {kIdInsertKeySignature, kSongStoppedEditing}, {kIdInsertEvent, kSongStoppedEditing}, {kIdInsertTime, kSongStoppedEditing},
    {kIdInsertChord, kSongStoppedEditing}, {kIdInsertControllerSeries, kNever}, {kIdInsertTempo, kSongStoppedEditing},
    {kIdInsertTempoSeries, kSongStoppedEditing}, {kIdEditFind, kSongNotPlaying}, {kIdFindNext, kSongNotPlaying},
    {kIdInsertTrack, kSongStoppedEditing}, {kIdWebSite, kNever}, {kIdFindFaults, kSongNotPlaying},
    {kIdEditSelectAll, kSong},
};

class RoutingEnable : public CommandEnableFixture, public testing::WithParamInterface<size_t> {};

TEST_P(RoutingEnable, FollowsTransportPerformanceAndSong)
{
    check(kRoutingCases[GetParam()]);
}

INSTANTIATE_TEST_SUITE_P(Table, RoutingEnable, testing::Range(size_t(0), std::size(kRoutingCases)));

using MakeUniqueAudioFileName = AppFixture;

TEST_F(MakeUniqueAudioFileName, DropsANumberedTailAndNumbersAnew)
{
    start();
    std::filesystem::path name = "x/take_3.wav";
    app->files().MakeUniqueAudioFileName(name);
    EXPECT_EQ(name.filename(), "take.wav");
    std::ofstream(name) << "";
    std::filesystem::path again = "x/take_3.wav";
    app->files().MakeUniqueAudioFileName(again);
    EXPECT_EQ(again.filename(), "take_2.wav");
    for (const auto& [given, expected] :
         {std::pair<const char*, const char*>{"x/_12_.wav", "take_2.wav"},
          {"x/voice7.wav", "voice7.wav"}, {"nofolder.wav", "take_2.wav"}}) {
        std::filesystem::path path = given;
        app->files().MakeUniqueAudioFileName(path);
        EXPECT_EQ(path.filename(), expected) << given;
    }
}

using DropFiles = SongFilesFixture;

TEST_F(DropFiles, OpensDroppedSongsOnlyWhileStoppedAndEditing)
{
    start();
    const std::filesystem::path song = writeSong("drop.mid", 1);
    engine.state = TransportState::Playing;
    app->opening().dropFiles({song}, false);
    EXPECT_EQ(app->set().size(), 0u);
    engine.state = TransportState::Stopped;
    app->setPerformanceMode(true);
    app->opening().dropFiles({song}, false);
    EXPECT_EQ(app->set().size(), 0u);
    app->setPerformanceMode(false);
    app->opening().dropFiles({song}, true);
    EXPECT_EQ(app->set().size(), 1u);
}

TEST_F(DropFiles, OnlyLocalFilesReachTheApplication)
{
    start();
    const std::filesystem::path song = writeSong("drop.mid", 1);
    auto* data = new QMimeData;
    data->setUrls({QUrl("https://example.org/x.mid"),
                   QUrl::fromLocalFile(QString::fromStdString(song.string()))});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(app->frame(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(app->frame(), &drop);
    EXPECT_EQ(app->set().size(), 1u);
    delete data;
}

} // namespace
} // namespace rz::test
