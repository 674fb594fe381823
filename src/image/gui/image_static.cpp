#include "image/gui/image_static.h"

#include <algorithm>
#include <cmath>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QPrinter>
#include <QScrollBar>
#include <QThread>
#include <QWheelEvent>

#include "foundation/exception.h"
#include "image/picture_files.h"
#include "image/pictures.h"
#include "resources/string_ids.h"
#include "resources/strings.h"

namespace omni::image {
namespace {

const QString kBitmapMime = QStringLiteral("image/bmp");

QString text(std::uint32_t id) {
    const std::u16string_view s = res::loadString(id);
    return QString::fromUtf16(s.data(), static_cast<qsizetype>(s.size()));
}

// Palette entry `index` of a DIB as an opaque Qt colour.
QRgb paletteColour(const DibContainer& dib, std::size_t index) {
    const std::size_t entries = (dib.header.size() - BitmapInfoHeader::kSize) / 4;
    return index < entries ? (0xff000000u | dib.paletteEntry(index)) : qRgb(0, 0, 0);
}

// One source row of a DIB (bottom-up rows) into a row of 32-bit pixels.
void convertRow(const DibContainer& dib, const std::uint8_t* row, unsigned bits, int width,
                QRgb* out) {
    for (int x = 0; x < width; ++x) {
        if (bits >= 24) {
            const std::uint8_t* p = row + static_cast<std::size_t>(x) * (bits / 8);
            out[x] = qRgb(p[2], p[1], p[0]);
            continue;
        }
        const std::size_t bit = static_cast<std::size_t>(x) * bits;
        const unsigned index = (row[bit / 8] >> (8 - bits - bit % 8)) & ((1u << bits) - 1);
        out[x] = paletteColour(dib, index);
    }
}

}  // namespace

QImage toQImage(const KesImage& picture) {
    DibContainer dib;
    if (!picture.toDib(dib) || dib.header.size() < BitmapInfoHeader::kSize)
        return {};
    const BitmapInfoHeader info = dib.info();
    const unsigned bits = info.bitCount;
    const int width = info.width;
    const int height = std::abs(info.height);
    if (width <= 0 || height <= 0 ||
        (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32))
        return {};
    const std::size_t stride = dibStride(static_cast<std::uint32_t>(width), bits);
    if (dib.pixels.size() < stride * static_cast<std::size_t>(height))
        return {};
    QImage out(width, height, QImage::Format_RGB32);
    if (out.isNull())
        return {};
    for (int y = 0; y < height; ++y) {
        // Positive heights store the bottom row first.
        const int sourceRow = info.height > 0 ? height - 1 - y : y;
        convertRow(dib, dib.pixels.data() + stride * static_cast<std::size_t>(sourceRow), bits,
                   width, reinterpret_cast<QRgb*>(out.scanLine(y)));
    }
    return out;
}

std::unique_ptr<KesImage> fromQImage(const QImage& image) {
    if (image.isNull())
        return nullptr;
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    const auto width = static_cast<std::uint32_t>(rgb.width());
    const auto height = static_cast<std::uint32_t>(rgb.height());
    const std::uint32_t stride = dibStride(width, 24);
    DibContainer dib;
    dib.allocate(BitmapInfoHeader::kSize, static_cast<std::size_t>(stride) * height);
    BitmapInfoHeader info;
    info.width = static_cast<std::int32_t>(width);
    info.height = static_cast<std::int32_t>(height);
    info.bitCount = 24;
    info.sizeImage = stride * height;
    info.writeTo(dib.header.data());
    for (std::uint32_t y = 0; y < height; ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(rgb.constScanLine(static_cast<int>(y)));
        std::uint8_t* out = dib.pixels.data() + static_cast<std::size_t>(stride) * (height - 1 - y);
        for (std::uint32_t x = 0; x < width; ++x) {
            out[3 * x] = static_cast<std::uint8_t>(qBlue(in[x]));
            out[3 * x + 1] = static_cast<std::uint8_t>(qGreen(in[x]));
            out[3 * x + 2] = static_cast<std::uint8_t>(qRed(in[x]));
        }
    }
    return std::make_unique<BitmapFileImage>(std::move(dib));
}

std::unique_ptr<KesImage> pictureFromClipboard() {
    const QMimeData* data = QApplication::clipboard()->mimeData();
    if (!data)
        return nullptr;
    if (data->hasFormat(kBitmapMime)) {
        const QByteArray bytes = data->data(kBitmapMime);
        try {
            return decodePicture({reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                  static_cast<std::size_t>(bytes.size())},
                                 "clipboard.bmp");
        } catch (const foundation::Exception&) {
            // Another program's block this reader does not take: fall back to its image.
        }
    }
    if (data->hasImage())
        return fromQImage(qvariant_cast<QImage>(data->imageData()));
    return nullptr;
}

void copyPictureToClipboard(const KesImage& picture) {
    auto* data = new QMimeData;
    data->setImageData(toQImage(picture));
    try {
        const std::vector<std::uint8_t> bytes = encodePicture(picture, PictureKind::Bitmap);
        data->setData(kBitmapMime, QByteArray(reinterpret_cast<const char*>(bytes.data()),
                                              static_cast<qsizetype>(bytes.size())));
    } catch (const foundation::Exception&) {
        // The image form alone still serves.
    }
    QApplication::clipboard()->setMimeData(data);
}

// ---- ImageStatic ----

ImageStatic::ImageStatic(QWidget* parent) : QAbstractScrollArea(parent) {
    setObjectName(QStringLiteral("ImageStatic"));
    setFrameShape(QFrame::StyledPanel);
    setFrameShadow(QFrame::Sunken);
    setFocusPolicy(Qt::StrongFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    viewport()->setCursor(Qt::CrossCursor);
    viewport()->setAutoFillBackground(false);
    resize(640, 480);

    menu_ = new QMenu(this);
    menu_->addAction(text(res::ids::ImageMenuCopy), this, &ImageStatic::copy);
    menu_->addAction(text(res::ids::ImageMenuSave), this, &ImageStatic::saveRequested);
    menu_->addAction(text(res::ids::ImageMenuDelete), this, &ImageStatic::deleteRequested);
    addZoomActions();
    updateScrollBars();
}

ImageStatic::~ImageStatic() = default;

// The zoom of the wheel and the middle button from the keyboard too (Ctrl++, Ctrl+-, Ctrl+0
// while the view has the focus), and in the context menu.
void ImageStatic::addZoomActions() {
    menu_->addSeparator();
    const auto add = [this](std::uint32_t caption, QList<QKeySequence> keys, auto step) {
        auto* action = new QAction(text(caption), this);
        action->setShortcuts(keys);
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        connect(action, &QAction::triggered, this, [this, step] { setZoomStep(step(zoomStep_)); });
        addAction(action);
        menu_->addAction(action);
    };
    add(res::ids::ImageMenuZoomIn,
        {QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal)},
        [](int step) { return step + 1; });
    add(res::ids::ImageMenuZoomOut, {QKeySequence(Qt::CTRL | Qt::Key_Minus)},
        [](int step) { return step - 1; });
    add(res::ids::ImageMenuActualSize, {QKeySequence(Qt::CTRL | Qt::Key_0)}, [](int) { return 0; });
}

void ImageStatic::setImage(std::shared_ptr<const KesImage> picture) {
    QImage source = picture ? toQImage(*picture) : QImage();
    if (picture && source.isNull())
        picture.reset();  // a picture that cannot be shown is not installed half-way
    {
        std::lock_guard guard(lock_);
        picture_ = std::move(picture);
        source_ = std::move(source);
    }
    const auto install = [this] {
        {
            std::lock_guard guard(lock_);
            pictureSize_ = source_.size();
        }
        if (pictureSize_.isEmpty()) {
            horizontalScrollBar()->setValue(0);
            verticalScrollBar()->setValue(0);
        } else if (!setZoomStep(zoomStep_)) {
            zoomStep_ = 0;  // the new picture is too large at the old step
        }
        updateScrollBars();
        viewport()->update();
    };
    if (QThread::currentThread() == thread()) {
        install();
    } else {
        QMetaObject::invokeMethod(this, install, Qt::QueuedConnection);
    }
}

std::shared_ptr<const KesImage> ImageStatic::image() const {
    std::lock_guard guard(lock_);
    return picture_;
}

double ImageStatic::factorOf(int step) {
    return step >= 0 ? std::pow(1.1, step) : std::pow(0.9, -step);
}

bool ImageStatic::setZoomStep(int step) {
    if (step < kMinZoomStep)
        return false;
    const double z = factorOf(step);
    if (pictureSize_.width() * z > kMaxZoomedSide || pictureSize_.height() * z > kMaxZoomedSide)
        return false;
    zoomStep_ = step;
    updateScrollBars();
    viewport()->update();
    return true;
}

QSize ImageStatic::zoomedSize() const {
    if (pictureSize_.isEmpty())
        return {};
    const double z = zoomFactor();
    return {static_cast<int>(std::lround(pictureSize_.width() * z)),
            static_cast<int>(std::lround(pictureSize_.height() * z))};
}

void ImageStatic::updateScrollBars() {
    const QSize zoomed = zoomedSize();
    const QSize page = viewport()->size();
    const auto set = [](QScrollBar* bar, int range, int pageSize) {
        bar->setPageStep(std::max(1, pageSize));
        bar->setSingleStep(pageSize < 6 ? 1 : pageSize / 3);
        bar->setRange(0, std::max(0, range - pageSize));  // keeps the position within range
    };
    set(horizontalScrollBar(), zoomed.width(), page.width());
    set(verticalScrollBar(), zoomed.height(), page.height());
}

void ImageStatic::setFrameEnabled(bool enabled) {
    frameEnabled_ = enabled;
    viewport()->update();
}

void ImageStatic::setFrameVisible(bool visible) {
    frameVisible_ = visible;
    viewport()->update();
}

void ImageStatic::setFrameImage(const QRect& rect) {
    // Corners in either order: the frame runs between them, both inclusive.
    const QRect normal(
        QPoint(std::min(rect.left(), rect.right()), std::min(rect.top(), rect.bottom())),
        QPoint(std::max(rect.left(), rect.right()), std::max(rect.top(), rect.bottom())));
    if (pictureSize_.isEmpty()) {
        frameImage_ = normal;
    } else {
        frameImage_ = QRect(QPoint(std::max(0, normal.left()), std::max(0, normal.top())),
                            QPoint(std::min(pictureSize_.width() - 1, normal.right()),
                                   std::min(pictureSize_.height() - 1, normal.bottom())));
    }
    viewport()->update();
}

void ImageStatic::setMarker(const std::array<QPoint, 5>& points, bool visible) {
    marker_ = points;
    markerVisible_ = visible;
    viewport()->update();
}

void ImageStatic::frameFromClient(const QRect& client) {
    // Client pixels to picture pixels: (client + scroll position) / zoom, truncated.
    const double z = zoomFactor();
    const QPoint scroll(horizontalScrollBar()->value(), verticalScrollBar()->value());
    const auto toPicture = [&](QPoint p) {
        return QPoint(static_cast<int>((p.x() + scroll.x()) / z),
                      static_cast<int>((p.y() + scroll.y()) / z));
    };
    setFrameImage(QRect(toPicture(client.topLeft()), toPicture(client.bottomRight())));
}

// ---- painting ----

void ImageStatic::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    const QRect client = viewport()->rect();
    std::lock_guard guard(lock_);
    if (source_.isNull()) {
        painter.fillRect(client, Qt::white);
        return;
    }
    const double z = zoomFactor();
    const QPoint scroll(horizontalScrollBar()->value(), verticalScrollBar()->value());
    const QSize zoomed = zoomedSize();
    const QRect target = QRect(-scroll, zoomed) & client;
    painter.fillRect(client, Qt::white);
    if (!target.isEmpty()) {
        // Only the visible part is scaled: smooth when zoomed out, sharp pixels when zoomed in.
        painter.setRenderHint(QPainter::SmoothPixmapTransform, z < 1.0);
        const QRectF source((target.x() + scroll.x()) / z, (target.y() + scroll.y()) / z,
                            target.width() / z, target.height() / z);
        painter.drawImage(QRectF(target), source_, source);
    }
    paintOverlays(painter, z, scroll);
}

