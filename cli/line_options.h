// The line-setting options shared by the sub-commands that open a port:
//
//   --baud N  --data-bits 5|6|7|8  --parity none|odd|even|mark|space  --stop-bits 1|1.5|2
//   --flow none|hardware|software
//
// Given on identify or send they override the port's stored settings for that run only; given
// on port-settings they are stored.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "command.h"
#include "serial/line_settings.h"

namespace omni::cli {

struct LineOptions {
    std::optional<std::uint32_t> baudRate;
    std::optional<std::uint8_t> dataBits;
    std::optional<serial::Parity> parity;
    std::optional<serial::StopBits> stopBits;
    std::optional<serial::FlowControl> flowControl;

    bool any() const { return baudRate || dataBits || parity || stopBits || flowControl; }
    // `base` with every given option in place of its value.
    serial::LineSettings over(serial::LineSettings base) const;
};

enum class LineOptionResult { NotMine, Taken, Bad };

// When args[i] is one of the options, takes it and its value (moving i to the value) into
// `options`. Bad: the value is missing or not one the option takes; the message is printed and
// the caller returns exit code 2.
LineOptionResult takeLineOption(const Args& args, std::size_t& i, LineOptions& options);

// Walks the options of a sub-command that opens --port PATH with the line options: the port into
// `device`, the line options into `line`, every other option to `other` (true when it took it).
// Returns 0, or exit status 2 after printing what was wrong (a missing port or value, an unknown
// or bad option).
int takePortAndLineOptions(const Args& args, std::string& device, LineOptions& line,
                           const std::function<bool(const std::string&)>& other = {});

}  // namespace omni::cli
