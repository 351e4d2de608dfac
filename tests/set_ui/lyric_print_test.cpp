#include "set/lyric_print_plan.h"
#include "set/ui/lyric_print.h"

#include <QPdfWriter>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sstream>

namespace rz {
namespace {

// The pages of a PDF as `pdftotext -layout` reads them.
std::vector<std::string> pdfPages(const QString& path)
{
    QProcess process;
    process.start("pdftotext", {"-layout", path, "-"});
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return {};
    const std::string text = process.readAllStandardOutput().toStdString();
    std::vector<std::string> pages;
    std::istringstream in(text);
    std::string page;
    while (std::getline(in, page, '\f'))
        pages.push_back(page);
    if (!pages.empty() && pages.back().find_first_not_of(" \n") == std::string::npos)
        pages.pop_back();
    return pages;
}

// The column of the first word `word` on the page (words stand between
// blanks), or -1. The layout keeps the left edge of the page's text at 0.
int columnOf(const std::string& page, const std::string& word)
{
    std::istringstream in(page);
    std::string line;
    while (std::getline(in, line)) {
        for (size_t at = line.find(word); at != std::string::npos; at = line.find(word, at + 1)) {
            const size_t after = at + word.size();
            if ((at == 0 || line[at - 1] == ' ') && (after == line.size() || line[after] == ' '))
                return int(at);
        }
    }
    return -1;
}

// Lines of syllables 30 pixels high; `pages` lines on each screen page.
struct LyricSheet {
    std::vector<LyricItem> items;
    LyricPages pages;
};

LyricSheet sheet(int screenPages, int linesPerPage, int lineHeight = 30)
{
    LyricSheet out;
    out.pages.starts.clear();
    for (int p = 0; p < screenPages; ++p) {
        out.pages.starts.push_back(int(out.items.size()));
        for (int line = 0; line < linesPerPage; ++line) {
            for (const char* word : {"Word", " more"}) {
                LyricItem item;
                item.eventIndex = int32_t(out.items.size());
                item.tick = int32_t(out.items.size()) * 120;
                item.text = std::string(word) + std::to_string(p) + "x" + std::to_string(line);
                item.rect = {0, line * lineHeight, 100, line * lineHeight + lineHeight};
                out.items.push_back(item);
            }
            LyricItem beat; // placeholders are never printed
            beat.tick = int32_t(out.items.size()) * 120;
            beat.rect = {0, line * lineHeight, 4, line * lineHeight + lineHeight};
            out.items.push_back(beat);
        }
    }
    out.pages.starts.push_back(int(out.items.size()));
    return out;
}

LyricPrintInput sampleInput()
{
    LyricPrintInput input;
    input.songTitle = "Evening.MID";
    input.subtitle = "A ballad";
    input.author = "Ann Author";
    input.copyright = "(c) Ann";
    return input;
}

class LyricPrintTest : public ::testing::Test {
protected:
    void print(const LyricSheet& lyrics, const LyricPrintInput& input)
    {
        QPdfWriter writer(dir.filePath("lyrics.pdf"));
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setResolution(300);
        const LyricPrintPlan plan = planLyricPrint(lyrics.items, lyrics.pages, lyricPrintPage(writer, input));
        EXPECT_TRUE(printLyricPlan(plan, writer));
    }
    std::vector<std::string> printed() { return pdfPages(dir.filePath("lyrics.pdf")); }

    QTemporaryDir dir;
};

TEST_F(LyricPrintTest, ThreeScreenPagesPrintThreePagesWithHeaderAndNumbers)
{
    print(sheet(3, 4), sampleInput());
    const std::vector<std::string> pages = printed();
    ASSERT_EQ(pages.size(), 3u);
    EXPECT_NE(pages[0].find("Evening"), std::string::npos);
    EXPECT_EQ(pages[0].find("Evening.MID"), std::string::npos);
    EXPECT_NE(pages[0].find("A ballad"), std::string::npos);
    EXPECT_NE(pages[0].find("Ann Author"), std::string::npos);
    EXPECT_NE(pages[0].find("(c) Ann"), std::string::npos);
    EXPECT_NE(pages[0].find("Word0x3 more0x3"), std::string::npos);
    EXPECT_NE(pages[2].find("Word2x0 more2x0"), std::string::npos);
    // Odd pages carry their number at the right, even ones at the left.
    EXPECT_GT(columnOf(pages[0], "1"), columnOf(pages[0], "Evening")) << pages[0];
    EXPECT_EQ(columnOf(pages[1], "2"), 0) << pages[1];
    EXPECT_GT(columnOf(pages[2], "3"), 10) << pages[2];
    EXPECT_EQ(pages[1].find("Ann Author"), std::string::npos);
}

TEST_F(LyricPrintTest, ATitleWithAnUnknownDotPrintsWhole)
{
    LyricPrintInput input = sampleInput();
    input.songTitle = "Dr. Feelgood";
    print(sheet(1, 2), input);
    const std::vector<std::string> pages = printed();
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_NE(pages[0].find("Dr. Feelgood"), std::string::npos);
}

TEST_F(LyricPrintTest, ALyricTitleWinsAndAnEmptySongPrintsItsHeader)
{
    LyricPrintInput input = sampleInput();
    input.lyricTitle = "Sung title";
    print(sheet(0, 0), input);
    const std::vector<std::string> pages = printed();
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_NE(pages[0].find("Sung title"), std::string::npos);
    EXPECT_EQ(pages[0].find("Evening"), std::string::npos);
}

TEST(LyricPrintPlan, LongScreenPagesSplitAndATallItemStillEnds)
{
    // 40 lines of 30 pixels at 24 pixels a line height: 1200 pixels, about
    // 35000 hundredths of a millimetre; the first A4 page has room for 24200.
    const LyricSheet lyrics = sheet(1, 40);
    const LyricPrintPlan plan = planLyricPrint(lyrics.items, lyrics.pages, sampleInput());
    ASSERT_EQ(plan.pages.size(), 2u);
    EXPECT_EQ(plan.pages[0].firstItem, 0);
    EXPECT_EQ(plan.pages[1].endItem, int(lyrics.items.size()));
    EXPECT_EQ(plan.pages[0].endItem, plan.pages[1].firstItem);
    for (const LyricPrintText& text : plan.pages[1].texts)
        EXPECT_LT(text.y, plan.printRect.bottom) << text.text;

    // Lines far taller than a page: each still gets a page of its own.
    const LyricSheet tall = sheet(1, 3, 5000);
    const LyricPrintPlan tallPlan = planLyricPrint(tall.items, tall.pages, sampleInput());
    ASSERT_EQ(tallPlan.pages.size(), 3u);
    EXPECT_EQ(tallPlan.pages.back().endItem, int(tall.items.size()));
}

} // namespace
} // namespace rz
