// Icons of the connection commands, drawn in the program's icon style: the Connection button (a
// plug meeting its socket) and the port settings button (a connector with setting sliders).
#pragma once

#include <QIcon>

namespace omni::serial {

QIcon connectionIcon();
QIcon portSettingsIcon();

}  // namespace omni::serial
