#include "core/update_reply.h"

#include <gtest/gtest.h>

namespace rz {
namespace {

TEST(UpdateReply, ReadsVersionAndNotesAfterTheFirstLineBreaks)
{
    const struct {
        const char* name;
        std::string reply;
        std::optional<int> version;
        std::string notes;
    } cases[] = {
        {"plain", "Version=40203\r\n\r\nFaster start.\r\nFewer clicks.", 40203,
         "Faster start.\r\nFewer clicks."},
        {"text before", "<html>Version=10000\nnotes", 10000, "notes"},
        {"no notes", "Version=10203", 10203, ""},
        {"no digits", "Version=abc\nx", 0, "x"},
        {"ten digits stop at nine", "Version=1234567890\nn", 123456789, "n"},
        {"NUL ends the reply", std::string("Version=5\nab\0cd", 14), 5, "ab"},
        {"missing key", "version=40203\nx", std::nullopt, ""},
        {"empty", "", std::nullopt, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::optional<UpdateReply> reply = parseUpdateReply(c.reply);
        ASSERT_EQ(reply.has_value(), c.version.has_value());
        if (!reply)
            continue;
        EXPECT_EQ(reply->version, *c.version);
        EXPECT_EQ(reply->notes, c.notes);
    }
}

TEST(UpdateReply, NotesInTheLegacyEncodingBecomeUtf8)
{
    const std::optional<UpdateReply> reply = parseUpdateReply("Version=1\n\xE9t\xE9");
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->notes, "\xC3\xA9t\xC3\xA9");
}

TEST(UpdateReply, OfferNamesTheReleaseAndItsNotes)
{
    EXPECT_EQ(updateOfferText({40203, "Better."}),
              "Version 4.02.03 is now available.\n\nRELEASE NOTES:\nBetter.\n\nDownload now?");
    EXPECT_EQ(releaseText(100), "0.01.00");
}

} // namespace
} // namespace rz
