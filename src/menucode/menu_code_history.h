// QR menu codes: the command history of one menu-code page and the QR symbol built from it.
//
// The symbol always holds the envelope "@MENU_KEST@ZZ@" + token text + "ZZ@TSEK_UNEM@", where the
// token text is every token of every entry's command, each followed by "@". Every change to the
// history rebuilds and re-encodes it; when the tokens of an added command are refused or the
// encode fails, the previous symbol stays until the next successful rebuild. The Code 39 sheet
// draws the same history.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "commands/page_item.h"
#include "menucode/qr_code_image.h"
#include "resources/string_ids.h"

namespace omni::menucode {

inline constexpr std::string_view kMenuEnvelopeStart = "@MENU_KEST@ZZ@";
inline constexpr std::string_view kMenuEnvelopeEnd = "ZZ@TSEK_UNEM@";

inline constexpr std::size_t kMaxTokenText = 1022;  // characters of token text

// Why appendQrTokens refused a command.
enum class TokenError { None, TooLong, Unterminated, BracketAtEnd, TrailingCharacter };

// Splits a command into QR tokens (the QR envelope's rules of readToken) and appends each with
// "@" to `tokenText`. Refused when the token text would pass kMaxTokenText or the command is
// malformed; tokens appended before the refusal stay.
TokenError appendQrTokens(std::string& tokenText, std::string_view command);

// Outcome of a change to the history. Everything but Ok has a message in the user's words.
enum class HistoryStatus {
    Ok,           // the history changed and the symbol matches it
    NoTokens,     // the command has no tokens; nothing was added
    Full,         // the history already holds 256 entries; nothing was added
    TooLong,      // added, but the commands pass the QR menu code's limit; symbol not updated
    Malformed,    // added, but the command cannot be split into tokens; symbol not updated
    TooLarge,     // the text does not fit a QR Code symbol; symbol not updated
    NoSuchEntry,  // the index names no entry; nothing changed
};

// The message for a status (from the string table, current language); empty for Ok.
std::u16string historyMessage(HistoryStatus status);

// A menu-code page's command history: its entries, their token text and the QR symbol of the
// envelope.
class MenuCodeHistory {
public:
    static constexpr std::size_t kMaxEntries = 256;

    // Holds the empty envelope, modulePixels 3.
    MenuCodeHistory();

    // Appends a copy of `item` (refused when its count is 0 or the history is full).
    HistoryStatus addEntry(const commands::PageItem& item);
    // A command typed by the operator, labelled "Input command by user".
    HistoryStatus addTypedCommand(std::string_view command);
    HistoryStatus removeEntry(std::size_t index);
    HistoryStatus swapEntries(std::size_t i, std::size_t j);
    void clear();

    std::size_t size() const { return entries_.size(); }
    bool empty() const { return entries_.empty(); }
    const commands::PageItem& entry(std::size_t index) const { return entries_.at(index); }
    const std::vector<commands::PageItem>& entries() const { return entries_; }

    // False after a refused add or failed encode, until the next successful rebuild.
    bool symbolMatchesHistory() const { return symbolCurrent_; }

    const std::string& tokenText() const { return tokenText_; }
    const std::string& envelope() const { return envelope_; }
    const qr::QrSymbol& symbol() const { return symbol_; }
    // Modules per side of the symbol with its quiet zones.
    int sideModules() const { return QRCodeImage::sideModules(symbol_); }

    std::uint16_t modulePixels() const { return modulePixels_; }
    void setModulePixels(std::uint16_t pixels) { modulePixels_ = pixels ? pixels : 1; }
    // The symbol as a picture at modulePixels.
    QRCodeImage image() const { return QRCodeImage(symbol_, modulePixels_); }

private:
    // Builds the envelope from the token text and encodes it; false when it does not fit.
    bool rebuild();
    HistoryStatus rebuildAll();

    std::vector<commands::PageItem> entries_;
    std::string tokenText_;
    std::string envelope_;
    qr::QrEncoder encoder_;
    qr::QrSymbol symbol_;
    std::uint16_t modulePixels_ = 3;
    bool symbolCurrent_ = true;
};

}  // namespace omni::menucode
