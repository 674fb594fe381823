#include "commands/gui/dialogs/vibrator_dialog.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QRadioButton>
#include <QVBoxLayout>

#include "resources/string_ids.h"
#include "ui/gui/text.h"

namespace omni::commands::dialogs {

using namespace omni::commands::compose;

VibratorDialog::VibratorDialog(std::string_view command, bool mode2D, QWidget* parent)
    : IndicatorDialog(res::ids::VibratorCaption, command, mode2D, parent) {
    content()->addWidget(choiceRow(
        res::ids::VibrationIntensity, intensity_,
        {res::ids::IntensityStrong, res::ids::IntensityNormal, res::ids::IntensityWeak}, this));

    content()->addWidget(goodReadGroup(res::ids::GoodReadVibrator, goodRead_, duration_,
                                       {res::ids::Vibrator50ms, res::ids::Vibrator100ms}, this));
    content()->addWidget(togglePair(res::ids::StartupVibrator, startup_, this));
    content()->addWidget(togglePair(res::ids::IntermediateVibrator, intermediate_, this));

    for (ChoiceGroup* group : {&intensity_, &goodRead_, &duration_, &startup_, &intermediate_}) {
        connect(group, &ChoiceGroup::changed, this, &VibratorDialog::updateControls);
    }
    updateControls();
}

commands::compose::VibratorChoices VibratorDialog::choices() const {
    commands::compose::VibratorChoices c;
    if (intensity_.chosen() >= 0)
        c.intensity = commands::compose::VibrationIntensity(intensity_.chosen());
    c.goodRead = goodRead_.toggle();
    if (duration_.chosen() >= 0)
        c.duration = commands::compose::VibrationDuration(duration_.chosen());
    c.startup = startup_.toggle();
    c.intermediate = intermediate_.toggle();
    return c;
}

void VibratorDialog::showChoices(const commands::compose::VibratorChoices& c) {
    intensity_.choose(c.intensity ? int(*c.intensity) : -1);
    goodRead_.setToggle(c.goodRead);
    duration_.choose(c.duration ? int(*c.duration) : -1);
    startup_.setToggle(c.startup);
    intermediate_.setToggle(c.intermediate);
    updateControls();
}

void VibratorDialog::updateControls() {
    const commands::compose::VibratorControls controls = vibratorControls(choices());
    intensity_.setEnabled(controls.intensityEnabled);
    duration_.setEnabled(controls.durationEnabled);
}

}  // namespace omni::commands::dialogs
