#include "commands/compose/status_led.h"

#include <algorithm>

namespace omni::compose {
namespace {

int clampLevel(int level) {
    return std::clamp(level, 0, kLedLevels - 1);
}

constexpr std::string_view durationToken(LedDuration duration) {
    switch (duration) {
        case LedDuration::Off:
            return "T4";
        case LedDuration::S01:
            return "[XT8";
        case LedDuration::S02:
            return "T5";
        case LedDuration::S04:
            return "T6";
        case LedDuration::S08:
            return "T7";
    }
    return {};
}

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
        out.token(durationToken(*choices.duration));
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

}  // namespace omni::compose
