// Encoding steps: version choice, error correction, interleaving, then the module matrix.
#include "menucode/qr/qr_encode.h"

#include <cstring>

#include "menucode/qr/qr_tables.h"

namespace omni::menucode::qr {

QrEncoder::QrEncoder() {
    std::memset(modules_, 0, sizeof modules_);
}

std::optional<QrSymbol> QrEncoder::encode(std::string_view text) {
    if (text.empty())
        return std::nullopt;
    level_ = 0;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    const int version = chooseVersion(bytes, static_cast<int>(text.size()));
    if (version == 0)
        return std::nullopt;
    terminateAndPad(version);
    buildCodewords(version);
    buildMatrix(version);
    version_ = version;
    symbolSize_ = symbolSizeOf(version);
    return finishedSymbol();
}

QrSymbol QrEncoder::finishedSymbol() const {
    QrSymbol symbol;
    symbol.version_ = version_;
    symbol.maskNumber_ = maskNumber_;
    symbol.symbolSize_ = symbolSize_;
    symbol.penaltyScore_ = penalty_;
    symbol.modules_.resize(static_cast<std::size_t>(symbolSize_) * symbolSize_);
    for (int x = 0; x < symbolSize_; ++x) {
        for (int y = 0; y < symbolSize_; ++y)
            symbol.modules_[static_cast<std::size_t>(x * symbolSize_ + y)] = modules_[x][y];
    }
    return symbol;
}

// Remainder of data(x) · x^eccLength divided by the generator of degree eccLength, into rsWork_.
void QrEncoder::computeEcc(const std::uint8_t* data, int dataLength, int eccLength) {
    const std::uint8_t* generator = kGenerators[eccLength].logCoefficients;
    std::uint8_t* rem = rsWork_;
    std::memset(rem, 0, static_cast<std::size_t>(eccLength));
    for (int i = 0; i < dataLength; ++i) {
        const std::uint8_t factor = data[i] ^ rem[0];
        std::memmove(rem, rem + 1, static_cast<std::size_t>(eccLength - 1));
        rem[eccLength - 1] = 0;
        if (factor == 0)
            continue;
        const int logFactor = kGalois.log[factor];
        for (int k = 0; k < eccLength; ++k)
            rem[k] ^= kGalois.exp[generator[k] + logFactor];
    }
}

// Splits the data codewords into the version's blocks, appends each block's error correction and
// interleaves: data codewords column by column over all blocks, then the error-correction
// codewords the same way.
void QrEncoder::buildCodewords(int version) {
    const BlockLayout layout = blockLayoutOf(version, level_);
    const int dataTotal = dataCodewordsOf(version, level_);
    allCodewordCount_ = kTotalCodewords[version];

    int blockStart = 0;
    for (int b = 0; b < layout.blocks; ++b) {
        const int length = layout.shortData + (b < layout.shortBlocks ? 0 : 1);
        computeEcc(dataCodewords_ + blockStart, length, layout.ecc);
        // Data codeword c of block b goes to column c; the long blocks' last codeword follows
        // the last full column.
        for (int c = 0; c < length; ++c) {
            int at;
            if (c < layout.shortData) {
                at = c * layout.blocks + b;
            } else {
                at = layout.shortData * layout.blocks + (b - layout.shortBlocks);
            }
            allCodewords_[at] = dataCodewords_[blockStart + c];
        }
        for (int c = 0; c < layout.ecc; ++c) {
            allCodewords_[dataTotal + c * layout.blocks + b] = rsWork_[c];
        }
        blockStart += length;
    }
}

}  // namespace omni::menucode::qr
