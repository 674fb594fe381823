#include "commands/compose/vibrator.h"

namespace omni::commands::compose {

VibratorControls vibratorControls(const VibratorChoices& choices) {
    const bool goodReadOff = choices.goodRead == Toggle::Disable;
    return {!goodReadOff, !goodReadOff};
}

std::string composeVibrator(std::string_view baseCommand, const VibratorChoices& choices,
                            bool mode2D) {
    TokenWriter out(baseCommand, mode2D);
    if (out.goodRead(choices.goodRead, "[EBI", "[EBH")) {
        if (choices.duration == VibrationDuration::Ms50) {
            out.token("[EBJ");
        } else if (choices.duration == VibrationDuration::Ms100) {
            out.token("[EBK");
        }
        if (choices.intensity == VibrationIntensity::Normal) {
            out.token("[EBP");
        } else if (choices.intensity == VibrationIntensity::Strong) {
            out.token("[EBO");
        }
    }
    out.toggle(choices.startup, "[EBS", "[EBR");
    if (choices.intermediate == Toggle::Enable) {
        out.token("[ED6");
        out.digits(1, 1);
    } else if (choices.intermediate == Toggle::Disable) {
        out.token("[ED6");
        out.digits(0, 1);
    }
    return out.text();
}

}  // namespace omni::commands::compose
