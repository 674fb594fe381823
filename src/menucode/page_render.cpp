#include "menucode/page_render.h"

#include <QBuffer>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>
#include <cmath>

#include "foundation/atomic_file.h"
#include "foundation/exception.h"
#include "resources/string_ids.h"
#include "resources/strings.h"

namespace omni::menucode {

namespace {

// The Qt font whose line height (ascent plus descent) is the drawing font's height.
QFont qtFont(const Font& font) {
    QFont qfont;
    if (!font.family.empty()) {
        qfont.setFamily(QString::fromStdU16String(font.family));
    } else if (font.fixedPitch) {
        qfont = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    }
    qfont.setFixedPitch(font.fixedPitch);
    qfont.setStyleHint(font.fixedPitch ? QFont::TypeWriter : QFont::SansSerif);
    const int trial = 100;
    qfont.setPixelSize(trial);
    const double lineHeight = QFontMetricsF(qfont).height();
    const int size = static_cast<int>(std::lround(font.height * trial / lineHeight));
    qfont.setPixelSize(size > 0 ? size : 1);
    return qfont;
}

[[noreturn]] void cannotWrite(const std::string& path) {
    std::u16string message(res::loadString(res::ids::DrawingNotWritten));
    message += u' ';
    message += res::fromUtf8(path);
    throw foundation::UserException(foundation::UserException::Refused, message);
}

void renderPdf(const std::vector<Drawing>& pages, QIODevice& device, double unitsPerInch,
               const std::string& path) {
    QPdfWriter pdf(&device);
    pdf.setResolution(1200);
    pdf.setTitle(QStringLiteral("Menu code"));
    auto pageSize = [&](const Drawing& d) {
        return QPageSize(QSizeF(std::max(d.width, 1.0) * 72 / unitsPerInch,
                                std::max(d.height, 1.0) * 72 / unitsPerInch),
                         QPageSize::Point, QString(), QPageSize::ExactMatch);
    };
    if (pages.empty())
        return;
    pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
    pdf.setPageSize(pageSize(pages.front()));
    QPainter painter(&pdf);
    const double scale = 1200.0 / unitsPerInch;
    for (std::size_t i = 0; i < pages.size(); ++i) {
        if (i > 0) {
            pdf.setPageSize(pageSize(pages[i]));
            pdf.newPage();
        }
        painter.save();
        painter.scale(scale, scale);
        painter.fillRect(QRectF(0, 0, pages[i].width, pages[i].height), Qt::white);
        paint(painter, pages[i]);
        painter.restore();
    }
    if (!painter.end())
        cannotWrite(path);
}

}  // namespace

double QtTextMeasure::width(std::u16string_view text, const Font& font) const {
    return QFontMetricsF(qtFont(font))
        .horizontalAdvance(QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size())));
}

void paint(QPainter& painter, const Drawing& drawing) {
    painter.save();
    painter.setPen(Qt::NoPen);
    for (const Item& item : drawing.items) {
        if (const auto* r = std::get_if<FillRect>(&item)) {
            painter.fillRect(QRectF(r->box.left, r->box.top, r->box.width(), r->box.height()),
                             r->dark ? Qt::black : Qt::white);
        } else if (const auto* d = std::get_if<Dot>(&item)) {
            painter.setRenderHint(QPainter::Antialiasing, true);
            painter.setBrush(Qt::black);
            const double radius = d->diameter / 2;
            painter.drawEllipse(QPointF(d->centerX, d->centerY), radius, radius);
            painter.setRenderHint(QPainter::Antialiasing, false);
        } else if (const auto* t = std::get_if<TextRun>(&item)) {
            const QFont font = qtFont(t->font);
            const QFontMetricsF metrics(font);
            const QString text =
                QString::fromUtf16(t->text.data(), static_cast<qsizetype>(t->text.size()));
            const double w = metrics.horizontalAdvance(text);
            double x = t->box.left;
            if (t->align == Align::Center)
                x = t->box.left + (t->box.width() - w) / 2;
            if (t->align == Align::Right)
                x = t->box.right - w;
            painter.setFont(font);
            painter.setPen(Qt::black);
            painter.drawText(QPointF(x, t->box.top + metrics.ascent()), text);
            painter.setPen(Qt::NoPen);
        }
    }
    painter.restore();
}

