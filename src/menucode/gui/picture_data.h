// A page drawing as clipboard data: a raster image and SVG.
#pragma once

#include <QByteArray>
#include <QImage>

#include "menucode/page_drawing.h"

class QMimeData;

namespace omni::menucode {

// The drawing on white, `scale` pixels per page unit; a null image for an empty drawing.
QImage rasterImage(const page::Drawing& drawing, double scale = 1.0);

// The drawing as an SVG document, one user unit per page unit.
QByteArray svgDocument(const page::Drawing& drawing);

// Clipboard contents with both: the image (when the drawing is not empty) and
// "image/svg+xml". The caller owns the result (the clipboard takes it).
QMimeData* pictureMimeData(const page::Drawing& drawing, double scale = 1.0);

}  // namespace omni::menucode
