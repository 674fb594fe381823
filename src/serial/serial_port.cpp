#include "serial/serial_port.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>
#include <utility>

#include "resources/strings.h"

namespace omni::serial {
namespace {

using Clock = std::chrono::steady_clock;

void sleepMs(unsigned ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// Milliseconds left until `deadline` for poll(): -1 waits without limit.
int remainingMs(Clock::time_point deadline, bool forever) {
    if (forever)
        return -1;
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

// The module library's view of the port. Exceptions never cross into the library: each becomes
// the calling thread's last module status.
template <typename F>
auto guarded(F&& body, decltype(body()) failure) -> decltype(body()) {
    try {
        return body();
    } catch (const foundation::KesException& e) {
        KesSetLastStatus(e.state());
    } catch (...) {
        KesSetLastStatus(KES_STATE_COMMUNICATION_FAILURE);
    }
    return failure;
}

// The same for a step without a result.
template <typename F>
void guardedStep(F&& body) {
    guarded(
        [&] {
            body();
            return 0;
        },
        0);
}

// Modem-line requests on a device that has no modem lines (a pseudo-terminal, some USB
// adapters) fail with one of these; that is not an error of the port.
bool noModemLines(int error) {
    return error == EINVAL || error == ENOTTY || error == ENOTSUP || error == ENOSYS;
}

void setModemLines(int fd, unsigned long request, int lines, const std::string& device) {
    if (ioctl(fd, request, &lines) != 0 && !noModemLines(errno))
        throw foundation::SystemException(errno, res::fromUtf8(device));
}

// Unix 98 pseudo-terminal slaves have majors 136 to 143.
bool isPseudoTerminal(int fd) {
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISCHR(info.st_mode))
        return false;
    const unsigned int deviceMajor = major(info.st_rdev);
    return deviceMajor >= 136 && deviceMajor <= 143;
}

// Restores what open() changed. Best effort: the device may already be gone.
void handBack(int fd, const termios& original, int originalLines) {
    tcflush(fd, TCIFLUSH);  // output already written still goes out
    tcsetattr(fd, TCSANOW, &original);
    if (originalLines >= 0) {
        int lines = originalLines & (TIOCM_DTR | TIOCM_RTS);
        int clear = ~originalLines & (TIOCM_DTR | TIOCM_RTS);
        ioctl(fd, TIOCMBIS, &lines);
        ioctl(fd, TIOCMBIC, &clear);
    }
    ioctl(fd, TIOCNXCL);
    flock(fd, LOCK_UN);
}

// Applies `state` and reads it back: a setting the device did not take is named in the error.
void applyChecked(int fd, const termios& state, const LineSettings& settings,
                  const std::string& device) {
    if (tcsetattr(fd, TCSANOW, &state) != 0)
        throw foundation::SystemException(errno, res::fromUtf8(device));
    termios now{};
    if (tcgetattr(fd, &now) != 0)
        throw foundation::SystemException(errno, res::fromUtf8(device));
    if (cfgetospeed(&now) != cfgetospeed(&state) || cfgetispeed(&now) != cfgetispeed(&state))
        throw lineSettingRefused(LineSetting::BaudRate, settings);
    if ((now.c_cflag & CSIZE) != (state.c_cflag & CSIZE))
        throw lineSettingRefused(LineSetting::DataBits, settings);
    if ((now.c_cflag & (PARENB | PARODD | CMSPAR)) != (state.c_cflag & (PARENB | PARODD | CMSPAR)))
        throw lineSettingRefused(LineSetting::Parity, settings);
    if ((now.c_cflag & CSTOPB) != (state.c_cflag & CSTOPB))
        throw lineSettingRefused(LineSetting::StopBits, settings);
    if ((now.c_cflag & CRTSCTS) != (state.c_cflag & CRTSCTS))
        throw lineSettingRefused(LineSetting::FlowControl, settings);
}

// The device while open() sets it up: locked against a second copy of this program (flock) and
// against other openers (the exclusive flag), with the state it was found in. Handed back
// unless release() takes it over.
class DeviceClaim {
public:
    explicit DeviceClaim(const std::string& device) : device_(device) {
        fd_ = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd_ < 0)
            throw foundation::SystemException(errno, res::fromUtf8(device));
        if (flock(fd_, LOCK_EX | LOCK_NB) != 0)
            fail(errno == EWOULDBLOCK ? EBUSY : errno);
        if (tcgetattr(fd_, &original_) != 0)
            fail(errno);
        if (ioctl(fd_, TIOCMGET, &originalLines_) != 0) {
            if (!noModemLines(errno))
                fail(errno);
            originalLines_ = -1;
        }
        if (ioctl(fd_, TIOCEXCL) != 0)
            fail(errno);
        claimed_ = true;
    }
    ~DeviceClaim() {
        if (fd_ < 0)
            return;
        if (claimed_)
            handBack(fd_, original_, originalLines_);
        ::close(fd_);
    }
    DeviceClaim(const DeviceClaim&) = delete;
    DeviceClaim& operator=(const DeviceClaim&) = delete;

    int fd() const { return fd_; }
    const termios& original() const { return original_; }
    int originalLines() const { return originalLines_; }
    int release() { return std::exchange(fd_, -1); }

private:
    [[noreturn]] void fail(int error) {
        ::close(std::exchange(fd_, -1));
        throw foundation::SystemException(error, res::fromUtf8(device_));
    }

    std::string device_;
    int fd_ = -1;
    termios original_{};
    int originalLines_ = -1;  // -1: the device has no modem lines
    bool claimed_ = false;
};

SerialPortForPosix& self(void* context) {
    return *static_cast<SerialPortForPosix*>(context);
}

int moduleIsOpen(void* context) {
    return self(context).isOpen() ? 1 : 0;
}

std::uint32_t moduleRead(void* context, void* buffer, std::uint32_t count) {
    return guarded(
        [&] {
            return static_cast<std::uint32_t>(
                self(context).read(static_cast<char*>(buffer), count));
        },
        0u);
}

std::uint32_t moduleWaitForData(void* context, std::uint32_t timeoutMs) {
    return guarded([&] { return static_cast<std::uint32_t>(self(context).waitForData(timeoutMs)); },
                   0u);
}

void moduleWrite(void* context, const void* data, std::uint32_t count) {
    guardedStep([&] { self(context).write(static_cast<const char*>(data), count); });
}

void moduleFlush(void* context) {
    guardedStep([&] { self(context).flush(); });
}

void moduleSleep(void*, std::uint32_t ms) {
    sleepMs(ms);
}

void moduleHighSpeed(void* context) {
    guardedStep([&] { self(context).switchToHighSpeed(); });
}

void moduleRestoreSpeed(void* context) {
    guardedStep([&] { self(context).restoreSpeed(); });
}

}  // namespace

SerialPortForPosix::SerialPortForPosix() : stream::ThreadRunnable(Priority::Idle) {
    cancelFd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (cancelFd_ < 0)
        throw foundation::SystemException(errno);
    moduleHandle_ =
        KesCreateSerialPort(this, moduleIsOpen, moduleRead, moduleWaitForData, moduleWrite,
                            moduleFlush, moduleSleep, moduleHighSpeed, moduleRestoreSpeed);
}

SerialPortForPosix::~SerialPortForPosix() {
    try {
        close();
    } catch (...) {
        // A destructor reports nothing; the device is released below in any case.
    }
    // The receive thread reads fd_: it must have ended before the descriptor goes. A thread that
    // outlived close() is cancelled again until it ends (each wait of its loop honours the cancel).
    while (isRunning()) {
        cancelWait();
        try {
            join(static_cast<int>(timing_.receiveStopMs));
        } catch (const foundation::Exception&) {
        }
    }
    if (fd_ >= 0) {
        discardStuckOutput();
        ::close(fd_);
    }
    KesCloseHandle(moduleHandle_);
    ::close(cancelFd_);
}

void SerialPortForPosix::open(const PortDescriptor& port, std::string_view settingsKey) {
    if (isOpen())
        return;
    if (fd_ >= 0) {  // left over from a failed open; never treated as open
        ::close(fd_);
        fd_ = -1;
    }
    const LineSettings settings =
        lineOverride_ ? *lineOverride_ : loadLineSettings(settingsKey, port);
    DeviceClaim claim(port.device);
    termios state = toTermios(settings, claim.original());
    // The module's state, unless it is the operator's own choice for this port (115200 baud with
    // hardware flow control stored as the port's settings leaves the line just like that).
    bool moduleMode = isModuleHighSpeedState(claim.original()) && !isModuleHighSpeedState(state);
    if (moduleMode)
        sleepMs(timing_.moduleModePauseMs);
    applyChecked(claim.fd(), state, settings, port.device);
    if (!(state.c_cflag & CRTSCTS)) {
        setModemLines(claim.fd(), TIOCMBIS, TIOCM_DTR | TIOCM_RTS, port.device);
    } else {
        int lines = 0;
        if (ioctl(claim.fd(), TIOCMGET, &lines) == 0 && !(lines & TIOCM_CTS)) {
            // CTS holds transmission: give the device a moment, then send without handshake.
            sleepMs(timing_.ctsPauseMs);
            state.c_cflag &= ~CRTSCTS;
            applyChecked(claim.fd(), state, settings, port.device);
        }
    }

    original_ = claim.original();
    originalLines_ = claim.originalLines();
    fd_ = claim.release();
    port_ = port;
    setTimingFromBaud(baudRateOf(state));
    purgeInput();
    takeCancel();  // no stale cancel from an earlier connection
    open_.store(true, std::memory_order_release);
    saved_ = lineState();

    if (moduleMode)
        leaveModuleMode();
}

void SerialPortForPosix::leaveModuleMode() {
    try {
        static const char kVersionRequest[] = {0x1B, 'Z', '1', '\r'};
        write(kVersionRequest, sizeof kVersionRequest);
        waitForData(timing_.recoveryWaitMs);
        readLine(80, '\r', timing_.recoveryByteMs);
    } catch (...) {
        // The module may already be back to normal; whatever happened, start clean.
    }
    discardOutput();
}

void SerialPortForPosix::setTimingFromBaud(std::uint32_t baud) {
    if (port_.kind != PortKind::Serial || baud == 0) {
        chunk_ = 1024;
        perByteMs_ = 100;
        return;
    }
    chunk_ = std::clamp<std::size_t>(baud / 96, 1, 1024);
    perByteMs_ = std::max<unsigned>(3200000 / baud, 100);
}

unsigned SerialPortForPosix::perByteTimeoutMs() const {
    return timing_.perByteTimeoutMs ? timing_.perByteTimeoutMs : perByteMs_;
}

void SerialPortForPosix::close() {
    if (!isOpen())
        return;
    stop();  // throws when the thread outlives its limit: the port then stays open and owned
    open_.store(false, std::memory_order_release);
    int fd = fd_;
    // Queued output is dropped, so closing never waits for a reader that does not take it. A
    // pseudo-terminal never holds its closing on output, and what it holds there has already
    // been accepted for the far end, so it is left to go.
    if (!isPseudoTerminal(fd))
        discardOutput();
    fd_ = -1;
    // The device goes back as it was found: line settings, modem lines, no exclusive flag (with
    // it left set, nobody but root could open a device that another program still holds).
    handBack(fd, original_, originalLines_);
    if (::close(fd) != 0 && errno != EINTR)
        throw foundation::KesException(KES_STATE_SERIAL_PORT_IS_CLOSED);
}

void SerialPortForPosix::requireOpen() const {
    if (!open_.load(std::memory_order_acquire))
        throw foundation::KesException(KES_STATE_SERIAL_PORT_IS_CLOSED);
}

void SerialPortForPosix::purgeInput() {
    if (fd_ >= 0)
        tcflush(fd_, TCIFLUSH);
}

void SerialPortForPosix::throwLost(int error) const {
    throw foundation::SystemException(error ? error : EIO, res::fromUtf8(port_.device));
}

void SerialPortForPosix::discardOutput() {
    if (fd_ >= 0)
        tcflush(fd_, TCIOFLUSH);
}

void SerialPortForPosix::discardStuckOutput() {
    if (fd_ < 0)
        return;
    // Output still queued is dropped, so closing never waits for a reader that does not take it.
    // What the device has already taken (a pseudo-terminal hands bytes straight to the other
    // side) is left alone: flushing there would take back commands the reader has not read yet.
    int queued = 0;
    if (ioctl(fd_, TIOCOUTQ, &queued) != 0 || queued > 0)
        tcflush(fd_, TCIOFLUSH);
    else
        tcflush(fd_, TCIFLUSH);
}

bool SerialPortForPosix::takeCancel() {
    eventfd_t drained;
    return eventfd_read(cancelFd_, &drained) == 0;
}

void SerialPortForPosix::limitWaitsUntil(Clock::time_point deadline) {
    deadline_ = deadline;
    hasDeadline_ = true;
}

unsigned SerialPortForPosix::capped(unsigned timeoutMs) const {
    if (!hasDeadline_)
        return timeoutMs;
    unsigned left = static_cast<unsigned>(remainingMs(deadline_, false));
    return timeoutMs == kWaitForever ? left : std::min(timeoutMs, left);
}

void SerialPortForPosix::throwTimeout() {
    purgeInput();
    throw foundation::KesException(KES_STATE_COMMUNICATION_TIMEOUT);
}

bool SerialPortForPosix::waitReady(short events, unsigned timeoutMs) {
    auto deadline = Clock::now() + std::chrono::milliseconds(capped(timeoutMs));
    // A cancel ends reads only: a write on another thread must not swallow the signal that
    // stops the receive thread.
    const bool reading = events == POLLIN;
    for (;;) {
        pollfd p[2] = {{fd_, events, 0}, {reading ? cancelFd_ : -1, POLLIN, 0}};
        int n = ::poll(p, 2, remainingMs(deadline, false));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throwLost(errno);
        }
        if ((p[1].revents & POLLIN) && takeCancel()) {
            purgeInput();
            throw foundation::KesException(KES_STATE_CANCELED);
        }
        if (n == 0)
            return false;
        if (p[0].revents & events)
            return true;
        if (p[0].revents & (POLLHUP | POLLERR | POLLNVAL))
            throwLost(EIO);
    }
}

