#include <fstream>

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "smf_builder.h"
#include "song/auto_recover.h"
#include "song/smf_reader.h"
#include "song_fixture.h"

namespace rz {
namespace {

using test::SmfBuilder;
using test::TrackBuilder;

struct OpenedBytes {
    std::unique_ptr<CSongDoc> song;
    bool ok = false;
    std::string reason;
};

OpenedBytes openReporting(SongFixture& fixture, const std::vector<uint8_t>& bytes, SongFileKind kind = {})
{
    OpenedBytes result;
    result.song = std::make_unique<CSongDoc>(fixture.context());
    result.ok = OpenSongBytes(*result.song, bytes, kind, result.reason);
    return result;
}

TrackBuilder oneNote(uint8_t channel = 0, uint32_t at = 0, uint32_t length = 96)
{
    TrackBuilder t;
    t.meta(0, 0x03, "Piano")
        .event(at, {uint8_t(0x90 | channel), 60, 100})
        .event(length, {uint8_t(0x80 | channel), 60, 0})
        .end();
    return t;
}

std::vector<uint8_t> format1(uint16_t division, std::initializer_list<TrackBuilder> tracks)
{
    SmfBuilder smf;
    smf.header(1, uint16_t(tracks.size() + 1), division).track(test::plainConductor());
    for (const TrackBuilder& t : tracks)
        smf.track(t);
    return smf.bytes();
}

void writeFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                               std::streamsize(bytes.size()));
}

TEST(SmfReader, ZeroByteFileIsNoSong)
{
    SongFixture fixture;
    TempDir dir;
    const auto path = dir.path() / "empty.mid";
    writeFile(path, {});
    CSongDoc song(fixture.context());
    std::string reason;
    EXPECT_FALSE(OpenSong(song, path, reason));
    EXPECT_NE(reason.find("not a Standard MIDI File"), std::string::npos) << reason;
    EXPECT_FALSE(song.contentFlag);
    EXPECT_TRUE(song.tracks.empty());
    EXPECT_TRUE(std::filesystem::exists(path));
}

TEST(SmfReader, UnreadableFileNamesTheReason)
{
    SongFixture fixture;
    TempDir dir;
    const auto path = dir.path() / "locked.mid";
    writeFile(path, format1(96, {oneNote()}));
    ASSERT_EQ(::chmod(path.c_str(), 0), 0);
    if (::access(path.c_str(), R_OK) == 0)
        GTEST_SKIP() << "every file is readable to this user (root)";
    CSongDoc song(fixture.context());
    std::string reason;
    EXPECT_FALSE(OpenSong(song, path, reason));
    EXPECT_EQ(reason, "cannot read " + path.string() + ": Permission denied");
}

TEST(SmfReader, ContainerCases)
{
    const std::vector<uint8_t> plain = format1(96, {oneNote()});
    SmfBuilder smf;
    smf.header(1, 2, 96).track(test::plainConductor()).track(oneNote());
    SmfBuilder foreign;
    const std::vector<uint8_t> junk = {1, 2, 3};
    foreign.header(1, 2, 96).track(test::plainConductor()).chunk("XFIH", junk).track(oneNote());
    SmfBuilder tooFew;
    tooFew.header(1, 3, 96).track(test::plainConductor()).track(oneNote());
    SmfBuilder shortTrack;
    shortTrack.header(1, 2, 96).track(test::plainConductor()).chunk("MTrk", oneNote().bytes(), 4000);
    SmfBuilder shortHeader;
    shortHeader.header(1, 1, 96, 4);
    SmfBuilder hugeForeign;
    hugeForeign.header(1, 2, 96).track(test::plainConductor()).chunk("XFIH", junk, 0xFFFFFFF0);
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        bool opens;
        const char* reason;
    } cases[] = {
        {"plain", plain, true, ""},
        {"RMID form", smf.riff("RMID"), true, ""},
        {"other RIFF form", smf.riff("WAVE"), false, "not a Standard MIDI File"},
        {"foreign chunk skipped", foreign.bytes(), true, ""},
        {"too few chunks", tooFew.bytes(), false, "holds 2 of the 3 tracks"},
        {"short track", shortTrack.bytes(), false, "track 2 is shorter than its length"},
        {"header below 6 bytes", shortHeader.bytes(), false, "not a Standard MIDI File"},
        {"foreign chunk past the end", hugeForeign.bytes(), false, "shorter than its length"},
        {"text file", {'h', 'e', 'l', 'l', 'o'}, false, "not a Standard MIDI File"},
        {"no bytes", {}, false, "not a Standard MIDI File"},
        {"RMID form of no bytes", SmfBuilder().riff("RMID"), false, "not a Standard MIDI File"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SongFixture fixture;
        const OpenedBytes opened = openReporting(fixture, c.bytes);
        EXPECT_EQ(opened.ok, c.opens) << opened.reason;
        EXPECT_NE(opened.reason.find(c.reason), std::string::npos) << opened.reason;
        if (c.opens) {
            ASSERT_EQ(opened.song->tracks.size(), 3u);
            EXPECT_EQ(opened.song->tracks[1]->events.size(), 1u);
        } else {
            EXPECT_TRUE(opened.song->tracks.empty());
            EXPECT_FALSE(opened.song->contentFlag);
        }
    }
}

