// Layouts of a menu-code page: the QR menu code and the Code 39 sheet drawn from one command
// history, for the screen, for a metafile and for the printer.
#pragma once

#include <vector>

#include "menucode/menu_code_history.h"
#include "menucode/page_drawing.h"

namespace omni::menucode {

// A reference or output device: its resolution in pixels and its size in millimetres.
struct DeviceGeometry {
    int horzRes = 1920, vertRes = 1080;                                     // pixels
    int horzSizeMm = 508, vertSizeMm = 286;                                 // millimetres
    int ppmX() const { return horzSizeMm > 0 ? horzRes / horzSizeMm : 1; }  // pixels per mm
    int ppmY() const { return vertSizeMm > 0 ? vertRes / vertSizeMm : 1; }
    // The true horizontal resolution, without the whole-number rounding of ppmX().
    double dotsPerInch() const { return horzSizeMm > 0 ? horzRes * 25.4 / horzSizeMm : 96.0; }

    static DeviceGeometry screen() { return {}; }  // 96 dots per inch
    static DeviceGeometry a4Printer600() { return {4960, 7016, 210, 297}; }
    // The device of a saved or copied Code 39 sheet. The sheet keeps the proportions of the
    // screen it is laid out for: its units are screen pixels at 96 to the inch, which makes a
    // narrow bar about a quarter of a millimetre, as a reader expects to scan.
    static DeviceGeometry code39Sheet() { return screen(); }
};

// Printer and page setup for the print layouts. Margins are the page-setup values.
struct PrintSetup {
    DeviceGeometry device = DeviceGeometry::a4Printer600();
    int marginLeft = 1000, marginTop = 1000;
};

// ---- QR menu code ----

struct QrViewOptions {
    int moduleSize = 3;  // pixels per module on screen, 2..8
    bool showCommandString = false;
    Font commandFont{u"", 16, true};
};

// The window's picture: the symbol with its quiet zone, moduleSize pixels per module, centred in
// a client area `clientWidth` wide (0: as wide as the symbol), and the envelope text under it
// when shown.
Drawing drawQrScreen(const MenuCodeHistory& history, const QrViewOptions& options,
                     double clientWidth, const TextMeasure& measure);

// The whole-symbol metafile: modules of (moduleSize × ppm × 125 + 500) ÷ 1000 reference pixels
// (1 below 2), the font scaled the same way, the symbol centred at the top.
Drawing drawQrMetafile(const MenuCodeHistory& history, const QrViewOptions& options,
                       const DeviceGeometry& reference, const TextMeasure& measure);

// Printed pages: the symbol and, when `withHistory`, the list of every entry (a dot, its label
// word-wrapped, its command beside it), continued on further pages as needed.
std::vector<Drawing> printQrPages(const MenuCodeHistory& history, const QrViewOptions& options,
                                  bool withHistory, const PrintSetup& setup,
                                  const TextMeasure& measure);

// ---- Code 39 sheet ----

struct Code39ViewOptions {
    double labelHeight = 24;  // label font line height, 24..48 on screen
    double topMargin = 3;
};

// Where a drawn sheet ends: the right edge of the code column and the bottom of the last row.
struct SheetExtent {
    double width = 0, height = 0;
};

// The window's sheet in a client area `clientWidth` wide: "SET(ZZ)", each token with its code
// and the entry's label under it, "END(ZZ)". `extent` (optional) receives the sheet's extent.
Drawing drawCode39Screen(const MenuCodeHistory& history, const Code39ViewOptions& options,
                         double clientWidth, const TextMeasure& measure,
                         SheetExtent* extent = nullptr);

// The whole-sheet metafile, laid out from the extent of the last screen drawing.
Drawing drawCode39Metafile(const MenuCodeHistory& history, const Code39ViewOptions& options,
                           const SheetExtent& screenExtent, const TextMeasure& measure);

// The one code of the screen row containing `clickY` (header and end rows: the frame code);
// an empty drawing when no row contains it.
Drawing drawCode39CodeAt(const MenuCodeHistory& history, const Code39ViewOptions& options,
                         double clientWidth, double clickY, const TextMeasure& measure);

// Printed pages of the sheet with label font height `labelHeight` (24 for the bare sheet, 36
// with the history), breaking pages before a row that would pass the bottom margin.
std::vector<Drawing> printCode39Pages(const MenuCodeHistory& history, double labelHeight,
                                      const PrintSetup& setup, const TextMeasure& measure);

}  // namespace omni::menucode
