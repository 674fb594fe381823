// Segmentation of the input into modes and the data bit stream.
#include <cstring>

#include "menucode/qr/qr_encode.h"
#include "menucode/qr/qr_tables.h"

namespace omni::menucode::qr {

namespace {

// Character-count field widths by mode (numeric, alphanumeric, 8-bit, Kanji) and version group
// (versions 1-9, 10-26, 27-40).
constexpr int kCountBits[4][3] = {{10, 12, 14}, {9, 11, 13}, {8, 16, 16}, {8, 10, 12}};
constexpr int kGroupFirst[3] = {1, 10, 27};
constexpr int kGroupLast[3] = {9, 26, 40};
constexpr int kModeIndicator[4] = {0b0001, 0b0010, 0b0100, 0b1000};

// Value of an alphanumeric character 0..44, or -1.
constexpr int alphanumericValue(std::uint8_t c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'Z')
        return c - 'A' + 10;
    switch (c) {
        case ' ':
            return 36;
        case '$':
            return 37;
        case '%':
            return 38;
        case '*':
            return 39;
        case '+':
            return 40;
        case '-':
            return 41;
        case '.':
            return 42;
        case '/':
            return 43;
        case ':':
            return 44;
        default:
            return -1;
    }
}

// True when the two bytes form a Shift JIS character of the QR Kanji range.
constexpr bool isKanjiPair(std::uint8_t first, std::uint8_t second) {
    const int value = first << 8 | second;
    if (second < 0x40)
        return false;
    return (value >= 0x8140 && value <= 0x9FFC) || (value >= 0xE040 && value <= 0xEBBF);
}

constexpr int classOf(std::uint8_t c) {
    if (c >= '0' && c <= '9')
        return QrEncoder::Numeric;
    return alphanumericValue(c) >= 0 ? QrEncoder::Alphanumeric : QrEncoder::Byte;
}

}  // namespace

// Splits the input into maximal runs of one class. Fails (0 segments) when there are more runs
// than any stream could hold.
void QrEncoder::classify(const std::uint8_t* text, int length) {
    blockCount_ = 0;
    int i = 0;
    while (i < length) {
        int mode;
        int width = 1;
        if (i + 1 < length && isKanjiPair(text[i], text[i + 1])) {
            mode = Kanji;
            width = 2;
        } else {
            mode = classOf(text[i]);
        }
        if (blockCount_ > 0 && blockMode_[blockCount_ - 1] == mode) {
            blockLength_[blockCount_ - 1] += width;
        } else {
            if (blockCount_ == kMaxDataBytes) {
                blockCount_ = 0;
                return;
            }
            blockMode_[blockCount_] = static_cast<std::uint8_t>(mode);
            blockLength_[blockCount_] = width;
            ++blockCount_;
        }
        i += width;
    }
}

// Bits of one segment: mode indicator, count field and data.
int QrEncoder::segmentBits(int mode, int length, int group) const {
    int data = 0;
    switch (mode) {
        case Numeric:
            data = 10 * (length / 3) + (length % 3 == 0 ? 0 : length % 3 == 1 ? 4 : 7);
            break;
        case Alphanumeric:
            data = 11 * (length / 2) + 6 * (length % 2);
            break;
        case Byte:
            data = 8 * length;
            break;
        default:
            data = 13 * (length / 2);
            break;
    }
    return 4 + kCountBits[mode][group] + data;
}

// Both passes rewrite the segment list in place in one sweep: segments [0, top) are the ones
// already passed over, [next, blockCount_) the ones still ahead, and the pair under examination
// is the last passed-over segment and the first one ahead. Merging only ever shrinks the list,
// so top <= next holds throughout.

