#include "dataedit/gui/page_widgets.h"

#include <vector>

#include <QBoxLayout>
#include <QCheckBox>
#include <QPushButton>

namespace omni::dataedit {

QPushButton* addSideButton(QBoxLayout* layout, const QString& text, const char* name,
                           QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QLatin1String(name));
    button->setAutoDefault(false);
    layout->addWidget(button);
    return button;
}

void enableWhileChecked(QCheckBox* box, std::initializer_list<QWidget*> dependents) {
    const auto follow = [widgets = std::vector<QWidget*>(dependents)](bool checked) {
        for (QWidget* widget : widgets)
            widget->setEnabled(checked);
    };
    follow(box->isChecked());
    QObject::connect(box, &QCheckBox::toggled, box, follow);
}

}  // namespace omni::dataedit
