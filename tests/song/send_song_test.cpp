#include <gtest/gtest.h>

#include "saved_song.h"
#include "song/send_song.h"
#include "tests/support/fake_mail_program.h"
#include "tests/support/fake_set_link.h"

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

// A song may name any file as a clip; only those in its own folder, the
// set's or the work folder go without a question that lists the others.
TEST_F(SendSong, FilesOutsideTheSongsFoldersAreListedAndSentOnlyOnYes)
{
    TempDir elsewhere, setFolder, work;
    writeBytes(elsewhere.path() / "id_rsa", {'k'});
    std::filesystem::create_directory_symlink(elsewhere.path(), dir.path() / "link");
    FakeSetLink set;
    set.setFolder = setFolder.path();
    host.workFolderPath = work.path();
    song = std::make_unique<CSongDoc>(SongContext{.profile = fixture.profile, .prompt = fixture.prompt,
                                                  .host = host, .engine = fixture.engine, .setLink = &set});
    song->InitNewSong();
    song->title = "My Song";
    CTrack& audio = addUserTrack(*song);
    audio.type = kWaveTrack;
    audio.events = {clipEventFor((setFolder.path() / "s.wav").string(), 0),
                    clipEventFor((work.path() / "w.wav").string(), 100),
                    clipEventFor((elsewhere.path() / "id_rsa").string(), 200),
                    clipEventFor("../" + elsewhere.path().filename().string() + "/id_rsa", 300),
                    clipEventFor("link/id_rsa", 400),
                    clipEventFor("a.wav", 500)};
    settle(*song);
    song->SetPathName(dir.path() / "My Song.mid");
    writeBytes(song->pathName, songBytes(*song));
    const std::vector<std::string> outside = {
        dir.path().string() + "/link/id_rsa",
        dir.path().string() + "/../" + elsewhere.path().filename().string() + "/id_rsa",
        (elsewhere.path() / "id_rsa").string(),
    };
    const std::vector<std::string> inside = {inFolder("My Song.mid"), inFolder("a.wav"),
                                             (work.path() / "w.wav").string(), (setFolder.path() / "s.wav").string()};
    for (const PromptAnswer answer : {PromptAnswer::No, PromptAnswer::Yes}) {
        FakeMailProgram mail;
        std::string question = "outside its folder, the set's folder and the work folder:";
        for (const std::string& file : outside)
            question += "\n" + file;
        fixture.prompt.expectYesNo(question + "\nAttach them too?", answer);
        ASSERT_TRUE(OnFileSend(*song));
        std::vector<std::string> attached;
        for (const std::string& argument : mail.arguments())
            if (argument != "--attach" && argument != "--subject" && argument != "My Song.mid")
                attached.push_back(std::filesystem::path(argument).lexically_normal().string());
        std::vector<std::string> expected;
        for (const std::string& file : inside)
            expected.push_back(std::filesystem::path(file).lexically_normal().string());
        if (answer == PromptAnswer::Yes)
            for (const std::string& file : outside)
                expected.push_back(std::filesystem::path(file).lexically_normal().string());
        EXPECT_EQ(attached, expected);
    }
    fixture.prompt.verifyAllUsed();
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
