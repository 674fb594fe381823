// A page picture as clipboard data: a raster image, SVG and an enhanced metafile, all of the
// picture's one physical size.
#pragma once

#include "menucode/menu_page.h"
#include "menucode/page_drawing.h"

class QMimeData;

namespace omni::menucode {

// Clipboard contents for `drawing`, whose units are pixels of `device`: the image (its
// resolution set, at least 300 dpi), "image/svg+xml" (sized in millimetres) and "image/emf"
// (`device` as the reference). An empty drawing gives empty data. The caller owns the result
// (the clipboard takes it).
QMimeData* pictureMimeData(const Drawing& drawing, const DeviceGeometry& device,
                           const TextMeasure& measure);

}  // namespace omni::menucode
