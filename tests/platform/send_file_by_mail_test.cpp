#include <unistd.h>

#include <gtest/gtest.h>

#include "platform/send_file_by_mail.h"
#include "tests/support/fake_mail_program.h"

namespace rz {
namespace {

TEST(SendFileByMail, PassesTheSubjectAndAbsoluteAttachmentsInOrder)
{
    FakeMailProgram mail;
    const std::filesystem::path dashed = std::filesystem::temp_directory_path() / "-rf.wav";
    const std::filesystem::path relative = "songs/../take.wav";
    std::string reason;
    ASSERT_TRUE(SendFileByMail("My Song.mid", {dashed, relative}, reason)) << reason;
    const std::vector<std::string> expected = {
        "--subject", "My Song.mid",
        "--attach",  dashed.string(),
        "--attach",  (std::filesystem::current_path() / "take.wav").string(),
    };
    EXPECT_EQ(mail.arguments(), expected);
}

TEST(SendFileByMail, FailuresGiveAReason)
{
    struct Case {
        bool present;
        int exitStatus;
        const char* reason;
    } cases[] = {
        {true, 3, "xdg-email exited with status 3"},
        {false, 0, "xdg-email could not be started: No such file or directory"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reason);
        FakeMailProgram mail(c.present, c.exitStatus);
        std::string reason;
        EXPECT_FALSE(SendFileByMail("Song.mid", {"/tmp/song.mid"}, reason));
        EXPECT_EQ(reason, c.reason);
    }
}

} // namespace
} // namespace rz
