#include "core/file_names.h"

#include <gtest/gtest.h>

#include <string>

namespace rz {
namespace {

struct NameCase {
    std::string input;
    std::string expected;
};

TEST(SanitizeFileName, ReplacesCharactersOutsideTheAllowedSet)
{
    const NameCase cases[] = {
        {"Hey Jude!", "Hey Jude!"},
        {"Why?", "Why_"},
        {"Act 1: Intro", "Act 1_ Intro"},
        {"AC/DC\\Live", "AC_DC_Live"},
        {"a*b\"c<d>e|f", "a_b_c_d_e_f"},
        {"$%'`-@{}~!#()&_^ +,.=[]", "$%'`-@{}~!#()&_^ +,.=[]"},
        {"tab\there", "tab_here"},
        {"Caf\xC3\xA9 \xE2\x82\xAC", "Caf\xC3\xA9 \xE2\x82\xAC"}, // UTF-8 bytes kept
        {"", ""},
    };
    for (const auto& c : cases) {
        std::string text = c.input;
        SanitizeFileName(text);
        EXPECT_EQ(text, c.expected) << c.input;
    }
}

TEST(StripKnownExtension, RemovesOneKnownExtensionIgnoringCase)
{
    const NameCase cases[] = {
        {"song.mid", "song"},
        {"song.MIDI", "song"},
        {"song.Kar", "song"},
        {"set.set", "set"},
        {"a.smf", "a"}, {"a.rss", "a"}, {"a.rsd", "a"}, {"plugin.dll", "plugin"},
        {"song.mid.mid", "song.mid"},   // only one extension
        {"song.txt", "song.txt"},       // unknown: unchanged
        {"song.mid.txt", "song.mid.txt"},
        {"song.midx", "song.midx"},
        {"song", "song"},
        {"/music/live.set/song", "/music/live.set/song"}, // the dot is in a folder name
        {"/music/take.mid", "/music/take"},
    };
    for (const auto& c : cases) {
        std::string name = c.input;
        StripKnownExtension(name);
        EXPECT_EQ(name, c.expected) << c.input;
    }
}

} // namespace
} // namespace rz
