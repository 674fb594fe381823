// The vibrator settings.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "commands/compose/token_writer.h"

namespace omni::commands::compose {

enum class VibrationIntensity { Strong, Normal, Weak };
enum class VibrationDuration { Ms50, Ms100 };

struct VibratorChoices {
    std::optional<VibrationIntensity> intensity;
    Toggle goodRead = Toggle::None;
    std::optional<VibrationDuration> duration;
    Toggle startup = Toggle::None;
    Toggle intermediate = Toggle::None;
};

struct VibratorControls {
    bool intensityEnabled = true;  // false while the good read vibrator is disabled
    bool durationEnabled = true;
};

inline void deselect(VibratorChoices& choices) {
    choices = VibratorChoices{};
}

VibratorControls vibratorControls(const VibratorChoices& choices);

// "Weak" is the reader's own default and has no command of its own.
std::string composeVibrator(std::string_view baseCommand, const VibratorChoices& choices,
                            bool mode2D);

}  // namespace omni::commands::compose
