#include "commands/compose/status_led.h"

#include <algorithm>

namespace omni::commands::compose {
namespace {

int clampLevel(int level) {
    return std::clamp(level, 0, kLedLevels - 1);
}

// Tokens by LedDuration, in the enum's order.
constexpr std::string_view kDurationTokens[] = {"T4", "[XT8", "T5", "T6", "T7"};

}  // namespace

void deselect(StatusLedChoices& choices) {
    choices.duration.reset();
    choices.inversion = Toggle::None;
    choices.configureColours = false;
}

Rgb swatchColour(const LedColour& colour) {
    return {kLedLevelIntensity[clampLevel(colour.red)],
            kLedLevelIntensity[clampLevel(colour.green)],
            kLedLevelIntensity[clampLevel(colour.blue)]};
}

std::string composeStatusLed(std::string_view baseCommand, const StatusLedChoices& choices,
                             bool mode2D) {
    TokenWriter out(baseCommand, mode2D);
    if (choices.duration) {
        out.token(kDurationTokens[static_cast<std::size_t>(*choices.duration)]);
    }
    out.toggle(choices.inversion, "[E6Z", "[E6Y");
    if (choices.configureColours) {
        // "[EG2" with the state number, then the R, G and B levels.
        for (int state = 0; state < kLedStates; ++state) {
            const LedColour& colour = choices.colours[state];
            out.token("[EG2");
            out.digits(static_cast<unsigned>(state), 1);
            out.digits(static_cast<unsigned>(clampLevel(colour.red)), 1);
            out.digits(static_cast<unsigned>(clampLevel(colour.green)), 1);
            out.digits(static_cast<unsigned>(clampLevel(colour.blue)), 1);
        }
    }
    return out.text();
}

}  // namespace omni::commands::compose
