#include "menucode/menu_qr_code_image.h"

#include "commands/menu_command.h"
#include "resources/string_ids.h"
#include "resources/strings.h"

namespace omni {

namespace {

constexpr std::string_view kEmptyEnvelope = "@MENU_KEST@ZZ@ZZ@TSEK_UNEM@";

}  // namespace

bool MenuQRCodeImage::appendTokens(std::string_view command) {
    if (tokenText_.size() + command.size() > kMaxTokenText) {
        lastTokenError_ = TokenError::TooLong;
        return false;
    }
    std::size_t i = 0;
    while (i < command.size()) {
        Token token;
        switch (readToken(command, i, kQrEnvelopeRules, token)) {
            case TokenFault::None:
                break;
            case TokenFault::Unterminated:
                lastTokenError_ = TokenError::Unterminated;
                return false;
            case TokenFault::BracketAtEnd:
                lastTokenError_ = TokenError::BracketAtEnd;
                return false;
            case TokenFault::Truncated:
                lastTokenError_ = TokenError::TrailingCharacter;
                return false;
        }
        tokenText_.append(command.substr(token.bodyBegin, token.end - token.bodyBegin));
        tokenText_ += '@';
        i = token.end;
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
