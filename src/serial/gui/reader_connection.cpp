#include "serial/gui/reader_connection.h"

#include <cerrno>
#include <initializer_list>

#include "resources/string_ids.h"
#include "serial/gui/simulated_readers.h"
#include "ui/gui/text.h"

namespace omni::serial {
bool isOneDimensionalVersion(std::string_view version) {
    for (std::string_view prefix : {"TC", "TM", "TS", "TF", "DA", "BFM"}) {
        if (version.starts_with(prefix))
            return true;
    }
    return false;
}

QString openFailureMessage(const QString& port, const Exception& error) {
    if (const auto* kes = dynamic_cast<const KesException*>(&error);
        kes && kes->state() == KES_STATE_CREATE_HANDLE_FAILURE) {
        return gui::uiText(res::ids::NotAReader).arg(port);
    }
    if (const auto* system = dynamic_cast<const SystemException*>(&error)) {
        switch (system->errorCode()) {
            case ENOENT:
            case ENODEV:
            case ENXIO:
                return gui::uiText(res::ids::PortMissing).arg(port);
            case EACCES:
            case EPERM:
                return gui::uiFormat(res::ids::PortNoAccess, {port});
            case EBUSY:
                return gui::uiFormat(res::ids::PortBusy, {port});
            case ENOTTY:
            case EINVAL:
                return gui::uiText(res::ids::NotASerialPort).arg(port);
            default:
                break;
        }
    }
    return gui::uiFormat(res::ids::CannotOpenPort, {port, gui::toQString(error.text())});
}

ReaderConnection::ReaderConnection(std::string keyPath, LogChain& log, SimulatedReaders& simulated,
                                   QObject* parent)
    : QObject(parent),
      keyPath_(std::move(keyPath)),
      log_(log),
      simulated_(simulated),
      exchange_(port_) {}

ReaderConnection::~ReaderConnection() {
    abandoned_ = true;
    port_.cancelWait();
    if (worker_.joinable())
        worker_.join();
    closeLink();
}

void ReaderConnection::setState(State state) {
    if (state == state_)
        return;
    state_ = state;
    emit stateChanged(state);
}

void ReaderConnection::connectTo(const PortDescriptor& port, const QString& label) {
    if (state_ != State::Disconnected)
        return;
    target_ = port;
    label_ = label;
    firmware_.clear();
    model_.clear();
    PortDescriptor device = port;
    if (const auto family = SimulatedReaders::familyOf(port)) {
        try {
            device.device = simulated_.devicePath(*family);
        } catch (const Exception& error) {
            emit connectFailed(gui::toQString(error.text()));
            return;
        }
    }
    if (worker_.joinable())
        worker_.join();
    abandoned_ = false;
    const std::uint64_t generation = ++generation_;
    setState(State::Connecting);
    worker_ = std::thread([this, device, generation] {
        // The texts travel to the user-interface thread with the result; the members are only
        // written there, so reading them while an attempt runs is safe.
        QString error;
        std::string firmware;
        std::string model;
        try {
            port_.open(device, keyPath_);
            try {
                ModuleHandle module = openModule(port_.moduleHandle());
                firmware = module.identity().firmware;
                model = module.identity().model;
                module_ = std::move(module);
            } catch (const KesException& e) {
                // A reader that stalls in the middle of its answer is still a reader (a failing
                // link shows itself as soon as receiving starts). An answer that fits no engine
                // means another device is on the port, and a cancel ends the attempt.
                if (e.state() == KES_STATE_CANCELED ||
                    e.state() == KES_STATE_CREATE_HANDLE_FAILURE || abandoned_)
                    throw;
            }
        } catch (const Exception& e) {
            if (!abandoned_)
                error = openFailureMessage(label_, e);
            module_.reset();
            try {
                port_.close();
            } catch (const Exception&) {
                // The port is unusable either way; the message above says why.
            }
        }
        QMetaObject::invokeMethod(
            this,
            [this, generation, error, firmware = std::move(firmware), model = std::move(model)] {
                finishConnect(generation, error, firmware, model);
            },
            Qt::QueuedConnection);
    });
}

void ReaderConnection::finishConnect(std::uint64_t generation, const QString& error,
                                     const std::string& firmware, const std::string& model) {
    if (worker_.joinable())
        worker_.join();
    if (generation != generation_)
        return;
    firmware_ = firmware;
    model_ = model;
    if (abandoned_) {
        closeLink();
        setState(State::Disconnected);
        return;
    }
    if (!error.isEmpty() || !port_.isOpen()) {
        setState(State::Disconnected);
        emit connectFailed(error);
        return;
    }
    // A reader without a version text (silent, or in its boot loader) keeps its module for the
    // tools that need one, but commands go to the port as they stand: such a module refuses them.
    if (!firmware_.empty())
        twoD_ = !isOneDimensionalVersion(firmware_);
    exchange_.setModule(module_.valid() && !firmware_.empty() ? module_.get() : KES_INVALID_HANDLE);
    port_.setErrorReporter([this, generation](const Exception& e) {
        const QString reason = gui::toQString(e.text());
        QMetaObject::invokeMethod(
            this, [this, generation, reason] { onReceiveError(generation, reason); },
            Qt::QueuedConnection);
    });
    port_.startReceiving(&log_);
    setState(State::Connected);
    emit connected();
}

void ReaderConnection::onReceiveError(std::uint64_t generation, const QString& reason) {
    if (generation != generation_ || state_ != State::Connected)
        return;
    closeLink();
    setState(State::Disconnected);
    emit connectionLost(reason);
}

void ReaderConnection::closeLink() {
    exchange_.setModule(KES_INVALID_HANDLE);
    module_.reset();
    try {
        port_.close();
    } catch (const Exception&) {
        // Closing a device that has gone can fail; it is closed for us either way.
    }
}

void ReaderConnection::disconnectFromReader() {
    switch (state_) {
        case State::Connecting:
            abandoned_ = true;
            port_.cancelWait();
            break;
        case State::Connected:
            closeLink();
            setState(State::Disconnected);
            break;
        case State::Disconnected:
            break;
    }
}

void ReaderConnection::send(std::string_view command) {
    if (state_ != State::Connected)
        throw KesException(KES_STATE_SERIAL_PORT_IS_CLOSED);
    echoCommand(log_, command);
    exchange_.sendCommand(command);
}

void ReaderConnection::logMessage(const QString& text) {
    log_.endOfLine();
    log_.writeText(gui::toU16(text));
    log_.endOfLine();
}

void ReaderConnection::pauseReceiving() {
    port_.stop();
}

void ReaderConnection::resumeReceiving() {
    if (state_ == State::Connected)
        port_.startReceiving(&log_);
}

}  // namespace omni::serial
