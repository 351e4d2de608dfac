// The manual as the program opens it: every topic a window's Help opens
// has its page and anchor in docs/help, and every link between the pages
// leads somewhere. A dialog that gains a topic without a page fails here.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace rz {
namespace {

namespace fs = std::filesystem;

const fs::path kSource = RZ_SOURCE_DIR;
const fs::path kManual = kSource / "docs" / "help";

std::string readText(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Whether `page` holds an element with the id `anchor`.
bool hasAnchor(const std::string& page, const std::string& anchor)
{
    return page.find("id=\"" + anchor + "\"") != std::string::npos;
}

// Every "::/Page.htm#anchor" in the program's sources outside comments.
std::set<std::string> topicsOfTheProgram()
{
    static const std::regex topic(R"re("::/([A-Za-z0-9_]+\.htm(#[A-Za-z0-9_]+)?)")re");
    std::set<std::string> topics;
    for (const char* folder : {"app", "dialogs", "engine", "res", "set", "staff", "ui", "views"}) {
        if (!fs::is_directory(kSource / folder))
            continue;
        for (const auto& entry : fs::recursive_directory_iterator(kSource / folder)) {
            const std::string extension = entry.path().extension().string();
            if (extension != ".cpp" && extension != ".h")
                continue;
            std::istringstream lines(readText(entry.path()));
            for (std::string line; std::getline(lines, line);) {
                if (line.find_first_not_of(" \t") != std::string::npos
                    && line.compare(line.find_first_not_of(" \t"), 2, "//") == 0)
                    continue;
                for (std::sregex_iterator it(line.begin(), line.end(), topic), end; it != end; ++it)
                    topics.insert((*it)[1]);
            }
        }
    }
    return topics;
}

TEST(HelpPages, EveryTopicTheProgramOpensHasItsPageAndAnchor)
{
    const std::set<std::string> topics = topicsOfTheProgram();
    // The scan itself works: Help > Contents and a dialog's anchor are found.
    ASSERT_TRUE(topics.contains("Welcome.htm"));
    ASSERT_TRUE(topics.contains("Options.htm#play"));
    for (const std::string& topic : topics) {
        const size_t hash = topic.find('#');
        const fs::path page = kManual / topic.substr(0, hash);
        ASSERT_TRUE(fs::is_regular_file(page)) << topic << ": no page " << page;
        if (hash != std::string::npos) {
            EXPECT_TRUE(hasAnchor(readText(page), topic.substr(hash + 1))) << topic;
        }
    }
}

TEST(HelpPages, EveryLinkOfTheManualLeadsToAPage)
{
    static const std::regex link(R"re((?:href|src)="([^"#:]*)(?:#([^"]*))?")re");
    size_t pages = 0;
    for (const auto& entry : fs::directory_iterator(kManual)) {
        if (entry.path().extension() != ".htm")
            continue;
        ++pages;
        const std::string text = readText(entry.path());
        EXPECT_NE(text.find("href=\"help.css\""), std::string::npos) << entry.path();
        EXPECT_NE(text.find("<title>"), std::string::npos) << entry.path();
        for (std::sregex_iterator it(text.begin(), text.end(), link), end; it != end; ++it) {
            const std::string target = (*it)[1];
            const std::string anchor = (*it)[2];
            const fs::path file = target.empty() ? entry.path() : kManual / target;
            ASSERT_TRUE(fs::is_regular_file(file)) << entry.path().filename() << " -> " << target;
            if (!anchor.empty()) {
                EXPECT_TRUE(hasAnchor(readText(file), anchor))
                    << entry.path().filename() << " -> " << target << "#" << anchor;
            }
        }
    }
    EXPECT_GE(pages, 2u);
}

} // namespace
} // namespace rz
