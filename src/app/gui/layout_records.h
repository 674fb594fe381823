// The main window's layout records "MainWindow" and "MainWindowBorder": their byte layouts,
// defaults, validity rule and the three-fifths rule for the picture pane of a first run.
#pragma once

#include <cstdint>
#include <string_view>

namespace omni::app {

// Width or height not stored yet: the window takes the platform's default size.
inline constexpr std::int32_t kDefaultSize = static_cast<std::int32_t>(0x80000000u);

// Stored sizes outside these bounds (a damaged or hand-edited record) are not used; the record's
// defaults apply instead.
inline constexpr std::int32_t kMinWindowSize = 64;
inline constexpr std::int32_t kMaxWindowSize = 16384;

struct MainWindowRecord {
    std::int32_t marker = 0;
    std::int32_t maximized = 0;  // only the low 16 bits count
    std::int32_t width = kDefaultSize;
    std::int32_t height = kDefaultSize;

    bool isMaximized() const { return (maximized & 0xffff) != 0; }
};
static_assert(sizeof(MainWindowRecord) == 16);

// The four pane sizes that the splitters set.
enum Pane : int {
    kSelectorWidth = 0,    // command selector, left of the vertical splitter
    kCommandBoxWidth = 1,  // command box band
    kTreeHeight = 2,       // command tree above the command list
    kPictureHeight = 3,    // menu-code picture above its history list; 0 until first laid out
};

struct MainWindowBorderRecord {
    std::int32_t marker = 0;
    std::int32_t sizes[4] = {256, 320, 256, 0};
};
static_assert(sizeof(MainWindowBorderRecord) == 20);

struct LayoutRecords {
    MainWindowRecord window;
    MainWindowBorderRecord border;
};

inline constexpr std::string_view kMainWindowValue = "MainWindow";
inline constexpr std::string_view kMainWindowBorderValue = "MainWindowBorder";

// Reads both records under `keyPath`; a missing record, one of the wrong size, one whose marker is
// not 0 or one holding a size beyond kMaxWindowSize (a window below kMinWindowSize) is replaced by
// its defaults. A picture height of 0 with a window height never stored becomes three fifths of
// `screenHeight`. Never throws: without a usable settings folder the defaults apply.
LayoutRecords loadLayout(std::string_view keyPath, int screenHeight);

// Writes both records. Throws SystemException when they cannot be written.
void saveLayout(std::string_view keyPath, const LayoutRecords& records);

}  // namespace omni::app
