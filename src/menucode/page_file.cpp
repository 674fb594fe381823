#include "menucode/page_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <optional>
#include <system_error>

#include "commands/menu_command.h"
#include "foundation/atomic_file.h"
#include "foundation/exception.h"
#include "menucode/menu_code_history.h"
#include "resources/string_ids.h"
#include "resources/strings.h"
#include "stream/escapes.h"

namespace omni::menucode {
namespace {

namespace ids = res::ids;

constexpr char kHex[] = "0123456789ABCDEF";

void appendHexEscape(std::string& out, unsigned value) {
    out += "\\x";
    out += kHex[(value >> 4) & 0xF];
    out += kHex[value & 0xF];
}

// The short escape of a character, or 0 when it has none.
char shortEscape(char32_t c) {
    switch (c) {
        case '\\':
            return '\\';
        case '\t':
            return 't';
        case '\r':
            return 'r';
        case '\n':
            return 'n';
        default:
            return 0;
    }
}

// Undoes the escapes of one field. On a bad escape returns nullopt and puts the offending
// sequence in `bad`.
std::optional<std::string> unescape(std::string_view field, std::string& bad) {
    std::string out;
    out.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] != '\\') {
            out += field[i];
            continue;
        }
        const char next = i + 1 < field.size() ? field[i + 1] : '\0';
        switch (next) {
            case '\\':
                out += '\\';
                ++i;
                continue;
            case 't':
                out += '\t';
                ++i;
                continue;
            case 'r':
                out += '\r';
                ++i;
                continue;
            case 'n':
                out += '\n';
                ++i;
                continue;
            case 'x': {
                const int high = i + 2 < field.size() ? stream::hexDigit(field[i + 2]) : -1;
                const int low = i + 3 < field.size() ? stream::hexDigit(field[i + 3]) : -1;
                if (high >= 0 && low >= 0) {
                    out += static_cast<char>(high * 16 + low);
                    i += 3;
                    continue;
                }
                bad = std::string(field.substr(i, 4));
                return std::nullopt;
            }
            default:
                bad = std::string(field.substr(i, 2));
                return std::nullopt;
        }
    }
    return out;
}

// Strict UTF-8 to UTF-16 (no overlong forms, no surrogates, nothing past U+10FFFF).
std::optional<std::u16string> decodeUtf8(std::string_view text) {
    std::u16string out;
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        int extra = 0;
        char32_t c = 0;
        if (lead < 0x80) {
            c = lead;
        } else if ((lead & 0xE0) == 0xC0) {
            extra = 1, c = lead & 0x1F;
        } else if ((lead & 0xF0) == 0xE0) {
            extra = 2, c = lead & 0x0F;
        } else if ((lead & 0xF8) == 0xF0) {
            extra = 3, c = lead & 0x07;
        } else {
            return std::nullopt;
        }
        if (i + static_cast<std::size_t>(extra) >= text.size())
            return std::nullopt;
        for (int k = 1; k <= extra; ++k) {
            const auto b = static_cast<unsigned char>(text[i + k]);
            if ((b & 0xC0) != 0x80)
                return std::nullopt;
            c = (c << 6) | (b & 0x3F);
        }
        constexpr char32_t kMinimum[] = {0, 0x80, 0x800, 0x10000};
        if (c < kMinimum[extra] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
            return std::nullopt;
        if (c >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(c);
        }
        i += static_cast<std::size_t>(extra) + 1;
    }
    return out;
}

[[noreturn]] void refuse(std::u16string message) {
    throw foundation::UserException(foundation::UserException::BadInput, std::move(message));
}

std::u16string number(std::size_t value) {
    return res::fromUtf8(std::to_string(value));
}

// The header line: "OMNIPAGE <version> <1D|2D>". Returns the mode (true for 2D).
bool readHeader(std::string_view line) {
    std::vector<std::string_view> words;
    while (!line.empty()) {
        const auto start = line.find_first_not_of(" \t");
        if (start == std::string_view::npos)
            break;
        line.remove_prefix(start);
        const auto end = line.find_first_of(" \t");
        words.push_back(line.substr(0, end));
        line.remove_prefix(end == std::string_view::npos ? line.size() : end);
    }
    if (words.size() < 3 || words[0] != kPageFileMagic)
        refuse(res::format(ids::PageFileNotPageFile, {}));
    int version = 0;
    const auto [end, error] =
        std::from_chars(words[1].data(), words[1].data() + words[1].size(), version);
    if (error != std::errc{} || end != words[1].data() + words[1].size() || version < 0)
        refuse(res::format(ids::PageFileNotPageFile, {}));
    if (version != kPageFileVersion)
        refuse(res::format(ids::PageFileUnknownVersion,
                           {res::fromUtf8(words[1]), number(kPageFileVersion)}));
    if (words[2] == "2D" || words[2] == "2d")
        return true;
    if (words[2] == "1D" || words[2] == "1d")
        return false;
    refuse(res::format(ids::PageFileBadMode, {res::fromUtf8(words[2])}));
}

