// Keystrokes of a reader in keyboard (HID) mode turned back into the characters it meant to type.
//
// The reader sends its data as key presses of a keyboard layout it is configured for; the
// decoder reads the kernel's key events (type, key code, value) and tracks the modifiers the
// reader holds: Shift picks the shifted character, Caps Lock swaps the case of letters, Ctrl
// makes a control character of a character from "@" to "_" or a letter (Ctrl+M gives CR), and
// Alt with keypad digits is the Alt-code entry of a byte, emitted when Alt is let go. Keys that
// type nothing (function keys, a key of another layout) give nothing.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace omni::serial {

enum class KeyboardLayout {
    Us,        // US 101/104 keys
    Japanese,  // JIS 106/109 keys: "@" beside P, ":" beside ";", the Yen and Ro keys
};

inline constexpr KeyboardLayout kKeyboardLayouts[] = {KeyboardLayout::Us, KeyboardLayout::Japanese};

// One event as the kernel reports it (struct input_event without its time).
struct KeyEvent {
    std::uint16_t type = 0;
    std::uint16_t code = 0;
    std::int32_t value = 0;  // keys: 0 released, 1 pressed, 2 repeated
};

class KeystrokeDecoder {
public:
    explicit KeystrokeDecoder(KeyboardLayout layout = KeyboardLayout::Us) : layout_(layout) {}

    KeyboardLayout layout() const { return layout_; }
    // Changes the layout; the modifiers held stay as they are.
    void setLayout(KeyboardLayout layout) { layout_ = layout; }

    // The bytes one event types (most events type nothing).
    std::string feed(const KeyEvent& event);
    // Forgets the modifiers (a device that was unplugged and comes back).
    void reset();

private:
    std::string press(std::uint16_t code);
    std::string release(std::uint16_t code);

    KeyboardLayout layout_;
    bool leftShift_ = false, rightShift_ = false;
    bool leftCtrl_ = false, rightCtrl_ = false;
    bool alt_ = false;
    bool altGr_ = false;
    bool capsLock_ = false;
    int altCode_ = -1;  // digits typed on the keypad while Alt is held; -1: none
};

// The character a key types in a layout, unshifted or shifted; 0 for none. `code` is a kernel
// key code.
char keyCharacter(KeyboardLayout layout, std::uint16_t code, bool shifted);

}  // namespace omni::serial