TEST(SmfReader, NoteWithoutEndOfTrackIsKept)
{
    TrackBuilder t;
    t.event(0, {0x90, 64, 90}).event(48, {0x80, 64, 0});
    SongFixture fixture;
    const OpenedBytes opened = openReporting(fixture, format1(96, {t}));
    ASSERT_TRUE(opened.ok) << opened.reason;
    const auto& events = opened.song->tracks[1]->events;
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].data1(), 64);
    EXPECT_EQ(events[0].value2, 48);
}

TEST(SmfReader, StatusByteAsDataIsSkippedWithAMessage)
{
    TrackBuilder t;
    t.event(0, {0x90, 60, 100})
        .event(48, {0xB0, 0x07, 0xC0}) // 0xC0 where the value belongs
        .event(48, {0x80, 60, 0})
        .end();
    SongFixture fixture;
    fixture.prompt.expectMessage(
        "Skipped 1 channel messages with a status byte where a data byte belongs: 1 in track 2.");
    const OpenedBytes opened = openReporting(fixture, format1(96, {t}));
    ASSERT_TRUE(opened.ok) << opened.reason;
    fixture.prompt.verifyAllUsed();
    const auto& events = opened.song->tracks[1]->events;
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].value2, 96);
}

// The ends are scaled, not the lengths: two notes that end together at 100
// ticks a quarter still do at 960, so a saved file pairs their note-offs
// with them as before.
TEST(SmfReader, NotesEndingTogetherStillDoAfterARescale)
{
    TrackBuilder t;
    t.event(0, {0x90, 60, 100})  // 0..2 becomes 0..19 (19.2)
        .event(1, {0x90, 64, 100}) // 1..2: from 10 (9.6), 1 tick long would end at 20
        .event(1, {0x80, 60, 0})
        .event(0, {0x80, 64, 0})
        .end();
    SongFixture fixture;
    fixture.prompt.expectMessage("from 100 to 960");
    const OpenedBytes opened = openReporting(fixture, format1(100, {t}));
    ASSERT_TRUE(opened.ok) << opened.reason;
    const auto& events = opened.song->tracks[1]->events;
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].tick + events[0].value2, 19);
    EXPECT_EQ(events[1].tick + events[1].value2, 19);
}

TEST(SmfReader, TimeBases)
{
    struct Case {
        uint16_t division;
        bool opens;
        uint16_t timeBase;
        int32_t noteTick; // of a note 96 file ticks in
    } cases[] = {
        {96, true, 96, 96},
        {100, true, 960, 922}, // 96 x 960 / 100 = 921.6
        {0, false, 0, 0},
        {0xE600 | 40, false, 0, 0}, // -26 frames a second: no such rate
        {0xE700, false, 0, 0},      // -25 frames, 0 ticks a frame
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.division);
        SongFixture fixture;
        if (c.timeBase == 960)
            fixture.prompt.expectMessage("adjusted to a supported value (from 100 to 960)");
        const OpenedBytes opened = openReporting(fixture, format1(c.division, {oneNote(0, 96)}));
        ASSERT_EQ(opened.ok, c.opens) << opened.reason;
        if (!c.opens)
            continue;
        EXPECT_EQ(opened.song->timeBase, c.timeBase);
        EXPECT_EQ(opened.song->tracks[1]->events[0].tick, c.noteTick);
        EXPECT_EQ(opened.song->IsModified(), c.timeBase != c.division);
    }
}

