// The status LED dialog: LED duration, inversion of the good read LED, and the colours of the
// good read, NG and stand detection LEDs with a swatch of each mixed colour.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "commands/compose/status_led.h"
#include "commands/gui/dialogs/dialog_widgets.h"

class QCheckBox;
class QComboBox;
class QFrame;

namespace omni::commands::dialogs {

class StatusLedDialog : public IndicatorDialog<StatusLedDialog, commands::compose::StatusLedChoices,
                                               commands::compose::composeStatusLed> {
    Q_OBJECT
public:
    StatusLedDialog(std::string_view command, bool mode2D, QWidget* parent = nullptr);

    commands::compose::StatusLedChoices choices() const;
    void showChoices(const commands::compose::StatusLedChoices& choices);

    ChoiceGroup& duration() { return duration_; }
    ChoiceGroup& inversion() { return inversion_; }
    QCheckBox* enableConfiguration() const { return configure_; }
    // The R, G or B combo (channel 0, 1, 2) of an LED state's row.
    QComboBox* level(commands::compose::LedState state, int channel) const;
    // The colour a row's swatch shows.
    QColor swatch(commands::compose::LedState state) const;

private:
    void updateControls();

    ChoiceGroup duration_, inversion_;
    QCheckBox* configure_;
    std::array<std::array<QComboBox*, 3>, commands::compose::kLedStates> levels_{};
    std::array<QFrame*, commands::compose::kLedStates> swatches_{};
};

}  // namespace omni::commands::dialogs
