#include "commands/compose/silent_mode.h"

#include <algorithm>

namespace omni::commands::compose {

void deselect(SilentModeChoices& choices) {
    choices.modeChange = Toggle::None;
    choices.methodA = {};
    choices.methodB = {};
}

std::string composeSilentMode(const SilentModeChoices& choices, bool mode2D) {
    if (choices.modeChange != Toggle::Enable) {
        return std::string(kSilentModeCommand);
    }
    TokenWriter out({}, mode2D);
    out.token(kSilentModeCommand);
    out.digits(
        static_cast<unsigned>(std::clamp(choices.triggerCount, kTriggerCountMin, kTriggerCountMax)),
        2);
    out.digits(methodDigit(choices.methodA), 1);
    out.digits(methodDigit(choices.methodB), 1);
    return out.text();
}

}  // namespace omni::commands::compose
