#include "stream/code_page_stream.h"

#include <algorithm>

namespace omni::stream {

CodePageCharToWCharStream::CodePageCharToWCharStream(OutputStream<char16_t>* target)
    : CharToWCharStream(target) {}

CodePageCharToWCharStream::~CodePageCharToWCharStream() = default;

void CodePageCharToWCharStream::write(const char* data, std::size_t count) {
    const CodePageSetting setting = currentCodePageSetting();
    for (std::size_t i = 0; i < count; ++i)
        putByte(static_cast<unsigned char>(data[i]), setting);
    flushBatch();
}

void CodePageCharToWCharStream::put(const char* item) {
    putByte(static_cast<unsigned char>(*item), currentCodePageSetting());
    flushBatch();
}

void CodePageCharToWCharStream::flushPending() {
    for (std::size_t i = 0; i < pendingCount_; ++i) {
        const char16_t widened = widenBySignExtension(static_cast<char>(pending_[i]));
        emitUnits(&widened, 1);
    }
    pendingCount_ = 0;
    pending_[0] = 0;
    flushBatch();
}

void CodePageCharToWCharStream::putByte(unsigned char byte, CodePageSetting setting) {
    if (setting.multiByte) {
        putMultiByte(byte, setting);
    } else if (setting.codePage == kUtf16LeCodePage || setting.codePage == kUtf16BeCodePage) {
        putUtf16(byte, setting.codePage == kUtf16BeCodePage);
    } else if (setting.codePage == kHexCodePage) {
        putHex(byte);
    }
    // No other setting shows anything.
}

void CodePageCharToWCharStream::putMultiByte(unsigned char byte, CodePageSetting setting) {
    MultiByteConverter& converter = converterFor(setting.codePage);
    char16_t text[MultiByteConverter::kMaxOutput];
    if (pendingCount_ == 0 && converter.isValid()) {
        // Most bytes stand for a character on their own.
        if (std::size_t n = converter.convertOne(byte, text); n > 0) {
            emitUnits(text, n);
            return;
        }
    }
    pending_[pendingCount_++] = byte;
    pending_[pendingCount_] = 0;
    std::size_t n = converter.convert(pending_, pendingCount_, text);
    if (n > 0) {
        emitUnits(text, n);
        pendingCount_ = 0;
        pending_[0] = 0;
        return;
    }
    if (pendingCount_ < kMaxPending)
        return;  // wait for the next byte
    // Four bytes and still nothing: show the first as itself and retry the rest.
    const unsigned char first = pending_[0];
    unsigned char rest[kMaxPending - 1];
    std::copy_n(pending_ + 1, kMaxPending - 1, rest);
    pendingCount_ = 0;
    pending_[0] = 0;
    const char16_t widened = widenBySignExtension(static_cast<char>(first));
    emitUnits(&widened, 1);
    for (unsigned char b : rest)
        putMultiByte(b, setting);
}

void CodePageCharToWCharStream::putUtf16(unsigned char byte, bool bigEndian) {
    pending_[pendingCount_++] = byte;
    if (pendingCount_ < 2)
        return;
    char16_t unit = bigEndian ? static_cast<char16_t>(pending_[0] << 8 | pending_[1])
                              : static_cast<char16_t>(pending_[1] << 8 | pending_[0]);
    pendingCount_ = 0;
    emitUnits(&unit, 1);
}

void CodePageCharToWCharStream::putHex(unsigned char byte) {
    static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
    ++hexColumn_;
    const char16_t text[3] = {kDigits[byte >> 4], kDigits[byte & 0x0F],
                              hexColumn_ % 16 == 0 ? u'\r' : u' '};
    emitUnits(text, 3);
}

void CodePageCharToWCharStream::openConverter(std::uint32_t codePage) {
    converter_ = std::make_unique<MultiByteConverter>(codePage);
}

}  // namespace omni::stream
