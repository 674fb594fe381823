#include "commands/compose/buzzer.h"

#include <algorithm>

namespace omni::commands::compose {
namespace {

// Tokens by BuzzerVolume, BuzzerDuration and BuzzerTone, in the enums' order.
constexpr std::string_view kVolumeTokens[] = {"T3", "T2", "T1", "T0"};
constexpr std::string_view kDurationTokens[] = {"W7", "[EFW", "W4", "W5", "W6"};
// The custom frequency is written with its frequency below.
constexpr std::string_view kToneTokens[] = {"W1", "W2", "W3", {}};

template <std::size_t N, typename Enum>
constexpr std::string_view tokenOf(const std::string_view (&tokens)[N], Enum value) {
    return tokens[static_cast<std::size_t>(value)];
}

}  // namespace

void deselect(BuzzerChoices& choices) {
    const int frequency = choices.frequency;
    choices = BuzzerChoices{};
    choices.frequency = frequency;
}

BuzzerControls buzzerControls(const BuzzerChoices& choices, bool mode2D) {
    BuzzerControls controls;
    const bool goodReadOff = choices.goodRead == Toggle::Disable;
    controls.volumeEnabled = !goodReadOff;
    controls.durationEnabled = !goodReadOff;
    controls.toneEnabled = !goodReadOff;
    controls.frequencyEnabled = !goodReadOff && choices.tone == BuzzerTone::CustomFrequency;
    controls.duration75Visible = mode2D;
    controls.readTimeoutEnabled = mode2D;
    controls.intermediateVisible = mode2D;
    controls.intermediate1DVisible = !mode2D;
    return controls;
}

std::string composeBuzzer(std::string_view baseCommand, const BuzzerChoices& choices, bool mode2D) {
    const BuzzerControls controls = buzzerControls(choices, mode2D);
    TokenWriter out(baseCommand, mode2D);

    if (out.goodRead(choices.goodRead, "W8", "W0")) {
        if (choices.volume) {
            out.token(tokenOf(kVolumeTokens, *choices.volume));
        }
        if (choices.duration &&
            (*choices.duration != BuzzerDuration::Ms75 || controls.duration75Visible)) {
            out.token(tokenOf(kDurationTokens, *choices.duration));
        }
        if (choices.tone == BuzzerTone::CustomFrequency) {
            out.token("[DF0");
            out.digits(
                static_cast<unsigned>(std::clamp(choices.frequency, kFrequencyMin, kFrequencyMax)),
                4);
        } else if (choices.tone) {
            out.token(tokenOf(kToneTokens, *choices.tone));
        }
    }

    out.toggle(choices.startup, "GC", "GD");
    if (controls.readTimeoutEnabled) {
        out.toggle(choices.readTimeout, "[EAQ", "[EAP");
    }
    if (mode2D) {
        out.toggle(choices.intermediate, "[EBYQ1", "[EBYQ0");
    } else {
        out.toggle(choices.intermediateDataBar, "[EB3", "[EB4");
        out.toggle(choices.intermediatePdf417, "[EB5", "[EB6");
    }
    return out.text();
}

}  // namespace omni::commands::compose
