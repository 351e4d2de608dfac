// The printed score as a PDF: pages, title block, page numbers, labels,
// track names, the final bar and the notes, read back with poppler-utils.

#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <filesystem>
#include <string>

#include "staff/model/staff_print_plan.h"
#include "staff/staff_print.h"
#include "tests/staff/view/staff_rig.h"

namespace rz::test {
namespace {

constexpr double kPointsPerHundredth = 72.0 / 2540.0;
constexpr int kThreePageMeasures = 110;

struct Word {
    QString text;
    double xMin = 0, yMin = 0, xMax = 0, yMax = 0;
};
using PageWords = std::vector<Word>;

QString run(const QString& program, const QStringList& args)
{
    QProcess process;
    process.start(program, args);
    if (!process.waitForFinished(120000) || process.exitCode() != 0)
        return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The words of every page with their boxes in points, y down.
std::vector<PageWords> pdfWords(const QString& path)
{
    const QString html = run("pdftotext", {"-bbox", path, "-"});
    std::vector<PageWords> pages;
    static const QRegularExpression tag(
        R"re(<page |<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re");
    for (auto it = tag.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        if (m.captured(0).startsWith("<page")) {
            pages.emplace_back();
            continue;
        }
        if (!pages.empty())
            pages.back().push_back({m.captured(5), m.captured(1).toDouble(), m.captured(2).toDouble(),
                                    m.captured(3).toDouble(), m.captured(4).toDouble()});
    }
    return pages;
}

const Word* find(const PageWords& words, const QString& text, double minY = -1, double maxY = 1e9)
{
    for (const Word& w : words)
        if (w.text == text && w.yMin >= minY && w.yMin <= maxY)
            return &w;
    return nullptr;
}

double pt(int hundredths)
{
    return hundredths * kPointsPerHundredth;
}

// Two treble staves of quarter notes, "Etude.mid", on A4 pages.
struct PrintRig : StaffRig {
    // One file per test: the tests run side by side.
    std::filesystem::path pdf = std::filesystem::path(RZ_STAFF_PICTURES)
                                / (std::string(::testing::UnitTest::GetInstance()->current_test_info()->name())
                                   + ".pdf");
    StaffPrintPlan plan;

    PrintRig() : StaffRig(kThreePageMeasures)
    {
        song->title = "Etude.mid";
        fillQuarters(addTrack());
        fillQuarters(addTrack());
        open();
    }

    bool print()
    {
        std::filesystem::remove(pdf);
        if (!printToPdf(*view, pdf, QPageSize(QPageSize::A4)))
            return false;
        plan = view->printPlan(QSize(21000, 29700));
        return true;
    }
};

TEST(StaffPrintPdf, ThreeA4PagesWithTitleNumbersLabelsAndNames)
{
    PrintRig rig;
    ASSERT_TRUE(rig.print());
    ASSERT_EQ(rig.plan.pageCount(), 3);
    const QString info = run("pdfinfo", {QString::fromStdString(rig.pdf.string())});
    EXPECT_TRUE(info.contains(QRegularExpression(R"(Pages:\s+3\b)"))) << info.toStdString();
    EXPECT_TRUE(info.contains(QRegularExpression(R"(Page size:\s+595(\.\d+)? x 84[12])"))) << info.toStdString();
    const auto pages = pdfWords(QString::fromStdString(rig.pdf.string()));
    ASSERT_EQ(pages.size(), 3u);
    const double width = 595.28;
    const StaffRect& area = rig.plan.printRect;

    // The title without its extension, centred on page 1.
    EXPECT_EQ(find(pages[0], "Etude.mid"), nullptr);
    const Word* title = find(pages[0], "Etude");
    ASSERT_NE(title, nullptr);
    EXPECT_NEAR((title->xMin + title->xMax) / 2, width / 2, 2.0);
    EXPECT_NEAR(title->yMin, pt(area.top), 6.0);

    // Page numbers at the top: right on odd pages, left on even ones.
    const double band = pt(area.top) + 12;
    const Word* one = find(pages[0], "1", 0, band);
    const Word* two = find(pages[1], "2", 0, band);
    const Word* three = find(pages[2], "3", 0, band);
    ASSERT_TRUE(one && two && three);
    EXPECT_NEAR(one->xMax, pt(area.right), 1.5);
    EXPECT_NEAR(two->xMin, pt(area.left), 1.5);
    EXPECT_NEAR(three->xMax, pt(area.right), 1.5);

    // The track names stand left of the indented first system.
    const int x0 = rig.plan.systemLeft(0);
    int names = 0;
    for (const Word& w : pages[0])
        if (w.text == "Part") {
            ++names;
            EXPECT_LT(w.xMax, pt(x0));
            EXPECT_GT(w.xMin, pt(area.left) - 20);
        }
    EXPECT_EQ(names, 2);

    // Each system of page 2 carries its first measure's label above it.
    const int firstLine = rig.plan.pageFirstLine[1];
    double previousY = 0;
    for (int line = firstLine; line < firstLine + rig.plan.pageLineCount[1]; ++line) {
        const QString label = QString::number(rig.plan.systemStarts[size_t(line)] + 1);
        const Word* word = find(pages[1], label, previousY + 1);
        ASSERT_NE(word, nullptr) << label.toStdString();
        EXPECT_NEAR(word->xMin, pt(area.left), 1.5) << label.toStdString();
        previousY = word->yMin;
    }
}

TEST(StaffPrintPdf, FinalBarEndsTheStaffLinesAndHeadsSitOnTheStaff)
{
    PrintRig rig;
    ASSERT_TRUE(rig.print());
    ASSERT_EQ(rig.plan.pageCount(), 3);
    ASSERT_GE(rig.plan.pageLineCount[2], 2);
    QTemporaryDir dir;
    const QString prefix = dir.path() + "/page";
    run("pdftoppm", {"-r", "72", "-png", "-f", "3", "-l", "3", QString::fromStdString(rig.pdf.string()),
                     prefix});
    QImage image;
    for (const QString& name : QDir(dir.path()).entryList({"page*.png"}))
        image.load(dir.path() + "/" + name);
    ASSERT_FALSE(image.isNull());
    const StaffPrintPlan& plan = rig.plan;
    const int P = plan.staffHeight;
    const int page = 2; // from 0
    const int line = plan.pageFirstLine[page] + plan.pageLineCount[page] - 1;
    const int y0 = plan.pageTop(page) + (plan.pageLineCount[page] - 1) * plan.systemHeight;
    const CStaffMeasure& last = plan.model.measures[size_t(plan.lastMeasure)];
    const int xs = plan.model.measures[size_t(plan.systemStarts[size_t(line)])].x;
    const int e = plan.systemLeft(line) + last.x - xs + last.leadIn + last.laidOutWidth + last.trailingWidth;
    const auto px = [](int hundredths) { return int(hundredths * kPointsPerHundredth + 0.5); };
    const auto dark = [&](int x, int y) {
        for (int dy = -1; dy <= 1; ++dy)
            if (qGray(image.pixel(x, y + dy)) < 200)
                return true;
        return false;
    };
    for (const CStaffTrack& staff : plan.model.staves) {
        for (int i = 0; i < 5; ++i) {
            const int y = px(y0 + staff.topLineY + P * i / 4);
            EXPECT_TRUE(dark(px(e) - 12, y)) << "line " << i << " before the final bar";
            for (int x = px(e + 2 * plan.barWidth) + 1; x < px(plan.printRect.right); x += 3)
                ASSERT_FALSE(dark(x, y)) << "line " << i << " after the final bar at " << x;
        }
    }
    // The first note of the page's first system: a head between its staff's
    // lines, which lie P / 4 apart.
    const int first = plan.pageFirstLine[page];
    const int top = plan.pageTop(page) + plan.model.staves[0].topLineY;
    const CStaffNote& note = [&]() -> const CStaffNote& {
        for (const auto& voice : plan.model.staves[0].voices)
            if (voice->notes.front()->measure == plan.systemStarts[size_t(first)])
                return *voice->notes.front();
        return *plan.model.staves[0].voices.front()->notes.front();
    }();
    const int sx = plan.systemLeft(first) - plan.model.measures[size_t(plan.systemStarts[size_t(first)])].x;
    const int headY = top + P / 2 - P * note.items.front().position / 8;
    int ink = 0;
    for (int x = px(sx + note.x); x <= px(sx + note.x + P / 4); ++x)
        ink += qGray(image.pixel(x, px(headY))) < 128 ? 1 : 0;
    EXPECT_GE(ink, 3) << "no head at the first note";
    // Staff lines in an empty column of the second system: P / 4 apart.
    std::vector<int> rows;
    const int column = px(plan.printRect.right) - 3;
    for (int y = px(top) - 3; y <= px(top + P) + 3; ++y)
        if (qGray(image.pixel(column, y)) < 200 && (rows.empty() || y > rows.back() + 1))
            rows.push_back(y);
    ASSERT_EQ(rows.size(), 5u);
    for (size_t i = 1; i < rows.size(); ++i)
        EXPECT_NEAR(rows[i] - rows[i - 1], P / 4 * kPointsPerHundredth, 1.01);
}

// Notes held across every bar line, so ties cross each system break, and
// crescendos and diminuendos over every bar line: on paper nothing of them
// reaches past the staff's end into the margin.
TEST(StaffPrintPdf, TiesAtASystemBreakEndAtTheStaffsEnd)
{
    const struct {
        const char* name;
        std::string wedge; // empty: tied notes
    } kCases[] = {{"ties", ""}, {"crescendos", "@DR;3;1920"}, {"diminuendos", "@DR;3;-1920"}};
    for (const auto& c : kCases) {
        StaffRig rig(40);
        auto& events = rig.track(rig.addTrack()).events;
        for (int m = 0; m < 40; ++m) {
            if (c.wedge.empty()) {
                events.push_back(note(rig.startOf(m) + 960, 67, 90, 1920));
            } else {
                events.push_back(note(rig.startOf(m), 67, 90, 1900));
                events.push_back(textEvent(rig.startOf(m) + 960, c.wedge));
            }
        }
        rig.open();
        const StaffPrintPlan plan = rig.view->printPlan(QSize(21000, 29700));
        ASSERT_GT(plan.systemStarts.size(), 2u) << c.name;
        QImage page(2100, 2970, QImage::Format_RGB32); // a pixel is a tenth of a millimetre
        page.fill(Qt::white);
        {
            QPainter painter(&page);
            mapPrintPage(painter, plan, page.size());
            printStaffPage(painter, plan, 1, staffFont());
        }
        const int right = plan.printRect.right / 10;
        const int top = (plan.pageTop(0)) / 10;
        const int bottom = plan.printRect.bottom / 10;
        int margin = 0;
        for (int x = right + 2; x < right + 30; ++x)
            margin += inkInColumn(page, x, top, bottom);
        EXPECT_EQ(margin, 0) << c.name;
        int staff = 0;
        for (int x = right - 30; x < right - 2; ++x)
            staff += inkInColumn(page, x, top, bottom);
        EXPECT_GT(staff, 0) << "the staff lines reach the right edge";
    }
}

TEST(StaffPrintPdf, UnwritablePathGivesOneMessageAndNoFile)
{
    PrintRig rig;
    QTemporaryDir dir;
    const std::filesystem::path path = std::filesystem::path(dir.path().toStdString()) / "missing" / "score.pdf";
    rig.fixture.prompt.expectMessage(path.string());
    EXPECT_FALSE(printToPdf(*rig.view, path, QPageSize(QPageSize::A4)));
    EXPECT_FALSE(std::filesystem::exists(path));
    rig.fixture.prompt.verifyAllUsed();
}

} // namespace
} // namespace rz::test
