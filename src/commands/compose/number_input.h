// The number input of kinds 2 (decimal argument) and 4 (byte argument): its start state, which
// controls it shows, and the choice it returns.
#pragma once

#include <string>

#include "commands/catalog.h"
#include "commands/menu_command.h"

namespace omni::commands::compose {

// What the operator has set in the dialog.
struct NumberInputState {
    int value = 0;  // the number box; may lie outside the range until it is composed
    bool initialize = false;
    bool inhibit = false;
};

// Visibility and enabling of the dialog's controls, plus the range of the up-down control.
struct NumberInputControls {
    bool initializeVisible = false;
    bool inhibitVisible = false;
    bool numberEnabled = true;  // false while Initialize or Inhibit is ticked
    int minimum = 0;
    int maximum = 0;
};

// The state the dialog opens with: the entry's default value, both check boxes clear.
NumberInputState numberInputStart(const CatalogEntry& entry);

// Kind 2 entries show "Initialize" and "Inhibit" as their flags offer them; kind 4 shows neither.
NumberInputControls numberInputControls(const CatalogEntry& entry, const NumberInputState& state);

// Ticking one of the two check boxes clears the other.
void setInitialize(NumberInputState& state, bool ticked);
void setInhibit(NumberInputState& state, bool ticked);

// The result of "OK": Initialize or Inhibit when ticked and offered, otherwise the value clamped
// to the entry's range.
NumberChoice numberChoice(const CatalogEntry& entry, const NumberInputState& state);

// The command the entry resolves to with this state: a decimal argument for kind 2, a byte
// argument for kind 4 (any other kind gives the base command alone).
std::string composeNumberInput(const CatalogEntry& entry, const NumberInputState& state,
                               bool mode2D);

}  // namespace omni::commands::compose
