#include "menucode/menu_qr_code_image.h"

#include "commands/menu_command.h"
#include "resources/string_ids.h"
#include "resources/strings.h"

namespace omni {

namespace {

constexpr std::string_view kEmptyEnvelope = "@MENU_KEST@ZZ@ZZ@TSEK_UNEM@";

// A lone character at the end of a command may stand as a token of its own.
constexpr bool isSingleCharacterToken(char c) {
    return c == 'B' || c == 'E' || c == 'L' || c == 'Y' || c == 'Z';
}

}  // namespace

bool MenuQRCodeImage::appendTokens(std::string_view command) {
    if (tokenText_.size() + command.size() > kMaxTokenText) {
        lastTokenError_ = TokenError::TooLong;
        return false;
    }
    const std::size_t n = command.size();
    std::size_t i = 0;
    while (i < n) {
        std::size_t start = i, length = 0;
        const char c = command[i];
        if (c == '\'') {
            // A quoted literal runs to the next single apostrophe; '' inside stands for one.
            std::size_t j = i + 1;
            for (;;) {
                if (j >= n) {
                    lastTokenError_ = TokenError::Unterminated;
                    return false;
                }
                if (command[j] == '\'') {
                    if (j + 1 < n && command[j + 1] == '\'') {
                        j += 2;
                        continue;
                    }
                    break;
                }
                ++j;
            }
            length = j + 1 - i;
        } else if (c == '[' || c == ']' || c == '{') {
            start = i + 1;
            length = c == '[' ? 3 : c == ']' ? 4 : 5;
            if (start >= n) {
                lastTokenError_ = TokenError::BracketAtEnd;
                return false;
            }
        } else {
            length = 2;
        }
        if (start + length > n) {
            if (!isSingleCharacterToken(command[start])) {
                lastTokenError_ = TokenError::TrailingCharacter;
                return false;
            }
            length = 1;
        }
        tokenText_.append(command.substr(start, length));
        tokenText_ += '@';
        i = start + length;
    }
    lastTokenError_ = TokenError::None;
    return true;
}

bool MenuQRCodeImage::rebuild() {
    std::string text;
    text.reserve(kMenuEnvelopeStart.size() + tokenText_.size() + kMenuEnvelopeEnd.size());
    text.append(kMenuEnvelopeStart).append(tokenText_).append(kMenuEnvelopeEnd);
    if (!encode(text))
        return false;
    envelope_ = std::move(text);
    return true;
}

std::u16string historyMessage(HistoryStatus status) {
    std::uint32_t id = 0;
    switch (status) {
        case HistoryStatus::Ok:
            return {};
        case HistoryStatus::NoTokens:
            id = res::ids::HistoryNoTokens;
            break;
        case HistoryStatus::Full:
            id = res::ids::HistoryFull;
            break;
        case HistoryStatus::TooLong:
            id = res::ids::HistoryTooLong;
            break;
        case HistoryStatus::Malformed:
            id = res::ids::HistoryMalformed;
            break;
        case HistoryStatus::TooLarge:
            id = res::ids::HistoryTooLarge;
            break;
        case HistoryStatus::NoSuchEntry:
            id = res::ids::HistoryNoSuchEntry;
            break;
    }
    return std::u16string(res::loadString(id));
}

MenuQRCodeImageWithHistory::MenuQRCodeImageWithHistory() {
    entries_.reserve(kMaxEntries);
    setModulePixels(3);
    encode(kEmptyEnvelope);
    rebuild();
}

HistoryStatus MenuQRCodeImageWithHistory::addEntry(const PageItem& item) {
    if (item.count == 0)
        return HistoryStatus::NoTokens;
    if (entries_.size() >= kMaxEntries)
        return HistoryStatus::Full;
    entries_.push_back(item);
    if (!appendTokens(item.bytes)) {
        symbolCurrent_ = false;
        return lastTokenError() == TokenError::TooLong ? HistoryStatus::TooLong
                                                       : HistoryStatus::Malformed;
    }
    if (!rebuild()) {
        symbolCurrent_ = false;
        return HistoryStatus::TooLarge;
    }
    symbolCurrent_ = true;
    return HistoryStatus::Ok;
}

HistoryStatus MenuQRCodeImageWithHistory::addTypedCommand(std::string_view command) {
    return addEntry(
        makePageItem(command, res::loadString(res::ids::TypedCommandLabel), countTokens(command)));
}

HistoryStatus MenuQRCodeImageWithHistory::removeEntry(std::size_t index) {
    if (index >= entries_.size())
        return HistoryStatus::NoSuchEntry;
    entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(index));
    return rebuildAll();
}

HistoryStatus MenuQRCodeImageWithHistory::swapEntries(std::size_t i, std::size_t j) {
    if (i >= entries_.size() || j >= entries_.size())
        return HistoryStatus::NoSuchEntry;
    std::swap(entries_[i], entries_[j]);
    return rebuildAll();
}

void MenuQRCodeImageWithHistory::clear() {
    entries_.clear();
    rebuildAll();
}

// Re-tokenizes every entry in order (refusals leave what was appended) and re-encodes.
HistoryStatus MenuQRCodeImageWithHistory::rebuildAll() {
    clearTokens();
    for (const PageItem& item : entries_)
        appendTokens(item.bytes);
    symbolCurrent_ = rebuild();
    return symbolCurrent_ ? HistoryStatus::Ok : HistoryStatus::TooLarge;
}

}  // namespace omni
