// The buzzer settings: choices, which controls are available, and the command they compose.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "commands/compose/token_writer.h"

namespace omni::commands::compose {

enum class BuzzerVolume { Small, Normal, Loud, Maximum };
enum class BuzzerDuration { Ms50, Ms75, Ms100, Ms200, Ms400 };
enum class BuzzerTone { Middle, HighToLow, LowToHigh, CustomFrequency };

inline constexpr int kFrequencyMin = 1;
inline constexpr int kFrequencyMax = 9999;
inline constexpr int kFrequencyStart = 3000;

// Every radio group starts with nothing chosen; "Deselect" returns to this state.
struct BuzzerChoices {
    std::optional<BuzzerVolume> volume;
    Toggle goodRead = Toggle::None;
    std::optional<BuzzerDuration> duration;
    std::optional<BuzzerTone> tone;
    int frequency = kFrequencyStart;  // the custom frequency box, clamped when composed
    Toggle startup = Toggle::None;
    Toggle readTimeout = Toggle::None;
    Toggle intermediate = Toggle::None;         // 2D readers
    Toggle intermediateDataBar = Toggle::None;  // 1D readers: GS1 DataBar
    Toggle intermediatePdf417 = Toggle::None;   // 1D readers: PDF417 and MicroPDF417
};

struct BuzzerControls {
    bool volumeEnabled = true;
    bool durationEnabled = true;
    bool duration75Visible = true;  // 2D readers only
    bool toneEnabled = true;
    bool frequencyEnabled = false;  // only while "Custom frequency" is chosen
    bool readTimeoutEnabled = true;
    bool intermediateVisible = true;     // the 2D row
    bool intermediate1DVisible = false;  // the GS1 DataBar and PDF/MicroPDF417 rows
};

// Clears every choice; the frequency box keeps its value.
void deselect(BuzzerChoices& choices);

BuzzerControls buzzerControls(const BuzzerChoices& choices, bool mode2D);

// The base command followed by the token of each chosen item. A control that is hidden or
// disabled in the current state adds nothing.
std::string composeBuzzer(std::string_view baseCommand, const BuzzerChoices& choices, bool mode2D);

}  // namespace omni::commands::compose
