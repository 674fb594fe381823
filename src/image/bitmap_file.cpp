#include "image/bitmap_file.h"

#include <algorithm>

namespace omni::image {
namespace {

constexpr std::size_t kFileHeader = 14;
constexpr std::size_t kReadPiece = std::size_t{1} << 20;
constexpr std::int32_t kMaxDimension = 65535;

void put16(std::uint8_t* p, std::uint32_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}

void put32(std::uint8_t* p, std::uint32_t v) {
    put16(p, v);
    put16(p + 2, v >> 16);
}

// Reads until `count` bytes have come or the stream ends; returns how many came.
std::size_t readFully(stream::InputStream<unsigned char>& in, std::uint8_t* into,
                      std::size_t count) {
    std::size_t done = 0;
    while (done < count) {
        const std::size_t n = in.read(into + done, count - done);
        if (n == 0)
            break;
        done += n;
    }
    return done;
}

// Appends up to `count` bytes to `block` in pieces; returns how many came.
std::size_t appendFromStream(stream::InputStream<unsigned char>& in,
                             std::vector<std::uint8_t>& block, std::size_t count) {
    std::size_t done = 0;
    while (done < count) {
        const std::size_t piece = std::min(kReadPiece, count - done);
        const std::size_t at = block.size();
        block.resize(at + piece);
        const std::size_t got = readFully(in, block.data() + at, piece);
        done += got;
        if (got < piece) {
            block.resize(at + got);
            break;
        }
    }
    return done;
}

}  // namespace

void writeBitmap(const DibContainer& dib, stream::OutputStream<unsigned char>& out) {
    std::uint8_t fileHeader[kFileHeader] = {'B', 'M'};
    const std::size_t offset = kFileHeader + dib.header.size();
    put32(fileHeader + 2, static_cast<std::uint32_t>(offset + dib.pixels.size()));
    put32(fileHeader + 10, static_cast<std::uint32_t>(offset));
    out.write(fileHeader, kFileHeader);
    out.write(dib.header.data(), dib.header.size());
    out.write(dib.pixels.data(), dib.pixels.size());
    out.flush();
}

BitmapResult readBitmap(stream::InputStream<unsigned char>& in, DibContainer& dib) {
    std::uint8_t fileHeader[kFileHeader];
    const std::size_t got = readFully(in, fileHeader, kFileHeader);
    if (got < 2 || fileHeader[0] != 'B' || fileHeader[1] != 'M')
        return BitmapResult::NotBitmap;
    if (got < kFileHeader)
        return BitmapResult::Truncated;
    std::vector<std::uint8_t> header(BitmapInfoHeader::kSize);
    if (readFully(in, header.data(), header.size()) < header.size())
        return BitmapResult::Truncated;
    BitmapInfoHeader info = BitmapInfoHeader::readFrom(header.data());
    const std::uint32_t infoSize = header[0] | header[1] << 8 | header[2] << 16 | header[3] << 24;
    const std::uint16_t bits = info.bitCount;
    const bool depthKnown =
        bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
    if (infoSize != BitmapInfoHeader::kSize || info.compression != 0 || !depthKnown ||
        info.planes != 1 || info.height <= 0 || info.width <= 0)
        return BitmapResult::Unsupported;
    if (info.width > kMaxDimension || info.height > kMaxDimension)
        return BitmapResult::TooLarge;
    const std::size_t stride = dibStride(static_cast<std::uint32_t>(info.width), bits);
    const std::size_t plane = stride * static_cast<std::size_t>(info.height);
    if (plane > kMaxBitmapBytes)
        return BitmapResult::TooLarge;

    const std::size_t palette = bits <= 8 ? std::size_t{4} << bits : 0;
    header.resize(BitmapInfoHeader::kSize + palette);
    if (readFully(in, header.data() + BitmapInfoHeader::kSize, palette) < palette)
        return BitmapResult::Truncated;
    info.sizeImage = static_cast<std::uint32_t>(plane);
    info.writeTo(header.data());

    std::vector<std::uint8_t> pixels;
    if (appendFromStream(in, pixels, plane) < plane)
        return BitmapResult::Truncated;
    // A second plane (the low bits of a 10-bit capture) only when the file holds all of it.
    if (appendFromStream(in, pixels, plane) < plane)
        pixels.resize(plane);
    dib.header = std::move(header);
    dib.pixels = std::move(pixels);
    return BitmapResult::Ok;
}

}  // namespace omni::image
