#include "serial/gui/reader_connection.h"

#include <memory>

#include "resources/string_ids.h"
#include "serial/gui/simulated_readers.h"
#include "ui/gui/text.h"

namespace omni::serial {

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
        } catch (const foundation::Exception& error) {
            emit connectFailed(ui::toQString(error.text()));
            return;
        }
    }
    if (worker_.joinable())
        worker_.join();  // ended: its result has been delivered (finishConnect)
    abandoned_ = false;
    const std::uint64_t generation = ++generation_;
    setState(State::Connecting);
    worker_ = std::thread([this, device, generation, label = label_.toStdString()] {
        // The outcome travels to the user-interface thread, which alone writes the members.
        auto connection = std::make_shared<reader::Connection>(
            reader::connectReader(port_, device, keyPath_, label));
        QMetaObject::invokeMethod(
            this,
            [this, generation, connection] { finishConnect(generation, std::move(*connection)); },
            Qt::QueuedConnection);
    });
}

void ReaderConnection::finishConnect(std::uint64_t generation, reader::Connection connection) {
    if (worker_.joinable())
        worker_.join();
    if (generation != generation_)
        return;
    firmware_ = connection.identity.firmware;
    model_ = connection.identity.model;
    bootLoader_ = connection.identity.bootLoader();
    module_ = std::move(connection.module);
    if (abandoned_) {
        closeLink();
        setState(State::Disconnected);
        return;
    }
    if (!connection.ok() || !port_.isOpen()) {
        module_.reset();
        setState(State::Disconnected);
        emit connectFailed(QString::fromStdString(connection.failure));
        return;
    }
    // A reader in its boot loader keeps that module: it refuses menu commands with its status
    // rather than taking raw frames it cannot carry out.
    if (!firmware_.empty())
        twoD_ = !reader::isOneDimensionalVersion(firmware_);
    exchange_.setModule(module_.get());
    port_.setErrorReporter(
        [this, generation, label = label_.toStdString()](const foundation::Exception& e) {
            const QString reason = QString::fromStdString(reader::linkFailureMessage(label, e));
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
    if (closeLink())
        setState(State::Disconnected);
    emit connectionLost(reason);
}

bool ReaderConnection::closeLink() {
    exchange_.setModule(KES_INVALID_HANDLE);
    module_.reset();
    try {
        port_.close();
    } catch (const foundation::Exception&) {
        // Closing a device that has gone can fail; it is closed for us either way, unless the
        // receive thread outlived its stop limit, which keeps the port open and owned.
    }
    return !port_.isOpen();
}

void ReaderConnection::disconnectFromReader() {
    switch (state_) {
        case State::Connecting:
            abandoned_ = true;
            port_.cancelWait();
            break;
        case State::Connected:
            // A receive thread that did not end in time keeps the port: it is not shown as
            // disconnected (nor opened again) while that thread still runs.
            if (closeLink())
                setState(State::Disconnected);
            break;
        case State::Disconnected:
            break;
    }
}

void ReaderConnection::resumeAfterDownload() {
    if (state_ != State::Connected)
        return;
    if (!port_.isOpen() || !module_.valid()) {
        closeLink();
        setState(State::Disconnected);
        emit connectionLost(QString());
        return;
    }
    const reader::ModuleIdentity identity = module_.identity();
    if (identity.firmware[0] != '\0') {
        firmware_ = identity.firmware;
        model_ = identity.model;
        twoD_ = !reader::isOneDimensionalVersion(firmware_);
    }
    exchange_.setModule(firmware_.empty() ? KES_INVALID_HANDLE : module_.get());
    port_.startReceiving(&log_);
    emit connected();
}

void ReaderConnection::send(std::string_view command) {
    if (state_ != State::Connected)
        throw foundation::KesException(KES_STATE_SERIAL_PORT_IS_CLOSED);
    reader::echoCommand(log_, command);
    exchange_.sendCommand(command);
}

void ReaderConnection::logMessage(const QString& text) {
    log_.endOfLine();
    log_.writeText(ui::toU16(text));
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
