// Message boxes of the program, and the report of an exception of the program's family.
//
// Every message box goes through showMessage, so that tests can take the messages instead of
// blocking on a modal box (setMessageSink).
#pragma once

#include <exception>
#include <functional>
#include <optional>

#include <QMessageBox>
#include <QString>

class QDialog;

namespace omni::foundation {
class Exception;
}

namespace omni::ui {

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

// What a failure handed back by a worker says: the text of an exception of the program's family
// (`ofProgram` true) or what() of any other standard exception.
struct FailureText {
    QString text;
    bool ofProgram;
};
// Nothing for a null pointer; anything that is not a standard exception is rethrown.
std::optional<FailureText> failureText(std::exception_ptr failure);

// While a sink is set, messages go to it instead of the screen. Pass an empty function to
// restore the message boxes. Returns the previous sink.
using MessageSink = std::function<void(const ShownMessage&)>;
MessageSink setMessageSink(MessageSink sink);

}  // namespace omni::ui
