// A combo box that the wheel changes only while it has the focus: a scroll that merely passes over
// it (on the toolbar, say) leaves the choice alone.
#pragma once

#include <QComboBox>

namespace omni::serial {

class FocusWheelComboBox : public QComboBox {
    Q_OBJECT
public:
    using QComboBox::QComboBox;

protected:
    void wheelEvent(QWheelEvent* event) override;
};

}  // namespace omni::serial
