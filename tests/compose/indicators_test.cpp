#include <gtest/gtest.h>

#include "commands/compose/buzzer.h"
#include "commands/compose/silent_mode.h"
#include "commands/compose/status_led.h"
#include "commands/compose/vibrator.h"

namespace omni::commands::compose {
namespace {

TEST(Buzzer, GoodReadWithCustomFrequency) {
    commands::compose::BuzzerChoices choices;
    choices.goodRead = commands::compose::Toggle::Enable;
    choices.volume = commands::compose::BuzzerVolume::Loud;
    choices.duration = commands::compose::BuzzerDuration::Ms100;
    choices.tone = commands::compose::BuzzerTone::CustomFrequency;
    choices.frequency = 2700;
    EXPECT_EQ(commands::compose::composeBuzzer("", choices, true), "W8T1W4[DF0Q2Q7Q0Q0");
    EXPECT_EQ(commands::compose::composeBuzzer("", choices, false), "W8\rT1\rW4\r[DF0\rQ2\rQ7\rQ0\rQ0\r");

    choices.frequency = 5;
    EXPECT_EQ(commands::compose::composeBuzzer("", choices, true), "W8T1W4[DF0Q0Q0Q0Q5");
    choices.frequency = 0;
    EXPECT_EQ(commands::compose::composeBuzzer("", choices, true), "W8T1W4[DF0Q0Q0Q0Q1");
    choices.frequency = 12345;
    EXPECT_EQ(commands::compose::composeBuzzer("", choices, true), "W8T1W4[DF0Q9Q9Q9Q9");
}

TEST(Buzzer, NothingChosenGivesTheBaseCommand) {
    EXPECT_EQ(commands::compose::composeBuzzer("[XYZ", commands::compose::BuzzerChoices{}, true), "[XYZ");
    EXPECT_EQ(commands::compose::composeBuzzer("", commands::compose::BuzzerChoices{}, false), "");
}

TEST(Buzzer, DisabledGoodReadSkipsVolumeDurationAndTone) {
    commands::compose::BuzzerChoices choices;
    choices.goodRead = commands::compose::Toggle::Disable;
    choices.volume = commands::compose::BuzzerVolume::Maximum;
    choices.duration = commands::compose::BuzzerDuration::Ms400;
    choices.tone = commands::compose::BuzzerTone::Middle;
    choices.startup = commands::compose::Toggle::Enable;
    choices.intermediateDataBar = commands::compose::Toggle::Disable;
    choices.intermediatePdf417 = commands::compose::Toggle::Enable;
    EXPECT_EQ(commands::compose::composeBuzzer("", choices, false), "W0\rGC\r[EB4\r[EB5\r");

    const commands::compose::BuzzerControls controls = commands::compose::buzzerControls(choices, false);
    EXPECT_FALSE(controls.volumeEnabled || controls.durationEnabled || controls.toneEnabled);
}

TEST(Buzzer, ModeDifferences) {
    commands::compose::BuzzerChoices choices;
    choices.duration = commands::compose::BuzzerDuration::Ms75;
    choices.tone = commands::compose::BuzzerTone::HighToLow;
    choices.readTimeout = commands::compose::Toggle::Disable;
    choices.intermediate = commands::compose::Toggle::Enable;
    choices.intermediateDataBar = commands::compose::Toggle::Enable;
    EXPECT_EQ(commands::compose::composeBuzzer("", choices, true), "[EFWW2[EAP[EBYQ1");
    // 1D readers have no 75 ms, no read timeout buzzer and no single intermediate row.
    EXPECT_EQ(commands::compose::composeBuzzer("", choices, false), "W2\r[EB3\r");

    const commands::compose::BuzzerControls controls1D = commands::compose::buzzerControls(choices, false);
    EXPECT_FALSE(controls1D.duration75Visible);
    EXPECT_FALSE(controls1D.readTimeoutEnabled);
    EXPECT_FALSE(controls1D.intermediateVisible);
    EXPECT_TRUE(controls1D.intermediate1DVisible);
    EXPECT_FALSE(controls1D.frequencyEnabled);
    choices.tone = commands::compose::BuzzerTone::CustomFrequency;
    EXPECT_TRUE(commands::compose::buzzerControls(choices, true).frequencyEnabled);

    commands::compose::deselect(choices);
    EXPECT_EQ(commands::compose::composeBuzzer("", choices, true), "");
    EXPECT_EQ(choices.frequency, commands::compose::kFrequencyStart);
}

TEST(StatusLed, ColoursOnlyWhenConfigurationIsEnabled) {
    commands::compose::StatusLedChoices choices;
    choices.duration = commands::compose::LedDuration::S01;
    choices.inversion = commands::compose::Toggle::Enable;
    EXPECT_EQ(composeStatusLed("", choices, true), "[XT8[E6Z");
    EXPECT_FALSE(commands::compose::colourCombosEnabled(choices));

    choices.configureColours = true;
    EXPECT_EQ(composeStatusLed("", choices, true), "[XT8[E6Z[EG2Q0Q0Q1Q2[EG2Q1Q3Q0Q0[EG2Q2Q0Q0Q1");
    choices.duration = commands::compose::LedDuration::Off;
    choices.inversion = commands::compose::Toggle::None;
    choices.colours[1] = {1, 2, 3};
    EXPECT_EQ(composeStatusLed("", choices, false),
              "T4\r[EG2\rQ0\rQ0\rQ1\rQ2\r[EG2\rQ1\rQ1\rQ2\rQ3\r[EG2\rQ2\rQ0\rQ0\rQ1\r");

    commands::compose::deselect(choices);
    EXPECT_EQ(composeStatusLed("", choices, true), "");
    EXPECT_EQ(choices.colours[1], (commands::compose::LedColour{1, 2, 3}));
}

TEST(StatusLed, SwatchIntensities) {
    EXPECT_EQ(swatchColour({0, 1, 2}), (commands::compose::Rgb{0, 153, 220}));
    EXPECT_EQ(swatchColour({3, 3, 3}), (commands::compose::Rgb{255, 255, 255}));
    EXPECT_EQ(swatchColour({-1, 9, 0}), (commands::compose::Rgb{0, 255, 0}));
}

TEST(Vibrator, Composition) {
    commands::compose::VibratorChoices choices;
    choices.goodRead = commands::compose::Toggle::Enable;
    choices.duration = commands::compose::VibrationDuration::Ms100;
    choices.intensity = commands::compose::VibrationIntensity::Strong;
    choices.startup = commands::compose::Toggle::Disable;
    choices.intermediate = commands::compose::Toggle::Enable;
    EXPECT_EQ(composeVibrator("", choices, true), "[EBI[EBK[EBO[EBR[ED6Q1");
    EXPECT_EQ(composeVibrator("", choices, false), "[EBI\r[EBK\r[EBO\r[EBR\r[ED6\rQ1\r");

    choices.intensity = commands::compose::VibrationIntensity::Weak;  // no command of its own
    choices.intermediate = commands::compose::Toggle::Disable;
    EXPECT_EQ(composeVibrator("", choices, true), "[EBI[EBK[EBR[ED6Q0");

    choices.goodRead = commands::compose::Toggle::Disable;
    choices.intensity = commands::compose::VibrationIntensity::Normal;
    EXPECT_EQ(composeVibrator("", choices, true), "[EBH[EBR[ED6Q0");
    EXPECT_FALSE(vibratorControls(choices).intensityEnabled);
}

TEST(SilentMode, Composition) {
    commands::compose::SilentModeChoices choices;
    choices.methodA.buzzer = true;
    choices.methodB.vibrator = true;
    EXPECT_EQ(composeSilentMode(choices, true), "[EBZQ1Q0Q1Q2");
    EXPECT_EQ(composeSilentMode(choices, false), "[EBZ\rQ1\rQ0\rQ1\rQ2\r");

    choices.triggerCount = 0;
    choices.methodA.vibrator = true;
    EXPECT_EQ(composeSilentMode(choices, true), "[EBZQ0Q1Q3Q2");
    choices.triggerCount = 150;
    EXPECT_EQ(composeSilentMode(choices, true), "[EBZQ9Q9Q3Q2");

    choices.modeChange = commands::compose::Toggle::Disable;
    EXPECT_EQ(composeSilentMode(choices, false), "[EBZ");
    EXPECT_FALSE(commands::compose::silentModeDetailsEnabled(choices));
    commands::compose::deselect(choices);
    EXPECT_EQ(composeSilentMode(choices, true), "[EBZ");
}

}  // namespace
}  // namespace omni::commands::compose
