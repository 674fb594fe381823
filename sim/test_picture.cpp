#include "sim/test_picture.h"

#include <cstdio>
#include <utility>

#include <jpeglib.h>

namespace omni::sim {
namespace {

void put16(std::string& s, std::size_t at, std::uint32_t v) {
    s[at] = static_cast<char>(v >> 8);
    s[at + 1] = static_cast<char>(v);
}

// The card in front of the engine: a matrix symbol of 25 × 25 modules of 8 pixels with its
// quiet zone, at a fixed place of a 640 × 480 picture.
constexpr int kSymbolX = 216;
constexpr int kSymbolY = 136;
constexpr int kModule = 8;
constexpr int kModules = 25;
constexpr int kQuiet = 4;  // modules

bool finderModule(int mx, int my, int cx, int cy, bool& dark) {
    if (mx < cx - 1 || mx > cx + 7 || my < cy - 1 || my > cy + 7)
        return false;
    const int dx = mx - cx - 3 < 0 ? cx + 3 - mx : mx - cx - 3;
    const int dy = my - cy - 3 < 0 ? cy + 3 - my : my - cy - 3;
    const int ring = dx > dy ? dx : dy;
    dark = ring == 3 || ring <= 1;  // ring 4 is the light separator
    return true;
}

bool darkModule(int mx, int my) {
    bool dark = false;
    for (const auto& [cx, cy] :
         {std::pair{0, 0}, std::pair{kModules - 7, 0}, std::pair{0, kModules - 7}})
        if (finderModule(mx, my, cx, cy, dark))
            return dark;
    if (mx == 6 || my == 6)
        return (mx + my) % 2 == 0;  // timing patterns
    const unsigned h =
        static_cast<unsigned>(mx) * 73856093u ^ static_cast<unsigned>(my) * 19349663u;
    return ((h * 2654435761u) >> 16) % 2 == 1;  // data modules, scattered
}

}  // namespace

std::uint8_t testPixel(int x, int y) {
    const int mx =
        (x - kSymbolX) >= 0 ? (x - kSymbolX) / kModule : -1 - (kSymbolX - x - 1) / kModule;
    const int my =
        (y - kSymbolY) >= 0 ? (y - kSymbolY) / kModule : -1 - (kSymbolY - y - 1) / kModule;
    if (mx >= 0 && mx < kModules && my >= 0 && my < kModules)
        return darkModule(mx, my) ? 28 : 236;
    if (mx >= -kQuiet && mx < kModules + kQuiet && my >= -kQuiet && my < kModules + kQuiet)
        return 236;  // the paper around the symbol
    // A grey background, lit from the top left.
    return static_cast<std::uint8_t>(196 - (x + y) / 16 - ((x * 7 + y * 13) % 5));
}

std::uint32_t engineBytesPerLine(int width, int bits) {
    std::uint32_t raw =
        bits == 10 ? 2u * width : (static_cast<std::uint32_t>(width) * bits + 7) / 8;
    return (raw + 3) / 4 * 4;
}

std::vector<std::uint8_t> testPictureRows(int width, int height, int bits) {
    const std::uint32_t line = engineBytesPerLine(width, bits);
    std::vector<std::uint8_t> rows(std::size_t{line} * height, 0);
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = rows.data() + std::size_t{line} * y;
        for (int x = 0; x < width; ++x) {
            const std::uint8_t v = testPixel(x, y);
            switch (bits) {
                case 1:
                    if (v >= 128)
                        row[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
                    break;
                case 4:
                    row[x / 2] |= static_cast<std::uint8_t>((v / 17) << (x % 2 ? 0 : 4));
                    break;
                case 10:
                    row[2 * x] = static_cast<std::uint8_t>((x + y) % 4);
                    row[2 * x + 1] = v;
                    break;
                default:
                    row[x] = v;
                    break;
            }
        }
    }
    return rows;
}

std::vector<std::uint8_t> testPictureJpeg(int width, int height, int quality) {
    jpeg_compress_struct c{};
    jpeg_error_mgr error{};
    c.err = jpeg_std_error(&error);
    jpeg_create_compress(&c);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &out, &size);
    c.image_width = static_cast<JDIMENSION>(width);
    c.image_height = static_cast<JDIMENSION>(height);
    c.input_components = 1;
    c.in_color_space = JCS_GRAYSCALE;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, quality, TRUE);
    jpeg_start_compress(&c, TRUE);
    std::vector<std::uint8_t> row(static_cast<std::size_t>(width));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            row[x] = testPixel(x, y);
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&c, rows, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    std::vector<std::uint8_t> bytes(out, out + size);
    std::free(out);
    return bytes;
}

std::string imageHeader(std::uint32_t dataSize, int width, int height, int bits,
                        std::uint8_t format) {
    std::string header(256, '\0');
    header[1] = static_cast<char>(dataSize >> 24);
    header[2] = static_cast<char>(dataSize >> 16);
    put16(header, 3, dataSize);
    put16(header, 7, static_cast<std::uint32_t>(width));
    put16(header, 9, static_cast<std::uint32_t>(height));
    put16(header, 15, static_cast<std::uint32_t>(width - 1));   // trim right
    put16(header, 17, static_cast<std::uint32_t>(height - 1));  // trim bottom
    header[19] = 1;
    header[20] = 1;
    header[23] = static_cast<char>(bits);
    header[24] = static_cast<char>(format);
    return header;
}

std::uint16_t weightedSum(const std::uint8_t* data, std::size_t count) {
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i < count; ++i)
        sum += static_cast<std::uint32_t>(i + 1) * data[i];
    return static_cast<std::uint16_t>(sum);
}

std::string block(char type, std::uint16_t field, const std::string& payload, bool corrupt) {
    std::string out;
    out.reserve(payload.size() + 10);
    out += type;
    out += static_cast<char>(field >> 8);
    out += static_cast<char>(field);
    const auto n = static_cast<std::uint32_t>(payload.size());
    for (int shift = 24; shift >= 0; shift -= 8)
        out += static_cast<char>(n >> shift);
    out += payload;
    std::uint16_t sum =
        weightedSum(reinterpret_cast<const std::uint8_t*>(payload.data()), payload.size());
    if (corrupt)
        sum = static_cast<std::uint16_t>(sum + 1);
    out += static_cast<char>(sum >> 8);
    out += static_cast<char>(sum);
    out += '\r';
    return out;
}

}  // namespace omni::sim