void ImageStatic::paintOverlays(QPainter& painter, double zoom, QPoint scroll) const {
    const auto toClient = [&](QPointF p) {
        return QPointF(p.x() * zoom - scroll.x(), p.y() * zoom - scroll.y());
    };
    if (markerVisible_) {
        QPolygonF line;
        for (const QPoint& p : marker_)
            line << toClient(p);
        painter.setPen(QPen(QColor(0, 255, 0), 0, Qt::DashDotDotLine));
        painter.drawPolygon(line);
    }
    if (frameEnabled_ && frameVisible_ && !frameImage_.isNull()) {
        QRectF frame(toClient(frameImage_.topLeft()), toClient(frameImage_.bottomRight()));
        painter.setPen(QPen(QColor(255, 0, 0), 0, Qt::DashLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(frame);
    }
    if (drag_ == Drag::Frame) {
        painter.setPen(QPen(QColor(255, 0, 0), 0, Qt::DotLine));
        painter.drawRect(QRect(dragStart_, dragNow_).normalized());
    }
}

void ImageStatic::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
}

// ---- mouse and keys ----

void ImageStatic::wheelEvent(QWheelEvent* event) {
    const int delta = event->angleDelta().y();
    if (delta != 0)
        setZoomStep(zoomStep_ + (delta > 0 ? 1 : -1));
    event->accept();
}

void ImageStatic::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    setFocus(Qt::MouseFocusReason);
    dragStart_ = dragNow_ = event->position().toPoint();
    drag_ = frameEnabled_ ? Drag::Frame : Drag::Pan;
    viewport()->setCursor(Qt::SizeAllCursor);
}