// One entry line; nullopt with `problem` set when it cannot be read.
std::optional<commands::PageItem> readEntry(std::string_view line, bool mode2D,
                                            std::u16string& problem) {
    const auto tab = line.find('\t');
    if (tab == std::string_view::npos) {
        problem = res::format(ids::PageFileNoTab, {});
        return std::nullopt;
    }
    std::string bad;
    const auto bytes = unescape(line.substr(0, tab), bad);
    const auto labelBytes = bytes ? unescape(line.substr(tab + 1), bad) : std::nullopt;
    if (!bytes || !labelBytes) {
        problem = res::format(ids::PageFileBadEscape, {res::fromUtf8(bad)});
        return std::nullopt;
    }
    if (bytes->empty()) {
        problem = res::format(ids::PageFileEmptyCommand, {});
        return std::nullopt;
    }
    if (bytes->size() > commands::PageItem::kMaxBytes) {
        problem = res::format(ids::PageFileCommandTooLong, {number(commands::PageItem::kMaxBytes)});
        return std::nullopt;
    }
    const auto label = decodeUtf8(*labelBytes);
    if (!label) {
        problem = res::format(ids::PageFileBadUtf8, {});
        return std::nullopt;
    }
    if (label->size() > commands::PageItem::kMaxLabel) {
        problem = res::format(ids::PageFileLabelTooLong, {number(commands::PageItem::kMaxLabel)});
        return std::nullopt;
    }
    // Counted as the selector counts them. A 1D page keeps pieces the menu-command syntax does
    // not split (they are one code each on the sheet), as the selector does for later pieces.
    std::uint32_t count = commands::countTokens(*bytes);
    if (count == 0 && !mode2D)
        count = 1;
    if (count == 0) {
        problem = res::format(ids::PageFileNoTokens, {});
        return std::nullopt;
    }
    return commands::makePageItem(*bytes, *label, count);
}

std::u16string errnoText(int error) {
    return res::fromUtf8(std::generic_category().message(error));
}

}  // namespace

std::u16string describe(const PageFileProblem& problem) {
    return res::format(ids::PageFileLineProblem, {number(problem.line), problem.message});
}

std::string escapeCommand(std::string_view bytes) {
    std::string out;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (const char e = shortEscape(b)) {
            out += '\\';
            out += e;
        } else if (b < 0x20 || b >= 0x7F || (i == 0 && b == '#')) {
            appendHexEscape(out, b);
        } else {
            out += static_cast<char>(b);
        }
    }
    return out;
}

std::string escapeLabel(std::u16string_view label) {
    std::string out;
    std::size_t run = 0;  // start of the characters not yet written
    for (std::size_t i = 0; i <= label.size(); ++i) {
        const char16_t c = i < label.size() ? label[i] : u'\0';
        const char e = shortEscape(c);
        if (i < label.size() && !e && c >= 0x20 && c != 0x7F)
            continue;
        // Runs are converted whole so that surrogate pairs stay together.
        out += res::toUtf8(label.substr(run, i - run));
        run = i + 1;
        if (i == label.size())
            break;
        if (e) {
            out += '\\';
            out += e;
        } else {
            appendHexEscape(out, c);
        }
    }
    return out;
}

std::string formatPageFile(const PageFile& page) {
    std::string text(kPageFileMagic);
    text += ' ' + std::to_string(kPageFileVersion) + (page.mode2D ? " 2D\n" : " 1D\n");
    for (const commands::PageItem& item : page.items) {
        text += escapeCommand(item.bytes);
        text += '\t';
        text += escapeLabel(item.label);
        text += '\n';
    }
    return text;
}

PageFileContents parsePageFile(std::string_view text) {
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    PageFileContents contents;
    std::size_t lineNumber = 0;
    bool full = false;
    while (!text.empty() || lineNumber == 0) {
        const auto end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        if (++lineNumber == 1) {
            contents.page.mode2D = readHeader(line);
            continue;
        }
        if (line.empty() || line.front() == '#' || full)
            continue;
        std::u16string problem;
        constexpr std::size_t kMaxEntries = MenuCodeHistory::kMaxEntries;
        if (contents.page.items.size() == kMaxEntries) {
            // Said once; the lines after it are not read.
            problem = res::format(ids::PageFileTooManyEntries, {number(kMaxEntries)});
            full = true;
        } else if (auto item = readEntry(line, contents.page.mode2D, problem)) {
            contents.page.items.push_back(std::move(*item));
            continue;
        }
        contents.problems.push_back({lineNumber, std::move(problem)});
    }
    return contents;
}

PageFileContents readPageFile(const std::filesystem::path& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        refuse(
            res::format(ids::PageFileCannotRead, {res::fromUtf8(path.string()), errnoText(error)}));
    }
    std::string text;
    char buffer[8192];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n > 0) {
            text.append(buffer, static_cast<std::size_t>(n));
            // Far beyond any page (256 entries of at most ~5 KB escaped each).
            if (text.size() <= (std::size_t{4} << 20))
                continue;
            ::close(fd);
            refuse(res::format(ids::PageFileNotPageFile, {}));
        }
        if (n == 0)
            break;
        if (errno == EINTR)
            continue;
        const int error = errno;
        ::close(fd);
        refuse(
            res::format(ids::PageFileCannotRead, {res::fromUtf8(path.string()), errnoText(error)}));
    }
    ::close(fd);
    return parsePageFile(text);
}

void writePageFile(const PageFile& page, const std::filesystem::path& path) {
    try {
        foundation::writeFileAtomically(path, formatPageFile(page));
    } catch (const foundation::SystemException& e) {
        // Not bad input: the file system refused (full, no permission), as for any other file.
        throw foundation::UserException(
            foundation::UserException::Refused,
            res::format(ids::PageFileCannotWrite,
                        {res::fromUtf8(path.string()), errnoText(e.errorCode())}));
    }
}

}  // namespace omni::menucode
