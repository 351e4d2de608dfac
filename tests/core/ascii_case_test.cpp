#include "core/ascii_case.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace rz {
namespace {

TEST(AsciiCase, OnlyAsciiLettersFold)
{
    EXPECT_EQ(AsciiLower("Song.MID"), "song.mid");
    EXPECT_EQ(AsciiLower("Caf\xC3\x89 [1]"), "caf\xC3\x89 [1]"); // UTF-8 bytes kept
    EXPECT_TRUE(EqualIgnoringAsciiCase("System:Capture_1", "system:capture_1"));
    EXPECT_FALSE(EqualIgnoringAsciiCase("capture_1", "capture_12"));
    EXPECT_FALSE(EqualIgnoringAsciiCase("\xC3\x89", "\xC3\xA9"));
}

// Sorted lists rely on a strict order: texts equal but for case are neither
// less nor greater, and a prefix comes first.
TEST(AsciiCase, LessOrdersByTextIgnoringCase)
{
    struct Case {
        const char* a;
        const char* b;
        bool less;
    };
    const Case cases[] = {
        {"apple", "Banana", true}, {"Banana", "apple", false}, {"Intro", "intro", false},
        {"intro", "Intro", false}, {"Act", "act 2", true},     {"act 2", "Act", false},
        {"", "a", true},           {"", "", false},            {"Z", "\xC3\x89", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(LessIgnoringAsciiCase(c.a, c.b), c.less) << c.a << " < " << c.b;

    std::vector<std::string> names = {"verse", "Chorus", "bridge", "Verse", "chorus"};
    std::stable_sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return LessIgnoringAsciiCase(a, b);
    });
    EXPECT_EQ(names, (std::vector<std::string>{"bridge", "Chorus", "chorus", "verse", "Verse"}));
}

} // namespace
} // namespace rz
