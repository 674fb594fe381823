// The silent mode dialog: whether the mode change is enabled, how many trigger pulls switch it,
// and how each of the two indicator methods signals.
#pragma once

#include <string>

#include "commands/compose/silent_mode.h"
#include "commands/gui/dialogs/dialog_widgets.h"

class QCheckBox;
class QGroupBox;

namespace omni::commands::dialogs {

class SilentModeDialog : public ComposingDialog {
    Q_OBJECT
public:
    explicit SilentModeDialog(bool mode2D, QWidget* parent = nullptr);

    std::string compose() override;

    commands::compose::SilentModeChoices choices();
    void showChoices(const commands::compose::SilentModeChoices& choices);

    ChoiceGroup& modeChange() { return modeChange_; }
    NumberBox* triggerCount() const { return count_; }
    // Method A (0) or B (1): its Buzzer and Vibrator check boxes.
    QCheckBox* buzzer(int method) const { return buzzer_[method]; }
    QCheckBox* vibrator(int method) const { return vibrator_[method]; }

protected:
    void deselect() override;

private:
    void updateControls();

    bool mode2D_;
    ChoiceGroup modeChange_;
    NumberBox* count_;
    QGroupBox* countBox_;
    QGroupBox* indicatorBox_;
    QCheckBox* buzzer_[2];
    QCheckBox* vibrator_[2];
};

}  // namespace omni::commands::dialogs
