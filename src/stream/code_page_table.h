// The Windows code pages this program can convert from, keyed by their numbers, with the C
// library's converter name and the name the code-page list shows.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace omni::stream {

struct CodePageInfo {
    std::uint32_t number;      // Windows code-page number
    const char* iconvName;     // converter name of the C library
    std::u16string_view name;  // name shown in the code-page list
};

// Every known code page, ordered by number. Whether the C library really has a converter for
// one is known only at run time (isCodePageConvertible).
std::span<const CodePageInfo> knownCodePages();

// The row for `number`, or null.
const CodePageInfo* findCodePage(std::uint32_t number);

}  // namespace omni::stream
