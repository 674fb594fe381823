#include "serial/keystroke_decoder.h"

#include <linux/input-event-codes.h>

#include <algorithm>
#include <array>

namespace omni::serial {
namespace {

// The characters of one layout by kernel key code (0..127), unshifted and shifted.
struct LayoutTable {
    std::array<char, 128> plain{};
    std::array<char, 128> shifted{};
};

// Fills the keys from `first` on with the characters of a row; a NUL in `up` means the shifted
// key types nothing.
constexpr void row(LayoutTable& table, int first, std::string_view down, std::string_view up) {
    for (std::size_t i = 0; i < down.size(); ++i) {
        table.plain[static_cast<std::size_t>(first) + i] = down[i];
        table.shifted[static_cast<std::size_t>(first) + i] = up[i];
    }
}

// Keys both layouts share: the control keys and the keypad (Num Lock on, as readers send it).
constexpr void commonKeys(LayoutTable& t) {
    row(t, KEY_ESC, "\x1b", "\x1b");
    row(t, KEY_BACKSPACE, "\b\t", "\b\t");  // KEY_BACKSPACE, KEY_TAB
    row(t, KEY_ENTER, "\r", "\r");
    row(t, KEY_SPACE, " ", " ");
    row(t, KEY_KPASTERISK, "*", "*");
    row(t, KEY_KP7, "789-456+1230.", "789-456+1230.");  // KEY_KP7 .. KEY_KPDOT
    row(t, KEY_KPENTER, "\r", "\r");
    row(t, KEY_KPSLASH, "/", "/");
    row(t, KEY_DELETE, "\x7f", "\x7f");
}

constexpr LayoutTable usTable() {
    LayoutTable t;
    commonKeys(t);
    row(t, KEY_1, "1234567890-=", "!@#$%^&*()_+");
    row(t, KEY_Q, "qwertyuiop[]", "QWERTYUIOP{}");
    row(t, KEY_A, "asdfghjkl;'`", "ASDFGHJKL:\"~");
    row(t, KEY_BACKSLASH, "\\", "|");
    row(t, KEY_Z, "zxcvbnm,./", "ZXCVBNM<>?");
    row(t, KEY_102ND, "\\", "|");  // the extra key of 102-key boards
    return t;
}

// JIS: Shift+0 types nothing; the key left of 1 switches input modes and types nothing.
constexpr LayoutTable japaneseTable() {
    LayoutTable t;
    commonKeys(t);
    row(t, KEY_1, "1234567890-^", std::string_view("!\"#$%&'()\0=~", 12));
    row(t, KEY_Q, "qwertyuiop@[", "QWERTYUIOP`{");
    row(t, KEY_A, "asdfghjkl;:", "ASDFGHJKL+*");
    row(t, KEY_BACKSLASH, "]", "}");
    row(t, KEY_Z, "zxcvbnm,./", "ZXCVBNM<>?");
    row(t, KEY_RO, "\\", "_");
    row(t, KEY_YEN, "\\", "|");
    return t;
}

constexpr LayoutTable kUs = usTable();
constexpr LayoutTable kJapanese = japaneseTable();
static_assert(kUs.shifted[KEY_2] == '@' && kJapanese.shifted[KEY_2] == '"');
static_assert(KEY_YEN < 128 && KEY_RO < 128 && KEY_KPSLASH < 128 && KEY_DELETE < 128);

// The digit of a keypad key (KEY_KP7 .. KEY_KP0), or -1.
constexpr int keypadDigit(std::uint16_t code) {
    if (code < KEY_KP7 || code > KEY_KP0)
        return -1;
    const char c = kUs.plain[code];
    return c >= '0' && c <= '9' ? c - '0' : -1;
}

bool isLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

char swapCase(char c) {
    return static_cast<char>(c ^ 0x20);
}

}  // namespace

char keyCharacter(KeyboardLayout layout, std::uint16_t code, bool shifted) {
    if (code >= 128)
        return 0;
    const LayoutTable& table = layout == KeyboardLayout::Japanese ? kJapanese : kUs;
    return shifted ? table.shifted[code] : table.plain[code];
}

std::string KeystrokeDecoder::feed(const KeyEvent& event) {
    if (event.type != EV_KEY)
        return {};
    if (event.value == 0)
        return release(event.code);
    if (event.value == 1 || event.value == 2)
        return press(event.code);
    return {};
}

void KeystrokeDecoder::reset() {
    leftShift_ = rightShift_ = leftCtrl_ = rightCtrl_ = alt_ = altGr_ = capsLock_ = false;
    altCode_ = -1;
}

std::string KeystrokeDecoder::press(std::uint16_t code) {
    switch (code) {
        case KEY_LEFTSHIFT:
            leftShift_ = true;
            return {};
        case KEY_RIGHTSHIFT:
            rightShift_ = true;
            return {};
        case KEY_LEFTCTRL:
            leftCtrl_ = true;
            return {};
        case KEY_RIGHTCTRL:
            rightCtrl_ = true;
            return {};
        case KEY_LEFTALT:
            alt_ = true;
            altCode_ = -1;
            return {};
        case KEY_RIGHTALT:
            altGr_ = true;
            return {};
        case KEY_CAPSLOCK:
            capsLock_ = !capsLock_;
            return {};
        default:
            break;
    }
    if (alt_) {
        // Alt-code entry: the digits build a number, the byte goes out when Alt is let go.
        const int digit = keypadDigit(code);
        if (digit >= 0)
            altCode_ = (std::max(altCode_, 0) * 10 + digit) % 1000;
        return {};
    }
    if (altGr_)
        return {};
    const bool shift = leftShift_ || rightShift_;
    char c = keyCharacter(layout_, code, shift);
    if (c == 0)
        return {};
    if (capsLock_ && isLetter(c))
        c = swapCase(c);
    if (leftCtrl_ || rightCtrl_) {
        // Ctrl with "@" .. "_" or a letter gives NUL .. US; anything else types nothing.
        const unsigned char u = static_cast<unsigned char>(c);
        if (!((u >= 0x40 && u <= 0x5F) || (u >= 0x61 && u <= 0x7A)))
            return {};
        c = static_cast<char>(u & 0x1F);
    }
    return std::string(1, c);
}

std::string KeystrokeDecoder::release(std::uint16_t code) {
    switch (code) {
        case KEY_LEFTSHIFT:
            leftShift_ = false;
            break;
        case KEY_RIGHTSHIFT:
            rightShift_ = false;
            break;
        case KEY_LEFTCTRL:
            leftCtrl_ = false;
            break;
        case KEY_RIGHTCTRL:
            rightCtrl_ = false;
            break;
        case KEY_RIGHTALT:
            altGr_ = false;
            break;
        case KEY_LEFTALT: {
            alt_ = false;
            const int value = altCode_;
            altCode_ = -1;
            if (value >= 0 && value <= 255)
                return std::string(1, static_cast<char>(value));
            break;
        }
        default:
            break;
    }
    return {};
}

}  // namespace omni::serial
