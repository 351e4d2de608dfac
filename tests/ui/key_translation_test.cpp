#include "ui/key_translation.h"

#include <QKeyEvent>

#include <gtest/gtest.h>

namespace rz {
namespace {

KeyStroke stroke(uint16_t vk, uint8_t modifiers = 0)
{
    return KeyStroke{vk, modifiers};
}

TEST(KeyTranslation, QtKeysBecomeVirtualKeysWithModifierFlags)
{
    const struct {
        int key;
        Qt::KeyboardModifiers modifiers;
        const char* text;
        KeyStroke expected;
    } cases[] = {
        {Qt::Key_R, Qt::ControlModifier, "", stroke('R', kKeyCtrl)},
        {Qt::Key_R, Qt::NoModifier, "r", stroke('R')},
        {Qt::Key_S, Qt::ControlModifier | Qt::AltModifier, "", stroke('S', kKeyCtrl | kKeyAlt)},
        {Qt::Key_Exclam, Qt::ShiftModifier, "!", stroke('1', kKeyShift)},
        {Qt::Key_ParenRight, Qt::ShiftModifier, ")", stroke('0', kKeyShift)},
        {Qt::Key_0, Qt::ControlModifier, "", stroke('0', kKeyCtrl)},
        {Qt::Key_Slash, Qt::NoModifier, "/", stroke(0xBF)},
        {Qt::Key_Question, Qt::ShiftModifier, "?", stroke(0xBF, kKeyShift)},
        {Qt::Key_BracketLeft, Qt::ControlModifier, "", stroke(0xDB, kKeyCtrl)},
        {Qt::Key_BracketRight, Qt::AltModifier, "", stroke(0xDD, kKeyAlt)},
        {Qt::Key_Backslash, Qt::NoModifier, "\\", stroke(0xDC)},
        {Qt::Key_Comma, Qt::NoModifier, ",", stroke(0xBC)},
        {Qt::Key_F1, Qt::NoModifier, "", stroke(0x70)},
        {Qt::Key_F12, Qt::NoModifier, "", stroke(0x7B)},
        {Qt::Key_PageUp, Qt::ControlModifier, "", stroke(0x21, kKeyCtrl)},
        {Qt::Key_Down, Qt::ControlModifier, "", stroke(0x28, kKeyCtrl)},
        {Qt::Key_Return, Qt::AltModifier, "", stroke(0x0D, kKeyAlt)},
        {Qt::Key_Enter, Qt::ControlModifier | Qt::KeypadModifier, "", stroke(0x0D, kKeyCtrl)},
        {Qt::Key_Space, Qt::NoModifier, " ", stroke(0x20)},
        {Qt::Key_Escape, Qt::ShiftModifier, "", stroke(0x1B, kKeyShift)},
        {Qt::Key_Delete, Qt::NoModifier, "", stroke(0x2E)},
        {Qt::Key_5, Qt::KeypadModifier, "5", stroke(0x65)},
        {Qt::Key_Asterisk, Qt::KeypadModifier, "*", stroke(0x6A)},
    };
    for (const auto& c : cases) {
        const QKeyEvent event(QEvent::KeyPress, c.key, c.modifiers, c.text);
        const auto translated = translateKey(event, KeySource::QtKeyOnly);
        ASSERT_TRUE(translated) << std::hex << c.key;
        EXPECT_EQ(translated->vk, c.expected.vk) << std::hex << c.key;
        EXPECT_EQ(translated->modifiers, c.expected.modifiers) << std::hex << c.key;
    }
    const QKeyEvent unknown(QEvent::KeyPress, Qt::Key_Udiaeresis, Qt::NoModifier, "u");
    EXPECT_FALSE(translateKey(unknown, KeySource::QtKeyOnly));
}

TEST(KeyTranslation, UnderX11TheKeysPositionDecides)
{
    // X keycode 24 is evdev 16, the key left of W: 'A' on a French layout.
    const QKeyEvent azertyA(QEvent::KeyPress, Qt::Key_A, Qt::ControlModifier, 24, 0, 0, "");
    EXPECT_EQ(translateKey(azertyA, KeySource::ScanCodeFirst), stroke('Q', kKeyCtrl));
    EXPECT_EQ(translateKey(azertyA, KeySource::QtKeyOnly), stroke('A', kKeyCtrl));

    // Shift+1 on a French layout gives '1' itself; the position still says '1'.
    const QKeyEvent shifted(QEvent::KeyPress, Qt::Key_1, Qt::ShiftModifier, 10, 0, 0, "1");
    EXPECT_EQ(translateKey(shifted, KeySource::ScanCodeFirst), stroke('1', kKeyShift));

    // Keypad keys and unknown codes fall back to the Qt key.
    const QKeyEvent keypad(QEvent::KeyPress, Qt::Key_7, Qt::KeypadModifier, 79, 0, 0, "7");
    EXPECT_EQ(translateKey(keypad, KeySource::ScanCodeFirst), stroke(0x67));
    const QKeyEvent noCode(QEvent::KeyPress, Qt::Key_F5, Qt::NoModifier, 0, 0, 0, "");
    EXPECT_EQ(translateKey(noCode, KeySource::ScanCodeFirst), stroke(0x74));
}

TEST(KeyTranslation, EvdevTableFollowsTheUsLayout)
{
    const struct {
        uint32_t code;
        uint16_t vk;
    } cases[] = {
        {1, 0x1B},   {2, '1'},    {11, '0'},   {12, 0xBD},  {16, 'Q'},   {26, 0xDB},
        {27, 0xDD},  {28, 0x0D},  {30, 'A'},   {39, 0xBA},  {40, 0xDE},  {41, 0xC0},
        {43, 0xDC},  {44, 'Z'},   {50, 'M'},   {51, 0xBC},  {52, 0xBE},  {53, 0xBF},
        {57, 0x20},  {59, 0x70},  {68, 0x79},  {87, 0x7A},  {88, 0x7B},  {102, 0x24},
        {103, 0x26}, {104, 0x21}, {108, 0x28}, {109, 0x22}, {111, 0x2E}, {183, 0x7C},
        {79, 0},     {500, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(vkFromEvdev(c.code), c.vk) << c.code;
}

} // namespace
} // namespace rz
