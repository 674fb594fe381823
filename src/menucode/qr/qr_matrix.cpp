// The module matrix: function patterns, codeword placement, masking and the penalty score.
#include <cstring>

#include "menucode/qr/qr_encode.h"
#include "menucode/qr/qr_tables.h"

namespace omni {

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

// Penalties of one row or column of n modules, `step` apart: runs of 5 or more of one colour
// (3 + the excess) and finder-like 1:1:3:1:1 patterns with a light margin (40 each).
int linePenalty(const std::uint8_t* line, int step, int n) {
    int score = 0;
    int run = 0;
    int previous = -1;
    // The last 15 modules, newest in bit 0; modules beyond either edge count as light.
    std::uint32_t window = 0;
    for (int i = 0; i < n + 4; ++i) {
        int dark = 0;
        if (i < n) {
            dark = darkOf(line[i * step]);
            if (dark == previous) {
                ++run;
            } else {
                if (run >= 5)
                    score += run - 2;
                run = 1;
                previous = dark;
            }
        }
        window = ((window << 1) | static_cast<std::uint32_t>(dark)) & 0x7FFF;
        // Bits 11..3: light, dark, light, dark, dark, dark, light, dark, light; bits 14..12 or
        // 2..0 light complete four light modules on one side.
        if ((window & 0x1FF8) == 0x05D0 && ((window & 0x7000) == 0 || (window & 0x7) == 0)) {
            score += 40;
        }
    }
    if (run >= 5)
        score += run - 2;
    return score;
}

}  // namespace

void CQR_Encode::setFunction(int x, int y, bool dark) {
    modules_[x][y] = kFunction | (dark ? kFunctionDark : 0);
}

// A 7 × 7 finder pattern centred at (cx, cy) with its light separator.
void CQR_Encode::placeFinder(int cx, int cy) {
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

void CQR_Encode::placeAlignment(int cx, int cy) {
    for (int dy = -2; dy <= 2; ++dy) {
        for (int dx = -2; dx <= 2; ++dx) {
            const int ring = dx * dx > dy * dy ? (dx < 0 ? -dx : dx) : (dy < 0 ? -dy : dy);
            setFunction(cx + dx, cy + dy, ring != 1);
        }
    }
}

// Version information (versions 7 and up): two 6 × 3 blocks beside the upper-right and
// lower-left finders.
void CQR_Encode::placeVersionInfo(int version) {
    if (version < 7)
        return;
    const std::uint32_t bits = qr::versionBitsOf(version);
    for (int i = 0; i < 18; ++i) {
        const bool dark = (bits >> i) & 1;
        const int a = symbolSize_ - 11 + i % 3, b = i / 3;
        setFunction(a, b, dark);
        setFunction(b, a, dark);
    }
}

// Format information for level L and `mask`, both copies, and the dark module.
void CQR_Encode::placeFormatInfo(int mask) {
    const int bits = qr::formatBitsOf(mask);
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

void CQR_Encode::placeFunctionPatterns(int version) {
    for (int i = 0; i < symbolSize_; ++i) {
        setFunction(6, i, i % 2 == 0);
        setFunction(i, 6, i % 2 == 0);
    }
    placeFinder(3, 3);
    placeFinder(symbolSize_ - 4, 3);
    placeFinder(3, symbolSize_ - 4);
    const int count = qr::alignmentCountOf(version);
    const auto& centres = qr::kAlignment[version];
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
void CQR_Encode::placeCodewords() {
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

void CQR_Encode::applyMask(int mask) {
    for (int x = 0; x < symbolSize_; ++x) {
        for (int y = 0; y < symbolSize_; ++y) {
            std::uint8_t& m = modules_[x][y];
            if (m & kFunction)
                continue;
            const bool data = (m & kDataBit) != 0;
            m = static_cast<std::uint8_t>((m & ~kMaskedBit) |
                                          ((data != maskCondition(mask, x, y)) ? kMaskedBit : 0));
        }
    }
    placeFormatInfo(mask);
}

// Penalty of the matrix as masked: runs, 2 × 2 blocks, finder-like patterns and the distance of
// the dark proportion from one half.
int CQR_Encode::penaltyScore() const {
    const int n = symbolSize_;
    int score = 0;
    for (int x = 0; x < n; ++x)
        score += linePenalty(&modules_[x][0], 1, n);
    for (int y = 0; y < n; ++y)
        score += linePenalty(&modules_[0][y], kMaxSymbolSize, n);

    int dark = 0;
    for (int x = 0; x < n; ++x) {
        const std::uint8_t* column = modules_[x];
        const std::uint8_t* next = x + 1 < n ? modules_[x + 1] : nullptr;
        for (int y = 0; y < n; ++y) {
            const int d = darkOf(column[y]);
            dark += d;
            if (next && y + 1 < n && d == darkOf(column[y + 1]) && d == darkOf(next[y]) &&
                d == darkOf(next[y + 1])) {
                score += 3;
            }
        }
    }
    int deviation = 50 - dark * 100 / (n * n);
    if (deviation < 0)
        deviation = -deviation;
    return score + 10 * (deviation / 5);
}

// Tries all eight masks and keeps the lowest score (the lower number on a tie).
void CQR_Encode::chooseMask() {
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
}

void CQR_Encode::collapseModules() {
    for (int x = 0; x < symbolSize_; ++x) {
        for (int y = 0; y < symbolSize_; ++y)
            modules_[x][y] = darkOf(modules_[x][y]) ? 1 : 0;
    }
}

void CQR_Encode::buildMatrix(int version) {
    symbolSize_ = qr::symbolSizeOf(version);
    std::memset(modules_, 0, sizeof modules_);
    placeFunctionPatterns(version);
    placeCodewords();
    chooseMask();
    collapseModules();
}

}  // namespace omni
