// The front of a communication log: received bytes become text by the current code page
// (code_page_setting.h), read for every byte.
//
//  - System conversion: bytes collect until they make whole characters; when 4 bytes are pending
//    and still make nothing, the first is shown as itself (widened by sign extension) and the
//    other three are fed again, so an invalid sequence never stalls the log.
//  - UTF-16: each pair of bytes is one unit, little- or big-endian.
//  - Hexadecimal: "%02X" and a space per byte, a line end (CR) instead of the space after every
//    16th byte of a block.
//
// Not thread-safe: one producer at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "stream/code_page_setting.h"
#include "stream/multi_byte_converter.h"
#include "stream/text_streams.h"

namespace omni::stream {

class CodePageCharToWCharStream : public CharToWCharStream {
public:
    static constexpr std::size_t kMaxPending = MultiByteConverter::kMaxInput;

    explicit CodePageCharToWCharStream(OutputStream<char16_t>* target = nullptr);
    ~CodePageCharToWCharStream() override;

    // Same as put() for each byte.
    void write(const char* data, std::size_t count) override;
    void put(const char* item) override;
    void flush() override { target_->flush(); }

    // The end of the input: bytes still waiting to complete a character are shown one by one as
    // undecodable bytes are (widened by sign extension), so nothing received goes unseen.
    void flushPending();
    // Starts the next hexadecimal block at a fresh row of 16.
    void resetHexColumn() { hexColumn_ = 0; }
    std::size_t pendingCount() const { return pendingCount_; }

private:
    static constexpr std::size_t kBatch = 1024;

    void putByte(unsigned char byte, CodePageSetting setting);
    // Output collects in a batch that goes to the target in one write.
    void emitUnits(const char16_t* text, std::size_t count) {
        if (batchCount_ + count > kBatch)
            flushBatch();
        for (std::size_t i = 0; i < count; ++i)
            batch_[batchCount_++] = text[i];
    }
    void flushBatch() {
        if (batchCount_ == 0)
            return;
        target_->write(batch_, batchCount_);
        batchCount_ = 0;
    }
    void putMultiByte(unsigned char byte, CodePageSetting setting);
    void putUtf16(unsigned char byte, bool bigEndian);
    void putHex(unsigned char byte);
    MultiByteConverter& converterFor(std::uint32_t codePage) {
        if (!converter_ || converter_->codePage() != codePage)
            openConverter(codePage);
        return *converter_;
    }
    void openConverter(std::uint32_t codePage);

    unsigned char pending_[kMaxPending + 1] = {};  // pending bytes and a terminating zero
    std::uint16_t pendingCount_ = 0;
    std::uint32_t hexColumn_ = 0;
    std::unique_ptr<MultiByteConverter> converter_;  // for the last code page used
    char16_t batch_[kBatch];
    std::size_t batchCount_ = 0;
};

}  // namespace omni::stream
