// Syntax of the reader's menu commands: tokens, numeric and byte arguments, prefix/suffix
// sequences.
//
// A menu command is a run of tokens without separators (2D readers) or with a carriage return
// after each token that must become its own Code 39 menu code (1D readers). A token's length
// follows from its first character:
//   '['  4 characters   "[BAP", "[X.Z", "[$0D"
//   ']'  5 characters   "]BCMA", "]PC01"
//   '{'  6 characters
//   '\'' a quoted literal up to and including its closing apostrophe ("''" inside is one ')
//   else 2 characters   "A0", "*$", "+K", "Q7"
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace omni::commands {

inline constexpr char kCarriageReturn = '\r';

// Where the media read tokens differently. One tokenizer (readToken) serves all three:
//   counting        quoted literals; any token cut short by the end makes the command malformed.
//   QR envelope     quoted literals; a lone trailing "B", "E", "L", "Y" or "Z" is a token of
//                   its own (also right after a bracket); the bracket itself is not sent.
//   Code 39 sheet   no quoted literals ("'" starts a 2-character token); carriage returns and
//                   spaces between tokens are skipped; a token cut short is drawn as far as it
//                   goes, and a lone bracket at the end draws nothing.
struct TokenRules {
    bool quotedLiterals = true;
    bool loneTrailingLetter = false;
    bool skipSeparators = false;
    bool keepTruncated = false;
};
inline constexpr TokenRules kCountingRules{};
inline constexpr TokenRules kQrEnvelopeRules{.loneTrailingLetter = true};
inline constexpr TokenRules kCode39SheetRules{
    .quotedLiterals = false, .skipSeparators = true, .keepTruncated = true};

// A token read from a command: the whole token is [begin, end); its body, without a leading
// bracket, is [bodyBegin, end).
struct Token {
    std::size_t begin = 0;
    std::size_t bodyBegin = 0;
    std::size_t end = 0;
};

enum class TokenFault {
    None,
    Unterminated,  // a quoted literal without its closing apostrophe
    BracketAtEnd,  // a bracket as the command's last character
    Truncated,     // the command ends inside the token
};

// Reads the token that starts at `text[at]` (at < text.size()) under `rules`.
TokenFault readToken(std::string_view text, std::size_t at, const TokenRules& rules, Token& token);

// Length of the token at the start of `text`, or 0 when `text` is empty or the token runs past
// its end (a lone bracket, an unterminated literal, a truncated token).
std::size_t tokenLength(std::string_view text);

// Number of tokens in `bytes`; 0 for an empty or malformed string (a token that runs past the
// end). A one-character command such as "Z" therefore counts 0.
std::uint32_t countTokens(std::string_view bytes);

// A key body written as a token: "[" before a 3-character body, "]" before a 4-character body,
// any other body as it stands.
std::string bracketBody(std::string_view body);

// `digits` digit tokens "Q0".."Q9" for `value`, most significant first, zero-padded; in 1D mode
// each token is followed by a carriage return. Digits above the width are dropped.
std::string digitTokens(unsigned value, unsigned digits, bool mode2D);

// What the number input returned.
struct NumberChoice {
    enum class Kind { Value, Initialize, Inhibit };
    Kind kind = Kind::Value;
    int value = 0;  // used with Kind::Value
};

// A decimal argument (kind 2): Initialize gives the base command alone; Inhibit composes the
// value 0; a value is clamped to minValue..maxValue and appended as `digits` digit tokens,
// preceded in 1D mode by a carriage return after the base command.
std::string composeDecimalArgument(std::string_view command, int minValue, int maxValue,
                                   unsigned digits, NumberChoice choice, bool mode2D);

// A byte argument (kind 4): the value clamped to minValue..maxValue, appended as
// CR "[$hh" CR (two upper-case hexadecimal digits).
std::string composeByteArgument(std::string_view command, int minValue, int maxValue, int value);

// Key slots of a prefix/suffix group: key bodies as the key table stores them; an empty body
// (an empty slot or a heading row) adds nothing.
using KeySlots = std::span<const std::string_view>;

inline constexpr std::size_t kCommonKeySlots = 8;  // per common prefix or suffix
inline constexpr std::size_t kCodeKeySlots = 4;    // per code-specific prefix or suffix

// Common prefix and suffix: "MZ", up to 8 prefix keys, "PS", up to 8 suffix keys. Slots past the
// limit are ignored. In 1D mode every piece is followed by a carriage return.
std::string composeCommonPrefixSuffix(KeySlots prefixKeys, KeySlots suffixKeys, bool mode2D);

// Code-specific prefix and suffix: the code type's prefix command, up to 4 keys, its suffix
// command, up to 4 keys. A code type without a prefix command (a heading row) gives "".
std::string composeCodePrefixSuffix(const char* prefixCommand, const char* suffixCommand,
                                    KeySlots prefixKeys, KeySlots suffixKeys, bool mode2D);

}  // namespace omni::commands
