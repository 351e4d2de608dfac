#include "ui/help_opener.h"

#include "tests/support/scripted_prompt.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fstream>

namespace rz {
namespace {

namespace fs = std::filesystem;

TEST(HelpOpener, TopicsOpenTheirPageOrSayWhyNot)
{
    QTemporaryDir dir;
    const fs::path folder = dir.path().toStdString();
    std::ofstream(folder / "Keys.htm") << "keys";
    std::ofstream(folder / "Welcome.htm") << "welcome";
    ScriptedPrompt prompt;
    std::vector<QUrl> opened;
    HelpOpener help(folder, [&](const QUrl& url) {
        opened.push_back(url);
        return true;
    });
    help.setPrompt(&prompt);
    const QString welcome = QUrl::fromLocalFile(dir.filePath("Welcome.htm")).toString();
    const struct {
        const char* topic;
        QString url;        // empty: nothing opens
        const char* message; // the message box instead
    } cases[] = {
        {"::/Keys.htm#play", QUrl::fromLocalFile(dir.filePath("Keys.htm")).toString() + "#play", nullptr},
        {"Keys.htm", welcome, nullptr},
        {"::/Missing.htm#x", {}, "There is no help page for this topic: "},
        {"::/../Keys.htm", {}, "There is no help page for this topic: ::/../Keys.htm"},
    };
    for (const auto& c : cases) {
        opened.clear();
        if (c.message)
            prompt.expectMessage(c.message);
        EXPECT_EQ(help.open(c.topic), !c.url.isEmpty()) << c.topic;
        prompt.verifyAllUsed();
        EXPECT_EQ(opened.empty() ? QString() : opened.back().toString(), c.url) << c.topic;
    }
}

// A browser that cannot start, or gives up later, is told in a message box;
// after the opener has gone a late failure tells no one.
TEST(HelpOpener, ABrowserFailureShowsAMessage)
{
    QTemporaryDir dir;
    const fs::path folder = dir.path().toStdString();
    std::ofstream(folder / "Welcome.htm") << "welcome";
    ScriptedPrompt prompt;
    std::function<void(std::string)> later;
    bool starts = false;
    auto help = std::make_unique<HelpOpener>(folder);
    help->setPrompt(&prompt);
    help->setBrowser([&](const QUrl&, std::function<void(std::string)> failed) {
        later = std::move(failed);
        return starts;
    });
    prompt.expectMessage("The help page could not be shown (file://");
    EXPECT_FALSE(help->open("::/Welcome.htm"));
    prompt.verifyAllUsed();

    starts = true;
    EXPECT_TRUE(help->open("::/Welcome.htm"));
    prompt.expectMessage("xdg-open ended with code 3");
    later("xdg-open ended with code 3");
    prompt.verifyAllUsed();

    help.reset();
    later("too late"); // no message expected
}

TEST(HelpFolder, TheFolderBesideTheProgramComesFirstThenTheInstalledOne)
{
    QTemporaryDir dir;
    const fs::path root = dir.path().toStdString();
    const fs::path program = root / "bin";
    fs::create_directories(program);
    EXPECT_EQ(helpFolderFor(program), program / "help");
    fs::create_directories(root / "share" / "devu-rizoraz" / "help");
    EXPECT_EQ(helpFolderFor(program), root / "share" / "devu-rizoraz" / "help");
    fs::create_directories(program / "help");
    EXPECT_EQ(helpFolderFor(program), program / "help");
}

} // namespace
} // namespace rz
