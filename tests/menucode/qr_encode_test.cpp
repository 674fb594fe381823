#include "menucode/qr/qr_encode.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <random>
#include <string>

#include "zxing_decode.h"

namespace omni::menucode {
namespace {

using test::decodeQr;

// The encoder after encoding `text` (its segments), and the symbol it gave.
struct Encoded {
    std::unique_ptr<menucode::qr::QrEncoder> encoder = std::make_unique<menucode::qr::QrEncoder>();
    menucode::qr::QrSymbol symbol;
    const menucode::qr::QrEncoder* operator->() const { return encoder.get(); }
};

Encoded encoded(const std::string& text) {
    Encoded result;
    auto symbol = result.encoder->encode(text);
    EXPECT_TRUE(symbol) << text.size() << " bytes";
    if (symbol)
        result.symbol = *symbol;
    return result;
}

TEST(QrEncode, SegmentsFollowTheCheapestModes) {
    // Digits alone: one numeric segment.
    auto digits = encoded("0123456789012");
    ASSERT_EQ(digits->segmentCount(), 1);
    EXPECT_EQ(digits->segmentMode(0), menucode::qr::QrEncoder::Numeric);

    // Four digits and three capitals cost 52 bits as one alphanumeric segment, 58 apart.
    auto mixed = encoded("1234ABC");
    ASSERT_EQ(mixed->segmentCount(), 1);
    EXPECT_EQ(mixed->segmentMode(0), menucode::qr::QrEncoder::Alphanumeric);
    EXPECT_EQ(mixed->dataBits(), 52);

    // Short alphanumeric runs between single 8-bit characters collapse into 8-bit segments.
    auto envelope = encoded("@MENU_KEST@ZZ@ZZ@TSEK_UNEM@");
    EXPECT_EQ(envelope->segmentCount(), 1);
    EXPECT_EQ(envelope->segmentMode(0), menucode::qr::QrEncoder::Byte);
    EXPECT_EQ(*decodeQr(envelope.symbol), "@MENU_KEST@ZZ@ZZ@TSEK_UNEM@");

    // A long digit run inside text keeps its own numeric segment.
    auto run = encoded("abc01234567890123456789def");
    ASSERT_EQ(run->segmentCount(), 3);
    EXPECT_EQ(run->segmentMode(1), menucode::qr::QrEncoder::Numeric);
    EXPECT_EQ(run->segmentLength(1), 20);

    // Shift JIS pairs are Kanji characters of two bytes each.
    auto kanji = encoded("\x88\x9F\x88\xA0\xE0\x40");
    ASSERT_EQ(kanji->segmentCount(), 1);
    EXPECT_EQ(kanji->segmentMode(0), menucode::qr::QrEncoder::Kanji);
    EXPECT_EQ(kanji->dataBits(), 4 + 8 + 3 * 13);
}

TEST(QrEncode, ChoosesTheSmallestVersionWithTheWiderCountFields) {
    // Version 1-L holds 17 bytes in 8-bit mode, version 9-L 230 bytes; from version 10 the byte
    // count field is 16 bits, so 231 bytes need version 10.
    EXPECT_EQ(encoded(std::string(17, 'a')).symbol.version(), 1);
    EXPECT_EQ(encoded(std::string(18, 'a')).symbol.version(), 2);
    EXPECT_EQ(encoded(std::string(230, 'a')).symbol.version(), 9);
    const menucode::qr::QrSymbol ten = encoded(std::string(231, 'a')).symbol;
    EXPECT_EQ(ten.version(), 10);
    EXPECT_EQ(ten.symbolSize(), 57);
    EXPECT_EQ(*decodeQr(ten), std::string(231, 'a'));
}

TEST(QrEncode, VersionFortyLimitsAndTooLongOrEmptyTextsGiveNoSymbol) {
    struct Limit {
        std::string fits, tooLong;
    };
    const Limit limits[] = {
        {std::string(7089, '7'), std::string(7090, '7')},
        {std::string(4296, 'K'), std::string(4297, 'K')},
        {std::string(2953, 'k'), std::string(2954, 'k')},
    };
    menucode::qr::QrEncoder code;
    for (const auto& limit : limits) {
        const auto symbol = code.encode(limit.fits);
        ASSERT_TRUE(symbol);
        EXPECT_EQ(symbol->version(), 40);
        EXPECT_EQ(*decodeQr(*symbol), limit.fits);
    }
    for (const auto& limit : limits)
        EXPECT_FALSE(code.encode(limit.tooLong));
    EXPECT_FALSE(code.encode(""));
    // The encoder works on after a refusal.
    const auto kept = code.encode("kept");
    ASSERT_TRUE(kept);
    EXPECT_EQ(*decodeQr(*kept), "kept");
}

// The penalty rules written out plainly, module by module, on the final symbol.
int plainPenalty(const menucode::qr::QrSymbol& code) {
    const int n = code.symbolSize();
    int score = 0, dark = 0;
    for (int vertical = 0; vertical < 2; ++vertical) {
        for (int i = 0; i < n; ++i) {
            const auto at = [&](int j) {
                if (j < 0 || j >= n)
                    return false;  // beyond the edge counts as light
                return vertical ? code.isDark(i, j) : code.isDark(j, i);
            };
            int run = 1;
            for (int j = 1; j <= n; ++j) {
                if (j < n && at(j) == at(j - 1)) {
                    ++run;
                } else {
                    if (run >= 5)
                        score += 3 + (run - 5);
                    run = 1;
                }
            }
            const bool pattern[] = {true, false, true, true, true, false, true};
            for (int p = 0; p + 7 <= n; ++p) {
                bool match = !at(p - 1) && !at(p + 7);
                for (int k = 0; k < 7; ++k)
                    match = match && at(p + k) == pattern[k];
                const bool lightLeft = !at(p - 2) && !at(p - 3) && !at(p - 4);
                const bool lightRight = !at(p + 8) && !at(p + 9) && !at(p + 10);
                if (match && (lightLeft || lightRight))
                    score += 40;
            }
        }
    }
    for (int x = 0; x < n; ++x) {
        for (int y = 0; y < n; ++y) {
            dark += code.isDark(x, y);
            if (x + 1 < n && y + 1 < n) {
                const bool d = code.isDark(x, y);
                if (d == code.isDark(x + 1, y) && d == code.isDark(x, y + 1) &&
                    d == code.isDark(x + 1, y + 1)) {
                    score += 3;
                }
            }
        }
    }
    return score + 10 * (std::abs(50 - dark * 100 / (n * n)) / 5);
}

TEST(QrEncode, PenaltyScoreFollowsTheRules) {
    auto code = std::make_unique<menucode::qr::QrEncoder>();
    for (int length : {1, 20, 100, 300, 700, 1200, 2000, 2900}) {
        std::string text;
        for (int i = 0; i < length; ++i)
            text += static_cast<char>((i * 7919) % 251);
        const auto symbol = code->encode(text);
        ASSERT_TRUE(symbol);
        EXPECT_EQ(symbol->penaltyScore(), plainPenalty(*symbol)) << "version " << symbol->version();
    }
}

// Random texts of every character class and length, decoded by ZXing.
TEST(QrEncode, DifferentialAgainstARealDecoder) {
    std::mt19937 rng(20241205);
    const auto pick = [&](int lo, int hi) {
        return std::uniform_int_distribution<int>(lo, hi)(rng);
    };
    const std::string alnum = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ $%*+-./:";
    auto code = std::make_unique<menucode::qr::QrEncoder>();
    int decoded = 0, bigVersions = 0;
    for (int round = 0; round < 400; ++round) {
        // Mostly short texts, every tenth near the version-40 capacity.
        const int target = round % 10 == 9 ? pick(1500, 3000) : pick(1, round % 3 ? 120 : 900);
        std::string text;
        while (static_cast<int>(text.size()) < target) {
            const int run = pick(1, 40);
            switch (pick(0, 3)) {
                case 0:
                    for (int i = 0; i < run; ++i)
                        text += static_cast<char>('0' + pick(0, 9));
                    break;
                case 1:
                    for (int i = 0; i < run; ++i)
                        text += alnum[static_cast<std::size_t>(pick(10, 44))];
                    break;
                case 2:
                    for (int i = 0; i < run; ++i)
                        text += static_cast<char>(pick(0, 255));
                    break;
                default:
                    for (int i = 0; i < run; ++i) {
                        const int lead = pick(0, 1) ? pick(0x81, 0x9F) : pick(0xE0, 0xEB);
                        int trail = lead == 0xEB ? pick(0x40, 0xBF) : pick(0x40, 0xFC);
                        if (trail == 0x7F)
                            trail = 0x80;
                        text += static_cast<char>(lead);
                        text += static_cast<char>(trail);
                    }
                    break;
            }
        }
        text.resize(static_cast<std::size_t>(target));
        const auto symbol = code->encode(text);
        if (!symbol) {
            // Only texts too large for version 40 may fail.
            EXPECT_GT(text.size(), 1800u);
            continue;
        }
        bigVersions += symbol->version() >= 27;
        const auto result = decodeQr(*symbol);
        ASSERT_TRUE(result.has_value()) << "round " << round << ", version " << symbol->version();
        ASSERT_EQ(*result, text) << "round " << round;
        ++decoded;
    }
    EXPECT_GT(decoded, 350);
    EXPECT_GT(bigVersions, 20);
}

}  // namespace
}  // namespace omni::menucode