TEST(SmfReader, SmpteDivisionRunsInRealTime)
{
    // -25 frames a second, 40 ticks a frame: 1000 ticks a second. The file's
    // own tempo (120 bpm in the conductor) does not count.
    SongFixture fixture;
    fixture.prompt.expectMessage("from 1000 to 960");
    const OpenedBytes opened = openReporting(fixture, format1(0xE728, {oneNote(0, 1000)}));
    ASSERT_TRUE(opened.ok) << opened.reason;
    const CSongDoc& song = *opened.song;
    EXPECT_EQ(song.timeBase, 960);
    ASSERT_EQ(song.tempoMap.size(), 1u);
    EXPECT_EQ(song.tempoMap[0].tempo, 1000000u);
    EXPECT_DOUBLE_EQ(song.TickToTime(song.tracks[1]->events[0].tick), 1000000.0);
}

TEST(SmfReader, Format0SplitsByChannelInChannelOrder)
{
    TrackBuilder t;
    t.meta(0, 0x51, {0x07, 0xA1, 0x20})
        .event(0, {0x90, 60, 100})
        .event(0, {0x99, 36, 100})
        .event(0, {0x92, 64, 100})
        .event(96, {0x80, 60, 0})
        .event(0, {0x89, 36, 0})
        .event(0, {0x82, 64, 0})
        .end();
    SmfBuilder smf;
    smf.header(0, 1, 96).track(t);
    SongFixture fixture;
    fixture.profile.writeInt("OpenOptions", "WarnFormat", 2);
    const OpenedBytes opened = openReporting(fixture, smf.bytes());
    ASSERT_TRUE(opened.ok) << opened.reason;
    const auto& tracks = opened.song->tracks;
    ASSERT_EQ(tracks.size(), 5u);
    const char* names[] = {"Channel 1", "Channel 3", "Channel 10"};
    const int channels[] = {0, 2, 9};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(tracks[size_t(i) + 1]->name, names[i]);
        EXPECT_EQ(tracks[size_t(i) + 1]->channel, channels[i]);
        ASSERT_EQ(tracks[size_t(i) + 1]->events.size(), 1u);
        EXPECT_EQ(tracks[size_t(i) + 1]->events[0].value2, 96);
    }
    EXPECT_TRUE(tracks[4]->events.empty());
    EXPECT_EQ(opened.song->format, 1);
}

TEST(SmfReader, WarnFormatChoices)
{
    struct Case {
        int warnFormat;
        std::optional<PromptAnswer> answer;
        uint16_t format;
        bool modified;
    } cases[] = {
        {1, PromptAnswer::Yes, 1, true},
        {1, PromptAnswer::No, 0, false},
        {2, std::nullopt, 1, false},
        {0, std::nullopt, 0, false},
        {7, std::nullopt, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.warnFormat);
        SongFixture fixture;
        fixture.profile.writeInt("OpenOptions", "WarnFormat", c.warnFormat);
        if (c.answer)
            fixture.prompt.expectYesNo("is a MIDI Format 0 file.\nConvert it to Format 1 now", *c.answer);
        SmfBuilder smf;
        smf.header(0, 1, 96).track(oneNote(3));
        const OpenedBytes opened = openReporting(fixture, smf.bytes());
        ASSERT_TRUE(opened.ok) << opened.reason;
        EXPECT_EQ(opened.song->format, c.format);
        EXPECT_EQ(opened.song->IsModified(), c.modified);
        EXPECT_EQ(opened.song->tracks[1]->name, "Channel 4");
    }
}

