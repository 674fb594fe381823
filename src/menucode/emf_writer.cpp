// Enhanced metafile records, little-endian, each a multiple of 4 bytes:
//   EMR_HEADER, then the mapping (anisotropic: 16 logical units per reference pixel), the stock
//   null pen, and per item a brush selection and rectangle or ellipse, or a font selection and an
//   EMR_EXTTEXTOUTW; the fonts are deleted before EMR_EOF.
#include "menucode/emf_writer.h"

#include <cmath>
#include <cstring>
#include <fstream>

#include "foundation/exception.h"
#include "resources/strings.h"

namespace omni::page {

namespace {

enum Record : std::uint32_t {
    EMR_HEADER = 1,
    EMR_SETWINDOWEXTEX = 9,
    EMR_SETWINDOWORGEX = 10,
    EMR_SETVIEWPORTEXTEX = 11,
    EMR_SETVIEWPORTORGEX = 12,
    EMR_EOF = 14,
    EMR_SETMAPMODE = 17,
    EMR_SETBKMODE = 18,
    EMR_SETTEXTALIGN = 22,
    EMR_SETTEXTCOLOR = 24,
    EMR_SELECTOBJECT = 37,
    EMR_DELETEOBJECT = 40,
    EMR_ELLIPSE = 42,
    EMR_RECTANGLE = 43,
    EMR_EXTCREATEFONTINDIRECTW = 82,
    EMR_EXTTEXTOUTW = 84,
};

constexpr std::uint32_t kSignature = 0x464D4520;  // " EMF"
constexpr std::uint32_t kStockObject = 0x80000000;
constexpr std::uint32_t kWhiteBrush = kStockObject | 0;
constexpr std::uint32_t kBlackBrush = kStockObject | 4;
constexpr std::uint32_t kNullPen = kStockObject | 8;
constexpr std::uint32_t kAnisotropic = 8;
constexpr std::uint32_t kTransparent = 1;
constexpr std::uint32_t kCompatibleGraphics = 1;
constexpr std::uint32_t kTextLeft = 0, kTextRight = 2, kTextCenter = 6;  // with TA_TOP
constexpr int kSubUnits = 16;  // logical units per reference pixel
constexpr std::size_t kHeaderSize = 108;
// The program's name and the picture's, each ending in NUL, and a final NUL: all of it is the
// description (a view built from a plain literal would stop at the first NUL).
constexpr std::u16string_view kDescription{u"OmniSetup\0Menu code\0\0", 21};
static_assert(kDescription.size() == 21 && kDescription.back() == u'\0');

class RecordWriter {
public:
    std::vector<std::uint8_t> bytes;
    std::uint32_t records = 0;

