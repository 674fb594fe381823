// The replies of a tuning attempt, parsed apart from reading them: the reply body's length, the
// decoded data's length, the four corner points of the code and the imaging parameter block.
// Every parser takes whatever bytes a reader sent; a reply that cannot be read throws
// KesException(KES_STATE_COMMUNICATION_FAILURE).
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "tools/tuning_bank.h"

namespace omni::tools {

inline constexpr std::size_t kReplyHeader = 15;      // its last four bytes: the body's length
inline constexpr std::size_t kMaxReplyBody = 4096;   // a longer body is refused
inline constexpr std::size_t kDataLengthDigits = 6;  // the decoded data's length, in decimal
inline constexpr std::size_t kParameterBlock = 168;
inline constexpr std::size_t kMaxCornerText = 128;  // "x/y:x/y:x/y:x/y" with room to spare
inline constexpr std::size_t kMaxNumber = 19;       // digits of a number in a reply

struct CornerPoint {
    long long x = 0;
    long long y = 0;
};

// The first four bytes of `bytes` as a big-endian number (missing bytes count as 0).
std::uint32_t bigEndian(std::string_view bytes);

// The body length that a 15-byte reply header announces; beyond kMaxReplyBody it is refused.
std::size_t replyBodyLength(std::string_view header);

// The decoded data's length from its six decimal digits; anything but digits is refused.
std::size_t dataLength(std::string_view digits);

// The corner points from the text before the reply's ACK: numbers separated by "/" and ":",
// taken in pairs; other bytes are skipped, missing numbers are 0. A number that does not fit
// (more than kMaxNumber characters, a misplaced sign, beyond the range) is refused.
std::array<CornerPoint, 4> parseCorners(std::string_view text);

// The amplifications, exposure and light time of the 168-byte parameter block, into `bank`. The
// exposure is never below the light time.
void parseParameterBlock(std::string_view block, TuningBank& bank);

}  // namespace omni::tools
