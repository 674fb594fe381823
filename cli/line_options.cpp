#include "line_options.h"

#include <charconv>
#include <string_view>

#include "exit_status.h"
#include "resources/string_ids.h"
#include "resources/strings.h"

namespace omni::cli {
namespace {

std::optional<std::uint32_t> number(std::string_view text, std::uint32_t low, std::uint32_t high) {
    std::uint32_t value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < low || value > high)
        return std::nullopt;
    return value;
}

}  // namespace

serial::LineSettings LineOptions::over(serial::LineSettings base) const {
    if (baudRate)
        base.baudRate = *baudRate;
    if (dataBits)
        base.dataBits = *dataBits;
    if (parity)
        base.parity = *parity;
    if (stopBits)
        base.stopBits = *stopBits;
    if (flowControl)
        base.flowControl = *flowControl;
    return base;
}

LineOptionResult takeLineOption(const Args& args, std::size_t& i, LineOptions& options) {
    const std::string& name = args[i];
    if (name != "--baud" && name != "--data-bits" && name != "--parity" && name != "--stop-bits" &&
        name != "--flow") {
        return LineOptionResult::NotMine;
    }
    const std::string value = i + 1 < args.size() ? args[++i] : std::string();
    bool good = true;
    if (name == "--baud") {
        options.baudRate = number(value, 1, 100000000);
        good = options.baudRate.has_value();
    } else if (name == "--data-bits") {
        auto bits = number(value, 5, 8);
        good = bits.has_value();
        if (good)
            options.dataBits = static_cast<std::uint8_t>(*bits);
    } else if (name == "--parity") {
        options.parity = serial::parityNamed(value);
        good = options.parity.has_value();
    } else if (name == "--stop-bits") {
        options.stopBits = serial::stopBitsNamed(value);
        good = options.stopBits.has_value();
    } else {
        options.flowControl = serial::flowNamed(value);
        good = options.flowControl.has_value();
    }
    if (good)
        return LineOptionResult::Taken;
    fail(res::formatUtf8(res::ids::LineOptionBad, {name, value}), 2);
    return LineOptionResult::Bad;
}

int takePortAndLineOptions(const Args& args, std::string& device, LineOptions& line,
                           const std::function<bool(const std::string&)>& other) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--port" && i + 1 < args.size()) {
            device = args[++i];
        } else if (args[i] == "--port") {
            return fail(res::formatUtf8(res::ids::OptionNeedsValue, {args[i]}), ExitBadInput);
        } else if (auto taken = takeLineOption(args, i, line); taken != LineOptionResult::NotMine) {
            if (taken == LineOptionResult::Bad)
                return ExitBadInput;
        } else if (!other || !other(args[i])) {
            return fail(res::formatUtf8(res::ids::UnknownOption, {args[i]}), ExitBadInput);
        }
    }
    if (device.empty())
        return fail(res::loadStringUtf8(res::ids::MissingPort), ExitBadInput);
    return 0;
}

}  // namespace omni::cli
