// The small character stages of the communication log: widening bytes to UTF-16 units, making
// control characters visible and normalising line ends. Each forwards to a target it does not
// own; none is thread-safe (a log chain's front is fed by one producer at a time).
#pragma once

#include <cstddef>
#include <string_view>

#include "stream/stream.h"

namespace omni::stream {

// Turns bytes into text for an OutputStream<char16_t>; subclasses decide how.
class CharToWCharStream : public OutputStream<char> {
public:
    OutputStream<char16_t>* target() const { return target_; }
    void setTarget(OutputStream<char16_t>* target) { target_ = target; }

protected:
    explicit CharToWCharStream(OutputStream<char16_t>* target = nullptr) : target_(target) {}
    OutputStream<char16_t>* target_;
};

// A stage that passes text on to a target of UTF-16 units it does not own.
template <typename In>
class TextStage : public OutputStream<In> {
public:
    explicit TextStage(OutputStream<char16_t>* target = nullptr) : target_(target) {}
    void setTarget(OutputStream<char16_t>* target) { target_ = target; }
    void flush() override { target_->flush(); }

protected:
    OutputStream<char16_t>* target_;
};

// The unit a byte becomes when it is shown as itself: sign extension, so 0x80 to 0xFF become
// U+FF80 to U+FFFF.
constexpr char16_t widenBySignExtension(char byte) {
    return static_cast<char16_t>(static_cast<signed char>(byte));
}

// For text known to be ASCII: each byte is widened by sign extension.
class CharToWCharStreamOnlyASCII : public TextStage<char> {
public:
    using TextStage::TextStage;

    void write(const char* data, std::size_t count) override;
    void put(const char* item) override;
};

// Shows control characters by name: 0 to 31 (except LF and CR) as "[NUL]" ... "[US]", with 12
// as "[NP]" and TAB as "[HT]"; DEL as "[DEL]". Everything else passes unchanged.
class VisibleASCIIStream : public TextStage<char16_t> {
public:
    using TextStage::TextStage;

    void write(const char16_t* data, std::size_t count) override;
    void put(const char16_t* item) override;

    // The name shown for `c` (a control character or DEL), or an empty view when `c` passes
    // unchanged.
    static std::u16string_view nameOf(char16_t c);
};

// Makes every line end CR LF: CR, LF and CR LF each become one CR LF; CR CR gives two.
class CrOrLfToCrLfOutputStreamW : public TextStage<char16_t> {
public:
    using TextStage::TextStage;

    void write(const char16_t* data, std::size_t count) override;
    void put(const char16_t* item) override;

    // True before any text and right after a line end.
    bool atLineStart() const { return atLineStart_; }

private:
    bool lastWasCr_ = false;
    bool atLineStart_ = true;
};

}  // namespace omni::stream