void paintTo(QPaintDevice& device, const Drawing& drawing, double scale) {
    QPainter painter(&device);
    painter.scale(scale, scale);
    painter.fillRect(QRectF(0, 0, drawing.width, drawing.height), Qt::white);
    paint(painter, drawing);
}

void checkPictureSize(long long width, long long height) {
    if (width * height <= kMaxPicturePixels)
        return;
    throw foundation::UserException(
        foundation::UserException::Refused,
        res::format(res::ids::PictureTooLarge,
                    {res::fromUtf8(std::to_string(width)), res::fromUtf8(std::to_string(height)),
                     res::fromUtf8(std::to_string(kMaxPicturePixels / 1000000))}));
}

int rasterPixelsPerUnit(double unitsPerInch) {
    constexpr double kMinDpi = 300;
    return unitsPerInch > 0
               ? std::max(1, static_cast<int>(std::ceil(kMinDpi / unitsPerInch - 1e-9)))
               : 1;
}

QImage rasterPicture(const Drawing& drawing, double unitsPerInch) {
    const int scale = rasterPixelsPerUnit(unitsPerInch);
    const int w = static_cast<int>(std::ceil(drawing.width * scale));
    const int h = static_cast<int>(std::ceil(drawing.height * scale));
    if (w <= 0 || h <= 0)
        return {};
    checkPictureSize(w, h);  // before anything is allocated
    QImage image(w, h, QImage::Format_RGB32);
    if (image.isNull())
        throw foundation::UserException(
            foundation::UserException::Refused,
            res::format(res::ids::PictureTooLarge,
                        {res::fromUtf8(std::to_string(w)), res::fromUtf8(std::to_string(h)),
                         res::fromUtf8(std::to_string(kMaxPicturePixels / 1000000))}));
    image.fill(Qt::white);
    paintTo(image, drawing, scale);
    const int perMetre = static_cast<int>(std::lround(unitsPerInch * scale / 0.0254));
    image.setDotsPerMeterX(perMetre);
    image.setDotsPerMeterY(perMetre);
    return image;
}

QByteArray svgPicture(const Drawing& drawing, double unitsPerInch) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QSvgGenerator svg;
        svg.setOutputDevice(&buffer);
        // The generator states width and height in millimetres from a whole-number resolution;
        // sizing in hundredths of a unit keeps the rounding far below a hundredth of a percent.
        constexpr double kSub = 100;
        svg.setResolution(static_cast<int>(std::lround(unitsPerInch * kSub)));
        svg.setSize(QSize(static_cast<int>(std::ceil(drawing.width * kSub)),
                          static_cast<int>(std::ceil(drawing.height * kSub))));
        svg.setViewBox(QRectF(0, 0, drawing.width, drawing.height));
        svg.setTitle(QStringLiteral("Menu code"));
        paintTo(svg, drawing, 1.0);
    }
    return buffer.data();
}

void writePng(const Drawing& drawing, const std::string& path, double unitsPerInch) {
    QImage image = rasterPicture(drawing, unitsPerInch);
    if (image.isNull()) {
        image = QImage(1, 1, QImage::Format_RGB32);
        image.fill(Qt::white);
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG"))
        cannotWrite(path);
    foundation::writeFileAtomically(path, std::string_view(bytes.constData(), bytes.size()));
}

void writeSvg(const Drawing& drawing, const std::string& path, double unitsPerInch) {
    const QByteArray bytes = svgPicture(drawing, unitsPerInch);
    foundation::writeFileAtomically(path, std::string_view(bytes.constData(), bytes.size()));
}

void writePdf(const std::vector<Drawing>& pages, const std::string& path, double unitsPerInch) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    renderPdf(pages, buffer, unitsPerInch, path);
    foundation::writeFileAtomically(path, std::string_view(bytes.constData(), bytes.size()));
}

}  // namespace omni::menucode
