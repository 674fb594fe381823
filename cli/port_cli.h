// Shared by the sub-commands that talk to a reader: option parsing messages, and the reader
// layer's open and link failures printed as one line.
#pragma once

#include <string>

#include "command.h"
#include "exit_status.h"
#include "foundation/exception.h"
#include "foundation/settings_store.h"
#include "reader/reader_link.h"
#include "resources/string_ids.h"
#include "resources/strings.h"
#include "serial/port_discovery.h"

namespace omni::cli {

// The port descriptor of a device path, with the kind port discovery gives it.
inline serial::PortDescriptor devicePort(const std::string& device) {
    return {serial::kindOfDevice(device), device};
}

// One line for a failure of the link once the port is open.
inline int failLink(const foundation::Exception& error, const std::string& device) {
    return fail(reader::linkFailureMessage(device, error), exitStatusOf(error));
}

}  // namespace omni::cli
