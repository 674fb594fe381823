// Enhanced metafile records, little-endian, each a multiple of 4 bytes:
//   EMR_HEADER, then the mapping (anisotropic: 16 logical units per reference pixel), the stock
//   null pen, and per item a brush selection and rectangle or ellipse, or a font selection and an
//   EMR_EXTTEXTOUTW; the fonts are deleted before EMR_EOF.
#include "menucode/emf_writer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <variant>

#include "foundation/atomic_file.h"
#include "foundation/exception.h"
#include "resources/string_ids.h"
#include "resources/strings.h"

namespace omni::menucode {

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
constexpr std::uint32_t kVersion = 0x00010000;
constexpr std::uint32_t kStockObject = 0x80000000;
constexpr std::uint32_t kWhiteBrush = kStockObject | 0;
constexpr std::uint32_t kBlackBrush = kStockObject | 4;
constexpr std::uint32_t kNullPen = kStockObject | 8;
constexpr std::uint32_t kSystemFont = kStockObject | 13;
constexpr std::uint32_t kAnisotropic = 8;
constexpr std::uint32_t kTransparent = 1;
constexpr std::uint32_t kBlackText = 0x000000;
constexpr std::uint32_t kCompatibleGraphics = 1;
constexpr std::uint32_t kTextLeft = 0, kTextRight = 2, kTextCenter = 6;  // with TA_TOP
constexpr int kSubUnits = 16;  // logical units per reference pixel
constexpr std::size_t kHeaderSize = 108;
// The program's name and the picture's, each ending in NUL, and a final NUL: all of it is the
// description (a view built from a plain literal would stop at the first NUL).
constexpr std::u16string_view kDescription{u"OmniSetup\0Menu code\0\0", 21};
static_assert(kDescription.size() == 21 && kDescription.back() == u'\0');

// LOGFONTW fields of the fonts the page creates.
constexpr std::int32_t kNormalWeight = 400;
constexpr std::uint8_t kDefaultCharset = 1;
constexpr std::uint8_t kFixedPitchModern = 0x31;    // FIXED_PITCH | FF_MODERN
constexpr std::uint8_t kVariablePitchSwiss = 0x22;  // VARIABLE_PITCH | FF_SWISS
constexpr std::size_t kFaceNameLength = 32;         // UTF-16 units, with the terminating zero

// EMR_EXTTEXTOUTW: the string follows the record's fixed part at this offset.
constexpr std::uint32_t kTextStringOffset = 76;

// EMR_EOF: no palette entries; the palette offset and the record size, repeated last.
constexpr std::uint32_t kEofPaletteOffset = 16;
constexpr std::uint32_t kEofRecordSize = 20;

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

// Writes one drawing's records in order: header, mapping, page, items, end.
class EmfBuilder {
public:
    EmfBuilder(const Drawing& drawing, const TextMeasure& measure)
        : drawing_(drawing),
          measure_(measure),
          widthPx_(std::max<std::int32_t>(1, pixels(std::ceil(drawing.width)))),
          heightPx_(std::max<std::int32_t>(1, pixels(std::ceil(drawing.height)))) {}

    std::vector<std::uint8_t> build(const DeviceGeometry& reference) {
        header(reference);
        mapping();
        page();
        for (const Item& item : drawing_.items)
            std::visit([this](const auto& shape) { draw(shape); }, item);
        finish();
        return std::move(w_.bytes);
    }

private:
    // EMR_HEADER, with the total size, record count and handle count patched by `finish`.
    void header(const DeviceGeometry& reference) {
        const auto at = w_.begin(EMR_HEADER);
        w_.rectl(0, 0, widthPx_ - 1, heightPx_ - 1);  // bounds, reference pixels, inclusive
        // Frame in hundredths of a millimetre.
        const auto frame = [](std::int32_t px, int res, int mm) {
            return static_cast<std::int32_t>(std::lround(100.0 * px * mm / std::max(res, 1)));
        };
        w_.rectl(0, 0, frame(widthPx_, reference.horzRes, reference.horzSizeMm) - 1,
                 frame(heightPx_, reference.vertRes, reference.vertSizeMm) - 1);
        w_.u32(kSignature);
        w_.u32(kVersion);
        totalBytesAt_ = w_.bytes.size();
        w_.u32(0);
        recordCountAt_ = w_.bytes.size();
        w_.u32(0);
        handlesAt_ = w_.bytes.size();
        w_.u16(0);
        w_.u16(0);  // reserved
        w_.u32(static_cast<std::uint32_t>(kDescription.size()));
        w_.u32(static_cast<std::uint32_t>(kHeaderSize));
        w_.u32(0);  // palette entries
        w_.i32(reference.horzRes);
        w_.i32(reference.vertRes);
        w_.i32(reference.horzSizeMm);
        w_.i32(reference.vertSizeMm);
        w_.u32(0);  // pixel format size
        w_.u32(0);  // pixel format offset
        w_.u32(0);  // no OpenGL records
        w_.i32(reference.horzSizeMm * 1000);
        w_.i32(reference.vertSizeMm * 1000);
        for (char16_t c : kDescription)
            w_.u16(c);
        w_.end(at);
    }

