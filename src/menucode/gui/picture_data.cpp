#include "menucode/gui/picture_data.h"

#include <QMimeData>

#include "menucode/emf_writer.h"
#include "menucode/page_render.h"

namespace omni::menucode {

QMimeData* pictureMimeData(const Drawing& drawing, const DeviceGeometry& device,
                           const TextMeasure& measure) {
    auto* data = new QMimeData;
    if (drawing.items.empty() || drawing.width <= 0 || drawing.height <= 0)
        return data;
    const double dpi = device.dotsPerInch();
    data->setImageData(rasterPicture(drawing, dpi));
    data->setData(QStringLiteral("image/svg+xml"), svgPicture(drawing, dpi));
    const std::vector<std::uint8_t> emf = toEmf(drawing, device, measure);
    data->setData(QStringLiteral("image/emf"), QByteArray(reinterpret_cast<const char*>(emf.data()),
                                                          static_cast<qsizetype>(emf.size())));
    return data;
}

}  // namespace omni::menucode
