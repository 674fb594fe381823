// The status LED settings: duration, inversion and the colours of the three LED states.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "commands/compose/token_writer.h"

namespace omni::commands::compose {

enum class LedDuration { Off, S01, S02, S04, S08 };

// Colour levels, by index: 0 "0%", 1 "20%", 2 "80%", 3 "100%".
inline constexpr int kLedLevels = 4;
inline constexpr std::array<const char*, kLedLevels> kLedLevelNames{"0%", "20%", "80%", "100%"};
// The channel intensity (0..255) a swatch shows for each level.
inline constexpr std::array<int, kLedLevels> kLedLevelIntensity{0, 153, 220, 255};

// One LED state's colour as level indexes 0..3 per channel.
struct LedColour {
    int red = 0;
    int green = 0;
    int blue = 0;
    bool operator==(const LedColour&) const = default;
};

// The rows of the colour table, in the order their commands number them.
enum class LedState { GoodRead = 0, NG = 1, StandDetection = 2 };
inline constexpr int kLedStates = 3;

// A swatch colour with 0..255 per channel.
struct Rgb {
    int red = 0;
    int green = 0;
    int blue = 0;
    bool operator==(const Rgb&) const = default;
};

struct StatusLedChoices {
    std::optional<LedDuration> duration;
    Toggle inversion = Toggle::None;
    bool configureColours = false;  // "Enable configuration"
    std::array<LedColour, kLedStates> colours{{
        {0, 1, 2},  // good read: R 0%, G 20%, B 80%
        {3, 0, 0},  // NG: R 100%
        {0, 0, 1},  // stand detection: B 20%
    }};
};

// Clears the duration, the inversion and "Enable configuration"; the colour combos keep their
// levels (they are disabled until configuration is enabled again).
void deselect(StatusLedChoices& choices);

// The colour combos are enabled only while "Enable configuration" is ticked.
inline bool colourCombosEnabled(const StatusLedChoices& choices) {
    return choices.configureColours;
}

// The swatch of a colour; levels outside 0..3 are taken as the nearest level.
Rgb swatchColour(const LedColour& colour);

std::string composeStatusLed(std::string_view baseCommand, const StatusLedChoices& choices,
                             bool mode2D);

}  // namespace omni::commands::compose
