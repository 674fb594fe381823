// Shared by the sub-commands that talk to a reader: opening its port, and the reader layer's
// open and link failures printed as one line.
#pragma once

#include <string>

#include "command.h"
#include "exit_status.h"
#include "foundation/exception.h"
#include "foundation/settings_store.h"
#include "line_options.h"
#include "reader/module_host.h"
#include "reader/reader_link.h"
#include "resources/string_ids.h"
#include "resources/strings.h"
#include "serial/port_discovery.h"

namespace omni::cli {

// The port descriptor of a device path, with the kind port discovery gives it.
inline serial::PortDescriptor devicePort(const std::string& device) {
    return {serial::kindOfDevice(device), device};
}

// Makes `port` open with the given line options over the settings stored for `device`.
inline void overrideLine(serial::SerialPortForPosix& port, const LineOptions& line,
                         const std::string& device) {
    if (line.any()) {
        port.setLineOverride(
            line.over(loadLineSettings(foundation::kProgramSettingsKey, devicePort(device))));
    }
}

// Opens the reader on `device` with the program's saved line settings (or the override set on
// `port`); 0 or the exit status after printing why it could not be opened.
inline int openReader(serial::SerialPortForPosix& port, const std::string& device) {
    reader::installModuleLock();
    reader::FailureKind kind{};
    const std::string failure = reader::openReaderPort(
        port, devicePort(device), foundation::kProgramSettingsKey, device, &kind);
    if (!failure.empty())
        return fail(failure, exitStatusOf(kind));
    return 0;
}

// One line for a failure of the link once the port is open.
inline int failLink(const foundation::Exception& error, const std::string& device) {
    return fail(reader::linkFailureMessage(device, error), exitStatusOf(error));
}

}  // namespace omni::cli
