#include "serial/gui/focus_wheel_combo_box.h"

#include <QWheelEvent>

namespace omni::serial {

void FocusWheelComboBox::wheelEvent(QWheelEvent* event) {
    if (!hasFocus()) {
        event->ignore();
        return;
    }
    QComboBox::wheelEvent(event);
}

}  // namespace omni::serial
