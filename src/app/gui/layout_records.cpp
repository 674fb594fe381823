#include "app/gui/layout_records.h"

#include "foundation/settings_store.h"

namespace omni::app {

LayoutRecords loadLayout(std::string_view keyPath, int screenHeight) {
    LayoutRecords records;
    MainWindowRecord window;
    if (foundation::readSetting(keyPath, kMainWindowValue, window) && window.marker == 0) {
        records.window = window;
    }
    MainWindowBorderRecord border;
    if (foundation::readSetting(keyPath, kMainWindowBorderValue, border) && border.marker == 0) {
        records.border = border;
    }
    if (records.border.sizes[kPictureHeight] == 0 && records.window.height == kDefaultSize) {
        records.border.sizes[kPictureHeight] = screenHeight * 3 / 5;
    }
    return records;
}

void saveLayout(std::string_view keyPath, const LayoutRecords& records) {
    foundation::writeSetting(keyPath, kMainWindowValue, records.window);
    foundation::writeSetting(keyPath, kMainWindowBorderValue, records.border);
}

}  // namespace omni::app