void SerialPortForPosix::drainOutput() {
    // The kernel takes written bytes into its output queue at once; a reader that holds the line
    // (flow control, a stalled device) leaves them there. Such a command has failed: it is
    // discarded so that it never reaches the reader later.
    int queued = 0;
    if (ioctl(fd_, TIOCOUTQ, &queued) != 0 || queued <= 0)
        return;  // drained, or a device without an output queue of its own
    std::uint32_t baud = 0;
    termios state{};
    if (tcgetattr(fd_, &state) == 0)
        baud = baudRateOf(state);
    unsigned transmitMs = baud ? static_cast<unsigned>(queued * 10000ull / baud) : 0;
    auto deadline =
        Clock::now() + std::chrono::milliseconds(capped(timing_.drainLimitMs + transmitMs));
    while (ioctl(fd_, TIOCOUTQ, &queued) == 0 && queued > 0) {
        if (Clock::now() >= deadline) {
            tcflush(fd_, TCOFLUSH);
            throwTimeout();
        }
        sleepMs(5);
    }
}

// One write(2) once the descriptor has room. A terminal may report room it then refuses: the
// pause keeps the caller from spinning, and the deadline ends the write even though room keeps
// being reported. At the deadline what was taken of the command is discarded, so that it never
// goes out.
std::size_t SerialPortForPosix::writeWhenReady(const char* data, std::size_t count,
                                               std::chrono::steady_clock::time_point deadline) {
    if (!waitReady(POLLOUT, static_cast<unsigned>(remainingMs(deadline, false)))) {
        tcflush(fd_, TCOFLUSH);
        throwTimeout();
    }
    ssize_t n = ::write(fd_, data, count);
    if (n > 0)
        return static_cast<std::size_t>(n);
    if (n < 0 && errno != EAGAIN && errno != EINTR)
        throwLost(errno);
    if (Clock::now() >= deadline) {
        tcflush(fd_, TCOFLUSH);
        throwTimeout();
    }
    sleepMs(1);
    return 0;
}

