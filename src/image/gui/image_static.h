// The picture view of image pages and of the tuning dialog: one picture, zoomed in steps with the
// wheel (1.1^n in, 0.9^n out, never below kMinZoomStep), back to 1:1 with a middle click,
// scrolled with the bars or by dragging with the left button. It copies, cuts and pastes its
// picture through the clipboard, prints it, and can show the exposure-adjustment frame (red,
// dashed; drawn with the left button while enabled, kept in picture pixels) and a marker polyline
// (green).
//
// Threads: setImage() may be called from any thread (a capture finishing on a worker); the
// picture is installed under a lock that painting also takes, and the scroll bars follow on the
// widget's thread. Everything else belongs to the widget's thread.
#pragma once

#include <array>
#include <memory>
#include <mutex>

#include <QAbstractScrollArea>
#include <QImage>
#include <QMarginsF>
#include <QPoint>
#include <QRect>

#include "image/kes_image.h"

class QMenu;
class QPrinter;

namespace omni::image {

// The picture as a 32-bit Qt image (null when the picture cannot produce a DIB).
QImage toQImage(const KesImage& picture);
// A Qt image as a 24-bit bitmap picture.
std::unique_ptr<KesImage> fromQImage(const QImage& image);
// The picture on the clipboard (a bitmap file block, else any image), or null when none.
std::unique_ptr<KesImage> pictureFromClipboard();
// Puts `picture` on the clipboard as an image and as a bitmap block.
void copyPictureToClipboard(const KesImage& picture);

class ImageStatic : public QAbstractScrollArea {
    Q_OBJECT
public:
    static constexpr int kMinZoomStep = -16;
    // Largest zoomed side in pixels; a step that would exceed it is refused.
    static constexpr double kMaxZoomedSide = 65536;

    explicit ImageStatic(QWidget* parent = nullptr);
    ~ImageStatic() override;

    // Shows `picture` (null: an empty white view with both bars reset). Any thread.
    void setImage(std::shared_ptr<const KesImage> picture);
    std::shared_ptr<const KesImage> image() const;
    bool hasImage() const { return image() != nullptr; }

    int zoomStep() const { return zoomStep_; }
    // 1.1^step from 0 up, 0.9^-step below.
    double zoomFactor() const { return factorOf(zoomStep_); }
    static double factorOf(int step);
    // Sets the step; false (and the old step kept) when it is below the minimum or the zoomed
    // picture would be too large.
    bool setZoomStep(int step);
    QSize zoomedSize() const;

    // The exposure-adjustment frame. While enabled the left button draws it instead of panning.
    void setFrameEnabled(bool enabled);
    void setFrameVisible(bool visible);
    bool frameEnabled() const { return frameEnabled_; }
    // In picture pixels, corners inclusive; normalised and clipped to the picture.
    QRect frameImage() const { return frameImage_; }
    void setFrameImage(const QRect& rect);
    // A closed polyline through five points in picture pixels.
    void setMarker(const std::array<QPoint, 5>& points, bool visible);

    void copy() const;
    // Copies, then empties the view; imageEdited() follows.
    void cut();
    // Replaces the picture with the clipboard's; imageEdited() follows. False when the
    // clipboard holds no picture.
    bool paste();

    // Prints the picture on one page ("CaptureImage") inside `marginsMm`: at the largest whole
    // scale that fits, or scaled down when even 1:1 does not fit.
    void print(QPrinter& printer, const QMarginsF& marginsMm) const;
    // Where print() puts a picture of `picture` pixels on a page of `paper` device pixels with
    // margins of `left` and `top` device pixels (the same on the opposite sides).
    static QRectF printTarget(QSize picture, QSize paper, int left, int top);

    // The context menu, for owners that offer more on the picture.
    QMenu* contextMenu() const { return menu_; }

signals:
    // The context menu's "Save Image" and "Delete Image", for the owner.
    void saveRequested();
    void deleteRequested();
    // The picture changed through the clipboard (cut or paste).
    void imageEdited();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void addZoomActions();
    void updateScrollBars();
    QRect frameInClient() const;
    void frameFromClient(const QRect& client);
    void paintOverlays(class QPainter& painter, double zoom, QPoint scroll) const;

    mutable std::mutex lock_;  // guards picture_ and source_
    std::shared_ptr<const KesImage> picture_;
    QImage source_;      // the picture at 1:1
    QSize pictureSize_;  // widget thread's copy, for the bars and the frame

    int zoomStep_ = 0;
    bool frameEnabled_ = false;
    bool frameVisible_ = false;
    QRect frameImage_;
    std::array<QPoint, 5> marker_{};
    bool markerVisible_ = false;

    enum class Drag { None, Pan, Frame };
    Drag drag_ = Drag::None;
    QPoint dragStart_;  // client position where the drag began (frame) or last was (pan)
    QPoint dragNow_;
    QMenu* menu_ = nullptr;
};

}  // namespace omni::image
