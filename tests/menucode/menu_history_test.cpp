#include "menucode/menu_code_history.h"

#include <gtest/gtest.h>

#include <memory>

#include "resources/string_ids.h"
#include "resources/strings.h"
#include "zxing_decode.h"

namespace omni::menucode {
namespace {

using test::decodeQr;

commands::PageItem item(std::string_view command, std::u16string_view label = u"label") {
    return commands::makePageItem(command, label, 1);
}

// The DIB a QR image hands out, decoded by ZXing: checks palette, bit order and bottom-up rows.
std::optional<std::string> decodeDib(const menucode::QRCodeImage& image) {
    image::DibContainer dib;
    if (!image.toDib(dib))
        return std::nullopt;
    const image::BitmapInfoHeader info = dib.info();
    EXPECT_EQ(info.bitCount, 1);
    EXPECT_EQ(dib.paletteEntry(0), 0x000000u);
    EXPECT_EQ(dib.paletteEntry(1), 0xFFFFFFu);
    EXPECT_EQ(dib.header.size(), image.headerSize());
    EXPECT_EQ(dib.pixels.size(), image.imageSize());
    test::GreyImage grey;
    grey.width = info.width;
    grey.height = info.height;
    grey.pixels.resize(static_cast<std::size_t>(grey.width) * grey.height);
    for (int y = 0; y < grey.height; ++y) {
        const std::uint8_t* row = dib.pixels.data() + (grey.height - 1 - y) * image.stride();
        for (int x = 0; x < grey.width; ++x) {
            const bool index = (row[x >> 3] >> (7 - (x & 7))) & 1;
            grey.pixels[static_cast<std::size_t>(y) * grey.width + x] = index ? 255 : 0;
        }
    }
    return test::decode(grey, ZXing::BarcodeFormat::QRCode);
}

TEST(MenuHistory, EmptyAndSimpleEnvelopesDecode) {
    auto page = std::make_unique<menucode::MenuCodeHistory>();
    EXPECT_EQ(page->modulePixels(), 3);
    EXPECT_EQ(page->envelope(), "@MENU_KEST@ZZ@ZZ@TSEK_UNEM@");
    EXPECT_EQ(decodeDib(page->image()), "@MENU_KEST@ZZ@ZZ@TSEK_UNEM@");
    EXPECT_EQ(page->image().width(), 3u * (page->symbol().symbolSize() + 8));
    EXPECT_EQ(page->image().stride() % 4, 0u);

    EXPECT_EQ(page->addEntry(item("[DE1Q0")), menucode::HistoryStatus::Ok);
    EXPECT_EQ(page->envelope(), "@MENU_KEST@ZZ@DE1@Q0@ZZ@TSEK_UNEM@");
    page->setModulePixels(1);
    EXPECT_EQ(decodeDib(page->image()), "@MENU_KEST@ZZ@DE1@Q0@ZZ@TSEK_UNEM@");
}

TEST(MenuHistory, TokenRules) {
    struct Case {
        std::string_view command;
        bool accepted;
        std::string_view tokens;
    };
    const Case cases[] = {
        {"[BAP]BCMA{ABCDEQ7", true, "BAP@BCMA@ABCDE@Q7@"},
        {"Z", true, "Z@"},
        {"Z2B", true, "Z2@B@"},
        {"Z2E", true, "Z2@E@"},
        {"Z2L", true, "Z2@L@"},
        {"Z2Y", true, "Z2@Y@"},
        {"Z2A", false, "Z2@"},  // only B, E, L, Y and Z stand alone at the end
        {"Q", false, ""},
        {"Q1Q", false, "Q1@"},  // tokens before the refusal stay
        {"'A''B'Q1", true, "'A''B'@Q1@"},
        {"'open", false, ""},
        {"[", false, ""},
        {"Q1[", false, "Q1@"},
        {"[QA", false, ""},       // runs past the end and does not start with B, E, L, Y, Z
        {"[E", true, "E@"},       // the bracket's single character stands alone
        {" \rA", false, " \r@"},  // spaces and carriage returns are ordinary characters here
    };
    for (const Case& c : cases) {
        std::string tokens;
        EXPECT_EQ(menucode::appendQrTokens(tokens, c.command) == menucode::TokenError::None,
                  c.accepted)
            << c.command;
        EXPECT_EQ(tokens, c.tokens) << c.command;
    }

    std::string tokens;
    ASSERT_EQ(menucode::appendQrTokens(tokens, std::string(1000, 'A')), menucode::TokenError::None);
    EXPECT_EQ(menucode::appendQrTokens(tokens, std::string(23, 'A')),
              menucode::TokenError::TooLong);
    EXPECT_EQ(tokens.size(), 1500u);  // nothing appended
}

TEST(MenuHistory, RefusedCommandStaysListedButKeepsThePreviousSymbol) {
    menucode::MenuCodeHistory page;
    ASSERT_EQ(page.addEntry(item("B2")), menucode::HistoryStatus::Ok);
    const int mask = page.symbol().maskNumber();
    const std::string before = page.envelope();

    EXPECT_EQ(page.addEntry(item("Q1Q")), menucode::HistoryStatus::Malformed);
    EXPECT_EQ(page.size(), 2u);
    EXPECT_FALSE(page.symbolMatchesHistory());
    EXPECT_EQ(page.envelope(), before);
    EXPECT_EQ(page.symbol().maskNumber(), mask);
    EXPECT_EQ(decodeQr(page.symbol()), before);

    // Removing the bad entry brings symbol and history together again.
    EXPECT_EQ(page.removeEntry(1), menucode::HistoryStatus::Ok);
    EXPECT_TRUE(page.symbolMatchesHistory());
    EXPECT_EQ(page.removeEntry(5), menucode::HistoryStatus::NoSuchEntry);

    // Nothing tokenizable: nothing added.
    EXPECT_EQ(page.addEntry(commands::makePageItem("Z", u"x", 0)),
              menucode::HistoryStatus::NoTokens);
    EXPECT_EQ(page.addTypedCommand("Z"), menucode::HistoryStatus::NoTokens);
    EXPECT_EQ(page.size(), 1u);

    // Past 1022 characters of tokens the entry is listed but not encoded.
    EXPECT_EQ(page.addEntry(item(std::string(1020, 'A'))), menucode::HistoryStatus::TooLong);
    EXPECT_EQ(page.size(), 2u);
    EXPECT_EQ(page.envelope(), before);
    for (auto status : {menucode::HistoryStatus::NoTokens, menucode::HistoryStatus::Full,
                        menucode::HistoryStatus::TooLong, menucode::HistoryStatus::Malformed,
                        menucode::HistoryStatus::TooLarge, menucode::HistoryStatus::NoSuchEntry}) {
        EXPECT_FALSE(menucode::historyMessage(status).empty());
    }
    EXPECT_TRUE(menucode::historyMessage(menucode::HistoryStatus::Ok).empty());
}

TEST(MenuHistory, RemoveAndSwapRebuildInOrder) {
    menucode::MenuCodeHistory page;
    for (auto c : {"A1", "B2", "[DC1Q5"})
        ASSERT_EQ(page.addEntry(item(c)), menucode::HistoryStatus::Ok);
    EXPECT_EQ(page.swapEntries(0, 2), menucode::HistoryStatus::Ok);
    EXPECT_EQ(page.envelope(), "@MENU_KEST@ZZ@DC1@Q5@B2@A1@ZZ@TSEK_UNEM@");
    EXPECT_EQ(page.removeEntry(1), menucode::HistoryStatus::Ok);
    EXPECT_EQ(page.envelope(), "@MENU_KEST@ZZ@DC1@Q5@A1@ZZ@TSEK_UNEM@");
    EXPECT_EQ(decodeQr(page.symbol()), page.envelope());
    EXPECT_EQ(page.swapEntries(0, 2), menucode::HistoryStatus::NoSuchEntry);

    EXPECT_EQ(page.addTypedCommand("[DC1Q0Q0Q2Q5"), menucode::HistoryStatus::Ok);
    EXPECT_EQ(page.entries().back().label, res::loadString(res::ids::TypedCommandLabel));
    EXPECT_EQ(page.entries().back().count, 5u);
}

// The token-text limit counts the text so far plus the whole command: 1022 is taken (and the
// symbol decodes), 1023 is refused, from an empty page and from a filled one.
TEST(MenuHistory, TokenTextLimitAtOneThousandTwentyTwo) {
    std::string longest;
    for (int i = 0; i < 511; ++i)
        longest += "A1";
    struct Case {
        std::size_t before;  // characters of token text already there
        std::string command;
        TokenError expected;
    };
    const Case cases[] = {
        {0, longest, TokenError::None},   {0, longest + "B", TokenError::TooLong},
        {1020, "B2", TokenError::None},   {1021, "B2", TokenError::TooLong},
        {1022, "B", TokenError::TooLong},
    };
    for (const Case& c : cases) {
        std::string text(c.before, '@');
        EXPECT_EQ(appendQrTokens(text, c.command), c.expected)
            << c.before << "+" << c.command.size();
        if (c.expected != TokenError::None) {
            EXPECT_EQ(text.size(), c.before);  // nothing appended
        }
    }

    MenuCodeHistory page;
    ASSERT_EQ(page.addTypedCommand(longest), HistoryStatus::Ok);
    EXPECT_TRUE(page.symbolMatchesHistory());
    ASSERT_EQ(page.tokenText().size(), 511u * 3);
    EXPECT_EQ(decodeDib(page.image()), page.envelope());
    MenuCodeHistory refused;
    EXPECT_EQ(refused.addEntry(item(longest + "B")), HistoryStatus::TooLong);
    EXPECT_EQ(refused.tokenText(), "");
}

TEST(MenuHistory, FullHistoryRefusesTheNextEntryAndDecodes) {
    menucode::MenuCodeHistory page;
    std::string expected(menucode::kMenuEnvelopeStart);
    for (int i = 0; i < 256; ++i) {
        const std::string command = {static_cast<char>('A' + i % 26),
                                     static_cast<char>('0' + i % 10)};
        ASSERT_EQ(page.addEntry(item(command)), menucode::HistoryStatus::Ok) << i;
        expected += command + "@";
    }
    expected += menucode::kMenuEnvelopeEnd;
    EXPECT_EQ(page.addEntry(item("Z2")), menucode::HistoryStatus::Full);
    EXPECT_EQ(page.size(), 256u);
    EXPECT_EQ(page.envelope(), expected);
    EXPECT_EQ(decodeDib(page.image()), expected);
}

}  // namespace
}  // namespace omni::menucode
