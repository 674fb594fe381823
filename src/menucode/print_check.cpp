#include "menucode/print_check.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "menucode/code39.h"
#include "resources/string_ids.h"
#include "resources/strings.h"

namespace omni::menucode {
namespace {

namespace ids = res::ids;

const FillRect* darkRect(const Item& item) {
    const auto* rect = std::get_if<FillRect>(&item);
    return rect && rect->dark && rect->box.width() > 0 && rect->box.height() > 0 ? rect : nullptr;
}

Box unite(const Box& a, const Box& b) {
    return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
            std::max(a.bottom, b.bottom)};
}

Box scaled(const Box& box, double factor) {
    return {box.left * factor, box.top * factor, box.right * factor, box.bottom * factor};
}

// A QR page: every dark rectangle belongs to the one symbol. The rectangles are runs of modules
// on one row, so the narrowest run and any row height give the module; the three finder
// patterns reach three corners, so their union is the symbol.
void findQrSymbol(const Drawing& drawing, std::size_t pageIndex, std::vector<PrintedSymbol>& out) {
    PrintedSymbol symbol{SymbolKind::QrCode, pageIndex, {}, std::numeric_limits<double>::max()};
    bool any = false;
    for (const auto& item : drawing.items) {
        const auto* rect = darkRect(item);
        if (!rect)
            continue;
        symbol.box = any ? unite(symbol.box, rect->box) : rect->box;
        symbol.module = std::min({symbol.module, rect->box.width(), rect->box.height()});
        any = true;
    }
    if (any)
        out.push_back(symbol);
}

// A Code 39 sheet: consecutive bars sharing their top and bottom form one code. Every code is
// framed by the space pattern, which has both narrow and wide bars; as the face draws each bar
// thinner by the same amount, the difference between the widest and narrowest bar is the
// difference between the nominal wide and narrow elements, from which the narrow one follows.
void findCode39Symbols(const Drawing& drawing, std::size_t pageIndex,
                       std::vector<PrintedSymbol>& out) {
    struct Run {
        Box box;
        double narrowest, widest;
    };
    std::optional<Run> run;
    auto finish = [&] {
        if (!run)
            return;
        const double nominal =
            (run->widest - run->narrowest) * code39::kNarrow / (code39::kWide - code39::kNarrow);
        out.push_back({SymbolKind::Code39, pageIndex, run->box, nominal});
        run.reset();
    };
    for (const auto& item : drawing.items) {
        const auto* rect = darkRect(item);
        if (!rect) {
            finish();
            continue;
        }
        const Box& b = rect->box;
        const bool sameRow =
            run && b.top == run->box.top && b.bottom == run->box.bottom && b.left >= run->box.right;
        if (!sameRow)
            finish();
        if (!run) {
            run = Run{b, b.width(), b.width()};
            continue;
        }
        run->box = unite(run->box, b);
        run->narrowest = std::min(run->narrowest, b.width());
        run->widest = std::max(run->widest, b.width());
    }
    finish();
}

bool inside(const Box& inner, const Box& outer) {
    constexpr double kSlack = 1e-6;
    return inner.left >= outer.left - kSlack && inner.top >= outer.top - kSlack &&
           inner.right <= outer.right + kSlack && inner.bottom <= outer.bottom + kSlack;
}

Box withQuietZone(const PrintedSymbol& symbol) {
    Box b = symbol.box;
    const double h =
        symbol.module * (symbol.kind == SymbolKind::QrCode ? kQrQuietModules : kCode39QuietNarrow);
    const double v = symbol.kind == SymbolKind::QrCode ? h : 0;
    return {b.left - h, b.top - v, b.right + h, b.bottom + v};
}

void addOnce(PrintCheck& check, PrintFinding finding) {
    for (PrintFinding& known : check.findings) {
        if (known.kind == finding.kind && known.page == finding.page) {
            known.value = std::min(known.value, finding.value);
            return;
        }
    }
    check.findings.push_back(finding);
}

bool isSizeFinding(PrintFinding::Kind kind) {
    using K = PrintFinding::Kind;
    return kind == K::QrModuleDots || kind == K::QrModuleMm || kind == K::NarrowBarDots ||
           kind == K::NarrowBarMm;
}

bool hasCut(const PrintCheck& check) {
    return std::any_of(check.findings.begin(), check.findings.end(),
                       [](const PrintFinding& f) { return !isSizeFinding(f.kind); });
}

std::u16string decimal(double value, int places) {
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", places, value);
    return res::fromUtf8(text);
}

std::u16string findingText(const PrintFinding& f, bool manyPages) {
    using K = PrintFinding::Kind;
    const std::u16string page = decimal(static_cast<double>(f.page + 1), 0);
    switch (f.kind) {
        case K::QrModuleDots:
            return res::format(ids::PrintCheckQrDots, {decimal(f.value, 1), decimal(f.minimum, 0)});
        case K::QrModuleMm:
            return res::format(ids::PrintCheckQrMm, {decimal(f.value, 2), decimal(f.minimum, 2)});
        case K::NarrowBarDots:
            return res::format(ids::PrintCheckBarDots,
                               {decimal(f.value, 1), decimal(f.minimum, 0)});
        case K::NarrowBarMm:
            return res::format(ids::PrintCheckBarMm, {decimal(f.value, 2), decimal(f.minimum, 2)});
        case K::QuietZoneCut:
            return manyPages ? res::format(ids::PrintCheckQuietZonePage, {page})
                             : res::format(ids::PrintCheckQuietZone, {});
        case K::SymbolCut:
            return manyPages ? res::format(ids::PrintCheckCutPage, {page})
                             : res::format(ids::PrintCheckCut, {});
    }
    return {};
}

}  // namespace

