#include "res/command_ids.h"
#include "ui/format_accel_key.h"

#include <gtest/gtest.h>

namespace rz {
namespace {

constexpr uint8_t kVirt = 1;
constexpr uint8_t kShift = 4;
constexpr uint8_t kCtrl = 8;
constexpr uint8_t kAlt = 16;

TEST(FormatAccelKey, ModifiersInOrderThenTheKeyName)
{
    const struct {
        uint8_t flags;
        uint16_t key;
        const char* text;
    } cases[] = {
        {kVirt | kAlt | kCtrl | kShift, 37, "Alt+Ctrl+Shift+Left"},
        {kVirt | kCtrl, 0xDB, "Ctrl+["},
        {kVirt | kCtrl, 'O', "Ctrl+O"},
        {kVirt | kCtrl | kAlt, 'S', "Alt+Ctrl+S"},
        {kVirt, 33, "PgUp"},
        {kVirt, 34, "PgDn"},
        {kVirt, 35, "End"},
        {kVirt, 36, "Home"},
        {kVirt, 38, "Up"},
        {kVirt, 39, "Right"},
        {kVirt, 40, "Down"},
        {kVirt | kCtrl, 0x0D, "Ctrl+Enter"},
        {kVirt | kShift, 0x1B, "Shift+Esc"},
        {kVirt, 0x20, "Space"},
        {kVirt, 0x2E, "Del"},
        {kVirt, 0x70, "F1"},
        {kVirt, 0x7B, "F12"},
        {kVirt, 0xBF, "/"},
        {kVirt, 0xDC, "\\"},
        {kVirt | kAlt, 0xDD, "Alt+]"},
        {kVirt, 0xBC, ","},
        {kVirt, 0x61, "Num 1"},
        {kVirt | kShift, '7', "Shift+7"},
        {kVirt, 0xFF, "Key 0xFF"},
        {0, 'q', "q"},        // a character record
        {kAlt, '#', "Alt+#"},
        {0, 0x11, "Ctrl+Q"},  // a control character
    };
    for (const auto& c : cases) {
        std::string text;
        FormatAccelKey({c.flags, c.key, 1}, text);
        EXPECT_EQ(text, c.text) << int(c.flags) << " " << c.key;
    }
}

TEST(FormatAccelKey, AppendsToTheGivenText)
{
    std::string text = "&Open...\t";
    FormatAccelKey({kVirt | kCtrl, 'O', kIdFileOpen}, text);
    EXPECT_EQ(text, "&Open...\tCtrl+O");
}

} // namespace
} // namespace rz
