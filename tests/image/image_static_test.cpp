// The picture view on the offscreen platform: zoom steps and their floor, the middle click back
// to 1:1, the same from the keys, panning within range, the exposure frame drawn backwards and
// past the picture, the clipboard (cut, paste, a bitmap block that keeps a palette picture
// exact), printing a picture larger than the page, and a picture installed from another thread
// while the view paints.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QMenu>
#include <QMimeData>
#include <QPdfWriter>
#include <QPrinter>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>

#include <cmath>
#include <thread>

#include "image/gui/image_static.h"
#include "image/pictures.h"

using omni::image::ImageStatic;
using omni::image::KesImage;

namespace {

// A grey gradient with a dark square at (10, 10)-(19, 19), 8 bits per pixel with a palette.
std::shared_ptr<const KesImage> greyPicture(int width, int height) {
    const std::uint32_t stride = omni::image::dibStride(width, 8);
    omni::image::DibContainer dib;
    dib.allocate(omni::image::BitmapInfoHeader::kSize + 1024, std::size_t(stride) * height);
    omni::image::BitmapInfoHeader info;
    info.width = width;
    info.height = height;
    info.bitCount = 8;
    info.clrUsed = 256;
    info.writeTo(dib.header.data());
    omni::image::writeGreyPalette(dib.header.data() + omni::image::BitmapInfoHeader::kSize, 8);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const bool square = x >= 10 && x < 20 && y >= 10 && y < 20;
            dib.pixels[std::size_t(stride) * (height - 1 - y) + x] =
                static_cast<std::uint8_t>(square ? 7 : (x + y) % 256);
        }
    }
    return std::make_shared<omni::image::BitmapFileImage>(std::move(dib));
}

// Shows `view` at `size` with `picture` in it; true once the window is on screen.
bool showPicture(ImageStatic& view, QSize size, std::shared_ptr<const KesImage> picture) {
    view.resize(size);
    view.setImage(std::move(picture));
    view.show();
    return QTest::qWaitForWindowExposed(&view);
}

void wheel(ImageStatic& view, int delta) {
    const QPointF at(20, 20);
    QWheelEvent event(at, view.viewport()->mapToGlobal(at), QPoint(), QPoint(0, delta),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(view.viewport(), &event);
}

void drag(QWidget* target, QPoint from, QPoint to) {
    QTest::mousePress(target, Qt::LeftButton, {}, from);
    QTest::mouseMove(target, to);
    QTest::mouseRelease(target, Qt::LeftButton, {}, to);
}

}  // namespace

class ImageStaticTest : public QObject {
    Q_OBJECT
private slots:
    void zoomStepsStopAtTheFloorAndMiddleClickRestores();
    void keysZoomAsTheWheelAndTheMiddleButtonDo();
    void dragPansWithinTheScrollRange();
    void frameIsNormalisedAndClippedToThePicture();
    void cutEmptiesTheViewAndPasteBringsThePictureBack();
    void printingALargePictureScalesItDown();
    void pictureInstalledFromAnotherThreadWhilePainting();
};

void ImageStaticTest::zoomStepsStopAtTheFloorAndMiddleClickRestores() {
    ImageStatic view;
    QVERIFY(showPicture(view, {300, 200}, greyPicture(640, 480)));
    for (int i = 0; i < 20; ++i)
        wheel(view, -120);
    QCOMPARE(view.zoomStep(), ImageStatic::kMinZoomStep);
    QVERIFY(std::abs(view.zoomFactor() - std::pow(0.9, 16)) < 1e-12);
    QCOMPARE(view.zoomedSize(), QSize(int(std::lround(640 * std::pow(0.9, 16))),
                                      int(std::lround(480 * std::pow(0.9, 16)))));
    // Zoomed out below the view: nothing to scroll.
    QCOMPARE(view.horizontalScrollBar()->maximum(), 0);

    for (int i = 0; i < 19; ++i)
        wheel(view, 120);
    QCOMPARE(view.zoomStep(), 3);
    QVERIFY(std::abs(view.zoomFactor() - 1.331) < 1e-9);
    view.horizontalScrollBar()->setValue(view.horizontalScrollBar()->maximum());
    view.verticalScrollBar()->setValue(view.verticalScrollBar()->maximum());

    QTest::mouseClick(view.viewport(), Qt::MiddleButton, {}, QPoint(50, 50));
    QCOMPARE(view.zoomStep(), 0);
    // The positions were clamped to the 1:1 ranges.
    const int maxX = 640 - view.viewport()->width();
    QCOMPARE(view.horizontalScrollBar()->maximum(), maxX);
    QCOMPARE(view.horizontalScrollBar()->value(), maxX);
    QCOMPARE(view.verticalScrollBar()->value(), 480 - view.viewport()->height());

    // A step that would make the picture absurdly large is refused and the old one kept.
    QVERIFY(!view.setZoomStep(200));
    QCOMPARE(view.zoomStep(), 0);
}

