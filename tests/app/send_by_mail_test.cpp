// File > Send's hand-off in the program: the window does not wait while the
// mail program is open, and a failure it reports later still reaches the user.

#include "app_test_fixture.h"

#include "tests/support/eventually.h"
#include "tests/support/fake_mail_program.h"

namespace rz {
namespace {

class SendByMail : public AppFixture {};

TEST_F(SendByMail, TheWindowGoesOnWhileTheMailProgramIsOpenAndHearsItsFailure)
{
    start();
    const size_t before = prompt.prompts().size();
    FakeMailProgram mail(true, 1, true); // stays open until released, then fails
    std::string reason;
    ASSERT_TRUE(app->files().SendFileByMail("Song.mid", {"/tmp/Song.mid"}, reason)) << reason;
    // Back here while the mail program still runs: it has written its
    // arguments and waits for its release.
    EXPECT_TRUE(eventually([&] { return !mail.arguments().empty(); }));
    EXPECT_EQ(prompt.prompts().size(), before);
    prompt.expectMessage("The song could not be handed to the mail program:\nxdg-email exited with status 1");
    mail.release();
    EXPECT_TRUE(processUntil([&] { return prompt.prompts().size() > before; }));
    prompt.verifyAllUsed();
}

} // namespace
} // namespace rz
