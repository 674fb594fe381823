// The number input of kinds 2 and 4: a number box over the entry's range starting on its default
// value, and the "Initialize" and "Inhibit" check boxes where the entry offers them.
#pragma once

#include <optional>

#include <QDialog>

#include "commands/catalog.h"
#include "commands/compose/number_input.h"

class QCheckBox;
class QLabel;
class QPushButton;

namespace omni::commands::dialogs {

class NumberBox;

class NumberInputDialog : public QDialog {
    Q_OBJECT
public:
    NumberInputDialog(const CatalogEntry& entry, QWidget* parent = nullptr);

    // Runs modally: the choice, or nothing when cancelled.
    std::optional<NumberChoice> run();
    // What OK returns for the controls as they stand.
    NumberChoice choice();

    NumberBox* numberBox() const { return number_; }
    QCheckBox* initializeBox() const { return initialize_; }
    QCheckBox* inhibitBox() const { return inhibit_; }
    QPushButton* okButton() const { return ok_; }

private:
    commands::compose::NumberInputState state();
    void updateControls();

    const CatalogEntry& entry_;
    NumberBox* number_;
    QCheckBox* initialize_;
    QCheckBox* inhibit_;
    QPushButton* ok_;
};

}  // namespace omni::commands::dialogs
