// QR Code (Model 2) encoder for 8-bit text, at error-correction level L.
//
// The encoder segments the text into numeric, alphanumeric, 8-bit and Kanji (Shift JIS) runs,
// picks the smallest version that holds the bit stream, adds Reed-Solomon codewords, places
// everything in the module matrix and chooses the mask with the lowest penalty score. The work
// storage lives inside the encoder; only the finished symbol is allocated. Not thread-safe; one
// encoder per thread.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace omni::menucode::qr {

// An encoded symbol: its version, mask and module matrix. A value; the empty symbol has size 0.
class QrSymbol {
public:
    int version() const { return version_; }
    int maskNumber() const { return maskNumber_; }
    int symbolSize() const { return symbolSize_; }  // modules per side, without quiet zone
    bool empty() const { return symbolSize_ == 0; }
    // Module at column x, row y (0..symbolSize-1, origin top left): true when dark.
    bool isDark(int x, int y) const {
        return modules_[static_cast<std::size_t>(x * symbolSize_ + y)] != 0;
    }
    // The penalty score its mask was chosen by.
    int penaltyScore() const { return penaltyScore_; }

private:
    friend class QrEncoder;
    int version_ = 0;
    int maskNumber_ = -1;
    int symbolSize_ = 0;
    int penaltyScore_ = 0;
    std::vector<std::uint8_t> modules_;  // [x * symbolSize + y], 1 dark
};

class QrEncoder {
public:
    static constexpr int kMaxVersion = 40;
    static constexpr int kMaxSymbolSize = 177;  // modules per side of version 40
    static constexpr int kMaxDataBytes = 2956;  // data codewords of version 40 at level L
    static constexpr int kMaxDataBits = 8 * kMaxDataBytes;
    static constexpr int kMaxCodewords = 3706;  // all codewords of version 40
    static constexpr int kMaxEccPerBlock = 30;

    enum Mode : std::uint8_t { Numeric = 0, Alphanumeric = 1, Byte = 2, Kanji = 3 };

    QrEncoder();

    // The symbol of `text`; nothing for an empty text or one that does not fit version 40 at
    // level L.
    std::optional<QrSymbol> encode(std::string_view text);

    // The data bit stream and segments of the last encode attempt.
    int dataBits() const { return dataBits_; }
    int segmentCount() const { return blockCount_; }
    Mode segmentMode(int i) const { return static_cast<Mode>(blockMode_[i]); }
    int segmentLength(int i) const { return blockLength_[i]; }  // input bytes

private:
    // Penalty score of the work matrix as masked.
    int penaltyScore() const;
    QrSymbol finishedSymbol() const;

    int level_ = 0;        // error-correction level index; always 0 (L)
    int version_ = 0;      // 1..40
    int maskNumber_ = -1;  // chosen mask pattern 0..7
    int penalty_ = 0;      // its penalty score
    int symbolSize_ = 0;   // version * 4 + 17
    // Module matrix, [x][y]. While building: bit 5 marks a function module, bit 4 its colour,
    // bit 1 the unmasked data bit, bit 0 the masked data bit. Afterwards 1 dark, 0 light.
    std::uint8_t modules_[kMaxSymbolSize][kMaxSymbolSize];

    // Segmentation and the data bit stream (qr_segment.cpp).
    void classify(const std::uint8_t* text, int length);
    void mergeNumericAlphanumeric(int group);
    void mergeIntoBytes(int group);
    int segmentBits(int mode, int length, int group) const;
    bool writeSegments(const std::uint8_t* text, int group);
    bool putBits(std::uint32_t value, int count);
    int chooseVersion(const std::uint8_t* text, int length);
    void terminateAndPad(int version);

    // Error correction and interleaving (qr_encode.cpp).
    void buildCodewords(int version);
    void computeEcc(const std::uint8_t* data, int dataLength, int eccLength);

    // Module matrix (qr_matrix.cpp).
    void buildMatrix(int version);
    void setFunction(int x, int y, bool dark);
    void placeFinder(int cx, int cy);
    void placeAlignment(int cx, int cy);
    void placeFunctionPatterns(int version);
    void placeVersionInfo(int version);
    void placeFormatInfo(int mask);
    void placeCodewords();
    void applyMask(int mask);
    void chooseMask();
    void collapseModules();

    int dataBits_ = 0;
    std::uint8_t dataCodewords_[kMaxDataBytes];
    int blockCount_ = 0;                     // segments
    std::uint8_t blockMode_[kMaxDataBytes];  // Mode of each segment
    int blockLength_[kMaxDataBytes];         // input bytes of each segment
    bool streamValid_ = true;
    int allCodewordCount_ = 0;
    std::uint8_t allCodewords_[kMaxCodewords];
    std::uint8_t rsWork_[kMaxEccPerBlock + 123];  // one block's data plus its remainder
};

}  // namespace omni::menucode::qr
