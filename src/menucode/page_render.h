// Renders page drawings through Qt Gui: onto any QPaintDevice (a widget, a printer, an image),
// or into PNG, SVG and PDF files. Needs a QGuiApplication for the fonts.
#pragma once

#include <string>
#include <vector>

#include <QByteArray>
#include <QImage>

#include "menucode/page_drawing.h"

class QPainter;
class QPaintDevice;

namespace omni::menucode {

// Measures text with the fonts the painters below use.
class QtTextMeasure : public TextMeasure {
public:
    double width(std::u16string_view text, const Font& font) const override;
};

// Paints the items with the painter's current transform (page units to device).
void paint(QPainter& painter, const Drawing& drawing);
// Paints onto a device, page units scaled by `scale`, after filling the page white.
void paintTo(QPaintDevice& device, const Drawing& drawing, double scale = 1.0);

// The largest raster picture written, in pixels; a larger one is refused before anything is
// allocated (at 4 bytes a pixel this is 400 MB).
inline constexpr long long kMaxPicturePixels = 100'000'000;
// Throws UserException (Refused, with the size and the limit) beyond kMaxPicturePixels.
void checkPictureSize(long long width, long long height);

// A picture has one physical size in every format: its page units are `unitsPerInch` to the
// inch, and each format records that resolution (PNG pixels per metre, SVG millimetres, PDF
// points, the metafile's reference device).

// Whole pixels per page unit of a raster copy: the smallest that reaches 300 dots per inch, so
// that every module or bar is drawn with the same number of pixels.
int rasterPixelsPerUnit(double unitsPerInch);
// The picture on white at rasterPixelsPerUnit(), its resolution set in the image; a null image
// for an empty drawing.
QImage rasterPicture(const Drawing& drawing, double unitsPerInch);
// The picture as an SVG document whose width and height are in millimetres.
QByteArray svgPicture(const Drawing& drawing, double unitsPerInch);

// File writers. Each file is written whole or not at all: a failure leaves an earlier file as it
// was and throws SystemException with the OS error (UserException when the picture itself cannot
// be made).
void writePng(const Drawing& drawing, const std::string& path, double unitsPerInch);
void writeSvg(const Drawing& drawing, const std::string& path, double unitsPerInch);
// PDF: one page per drawing, page units at `unitsPerInch`, each page sized to its drawing.
void writePdf(const std::vector<Drawing>& pages, const std::string& path,
              double unitsPerInch = 96.0);

}  // namespace omni::menucode
