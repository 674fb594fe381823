// Arbitrary bytes as each reply of auto tuning: a bank block, the imaging parameter block, the
// corner text, the data length and the reply header. Nothing may crash or escape as anything but
// a communication failure, and what is read keeps its stated ranges.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "foundation/exception.h"
#include "tools/tuning_bank.h"
#include "tools/tuning_replies.h"

namespace {

template <typename Parse>
void refusedOrRead(Parse parse) {
    try {
        parse();
    } catch (const omni::foundation::KesException& e) {
        if (e.state() != KES_STATE_COMMUNICATION_FAILURE)
            std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace omni::tools;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    const TuningBank bank = parseBankBlock(bytes);
    if (bank.readTimeMs % 10 != 0 || bank.exposureUs < bank.lightUs || bank.lightUs < 0)
        std::abort();

    TuningBank tuned;
    parseParameterBlock(bytes, tuned);
    if (tuned.exposureUs < tuned.lightUs || tuned.lightUs < 0 || tuned.analogAmp < 0)
        std::abort();

    refusedOrRead([&] { parseCorners(bytes.substr(0, kMaxCornerText)); });
    refusedOrRead([&] {
        if (dataLength(bytes.substr(0, kDataLengthDigits)) > 999999)
            std::abort();
    });
    refusedOrRead([&] {
        if (replyBodyLength(bytes.substr(0, kReplyHeader)) > kMaxReplyBody)
            std::abort();
    });
    return 0;
}
