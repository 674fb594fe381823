#include <gtest/gtest.h>

#include "commands/compose/number_input.h"

namespace omni::commands::compose {
namespace {

constexpr commands::CatalogEntry kFixedLength{1, commands::EntryKind::DecimalArgument, "[DC1", 0, 8000, 1, 4, 1};
constexpr commands::CatalogEntry kResetTime{2, commands::EntryKind::DecimalArgument, "[D3R", 1, 9999, 70, 4, 3};
constexpr commands::CatalogEntry kMinimumLength{3, commands::EntryKind::ByteArgument, "[XQL", 0, 254, 1, 2, 1};

std::string compose(const commands::CatalogEntry& entry, int value, bool mode2D) {
    commands::compose::NumberInputState state = commands::compose::numberInputStart(entry);
    state.value = value;
    return commands::compose::composeNumberInput(entry, state, mode2D);
}

TEST(NumberInput, DecimalValueInBothModes) {
    EXPECT_EQ(compose(kFixedLength, 25, true), "[DC1Q0Q0Q2Q5");
    EXPECT_EQ(compose(kFixedLength, 25, false), "[DC1\rQ0\rQ0\rQ2\rQ5\r");
    EXPECT_EQ(compose(kFixedLength, 9000, true), "[DC1Q8Q0Q0Q0");  // clamped to the maximum
    EXPECT_EQ(compose(kResetTime, -5, true), "[D3RQ0Q0Q0Q1");      // clamped to the minimum
}

TEST(NumberInput, InitializeAndInhibitExcludeEachOther) {
    commands::compose::NumberInputState state = commands::compose::numberInputStart(kResetTime);
    EXPECT_EQ(state.value, 70);
    EXPECT_TRUE(commands::compose::numberInputControls(kResetTime, state).numberEnabled);

    commands::compose::setInitialize(state, true);
    EXPECT_FALSE(commands::compose::numberInputControls(kResetTime, state).numberEnabled);
    EXPECT_EQ(commands::compose::composeNumberInput(kResetTime, state, true), "[D3R");
    EXPECT_EQ(commands::compose::composeNumberInput(kResetTime, state, false), "[D3R");  // no carriage return

    commands::compose::setInhibit(state, true);
    EXPECT_FALSE(state.initialize);
    EXPECT_EQ(commands::compose::composeNumberInput(kResetTime, state, true), "[D3RQ0Q0Q0Q0");

    commands::compose::setInhibit(state, false);
    EXPECT_TRUE(commands::compose::numberInputControls(kResetTime, state).numberEnabled);
    EXPECT_EQ(commands::compose::composeNumberInput(kResetTime, state, true), "[D3RQ0Q0Q7Q0");
}

TEST(NumberInput, ChoicesNotOfferedHaveNoEffect) {
    // Only Initialize is offered here; a stray Inhibit must not compose 0.
    commands::compose::NumberInputState state = commands::compose::numberInputStart(kFixedLength);
    const commands::compose::NumberInputControls controls = commands::compose::numberInputControls(kFixedLength, state);
    EXPECT_TRUE(controls.initializeVisible);
    EXPECT_FALSE(controls.inhibitVisible);
    state.inhibit = true;
    EXPECT_EQ(commands::compose::composeNumberInput(kFixedLength, state, true), "[DC1Q0Q0Q0Q1");

    // Byte arguments show neither check box, whatever their flags say.
    commands::compose::NumberInputState byteState = commands::compose::numberInputStart(kMinimumLength);
    EXPECT_FALSE(commands::compose::numberInputControls(kMinimumLength, byteState).initializeVisible);
    byteState.initialize = true;
    byteState.value = 10;
    EXPECT_EQ(commands::compose::composeNumberInput(kMinimumLength, byteState, false), "[XQL\r[$0A\r");
}

TEST(NumberInput, ByteArgument) {
    EXPECT_EQ(compose(kMinimumLength, 0, false), "[XQL\r[$00\r");
    EXPECT_EQ(compose(kMinimumLength, 254, false), "[XQL\r[$FE\r");
    EXPECT_EQ(compose(kMinimumLength, 999, false), "[XQL\r[$FE\r");
}

}  // namespace
}  // namespace omni::commands::compose
