// Small building blocks shared by the pages and sheets of the data edit wizards.
#pragma once

#include <initializer_list>

#include <QString>

class QBoxLayout;
class QCheckBox;
class QPushButton;
class QWidget;

namespace omni::dataedit {

// A read-only text box (QLineEdit or QPlainTextEdit) named `name`: what the page shows rather
// than takes.
template <typename Box>
Box* readOnlyBox(const char* name, QWidget* parent) {
    auto* box = new Box(parent);
    box->setObjectName(QLatin1String(name));
    box->setReadOnly(true);
    return box;
}

// Adds to `layout` a push button named `name` that never becomes the default button, so that
// Enter keeps going to the wizard's or the dialog's own buttons.
QPushButton* addSideButton(QBoxLayout* layout, const QString& text, const char* name,
                           QWidget* parent);

// Keeps `dependents` enabled exactly while `box` is checked, starting now.
void enableWhileChecked(QCheckBox* box, std::initializer_list<QWidget*> dependents);

}  // namespace omni::dataedit
