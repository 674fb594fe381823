#include "ui/gui/report.h"

#include <utility>

#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>

#include "foundation/exception.h"
#include "ui/gui/text.h"

namespace omni::ui {
namespace {

MessageSink& sink() {
    static MessageSink current;
    return current;
}

}  // namespace

MessageSink setMessageSink(MessageSink next) {
    return std::exchange(sink(), std::move(next));
}

void confirmWithOk(QDialog& dialog) {
    const QDialogButtonBox standard(QDialogButtonBox::Ok);
    const QString ok = standard.button(QDialogButtonBox::Ok)->text();
    for (QDialogButtonBox* box : dialog.findChildren<QDialogButtonBox*>()) {
        for (QAbstractButton* button : box->buttons()) {
            if (box->buttonRole(button) == QDialogButtonBox::AcceptRole)
                button->setText(ok);
        }
    }
}

void showMessage(QWidget* owner, QMessageBox::Icon icon, const QString& caption,
                 const QString& text) {
    if (sink()) {
        sink()(ShownMessage{icon, caption, text});
        return;
    }
    QMessageBox box(icon, caption, text, QMessageBox::Ok, owner);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

void reportException(QWidget* owner, const foundation::Exception& error) {
    showMessage(owner, QMessageBox::Warning, toQString(error.caption()), toQString(error.text()));
}

std::optional<FailureText> failureText(std::exception_ptr failure) {
    if (!failure)
        return std::nullopt;
    try {
        std::rethrow_exception(failure);
    } catch (const foundation::Exception& e) {
        return FailureText{toQString(e.text()), true};
    } catch (const std::exception& e) {
        return FailureText{QString::fromLocal8Bit(e.what()), false};
    }
}

}  // namespace omni::ui
