#include "reader/reader_link.h"

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <system_error>

#include "resources/strings.h"

namespace omni::reader {
namespace {

// Open failures (connect.tsv, port.tsv).
constexpr std::uint32_t kIdPortMissing = 20538;  // %1 port
constexpr std::uint32_t kIdNotASerialPort = 20539;
constexpr std::uint32_t kIdNotAReader = 20544;
constexpr std::uint32_t kIdCannotOpen = 23510;  // %1 port, %2 the system's reason
constexpr std::uint32_t kIdNoAccess = 23513;
constexpr std::uint32_t kIdBusy = 23514;
// Link failures (port.tsv).
constexpr std::uint32_t kIdNoAnswer = 23511;  // %1 port
constexpr std::uint32_t kIdLost = 23512;      // %1 port, %2 the system's reason

std::string systemReason(int errorCode) {
    return std::generic_category().message(errorCode);
}

std::string lostMessage(std::string_view label, int errorCode) {
    return res::formatUtf8(kIdLost, {label, systemReason(errorCode)});
}

// Identification within the port's overall limit: each wait of the exchange is capped so that a
// device that keeps sending without ending its line cannot hold the attempt.
void identify(SerialPortForPosix& port, Connection& connection) {
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

void closeQuietly(SerialPortForPosix& port) {
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

std::string openReaderPort(SerialPortForPosix& port, const PortDescriptor& device,
                           std::string_view keyPath, std::string_view label) {
    try {
        port.open(device, keyPath);
        return {};
    } catch (const foundation::Exception& e) {
        closeQuietly(port);
        return openFailureMessage(label, e);
    }
}

Connection connectReader(SerialPortForPosix& port, const PortDescriptor& device,
                         std::string_view keyPath, std::string_view label) {
    Connection connection;
    connection.failure = openReaderPort(port, device, keyPath, label);
    if (!connection.ok())
        return connection;
    try {
        identify(port, connection);
    } catch (const foundation::Exception& e) {
        connection.module.reset();
        connection.identity = {};
        connection.failure = linkFailureMessage(label, e);
        closeQuietly(port);
    }
    return connection;
}

std::string openFailureMessage(std::string_view label, const foundation::Exception& error) {
    if (const auto* kes = dynamic_cast<const foundation::KesException*>(&error);
        kes && kes->state() == KES_STATE_CREATE_HANDLE_FAILURE) {
        return res::formatUtf8(kIdNotAReader, {label});
    }
    if (const auto* system = dynamic_cast<const foundation::SystemException*>(&error)) {
        switch (system->errorCode()) {
            case ENOENT:
            case ENODEV:
            case ENXIO:
                return res::formatUtf8(kIdPortMissing, {label});
            case EACCES:
            case EPERM:
                return res::formatUtf8(kIdNoAccess, {label});
            case EBUSY:
                return res::formatUtf8(kIdBusy, {label});
            case ENOTTY:
            case EINVAL:
                return res::formatUtf8(kIdNotASerialPort, {label});
            default:
                break;
        }
    }
    return res::formatUtf8(kIdCannotOpen, {label, res::toUtf8(error.text())});
}

std::string linkFailureMessage(std::string_view label, const foundation::Exception& error) {
    if (const auto* system = dynamic_cast<const foundation::SystemException*>(&error))
        return lostMessage(label, system->errorCode());
    if (const auto* kes = dynamic_cast<const foundation::KesException*>(&error)) {
        switch (kes->state()) {
            case KES_STATE_COMMUNICATION_TIMEOUT:
                return res::formatUtf8(kIdNoAnswer, {label});
            case KES_STATE_CREATE_HANDLE_FAILURE:
                return res::formatUtf8(kIdNotAReader, {label});
            // The module library's view of a device that went away while it was reading.
            case KES_STATE_COMMUNICATION_FAILURE:
            case KES_STATE_SERIAL_PORT_IS_CLOSED:
                return lostMessage(label, EIO);
            default:
                break;
        }
    }
    return error.what();
}

}  // namespace omni::reader
