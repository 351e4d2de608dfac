#include <gtest/gtest.h>

#include "saved_song.h"
#include "song/send_song.h"
#include "tests/support/fake_mail_program.h"

// The real hand-off, built into this program: the song library and its
// tests do not link platform/, whose other parts need audio and MIDI libraries.
#include "platform/send_file_by_mail.h"

namespace rz {
namespace {

using namespace test;

// A host that records the hand-off and passes it on to xdg-email.
class MailingHost : public FakeSongHost {
public:
    bool SendFileByMail(std::string_view subject, const std::vector<std::filesystem::path>& attachments,
                        std::string& reason) override
    {
        FakeSongHost::SendFileByMail(subject, attachments, reason);
        return ::rz::SendFileByMail(subject, attachments, reason);
    }
};

// A saved, unmodified song "My Song" in a temporary folder with two
// waveform tracks around a MIDI track; track 3 uses a.wav again.
class SendSong : public ::testing::Test {
protected:
    void SetUp() override
    {
        song = std::make_unique<CSongDoc>(SongContext{
            .profile = fixture.profile, .prompt = fixture.prompt, .host = host, .engine = fixture.engine});
        song->InitNewSong();
        song->title = "My Song";
        CTrack& first = addUserTrack(*song);
        first.type = kWaveTrack;
        first.events = {clipEventFor("WaveData\\a.wav", 0), clipEventFor("WaveData\\b.wav", 480)};
        addUserTrack(*song).events = {note(0, 60, 100, 120)};
        CTrack& third = addUserTrack(*song);
        third.type = kWaveTrack;
        third.events = {clipEventFor((dir.path() / "c.wav").string(), 0), clipEventFor("WaveData/a.wav", 480)};
        settle(*song);
        song->SetPathName(dir.path() / "My Song.mid");
        writeBytes(song->pathName, songBytes(*song));
    }

    std::string inFolder(const char* name) const { return (dir.path() / name).string(); }

    TempDir dir;
    SongFixture fixture;
    MailingHost host;
    std::unique_ptr<CSongDoc> song;
};

TEST_F(SendSong, MailsTheSongAndItsClipsInOrder)
{
    FakeMailProgram mail;
    ASSERT_TRUE(OnFileSend(*song));
    const std::vector<std::string> expected = {
        "--subject", "My Song.mid",
        "--attach", inFolder("My Song.mid"),
        "--attach", inFolder("WaveData/a.wav"),
        "--attach", inFolder("c.wav"),
        "--attach", inFolder("WaveData/b.wav"),
    };
    EXPECT_EQ(mail.arguments(), expected);
    EXPECT_TRUE(host.log.contains("setWaitCursor(0)"));
}

TEST_F(SendSong, ModifiedSongIsOfferedForSavingFirst)
{
    FakeMailProgram mail;
    song->SetModifiedFlag(true);
    fixture.prompt.expectYesNoCancel("Save changes to My Song?", PromptAnswer::Cancel);
    EXPECT_FALSE(OnFileSend(*song));
    EXPECT_TRUE(mail.arguments().empty());

    fixture.profile.writeInt("SaveOptions", "Rename", 0);
    fixture.prompt.expectYesNoCancel("Save changes to My Song?", PromptAnswer::Yes);
    EXPECT_TRUE(OnFileSend(*song));
    EXPECT_FALSE(song->IsModified());
    EXPECT_EQ(mail.arguments().size(), 10u);
}

TEST_F(SendSong, FailuresAreShown)
{
    struct Case {
        bool present;
        int exitStatus;
        const char* shown;
    } cases[] = {
        {false, 0, "mail program:\nxdg-email could not be started"},
        {true, 1, "mail program:\nxdg-email exited with status 1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shown);
        FakeMailProgram mail(c.present, c.exitStatus);
        fixture.prompt.expectMessage(c.shown);
        EXPECT_FALSE(OnFileSend(*song));
    }
}

TEST_F(SendSong, SongWithoutAFileIsNotSent)
{
    FakeMailProgram mail;
    song->pathName.clear();
    fixture.prompt.expectMessage("The song must be saved before it can be sent.");
    EXPECT_FALSE(OnFileSend(*song));
    EXPECT_TRUE(mail.arguments().empty());
}

} // namespace
} // namespace rz
