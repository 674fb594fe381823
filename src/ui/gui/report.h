// Message boxes of the program, and the report of an exception of the program's family.
//
// Every message box goes through showMessage, so that tests can take the messages instead of
// blocking on a modal box (setMessageSink).
#pragma once

#include <functional>

#include <QMessageBox>
#include <QString>

class QDialog;

namespace omni::foundation {
class Exception;
}

namespace omni::gui {

struct ShownMessage {
    QMessageBox::Icon icon;
    QString caption;
    QString text;
};

// Shows a modal message box over `owner` (may be null) with an OK button.
void showMessage(QWidget* owner, QMessageBox::Icon icon, const QString& caption,
                 const QString& text);

// Labels the accepting button of a settings dialog "OK" (the page setup dialog offers "Print"
// on some platforms, which it does not do).
void confirmWithOk(QDialog& dialog);

// Reports `error` in a warning message box captioned with the exception's own caption.
void reportException(QWidget* owner, const foundation::Exception& error);

// While a sink is set, messages go to it instead of the screen. Pass an empty function to
// restore the message boxes. Returns the previous sink.
using MessageSink = std::function<void(const ShownMessage&)>;
MessageSink setMessageSink(MessageSink sink);

}  // namespace omni::gui
