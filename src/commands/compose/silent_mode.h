// The silent mode settings: how many trigger pulls switch the mode, and how each of the two
// indicator methods signals.
#pragma once

#include <string>
#include <string_view>

#include "commands/compose/token_writer.h"

namespace omni::commands::compose {

// The command of silent mode, whatever the entry carries.
inline constexpr std::string_view kSilentModeCommand = "[EBZ";

inline constexpr int kTriggerCountMin = 1;
inline constexpr int kTriggerCountMax = 99;
inline constexpr int kTriggerCountStart = 10;

struct IndicatorMethod {
    bool buzzer = false;
    bool vibrator = false;
};

struct SilentModeChoices {
    Toggle modeChange = Toggle::Enable;     // Enable is chosen at start
    int triggerCount = kTriggerCountStart;  // clamped when composed
    IndicatorMethod methodA;
    IndicatorMethod methodB;
};

// The count box and the indicator check boxes are used only while "Enable" is chosen.
inline bool silentModeDetailsEnabled(const SilentModeChoices& choices) {
    return choices.modeChange == Toggle::Enable;
}

// Clears the mode change and the check boxes; the count box keeps its value.
void deselect(SilentModeChoices& choices);

// A method's digit: 1 for the buzzer plus 2 for the vibrator.
inline unsigned methodDigit(const IndicatorMethod& method) {
    return (method.buzzer ? 1u : 0u) + (method.vibrator ? 2u : 0u);
}

// With "Enable": "[EBZ", the count as two digits, method A's and method B's digits (in 1D mode
// each token followed by a carriage return). Otherwise "[EBZ" alone.
std::string composeSilentMode(const SilentModeChoices& choices, bool mode2D);

}  // namespace omni::commands::compose
