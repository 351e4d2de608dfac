#include "core/key_file.h"

#include <gtest/gtest.h>

namespace rz {
namespace {

TEST(KeyFile, SettingAValueReplacesAddsUnderItsGroupOrAddsTheGroup)
{
    const struct {
        const char* before;
        const char* after;
    } cases[] = {
        {"[D]\nk=old;\nz=1\n", "[D]\nk=new;\nz=1\n"},
        {"[A]\nk=a\n[D]\nz=1", "[A]\nk=a\n[D]\nk=new;\nz=1"},
        {"[D]", "[D]\nk=new;\n"},
        {"# only a comment", "# only a comment\n[D]\nk=new;\n"},
        {"", "[D]\nk=new;\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(setKeyFileValue(c.before, "D", "k", "new;"), c.after) << c.before;
}

TEST(KeyFile, ListsSkipEmptyEntriesAndOtherGroups)
{
    const char* text = "[Other]\nk=x\n[D]\n k = a.desktop;;b.desktop ;\n";
    EXPECT_EQ(keyFileList(text, "D", "k"), (std::vector<std::string>{"a.desktop", "b.desktop"}));
    EXPECT_TRUE(keyFileList(text, "D", "missing").empty());
}

TEST(KeyFile, TextThatIsNoKeyFileIsNeverRewritten)
{
    for (const std::string& bad : {std::string("[D]\nno equals\n"), std::string("[D]\nk=a\0b", 9),
                                  std::string("[]\n"), std::string("=value\n")})
        EXPECT_FALSE(setKeyFileValue(bad, "D", "k", "v"));
}

} // namespace
} // namespace rz