PrintGeometry geometryOf(const std::vector<Drawing>& pages, bool mode2D, double dotsPerUnit,
                         double dotsPerMm, const std::vector<Box>& printable) {
    PrintGeometry geometry;
    geometry.dotsPerMm = dotsPerMm;
    std::vector<PrintedSymbol> found;
    for (std::size_t i = 0; i < pages.size(); ++i) {
        const Box area =
            i < printable.size() ? printable[i] : Box{0, 0, pages[i].width, pages[i].height};
        geometry.printable.push_back(scaled(area, dotsPerUnit));
        if (mode2D)
            findQrSymbol(pages[i], i, found);
        else
            findCode39Symbols(pages[i], i, found);
    }
    for (PrintedSymbol& symbol : found) {
        symbol.box = scaled(symbol.box, dotsPerUnit);
        symbol.module *= dotsPerUnit;
        geometry.symbols.push_back(symbol);
    }
    return geometry;
}

PrintGeometry printGeometry(const std::vector<Drawing>& pages, bool mode2D,
                            const PrintSetup& setup) {
    const DeviceGeometry& device = setup.device;
    const int divisor = mode2D ? 100 : 300;
    const double left = setup.marginLeft * device.ppmX() / divisor;
    const double top = setup.marginTop * device.ppmY() / divisor;
    const Box area{left, top, device.horzRes - left, device.vertRes - top};
    const double dotsPerMm =
        device.horzSizeMm > 0 ? static_cast<double>(device.horzRes) / device.horzSizeMm : 1;
    return geometryOf(pages, mode2D, 1.0, dotsPerMm, std::vector<Box>(pages.size(), area));
}

bool PrintCheck::tooSmall() const {
    return std::any_of(findings.begin(), findings.end(),
                       [](const PrintFinding& f) { return isSizeFinding(f.kind); });
}

PrintCheck checkPrint(const PrintGeometry& geometry) {
    using K = PrintFinding::Kind;
    PrintCheck check;
    check.dotsPerMm = geometry.dotsPerMm;
    for (const PrintedSymbol& s : geometry.symbols) {
        const bool qr = s.kind == SymbolKind::QrCode;
        const double minDots = qr ? kMinQrModuleDots : kMinNarrowBarDots;
        const double minMm = qr ? kMinQrModuleMm : kMinNarrowBarMm;
        // Sizes are compared after rounding to what the message shows, so a size reported as
        // equal to the minimum is never reported as too small.
        const double dots = std::round(s.module * 1000) / 1000;
        const double mm = geometry.dotsPerMm > 0 ? s.module / geometry.dotsPerMm : 0;
        if (dots < minDots)
            addOnce(check, {qr ? K::QrModuleDots : K::NarrowBarDots, s.page, dots, minDots});
        if (std::round(mm * 1000) / 1000 < minMm)
            addOnce(check, {qr ? K::QrModuleMm : K::NarrowBarMm, s.page, mm, minMm});
        const Box area = s.page < geometry.printable.size() ? geometry.printable[s.page] : s.box;
        if (!inside(s.box, area))
            addOnce(check, {K::SymbolCut, s.page, 0, 0});
        else if (!inside(withQuietZone(s), area))
            addOnce(check, {K::QuietZoneCut, s.page, 0, 0});
    }
    return check;
}

void suggestModuleSize(PrintCheck& check, int current, int largest,
                       const std::function<PrintGeometry(int)>& geometryAt) {
    if (!check.tooSmall())
        return;
    for (int size = current + 1; size <= largest; ++size) {
        const PrintCheck candidate = checkPrint(geometryAt(size));
        if (candidate.tooSmall())
            continue;
        check.suggestedModuleSize = size;
        check.noSizeFits = hasCut(candidate);
        return;
    }
    check.noSizeFits = true;
}

std::u16string describe(const PrintCheck& check, bool mode2D) {
    if (check.ok())
        return {};
    const bool manyPages = std::any_of(check.findings.begin(), check.findings.end(),
                                       [](const PrintFinding& f) { return f.page > 0; });
    std::u16string text = res::format(ids::PrintCheckHeader, {});
    for (const PrintFinding& finding : check.findings)
        text += u"\n" + findingText(finding, manyPages);
    text += u"\n";
    if (check.tooSmall() && check.suggestedModuleSize && !check.noSizeFits) {
        text += res::format(mode2D ? ids::PrintCheckFixModule : ids::PrintCheckFixCodeSize,
                            {decimal(*check.suggestedModuleSize, 0)});
    } else if (check.tooSmall() && !check.noSizeFits) {
        // Only the device can help: its resolution in dots per inch, scaled to what is needed.
        double factor = 1;
        for (const PrintFinding& f : check.findings) {
            if (isSizeFinding(f.kind) && f.value > 0)
                factor = std::max(factor, f.minimum / f.value);
        }
        text += res::format(ids::PrintCheckFixResolution,
                            {decimal(std::ceil(check.dotsPerMm * 25.4 * factor / 100) * 100, 0)});
    } else if (check.noSizeFits) {
        text += res::format(ids::PrintCheckFixNoFit, {});
    } else {
        text += res::format(ids::PrintCheckFixPaper, {});
    }
    text += u"\n" + res::format(ids::PrintCheckFixScaling, {});
    return text;
}

}  // namespace omni::menucode
