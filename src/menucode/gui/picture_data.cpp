#include "menucode/gui/picture_data.h"

#include <cmath>

#include <QBuffer>
#include <QMimeData>
#include <QPainter>
#include <QSvgGenerator>

#include "menucode/page_render.h"

namespace omni::menucode {

QImage rasterImage(const page::Drawing& drawing, double scale) {
    const int w = static_cast<int>(std::ceil(drawing.width * scale));
    const int h = static_cast<int>(std::ceil(drawing.height * scale));
    if (w <= 0 || h <= 0)
        return {};
    QImage image(w, h, QImage::Format_RGB32);
    page::paintTo(image, drawing, scale);
    return image;
}

QByteArray svgDocument(const page::Drawing& drawing) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator svg;
    svg.setOutputDevice(&buffer);
    const QSize size(static_cast<int>(std::ceil(drawing.width)),
                     static_cast<int>(std::ceil(drawing.height)));
    svg.setSize(size);
    svg.setViewBox(QRect(QPoint(0, 0), size));
    {
        QPainter painter(&svg);
        painter.fillRect(QRectF(0, 0, drawing.width, drawing.height), Qt::white);
        page::paint(painter, drawing);
    }
    return buffer.data();
}

QMimeData* pictureMimeData(const page::Drawing& drawing, double scale) {
    auto* data = new QMimeData;
    const QImage image = rasterImage(drawing, scale);
    if (!image.isNull())
        data->setImageData(image);
    data->setData(QStringLiteral("image/svg+xml"), svgDocument(drawing));
    return data;
}

}  // namespace omni::menucode
