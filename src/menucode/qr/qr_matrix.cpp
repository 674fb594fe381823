// The module matrix: function patterns, codeword placement, masking and the penalty score.
#include <cstring>

#include "menucode/qr/qr_encode.h"
#include "menucode/qr/qr_tables.h"

namespace omni::menucode::qr {

namespace {

constexpr std::uint8_t kFunction = 0x20;  // module belongs to a function pattern
constexpr std::uint8_t kFunctionDark = 0x10;
constexpr std::uint8_t kDataBit = 0x02;    // unmasked data bit
constexpr std::uint8_t kMaskedBit = 0x01;  // data bit after masking

// Dark after masking, for function and data modules alike.
inline int darkOf(std::uint8_t m) {
    return (m & (kFunctionDark | kMaskedBit)) != 0;
}

// The standard's mask conditions; true inverts the data module at column x, row y.
inline bool maskCondition(int mask, int x, int y) {
    switch (mask) {
        case 0:
            return (x + y) % 2 == 0;
        case 1:
            return y % 2 == 0;
        case 2:
            return x % 3 == 0;
        case 3:
            return (x + y) % 3 == 0;
        case 4:
            return (x / 3 + y / 2) % 2 == 0;
        case 5:
            return x * y % 2 + x * y % 3 == 0;
        case 6:
            return (x * y % 2 + x * y % 3) % 2 == 0;
        default:
            return ((x + y) % 2 + x * y % 3) % 2 == 0;
    }
}

// A row or column of up to 185 modules as bits (bit x of word x / 64 set for dark), so that the
// penalty rules run on whole words. The functions take the number of words in use, W, as a
// template argument: one word up to version 9, two up to version 25, three above.
constexpr int kLineWords = 3;
struct Line {
    std::uint64_t w[kLineWords];
};
static_assert(QrEncoder::kMaxSymbolSize + 8 <= 64 * kLineWords);

inline int popcount64(std::uint64_t v) {
    v = v - ((v >> 1) & 0x5555555555555555ull);
    v = (v & 0x3333333333333333ull) + ((v >> 2) & 0x3333333333333333ull);
    v = (v + (v >> 4)) & 0x0F0F0F0F0F0F0F0Full;
    return static_cast<int>((v * 0x0101010101010101ull) >> 56);
}

// Bit x of the result is bit x + k of `a` (-64 < k < 64); bits shifted in are 0.
template <int W>
inline Line shifted(const Line& a, int k) {
    Line out;
    if (k >= 0) {
        for (int i = 0; i < W; ++i) {
            out.w[i] = a.w[i] >> k;
            if (k && i + 1 < W)
                out.w[i] |= a.w[i + 1] << (64 - k);
        }
    } else {
        for (int i = 0; i < W; ++i) {
            out.w[i] = a.w[i] << -k;
            if (i > 0)
                out.w[i] |= a.w[i - 1] >> (64 + k);
        }
    }
    return out;
}

template <int W>
inline Line lowBits(int n) {
    Line m;
    for (int i = 0; i < W; ++i) {
        const int left = n - 64 * i;
        m.w[i] = left >= 64 ? ~0ull : left <= 0 ? 0 : (1ull << left) - 1;
    }
    return m;
}

template <int W>
inline int popcount(const Line& a) {
    int n = 0;
    for (int i = 0; i < W; ++i)
        n += popcount64(a.w[i]);
    return n;
}

// The mask penalty weights: a run of five alike, each 2 × 2 block alike, each finder-like
// pattern, and each 5 % step of the dark proportion away from one half.
constexpr int kRunWeight = 3;
constexpr int kBlockWeight = 3;
constexpr int kFinderWeight = 40;
constexpr int kBalanceWeight = 10;
constexpr int kShortestRun = 5;

// Runs of kShortestRun or more modules of one colour in a line of n modules: kRunWeight +
// (run - kShortestRun) each.
template <int W>
int runPenalty(const Line& a, int n) {
    const Line valid = lowBits<W>(n - 1);
    const Line next = shifted<W>(a, 1);
    Line same;  // module x has the colour of module x + 1
    for (int i = 0; i < W; ++i)
        same.w[i] = ~(a.w[i] ^ next.w[i]) & valid.w[i];
    const Line s1 = shifted<W>(same, 1), s2 = shifted<W>(same, 2), s3 = shifted<W>(same, 3);
    const Line before = shifted<W>(same, -1);
    Line five, starts;  // modules x..x+4 alike; and x starts its run
    for (int i = 0; i < W; ++i) {
        five.w[i] = same.w[i] & s1.w[i] & s2.w[i] & s3.w[i];
        starts.w[i] = five.w[i] & ~before.w[i];
    }
    // A run of length L holds L - 4 windows of five; the rule adds kRunWeight - 1 more per run.
    static_assert(kShortestRun == 5, "the windows above are five modules wide");
    return popcount<W>(five) + (kRunWeight - 1) * popcount<W>(starts);
}

// Finder-like patterns dark, light, dark, dark, dark, light, dark in a line, with a light module
// (or the edge) on both sides and four on at least one side: kFinderWeight each.
template <int W>
int finderPenalty(const Line& a) {
    const Line b = shifted<W>(a, -4);  // four light modules of margin beyond each edge
    Line s[15];                        // s[k + 4]: bit x is module x + k
    for (int k = -4; k <= 10; ++k)
        s[k + 4] = shifted<W>(b, k);
    int hits = 0;
    for (int i = 0; i < W; ++i) {
        const auto at = [&](int k) { return s[k + 4].w[i]; };
        const std::uint64_t core =
            at(0) & ~at(1) & at(2) & at(3) & at(4) & ~at(5) & at(6) & ~at(-1) & ~at(7);
        if (core == 0)
            continue;
        const std::uint64_t left = ~(at(-4) | at(-3) | at(-2));
        const std::uint64_t right = ~(at(8) | at(9) | at(10));
        hits += popcount64(core & (left | right));
    }
    return kFinderWeight * hits;
}

// 2 × 2 blocks of one colour whose top row is `a` and bottom row `b`: kBlockWeight each.
template <int W>
int blockPenalty(const Line& a, const Line& b, int n) {
    const Line valid = lowBits<W>(n - 1);
    Line vertical;
    for (int i = 0; i < W; ++i)
        vertical.w[i] = ~(a.w[i] ^ b.w[i]);
    const Line vNext = shifted<W>(vertical, 1), aNext = shifted<W>(a, 1);
    int blocks = 0;
    for (int i = 0; i < W; ++i) {
        blocks += popcount64(vertical.w[i] & vNext.w[i] & ~(a.w[i] ^ aNext.w[i]) & valid.w[i]);
    }
    return kBlockWeight * blocks;
}

// Runs, finder-like patterns, 2 × 2 blocks and dark modules of the rows and columns.
template <int W>
int linePenalties(const Line* rows, const Line* columns, int n, int& dark) {
    int score = 0;
    dark = 0;
    for (int i = 0; i < n; ++i) {
        score += runPenalty<W>(rows[i], n) + runPenalty<W>(columns[i], n);
        score += finderPenalty<W>(rows[i]) + finderPenalty<W>(columns[i]);
        if (i + 1 < n)
            score += blockPenalty<W>(rows[i], rows[i + 1], n);
        dark += popcount<W>(rows[i]);
    }
    return score;
}

}  // namespace

void QrEncoder::setFunction(int x, int y, bool dark) {
    modules_[x][y] = kFunction | (dark ? kFunctionDark : 0);
}

// A 7 × 7 finder pattern centred at (cx, cy) with its light separator.
void QrEncoder::placeFinder(int cx, int cy) {
    for (int dy = -4; dy <= 4; ++dy) {
        for (int dx = -4; dx <= 4; ++dx) {
            const int x = cx + dx, y = cy + dy;
            if (x < 0 || y < 0 || x >= symbolSize_ || y >= symbolSize_)
                continue;
            const int ring = dx * dx > dy * dy ? (dx < 0 ? -dx : dx) : (dy < 0 ? -dy : dy);
            setFunction(x, y, ring != 2 && ring != 4);
        }
    }
}

void QrEncoder::placeAlignment(int cx, int cy) {
    for (int dy = -2; dy <= 2; ++dy) {
        for (int dx = -2; dx <= 2; ++dx) {
            const int ring = dx * dx > dy * dy ? (dx < 0 ? -dx : dx) : (dy < 0 ? -dy : dy);
            setFunction(cx + dx, cy + dy, ring != 1);
        }
    }
}

// Version information (versions 7 and up): two 6 × 3 blocks beside the upper-right and
// lower-left finders.
void QrEncoder::placeVersionInfo(int version) {
    if (version < 7)
        return;
    const std::uint32_t bits = versionBitsOf(version);
    for (int i = 0; i < 18; ++i) {
        const bool dark = (bits >> i) & 1;
        const int a = symbolSize_ - 11 + i % 3, b = i / 3;
        setFunction(a, b, dark);
        setFunction(b, a, dark);
    }
}

// Format information for level L and `mask`, both copies, and the dark module.
void QrEncoder::placeFormatInfo(int mask) {
    const int bits = formatBitsOf(mask);
    const auto bit = [bits](int i) { return ((bits >> i) & 1) != 0; };
    for (int i = 0; i <= 5; ++i)
        setFunction(8, i, bit(i));
    setFunction(8, 7, bit(6));
    setFunction(8, 8, bit(7));
    setFunction(7, 8, bit(8));
    for (int i = 9; i < 15; ++i)
        setFunction(14 - i, 8, bit(i));
    for (int i = 0; i < 8; ++i)
        setFunction(symbolSize_ - 1 - i, 8, bit(i));
    for (int i = 8; i < 15; ++i)
        setFunction(8, symbolSize_ - 15 + i, bit(i));
    setFunction(8, symbolSize_ - 8, true);
}

void QrEncoder::placeFunctionPatterns(int version) {
    for (int i = 0; i < symbolSize_; ++i) {
        setFunction(6, i, i % 2 == 0);
        setFunction(i, 6, i % 2 == 0);
    }
    placeFinder(3, 3);
    placeFinder(symbolSize_ - 4, 3);
    placeFinder(3, symbolSize_ - 4);
    const int count = alignmentCountOf(version);
    const auto& centres = kAlignment[version];
    for (int i = 0; i < count; ++i) {
        for (int j = 0; j < count; ++j) {
            const bool besideFinder =
                (i == 0 && j == 0) || (i == 0 && j == count - 1) || (i == count - 1 && j == 0);
            if (!besideFinder)
                placeAlignment(centres[i], centres[j]);
        }
    }
    placeVersionInfo(version);
    placeFormatInfo(0);  // reserves the format areas
}

// Codeword bits in the zig-zag order: two columns at a time from the right, upward first,
// skipping function modules and the vertical timing column.
void QrEncoder::placeCodewords() {
    const int totalBits = allCodewordCount_ * 8;
    int i = 0;
    for (int right = symbolSize_ - 1; right >= 1; right -= 2) {
        if (right == 6)
            right = 5;
        const bool upward = ((right + 1) & 2) == 0;
        for (int vert = 0; vert < symbolSize_; ++vert) {
            const int y = upward ? symbolSize_ - 1 - vert : vert;
            for (int j = 0; j < 2; ++j) {
                std::uint8_t& m = modules_[right - j][y];
                if (m & kFunction)
                    continue;
                if (i < totalBits && ((allCodewords_[i >> 3] >> (7 - (i & 7))) & 1)) {
                    m = kDataBit;
                } else {
                    m = 0;
                }
                ++i;
            }
        }
    }
}

namespace {

// Sets the masked bit of every data module of an n × n matrix for one mask pattern; the pattern
// is a template argument so that each loop compiles without a branch on it.
template <int Mask>
void maskModules(std::uint8_t (*modules)[QrEncoder::kMaxSymbolSize], int n) {
    for (int x = 0; x < n; ++x) {
        std::uint8_t* column = modules[x];
        for (int y = 0; y < n; ++y) {
            const std::uint8_t m = column[y];
            if (m & kFunction)
                continue;
            const bool data = (m & kDataBit) != 0;
            column[y] = static_cast<std::uint8_t>(
                (m & ~kMaskedBit) | (data != maskCondition(Mask, x, y) ? kMaskedBit : 0));
        }
    }
}

}  // namespace

void QrEncoder::applyMask(int mask) {
    using MaskFunction = void (*)(std::uint8_t(*)[kMaxSymbolSize], int);
    static constexpr MaskFunction kMasks[8] = {maskModules<0>, maskModules<1>, maskModules<2>,
                                               maskModules<3>, maskModules<4>, maskModules<5>,
                                               maskModules<6>, maskModules<7>};
    kMasks[mask & 7](modules_, symbolSize_);
    placeFormatInfo(mask);
}

// Penalty of the matrix as masked: runs, 2 × 2 blocks, finder-like patterns and the distance of
// the dark proportion from one half.
int QrEncoder::penaltyScore() const {
    const int n = symbolSize_;
    Line rows[kMaxSymbolSize], columns[kMaxSymbolSize];
    for (int i = 0; i < n; ++i)
        rows[i] = columns[i] = Line{};
    for (int x = 0; x < n; ++x) {
        const std::uint8_t* column = modules_[x];
        const std::uint64_t rowBit = 1ull << (x & 63);
        const int rowWord = x >> 6;
        for (int y = 0; y < n; ++y) {
            if (!darkOf(column[y]))
                continue;
            rows[y].w[rowWord] |= rowBit;
            columns[x].w[y >> 6] |= 1ull << (y & 63);
        }
    }
    int dark = 0;
    int score;
    if (n + 8 <= 64) {
        score = linePenalties<1>(rows, columns, n, dark);
    } else if (n + 8 <= 128) {
        score = linePenalties<2>(rows, columns, n, dark);
    } else {
        score = linePenalties<3>(rows, columns, n, dark);
    }
    int deviation = 50 - dark * 100 / (n * n);
    if (deviation < 0)
        deviation = -deviation;
    return score + kBalanceWeight * (deviation / 5);
}

// Tries all eight masks and keeps the lowest score (the lower number on a tie).
void QrEncoder::chooseMask() {
    int best = 0;
    int bestScore = 0;
    for (int mask = 0; mask < 8; ++mask) {
        applyMask(mask);
        const int score = penaltyScore();
        if (mask == 0 || score < bestScore) {
            best = mask;
            bestScore = score;
        }
    }
    applyMask(best);
    maskNumber_ = best;
    penalty_ = bestScore;
}

void QrEncoder::collapseModules() {
    for (int x = 0; x < symbolSize_; ++x) {
        for (int y = 0; y < symbolSize_; ++y)
            modules_[x][y] = darkOf(modules_[x][y]) ? 1 : 0;
    }
}

void QrEncoder::buildMatrix(int version) {
    symbolSize_ = symbolSizeOf(version);
    std::memset(modules_, 0, sizeof modules_);
    placeFunctionPatterns(version);
    placeCodewords();
    chooseMask();
    collapseModules();
}

}  // namespace omni::menucode::qr
