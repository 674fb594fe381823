#include "commands/gui/dialogs/silent_mode_dialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "resources/string_ids.h"
#include "ui/gui/text.h"

namespace omni::commands::dialogs {

using namespace omni::commands::compose;

SilentModeDialog::SilentModeDialog(bool mode2D, QWidget* parent)
    : ComposingDialog(res::ids::SilentModeCaption, true, parent), mode2D_(mode2D) {
    content()->addWidget(togglePair(res::ids::ModeChange, modeChange_, this));

    countBox_ = new QGroupBox(ui::uiText(res::ids::TriggerCount), this);
    auto* countRow = new QHBoxLayout(countBox_);
    count_ = new NumberBox(kTriggerCountMin, kTriggerCountMax, kTriggerCountStart, countBox_);
    count_->setMinimumWidth(count_->fontMetrics().horizontalAdvance(QStringLiteral("0")) * 6);
    countRow->addWidget(count_);
    countRow->addWidget(new QLabel(ui::uiText(res::ids::TriggerCountUnit), countBox_));
    countRow->addStretch(1);
    content()->addWidget(countBox_);

    indicatorBox_ = new QGroupBox(ui::uiText(res::ids::IndicatorConfiguration), this);
    auto* grid = new QGridLayout(indicatorBox_);
    const std::uint32_t methods[2] = {res::ids::IndicatorMethodA, res::ids::IndicatorMethodB};
    for (int method = 0; method < 2; ++method) {
        grid->addWidget(new QLabel(ui::uiText(methods[method]), indicatorBox_), method, 0);
        buzzer_[method] = new QCheckBox(ui::uiText(res::ids::IndicatorBuzzer), indicatorBox_);
        vibrator_[method] = new QCheckBox(ui::uiText(res::ids::IndicatorVibrator), indicatorBox_);
        grid->addWidget(buzzer_[method], method, 1);
        grid->addWidget(vibrator_[method], method, 2);
    }
    grid->setColumnStretch(3, 1);
    grid->setHorizontalSpacing(16);
    content()->addWidget(indicatorBox_);

    connect(&modeChange_, &ChoiceGroup::changed, this, &SilentModeDialog::updateControls);
    showChoices(commands::compose::SilentModeChoices{});
}

commands::compose::SilentModeChoices SilentModeDialog::choices() {
    commands::compose::SilentModeChoices c;
    c.modeChange = modeChange_.toggle();
    c.triggerCount = count_->enteredValue();
    c.methodA = {buzzer_[0]->isChecked(), vibrator_[0]->isChecked()};
    c.methodB = {buzzer_[1]->isChecked(), vibrator_[1]->isChecked()};
    return c;
}

void SilentModeDialog::showChoices(const commands::compose::SilentModeChoices& c) {
    modeChange_.setToggle(c.modeChange);
    count_->setValue(c.triggerCount);
    const commands::compose::IndicatorMethod* methods[2] = {&c.methodA, &c.methodB};
    for (int method = 0; method < 2; ++method) {
        buzzer_[method]->setChecked(methods[method]->buzzer);
        vibrator_[method]->setChecked(methods[method]->vibrator);
    }
    updateControls();
}

void SilentModeDialog::updateControls() {
    const bool enabled = silentModeDetailsEnabled(choices());
    countBox_->setEnabled(enabled);
    indicatorBox_->setEnabled(enabled);
}

void SilentModeDialog::deselect() {
    commands::compose::SilentModeChoices c = choices();
    commands::compose::deselect(c);
    showChoices(c);
}

std::string SilentModeDialog::compose() {
    return composeSilentMode(choices(), mode2D_);
}

}  // namespace omni::commands::dialogs
