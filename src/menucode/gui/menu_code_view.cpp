#include "menucode/gui/menu_code_view.h"

#include <cmath>

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenu>
#include <QMimeData>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrinter>
#include <QWheelEvent>

#include "foundation/exception.h"
#include "menucode/emf_writer.h"
#include "menucode/gui/picture_data.h"
#include "menucode/menu_code_history.h"
#include "resources/string_ids.h"
#include "ui/gui/report.h"
#include "ui/gui/text.h"

namespace omni::menucode {
namespace {}  // namespace

PictureFormat pictureFormatOf(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("png"))
        return PictureFormat::Png;
    if (suffix == QLatin1String("svg"))
        return PictureFormat::Svg;
    if (suffix == QLatin1String("pdf"))
        return PictureFormat::Pdf;
    return PictureFormat::Emf;
}

PrintSetup printSetupOf(const QPrinter& printer) {
    const QPageLayout layout = printer.pageLayout();
    const QRect pixels = layout.fullRectPixels(printer.resolution());
    const QRectF mm = layout.fullRect(QPageLayout::Millimeter);
    const QMarginsF margins = layout.margins(QPageLayout::Millimeter);
    PrintSetup setup;
    setup.device =
        DeviceGeometry{pixels.width(), pixels.height(), static_cast<int>(std::lround(mm.width())),
                       static_cast<int>(std::lround(mm.height()))};
    setup.marginLeft = static_cast<int>(std::lround(margins.left() * 100));
    setup.marginTop = static_cast<int>(std::lround(margins.top() * 100));
    return setup;
}

MenuCodeView::MenuCodeView(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::ClickFocus);
    setContextMenuPolicy(Qt::DefaultContextMenu);
    popup_ = new QMenu(this);
    copyAction_ = popup_->addAction(ui::uiText(res::ids::CopyMenuCode));
    showStringAction_ = popup_->addAction(ui::uiText(res::ids::ShowCommandString));
    showStringAction_->setCheckable(true);
    setupPageAction_ = popup_->addAction(ui::uiText(res::ids::ViewSetupPage));
    connect(copyAction_, &QAction::triggered, this, [this] {
        // Only the popup's own Copy is about the code under the click.
        copyingAtClick_ = true;
        copyToClipboard();
        copyingAtClick_ = false;
    });
    connect(showStringAction_, &QAction::toggled, this, [this](bool on) {
        setCommandStringShown(on);
        refresh();
    });
    connect(setupPageAction_, &QAction::triggered, this, &MenuCodeView::setupPage);
}

MenuCodeView::~MenuCodeView() = default;

void MenuCodeView::setHistory(MenuCodeHistory* history) {
    history_ = history;
    if (history_)
        history_->setModulePixels(1);
    refresh();
}

void MenuCodeView::refresh() {
    const QSize size = history_ ? naturalSize() : QSize(0, 0);
    if (minimumSize() != size)
        setMinimumSize(size);
    update();
}

QString MenuCodeView::documentName(bool withHistory) {
    return withHistory ? QStringLiteral("MenuCodeWithHistory") : QStringLiteral("MenuCode");
}

DeviceGeometry MenuCodeView::referenceDevice() const {
    return printer_ ? printSetupOf(*printer_).device : DeviceGeometry::a4Printer600();
}

void MenuCodeView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    if (!history_)
        return;
    paint(painter, screenDrawing(width()));
}

void MenuCodeView::wheelEvent(QWheelEvent* event) {
    const int delta = event->angleDelta().y();
    if (delta == 0) {
        event->ignore();
        return;
    }
    zoom(delta > 0 ? 1 : -1);
    refresh();
    event->accept();
}

void MenuCodeView::mousePressEvent(QMouseEvent* event) {
    setFocus(Qt::MouseFocusReason);
    QWidget::mousePressEvent(event);
}

void MenuCodeView::contextMenuEvent(QContextMenuEvent* event) {
    lastClick_ = event->pos();
    showStringAction_->setEnabled(offersCommandString());
    setupPageAction_->setEnabled(printer_ != nullptr);
    popup_->popup(event->globalPos());
    event->accept();
}

void MenuCodeView::setupPage() {
    if (!printer_)
        return;
    QPageSetupDialog dialog(printer_, this);
    ui::confirmWithOk(dialog);
    dialog.exec();
}

void MenuCodeView::save(const QString& path) const {
    const Drawing drawing = wholePicture();
    const std::string file = path.toStdString();
    const DeviceGeometry device = pictureDevice();
    switch (pictureFormatOf(path)) {
        case PictureFormat::Emf:
            writeEmf(drawing, device, measure_, file);
            break;
        case PictureFormat::Png:
            writePng(drawing, file, device.dotsPerInch());
            break;
        case PictureFormat::Svg:
            writeSvg(drawing, file, device.dotsPerInch());
            break;
        case PictureFormat::Pdf:
            writePdf({drawing}, file, device.dotsPerInch());
            break;
    }
}

QMimeData* MenuCodeView::clipboardData() const {
    return pictureMimeData(copyPicture(), pictureDevice(), measure_);
}

void MenuCodeView::copyToClipboard() const {
    if (!history_)
        return;
    QGuiApplication::clipboard()->setMimeData(clipboardData());
}

void MenuCodeView::print(QPrinter& printer, bool withHistory) const {
    if (!history_)
        return;
    printer.setFullPage(true);
    printer.setDocName(documentName(withHistory));
    const std::vector<Drawing> pages = printPages(withHistory, printSetupOf(printer));
    QPainter painter;
    if (!painter.begin(&printer)) {
        throw foundation::UserException(foundation::UserException::Refused,
                                        ui::toU16(ui::uiText(res::ids::PrinterNotReady)));
    }
    for (std::size_t i = 0; i < pages.size(); ++i) {
        if (i > 0)
            printer.newPage();
        paint(painter, pages[i]);
    }
    painter.end();
}

}  // namespace omni::menucode
