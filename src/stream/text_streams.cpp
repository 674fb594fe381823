#include "stream/text_streams.h"

#include <array>
#include <string_view>

namespace omni::stream {
namespace {

constexpr char16_t kLf = u'\n';
constexpr char16_t kCr = u'\r';
constexpr char16_t kDel = 0x7F;

// Names of the characters 0 to 31; LF and CR have none since they pass unchanged.
constexpr std::array<std::u16string_view, 32> kControlNames = {
    u"[NUL]", u"[SOH]", u"[STX]", u"[ETX]", u"[EOT]", u"[ENQ]", u"[ACK]", u"[BEL]",
    u"[BS]",  u"[HT]",  u"",      u"[VT]",  u"[NP]",  u"",      u"[SO]",  u"[SI]",
    u"[DLE]", u"[DC1]", u"[DC2]", u"[DC3]", u"[DC4]", u"[NAK]", u"[SYN]", u"[ETB]",
    u"[CAN]", u"[EM]",  u"[SUB]", u"[ESC]", u"[FS]",  u"[GS]",  u"[RS]",  u"[US]",
};
static_assert(kControlNames.size() == 32);

}  // namespace

void CharToWCharStreamOnlyASCII::write(const char* data, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i)
        put(data + i);
}

void CharToWCharStreamOnlyASCII::put(const char* item) {
    char16_t c = widenBySignExtension(*item);
    target_->put(&c);
}

std::u16string_view VisibleASCIIStream::nameOf(char16_t c) {
    if (c < kControlNames.size())
        return kControlNames[c];
    if (c == kDel)
        return u"[DEL]";
    return {};
}

void VisibleASCIIStream::write(const char16_t* data, std::size_t count) {
    // Runs of characters that pass unchanged go on in one write.
    std::size_t runStart = 0;
    for (std::size_t i = 0; i < count; ++i) {
        char16_t c = data[i];
        if (c >= 32 && c != kDel)
            continue;
        if (c == kLf || c == kCr)
            continue;
        if (i > runStart)
            target_->write(data + runStart, i - runStart);
        std::u16string_view name = nameOf(c);
        target_->write(name.data(), name.size());
        runStart = i + 1;
    }
    if (count > runStart)
        target_->write(data + runStart, count - runStart);
}

void VisibleASCIIStream::put(const char16_t* item) {
    write(item, 1);
}

void CrOrLfToCrLfOutputStreamW::write(const char16_t* data, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i)
        put(data + i);
}

void CrOrLfToCrLfOutputStreamW::put(const char16_t* item) {
    static constexpr char16_t kCrLf[2] = {kCr, kLf};
    switch (*item) {
        case kCr:
            target_->write(kCrLf, 2);
            lastWasCr_ = true;
            atLineStart_ = true;
            break;
        case kLf:
            if (!lastWasCr_)
                target_->write(kCrLf, 2);
            lastWasCr_ = false;
            atLineStart_ = true;
            break;
        default:
            target_->put(item);
            lastWasCr_ = false;
            atLineStart_ = false;
            break;
    }
}

}  // namespace omni::stream