    // Anisotropic mapping of kSubUnits logical units per reference pixel, transparent black
    // text, no outlines.
    void mapping() {
        w_.simple(EMR_SETMAPMODE, kAnisotropic);
        w_.pair(EMR_SETWINDOWORGEX, 0, 0);
        w_.pair(EMR_SETWINDOWEXTEX, widthPx_ * kSubUnits, heightPx_ * kSubUnits);
        w_.pair(EMR_SETVIEWPORTORGEX, 0, 0);
        w_.pair(EMR_SETVIEWPORTEXTEX, widthPx_, heightPx_);
        w_.simple(EMR_SETBKMODE, kTransparent);
        w_.simple(EMR_SETTEXTCOLOR, kBlackText);
        w_.simple(EMR_SELECTOBJECT, kNullPen);
    }

    // The white page under the items.
    void page() {
        w_.simple(EMR_SELECTOBJECT, brush_);
        shape(EMR_RECTANGLE, 0, 0, drawing_.width, drawing_.height);
    }

    // A rectangle drawn with the null pen leaves out its right and bottom edge, so each shape is
    // recorded one logical unit larger.
    void shape(Record type, double l, double t, double r, double b) {
        const auto at = w_.begin(type);
        w_.rectl(units(l), units(t), units(r) + 1, units(b) + 1);
        w_.end(at);
    }

    void useBrush(std::uint32_t wanted) {
        if (brush_ == wanted)
            return;
        brush_ = wanted;
        w_.simple(EMR_SELECTOBJECT, brush_);
    }

    void draw(const FillRect& r) {
        useBrush(r.dark ? kBlackBrush : kWhiteBrush);
        shape(EMR_RECTANGLE, r.box.left, r.box.top, r.box.right, r.box.bottom);
    }

    void draw(const Dot& d) {
        useBrush(kBlackBrush);
        const double radius = d.diameter / 2;
        shape(EMR_ELLIPSE, d.centerX - radius, d.centerY - radius, d.centerX + radius,
              d.centerY + radius);
    }

    void draw(const TextRun& t) {
        if (t.text.empty())
            return;
        selectFont(t.font);
        const std::uint32_t align = t.align == Align::Center  ? kTextCenter
                                    : t.align == Align::Right ? kTextRight
                                                              : kTextLeft;
        if (align != textAlign_) {
            textAlign_ = align;
            w_.simple(EMR_SETTEXTALIGN, align);
        }
        textOut(t);
    }

    // Selects `font`, creating it the first time it is used; font i has handle i + 1.
    void selectFont(const Font& font) {
        std::uint32_t handle = 0;
        for (std::size_t i = 0; i < fonts_.size(); ++i) {
            if (fonts_[i] == font)
                handle = static_cast<std::uint32_t>(i + 1);
        }
        if (handle == 0) {
            fonts_.push_back(font);
            handle = static_cast<std::uint32_t>(fonts_.size());
            createFont(handle, font);
        }
        if (selectedFont_ != handle) {
            selectedFont_ = handle;
            w_.simple(EMR_SELECTOBJECT, handle);
        }
    }

