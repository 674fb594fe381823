// Shared by the sub-commands that talk to a reader: option parsing for --port, opening the port
// and turning the link's exceptions into one clear line.
#pragma once

#include <cerrno>
#include <string>
#include <system_error>

#include "app/settings_store.h"
#include "command.h"
#include "resources/string_ids.h"
#include "resources/strings.h"
#include "serial/module_host.h"
#include "serial/port_discovery.h"
#include "serial/serial_port.h"
#include "ui/exception.h"

namespace omni::cli {

// Opens the port at `device`, with the kind port discovery gives it. Returns 0, or the exit code
// after printing why the port cannot be opened.
inline int openPort(SerialPortForPosix& port, const std::string& device) {
    try {
        port.open({kindOfDevice(device), device}, kProgramSettingsKey);
        return 0;
    } catch (const SystemException& e) {
        if (e.errorCode() == EACCES || e.errorCode() == EPERM) {
            return fail(res::formatUtf8(res::ids::PortNoAccess, {device}));
        }
        if (e.errorCode() == EBUSY)
            return fail(res::formatUtf8(res::ids::PortBusy, {device}));
        return fail(res::formatUtf8(res::ids::CannotOpenPort,
                                    {device, std::generic_category().message(e.errorCode())}));
    }
}

// One line for a failure of the link once the port is open.
inline int failLink(const Exception& error, const std::string& device) {
    if (auto* system = dynamic_cast<const SystemException*>(&error)) {
        return fail(res::formatUtf8(
            res::ids::ReaderLost, {device, std::generic_category().message(system->errorCode())}));
    }
    if (auto* kes = dynamic_cast<const KesException*>(&error)) {
        if (kes->state() == KES_STATE_COMMUNICATION_TIMEOUT)
            return fail(res::formatUtf8(res::ids::ReaderNoAnswer, {device}));
        if (kes->state() == KES_STATE_CREATE_HANDLE_FAILURE)
            return fail(res::loadStringUtf8(res::ids::UnknownEngine));
        // The module library's view of a device that went away while it was reading.
        if (kes->state() == KES_STATE_COMMUNICATION_FAILURE ||
            kes->state() == KES_STATE_SERIAL_PORT_IS_CLOSED) {
            return fail(res::formatUtf8(res::ids::ReaderLost,
                                        {device, std::generic_category().message(EIO)}));
        }
    }
    return fail(error.what());
}

}  // namespace omni::cli
