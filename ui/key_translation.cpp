#include "ui/key_translation.h"

#include <QGuiApplication>
#include <QKeyEvent>

#include <array>
#include <utility>

namespace rz {
namespace {

// evdev codes 1..88 of the main block (keypad codes 0, see vkFromEvdev).
constexpr std::array<uint8_t, 89> kEvdevMain = {
    0,    0x1B, '1',  '2',  '3',  '4',  '5',  '6',  '7',  '8',  // 0-9
    '9',  '0',  0xBD, 0xBB, 0x08, 0x09, 'Q',  'W',  'E',  'R',  // 10-19
    'T',  'Y',  'U',  'I',  'O',  'P',  0xDB, 0xDD, 0x0D, 0x11, // 20-29
    'A',  'S',  'D',  'F',  'G',  'H',  'J',  'K',  'L',  0xBA, // 30-39
    0xDE, 0xC0, 0x10, 0xDC, 'Z',  'X',  'C',  'V',  'B',  'N',  // 40-49
    'M',  0xBC, 0xBE, 0xBF, 0x10, 0,    0x12, 0x20, 0x14, 0x70, // 50-59
    0x71, 0x72, 0x73, 0x74, 0x75, 0x76, 0x77, 0x78, 0x79, 0x90, // 60-69
    0x91, 0,    0,    0,    0,    0,    0,    0,    0,    0,    // 70-79
    0,    0,    0,    0,    0,    0,    0xE2, 0x7A, 0x7B,       // 80-88
};

// evdev codes from 96 on: keypad Enter, right modifiers, navigation block.
constexpr std::pair<uint16_t, uint8_t> kEvdevHigh[] = {
    {96, 0x0D},  {97, 0x11},  {99, 0x2C},  {100, 0x12}, {102, 0x24}, {103, 0x26},
    {104, 0x21}, {105, 0x25}, {106, 0x27}, {107, 0x23}, {108, 0x28}, {109, 0x22},
    {110, 0x2D}, {111, 0x2E}, {119, 0x13}, {125, 0x5B}, {126, 0x5C}, {127, 0x5D},
};

// US layout: the symbol a key gives with and without Shift.
constexpr std::pair<char, uint8_t> kSymbolKeys[] = {
    {'!', '1'},  {'@', '2'},  {'#', '3'},  {'$', '4'},  {'%', '5'},  {'^', '6'},
    {'&', '7'},  {'*', '8'},  {'(', '9'},  {')', '0'},  {';', 0xBA}, {':', 0xBA},
    {'=', 0xBB}, {'+', 0xBB}, {',', 0xBC}, {'<', 0xBC}, {'-', 0xBD}, {'_', 0xBD},
    {'.', 0xBE}, {'>', 0xBE}, {'/', 0xBF}, {'?', 0xBF}, {'`', 0xC0}, {'~', 0xC0},
    {'[', 0xDB}, {'{', 0xDB}, {'\\', 0xDC}, {'|', 0xDC}, {']', 0xDD}, {'}', 0xDD},
    {'\'', 0xDE}, {'"', 0xDE},
};

constexpr std::pair<int, uint8_t> kNamedKeys[] = {
    {Qt::Key_Backspace, 0x08}, {Qt::Key_Tab, 0x09},      {Qt::Key_Backtab, 0x09},
    {Qt::Key_Return, 0x0D},    {Qt::Key_Enter, 0x0D},    {Qt::Key_Shift, 0x10},
    {Qt::Key_Control, 0x11},   {Qt::Key_Alt, 0x12},      {Qt::Key_Pause, 0x13},
    {Qt::Key_CapsLock, 0x14},  {Qt::Key_Escape, 0x1B},   {Qt::Key_Space, 0x20},
    {Qt::Key_PageUp, 0x21},    {Qt::Key_PageDown, 0x22}, {Qt::Key_End, 0x23},
    {Qt::Key_Home, 0x24},      {Qt::Key_Left, 0x25},     {Qt::Key_Up, 0x26},
    {Qt::Key_Right, 0x27},     {Qt::Key_Down, 0x28},     {Qt::Key_Print, 0x2C},
    {Qt::Key_Insert, 0x2D},    {Qt::Key_Delete, 0x2E},   {Qt::Key_Help, 0x2F},
    {Qt::Key_Meta, 0x5B},      {Qt::Key_Menu, 0x5D},     {Qt::Key_NumLock, 0x90},
    {Qt::Key_ScrollLock, 0x91},
};

constexpr std::pair<int, uint8_t> kKeypadSymbols[] = {
    {Qt::Key_Asterisk, 0x6A}, {Qt::Key_Plus, 0x6B},   {Qt::Key_Minus, 0x6D},
    {Qt::Key_Period, 0x6E},   {Qt::Key_Comma, 0x6E},  {Qt::Key_Slash, 0x6F},
};

template <class Table>
uint16_t lookUp(const Table& table, int key)
{
    for (const auto& [from, to] : table)
        if (int(from) == key)
            return to;
    return 0;
}

bool isKeypadCode(uint32_t code)
{
    return code == 55 || (code >= 71 && code <= 83) || code == 98;
}

uint8_t modifierFlags(Qt::KeyboardModifiers modifiers)
{
    uint8_t flags = 0;
    if (modifiers & Qt::ShiftModifier)
        flags |= kKeyShift;
    if (modifiers & Qt::ControlModifier)
        flags |= kKeyCtrl;
    if (modifiers & Qt::AltModifier)
        flags |= kKeyAlt;
    return flags;
}

} // namespace

KeySource currentKeySource()
{
    return QGuiApplication::platformName() == QLatin1String("xcb") ? KeySource::ScanCodeFirst
                                                                    : KeySource::QtKeyOnly;
}

uint16_t vkFromEvdev(uint32_t code)
{
    if (isKeypadCode(code))
        return 0;
    if (code < kEvdevMain.size())
        return kEvdevMain[code];
    if (code >= 183 && code <= 194) // F13..F24
        return uint16_t(0x7C + (code - 183));
    return lookUp(kEvdevHigh, int(code));
}

uint16_t vkFromQtKey(int key, bool keypad)
{
    if (keypad && key >= Qt::Key_0 && key <= Qt::Key_9)
        return uint16_t(0x60 + (key - Qt::Key_0));
    if (keypad)
        if (const uint16_t vk = lookUp(kKeypadSymbols, key))
            return vk;
    if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9))
        return uint16_t(key); // Qt's codes are the upper-case ASCII ones
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return uint16_t(0x70 + (key - Qt::Key_F1));
    if (const uint16_t vk = lookUp(kNamedKeys, key))
        return vk;
    if (key > 0x20 && key < 0x7F)
        return lookUp(kSymbolKeys, key);
    return 0;
}

std::optional<KeyStroke> translateKey(const QKeyEvent& event, KeySource source)
{
    const uint8_t modifiers = modifierFlags(event.modifiers());
    if (source == KeySource::ScanCodeFirst && event.nativeScanCode() > 8)
        if (const uint16_t vk = vkFromEvdev(event.nativeScanCode() - 8))
            return KeyStroke{vk, modifiers};
    const uint16_t vk = vkFromQtKey(event.key(), event.modifiers() & Qt::KeypadModifier);
    if (vk == 0)
        return std::nullopt;
    return KeyStroke{vk, modifiers};
}

} // namespace rz
