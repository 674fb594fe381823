// The vibrator dialog: vibration intensity, the good read vibrator with its duration, and the
// startup and intermediate vibrators.
#pragma once

#include <string>
#include <string_view>

#include "commands/compose/vibrator.h"
#include "commands/gui/dialogs/dialog_widgets.h"

namespace omni::commands::dialogs {

class VibratorDialog : public IndicatorDialog<VibratorDialog, commands::compose::VibratorChoices,
                                              commands::compose::composeVibrator> {
    Q_OBJECT
public:
    VibratorDialog(std::string_view command, bool mode2D, QWidget* parent = nullptr);

    commands::compose::VibratorChoices choices() const;
    void showChoices(const commands::compose::VibratorChoices& choices);

    ChoiceGroup& intensity() { return intensity_; }
    ChoiceGroup& goodRead() { return goodRead_; }
    ChoiceGroup& duration() { return duration_; }
    ChoiceGroup& startup() { return startup_; }
    ChoiceGroup& intermediate() { return intermediate_; }

private:
    void updateControls();

    ChoiceGroup intensity_, goodRead_, duration_, startup_, intermediate_;
};

}  // namespace omni::commands::dialogs