// First pass: a numeric segment next to an alphanumeric one is joined into one alphanumeric
// segment when that is shorter, unless handing one of them to a neighbouring 8-bit segment is
// shorter still.
void QrEncoder::mergeNumericAlphanumeric(int group) {
    if (blockCount_ == 0)
        return;
    int top = 1, next = 1;
    const auto pass = [&] {  // the first segment ahead joins the passed-over ones
        blockMode_[top] = blockMode_[next];
        blockLength_[top++] = blockLength_[next++];
    };
    while (next < blockCount_) {
        const int i = top - 1;
        const int mi = blockMode_[i], mj = blockMode_[next];
        const bool mixed =
            (mi == Numeric && mj == Alphanumeric) || (mi == Alphanumeric && mj == Numeric);
        if (!mixed) {
            pass();
            continue;
        }
        const int li = blockLength_[i], lj = blockLength_[next];
        const int joined = segmentBits(Alphanumeric, li + lj, group);
        const int si = segmentBits(mi, li, group);
        const int sj = segmentBits(mj, lj, group);
        if (si + sj <= joined) {
            pass();
            continue;
        }
        const bool byteBefore = i > 0 && blockMode_[i - 1] == Byte;
        const bool byteAfter = next + 1 < blockCount_ && blockMode_[next + 1] == Byte;
        bool haveLeft = false, haveRight = false;
        int left = 0, right = 0;
        if (byteBefore) {
            const int lb = blockLength_[i - 1];
            left = sj + segmentBits(Byte, lb + li, group);
            haveLeft = left <= segmentBits(Byte, lb, group) + joined;
        }
        if (byteAfter) {
            const int rb = blockLength_[next + 1];
            right = si + segmentBits(Byte, lj + rb, group);
            haveRight = right <= segmentBits(Byte, rb, group) + joined;
        }
        if (haveRight && (!haveLeft || right <= left)) {
            // The second of the pair goes into the 8-bit segment after it.
            blockLength_[next + 1] += lj;
            ++next;
        } else if (haveLeft) {
            // The first of the pair goes into the 8-bit segment before it; the examination moves
            // on to the next pair.
            blockLength_[i - 1] += li;
            --top;
            pass();
        } else {
            // One alphanumeric segment, absorbing alphanumeric neighbours on both sides.
            blockMode_[i] = Alphanumeric;
            blockLength_[i] += lj;
            ++next;
            if (next < blockCount_ && blockMode_[next] == Alphanumeric) {
                blockLength_[i] += blockLength_[next++];
            }
            if (i > 0 && blockMode_[i - 1] == Alphanumeric) {
                blockLength_[i - 1] += blockLength_[i];
                --top;
                if (next < blockCount_)
                    pass();
            }
        }
    }
    blockCount_ = top;
}

// Second pass: any two neighbours become one 8-bit segment when that is shorter, counting the
// headers saved by absorbing 8-bit segments on either side; the examination then steps back to
// the pair before the merged segment.
void QrEncoder::mergeIntoBytes(int group) {
    if (blockCount_ == 0)
        return;
    const int header = 4 + kCountBits[Byte][group];
    int top = 1, next = 1;
    while (next < blockCount_) {
        const int i = top - 1;
        const bool byteBefore = i > 0 && blockMode_[i - 1] == Byte;
        const bool byteAfter = next + 1 < blockCount_ && blockMode_[next + 1] == Byte;
        const int separate = segmentBits(blockMode_[i], blockLength_[i], group) +
                             segmentBits(blockMode_[next], blockLength_[next], group);
        int joined = segmentBits(Byte, blockLength_[i] + blockLength_[next], group);
        if (byteBefore)
            joined -= header;
        if (byteAfter)
            joined -= header;
        if (joined >= separate) {
            blockMode_[top] = blockMode_[next];
            blockLength_[top++] = blockLength_[next++];
            continue;
        }
        int length = blockLength_[i] + blockLength_[next++];
        --top;
        if (byteAfter)
            length += blockLength_[next++];
        if (byteBefore)
            length += blockLength_[--top];
        // The merged segment becomes the first one ahead, unless nothing precedes it.
        if (top == 0) {
            blockMode_[0] = Byte;
            blockLength_[0] = length;
            top = 1;
        } else {
            --next;
            blockMode_[next] = Byte;
            blockLength_[next] = length;
        }
    }
    blockCount_ = top;
}

