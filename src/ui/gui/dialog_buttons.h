// The button row at the foot of the program's dialogs.
#pragma once

#include <cstdint>
#include <functional>

class QBoxLayout;
class QDialog;
class QDialogButtonBox;
class QPushButton;

namespace omni::ui {

// Adds an accept and a reject button (captions by string id) to the foot of `layout`. The reject
// button rejects `dialog`; the accept button runs `onAccept`, or accepts `dialog` without one.
// Returns the accept button, the default one.
QPushButton* addDialogButtons(QDialog* dialog, QBoxLayout* layout, std::uint32_t acceptId,
                              std::uint32_t rejectId, std::function<void()> onAccept = {});

// Adds the standard OK and Cancel buttons to the foot of `layout`: OK accepts `dialog`, Cancel
// rejects it.
QDialogButtonBox* addOkCancel(QDialog* dialog, QBoxLayout* layout);

}  // namespace omni::ui
