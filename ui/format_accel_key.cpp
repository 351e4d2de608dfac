#include "ui/format_accel_key.h"

#include "ui/accel_table.h"
#include "ui/key_translation.h"

#include <array>
#include <cstdio>
#include <string_view>

namespace rz {
namespace {

struct KeyName {
    uint16_t vk;
    std::string_view name;
};

// Keys whose name is not their own character. OEM keys read as the
// character they carry on a US keyboard.
constexpr KeyName kKeyNames[] = {
    {0x08, "Backspace"}, {0x09, "Tab"},      {0x0C, "Clear"},   {0x0D, "Enter"},
    {0x13, "Pause"},     {0x14, "Caps Lock"}, {0x1B, "Esc"},    {0x20, "Space"},
    {0x21, "PgUp"},      {0x22, "PgDn"},     {0x23, "End"},     {0x24, "Home"},
    {0x25, "Left"},      {0x26, "Up"},       {0x27, "Right"},   {0x28, "Down"},
    {0x2C, "Print Screen"}, {0x2D, "Ins"},   {0x2E, "Del"},     {0x5D, "Menu"},
    {0x6A, "Num *"},     {0x6B, "Num +"},    {0x6D, "Num -"},   {0x6E, "Num ."},
    {0x6F, "Num /"},     {0x90, "Num Lock"}, {0x91, "Scroll Lock"},
    {0xBA, ";"},         {0xBB, "="},        {0xBC, ","},       {0xBD, "-"},
    {0xBE, "."},         {0xBF, "/"},        {0xC0, "`"},       {0xDB, "["},
    {0xDC, "\\"},        {0xDD, "]"},        {0xDE, "'"},       {0xE2, "\\"},
};

constexpr uint16_t kVkNumpad0 = 0x60;
constexpr uint16_t kVkF1 = 0x70;
constexpr uint16_t kVkF24 = 0x87;

void appendUtf8(uint16_t code, std::string& text)
{
    if (code < 0x80) {
        text += char(code);
    } else if (code < 0x800) {
        text += char(0xC0 | (code >> 6));
        text += char(0x80 | (code & 0x3F));
    } else {
        text += char(0xE0 | (code >> 12));
        text += char(0x80 | ((code >> 6) & 0x3F));
        text += char(0x80 | (code & 0x3F));
    }
}

} // namespace

std::string virtualKeyName(uint16_t vk)
{
    for (const KeyName& key : kKeyNames)
        if (key.vk == vk)
            return std::string(key.name);
    if ((vk >= '0' && vk <= '9') || (vk >= 'A' && vk <= 'Z'))
        return std::string(1, char(vk));
    if (vk >= kVkNumpad0 && vk <= kVkNumpad0 + 9)
        return "Num " + std::to_string(vk - kVkNumpad0);
    if (vk >= kVkF1 && vk <= kVkF24)
        return "F" + std::to_string(vk - kVkF1 + 1);
    std::array<char, 16> hex{};
    std::snprintf(hex.data(), hex.size(), "Key 0x%02X", unsigned(vk));
    return hex.data();
}

void FormatAccelKey(const AccelRecordData& accel, std::string& text)
{
    if (accel.flags & kKeyAlt)
        text += "Alt+";
    if (accel.flags & kKeyCtrl)
        text += "Ctrl+";
    if (accel.flags & kKeyShift)
        text += "Shift+";
    if (accel.flags & kAccelVirtualKey) {
        text += virtualKeyName(accel.key);
        return;
    }
    // A character record: control characters read as Ctrl and their letter.
    if (accel.key >= 32) {
        appendUtf8(accel.key, text);
        return;
    }
    text += "Ctrl+";
    text += char(accel.key + 64);
}

} // namespace rz
