// libjpeg reports fatal errors through error_exit, which by default ends the process; here it
// jumps back to the call instead, and warnings (a truncated stream, a corrupt segment) are
// dropped so that decoding carries on to the synthetic end of image.
#include "image/jpeg_codec.h"

// libjpeg's headers need FILE declared first.
#include <cstdio>

#include <jerror.h>
#include <jpeglib.h>

#include <csetjmp>
#include <cstdlib>
#include <utility>

namespace omni::image {
namespace {

constexpr int kQuality = 80;

struct ErrorManager {
    jpeg_error_mgr standard;
    std::jmp_buf jump;
    bool outOfMemory = false;
};

void onError(j_common_ptr info) {
    auto* errors = reinterpret_cast<ErrorManager*>(info->err);
    errors->outOfMemory = info->err->msg_code == JERR_OUT_OF_MEMORY;
    std::longjmp(errors->jump, 1);
}

void onMessage(j_common_ptr, int) {}

void installErrors(ErrorManager& errors, j_common_ptr info) {
    info->err = jpeg_std_error(&errors.standard);
    errors.standard.error_exit = onError;
    errors.standard.emit_message = onMessage;
}

// One DIB row as the compressor wants it: grey levels through the palette, or RGB from BGR.
void convertRow(const DibContainer& dib, const BitmapInfoHeader& info, const std::uint8_t* row,
                std::uint8_t* out) {
    const auto width = static_cast<std::uint32_t>(info.width);
    if (info.bitCount == 24) {
        for (std::uint32_t x = 0; x < width; ++x) {
            out[3 * x] = row[3 * x + 2];
            out[3 * x + 1] = row[3 * x + 1];
            out[3 * x + 2] = row[3 * x];
        }
        return;
    }
    const unsigned bits = info.bitCount;
    const unsigned mask = (1u << bits) - 1;
    for (std::uint32_t x = 0; x < width; ++x) {
        const std::uint32_t bit = x * bits;
        const unsigned index = (row[bit / 8] >> (8 - bits - bit % 8)) & mask;
        out[x] = static_cast<std::uint8_t>(dib.paletteEntry(index) >> 8);  // green
    }
}

bool usableForJpeg(const DibContainer& dib, BitmapInfoHeader& info) {
    if (dib.header.size() < BitmapInfoHeader::kSize)
        return false;
    info = dib.info();
    const bool depth =
        info.bitCount == 1 || info.bitCount == 4 || info.bitCount == 8 || info.bitCount == 24;
    return depth && info.width > 0 && info.height > 0 && info.width <= JPEG_MAX_DIMENSION &&
           info.height <= JPEG_MAX_DIMENSION && dib.pixels.size() >= dib.planeSize();
}

}  // namespace

bool compressJpeg(const DibContainer& dib, std::vector<std::uint8_t>& jpeg) {
    jpeg.clear();
    BitmapInfoHeader info;
    if (!usableForJpeg(dib, info))
        return false;
    const bool colour = info.bitCount == 24;
    const std::uint32_t stride = dibStride(static_cast<std::uint32_t>(info.width), info.bitCount);
    std::vector<std::uint8_t> row(static_cast<std::size_t>(info.width) * (colour ? 3 : 1));

    jpeg_compress_struct c{};
    ErrorManager errors;
    unsigned char* out = nullptr;
    unsigned long size = 0;
    installErrors(errors, reinterpret_cast<j_common_ptr>(&c));
    if (setjmp(errors.jump)) {
        jpeg_destroy_compress(&c);
        std::free(out);
        return false;
    }
    jpeg_create_compress(&c);
    jpeg_mem_dest(&c, &out, &size);
    c.image_width = static_cast<JDIMENSION>(info.width);
    c.image_height = static_cast<JDIMENSION>(info.height);
    c.input_components = colour ? 3 : 1;
    c.in_color_space = colour ? JCS_RGB : JCS_GRAYSCALE;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, kQuality, TRUE);
    jpeg_start_compress(&c, TRUE);
    for (std::int32_t y = info.height - 1; y >= 0; --y) {  // the last DIB row is the top one
        convertRow(dib, info, dib.pixels.data() + std::size_t{stride} * y, row.data());
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&c, rows, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    jpeg.assign(out, out + size);
    std::free(out);
    return true;
}

namespace {

void fillHeader(DibContainer& dib, const jpeg_decompress_struct& d, std::uint32_t stride) {
    const bool grey = d.output_components == 1;
    dib.allocate(BitmapInfoHeader::kSize + (grey ? 256 * 4 : 0),
                 std::size_t{stride} * d.output_height);
    BitmapInfoHeader info;
    info.width = static_cast<std::int32_t>(d.output_width);
    info.height = static_cast<std::int32_t>(d.output_height);
    info.bitCount = static_cast<std::uint16_t>(8 * d.output_components);
    info.sizeImage = stride * d.output_height;
    info.clrUsed = grey ? 256 : 0;
    info.writeTo(dib.header.data());
    for (std::size_t i = 0; grey && i < 256; ++i) {
        std::uint8_t* entry = dib.header.data() + BitmapInfoHeader::kSize + 4 * i;
        entry[0] = entry[1] = entry[2] = static_cast<std::uint8_t>(i);
    }
}

}  // namespace

JpegResult decompressJpeg(const std::uint8_t* data, std::size_t size, DibContainer& dib) {
    if (size < 2 || data[0] != 0xFF || data[1] != 0xD8)
        return JpegResult::NotJpeg;
    jpeg_decompress_struct d{};
    ErrorManager errors;
    installErrors(errors, reinterpret_cast<j_common_ptr>(&d));
    if (setjmp(errors.jump)) {
        jpeg_destroy_decompress(&d);
        return errors.outOfMemory ? JpegResult::OutOfMemory : JpegResult::Corrupt;
    }
    jpeg_create_decompress(&d);
    jpeg_mem_src(&d, data, static_cast<unsigned long>(size));
    jpeg_read_header(&d, TRUE);
    if (d.jpeg_color_space == JCS_GRAYSCALE) {
        d.out_color_space = JCS_GRAYSCALE;
    } else if (d.jpeg_color_space == JCS_YCbCr || d.jpeg_color_space == JCS_RGB) {
        d.out_color_space = JCS_RGB;
    } else {
        jpeg_destroy_decompress(&d);
        return JpegResult::Unsupported;
    }
    const std::size_t components = d.out_color_space == JCS_GRAYSCALE ? 1 : 3;
    if (std::size_t{d.image_width} * d.image_height * components > kMaxDecodedBytes) {
        jpeg_destroy_decompress(&d);
        return JpegResult::TooLarge;
    }
    jpeg_start_decompress(&d);
    const std::uint32_t stride = dibStride(d.output_width, 8 * d.output_components);
    fillHeader(dib, d, stride);
    while (d.output_scanline < d.output_height) {
        std::uint8_t* row =
            dib.pixels.data() + std::size_t{stride} * (d.output_height - 1 - d.output_scanline);
        JSAMPROW rows[1] = {row};
        jpeg_read_scanlines(&d, rows, 1);
        for (std::size_t x = 0; components == 3 && x < d.output_width; ++x)
            std::swap(row[3 * x], row[3 * x + 2]);  // RGB → the DIB's BGR
    }
    jpeg_finish_decompress(&d);
    jpeg_destroy_decompress(&d);
    return JpegResult::Ok;
}

}  // namespace omni::image
