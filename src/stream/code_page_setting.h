// The current code page: the process-wide pair the communication log converts received bytes
// by. The code-page list selects it; every log chain reads it for each byte.
//
// Thread-safe: the pair is one atomic value, so a reader always sees a flag and a number that
// were set together.
#pragma once

#include <cstdint>

namespace omni::stream {

// Special code-page numbers.
inline constexpr std::uint32_t kDefaultCodePage = 0;  // the user's locale encoding
inline constexpr std::uint32_t kUtf16LeCodePage = 1200;
inline constexpr std::uint32_t kUtf16BeCodePage = 1201;
inline constexpr std::uint32_t kHexCodePage = 0xFFFFFFFFu;  // "Binary Data": hexadecimal

struct CodePageSetting {
    // Set: bytes go through the system conversion of `codePage`. Clear: `codePage` is UTF-16 of
    // either byte order or kHexCodePage.
    bool multiByte = true;
    std::uint32_t codePage = kDefaultCodePage;

    friend bool operator==(const CodePageSetting&, const CodePageSetting&) = default;
};

CodePageSetting currentCodePageSetting();
void setCurrentCodePageSetting(CodePageSetting setting);

}  // namespace omni::stream
