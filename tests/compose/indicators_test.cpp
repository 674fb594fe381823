#include <gtest/gtest.h>

#include "commands/compose/buzzer.h"
#include "commands/compose/silent_mode.h"
#include "commands/compose/status_led.h"
#include "commands/compose/vibrator.h"

namespace omni::commands::compose {
namespace {

TEST(Buzzer, GoodReadWithCustomFrequency) {
    BuzzerChoices choices{.volume = BuzzerVolume::Loud,
                          .goodRead = Toggle::Enable,
                          .duration = BuzzerDuration::Ms100,
                          .tone = BuzzerTone::CustomFrequency,
                          .frequency = 2700};
    EXPECT_EQ(composeBuzzer("", choices, true), "W8T1W4[DF0Q2Q7Q0Q0");
    EXPECT_EQ(composeBuzzer("", choices, false), "W8\rT1\rW4\r[DF0\rQ2\rQ7\rQ0\rQ0\r");

    choices.frequency = 5;
    EXPECT_EQ(composeBuzzer("", choices, true), "W8T1W4[DF0Q0Q0Q0Q5");
    choices.frequency = 0;
    EXPECT_EQ(composeBuzzer("", choices, true), "W8T1W4[DF0Q0Q0Q0Q1");
    choices.frequency = 12345;
    EXPECT_EQ(composeBuzzer("", choices, true), "W8T1W4[DF0Q9Q9Q9Q9");
}

TEST(Buzzer, NothingChosenGivesTheBaseCommand) {
    EXPECT_EQ(composeBuzzer("[XYZ", BuzzerChoices{}, true), "[XYZ");
    EXPECT_EQ(composeBuzzer("", BuzzerChoices{}, false), "");
}

TEST(Buzzer, DisabledGoodReadSkipsVolumeDurationAndTone) {
    BuzzerChoices choices{.volume = BuzzerVolume::Maximum,
                          .goodRead = Toggle::Disable,
                          .duration = BuzzerDuration::Ms400,
                          .tone = BuzzerTone::Middle,
                          .startup = Toggle::Enable,
                          .intermediateDataBar = Toggle::Disable,
                          .intermediatePdf417 = Toggle::Enable};
    EXPECT_EQ(composeBuzzer("", choices, false), "W0\rGC\r[EB4\r[EB5\r");

    const BuzzerControls controls = buzzerControls(choices, false);
    EXPECT_FALSE(controls.volumeEnabled || controls.durationEnabled || controls.toneEnabled);
}

TEST(Buzzer, ModeDifferences) {
    BuzzerChoices choices{.volume = std::nullopt,
                          .duration = BuzzerDuration::Ms75,
                          .tone = BuzzerTone::HighToLow,
                          .readTimeout = Toggle::Disable,
                          .intermediate = Toggle::Enable,
                          .intermediateDataBar = Toggle::Enable};
    EXPECT_EQ(composeBuzzer("", choices, true), "[EFWW2[EAP[EBYQ1");
    // 1D readers have no 75 ms, no read timeout buzzer and no single intermediate row.
    EXPECT_EQ(composeBuzzer("", choices, false), "W2\r[EB3\r");

    const BuzzerControls controls1D = buzzerControls(choices, false);
    EXPECT_FALSE(controls1D.duration75Visible);
    EXPECT_FALSE(controls1D.readTimeoutEnabled);
    EXPECT_FALSE(controls1D.intermediateVisible);
    EXPECT_TRUE(controls1D.intermediate1DVisible);
    EXPECT_FALSE(controls1D.frequencyEnabled);
    choices.tone = BuzzerTone::CustomFrequency;
    EXPECT_TRUE(buzzerControls(choices, true).frequencyEnabled);

    deselect(choices);
    EXPECT_EQ(composeBuzzer("", choices, true), "");
    EXPECT_EQ(choices.frequency, kFrequencyStart);
}

TEST(StatusLed, ColoursOnlyWhenConfigurationIsEnabled) {
    StatusLedChoices choices{.duration = LedDuration::S01, .inversion = Toggle::Enable};
    EXPECT_EQ(composeStatusLed("", choices, true), "[XT8[E6Z");
    EXPECT_FALSE(colourCombosEnabled(choices));

    choices.configureColours = true;
    EXPECT_EQ(composeStatusLed("", choices, true), "[XT8[E6Z[EG2Q0Q0Q1Q2[EG2Q1Q3Q0Q0[EG2Q2Q0Q0Q1");
    choices.duration = LedDuration::Off;
    choices.inversion = Toggle::None;
    choices.colours[1] = {1, 2, 3};
    EXPECT_EQ(composeStatusLed("", choices, false),
              "T4\r[EG2\rQ0\rQ0\rQ1\rQ2\r[EG2\rQ1\rQ1\rQ2\rQ3\r[EG2\rQ2\rQ0\rQ0\rQ1\r");

    deselect(choices);
    EXPECT_EQ(composeStatusLed("", choices, true), "");
    EXPECT_EQ(choices.colours[1], (LedColour{1, 2, 3}));
}

TEST(StatusLed, SwatchIntensities) {
    EXPECT_EQ(swatchColour({0, 1, 2}), (Rgb{0, 153, 220}));
    EXPECT_EQ(swatchColour({3, 3, 3}), (Rgb{255, 255, 255}));
    EXPECT_EQ(swatchColour({-1, 9, 0}), (Rgb{0, 255, 0}));
}

TEST(Vibrator, Composition) {
    VibratorChoices choices{.intensity = VibrationIntensity::Strong,
                            .goodRead = Toggle::Enable,
                            .duration = VibrationDuration::Ms100,
                            .startup = Toggle::Disable,
                            .intermediate = Toggle::Enable};
    EXPECT_EQ(composeVibrator("", choices, true), "[EBI[EBK[EBO[EBR[ED6Q1");
    EXPECT_EQ(composeVibrator("", choices, false), "[EBI\r[EBK\r[EBO\r[EBR\r[ED6\rQ1\r");

    choices.intensity = VibrationIntensity::Weak;  // no command of its own
    choices.intermediate = Toggle::Disable;
    EXPECT_EQ(composeVibrator("", choices, true), "[EBI[EBK[EBR[ED6Q0");

    choices.goodRead = Toggle::Disable;
    choices.intensity = VibrationIntensity::Normal;
    EXPECT_EQ(composeVibrator("", choices, true), "[EBH[EBR[ED6Q0");
    EXPECT_FALSE(vibratorControls(choices).intensityEnabled);
}

TEST(SilentMode, Composition) {
    SilentModeChoices choices;
    choices.methodA.buzzer = true;
    choices.methodB.vibrator = true;
    EXPECT_EQ(composeSilentMode(choices, true), "[EBZQ1Q0Q1Q2");
    EXPECT_EQ(composeSilentMode(choices, false), "[EBZ\rQ1\rQ0\rQ1\rQ2\r");

    choices.triggerCount = 0;
    choices.methodA.vibrator = true;
    EXPECT_EQ(composeSilentMode(choices, true), "[EBZQ0Q1Q3Q2");
    choices.triggerCount = 150;
    EXPECT_EQ(composeSilentMode(choices, true), "[EBZQ9Q9Q3Q2");

    choices.modeChange = Toggle::Disable;
    EXPECT_EQ(composeSilentMode(choices, false), "[EBZ");
    EXPECT_FALSE(silentModeDetailsEnabled(choices));
    deselect(choices);
    EXPECT_EQ(composeSilentMode(choices, true), "[EBZ");
}

}  // namespace
}  // namespace omni::commands::compose
