// Shared by the sub-commands that talk to a reader: option parsing messages, and the reader
// layer's open and link failures printed as one line.
#pragma once

#include <string>

#include "command.h"
#include "foundation/exception.h"
#include "foundation/settings_store.h"
#include "reader/reader_link.h"
#include "exit_status.h"
#include "resources/strings.h"
#include "serial/port_discovery.h"

namespace omni::cli {

// String ids of the argument messages (port.tsv).
inline constexpr std::uint32_t kIdMissingPort = 23515;
inline constexpr std::uint32_t kIdUnknownOption = 23516;
inline constexpr std::uint32_t kIdNoCommand = 23517;

// The text of string `id` with each "%s" replaced by the next argument.
inline std::string message(std::uint32_t id, std::initializer_list<std::string> args = {}) {
    std::string text = res::loadStringUtf8(id);
    for (const std::string& arg : args) {
        std::size_t at = text.find("%s");
        if (at == std::string::npos)
            break;
        text.replace(at, 2, arg);
    }
    return text;
}

// The port descriptor of a device path, with the kind port discovery gives it.
inline PortDescriptor devicePort(const std::string& device) {
    return {kindOfDevice(device), device};
}

// One line for a failure of the link once the port is open.
inline int failLink(const foundation::Exception& error, const std::string& device) {
    return fail(reader::linkFailureMessage(device, error), exitStatusOf(error));
}

}  // namespace omni::cli
