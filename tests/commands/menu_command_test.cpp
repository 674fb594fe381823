#include "commands/menu_command.h"

#include <gtest/gtest.h>

#include <array>

namespace omni::commands {
namespace {

TEST(MenuCommand, TokenLengthFollowsTheFirstCharacter) {
    EXPECT_EQ(commands::tokenLength("[BAPxx"), 4u);
    EXPECT_EQ(commands::tokenLength("]BCMAxx"), 5u);
    EXPECT_EQ(commands::tokenLength("{ABCDEx"), 6u);
    EXPECT_EQ(commands::tokenLength("+Kxx"), 2u);
    EXPECT_EQ(commands::tokenLength("'it''s'xx"),
              7u);  // a doubled apostrophe stays inside the literal
    EXPECT_EQ(commands::tokenLength(""), 0u);
    EXPECT_EQ(commands::tokenLength("["), 0u);
    EXPECT_EQ(commands::tokenLength("'open"), 0u);
}

TEST(MenuCommand, CountsWellFormedStrings) {
    EXPECT_EQ(commands::countTokens("[X.ZU2[X.Z"), 3u);
    EXPECT_EQ(commands::countTokens("[EFAQ4Q2"), 3u);
    EXPECT_EQ(commands::countTokens("]BCMA"), 1u);
    EXPECT_EQ(commands::countTokens("'a''b'"), 1u);
    EXPECT_EQ(commands::countTokens("'x'B2"), 2u);
    EXPECT_EQ(commands::countTokens("[DC1Q8Q0Q0Q0"), 5u);
}

TEST(MenuCommand, MalformedOrEmptyStringsCountZero) {
    for (const char* text : {"", "Z", "[BC", "B2[", "]BCM", "{ABCD", "'unterminated", "A0B"})
        EXPECT_EQ(commands::countTokens(text), 0u) << text;
}

TEST(MenuCommand, BracketRuleForKeyBodies) {
    EXPECT_EQ(commands::bracketBody("DDX"), "[DDX");
    EXPECT_EQ(commands::bracketBody("F4AB"), "]F4AB");
    EXPECT_EQ(commands::bracketBody("Q0"), "Q0");
    EXPECT_EQ(commands::bracketBody("$EB"), "[$EB");
    EXPECT_EQ(commands::bracketBody("ABCDE"), "ABCDE");
}

// composeDecimalArgument(base, minimum, maximum, digits, choice, mode2D) and what it gives.
struct DecimalCase {
    const char* base;
    int minimum;
    int maximum;
    unsigned digits;
    commands::NumberChoice choice;
    const char* composed;
};

void expectDecimals(std::initializer_list<DecimalCase> cases, bool mode2D) {
    for (const DecimalCase& c : cases) {
        EXPECT_EQ(commands::composeDecimalArgument(c.base, c.minimum, c.maximum, c.digits, c.choice,
                                                   mode2D),
                  c.composed)
            << c.base << " " << c.choice.value;
    }
}

using K = commands::NumberChoice::Kind;

TEST(MenuCommand, DecimalArgumentIn2DMode) {
    expectDecimals({{"[DC1", 0, 8000, 4, {K::Value, 25}, "[DC1Q0Q0Q2Q5"},
                    // Clamped into the range in both directions.
                    {"[DC1", 0, 8000, 4, {K::Value, 9000}, "[DC1Q8Q0Q0Q0"},
                    {"[DC1", 5, 8000, 4, {K::Value, -3}, "[DC1Q0Q0Q0Q5"},
                    {"[DC1", 0, 8000, 4, {K::Initialize, 77}, "[DC1"},
                    {"[D3R", 0, 9999, 4, {K::Inhibit, 77}, "[D3RQ0Q0Q0Q0"}},
                   true);
}

TEST(MenuCommand, DecimalArgumentIn1DModeSplitsEveryDigit) {
    expectDecimals({{"[DC1", 0, 8000, 4, {K::Value, 25}, "[DC1\rQ0\rQ0\rQ2\rQ5\r"},
                    // Initialize adds no carriage return in either mode.
                    {"[DC1", 0, 8000, 4, {K::Initialize, 0}, "[DC1"}},
                   false);
    EXPECT_EQ(commands::digitTokens(7, 2, false), "Q0\rQ7\r");
}

TEST(MenuCommand, ByteArgumentIsOneHexToken) {
    EXPECT_EQ(commands::composeByteArgument("[XQL", 0, 254, 10), "[XQL\r[$0A\r");
    EXPECT_EQ(commands::composeByteArgument("[XQL", 0, 254, 0), "[XQL\r[$00\r");
    EXPECT_EQ(commands::composeByteArgument("[XQL", 0, 254, 999), "[XQL\r[$FE\r");
}

TEST(MenuCommand, CommonPrefixSuffix) {
    std::array<std::string_view, 3> prefix{"0A", "", "DDX"};
    std::array<std::string_view, 1> suffix{"7I"};
    EXPECT_EQ(commands::composeCommonPrefixSuffix(prefix, suffix, true), "MZ0A[DDXPS7I");
    EXPECT_EQ(commands::composeCommonPrefixSuffix(prefix, suffix, false), "MZ\r0A\r[DDX\rPS\r7I\r");
    EXPECT_EQ(commands::composeCommonPrefixSuffix({}, {}, true), "MZPS");
    // Only eight slots per group count.
    std::array<std::string_view, 9> many{"Q1", "Q2", "Q3", "Q4", "Q5", "Q6", "Q7", "Q8", "Q9"};
    EXPECT_EQ(commands::composeCommonPrefixSuffix(many, {}, true), "MZQ1Q2Q3Q4Q5Q6Q7Q8PS");
}

TEST(MenuCommand, CodeSpecificPrefixSuffix) {
    std::array<std::string_view, 5> keys{"5A", "$TM", "", "Q1", "Q2"};
    EXPECT_EQ(commands::composeCodePrefixSuffix("M4", "O4", keys, {}, true), "M45A[$TMQ1O4");
    EXPECT_EQ(commands::composeCodePrefixSuffix("[XMX", "[XOX", {}, keys, false),
              "[XMX\r[XOX\r5A\r[$TM\rQ1\r");
    // A heading row has no commands and composes nothing.
    EXPECT_EQ(commands::composeCodePrefixSuffix(nullptr, nullptr, keys, keys, true), "");
}

// The same text read under each medium's rules: where they differ is where a page would
// disagree with the count or the QR envelope.
TEST(MenuCommand, TokenRulesDifferOnlyWhereTheMediaDo) {
    auto read = [](std::string_view text, const commands::TokenRules& rules) {
        commands::Token token;
        const commands::TokenFault fault = commands::readToken(text, 0, rules, token);
        return std::pair{fault,
                         std::string(text.substr(token.bodyBegin, token.end - token.bodyBegin))};
    };
    // A quoted literal with a doubled apostrophe is one token, except on the Code 39 sheet.
    EXPECT_EQ(read("'a''b'Z1", commands::kCountingRules),
              std::pair(commands::TokenFault::None, std::string("'a''b'")));
    EXPECT_EQ(read("'a''b'Z1", commands::kCode39SheetRules),
              std::pair(commands::TokenFault::None, std::string("'a")));
    EXPECT_EQ(read("'ab", commands::kQrEnvelopeRules).first, commands::TokenFault::Unterminated);
    // A lone trailing letter, also after a bracket, is a token only in the QR envelope.
    EXPECT_EQ(read("Z", commands::kQrEnvelopeRules),
              std::pair(commands::TokenFault::None, std::string("Z")));
    EXPECT_EQ(read("[Z", commands::kQrEnvelopeRules),
              std::pair(commands::TokenFault::None, std::string("Z")));
    EXPECT_EQ(read("Z", commands::kCountingRules).first, commands::TokenFault::Truncated);
    EXPECT_EQ(read("Q", commands::kQrEnvelopeRules).first, commands::TokenFault::Truncated);
    // A cut-short token is drawn as far as it goes on the sheet; a lone bracket is refused
    // elsewhere.
    EXPECT_EQ(read("]AB", commands::kCode39SheetRules),
              std::pair(commands::TokenFault::None, std::string("AB")));
    EXPECT_EQ(read("[", commands::kCountingRules).first, commands::TokenFault::BracketAtEnd);
    // Bracketed bodies leave out the bracket; the whole token keeps it.
    commands::Token token;
    ASSERT_EQ(commands::readToken("{ABCDEQ1", 0, commands::kCountingRules, token),
              commands::TokenFault::None);
    EXPECT_EQ(token.bodyBegin, 1u);
    EXPECT_EQ(token.end, 6u);
    EXPECT_EQ(commands::tokenLength("{ABCDEQ1"), 6u);
}

}  // namespace
}  // namespace omni::commands