void ImageStatic::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (drag_ == Drag::Pan) {
        const QPoint moved = at - dragStart_;
        horizontalScrollBar()->setValue(horizontalScrollBar()->value() - moved.x());
        verticalScrollBar()->setValue(verticalScrollBar()->value() - moved.y());
        dragStart_ = at;
        viewport()->update();
    } else if (drag_ == Drag::Frame) {
        dragNow_ = at;
        viewport()->update();
    }
}

void ImageStatic::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::MiddleButton) {
        setZoomStep(0);
        return;
    }
    if (event->button() != Qt::LeftButton || drag_ == Drag::None)
        return;
    if (drag_ == Drag::Frame)
        frameFromClient(QRect(dragStart_, event->position().toPoint()));  // corners as dragged
    drag_ = Drag::None;
    viewport()->setCursor(Qt::CrossCursor);
    viewport()->update();
}

void ImageStatic::contextMenuEvent(QContextMenuEvent* event) {
    menu_->popup(event->globalPos());
}

// ---- clipboard and printing ----

void ImageStatic::copy() const {
    if (const std::shared_ptr<const KesImage> picture = image())
        copyPictureToClipboard(*picture);
}

void ImageStatic::cut() {
    copy();
    setImage(nullptr);
    emit imageEdited();
}

