#include "reader/reader_link.h"

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <optional>
#include <system_error>

#include "resources/string_ids.h"
#include "resources/strings.h"

namespace omni::reader {
namespace {

std::string systemReason(int errorCode) {
    return std::generic_category().message(errorCode);
}

std::string lostMessage(std::string_view label, int errorCode) {
    return res::formatUtf8(res::ids::ReaderLost, {label, systemReason(errorCode)});
}

// A failure code and the message (with the port's label for %1) that says it in the user's words.
struct CodeMessage {
    int code;
    std::uint32_t messageId;
};

// Why a port would not open, by errno.
constexpr CodeMessage kOpenErrors[] = {
    {ENOENT, res::ids::PortMissing},    {ENODEV, res::ids::PortMissing},
    {ENXIO, res::ids::PortMissing},     {EACCES, res::ids::PortNoAccess},
    {EPERM, res::ids::PortNoAccess},    {EBUSY, res::ids::PortBusy},
    {ENOTTY, res::ids::NotASerialPort}, {EINVAL, res::ids::NotASerialPort},
};

// Why an open link failed, by module-library status.
constexpr CodeMessage kLinkStates[] = {
    {KES_STATE_COMMUNICATION_TIMEOUT, res::ids::ReaderNoAnswer},
    {KES_STATE_CREATE_HANDLE_FAILURE, res::ids::NotAReader},
};

template <std::size_t N>
std::optional<std::uint32_t> messageOf(const CodeMessage (&table)[N], int code) {
    for (const CodeMessage& entry : table) {
        if (entry.code == code)
            return entry.messageId;
    }
    return std::nullopt;
}

// Identification within the port's overall limit: each wait of the exchange is capped so that a
// device that keeps sending without ending its line cannot hold the attempt.
void identify(serial::SerialPortForPosix& port, Connection& connection) {
    port.limitWaitsUntil(std::chrono::steady_clock::now() +
                         std::chrono::milliseconds(port.timing().identifyLimitMs));
    try {
        connection.module = openModule(port.moduleHandle());
    } catch (...) {
        port.clearWaitLimit();
        throw;
    }
    port.clearWaitLimit();
    const ModuleIdentity identity = connection.module.identity();
    connection.identity = {identity.className, identity.firmware, identity.model};
}

void closeQuietly(serial::SerialPortForPosix& port) {
    try {
        port.close();
    } catch (const foundation::Exception&) {
        // The port is unusable either way; the failure message says why.
    }
}

}  // namespace

bool isOneDimensionalVersion(std::string_view version) {
    for (std::string_view prefix : {"TC", "TM", "TS", "TF", "DA", "BFM"}) {
        if (version.starts_with(prefix))
            return true;
    }
    return false;
}

std::string openReaderPort(serial::SerialPortForPosix& port, const serial::PortDescriptor& device,
                           std::string_view keyPath, std::string_view label, FailureKind* kind) {
    if (kind)
        *kind = FailureKind::None;
    try {
        port.open(device, keyPath);
        return {};
    } catch (const foundation::Exception& e) {
        closeQuietly(port);
        if (kind)
            *kind = failureKindOf(e, true);
        return openFailureMessage(label, e);
    }
}

FailureKind failureKindOf(const foundation::Exception& error, bool opening) {
    // Opening refuses with a user exception only line settings the port does not take.
    if (dynamic_cast<const foundation::UserException*>(&error))
        return opening ? FailureKind::LineSettings : FailureKind::Link;
    if (const auto* system = dynamic_cast<const foundation::SystemException*>(&error);
        system && opening) {
        const int code = system->errorCode();
        return code == ENOENT ? FailureKind::NoSuchPort : FailureKind::Port;
    }
    if (const auto* kes = dynamic_cast<const foundation::KesException*>(&error);
        kes && kes->state() == KES_STATE_COMMUNICATION_TIMEOUT)
        return FailureKind::NoAnswer;
    return opening ? FailureKind::Port : FailureKind::Link;
}

Connection connectReader(serial::SerialPortForPosix& port, const serial::PortDescriptor& device,
                         std::string_view keyPath, std::string_view label) {
    Connection connection;
    connection.failure = openReaderPort(port, device, keyPath, label, &connection.failureKind);
    if (!connection.ok())
        return connection;
    try {
        identify(port, connection);
    } catch (const foundation::Exception& e) {
        connection.module.reset();
        connection.identity = {};
        connection.failure = linkFailureMessage(label, e);
        connection.failureKind = failureKindOf(e, false);
        closeQuietly(port);
    }
    return connection;
}

std::string openFailureMessage(std::string_view label, const foundation::Exception& error) {
    if (const auto* kes = dynamic_cast<const foundation::KesException*>(&error);
        kes && kes->state() == KES_STATE_CREATE_HANDLE_FAILURE) {
        return res::formatUtf8(res::ids::NotAReader, {label});
    }
    if (const auto* system = dynamic_cast<const foundation::SystemException*>(&error)) {
        if (const std::optional<std::uint32_t> id = messageOf(kOpenErrors, system->errorCode()))
            return res::formatUtf8(*id, {label});
    }
    return res::formatUtf8(res::ids::CannotOpenPort, {label, res::toUtf8(error.text())});
}

std::string linkFailureMessage(std::string_view label, const foundation::Exception& error) {
    if (const auto* system = dynamic_cast<const foundation::SystemException*>(&error))
        return lostMessage(label, system->errorCode());
    if (const auto* kes = dynamic_cast<const foundation::KesException*>(&error)) {
        // The module library's view of a device that went away while it was reading.
        if (kes->state() == KES_STATE_COMMUNICATION_FAILURE ||
            kes->state() == KES_STATE_SERIAL_PORT_IS_CLOSED)
            return lostMessage(label, EIO);
        if (const std::optional<std::uint32_t> id = messageOf(kLinkStates, kes->state()))
            return res::formatUtf8(*id, {label});
    }
    return error.what();
}

}  // namespace omni::reader
