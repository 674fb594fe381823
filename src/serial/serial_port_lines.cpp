// The serial port's line state and speed switching, and the thread that hands received bytes on.
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "resources/strings.h"
#include "serial/serial_port.h"

namespace omni::serial {

void SerialPortForPosix::applyState(const termios& state) {
    if (tcsetattr(fd_, TCSANOW, &state) != 0)
        throwLost(errno);
}

LineState SerialPortForPosix::lineState() const {
    requireOpen();
    LineState state;
    if (tcgetattr(fd_, &state.attributes) != 0)
        throwLost(errno);
    if (ioctl(fd_, TIOCMGET, &state.modemLines) != 0)
        state.modemLines = -1;
    return state;
}

void SerialPortForPosix::applyLineState(const LineState& state) {
    requireOpen();
    applyState(state.attributes);
    if (state.modemLines < 0)
        return;
    int set = state.modemLines & (TIOCM_DTR | TIOCM_RTS);
    int clear = ~state.modemLines & (TIOCM_DTR | TIOCM_RTS);
    if (set)
        ioctl(fd_, TIOCMBIS, &set);
    if (clear)
        ioctl(fd_, TIOCMBIC, &clear);
}

void SerialPortForPosix::switchToHighSpeed() {
    requireOpen();
    if (port_.kind != PortKind::Serial)
        return;
    saved_ = lineState();
    LineSettings fast;
    fast.baudRate = 115200;
    applyState(toTermios(fast, saved_.attributes));
    int lines = TIOCM_RTS;
    ioctl(fd_, TIOCMBIS, &lines);
    lines = TIOCM_DTR;
    ioctl(fd_, TIOCMBIC, &lines);
}

void SerialPortForPosix::restoreSpeed() {
    requireOpen();
    if (port_.kind != PortKind::Serial)
        return;
    applyLineState(saved_);
}

void SerialPortForPosix::startReceiving(stream::OutputStream<char>* listener) {
    if (!isOpen() || isRunning())
        return;
    listener_ = listener;
    start();
}

void SerialPortForPosix::stop() {
    if (!isRunning()) {
        join();  // reap a thread that has already ended on its own
        return;
    }
    cancelWait();
    join(static_cast<int>(timing_.receiveStopMs));
    // A thread that ended on its own just before the cancel leaves it pending; it must not end
    // the next exchange's first read.
    takeCancel();
}

void SerialPortForPosix::setErrorReporter(
    std::function<void(const foundation::Exception&)> reporter) {
    reporter_ = std::move(reporter);
}

void SerialPortForPosix::setCaptureSink(char* buffer, std::size_t capacity, NamedLock* lock) {
    captureBuffer_ = buffer;
    captureCapacity_ = buffer ? capacity : 0;
    captureLock_ = lock;
}

void SerialPortForPosix::capture(const char* data, std::size_t count) {
    if (!captureBuffer_ || !captureLock_)
        return;
    if (!captureLock_->lock(3000))
        return;  // the reader of the buffer is stuck: drop this burst
    std::size_t length = strnlen(captureBuffer_, captureCapacity_);
    if (length + count < captureCapacity_) {
        std::memcpy(captureBuffer_ + length, data, count);
        captureBuffer_[length + count] = 0;
    }
    captureLock_->unlock();
}

void SerialPortForPosix::run() {
    char buffer[kReceiveBuffer];
    try {
        for (;;) {
            std::size_t queued = waitForData(kWaitForever);
            if (queued == 0)
                continue;
            std::size_t n = read(buffer, std::min(queued, kReceiveBuffer));
            if (listener_) {
                listener_->write(buffer, n);
                listener_->flush();
            }
            capture(buffer, n);
        }
    } catch (const foundation::KesException& e) {
        if (e.state() == KES_STATE_CANCELED)
            return;  // stop(): a quiet end
        if (reporter_)
            reporter_(e);
    } catch (const foundation::Exception& e) {
        if (reporter_)
            reporter_(e);
    }
}

}  // namespace omni::serial
