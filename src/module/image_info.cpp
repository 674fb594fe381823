// The received image's header and the image output settings: conversion, setter rules, the
// "[DE6" reply and the "[DE7" command.
#include "module/image_info.h"

#include <cstdio>
#include <cstring>
#include <new>

namespace kes {
namespace {

// Header fields the engine sends big-endian and the library turns to host order.
constexpr std::size_t kSwapped32[] = {1};
constexpr std::size_t kSwapped16[] = {5,  7,  9,  11, 13, 15, 17,  // size, geometry, trims
                                      25, 27, 29, 31,              // four uninterpreted words
                                      41, 43, 45, 47, 49, 51, 53, 55, 57, 59};  // ten more
static_assert(std::size(kSwapped16) == 7 + 4 + 10);

void swapToHost16(std::uint8_t* p) {
    const std::uint16_t value = static_cast<std::uint16_t>(p[0] << 8 | p[1]);
    std::memcpy(p, &value, 2);
}

void swapToHost32(std::uint8_t* p) {
    const std::uint32_t value =
        std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
    std::memcpy(p, &value, 4);
}

bool oneOf(std::int32_t value, std::initializer_list<std::int32_t> accepted) {
    for (std::int32_t a : accepted) {
        if (value == a)
            return true;
    }
    return false;
}

// Stores `value` in `field` when `ok`; otherwise refuses it.
template <typename T>
void setIf(bool ok, T& field, std::int32_t value) {
    if (!ok) {
        setStatus(KES_STATE_INVALID_PARAMETER);
        return;
    }
    field = static_cast<T>(value);
}

// The "[DE7" code of a bit depth, or -1 for a depth the engine has no code for.
int bitsCode(std::uint8_t bits) {
    switch (bits) {
        case 8:
            return 0;
        case 4:
            return 1;
        case 1:
            return 2;
        case 10:
            return 3;
        default:
            return -1;
    }
}

// Appends a numeric parameter as "Q" and one digit, `digits` times, most significant first.
void appendParameter(std::string& command, std::uint32_t value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "%0*u", digits, value);
    for (const char* p = text + std::strlen(text) - digits; *p; ++p) {
        command += 'Q';
        command += *p;
    }
}

}  // namespace

void ImageHeader::toHostOrder() {
    for (std::size_t at : kSwapped32)
        swapToHost32(bytes + at);
    for (std::size_t at : kSwapped16)
        swapToHost16(bytes + at);
}

std::uint16_t ImageHeader::get16(std::size_t at) const {
    std::uint16_t value;
    std::memcpy(&value, bytes + at, 2);
    return value;
}

std::uint32_t ImageHeader::get32(std::size_t at) const {
    std::uint32_t value;
    std::memcpy(&value, bytes + at, 4);
    return value;
}

std::uint32_t ImageHeader::bytesPerLine() const {
    const std::uint32_t bits = bitsPerPixel();
    const std::uint32_t raw = bits == 10 ? 2u * width() : (std::uint32_t{width()} * bits + 7) / 8;
    return (raw + 3) / 4 * 4;
}

bool ImageInfomation::allocate() {
    data_.reset(new (std::nothrow) std::uint8_t[header_.dataSize() ? header_.dataSize() : 1]);
    return data_ != nullptr;
}

void ImageOutputProperty::setTrim(int index, std::int32_t value) {
    const std::int32_t limit = index % 2 == 0 ? maxWidth_ : maxHeight_;
    setIf(value >= 0 && value < limit, f_.trim[index], value);
}

void ImageOutputProperty::setSubSampling(int index, std::int32_t value) {
    setIf(oneOf(value, {1, 2, 4}), f_.subSampling[index], value);
}

void ImageOutputProperty::setBitsPerPixel(std::int32_t value) {
    setIf(oneOf(value, {1, 4, 8, 10}), f_.bitsPerPixel, value);
}

void ImageOutputProperty::setJpegQuality(std::int32_t value) {
    setIf(value >= 5 && value <= 100, f_.jpegQuality, value);
}

void ImageOutputProperty::setFormat(std::int32_t value) {
    setIf(oneOf(value, {kFormatJpeg, kFormatBmp}), f_.format, value);
}

void ImageOutputProperty::setWholeTransfer(std::int32_t value) {
    setIf(oneOf(value, {0, 1}), f_.wholeTransfer, value);
}

void ImageOutputProperty::setFlip(int index, std::int32_t value) {
    setIf(value >= 0 && value <= 255, f_.flip[index], value);
}

void ImageOutputProperty::setReverse(std::int32_t value) {
    setIf(oneOf(value, {0, 1, 2}), f_.reverse, value);
}

// Each field is a 6-digit parameter: its field code plus the value.
std::string ImageOutputProperty::writeCommand() const {
    std::string command = "[DE7";
    auto field = [&](std::uint32_t code, std::int32_t value) {
        appendParameter(command, code + static_cast<std::uint32_t>(value), 6);
    };
    field(100000, f_.trim[0]);
    field(110000, f_.trim[1]);
    field(120000, f_.trim[2]);
    field(130000, f_.trim[3]);
    field(200000, f_.subSampling[0]);
    field(210000, f_.subSampling[1]);
    if (int code = bitsCode(f_.bitsPerPixel); code >= 0)
        field(300000, code);
    field(400000, f_.jpegQuality);
    field(500000, f_.format);
    field(600000, f_.wholeTransfer);
    field(700000, f_.flip[0] ? 1 : 0);
    field(710000, f_.flip[1] ? 1 : 0);
    field(800000, f_.reverse);
    return command;
}

bool parseOutputSettings(const char* reply, ImageOutputProperty::Fields& fields) {
    const char* from = std::strchr(reply, ';');
    if (!from)
        from = reply;
    int v[11] = {};
    char formatWord[64] = {};
    char transferWord[64] = {};
    const int found = std::sscanf(
        from, ";Trim(%d,%d,%d,%d) Sub(%d,%d) Bp%d Jq%d%63s%63s Fl(%d,%d) Re%d", &v[0], &v[1], &v[2],
        &v[3], &v[4], &v[5], &v[6], &v[7], formatWord, transferWord, &v[8], &v[9], &v[10]);
    if (found < 13)
        return false;
    for (int i = 0; i < 4; ++i)
        fields.trim[i] = static_cast<std::int16_t>(v[i]);
    fields.subSampling[0] = static_cast<std::uint8_t>(v[4]);
    fields.subSampling[1] = static_cast<std::uint8_t>(v[5]);
    fields.bitsPerPixel = static_cast<std::uint8_t>(v[6]);
    fields.jpegQuality = static_cast<std::uint8_t>(v[7]);
    fields.format = std::strcmp(formatWord, "FfJPEG") == 0  ? kFormatJpeg
                    : std::strcmp(formatWord, "FfBMP") == 0 ? kFormatBmp
                                                            : kFormatOther;
    fields.wholeTransfer = std::strcmp(transferWord, "TrPART") == 0 ? 0 : 1;
    fields.flip[0] = static_cast<std::uint8_t>(v[8]);
    fields.flip[1] = static_cast<std::uint8_t>(v[9]);
    fields.reverse = static_cast<std::uint8_t>(v[10]);
    return true;
}

}  // namespace kes
