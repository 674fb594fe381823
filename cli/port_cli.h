// Shared by the sub-commands that talk to a reader: option parsing for --port, opening the port
// and turning the link's exceptions into one clear line.
#pragma once

#include <cerrno>
#include <string>
#include <system_error>

#include "app/settings_store.h"
#include "command.h"
#include "exit_status.h"
#include "resources/strings.h"
#include "serial/module_host.h"
#include "serial/port_discovery.h"
#include "serial/serial_port.h"
#include "ui/exception.h"

namespace omni::cli {

// String ids of the messages (port.tsv, module.tsv).
inline constexpr std::uint32_t kIdCannotOpen = 23510;
inline constexpr std::uint32_t kIdNoAnswer = 23511;
inline constexpr std::uint32_t kIdLost = 23512;
inline constexpr std::uint32_t kIdNoAccess = 23513;
inline constexpr std::uint32_t kIdBusy = 23514;
inline constexpr std::uint32_t kIdMissingPort = 23515;
inline constexpr std::uint32_t kIdUnknownOption = 23516;
inline constexpr std::uint32_t kIdNoCommand = 23517;
inline constexpr std::uint32_t kIdUnknownEngine = 24000;

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

// Opens the port at `device`, with the kind port discovery gives it. Returns 0, or the exit code
// after printing why the port cannot be opened.
inline int openPort(SerialPortForPosix& port, const std::string& device) {
    try {
        port.open({kindOfDevice(device), device}, kProgramSettingsKey);
        return 0;
    } catch (const SystemException& e) {
        if (e.errorCode() == EACCES || e.errorCode() == EPERM) {
            return fail(message(kIdNoAccess, {device}));
        }
        if (e.errorCode() == EBUSY)
            return fail(message(kIdBusy, {device}));
        // A path that names nothing is a bad argument; any other refusal is the port's.
        return fail(
            message(kIdCannotOpen, {device, std::generic_category().message(e.errorCode())}),
            e.errorCode() == ENOENT ? ExitBadInput : ExitReaderFailed);
    }
}

// One line for a failure of the link once the port is open.
inline int failLink(const Exception& error, const std::string& device) {
    if (auto* system = dynamic_cast<const SystemException*>(&error)) {
        return fail(
            message(kIdLost, {device, std::generic_category().message(system->errorCode())}));
    }
    if (auto* kes = dynamic_cast<const KesException*>(&error)) {
        if (kes->state() == KES_STATE_COMMUNICATION_TIMEOUT)
            return fail(message(kIdNoAnswer, {device}), ExitNoAnswer);
        if (kes->state() == KES_STATE_CREATE_HANDLE_FAILURE)
            return fail(message(kIdUnknownEngine));
        // The module library's view of a device that went away while it was reading.
        if (kes->state() == KES_STATE_COMMUNICATION_FAILURE ||
            kes->state() == KES_STATE_SERIAL_PORT_IS_CLOSED) {
            return fail(message(kIdLost, {device, std::generic_category().message(EIO)}));
        }
    }
    return fail(error.what());
}

}  // namespace omni::cli