class SmfReaderAutoRecover : public ::testing::Test {
protected:
    void SetUp() override
    {
        writeFile(m_song, format1(96, {oneNote(0, 0)}));
        writeFile(AutoRecoverPath(m_song), format1(96, {oneNote(0, 0), oneNote(1, 0)}));
    }
    std::vector<uint8_t> read(const std::filesystem::path& path)
    {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    TempDir m_dir;
    std::filesystem::path m_song = m_dir.path() / "tune.mid";
    SongFixture m_fixture;
};

TEST_F(SmfReaderAutoRecover, OkOpensTheCopyAndPutsItInPlace)
{
    const auto copyBytes = read(AutoRecoverPath(m_song));
    m_fixture.prompt.expectOkCancel("AutoRecover files were found for tune--do you want to open them instead?",
                                    PromptAnswer::Ok);
    CSongDoc song(m_fixture.context());
    std::string reason;
    ASSERT_TRUE(OpenSong(song, m_song, reason)) << reason;
    EXPECT_EQ(song.tracks.size(), 4u);
    EXPECT_FALSE(std::filesystem::exists(AutoRecoverPath(m_song)));
    EXPECT_EQ(read(m_song), copyBytes);
}

TEST_F(SmfReaderAutoRecover, CancelOpensTheSongAndDropsTheCopy)
{
    m_fixture.prompt.expectOkCancel("AutoRecover files were found", PromptAnswer::Cancel);
    CSongDoc song(m_fixture.context());
    std::string reason;
    ASSERT_TRUE(OpenSong(song, m_song, reason)) << reason;
    EXPECT_EQ(song.tracks.size(), 3u);
    EXPECT_FALSE(std::filesystem::exists(AutoRecoverPath(m_song)));
}

TEST_F(SmfReaderAutoRecover, DamagedCopyKeepsBothFiles)
{
    writeFile(AutoRecoverPath(m_song), {'M', 'T', 'h', 'd', 0, 0});
    const auto songBytes = read(m_song);
    m_fixture.prompt.expectOkCancel("AutoRecover files were found", PromptAnswer::Ok);
    CSongDoc song(m_fixture.context());
    std::string reason;
    ASSERT_TRUE(OpenSong(song, m_song, reason)) << reason;
    EXPECT_EQ(song.tracks.size(), 3u);
    EXPECT_TRUE(std::filesystem::exists(AutoRecoverPath(m_song)));
    EXPECT_EQ(read(m_song), songBytes);
}

TEST(SmfReader, OnlyTheWholeNameCopyIsOffered)
{
    // "tune.sav" belongs to no song any more; "tune.kar.sav" to the karaoke file.
    TempDir dir;
    writeFile(dir.path() / "tune.mid", format1(96, {oneNote()}));
    writeFile(dir.path() / "tune.sav", format1(96, {oneNote(), oneNote()}));
    writeFile(dir.path() / "tune.kar.sav", format1(96, {oneNote(), oneNote()}));
    SongFixture fixture;
    CSongDoc song(fixture.context());
    std::string reason;
    ASSERT_TRUE(OpenSong(song, dir.path() / "tune.mid", reason)) << reason;
    EXPECT_EQ(song.tracks.size(), 3u);
    EXPECT_TRUE(std::filesystem::exists(dir.path() / "tune.kar.sav"));
}

TEST(SmfReader, TrackCountLimit)
{
    for (int userTracks : {250, 251}) {
        SCOPED_TRACE(userTracks);
        SmfBuilder smf;
        smf.header(1, uint16_t(userTracks + 1), 96).track(test::plainConductor());
        for (int i = 0; i < userTracks; ++i)
            smf.track(oneNote(uint8_t(i % 16)));
        SongFixture fixture;
        const OpenedBytes opened = openReporting(fixture, smf.bytes());
        EXPECT_EQ(opened.ok, userTracks <= 250);
        if (!opened.ok)
            EXPECT_EQ(opened.reason, "more than 250 tracks");
        else
            EXPECT_EQ(opened.song->tracks.size(), size_t(userTracks) + 2);
    }
}

TEST(SmfReader, SplitTracksCountTowardTheLimit)
{
    // 126 tracks on two channels each split into 252.
    TrackBuilder twoChannels;
    twoChannels.event(0, {0x90, 60, 100}).event(0, {0x91, 62, 100}).end(96);
    SmfBuilder smf;
    smf.header(1, 127, 96).track(test::plainConductor());
    for (int i = 0; i < 126; ++i)
        smf.track(twoChannels);
    SongFixture fixture;
    const OpenedBytes opened = openReporting(fixture, smf.bytes());
    EXPECT_FALSE(opened.ok);
    EXPECT_EQ(opened.reason, "more than 250 tracks");
}

TEST(SmfReader, FarAwayEventNeedsTooManyMeasures)
{
    TrackBuilder far;
    far.event(0x0FFFFFFF, {0x90, 60, 100}).end();
    SongFixture fixture;
    const OpenedBytes opened = openReporting(fixture, format1(96, {far}));
    EXPECT_FALSE(opened.ok);
    EXPECT_NE(opened.reason.find("more than 65535 measures"), std::string::npos) << opened.reason;
}

TEST(SmfReader, CuePointsStayMetaEventsOnMidiTracks)
{
    TrackBuilder t;
    t.meta(0, 0x07, "WaveData/take.wav").event(0, {0x90, 60, 100}).end(10);
    SongFixture fixture;
    const OpenedBytes opened = openReporting(fixture, format1(96, {t}));
    ASSERT_TRUE(opened.ok) << opened.reason;
    const CMidiEvent& cue = opened.song->tracks[1]->events[0];
    EXPECT_EQ(cue.clip(), nullptr);
    EXPECT_EQ(std::string(cue.data.bytes().begin(), cue.data.bytes().end()), "WaveData/take.wav");
}

TEST(SmfReader, TextsAreCutToTheirLimits)
{
    const std::string longText(300, 'x');
    TrackBuilder conductor;
    conductor.meta(0, 0x02, longText).meta(5, 0x06, longText).end();
    TrackBuilder t;
    t.meta(0, 0x03, longText).event(0, {0x90, 60, 100}).end(10);
    SmfBuilder smf;
    smf.header(1, 2, 96).track(conductor).track(t);
    SongFixture fixture;
    const OpenedBytes opened = openReporting(fixture, smf.bytes());
    ASSERT_TRUE(opened.ok) << opened.reason;
    EXPECT_EQ(opened.song->copyright.size(), 99u);
    EXPECT_EQ(opened.song->tracks[1]->name.size(), 99u);
    ASSERT_EQ(opened.song->cues.size(), 1u);
    EXPECT_EQ(opened.song->cues[0]->name.size(), 127u);
}

} // namespace
} // namespace rz

