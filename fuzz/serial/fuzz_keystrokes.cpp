// Arbitrary key events for the keystroke decoder: the first byte picks the layout, then every
// five bytes are one event (type, key code, value). An event types at most one byte, only key
// events type anything, and a release types only the end of an Alt code. After a reset every key
// pressed on its own types exactly its character of the layout.
#include <linux/input-event-codes.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "serial/keystroke_decoder.h"

using namespace omni::serial;

namespace {

bool isModifier(std::uint16_t code) {
    switch (code) {
        case KEY_LEFTSHIFT:
        case KEY_RIGHTSHIFT:
        case KEY_LEFTCTRL:
        case KEY_RIGHTCTRL:
        case KEY_LEFTALT:
        case KEY_RIGHTALT:
        case KEY_CAPSLOCK:
            return true;
        default:
            return false;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const KeyboardLayout layout = data[0] & 1 ? KeyboardLayout::Japanese : KeyboardLayout::Us;
    KeystrokeDecoder decoder(layout);
    for (std::size_t i = 1; i + 5 <= size; i += 5) {
        // Mostly key events, with key codes in the keyboard's range and the three key values.
        const KeyEvent event{static_cast<std::uint16_t>(data[i] % 4 == 0 ? EV_SYN : EV_KEY),
                             static_cast<std::uint16_t>(data[i + 1] | (data[i + 2] & 1) << 8),
                             static_cast<std::int32_t>(static_cast<std::int8_t>(data[i + 3])) % 4};
        const std::string typed = decoder.feed(event);
        if (typed.size() > 1 || (event.type != EV_KEY && !typed.empty()))
            std::abort();
        if (event.value == 0 && !typed.empty() && event.code != KEY_LEFTALT)
            std::abort();
    }
    decoder.reset();
    for (std::uint16_t code = 0; code < 128; ++code) {
        if (isModifier(code))
            continue;
        const char expected = keyCharacter(layout, code, false);
        const std::string typed = decoder.feed({EV_KEY, code, 1});
        if (typed != (expected ? std::string(1, expected) : std::string()))
            std::abort();
        if (!decoder.feed({EV_KEY, code, 0}).empty())
            std::abort();
    }
    return 0;
}
