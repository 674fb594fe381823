// Stored records whose values are out of range (a damaged or hand-edited settings folder): each
// owner falls back to its defaults rather than overflowing or sizing a window to the moon, and
// loading writes nothing back.
#include <gtest/gtest.h>

#include <climits>
#include <filesystem>

#include "app/gui/layout_records.h"
#include "foundation/settings_store.h"
#include "serial/codepage.h"
#include "serial/gui/log_property.h"

namespace omni::app {
namespace {

const std::string kKey = "Software\\Kestrel\\HostileRecords";

TEST(HostileRecords, OutOfRangeValuesGiveTheDefaults) {
    app::MainWindowRecord window;
    window.width = INT_MAX;  // a 4.5 PB backing store
    window.height = 600;
    foundation::writeSetting(kKey, app::kMainWindowValue, window);
    app::MainWindowBorderRecord border;
    border.sizes[app::kTreeHeight] = -40;
    foundation::writeSetting(kKey, app::kMainWindowBorderValue, border);
    const auto stamp =
        std::filesystem::last_write_time(foundation::settingsFolder(kKey) / "MainWindow");

    const app::LayoutRecords layout = app::loadLayout(kKey, 1000);
    EXPECT_EQ(layout.window.width, app::kDefaultSize);
    EXPECT_EQ(layout.window.height, app::kDefaultSize);
    EXPECT_EQ(layout.border.sizes[app::kTreeHeight], 256);
    EXPECT_EQ(std::filesystem::last_write_time(foundation::settingsFolder(kKey) / "MainWindow"),
              stamp);

    // A size that fits is kept.
    window.width = 1024;
    foundation::writeSetting(kKey, app::kMainWindowValue, window);
    EXPECT_EQ(app::loadLayout(kKey, 1000).window.width, 1024);

    serial::SerialLogProperty log;
    log.font.height = INT_MIN;  // its negation overflows
    foundation::writeSetting(kKey, serial::kSerialLogPropertyName, log);
    EXPECT_EQ(serial::loadSerialLogProperty(kKey).font.height,
              serial::SerialLogProperty{}.font.height);

    serial::CodePageProperty codePage;
    codePage.codePage = 123456;  // no such code page
    serial::storeCodePageProperty(codePage);
    EXPECT_EQ(serial::loadCodePageProperty().codePage, serial::CodePageProperty{}.codePage);
    codePage.codePage = stream::kUtf16BeCodePage;
    serial::storeCodePageProperty(codePage);
    EXPECT_EQ(serial::loadCodePageProperty().codePage, stream::kUtf16BeCodePage);
}

}  // namespace
}  // namespace omni::app
