#pragma once

#include <cstdint>
#include <optional>

class QKeyEvent;

namespace rz {

// Modifier flags of the stored key form.
inline constexpr uint8_t kKeyShift = 4;
inline constexpr uint8_t kKeyCtrl = 8;
inline constexpr uint8_t kKeyAlt = 16;

// A key as accelerator maps store it: a Windows virtual-key code (letters
// and digits as their upper-case ASCII) and the modifier flags.
struct KeyStroke {
    uint16_t vk = 0;
    uint8_t modifiers = 0;
    bool operator==(const KeyStroke&) const = default;
};

enum class KeySource {
    ScanCodeFirst, // X11: the key's position decides, on any layout
    QtKeyOnly,
};

// The source that fits the running platform.
KeySource currentKeySource();

// Nothing when the key has no virtual-key code.
std::optional<KeyStroke> translateKey(const QKeyEvent& event,
                                      KeySource source = currentKeySource());

// The virtual key of a Linux evdev key code (X keycode - 8); 0 when unknown.
// Keypad keys give 0: their meaning follows Num Lock, which the Qt key knows.
uint16_t vkFromEvdev(uint32_t code);
// The virtual key of a Qt key; a shifted US symbol gives its key ('!' -> '1').
uint16_t vkFromQtKey(int key, bool keypad);

} // namespace rz
