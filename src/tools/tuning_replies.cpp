#include "tools/tuning_replies.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <vector>

#include "foundation/exception.h"

namespace omni::tools {
namespace {

// Text fields of the parameter block: offset and width.
struct Field {
    std::size_t at, width;
};
constexpr Field kAnalogField{139, 4};
constexpr Field kDigitalField{144, 4};
constexpr Field kExposureField{149, 6};
constexpr Field kLightField{156, 6};
static_assert(kLightField.at + kLightField.width <= kParameterBlock);

[[noreturn]] void refuse() {
    throw foundation::KesException(KES_STATE_COMMUNICATION_FAILURE);
}

long long decimalField(std::string_view block, Field field) {
    long long value = 0;
    for (char c : block.substr(std::min(field.at, block.size()), field.width)) {
        if (std::isdigit(static_cast<unsigned char>(c)))
            value = value * 10 + (c - '0');
    }
    return value;
}

// One number of the corner text: its digits and signs, other bytes skipped; empty is 0.
long long cornerNumber(std::string_view field) {
    std::string kept;
    for (char c : field) {
        if (std::isdigit(static_cast<unsigned char>(c)) || c == '-') {
            if (kept.size() >= kMaxNumber)
                refuse();
            kept += c;
        }
    }
    if (kept.empty())
        return 0;
    long long value = 0;
    const auto [end, error] = std::from_chars(kept.data(), kept.data() + kept.size(), value);
    if (error != std::errc() || end != kept.data() + kept.size())
        refuse();
    return value;
}

}  // namespace

std::uint32_t bigEndian(std::string_view bytes) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        const auto byte = i < bytes.size() ? static_cast<unsigned char>(bytes[i]) : 0u;
        value = (value << 8) | byte;
    }
    return value;
}

std::size_t replyBodyLength(std::string_view header) {
    const std::uint32_t length =
        bigEndian(header.substr(std::min(header.size(), kReplyHeader - 4)));
    if (length > kMaxReplyBody)
        refuse();
    return length;
}

std::size_t dataLength(std::string_view digits) {
    std::size_t length = 0;
    for (char c : digits.substr(0, kDataLengthDigits)) {
        if (!std::isdigit(static_cast<unsigned char>(c)))
            refuse();
        length = length * 10 + static_cast<std::size_t>(c - '0');
    }
    return length;
}

std::array<CornerPoint, 4> parseCorners(std::string_view text) {
    std::vector<long long> numbers;
    for (std::size_t start = 0;;) {
        const std::size_t end = text.find_first_of("/:", start);
        numbers.push_back(cornerNumber(text.substr(start, end - start)));
        if (end == std::string_view::npos)
            break;
        start = end + 1;
    }
    std::array<CornerPoint, 4> corners{};
    for (std::size_t i = 0; i < corners.size() && 2 * i + 1 < numbers.size(); ++i)
        corners[i] = {numbers[2 * i], numbers[2 * i + 1]};
    return corners;
}

void parseParameterBlock(std::string_view block, TuningBank& bank) {
    bank.analogAmp = decimalField(block, kAnalogField) / 100.0;
    bank.digitalAmp = decimalField(block, kDigitalField) / 100.0;
    bank.exposureUs = decimalField(block, kExposureField);
    bank.lightUs = decimalField(block, kLightField);
    bank.exposureUs = std::max(bank.exposureUs, bank.lightUs);
}

}  // namespace omni::tools
