#include "ui/gui/text.h"

#include "resources/strings.h"

namespace omni::gui {

QString uiText(std::uint32_t id) {
    return toQString(res::loadString(id));
}

}  // namespace omni::gui