// Appends the low `count` bits of `value`, most significant first; marks the stream invalid
// instead of passing its limit.
bool QrEncoder::putBits(std::uint32_t value, int count) {
    if (!streamValid_ || dataBits_ + count > kMaxDataBits) {
        streamValid_ = false;
        return false;
    }
    for (int bit = count - 1; bit >= 0; --bit) {
        const int byte = dataBits_ >> 3;
        const int shift = 7 - (dataBits_ & 7);
        if (shift == 7)
            dataCodewords_[byte] = 0;
        dataCodewords_[byte] |= static_cast<std::uint8_t>(((value >> bit) & 1) << shift);
        ++dataBits_;
    }
    return true;
}

bool QrEncoder::writeSegments(const std::uint8_t* text, int group) {
    dataBits_ = 0;
    streamValid_ = true;
    const std::uint8_t* p = text;
    for (int s = 0; s < blockCount_ && streamValid_; ++s) {
        const int mode = blockMode_[s];
        const int length = blockLength_[s];
        putBits(static_cast<std::uint32_t>(kModeIndicator[mode]), 4);
        putBits(static_cast<std::uint32_t>(mode == Kanji ? length / 2 : length),
                kCountBits[mode][group]);
        int i = 0;
        switch (mode) {
            case Numeric:
                for (; i + 3 <= length; i += 3) {
                    putBits(static_cast<std::uint32_t>((p[i] - '0') * 100 + (p[i + 1] - '0') * 10 +
                                                       (p[i + 2] - '0')),
                            10);
                }
                if (length - i == 1)
                    putBits(static_cast<std::uint32_t>(p[i] - '0'), 4);
                if (length - i == 2) {
                    putBits(static_cast<std::uint32_t>((p[i] - '0') * 10 + (p[i + 1] - '0')), 7);
                }
                break;
            case Alphanumeric:
                for (; i + 2 <= length; i += 2) {
                    putBits(static_cast<std::uint32_t>(alphanumericValue(p[i]) * 45 +
                                                       alphanumericValue(p[i + 1])),
                            11);
                }
                if (i < length)
                    putBits(static_cast<std::uint32_t>(alphanumericValue(p[i])), 6);
                break;
            case Byte:
                for (; i < length && streamValid_; ++i)
                    putBits(p[i], 8);
                break;
            default:
                for (; i + 2 <= length; i += 2) {
                    int value = p[i] << 8 | p[i + 1];
                    value -= value <= 0x9FFC ? 0x8140 : 0xC140;
                    putBits(static_cast<std::uint32_t>((value >> 8) * 0xC0 + (value & 0xFF)), 13);
                }
                break;
        }
        p += length;
    }
    return streamValid_;
}

// Builds the stream with each version group's count widths in turn and returns the smallest
// version that holds it, or 0.
int QrEncoder::chooseVersion(const std::uint8_t* text, int length) {
    for (int group = 0; group < 3; ++group) {
        classify(text, length);
        if (blockCount_ == 0)
            return 0;
        mergeNumericAlphanumeric(group);
        mergeIntoBytes(group);
        if (!writeSegments(text, group))
            continue;
        const int bytes = (dataBits_ + 7) / 8;
        for (int v = kGroupFirst[group]; v <= kGroupLast[group]; ++v) {
            if (dataCodewordsOf(v, level_) >= bytes)
                return v;
        }
    }
    return 0;
}

// Terminator (up to 4 zero bits), zero bits to the byte boundary, then the pad bytes 236 and 17
// alternately up to the version's data capacity.
void QrEncoder::terminateAndPad(int version) {
    const int capacityBits = dataCodewordsOf(version, level_) * 8;
    const int streamBits = dataBits_;
    const int terminator = capacityBits - dataBits_ < 4 ? capacityBits - dataBits_ : 4;
    putBits(0, terminator);
    if (dataBits_ % 8 != 0)
        putBits(0, 8 - dataBits_ % 8);
    for (std::uint8_t pad = 236; dataBits_ < capacityBits; pad = pad == 236 ? 17 : 236) {
        putBits(pad, 8);
    }
    dataBits_ = streamBits;  // the stream's own length, without terminator and padding
}

}  // namespace omni::menucode::qr