namespace rz {
namespace {

std::filesystem::path fixtureFolder()
{
    return std::filesystem::path(RZ_FIXTURE_DIR) / "smf";
}

TEST(SmfReader, FixtureFilesOpen)
{
    struct Case {
        const char* file;
        size_t tracks;
        uint16_t timeBase;
    } cases[] = {
        {"format0_channels.mid", 5, 96},
        {"format1_settings.mid", 4, 120},
        {"rmid_wrapped.rmi", 3, 96},
        {"smpte_25_40.mid", 3, 960},
        {"running_status_truncated.mid", 3, 960},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        SongFixture fixture;
        fixture.profile.writeInt("OpenOptions", "WarnFormat", 2);
        if (c.timeBase == 960)
            fixture.prompt.expectMessage("(PPQN) will be adjusted");
        CSongDoc song(fixture.context());
        std::string reason;
        ASSERT_TRUE(OpenSong(song, fixtureFolder() / c.file, reason)) << reason;
        EXPECT_EQ(song.tracks.size(), c.tracks);
        EXPECT_EQ(song.timeBase, c.timeBase);
    }
}

TEST(SmfReader, SettingsFixtureReadsBack)
{
    SongFixture fixture;
    CSongDoc song(fixture.context());
    std::string reason;
    ASSERT_TRUE(OpenSong(song, fixtureFolder() / "format1_settings.mid", reason)) << reason;
    const CTrack& keys = *song.tracks[1];
    EXPECT_EQ(keys.name, "Keys");
    EXPECT_EQ(keys.port, 2);
    EXPECT_EQ(keys.bank, 130);
    EXPECT_EQ(keys.patch, 5);
    EXPECT_EQ(keys.initialControllers[1], 100);
    EXPECT_EQ(keys.channelPressureDest[0], 0x40);
    EXPECT_EQ(keys.key, 2);
    EXPECT_EQ(keys.volume, 90);
    const CTrack& audio = *song.tracks[2];
    EXPECT_EQ(audio.type, kWaveTrack);
    ASSERT_EQ(audio.events.size(), 1u);
    EXPECT_EQ(audio.events[0].clip()->number, 2);
    EXPECT_EQ(song.layoutText, "layout");
    EXPECT_EQ(song.measureMap[0].number, 12);
    EXPECT_EQ(song.measureMap[0].letter, 'B');
    EXPECT_EQ(song.author, "Author");
}

} // namespace
} // namespace rz
