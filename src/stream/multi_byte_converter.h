// Conversion of short byte sequences to UTF-16 by Windows code-page number, through the C
// library's iconv.
//
// The conversion is all or nothing, as the log needs it: a sequence that holds an invalid byte,
// ends inside a character, or makes no character at all converts to nothing. Each call starts
// from the initial shift state.
//
// One converter belongs to one thread at a time (it keeps an iconv descriptor and caches).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace omni::stream {

class MultiByteConverter {
public:
    static constexpr std::size_t kMaxInput = 4;
    static constexpr std::size_t kMaxOutput = 8;

    // Code page 0 is the user's locale encoding. A code page the C library cannot convert
    // gives a converter that converts nothing (isValid() is false).
    explicit MultiByteConverter(std::uint32_t codePage);
    ~MultiByteConverter();
    MultiByteConverter(const MultiByteConverter&) = delete;
    MultiByteConverter& operator=(const MultiByteConverter&) = delete;

    std::uint32_t codePage() const { return codePage_; }
    bool isValid() const { return valid_; }

    // Converts `count` bytes (1 to kMaxInput) into `out`. Returns the number of UTF-16 units
    // made, or 0 when the bytes do not make whole characters.
    std::size_t convert(const unsigned char* bytes, std::size_t count, char16_t out[kMaxOutput]);

    // The same for one byte, from a table made when the converter was opened.
    std::size_t convertOne(unsigned char byte, char16_t out[kMaxOutput]) const {
        const Short& s = single_[byte];
        out[0] = s.units[0];
        out[1] = s.units[1];
        return s.count;
    }

private:
    // What one or two bytes convert to; `count` 0 means nothing.
    struct Short {
        std::uint8_t count = 0;
        bool known = false;  // false: more than two units, asked of the library each time
        char16_t units[2] = {};
    };
    using Row = std::array<Short, 256>;

    std::size_t convertWithLibrary(const unsigned char* bytes, std::size_t count,
                                   char16_t out[kMaxOutput]);
    const Row& rowFor(unsigned char lead);

    std::uint32_t codePage_;
    bool valid_ = false;
    void* descriptor_ = nullptr;  // iconv_t
    Short single_[256];           // every byte on its own
    // Two-byte results by lead byte, filled on first use of a lead byte that alone makes
    // nothing.
    std::unique_ptr<Row> pairs_[256];
};

// The converter name of "Default character code": the user's locale encoding (e.g. "UTF-8",
// "EUC-JP"). The C/POSIX locale, whose ASCII would leave every byte above 127 unshown, means
// Windows-1252 ("CP1252"), where every byte is a character.
std::string localeEncodingName();

// True when the C library can convert from `codePage` (0: the locale encoding).
bool isCodePageConvertible(std::uint32_t codePage);

}  // namespace omni::stream
