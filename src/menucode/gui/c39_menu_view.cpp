#include "menucode/gui/c39_menu_view.h"

#include <algorithm>
#include <cmath>

namespace omni::menucode {

C39MenuView::C39MenuView(QWidget* parent) : MenuCodeView(parent) {
    setObjectName(QStringLiteral("C39MenuStatic"));
}

void C39MenuView::zoom(int steps) {
    options_.labelHeight = std::clamp(options_.labelHeight + 2.0 * steps, kMinLabel, kMaxLabel);
}

Drawing C39MenuView::screenDrawing(double clientWidth) const {
    if (!history())
        return {};
    return drawCode39Screen(*history(), options_, clientWidth, measure());
}

double C39MenuView::neededWidth() const {
    // The code column ends its own extent right of two thirds of the client width (the extent
    // of a sheet drawn in a zero-width client), so a client three times that wide holds it.
    SheetExtent extent;
    drawCode39Screen(*history(), options_, 0, measure(), &extent);
    return 3.0 * extent.width + 8.0;
}

Drawing C39MenuView::wholePicture() const {
    if (!history())
        return {};
    SheetExtent extent;
    drawCode39Screen(*history(), options_, std::max<double>(width(), neededWidth()), measure(),
                     &extent);
    return drawCode39Metafile(*history(), options_, extent, measure());
}

Drawing C39MenuView::codeAt(double y) const {
    if (!history())
        return {};
    return drawCode39CodeAt(*history(), options_, width(), y, measure());
}

Drawing C39MenuView::copyPicture() const {
    // From the popup, the code under the right click; otherwise (Edit > Copy, Ctrl+C), or when
    // the click was beside the codes, the whole sheet: never an empty picture.
    Drawing code = copyingAtClick() ? codeAt(lastClick().y()) : Drawing{};
    if (code.items.empty())
        return wholePicture();
    return code;
}

std::vector<Drawing> C39MenuView::printPages(bool withHistory, const PrintSetup& setup) const {
    if (!history())
        return {};
    const double label = withHistory ? kHistoryPrintLabel : options_.labelHeight;
    return printCode39Pages(*history(), label, setup, measure());
}

QSize C39MenuView::naturalSize() const {
    SheetExtent extent;
    const double w = neededWidth();
    drawCode39Screen(*history(), options_, w, measure(), &extent);
    return QSize(static_cast<int>(std::ceil(w)),
                 static_cast<int>(std::ceil(extent.height + options_.topMargin)));
}

}  // namespace omni::menucode
