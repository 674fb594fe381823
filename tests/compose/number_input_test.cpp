#include <gtest/gtest.h>

#include "commands/compose/number_input.h"

namespace omni::commands::compose {
namespace {

constexpr commands::CatalogEntry kFixedLength{
    1, commands::EntryKind::DecimalArgument, "[DC1", 0, 8000, 1, 4, 1};
constexpr commands::CatalogEntry kResetTime{
    2, commands::EntryKind::DecimalArgument, "[D3R", 1, 9999, 70, 4, 3};
constexpr commands::CatalogEntry kMinimumLength{
    3, commands::EntryKind::ByteArgument, "[XQL", 0, 254, 1, 2, 1};

std::string compose(const commands::CatalogEntry& entry, int value, bool mode2D) {
    NumberInputState state = numberInputStart(entry);
    state.value = value;
    return composeNumberInput(entry, state, mode2D);
}

TEST(NumberInput, DecimalValueInBothModes) {
    EXPECT_EQ(compose(kFixedLength, 25, true), "[DC1Q0Q0Q2Q5");
    EXPECT_EQ(compose(kFixedLength, 25, false), "[DC1\rQ0\rQ0\rQ2\rQ5\r");
    EXPECT_EQ(compose(kFixedLength, 9000, true), "[DC1Q8Q0Q0Q0");  // clamped to the maximum
    EXPECT_EQ(compose(kResetTime, -5, true), "[D3RQ0Q0Q0Q1");      // clamped to the minimum
}

TEST(NumberInput, InitializeAndInhibitExcludeEachOther) {
    NumberInputState state = numberInputStart(kResetTime);
    EXPECT_EQ(state.value, 70);
    EXPECT_TRUE(numberInputControls(kResetTime, state).numberEnabled);

    setInitialize(state, true);
    EXPECT_FALSE(numberInputControls(kResetTime, state).numberEnabled);
    EXPECT_EQ(composeNumberInput(kResetTime, state, true), "[D3R");
    EXPECT_EQ(composeNumberInput(kResetTime, state, false), "[D3R");  // no carriage return

    setInhibit(state, true);
    EXPECT_FALSE(state.initialize);
    EXPECT_EQ(composeNumberInput(kResetTime, state, true), "[D3RQ0Q0Q0Q0");

    setInhibit(state, false);
    EXPECT_TRUE(numberInputControls(kResetTime, state).numberEnabled);
    EXPECT_EQ(composeNumberInput(kResetTime, state, true), "[D3RQ0Q0Q7Q0");
}

TEST(NumberInput, ChoicesNotOfferedHaveNoEffect) {
    // Only Initialize is offered here; a stray Inhibit must not compose 0.
    NumberInputState state = numberInputStart(kFixedLength);
    const NumberInputControls controls = numberInputControls(kFixedLength, state);
    EXPECT_TRUE(controls.initializeVisible);
    EXPECT_FALSE(controls.inhibitVisible);
    state.inhibit = true;
    EXPECT_EQ(composeNumberInput(kFixedLength, state, true), "[DC1Q0Q0Q0Q1");

    // Byte arguments show neither check box, whatever their flags say.
    NumberInputState byteState = numberInputStart(kMinimumLength);
    EXPECT_FALSE(numberInputControls(kMinimumLength, byteState).initializeVisible);
    byteState.initialize = true;
    byteState.value = 10;
    EXPECT_EQ(composeNumberInput(kMinimumLength, byteState, false), "[XQL\r[$0A\r");
}

TEST(NumberInput, ByteArgument) {
    EXPECT_EQ(compose(kMinimumLength, 0, false), "[XQL\r[$00\r");
    EXPECT_EQ(compose(kMinimumLength, 254, false), "[XQL\r[$FE\r");
    EXPECT_EQ(compose(kMinimumLength, 999, false), "[XQL\r[$FE\r");
}

}  // namespace
}  // namespace omni::commands::compose
