#include "stream/multi_byte_converter.h"

#include <iconv.h>
#include <langinfo.h>
#include <locale.h>

#include <algorithm>
#include <cerrno>

#include "stream/code_page_table.h"

namespace omni::stream {
namespace {

const iconv_t kFailed = reinterpret_cast<iconv_t>(-1);

std::string converterName(std::uint32_t codePage) {
    if (codePage == 0)
        return localeEncodingName();
    const CodePageInfo* info = findCodePage(codePage);
    return info != nullptr ? info->iconvName : std::string();
}

iconv_t openConverter(std::uint32_t codePage) {
    std::string name = converterName(codePage);
    if (name.empty())
        return kFailed;
    return iconv_open("UTF-16LE", name.c_str());
}

}  // namespace

std::string localeEncodingName() {
    // The environment's locale, without touching the process's global one.
    static constexpr const char* kPlainLocale = "CP1252";
    locale_t locale = newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(0));
    if (locale == static_cast<locale_t>(0))
        return kPlainLocale;
    std::string name = nl_langinfo_l(CODESET, locale);
    freelocale(locale);
    if (name.empty() || name == "ANSI_X3.4-1968" || name == "ASCII" || name == "US-ASCII")
        return kPlainLocale;
    return name;
}

bool isCodePageConvertible(std::uint32_t codePage) {
    iconv_t cd = openConverter(codePage);
    if (cd == kFailed)
        return false;
    iconv_close(cd);
    return true;
}

MultiByteConverter::MultiByteConverter(std::uint32_t codePage) : codePage_(codePage) {
    iconv_t cd = openConverter(codePage);
    if (cd == kFailed)
        return;
    descriptor_ = cd;
    valid_ = true;
    // The five bytes Windows-1252 leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) show as the C1
    // characters of the same value, as Windows shows them.
    const bool everyByteShown = converterName(codePage) == "CP1252";
    for (int b = 0; b < 256; ++b) {
        unsigned char byte = static_cast<unsigned char>(b);
        char16_t out[kMaxOutput];
        std::size_t n = convertWithLibrary(&byte, 1, out);
        if (n == 0 && everyByteShown) {
            out[0] = static_cast<char16_t>(b);
            n = 1;
        }
        if (n > 2)
            continue;  // not seen in practice; left to the library each time
        single_[b].count = static_cast<std::uint8_t>(n);
        single_[b].known = true;
        std::copy_n(out, n, single_[b].units);
    }
}

MultiByteConverter::~MultiByteConverter() {
    if (valid_)
        iconv_close(static_cast<iconv_t>(descriptor_));
}

std::size_t MultiByteConverter::convert(const unsigned char* bytes, std::size_t count,
                                        char16_t out[kMaxOutput]) {
    if (!valid_ || count == 0 || count > kMaxInput)
        return 0;
    if (count <= 2) {
        const Short& s = count == 1 ? single_[bytes[0]] : rowFor(bytes[0])[bytes[1]];
        if (s.known) {
            std::copy_n(s.units, s.count, out);
            return s.count;
        }
    }
    return convertWithLibrary(bytes, count, out);
}

const MultiByteConverter::Row& MultiByteConverter::rowFor(unsigned char lead) {
    std::unique_ptr<Row>& row = pairs_[lead];
    if (!row) {
        row = std::make_unique<Row>();
        unsigned char pair[2] = {lead, 0};
        for (int b = 0; b < 256; ++b) {
            pair[1] = static_cast<unsigned char>(b);
            char16_t out[kMaxOutput];
            std::size_t n = convertWithLibrary(pair, 2, out);
            if (n > 2)
                continue;
            (*row)[b].count = static_cast<std::uint8_t>(n);
            (*row)[b].known = true;
            std::copy_n(out, n, (*row)[b].units);
        }
    }
    return *row;
}

std::size_t MultiByteConverter::convertWithLibrary(const unsigned char* bytes, std::size_t count,
                                                   char16_t out[kMaxOutput]) {
    iconv_t cd = static_cast<iconv_t>(descriptor_);
    iconv(cd, nullptr, nullptr, nullptr, nullptr);  // initial shift state
    char input[kMaxInput];
    std::copy_n(bytes, count, input);
    char output[kMaxOutput * 2];
    char* in = input;
    char* outPtr = output;
    std::size_t inLeft = count;
    std::size_t outLeft = sizeof output;
    // Invalid bytes (EILSEQ), a sequence cut short (EINVAL) and no room all make nothing.
    if (iconv(cd, &in, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1))
        return 0;
    if (iconv(cd, nullptr, nullptr, &outPtr, &outLeft) == static_cast<std::size_t>(-1))
        return 0;
    std::size_t units = (sizeof output - outLeft) / 2;
    for (std::size_t i = 0; i < units; ++i) {
        out[i] = static_cast<char16_t>(static_cast<unsigned char>(output[2 * i]) |
                                       (static_cast<unsigned char>(output[2 * i + 1]) << 8));
    }
    return units;
}

}  // namespace omni::stream
