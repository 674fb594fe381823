#include "commands/compose/number_input.h"

#include <algorithm>

namespace omni::commands::compose {
namespace {

bool offers(const CatalogEntry& entry, std::uint16_t flag) {
    return entry.kind == EntryKind::DecimalArgument && (entry.flags & flag) != 0;
}

}  // namespace

NumberInputState numberInputStart(const CatalogEntry& entry) {
    return NumberInputState{entry.defaultValue, false, false};
}

NumberInputControls numberInputControls(const CatalogEntry& entry, const NumberInputState& state) {
    NumberInputControls controls;
    controls.initializeVisible = offers(entry, kOfferInitialize);
    controls.inhibitVisible = offers(entry, kOfferInhibit);
    controls.numberEnabled = !(controls.initializeVisible && state.initialize) &&
                             !(controls.inhibitVisible && state.inhibit);
    controls.minimum = entry.minValue;
    controls.maximum = entry.maxValue;
    return controls;
}

void setInitialize(NumberInputState& state, bool ticked) {
    state.initialize = ticked;
    if (ticked) {
        state.inhibit = false;
    }
}

void setInhibit(NumberInputState& state, bool ticked) {
    state.inhibit = ticked;
    if (ticked) {
        state.initialize = false;
    }
}

NumberChoice numberChoice(const CatalogEntry& entry, const NumberInputState& state) {
    if (state.initialize && offers(entry, kOfferInitialize)) {
        return {NumberChoice::Kind::Initialize, 0};
    }
    if (state.inhibit && offers(entry, kOfferInhibit)) {
        return {NumberChoice::Kind::Inhibit, 0};
    }
    const int low = std::min<int>(entry.minValue, entry.maxValue);
    const int high = std::max<int>(entry.minValue, entry.maxValue);
    return {NumberChoice::Kind::Value, std::clamp(state.value, low, high)};
}

std::string composeNumberInput(const CatalogEntry& entry, const NumberInputState& state,
                               bool mode2D) {
    const NumberChoice choice = numberChoice(entry, state);
    switch (entry.kind) {
        case EntryKind::DecimalArgument:
            return composeDecimalArgument(entry.command, entry.minValue, entry.maxValue,
                                          entry.digits, choice, mode2D);
        case EntryKind::ByteArgument:
            return composeByteArgument(entry.command, entry.minValue, entry.maxValue, choice.value);
        default:
            return entry.command;
    }
}

}  // namespace omni::commands::compose
