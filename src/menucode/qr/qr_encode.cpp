// Encoding steps: version choice, error correction, interleaving, then the module matrix.
#include "menucode/qr/qr_encode.h"

#include <cstring>

#include "menucode/qr/qr_tables.h"

namespace omni {

CQR_Encode::CQR_Encode() {
    std::memset(modules_, 0, sizeof modules_);
}

bool CQR_Encode::encode(const char* text, int length) {
    if (text == nullptr)
        return false;
    if (length <= 0)
        length = static_cast<int>(std::strlen(text));
    if (length == 0)
        return false;
    level_ = 0;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text);
    const int version = chooseVersion(bytes, length);
    if (version == 0)
        return false;
    terminateAndPad(version);
    buildCodewords(version);
    buildMatrix(version);
    version_ = version;
    symbolSize_ = qr::symbolSizeOf(version);
    return true;
}

// Remainder of data(x) · x^eccLength divided by the generator of degree eccLength, into rsWork_.
void CQR_Encode::computeEcc(const std::uint8_t* data, int dataLength, int eccLength) {
    const std::uint8_t* generator = qr::kGenerators[eccLength].logCoefficients;
    std::uint8_t* rem = rsWork_;
    std::memset(rem, 0, static_cast<std::size_t>(eccLength));
    for (int i = 0; i < dataLength; ++i) {
        const std::uint8_t factor = data[i] ^ rem[0];
        std::memmove(rem, rem + 1, static_cast<std::size_t>(eccLength - 1));
        rem[eccLength - 1] = 0;
        if (factor == 0)
            continue;
        const int logFactor = qr::kGalois.log[factor];
        for (int k = 0; k < eccLength; ++k)
            rem[k] ^= qr::kGalois.exp[generator[k] + logFactor];
    }
}

// Splits the data codewords into the version's blocks, appends each block's error correction and
// interleaves: data codewords column by column over all blocks, then the error-correction
// codewords the same way.
void CQR_Encode::buildCodewords(int version) {
    const qr::BlockLayout layout = qr::blockLayoutOf(version, level_);
    const int dataTotal = qr::dataCodewordsOf(version, level_);
    allCodewordCount_ = qr::kTotalCodewords[version];

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

}  // namespace omni