void ImageStaticTest::keysZoomAsTheWheelAndTheMiddleButtonDo() {
    ImageStatic view;
    QVERIFY(showPicture(view, {300, 200}, greyPicture(64, 48)));
    view.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&view));
    view.setFocus();
    QTest::keyClick(&view, Qt::Key_Plus, Qt::ControlModifier);
    QTest::keyClick(&view, Qt::Key_Equal, Qt::ControlModifier);  // "+" without Shift
    QCOMPARE(view.zoomStep(), 2);
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(&view, Qt::Key_Minus, Qt::ControlModifier);
    QCOMPARE(view.zoomStep(), -1);
    QTest::keyClick(&view, Qt::Key_0, Qt::ControlModifier);
    QCOMPARE(view.zoomStep(), 0);
    // The context menu offers the same, with the keys shown.
    QStringList shortcuts;
    for (QAction* action : view.contextMenu()->actions())
        shortcuts << action->shortcut().toString();
    QVERIFY(shortcuts.contains(QStringLiteral("Ctrl++")));
    QVERIFY(shortcuts.contains(QStringLiteral("Ctrl+-")));
    QVERIFY(shortcuts.contains(QStringLiteral("Ctrl+0")));
}

void ImageStaticTest::dragPansWithinTheScrollRange() {
    ImageStatic view;
    QVERIFY(showPicture(view, {300, 200}, greyPicture(640, 480)));
    drag(view.viewport(), QPoint(200, 150), QPoint(150, 120));
    QCOMPARE(view.horizontalScrollBar()->value(), 50);
    QCOMPARE(view.verticalScrollBar()->value(), 30);
    // Dragging far past the start stops at 0.
    drag(view.viewport(), QPoint(10, 10), QPoint(280, 190));
    QCOMPARE(view.horizontalScrollBar()->value(), 0);
    QCOMPARE(view.verticalScrollBar()->value(), 0);
    // The picture is drawn at the scroll position: the dark square at (10..19) shows.
    const QImage shot = view.viewport()->grab().toImage();
    QCOMPARE(qGray(shot.pixel(15, 15)), 7);
    QCOMPARE(qGray(shot.pixel(25, 5)), 30);
}

void ImageStaticTest::frameIsNormalisedAndClippedToThePicture() {
    ImageStatic view;
    QVERIFY(showPicture(view, {400, 300}, greyPicture(200, 100)));
    view.setFrameEnabled(true);
    view.setFrameVisible(true);
    // Drawn from bottom-right to top-left: stored normalised, in picture pixels.
    drag(view.viewport(), QPoint(80, 60), QPoint(20, 10));
    QCOMPARE(view.frameImage(), QRect(QPoint(20, 10), QPoint(80, 60)));
    QCOMPARE(view.horizontalScrollBar()->value(), 0);  // drawing a frame does not pan

    // Zoomed in two steps the client pixels are divided by 1.21, truncated; past the picture
    // the frame stops at its last row and column.
    QVERIFY(view.setZoomStep(2));
    drag(view.viewport(), QPoint(122, 60), QPoint(390, 290));
    QCOMPARE(view.frameImage(), QRect(QPoint(100, 49), QPoint(199, 99)));
    const QImage shot = view.viewport()->grab().toImage();
    QCOMPARE(shot.pixel(int(100 * 1.21) + 10, int(49 * 1.21)), qRgb(255, 0, 0));
}

