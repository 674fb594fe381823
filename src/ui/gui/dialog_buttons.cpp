#include "ui/gui/dialog_buttons.h"

#include <utility>

#include <QBoxLayout>
#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>

#include "ui/gui/text.h"

namespace omni::ui {

QPushButton* addDialogButtons(QDialog* dialog, QBoxLayout* layout, std::uint32_t acceptId,
                              std::uint32_t rejectId, std::function<void()> onAccept) {
    auto* box = new QDialogButtonBox(dialog);
    QPushButton* accept = box->addButton(uiText(acceptId), QDialogButtonBox::AcceptRole);
    box->addButton(uiText(rejectId), QDialogButtonBox::RejectRole);
    accept->setDefault(true);
    layout->addWidget(box);
    if (onAccept)
        QObject::connect(box, &QDialogButtonBox::accepted, dialog, std::move(onAccept));
    else
        QObject::connect(box, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(box, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return accept;
}

QDialogButtonBox* addOkCancel(QDialog* dialog, QBoxLayout* layout) {
    auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    QObject::connect(box, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(box, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    layout->addWidget(box);
    return box;
}

}  // namespace omni::ui
