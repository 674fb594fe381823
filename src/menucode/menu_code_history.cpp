#include "menucode/menu_code_history.h"

#include <iterator>

#include "commands/menu_command.h"
#include "resources/string_ids.h"
#include "resources/strings.h"

namespace omni::menucode {

TokenError appendQrTokens(std::string& tokenText, std::string_view command) {
    if (tokenText.size() + command.size() > kMaxTokenText)
        return TokenError::TooLong;
    std::size_t i = 0;
    while (i < command.size()) {
        commands::Token token;
        switch (commands::readToken(command, i, commands::kQrEnvelopeRules, token)) {
            case commands::TokenFault::None:
                break;
            case commands::TokenFault::Unterminated:
                return TokenError::Unterminated;
            case commands::TokenFault::BracketAtEnd:
                return TokenError::BracketAtEnd;
            case commands::TokenFault::Truncated:
                return TokenError::TrailingCharacter;
        }
        tokenText.append(command.substr(token.bodyBegin, token.end - token.bodyBegin));
        tokenText += '@';
        i = token.end;
    }
    return TokenError::None;
}

bool MenuCodeHistory::rebuild() {
    std::string text;
    text.reserve(kMenuEnvelopeStart.size() + tokenText_.size() + kMenuEnvelopeEnd.size());
    text.append(kMenuEnvelopeStart).append(tokenText_).append(kMenuEnvelopeEnd);
    auto symbol = encoder_.encode(text);
    if (!symbol)
        return false;
    symbol_ = std::move(*symbol);
    envelope_ = std::move(text);
    return true;
}

std::u16string historyMessage(HistoryStatus status) {
    // By HistoryStatus, in its order.
    static constexpr std::uint32_t kMessages[] = {
        0,
        res::ids::HistoryNoTokens,
        res::ids::HistoryFull,
        res::ids::HistoryTooLong,
        res::ids::HistoryMalformed,
        res::ids::HistoryTooLarge,
        res::ids::HistoryNoSuchEntry,
    };
    static_assert(std::size(kMessages) == static_cast<std::size_t>(HistoryStatus::NoSuchEntry) + 1);
    if (status == HistoryStatus::Ok)
        return {};
    return std::u16string(res::loadString(kMessages[static_cast<std::size_t>(status)]));
}

MenuCodeHistory::MenuCodeHistory() {
    entries_.reserve(kMaxEntries);
    rebuild();
}

HistoryStatus MenuCodeHistory::addEntry(const commands::PageItem& item) {
    if (item.count == 0)
        return HistoryStatus::NoTokens;
    if (entries_.size() >= kMaxEntries)
        return HistoryStatus::Full;
    entries_.push_back(item);
    if (const TokenError error = appendQrTokens(tokenText_, item.bytes);
        error != TokenError::None) {
        symbolCurrent_ = false;
        return error == TokenError::TooLong ? HistoryStatus::TooLong : HistoryStatus::Malformed;
    }
    if (!rebuild()) {
        symbolCurrent_ = false;
        return HistoryStatus::TooLarge;
    }
    symbolCurrent_ = true;
    return HistoryStatus::Ok;
}

HistoryStatus MenuCodeHistory::addTypedCommand(std::string_view command) {
    return addEntry(commands::makePageItem(command, res::loadString(res::ids::TypedCommandLabel),
                                           commands::countTokens(command)));
}

HistoryStatus MenuCodeHistory::removeEntry(std::size_t index) {
    if (index >= entries_.size())
        return HistoryStatus::NoSuchEntry;
    entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(index));
    return rebuildAll();
}

HistoryStatus MenuCodeHistory::swapEntries(std::size_t i, std::size_t j) {
    if (i >= entries_.size() || j >= entries_.size())
        return HistoryStatus::NoSuchEntry;
    std::swap(entries_[i], entries_[j]);
    return rebuildAll();
}

void MenuCodeHistory::clear() {
    entries_.clear();
    rebuildAll();
}

// Re-tokenizes every entry in order (refusals leave what was appended) and re-encodes.
HistoryStatus MenuCodeHistory::rebuildAll() {
    tokenText_.clear();
    for (const commands::PageItem& item : entries_)
        appendQrTokens(tokenText_, item.bytes);
    symbolCurrent_ = rebuild();
    return symbolCurrent_ ? HistoryStatus::Ok : HistoryStatus::TooLarge;
}

}  // namespace omni::menucode
