// The button row at the foot of the program's dialogs.
#pragma once

#include <cstdint>

class QBoxLayout;
class QDialog;
class QDialogButtonBox;
class QPushButton;

namespace omni::gui {

struct DialogButtons {
    QDialogButtonBox* box;
    QPushButton* accept;  // the default button
};

// Adds an accept and a reject button (captions by string id) to the foot of `layout`. The reject
// button rejects `dialog`; the caller connects the box's accepted() signal.
DialogButtons addDialogButtons(QDialog* dialog, QBoxLayout* layout, std::uint32_t acceptId,
                               std::uint32_t rejectId);

// Adds the standard OK and Cancel buttons to the foot of `layout`: OK accepts `dialog`, Cancel
// rejects it.
QDialogButtonBox* addOkCancel(QDialog* dialog, QBoxLayout* layout);

}  // namespace omni::gui
