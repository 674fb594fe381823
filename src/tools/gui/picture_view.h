// The auto tuning dialog's picture area: the live video or the captured picture scaled to fit,
// the code's corners drawn as a closed polyline, and the exposure adjustment area as a red
// frame the operator can drag. Coordinates given and returned are image pixels.
#pragma once

#include <QImage>
#include <QPolygon>
#include <QWidget>
#include <memory>

#include "tools/auto_tuning.h"

namespace omni::image {
class ShotedImage;
}

namespace omni::tools {

// A captured picture as an image the view can draw (grey or colour); null when it cannot be.
QImage toQImage(const image::ShotedImage& picture);

class PictureView : public QWidget {
    Q_OBJECT
public:
    explicit PictureView(QWidget* parent = nullptr);

    void setPicture(const QImage& picture);
    const QImage& picture() const { return picture_; }
    void setCorners(const std::array<CornerPoint, 4>& corners);
    void clearCorners() {
        corners_.clear();
        update();
    }
    const QPolygon& corners() const { return corners_; }

    // The red frame: shown by View Adjustment Area, starting as the central half.
    void showArea(bool shown);
    bool areaShown() const { return areaShown_; }
    AdjustmentArea area() const { return area_; }
    void setArea(const AdjustmentArea& area) {
        area_ = area;
        update();
    }

    // Image pixels to widget coordinates and back.
    QPointF toScreen(QPointF image) const;
    QPointF toImage(QPointF screen) const;

signals:
    // The frame was dragged to a new place.
    void areaMoved();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    QSize sizeHint() const override { return {480, 360}; }

private:
    double scale() const;
    QPointF offset() const;

    QImage picture_;
    QPolygon corners_;
    AdjustmentArea area_{};
    bool areaShown_ = false;
    bool dragging_ = false;
    QPointF dragFrom_;
};

}  // namespace omni::tools