// One read(2) once the descriptor is readable: 0 when the read is to be tried again.
std::size_t SerialPortForPosix::readWhenReady(char* into, std::size_t count,
                                              std::chrono::steady_clock::time_point deadline) {
    if (!waitReady(POLLIN, static_cast<unsigned>(remainingMs(deadline, false))))
        throwTimeout();
    ssize_t n = ::read(fd_, into, count);
    if (n == 0)
        throwLost(EIO);  // readable with nothing to read: the far end hung up
    if (n > 0)
        return static_cast<std::size_t>(n);
    if (errno != EAGAIN && errno != EINTR)
        throwLost(errno);
    return 0;
}

template <typename Step>
void SerialPortForPosix::inPieces(std::size_t count, Step step) {
    std::size_t done = 0;
    while (done < count) {
        std::size_t piece = std::min(count - done, chunk_);
        auto deadline = Clock::now() + std::chrono::milliseconds(timing_.blockTimeoutMs);
        std::size_t moved = 0;
        while (moved < piece)
            moved += step(done + moved, piece - moved, deadline);
        done += piece;
    }
}

void SerialPortForPosix::write(const char* data, std::size_t count) {
    requireOpen();
    inPieces(count, [&](std::size_t at, std::size_t length, Clock::time_point deadline) {
        return writeWhenReady(data + at, length, deadline);
    });
    drainOutput();
}

