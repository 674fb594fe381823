// Shared pieces of the indicator dialogs: a pair of Enable/Disable radio buttons and the writer
// that appends tokens in the form of the current mode.
#pragma once

#include <string>
#include <string_view>

namespace omni::commands::compose {

// An Enable/Disable pair of radio buttons; neither is chosen at start or after "Deselect".
enum class Toggle { None, Enable, Disable };

// Appends tokens to a result that starts with the entry's base command. In 1D mode every token
// is followed by a carriage return, digit tokens included, so that each becomes its own Code 39
// menu code; in 2D mode tokens follow each other without separators.
class TokenWriter {
public:
    TokenWriter(std::string_view baseCommand, bool mode2D);

    // One token, such as "W8" or "[EFW".
    void token(std::string_view token);
    // `count` digit tokens of `value`, most significant first.
    void digits(unsigned value, unsigned count);
    // The token of the chosen side of a toggle; nothing when neither is chosen.
    void toggle(Toggle choice, std::string_view enable, std::string_view disable);
    // The good read toggle of an indicator, written as toggle() does. False when it is disabled:
    // the settings under it (duration, volume, ...) are then left out.
    bool goodRead(Toggle choice, std::string_view enable, std::string_view disable);

    const std::string& text() const { return text_; }

private:
    std::string text_;
    bool mode2D_;
};

}  // namespace omni::commands::compose
