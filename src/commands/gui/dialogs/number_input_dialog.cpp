#include "commands/gui/dialogs/number_input_dialog.h"

#include <algorithm>

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "commands/gui/dialogs/dialog_widgets.h"
#include "resources/string_ids.h"
#include "ui/gui/dialog_buttons.h"
#include "ui/gui/text.h"

namespace omni::commands::dialogs {
namespace {}  // namespace

NumberInputDialog::NumberInputDialog(const CatalogEntry& entry, QWidget* parent)
    : QDialog(parent), entry_(entry) {
    setWindowTitle(ui::uiText(res::ids::InputNumberTitle));
    const commands::compose::NumberInputState start = commands::compose::numberInputStart(entry);
    const commands::compose::NumberInputControls controls =
        commands::compose::numberInputControls(entry, start);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(ui::uiText(res::ids::InputNumberCaption), this));

    auto* row = new QHBoxLayout;
    number_ = new NumberBox(controls.minimum, controls.maximum, start.value, this);
    number_->setMinimumWidth(number_->fontMetrics().horizontalAdvance(QStringLiteral("0")) * 10);
    row->addWidget(number_, 1);
    row->addWidget(new QLabel(
        ui::uiFormat(res::ids::NumberRange,
                     {QString::number(controls.minimum), QString::number(controls.maximum)}),
        this));
    layout->addLayout(row);

    initialize_ = new QCheckBox(ui::uiText(res::ids::Initialize), this);
    inhibit_ = new QCheckBox(ui::uiText(res::ids::Inhibit), this);
    initialize_->setVisible(controls.initializeVisible);
    inhibit_->setVisible(controls.inhibitVisible);
    auto* checks = new QHBoxLayout;
    checks->addWidget(initialize_);
    checks->addWidget(inhibit_);
    checks->addStretch(1);
    layout->addLayout(checks);
    layout->addStretch(1);

    ok_ = ui::addDialogButtons(this, layout, res::ids::Ok, res::ids::Cancel);

    // The two choices exclude each other; either one disables the number box.
    connect(initialize_, &QCheckBox::toggled, this, [this](bool on) {
        if (on)
            inhibit_->setChecked(false);
        updateControls();
    });
    connect(inhibit_, &QCheckBox::toggled, this, [this](bool on) {
        if (on)
            initialize_->setChecked(false);
        updateControls();
    });
    number_->selectAll();
    number_->setFocus();
    setMinimumWidth(
        std::max(sizeHint().width() + 40, fontMetrics().horizontalAdvance(QLatin1Char('M')) * 26));
}

commands::compose::NumberInputState NumberInputDialog::state() {
    return {number_->enteredValue(), initialize_->isChecked(), inhibit_->isChecked()};
}

void NumberInputDialog::updateControls() {
    number_->setEnabled(commands::compose::numberInputControls(entry_, state()).numberEnabled);
}

NumberChoice NumberInputDialog::choice() {
    return commands::compose::numberChoice(entry_, state());
}

std::optional<NumberChoice> NumberInputDialog::run() {
    if (exec() != QDialog::Accepted)
        return std::nullopt;
    return choice();
}

}  // namespace omni::commands::dialogs