bool ImageStatic::paste() {
    std::unique_ptr<KesImage> picture = pictureFromClipboard();
    if (!picture)
        return false;
    setImage(std::shared_ptr<const KesImage>(std::move(picture)));
    emit imageEdited();
    return true;
}

QRectF ImageStatic::printTarget(QSize picture, QSize paper, int left, int top) {
    const int roomX = std::max(1, paper.width() - 2 * left);
    const int roomY = std::max(1, paper.height() - 2 * top);
    const int width = std::max(1, picture.width());
    const int height = std::max(1, picture.height());
    // The largest whole scale that fits; a picture larger than the room is scaled down to fit.
    double scale = std::min(roomX / width, roomY / height);
    if (scale < 1)
        scale = std::min(double(roomX) / width, double(roomY) / height);
    return {double(left), double(top), std::max(1.0, width * scale), std::max(1.0, height * scale)};
}

void ImageStatic::print(QPrinter& printer, const QMarginsF& marginsMm) const {
    QImage source;
    {
        std::lock_guard guard(lock_);
        source = source_;
    }
    if (source.isNull())
        return;
    printer.setDocName(QStringLiteral("CaptureImage"));
    const bool fullPage = printer.fullPage();
    printer.setFullPage(true);
    QPainter painter(&printer);
    const QRect paper = printer.paperRect(QPrinter::DevicePixel).toRect();
    const double dotsPerMm = printer.resolution() / 25.4;
    const int left = static_cast<int>(marginsMm.left() * dotsPerMm);
    const int top = static_cast<int>(marginsMm.top() * dotsPerMm);
    const QRectF target = printTarget(source.size(), paper.size(), left, top);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, target.width() < source.width());
    painter.drawImage(target, source);
    painter.end();
    printer.setFullPage(fullPage);
}

}  // namespace omni::image