void ImageStaticTest::cutEmptiesTheViewAndPasteBringsThePictureBack() {
    ImageStatic view;
    QVERIFY(showPicture(view, {300, 200}, greyPicture(64, 48)));
    QSignalSpy edited(&view, &ImageStatic::imageEdited);
    view.cut();
    QVERIFY(!view.hasImage());
    QCOMPARE(edited.count(), 1);
    QCOMPARE(view.horizontalScrollBar()->maximum(), 0);
    const QImage empty = view.viewport()->grab().toImage();
    QCOMPARE(empty.pixel(10, 10), qRgb(255, 255, 255));
    QCOMPARE(empty.pixel(empty.width() - 2, empty.height() - 2), qRgb(255, 255, 255));

    const QMimeData* data = QApplication::clipboard()->mimeData();
    QVERIFY(data->hasImage());
    QVERIFY(data->hasFormat(QStringLiteral("image/bmp")));
    const QImage onClipboard = qvariant_cast<QImage>(data->imageData());
    QCOMPARE(onClipboard.size(), QSize(64, 48));
    QCOMPARE(qGray(onClipboard.pixel(12, 12)), 7);

    // The bitmap block keeps the picture as it was: 8 bits with its palette.
    QVERIFY(view.paste());
    QCOMPARE(edited.count(), 2);
    QCOMPARE(view.image()->bitsPerPixel(), 8u);
    QCOMPARE(omni::image::toQImage(*view.image()), omni::image::toQImage(*greyPicture(64, 48)));

    // Another program's plain image becomes a 24-bit picture.
    QImage other(5, 3, QImage::Format_RGB32);
    other.fill(qRgb(10, 200, 30));
    QApplication::clipboard()->setImage(other);
    QVERIFY(view.paste());
    QCOMPARE(view.image()->bitsPerPixel(), 24u);
    QCOMPARE(omni::image::toQImage(*view.image()).pixel(4, 2), qRgb(10, 200, 30));

    QApplication::clipboard()->setText(QStringLiteral("no picture"));
    QVERIFY(!view.paste());
    QVERIFY(view.hasImage());
}

void ImageStaticTest::printingALargePictureScalesItDown() {
    QTemporaryDir dir;
    ImageStatic view;
    view.setImage(greyPicture(6000, 300));  // wider than an A4 page at 300 dpi
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath(QStringLiteral("wide.pdf")));
    printer.setResolution(300);
    view.print(printer, QMarginsF(10, 10, 10, 10));
    QCOMPARE(printer.docName(), QStringLiteral("CaptureImage"));
    QVERIFY(QFileInfo(dir.filePath(QStringLiteral("wide.pdf"))).size() > 1000);

    // Placement: a small picture at the largest whole scale, a large one scaled down to fit
    // between the margins (never to nothing), both at the margins' corner.
    QCOMPARE(ImageStatic::printTarget(QSize(640, 480), QSize(2480, 3508), 118, 118),
             QRectF(118, 118, 640 * 3, 480 * 3));
    const QRectF wide = ImageStatic::printTarget(QSize(6000, 300), QSize(2480, 3508), 118, 118);
    QCOMPARE(wide.topLeft(), QPointF(118, 118));
    QVERIFY(std::abs(wide.width() - (2480 - 236)) < 1e-6);
    QVERIFY(std::abs(wide.height() - 300 * (2480 - 236) / 6000.0) < 1e-6);
    const QRectF needle = ImageStatic::printTarget(QSize(1, 100000), QSize(2480, 3508), 0, 0);
    QVERIFY(needle.width() >= 1 && needle.height() <= 3508);
}

void ImageStaticTest::pictureInstalledFromAnotherThreadWhilePainting() {
    ImageStatic view;
    view.resize(200, 150);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    std::atomic<bool> done{false};
    std::thread capture([&] {
        for (int i = 0; i < 200; ++i)
            view.setImage(greyPicture(64 + i % 7, 48));
        done = true;
    });
    QElapsedTimer limit;
    limit.start();
    while (!done && limit.elapsed() < 20000) {
        view.viewport()->repaint();
        QApplication::processEvents();
    }
    capture.join();
    QTRY_VERIFY_WITH_TIMEOUT(view.hasImage(), 2000);
    QApplication::processEvents();
    QVERIFY(view.zoomedSize().width() >= 64);
    QCOMPARE(view.zoomedSize().height(), 48);
}

QTEST_MAIN(ImageStaticTest)
#include "image_static_test.moc"
