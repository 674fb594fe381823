#include "app/gui/layout_records.h"

#include "foundation/settings_store.h"

namespace omni::app {
namespace {

// A stored width or height: the default-size sentinel or a size a screen can show.
bool plausibleSize(std::int32_t size) {
    return size == kDefaultSize || (size >= kMinWindowSize && size <= kMaxWindowSize);
}

bool plausible(const MainWindowRecord& window) {
    return window.marker == 0 && plausibleSize(window.width) && plausibleSize(window.height);
}

bool plausible(const MainWindowBorderRecord& border) {
    if (border.marker != 0)
        return false;
    for (std::int32_t size : border.sizes) {
        if (size < 0 || size > kMaxWindowSize)
            return false;
    }
    return true;
}

}  // namespace

LayoutRecords loadLayout(std::string_view keyPath, int screenHeight) {
    LayoutRecords records;
    MainWindowRecord window;
    if (foundation::readSetting(keyPath, kMainWindowValue, window) && plausible(window)) {
        records.window = window;
    }
    MainWindowBorderRecord border;
    if (foundation::readSetting(keyPath, kMainWindowBorderValue, border) && plausible(border)) {
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
