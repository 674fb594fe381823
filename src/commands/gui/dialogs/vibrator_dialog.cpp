#include "commands/gui/dialogs/vibrator_dialog.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QRadioButton>
#include <QVBoxLayout>

#include "commands/compose/text_ids.h"
#include "ui/gui/text.h"

namespace omni::dialogs {

using namespace omni::compose;

VibratorDialog::VibratorDialog(std::string_view command, bool mode2D, QWidget* parent)
    : ComposingDialog(kTextVibratorCaption, true, parent), command_(command), mode2D_(mode2D) {
    content()->addWidget(choiceRow(kTextVibrationIntensity, intensity_,
                                   {{kTextIntensityStrong, int(VibrationIntensity::Strong)},
                                    {kTextIntensityNormal, int(VibrationIntensity::Normal)},
                                    {kTextIntensityWeak, int(VibrationIntensity::Weak)}},
                                   this));

    auto* goodRead = new QGroupBox(gui::uiText(kTextGoodReadVibrator), this);
    auto* goodReadLayout = new QVBoxLayout(goodRead);
    auto* enableRow = new QHBoxLayout;
    enableRow->addWidget(goodRead_.add(kTextEnable, 1, goodRead));
    enableRow->addWidget(goodRead_.add(kTextDisable, 2, goodRead));
    enableRow->addStretch(1);
    goodReadLayout->addLayout(enableRow);
    goodReadLayout->addWidget(choiceRow(kTextDuration, duration_,
                                        {{kTextVibrator50ms, int(VibrationDuration::Ms50)},
                                         {kTextVibrator100ms, int(VibrationDuration::Ms100)}},
                                        goodRead));
    content()->addWidget(goodRead);
    content()->addWidget(togglePair(kTextStartupVibrator, startup_, this));
    content()->addWidget(togglePair(kTextIntermediateVibrator, intermediate_, this));

    for (ChoiceGroup* group : {&intensity_, &goodRead_, &duration_, &startup_, &intermediate_}) {
        connect(group, &ChoiceGroup::changed, this, &VibratorDialog::updateControls);
    }
    updateControls();
}

VibratorChoices VibratorDialog::choices() const {
    VibratorChoices c;
    if (intensity_.chosen() >= 0)
        c.intensity = VibrationIntensity(intensity_.chosen());
    c.goodRead = goodRead_.toggle();
    if (duration_.chosen() >= 0)
        c.duration = VibrationDuration(duration_.chosen());
    c.startup = startup_.toggle();
    c.intermediate = intermediate_.toggle();
    return c;
}

void VibratorDialog::showChoices(const VibratorChoices& c) {
    intensity_.choose(c.intensity ? int(*c.intensity) : -1);
    goodRead_.setToggle(c.goodRead);
    duration_.choose(c.duration ? int(*c.duration) : -1);
    startup_.setToggle(c.startup);
    intermediate_.setToggle(c.intermediate);
    updateControls();
}

void VibratorDialog::updateControls() {
    const VibratorControls controls = vibratorControls(choices());
    intensity_.setEnabled(controls.intensityEnabled);
    duration_.setEnabled(controls.durationEnabled);
}

void VibratorDialog::deselect() {
    VibratorChoices c = choices();
    compose::deselect(c);
    showChoices(c);
}

std::string VibratorDialog::compose() {
    return composeVibrator(command_, choices(), mode2D_);
}

}  // namespace omni::dialogs