    void createFont(std::uint32_t handle, const Font& font) {
        const auto at = w_.begin(EMR_EXTCREATEFONTINDIRECTW);
        w_.u32(handle);
        w_.i32(units(font.height));  // cell height
        w_.i32(0);                   // width: default aspect
        w_.i32(0);                   // escapement
        w_.i32(0);                   // orientation
        w_.i32(kNormalWeight);
        // Italic, underline, strike-out, charset, precision, clip precision, quality, pitch.
        w_.bytes.insert(w_.bytes.end(),
                        {0, 0, 0, kDefaultCharset, 0, 0, 0,
                         font.fixedPitch ? kFixedPitchModern : kVariablePitchSwiss});
        for (std::size_t i = 0; i < kFaceNameLength; ++i)
            w_.u16(i < font.family.size() && i < kFaceNameLength - 1 ? font.family[i] : 0);
        w_.end(at);
    }

    // EMR_EXTTEXTOUTW: the reference point by alignment, the string, then each character's
    // advance in logical units.
    void textOut(const TextRun& t) {
        const double x = t.align == Align::Center  ? (t.box.left + t.box.right) / 2
                         : t.align == Align::Right ? t.box.right
                                                   : t.box.left;
        const auto at = w_.begin(EMR_EXTTEXTOUTW);
        w_.rectl(pixels(t.box.left), pixels(t.box.top), pixels(t.box.right), pixels(t.box.bottom));
        w_.u32(kCompatibleGraphics);
        w_.f32(0);
        w_.f32(0);
        const auto n = static_cast<std::uint32_t>(t.text.size());
        const std::uint32_t dxOffset = kTextStringOffset + (n * 2 + 3) / 4 * 4;
        w_.i32(units(x));
        w_.i32(units(t.box.top));
        w_.u32(n);
        w_.u32(kTextStringOffset);
        w_.u32(0);  // options
        w_.rectl(0, 0, 0, 0);
        w_.u32(dxOffset);
        for (char16_t c : t.text)
            w_.u16(c);
        w_.pad4();
        for (char16_t c : t.text)
            w_.i32(units(measure_.width(std::u16string_view(&c, 1), t.font)));
        w_.end(at);
    }

    // Releases the fonts, writes EMR_EOF and patches the header's totals.
    void finish() {
        w_.simple(EMR_SELECTOBJECT, kSystemFont);
        for (std::size_t i = 0; i < fonts_.size(); ++i)
            w_.simple(EMR_DELETEOBJECT, static_cast<std::uint32_t>(i + 1));
        const auto eof = w_.begin(EMR_EOF);
        w_.u32(0);  // palette entries
        w_.u32(kEofPaletteOffset);
        w_.u32(kEofRecordSize);
        w_.end(eof);

        w_.patch(totalBytesAt_, static_cast<std::uint32_t>(w_.bytes.size()));
        w_.patch(recordCountAt_, w_.records);
        const auto handles = static_cast<std::uint16_t>(fonts_.size() + 1);
        w_.bytes[handlesAt_] = static_cast<std::uint8_t>(handles);
        w_.bytes[handlesAt_ + 1] = static_cast<std::uint8_t>(handles >> 8);
    }

    const Drawing& drawing_;
    const TextMeasure& measure_;
    const std::int32_t widthPx_;
    const std::int32_t heightPx_;
    RecordWriter w_;
    std::size_t totalBytesAt_ = 0;
    std::size_t recordCountAt_ = 0;
    std::size_t handlesAt_ = 0;
    std::uint32_t brush_ = kWhiteBrush;
    std::vector<Font> fonts_;
    std::uint32_t selectedFont_ = 0;
    std::uint32_t textAlign_ = ~0u;
};

}  // namespace

std::vector<std::uint8_t> toEmf(const Drawing& drawing, const DeviceGeometry& reference,
                                const TextMeasure& measure) {
    return EmfBuilder(drawing, measure).build(reference);
}

void writeEmf(const Drawing& drawing, const DeviceGeometry& reference, const TextMeasure& measure,
              const std::string& path) {
    const auto bytes = toEmf(drawing, reference, measure);
    foundation::writeFileAtomically(
        path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

}  // namespace omni::menucode
