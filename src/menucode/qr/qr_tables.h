// Tables of the QR Code standard (Model 2), as constant arrays indexed by version (index 0
// unused) and checked against the standard's own formulas at compile time.
#pragma once

#include <array>
#include <cstdint>

namespace omni::menucode::qr {

inline constexpr int kVersions = 40;

// Error-correction codewords per block, by level (L, M, Q, H) and version.
inline constexpr std::array<std::array<std::uint8_t, 41>, 4> kEccPerBlock = {{
    {0,  7,  10, 15, 20, 26, 18, 20, 24, 30, 18, 20, 24, 26, 30, 22, 24, 28, 30, 28, 28,
     28, 28, 30, 30, 26, 28, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30},
    {0,  10, 16, 26, 18, 24, 16, 18, 22, 22, 26, 30, 22, 22, 24, 24, 28, 28, 26, 26, 26,
     26, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28},
    {0,  13, 22, 18, 26, 18, 24, 18, 22, 20, 24, 28, 26, 24, 20, 30, 24, 28, 28, 26, 30,
     28, 30, 30, 30, 30, 28, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30},
    {0,  17, 28, 22, 16, 22, 28, 26, 26, 24, 28, 24, 28, 22, 24, 24, 30, 28, 28, 26, 28,
     30, 24, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30},
}};

// Error-correction blocks, by level (L, M, Q, H) and version.
inline constexpr std::array<std::array<std::uint8_t, 41>, 4> kBlockCount = {{
    {0, 1, 1, 1,  1,  1,  2,  2,  2,  2,  4,  4,  4,  4,  4,  6,  6,  6,  6,  7, 8,
     8, 9, 9, 10, 12, 12, 12, 13, 14, 15, 16, 17, 18, 19, 19, 20, 21, 22, 24, 25},
    {0,  1,  1,  1,  2,  2,  4,  4,  4,  5,  5,  5,  8,  9,  9,  10, 10, 11, 13, 14, 16,
     17, 17, 18, 20, 21, 23, 25, 26, 28, 29, 31, 33, 35, 37, 38, 40, 43, 45, 47, 49},
    {0,  1,  1,  2,  2,  4,  4,  6,  6,  8,  8,  8,  10, 12, 16, 12, 17, 16, 18, 21, 20,
     23, 23, 25, 27, 29, 34, 34, 35, 38, 40, 43, 45, 48, 51, 53, 56, 59, 62, 65, 68},
    {0,  1,  1,  2,  4,  4,  4,  5,  6,  8,  8,  11, 11, 16, 16, 18, 16, 19, 21, 25, 25,
     25, 34, 30, 32, 35, 37, 40, 42, 45, 48, 51, 54, 57, 60, 63, 66, 70, 74, 77, 81},
}};

// Total codewords (data plus error correction) of each version.
inline constexpr std::array<std::uint16_t, 41> kTotalCodewords = {
    0,    26,   44,   70,   100,  134,  172,  196,  242,  292,  346,  404,  466,  532,
    581,  655,  733,  815,  901,  991,  1085, 1156, 1258, 1364, 1474, 1588, 1706, 1828,
    1921, 2051, 2185, 2323, 2465, 2611, 2761, 2876, 3034, 3196, 3362, 3532, 3706};

// Centre coordinates of the alignment patterns (rows and columns alike), 0 where unused.
inline constexpr std::array<std::array<std::uint8_t, 7>, 41> kAlignment = {{
    {},
    {},
    {6, 18},
    {6, 22},
    {6, 26},
    {6, 30},
    {6, 34},
    {6, 22, 38},
    {6, 24, 42},
    {6, 26, 46},
    {6, 28, 50},
    {6, 30, 54},
    {6, 32, 58},
    {6, 34, 62},
    {6, 26, 46, 66},
    {6, 26, 48, 70},
    {6, 26, 50, 74},
    {6, 30, 54, 78},
    {6, 30, 56, 82},
    {6, 30, 58, 86},
    {6, 34, 62, 90},
    {6, 28, 50, 72, 94},
    {6, 26, 50, 74, 98},
    {6, 30, 54, 78, 102},
    {6, 28, 54, 80, 106},
    {6, 32, 58, 84, 110},
    {6, 30, 58, 86, 114},
    {6, 34, 62, 90, 118},
    {6, 26, 50, 74, 98, 122},
    {6, 30, 54, 78, 102, 126},
    {6, 26, 52, 78, 104, 130},
    {6, 30, 56, 82, 108, 134},
    {6, 34, 60, 86, 112, 138},
    {6, 30, 58, 86, 114, 142},
    {6, 34, 62, 90, 118, 146},
    {6, 30, 54, 78, 102, 126, 150},
    {6, 24, 50, 76, 102, 128, 154},
    {6, 28, 54, 80, 106, 132, 158},
    {6, 32, 58, 84, 110, 136, 162},
    {6, 26, 54, 82, 110, 138, 166},
    {6, 30, 58, 86, 114, 142, 170},
}};

static_assert(kEccPerBlock[0].size() == kVersions + 1 && kBlockCount[3].size() == kVersions + 1);
static_assert(kTotalCodewords.size() == kVersions + 1 && kAlignment.size() == kVersions + 1);

constexpr int symbolSizeOf(int version) {
    return version * 4 + 17;
}
constexpr int alignmentCountOf(int version) {
    return version == 1 ? 0 : version / 7 + 2;
}

// Modules left for codewords once the function patterns are placed, divided into codewords.
constexpr int rawCodewordsOf(int version) {
    int modules = (16 * version + 128) * version + 64;
    if (version >= 2) {
        const int align = alignmentCountOf(version);
        modules -= (25 * align - 10) * align - 55;
        if (version >= 7)
            modules -= 36;
    }
    return modules / 8;
}

// Alignment centres of a version as the standard's spacing rule produces them.
constexpr bool alignmentRowMatches(int version) {
    const int count = alignmentCountOf(version);
    if (count == 0)
        return kAlignment[version][0] == 0;
    const int size = symbolSizeOf(version);
    const int step = version == 32 ? 26 : (version * 4 + count * 2 + 1) / (count * 2 - 2) * 2;
    if (kAlignment[version][0] != 6)
        return false;
    for (int i = count - 1, pos = size - 7; i >= 1; --i, pos -= step) {
        if (kAlignment[version][i] != pos)
            return false;
    }
    for (int i = count; i < 7; ++i) {
        if (kAlignment[version][i] != 0)
            return false;
    }
    return true;
}

constexpr bool tablesConsistent() {
    for (int v = 1; v <= kVersions; ++v) {
        if (kTotalCodewords[v] != rawCodewordsOf(v) || !alignmentRowMatches(v))
            return false;
        for (int level = 0; level < 4; ++level) {
            const int blocks = kBlockCount[level][v];
            // Blocks differ in length by at most one codeword; every block keeps some data.
            if (blocks == 0 || kTotalCodewords[v] / blocks <= kEccPerBlock[level][v])
                return false;
        }
    }
    return true;
}
static_assert(tablesConsistent());

// Data codewords of a version at a level.
constexpr int dataCodewordsOf(int version, int level) {
    return kTotalCodewords[version] - kEccPerBlock[level][version] * kBlockCount[level][version];
}
static_assert(dataCodewordsOf(1, 0) == 19 && dataCodewordsOf(40, 0) == 2956);
static_assert(dataCodewordsOf(1, 3) == 9 && dataCodewordsOf(40, 3) == 1276);

// The two block groups of a version at a level: the first holds `shortBlocks` blocks of
// `shortData` data codewords, the second the rest, one data codeword longer.
struct BlockLayout {
    int blocks, shortBlocks, shortData, ecc;
};
constexpr BlockLayout blockLayoutOf(int version, int level) {
    const int blocks = kBlockCount[level][version];
    const int total = kTotalCodewords[version];
    const int ecc = kEccPerBlock[level][version];
    return {blocks, blocks - total % blocks, total / blocks - ecc, ecc};
}
// Version 5-Q: 2 blocks of 15 and 2 of 16 data codewords, 18 error-correction codewords each.
static_assert(blockLayoutOf(5, 2).shortBlocks == 2 && blockLayoutOf(5, 2).shortData == 15);

// GF(256) with the field polynomial x^8 + x^4 + x^3 + x^2 + 1 (0x11D): powers of the
// generator 2 and their logarithms.
struct GaloisTables {
    std::uint8_t exp[512] = {};
    std::uint8_t log[256] = {};
};
constexpr GaloisTables makeGaloisTables() {
    GaloisTables t;
    int x = 1;
    for (int i = 0; i < 255; ++i) {
        t.exp[i] = static_cast<std::uint8_t>(x);
        t.log[x] = static_cast<std::uint8_t>(i);
        x <<= 1;
        if (x & 0x100)
            x ^= 0x11D;
    }
    for (int i = 255; i < 512; ++i)
        t.exp[i] = t.exp[i - 255];
    return t;
}
inline constexpr GaloisTables kGalois = makeGaloisTables();
static_assert(kGalois.exp[8] == 0x1D && kGalois.log[0x1D] == 8);

// Reed-Solomon generator polynomials (x - 2^0)(x - 2^1)...(x - 2^(n-1)) for the error-correction
// lengths 7..30, as logarithms of their coefficients from x^(n-1) down to x^0 (the leading 1
// omitted).
struct GeneratorPolynomial {
    std::uint8_t logCoefficients[30] = {};
};
constexpr GeneratorPolynomial makeGenerator(int degree) {
    std::uint8_t coef[31] = {1};  // coef[i] multiplies x^(degree-i) once complete
    int length = 1;
    for (int root = 0; root < degree; ++root) {
        // Multiply by (x + 2^root).
        std::uint8_t next[31] = {};
        for (int i = 0; i < length; ++i) {
            next[i] ^= coef[i];
            if (coef[i] != 0) {
                next[i + 1] ^= kGalois.exp[kGalois.log[coef[i]] + root];
            }
        }
        ++length;
        for (int i = 0; i < length; ++i)
            coef[i] = next[i];
    }
    GeneratorPolynomial g;
    for (int i = 0; i < degree; ++i)
        g.logCoefficients[i] = kGalois.log[coef[i + 1]];
    return g;
}
constexpr std::array<GeneratorPolynomial, 31> makeGenerators() {
    std::array<GeneratorPolynomial, 31> all{};
    for (int n = 7; n <= 30; ++n)
        all[n] = makeGenerator(n);
    return all;
}
inline constexpr std::array<GeneratorPolynomial, 31> kGenerators = makeGenerators();
// Degree 7: x^7 + a^87 x^6 + a^229 x^5 + a^146 x^4 + a^149 x^3 + a^238 x^2 + a^102 x + a^21.
static_assert(kGenerators[7].logCoefficients[0] == 87 && kGenerators[7].logCoefficients[6] == 21);

// Format information: level L (01), mask 0..7, BCH(15,5) with generator 0x537, XOR 0x5412.
constexpr std::uint16_t formatBitsOf(int mask) {
    const int data = (1 << 3) | mask;
    int rem = data;
    for (int i = 0; i < 10; ++i)
        rem = (rem << 1) ^ ((rem >> 9) * 0x537);
    return static_cast<std::uint16_t>(((data << 10) | rem) ^ 0x5412);
}
static_assert(formatBitsOf(0) == 0x77C4 && formatBitsOf(7) == 0x6976);

// Version information of versions 7 and up: BCH(18,6) with generator 0x1F25.
constexpr std::uint32_t versionBitsOf(int version) {
    int rem = version;
    for (int i = 0; i < 12; ++i)
        rem = (rem << 1) ^ ((rem >> 11) * 0x1F25);
    return static_cast<std::uint32_t>(version) << 12 | static_cast<std::uint32_t>(rem);
}
static_assert(versionBitsOf(7) == 0x07C94 && versionBitsOf(40) == 0x28C69);

}  // namespace omni::menucode::qr
