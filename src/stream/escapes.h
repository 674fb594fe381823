// Backslash escapes in typed text, as the CLI's command arguments take them.
#pragma once

#include <string>
#include <string_view>

namespace omni::stream {

// The value of a hex digit, or -1 for any other character.
inline int hexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Turns "\r", "\n", "\t", "\\" and "\xHH" into the byte each names. Any other backslash, and a
// "\x" without two hex digits, stays as it stands.
inline std::string unescape(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 >= text.size()) {
            out += text[i];
            continue;
        }
        const char next = text[++i];
        switch (next) {
            case 'r':
                out += '\r';
                break;
            case 'n':
                out += '\n';
                break;
            case 't':
                out += '\t';
                break;
            case '\\':
                out += '\\';
                break;
            case 'x':
                if (i + 2 < text.size() && hexDigit(text[i + 1]) >= 0 &&
                    hexDigit(text[i + 2]) >= 0) {
                    out += static_cast<char>(hexDigit(text[i + 1]) * 16 + hexDigit(text[i + 2]));
                    i += 2;
                    break;
                }
                [[fallthrough]];
            default:
                out += '\\';
                out += next;
                break;
        }
    }
    return out;
}

}  // namespace omni::stream
