#include "menucode/gui/qr_menu_view.h"

#include <algorithm>
#include <cmath>

namespace omni::menucode {

QrMenuView::QrMenuView(QWidget* parent) : MenuCodeView(parent) {
    setObjectName(QStringLiteral("QRMenuStatic"));
    options_.commandFont = Font{u"", 18, true};
}

void QrMenuView::zoom(int steps) {
    options_.moduleSize = std::clamp(options_.moduleSize + steps, kMinModule, kMaxModule);
}

Drawing QrMenuView::screenDrawing(double clientWidth) const {
    if (!history())
        return {};
    return drawQrScreen(*history(), options_, clientWidth, measure());
}

Drawing QrMenuView::wholePicture() const {
    if (!history())
        return {};
    return drawQrMetafile(*history(), options_, referenceDevice(), measure());
}

std::vector<Drawing> QrMenuView::printPages(bool withHistory, const PrintSetup& setup) const {
    if (!history())
        return {};
    return printQrPages(*history(), options_, withHistory, setup, measure());
}

QSize QrMenuView::naturalSize() const {
    const Drawing drawing = screenDrawing(0);
    return QSize(static_cast<int>(std::ceil(drawing.width)),
                 static_cast<int>(std::ceil(drawing.height)));
}

}  // namespace omni::menucode
