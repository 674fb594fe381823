// Print-readability check: will the menu codes of a page scan once printed or exported?
//
// The check looks at the drawn page as the device will receive it: the size of a QR module and
// of a Code 39 narrow element in device dots and millimetres, the quiet zone every code needs, and
// whether anything falls outside the area the device can mark. The thresholds:
//
// - QR module at least 4 dots: a module is rounded to whole printer dots, so at n dots its width
//   can be off by one dot; from 4 dots on that error stays within the 25 % a reader's module
//   sampling tolerates, below it a module can shrink by a third or more.
// - QR module at least 0.25 mm: the smallest module that the handheld 2D readers resolve across
//   their whole reading range; smaller modules only read close to the window.
// - Code 39 narrow element at least 3 dots: with n dots per narrow and 3n per wide element, a
//   dot of rounding against each leaves a ratio of (3n - 1) / (n + 1), which reaches the 2:1
//   that Code 39 allows at the least only from n = 3 on.
// - Code 39 narrow element at least 0.19 mm (7.5 mil): the smallest X dimension that
//   general-purpose 1D readers are built to read.
// - Quiet zones: 4 modules around a QR Code, 10 narrow elements left and right of a Code 39 code.
//
// The narrow element is the nominal one (20/1000 em of the barcode face); the face draws its bars
// 12/1000 em thinner to allow for ink spread, which the thresholds already assume.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "menucode/menu_page.h"
#include "menucode/page_drawing.h"

namespace omni::menucode {

inline constexpr double kMinQrModuleDots = 4;
inline constexpr double kMinQrModuleMm = 0.25;
inline constexpr double kMinNarrowBarDots = 3;
inline constexpr double kMinNarrowBarMm = 0.19;
inline constexpr double kQrQuietModules = 4;
inline constexpr double kCode39QuietNarrow = 10;

enum class SymbolKind { QrCode, Code39 };

// One code on a page, in device dots.
struct PrintedSymbol {
    SymbolKind kind = SymbolKind::QrCode;
    std::size_t page = 0;  // 0-based
    Box box;               // the dark modules or bars, without the quiet zone
    double module = 0;     // QR module or Code 39 narrow element
};

// The codes of a page as a device receives them.
struct PrintGeometry {
    double dotsPerMm = 0;        // the device's (or the file's) resolution
    std::vector<Box> printable;  // per page: the area the codes must stay in, in dots
    std::vector<PrintedSymbol> symbols;
};

// Finds the codes in drawn pages: on a 2D page the dark rectangles of a page are its QR symbol,
// on a 1D page each run of bars on one row is a code. `dotsPerUnit` converts page units to
// device dots; `printable` gives each page's markable area in page units (missing pages: the
// whole drawing).
PrintGeometry geometryOf(const std::vector<Drawing>& pages, bool mode2D, double dotsPerUnit,
                         double dotsPerMm, const std::vector<Box>& printable = {});

// The printed pages of a layout at the print setup's device: the area inside the page margins as
// the layouts apply them (QR pages: margin × ppm ÷ 100; Code 39 sheets: margin × ppm ÷ 300).
PrintGeometry printGeometry(const std::vector<Drawing>& pages, bool mode2D,
                            const PrintSetup& setup);

struct PrintFinding {
    enum class Kind {
        QrModuleDots,   // value: dots per module
        QrModuleMm,     // value: millimetres per module
        NarrowBarDots,  // value: dots per narrow element
        NarrowBarMm,    // value: millimetres per narrow element
        QuietZoneCut,   // the quiet zone reaches past the printable area
        SymbolCut,      // the code itself reaches past the printable area
    };
    Kind kind;
    std::size_t page = 0;
    double value = 0;
    double minimum = 0;
};

struct PrintCheck {
    std::vector<PrintFinding> findings;  // at most one of each kind per page
    double dotsPerMm = 0;
    std::optional<int> suggestedModuleSize;  // set by suggestModuleSize
    bool noSizeFits = false;                 // no module size both scans and fits the paper

    bool ok() const { return findings.empty(); }
    bool tooSmall() const;  // a finding about resolution or size, which the module size fixes
};

PrintCheck checkPrint(const PrintGeometry& geometry);

// Fills `check.suggestedModuleSize` with the smallest size from `current` + 1 to `largest`
// whose layout has no size findings (`geometryAt` lays the page out at a size), and sets
// noSizeFits when that size cuts a code or none is large enough. Nothing to do unless tooSmall().
void suggestModuleSize(PrintCheck& check, int current, int largest,
                       const std::function<PrintGeometry(int)>& geometryAt);

// The warning in the user's words: what is wrong, then what to change.
std::u16string describe(const PrintCheck& check, bool mode2D);

}  // namespace omni::menucode
