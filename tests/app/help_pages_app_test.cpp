// Help > Contents and Search through the program's router, on the manual
// the build lays beside the program.

#include "res/command_ids.h"
#include "tests/app/app_test_fixture.h"
#include "ui/command_router.h"
#include "ui/help_opener.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QUrl>

namespace rz {
namespace {

class HelpPagesApp : public AppFixture {};

TEST_F(HelpPagesApp, ContentsAndSearchOpenTheirPagesOrSayWhyNot)
{
    start();
    const std::filesystem::path manual = helpFolderFor(std::filesystem::path(RZ_PROGRAM_PATH).parent_path());
    app->help().setFolder(manual);
    std::vector<QUrl> opened;
    bool browserStarts = true;
    app->help().setUrlOpener([&](const QUrl& url) {
        opened.push_back(url);
        return browserStarts;
    });
    const struct {
        CommandId command;
        const char* page;
    } pages[] = {{kIdHelpContents, "Welcome.htm"}, {kIdHelpSearch, "Search.htm"}};
    for (const auto& p : pages) {
        EXPECT_TRUE(app->router().execute(p.command));
        ASSERT_FALSE(opened.empty()) << p.page;
        EXPECT_EQ(opened.back().fileName(), p.page);
        EXPECT_TRUE(QFileInfo(opened.back().toLocalFile()).isFile()) << p.page << " is in the manual";
    }

    // A manual without the page, and a browser that does not start: each says so.
    QTemporaryDir empty;
    app->help().setFolder(empty.path().toStdString());
    opened.clear();
    prompt.expectMessage("There is no help page for this topic");
    EXPECT_TRUE(app->router().execute(kIdHelpContents));
    prompt.verifyAllUsed();
    EXPECT_TRUE(opened.empty());

    app->help().setFolder(manual);
    browserStarts = false;
    prompt.expectMessage("The help page could not be shown");
    EXPECT_TRUE(app->router().execute(kIdHelpSearch));
    prompt.verifyAllUsed();
}

} // namespace
} // namespace rz
