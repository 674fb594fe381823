#include "reader/reader_link.h"

#include <cerrno>
#include <chrono>
#include <cstdint>
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
        switch (system->errorCode()) {
            case ENOENT:
            case ENODEV:
            case ENXIO:
                return res::formatUtf8(res::ids::PortMissing, {label});
            case EACCES:
            case EPERM:
                return res::formatUtf8(res::ids::PortNoAccess, {label});
            case EBUSY:
                return res::formatUtf8(res::ids::PortBusy, {label});
            case ENOTTY:
            case EINVAL:
                return res::formatUtf8(res::ids::NotASerialPort, {label});
            default:
                break;
        }
    }
    return res::formatUtf8(res::ids::CannotOpenPort, {label, res::toUtf8(error.text())});
}

std::string linkFailureMessage(std::string_view label, const foundation::Exception& error) {
    if (const auto* system = dynamic_cast<const foundation::SystemException*>(&error))
        return lostMessage(label, system->errorCode());
    if (const auto* kes = dynamic_cast<const foundation::KesException*>(&error)) {
        switch (kes->state()) {
            case KES_STATE_COMMUNICATION_TIMEOUT:
                return res::formatUtf8(res::ids::ReaderNoAnswer, {label});
            case KES_STATE_CREATE_HANDLE_FAILURE:
                return res::formatUtf8(res::ids::NotAReader, {label});
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
