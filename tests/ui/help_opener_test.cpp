#include "ui/help_opener.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fstream>

namespace rz {
namespace {

TEST(HelpOpener, TopicsOpenTheirPageOrTheWelcomePage)
{
    QTemporaryDir dir;
    const std::filesystem::path folder = dir.path().toStdString();
    std::ofstream(folder / "Keys.htm") << "keys";
    std::vector<QUrl> opened;
    HelpOpener help(folder, [&](const QUrl& url) {
        opened.push_back(url);
        return true;
    });
    const QString welcome = QUrl::fromLocalFile(dir.filePath("Welcome.htm")).toString();
    const struct {
        const char* topic;
        QString url;
    } cases[] = {
        {"::/Keys.htm#play", QUrl::fromLocalFile(dir.filePath("Keys.htm")).toString() + "#play"},
        {"::/Missing.htm#x", welcome},
        {"Keys.htm", welcome},
        {"::/../Keys.htm", welcome},
    };
    for (const auto& c : cases) {
        EXPECT_TRUE(help.open(c.topic));
        EXPECT_EQ(opened.back().toString(), c.url) << c.topic;
    }
}

} // namespace
} // namespace rz
