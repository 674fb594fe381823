#include "commands/compose/buzzer.h"

#include <algorithm>

namespace omni::compose {
namespace {

constexpr std::string_view volumeToken(BuzzerVolume volume) {
    switch (volume) {
        case BuzzerVolume::Small:
            return "T3";
        case BuzzerVolume::Normal:
            return "T2";
        case BuzzerVolume::Loud:
            return "T1";
        case BuzzerVolume::Maximum:
            return "T0";
    }
    return {};
}

constexpr std::string_view durationToken(BuzzerDuration duration) {
    switch (duration) {
        case BuzzerDuration::Ms50:
            return "W7";
        case BuzzerDuration::Ms75:
            return "[EFW";
        case BuzzerDuration::Ms100:
            return "W4";
        case BuzzerDuration::Ms200:
            return "W5";
        case BuzzerDuration::Ms400:
            return "W6";
    }
    return {};
}

constexpr std::string_view toneToken(BuzzerTone tone) {
    switch (tone) {
        case BuzzerTone::Middle:
            return "W1";
        case BuzzerTone::HighToLow:
            return "W2";
        case BuzzerTone::LowToHigh:
            return "W3";
        case BuzzerTone::CustomFrequency:
            return {};  // written with its frequency below
    }
    return {};
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

    if (choices.goodRead == Toggle::Disable) {
        out.token("W0");
    } else {
        if (choices.goodRead == Toggle::Enable) {
            out.token("W8");
        }
        if (choices.volume) {
            out.token(volumeToken(*choices.volume));
        }
        if (choices.duration &&
            (*choices.duration != BuzzerDuration::Ms75 || controls.duration75Visible)) {
            out.token(durationToken(*choices.duration));
        }
        if (choices.tone == BuzzerTone::CustomFrequency) {
            out.token("[DF0");
            out.digits(
                static_cast<unsigned>(std::clamp(choices.frequency, kFrequencyMin, kFrequencyMax)),
                4);
        } else if (choices.tone) {
            out.token(toneToken(*choices.tone));
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

}  // namespace omni::compose