void SerialPortForPosix::put(const char* item) {
    requireOpen();
    auto deadline = Clock::now() + std::chrono::milliseconds(perByteTimeoutMs());
    while (writeWhenReady(item, 1, deadline) == 0) {
    }
    drainOutput();
}

std::size_t SerialPortForPosix::read(char* buffer, std::size_t count) {
    requireOpen();
    inPieces(count, [&](std::size_t at, std::size_t length, Clock::time_point deadline) {
        return readWhenReady(buffer + at, length, deadline);
    });
    return count;
}

std::size_t SerialPortForPosix::get(char* item) {
    requireOpen();
    auto deadline = Clock::now() + std::chrono::milliseconds(perByteTimeoutMs());
    while (readWhenReady(item, 1, deadline) == 0) {
    }
    return 1;
}

std::size_t SerialPortForPosix::waitForData(unsigned timeoutMs) {
    requireOpen();
    // The cancel comes first: a reader that streams without gaps always has bytes queued, and
    // the receive thread must still end when it is stopped.
    if (takeCancel()) {
        purgeInput();
        throw foundation::KesException(KES_STATE_CANCELED);
    }
    int queued = 0;
    if (ioctl(fd_, FIONREAD, &queued) != 0)
        throwLost(errno);
    if (queued > 0)
        return static_cast<std::size_t>(queued);

    if (timeoutMs != kWaitForever && timing_.waitLimitMs && timing_.waitLimitMs < timeoutMs)
        timeoutMs = timing_.waitLimitMs;
    timeoutMs = capped(timeoutMs);
    bool forever = timeoutMs == kWaitForever;
    auto deadline = Clock::now() + std::chrono::milliseconds(forever ? 0 : timeoutMs);
    for (;;) {
        pollfd p[2] = {{cancelFd_, POLLIN, 0}, {fd_, POLLIN, 0}};
        int n = ::poll(p, 2, remainingMs(deadline, forever));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            throwLost(errno);
        if ((p[0].revents & POLLIN) && takeCancel()) {
            purgeInput();
            throw foundation::KesException(KES_STATE_CANCELED);
        }
        if (n == 0)
            throwTimeout();
        if (ioctl(fd_, FIONREAD, &queued) != 0)
            throwLost(errno);
        if (queued > 0)
            return static_cast<std::size_t>(queued);
        if (p[1].revents & (POLLHUP | POLLERR | POLLNVAL))
            throwLost(EIO);
    }
}

void SerialPortForPosix::cancelWait() {
    eventfd_write(cancelFd_, 1);
}

std::string SerialPortForPosix::readLine(std::size_t max, char terminator, unsigned byteTimeoutMs) {
    std::string line;
    for (std::size_t i = 0; i < max; ++i) {
        waitForData(byteTimeoutMs);
        char byte = 0;
        read(&byte, 1);
        if (byte == terminator)
            break;
        line += byte;
    }
    return line;
}

}  // namespace omni::serial
