// The buzzer dialog: volume, the good read buzzer with its duration and tone, and the startup,
// read timeout and intermediate buzzers.
#pragma once

#include <string>
#include <string_view>

#include "commands/compose/buzzer.h"
#include "commands/gui/dialogs/dialog_widgets.h"

class QGroupBox;
class QLabel;

namespace omni::commands::dialogs {

class BuzzerDialog : public IndicatorDialog<BuzzerDialog, commands::compose::BuzzerChoices,
                                            commands::compose::composeBuzzer> {
    Q_OBJECT
public:
    BuzzerDialog(std::string_view command, bool mode2D, QWidget* parent = nullptr);

    // The controls as choices, and back.
    commands::compose::BuzzerChoices choices();
    void showChoices(const commands::compose::BuzzerChoices& choices);

    ChoiceGroup& volume() { return volume_; }
    ChoiceGroup& goodRead() { return goodRead_; }
    ChoiceGroup& duration() { return duration_; }
    ChoiceGroup& tone() { return tone_; }
    NumberBox* frequency() const { return frequency_; }
    ChoiceGroup& startup() { return startup_; }
    ChoiceGroup& readTimeout() { return readTimeout_; }
    ChoiceGroup& intermediate() { return intermediate_; }
    ChoiceGroup& intermediateDataBar() { return dataBar_; }
    ChoiceGroup& intermediatePdf417() { return pdf417_; }

private:
    void updateControls();

    ChoiceGroup volume_, goodRead_, duration_, tone_;
    ChoiceGroup startup_, readTimeout_, intermediate_, dataBar_, pdf417_;
    NumberBox* frequency_;
    QLabel* frequencyUnit_;
    QLabel* readTimeoutCaption_;
    QWidget* intermediate2D_;
    QWidget* intermediate1D_;
};

}  // namespace omni::commands::dialogs
