#include "resources/strings.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <span>

#include "resources/string_table.h"

namespace omni::res {
namespace {

Language languageFromEnvironment() {
    if (const char* forced = std::getenv("OMNISETUP_LANG")) {
        if (std::strncmp(forced, "ja", 2) == 0)
            return Language::Japanese;
        if (std::strncmp(forced, "en", 2) == 0)
            return Language::English;
    }
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value && *value)
            return std::strncmp(value, "ja", 2) == 0 ? Language::Japanese : Language::English;
    }
    return Language::English;
}

std::atomic<int>& languageSlot() {
    static std::atomic<int> slot{static_cast<int>(languageFromEnvironment())};
    return slot;
}

const StringRow* findRow(std::uint32_t id) {
    const StringRow* end = kStringRows + kStringRowCount;
    const StringRow* row = std::lower_bound(
        kStringRows, end, id, [](const StringRow& r, std::uint32_t key) { return r.id < key; });
    return (row != end && row->id == id && row->english) ? row : nullptr;
}

}  // namespace

Language currentLanguage() {
    return static_cast<Language>(languageSlot().load());
}

void setLanguage(Language language) {
    languageSlot().store(static_cast<int>(language));
}

std::u16string_view loadString(std::uint32_t id) {
    return loadString(id, currentLanguage());
}

std::u16string_view loadString(std::uint32_t id, Language language) {
    const StringRow* row = findRow(id);
    if (!row)
        return {};
    if (language == Language::Japanese && row->japanese)
        return row->japanese;
    return row->english;
}

bool hasString(std::uint32_t id) {
    return findRow(id) != nullptr;
}

std::string loadStringUtf8(std::uint32_t id) {
    return toUtf8(loadString(id));
}

std::string toUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
        } else if (c >= 0xD800 && c < 0xE000) {
            c = 0xFFFD;
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::u16string fromUtf8(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        unsigned char b = static_cast<unsigned char>(text[i]);
        char32_t c = 0xFFFD;
        std::size_t len = 1;
        if (b < 0x80) {
            c = b;
        } else if ((b & 0xE0) == 0xC0) {
            len = 2;
        } else if ((b & 0xF0) == 0xE0) {
            len = 3;
        } else if ((b & 0xF8) == 0xF0) {
            len = 4;
        }
        if (len > 1) {
            if (i + len > text.size()) {
                len = 1;
            } else {
                c = b & (0x3F >> (len - 1));
                for (std::size_t k = 1; k < len; ++k) {
                    unsigned char t = static_cast<unsigned char>(text[i + k]);
                    if ((t & 0xC0) != 0x80) {
                        c = 0xFFFD;
                        len = k;
                        break;
                    }
                    c = (c << 6) | (t & 0x3F);
                }
            }
        }
        if (c >= 0x10000 && c <= 0x10FFFF) {
            c -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (c >> 10));
            out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
        } else {
            out += static_cast<char16_t>(c > 0x10FFFF ? 0xFFFD : c);
        }
        i += len;
    }
    return out;
}

namespace {

// Fills %1..%9 of `pattern` from `args`; shared by both character widths.
template <typename Char, typename View>
std::basic_string<Char> fillPlaceholders(std::basic_string_view<Char> pattern,
                                         std::span<const View> args) {
    std::basic_string<Char> out;
    out.reserve(pattern.size());
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        Char c = pattern[i];
        if (c == Char('%') && i + 1 < pattern.size()) {
            Char next = pattern[i + 1];
            if (next == Char('%')) {
                out += c;
                ++i;
                continue;
            }
            if (next >= Char('1') && next <= Char('9')) {
                auto index = static_cast<std::size_t>(next - Char('1'));
                if (index < args.size()) {
                    out += args[index];
                    ++i;
                    continue;
                }
            }
        }
        out += c;
    }
    return out;
}

}  // namespace

std::u16string format(std::uint32_t id, std::initializer_list<std::u16string_view> args) {
    return format(id, std::span<const std::u16string_view>(args.begin(), args.size()));
}

std::u16string format(std::uint32_t id, std::span<const std::u16string_view> args) {
    return fillPlaceholders<char16_t>(loadString(id), args);
}

std::u16string formatText(std::u16string_view pattern,
                          std::initializer_list<std::u16string_view> args) {
    return fillPlaceholders<char16_t>(
        pattern, std::span<const std::u16string_view>(args.begin(), args.size()));
}

std::u16string format(std::uint32_t id, Language language,
                      std::initializer_list<std::u16string_view> args) {
    return fillPlaceholders<char16_t>(
        loadString(id, language), std::span<const std::u16string_view>(args.begin(), args.size()));
}

std::string formatUtf8(std::uint32_t id, std::initializer_list<std::string_view> args) {
    std::string pattern = loadStringUtf8(id);
    return fillPlaceholders<char>(std::string_view(pattern),
                                  std::span<const std::string_view>(args.begin(), args.size()));
}

}  // namespace omni::res
