#include "tools/gui/picture_view.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

#include "image/dib.h"
#include "image/pictures.h"

namespace omni::tools {

QImage toQImage(const image::ShotedImage& picture) {
    if (picture.isJpeg()) {
        std::vector<std::uint8_t> jpeg;
        QImage decoded;
        if (picture.toJpeg(jpeg))
            decoded.loadFromData(jpeg.data(), static_cast<int>(jpeg.size()), "JPEG");
        return decoded;
    }
    image::DibContainer dib;
    if (!picture.toDib(dib) || picture.bitsPerPixel() != 8)
        return {};
    const int width = static_cast<int>(picture.width());
    const int height = static_cast<int>(picture.height());
    const std::size_t stride = picture.stride();
    if (dib.pixels.size() < stride * static_cast<std::size_t>(height))
        return {};
    QImage grey(width, height, QImage::Format_Grayscale8);
    for (int y = 0; y < height; ++y) {
        // Rows are stored bottom-up.
        const std::uint8_t* row =
            dib.pixels.data() + stride * static_cast<std::size_t>(height - 1 - y);
        std::copy(row, row + width, grey.scanLine(y));
    }
    return grey;
}

PictureView::PictureView(QWidget* parent) : QWidget(parent) {
    setMinimumSize(320, 240);
    setAutoFillBackground(true);
    QPalette dark = palette();
    dark.setColor(QPalette::Window, Qt::black);
    setPalette(dark);
}

void PictureView::setPicture(const QImage& picture) {
    const bool resized = picture.size() != picture_.size();
    picture_ = picture;
    if (resized)
        area_ = centralArea(picture_.width(), picture_.height());
    update();
}

void PictureView::setCorners(const std::array<CornerPoint, 4>& corners) {
    corners_.clear();
    for (const CornerPoint& p : corners)
        corners_ << QPoint(static_cast<int>(p.x), static_cast<int>(p.y));
    update();
}

void PictureView::showArea(bool shown) {
    areaShown_ = shown;
    update();
}

double PictureView::scale() const {
    if (picture_.isNull())
        return 1.0;
    return std::min(width() / static_cast<double>(picture_.width()),
                    height() / static_cast<double>(picture_.height()));
}

QPointF PictureView::offset() const {
    const double s = scale();
    return {(width() - picture_.width() * s) / 2, (height() - picture_.height() * s) / 2};
}

QPointF PictureView::toScreen(QPointF image) const {
    return image * scale() + offset();
}

QPointF PictureView::toImage(QPointF screen) const {
    return (screen - offset()) / scale();
}

void PictureView::paintEvent(QPaintEvent*) {
    if (picture_.isNull())
        return;
    QPainter painter(this);
    const QRectF target(offset(), QSizeF(picture_.size()) * scale());
    painter.drawImage(target, picture_);
    painter.setRenderHint(QPainter::Antialiasing);
    if (corners_.size() == 4) {
        QPolygonF line;
        for (const QPoint& p : corners_)
            line << toScreen(p);
        painter.setPen(QPen(Qt::green, 2));
        painter.drawPolygon(line);
    }
    if (areaShown_) {
        painter.setPen(QPen(Qt::red, 2));
        painter.drawRect(QRectF(toScreen(QPointF(area_.left, area_.top)),
                                toScreen(QPointF(area_.right + 1, area_.bottom + 1))));
    }
}

void PictureView::mousePressEvent(QMouseEvent* event) {
    if (!areaShown_ || picture_.isNull())
        return;
    const QPointF at = toImage(event->position());
    dragging_ = at.x() >= area_.left && at.x() <= area_.right && at.y() >= area_.top &&
                at.y() <= area_.bottom;
    dragFrom_ = at;
}

void PictureView::mouseMoveEvent(QMouseEvent* event) {
    if (!dragging_)
        return;
    const QPointF at = toImage(event->position());
    int dx = static_cast<int>(at.x() - dragFrom_.x());
    int dy = static_cast<int>(at.y() - dragFrom_.y());
    dx = std::clamp(dx, -area_.left, picture_.width() - 1 - area_.right);
    dy = std::clamp(dy, -area_.top, picture_.height() - 1 - area_.bottom);
    area_ = {area_.left + dx, area_.top + dy, area_.right + dx, area_.bottom + dy};
    dragFrom_ += QPointF(dx, dy);
    update();
}

void PictureView::mouseReleaseEvent(QMouseEvent*) {
    if (dragging_)
        emit areaMoved();
    dragging_ = false;
}

}  // namespace omni::tools