    void u32(std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            bytes.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    }
    void i32(std::int32_t v) { u32(static_cast<std::uint32_t>(v)); }
    void u16(std::uint16_t v) {
        bytes.push_back(static_cast<std::uint8_t>(v));
        bytes.push_back(static_cast<std::uint8_t>(v >> 8));
    }
    void f32(float v) {
        std::uint32_t bits;
        std::memcpy(&bits, &v, 4);
        u32(bits);
    }
    void pad4() {
        while (bytes.size() % 4)
            bytes.push_back(0);
    }
    // Starts a record; `end` patches its size.
    std::size_t begin(Record type) {
        const std::size_t at = bytes.size();
        u32(type);
        u32(0);
        ++records;
        return at;
    }
    void end(std::size_t at) {
        pad4();
        patch(at + 4, static_cast<std::uint32_t>(bytes.size() - at));
    }
    void patch(std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            bytes[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    }
    void simple(Record type, std::uint32_t value) {
        const auto at = begin(type);
        u32(value);
        end(at);
    }
    void pair(Record type, std::int32_t a, std::int32_t b) {
        const auto at = begin(type);
        i32(a);
        i32(b);
        end(at);
    }
    void rectl(std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b) {
        i32(l);
        i32(t);
        i32(r);
        i32(b);
    }
};

std::int32_t units(double v) {
    return static_cast<std::int32_t>(std::lround(v * kSubUnits));
}
std::int32_t pixels(double v) {
    return static_cast<std::int32_t>(std::lround(v));
}

}  // namespace

std::vector<std::uint8_t> toEmf(const Drawing& drawing, const DeviceGeometry& reference,
                                const TextMeasure& measure) {
    RecordWriter w;
    const std::int32_t widthPx = std::max<std::int32_t>(1, pixels(std::ceil(drawing.width)));
    const std::int32_t heightPx = std::max<std::int32_t>(1, pixels(std::ceil(drawing.height)));

    // Header, with the sizes and counts patched at the end.
    const auto header = w.begin(EMR_HEADER);
    w.rectl(0, 0, widthPx - 1, heightPx - 1);  // bounds, reference pixels, inclusive
    // Frame in hundredths of a millimetre.
    const auto frame = [](std::int32_t px, int res, int mm) {
        return static_cast<std::int32_t>(std::lround(100.0 * px * mm / std::max(res, 1)));
    };
    w.rectl(0, 0, frame(widthPx, reference.horzRes, reference.horzSizeMm) - 1,
            frame(heightPx, reference.vertRes, reference.vertSizeMm) - 1);
    w.u32(kSignature);
    w.u32(0x00010000);  // version
    const std::size_t totalBytesAt = w.bytes.size();
    w.u32(0);
    const std::size_t recordCountAt = w.bytes.size();
    w.u32(0);
    const std::size_t handlesAt = w.bytes.size();
    w.u16(0);
    w.u16(0);  // reserved
    w.u32(static_cast<std::uint32_t>(kDescription.size()));
    w.u32(static_cast<std::uint32_t>(kHeaderSize));
    w.u32(0);  // palette entries
    w.i32(reference.horzRes);
    w.i32(reference.vertRes);
    w.i32(reference.horzSizeMm);
    w.i32(reference.vertSizeMm);
    w.u32(0);  // pixel format size
    w.u32(0);  // pixel format offset
    w.u32(0);  // no OpenGL records
    w.i32(reference.horzSizeMm * 1000);
    w.i32(reference.vertSizeMm * 1000);
    for (char16_t c : kDescription)
        w.u16(c);
    w.end(header);

    w.simple(EMR_SETMAPMODE, kAnisotropic);
    w.pair(EMR_SETWINDOWORGEX, 0, 0);
    w.pair(EMR_SETWINDOWEXTEX, widthPx * kSubUnits, heightPx * kSubUnits);
    w.pair(EMR_SETVIEWPORTORGEX, 0, 0);
    w.pair(EMR_SETVIEWPORTEXTEX, widthPx, heightPx);
    w.simple(EMR_SETBKMODE, kTransparent);
    w.simple(EMR_SETTEXTCOLOR, 0x000000);
    w.simple(EMR_SELECTOBJECT, kNullPen);

    // White page, then the items. A rectangle drawn with the null pen leaves out its right and
    // bottom edge, so each is recorded one logical unit larger.
    std::uint32_t brush = kWhiteBrush;
    w.simple(EMR_SELECTOBJECT, brush);
    auto rectangle = [&](Record type, double l, double t, double r, double b) {
        const auto at = w.begin(type);
        w.rectl(units(l), units(t), units(r) + 1, units(b) + 1);
        w.end(at);
    };
    rectangle(EMR_RECTANGLE, 0, 0, drawing.width, drawing.height);
    auto useBrush = [&](std::uint32_t wanted) {
        if (brush == wanted)
            return;
        brush = wanted;
        w.simple(EMR_SELECTOBJECT, brush);
    };

    std::vector<Font> fonts;  // handle i + 1
    std::uint32_t selectedFont = 0;
    std::uint32_t textAlign = ~0u;
    for (const Item& item : drawing.items) {
        if (const auto* r = std::get_if<FillRect>(&item)) {
            useBrush(r->dark ? kBlackBrush : kWhiteBrush);
            rectangle(EMR_RECTANGLE, r->box.left, r->box.top, r->box.right, r->box.bottom);
        } else if (const auto* d = std::get_if<Dot>(&item)) {
            useBrush(kBlackBrush);
            const double radius = d->diameter / 2;
            rectangle(EMR_ELLIPSE, d->centerX - radius, d->centerY - radius, d->centerX + radius,
                      d->centerY + radius);
        } else if (const auto* t = std::get_if<TextRun>(&item)) {
            if (t->text.empty())
                continue;
            // The font: created once per distinct font.
            std::uint32_t handle = 0;
            for (std::size_t i = 0; i < fonts.size(); ++i) {
                if (fonts[i] == t->font)
                    handle = static_cast<std::uint32_t>(i + 1);
            }
            if (handle == 0) {
                fonts.push_back(t->font);
                handle = static_cast<std::uint32_t>(fonts.size());
                const auto at = w.begin(EMR_EXTCREATEFONTINDIRECTW);
                w.u32(handle);
                w.i32(units(t->font.height));  // cell height
                w.i32(0);                      // width: default aspect
                w.i32(0);                      // escapement
                w.i32(0);                      // orientation
                w.i32(400);                    // normal weight
                w.bytes.insert(w.bytes.end(),
                               {0, 0, 0, 1 /* default charset */, 0, 0, 0,
                                static_cast<std::uint8_t>(t->font.fixedPitch ? 0x31 : 0x22)});
                for (std::size_t i = 0; i < 32; ++i) {
                    w.u16(i < t->font.family.size() && i < 31 ? t->font.family[i] : 0);
                }
                w.end(at);
            }
            if (selectedFont != handle) {
                selectedFont = handle;
                w.simple(EMR_SELECTOBJECT, handle);
            }
            const std::uint32_t align = t->align == Align::Center  ? kTextCenter
                                        : t->align == Align::Right ? kTextRight
                                                                   : kTextLeft;
            if (align != textAlign) {
                textAlign = align;
                w.simple(EMR_SETTEXTALIGN, align);
            }
            const double x = t->align == Align::Center  ? (t->box.left + t->box.right) / 2
                             : t->align == Align::Right ? t->box.right
                                                        : t->box.left;
            const auto at = w.begin(EMR_EXTTEXTOUTW);
            w.rectl(pixels(t->box.left), pixels(t->box.top), pixels(t->box.right),
                    pixels(t->box.bottom));
            w.u32(kCompatibleGraphics);
            w.f32(0);
            w.f32(0);
            const auto n = static_cast<std::uint32_t>(t->text.size());
            const std::uint32_t stringOffset = 76;
            const std::uint32_t dxOffset = stringOffset + (n * 2 + 3) / 4 * 4;
            w.i32(units(x));
            w.i32(units(t->box.top));
            w.u32(n);
            w.u32(stringOffset);
            w.u32(0);  // options
            w.rectl(0, 0, 0, 0);
            w.u32(dxOffset);
            for (char16_t c : t->text)
                w.u16(c);
            w.pad4();
            for (char16_t c : t->text) {
                w.i32(units(measure.width(std::u16string_view(&c, 1), t->font)));
            }
            w.end(at);
        }
    }
    w.simple(EMR_SELECTOBJECT, kStockObject | 13);  // SYSTEM_FONT, so the fonts can go
    for (std::size_t i = 0; i < fonts.size(); ++i) {
        w.simple(EMR_DELETEOBJECT, static_cast<std::uint32_t>(i + 1));
    }
    const auto eof = w.begin(EMR_EOF);
    w.u32(0);   // palette entries
    w.u32(16);  // palette offset
    w.u32(20);  // this record's size, repeated last
    w.end(eof);

    w.patch(totalBytesAt, static_cast<std::uint32_t>(w.bytes.size()));
    w.patch(recordCountAt, w.records);
    const auto handles = static_cast<std::uint16_t>(fonts.size() + 1);
    w.bytes[handlesAt] = static_cast<std::uint8_t>(handles);
    w.bytes[handlesAt + 1] = static_cast<std::uint8_t>(handles >> 8);
    return w.bytes;
}

void writeEmf(const Drawing& drawing, const DeviceGeometry& reference, const TextMeasure& measure,
              const std::string& path) {
    const auto bytes = toEmf(drawing, reference, measure);
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (file)
        file.write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
    if (!file) {
        std::u16string message(res::loadString(22006));
        message += u' ';
        message += res::fromUtf8(path);
        throw foundation::UserException(foundation::UserException::Refused, message);
    }
}

}  // namespace omni::page
