#include "sim/simulated_reader.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <system_error>
#include <thread>

#include "sim/control_bytes.h"
#include "sim/locked.h"
#include "sim/responders.h"

namespace omni::sim {
namespace {

// What the reader remembers of the conversation: the newest bytes and commands, so that a long
// flood does not grow it without end.
constexpr std::size_t kMaxReceived = 1024 * 1024;
constexpr std::size_t kMaxTranscript = 10000;

}  // namespace

namespace replies {

std::string family(std::string_view version) {
    return std::string(version) + "\r";
}

std::string utf16(std::string_view text, bool bigEndian) {
    std::string wide;
    for (char c : text) {
        if (bigEndian)
            wide += '\0';
        wide += c;
        if (!bigEndian)
            wide += '\0';
    }
    return wide;
}

std::string versionLine(std::string_view marker, std::string_view version) {
    return "Ver.2.10 " + std::string(marker) + std::string(version) + " BOOT:B100\r";
}

std::string model(std::string_view model, std::string_view version) {
    std::string reply =
        "Model=" + std::string(model) + "\r\nVersion=" + std::string(version) + "\r\n";
    int more = model == "Q-40" ? 1 : 3;
    for (int i = 0; i < more; ++i)
        reply += "Info" + std::to_string(i + 1) + "=0\r\n";
    return reply;
}

}  // namespace replies

SimulatedReader::SimulatedReader() {
    openPty();
    wake_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);

    versionReply_ = replies::family("BA12J13i");
    configuration_ = "Configuration: KVR-5210";
    responders_.push_back(std::make_unique<StandardResponder>());
}

void SimulatedReader::openPty() {
    char name[128] = {};
    int master = -1;
    int slave = -1;
    if (openpty(&master, &slave, name, nullptr, nullptr) != 0) {
        throw std::system_error(errno, std::generic_category(), "openpty");
    }
    termios raw{};
    tcgetattr(slave, &raw);
    cfmakeraw(&raw);
    cfsetspeed(&raw, B9600);
    tcsetattr(slave, TCSANOW, &raw);
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
    fcntl(master, F_SETFD, FD_CLOEXEC);
    fcntl(slave, F_SETFD, FD_CLOEXEC);
    {
        std::lock_guard lock(mutex_);
        path_ = name;
        if (slave_ >= 0)
            ::close(slave_);
        slave_ = slave;
        inFrame_ = false;
    }
    master_.store(master);
}

std::string SimulatedReader::reopen() {
    closeMaster();
    openPty();
    hungUp_.store(false);
    if (wake_ >= 0)
        eventfd_write(wake_, 1);
    std::lock_guard lock(mutex_);
    return path_;
}

std::size_t SimulatedReader::unreadByProgram() const {
    std::lock_guard lock(mutex_);
    int queued = 0;
    if (slave_ < 0 || ioctl(slave_, FIONREAD, &queued) != 0)
        return 0;
    return static_cast<std::size_t>(queued);
}

unsigned SimulatedReader::lineSpeed() const {
    termios state{};
    {
        std::lock_guard lock(mutex_);
        if (slave_ < 0 || tcgetattr(slave_, &state) != 0)
            return 0;
    }
    switch (cfgetospeed(&state)) {
        case B1200:
            return 1200;
        case B2400:
            return 2400;
        case B4800:
            return 4800;
        case B9600:
            return 9600;
        case B19200:
            return 19200;
        case B38400:
            return 38400;
        case B57600:
            return 57600;
        case B115200:
            return 115200;
        default:
            return 0;
    }
}

SimulatedReader::~SimulatedReader() {
    stop();
    closeMaster();
    if (slave_ >= 0)
        ::close(slave_);
    if (wake_ >= 0)
        ::close(wake_);
}

void SimulatedReader::start() {
    if (running_.exchange(true))
        return;
    thread_ = std::thread([this] { loop(); });
}

void SimulatedReader::stop() {
    if (!running_.exchange(false))
        return;
    eventfd_write(wake_, 1);
    if (thread_.joinable())
        thread_.join();
}

void SimulatedReader::addResponder(std::unique_ptr<Responder> responder) {
    std::lock_guard lock(mutex_);
    responders_.insert(responders_.begin(), std::move(responder));
}

void SimulatedReader::setStalled(bool stalled) {
    stalled_.store(stalled);
    eventfd_write(wake_, 1);
}

void SimulatedReader::closeMaster() {
    std::lock_guard lock(writeMutex_);
    std::lock_guard reading(readMutex_);
    int master = master_.exchange(-1);
    if (master >= 0) {
        ::close(master);
    }
}

void SimulatedReader::hangUp() {
    hungUp_.store(true);
    closeMaster();
    eventfd_write(wake_, 1);
}

void SimulatedReader::send(std::string_view bytes) {
    std::lock_guard lock(writeMutex_);
    std::size_t done = 0;
    int master = master_.load();  // stays open while this lock is held
    while (done < bytes.size() && master >= 0) {
        ssize_t n = ::write(master, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR)
            return;
        // The program is not reading: wait a little for room, give up when the loop stops. The
        // terminal may report room it then refuses; a short pause keeps that from spinning.
        if (!running_.load() || hungUp_.load())
            return;
        pollfd p{master, POLLOUT, 0};
        if (::poll(&p, 1, 100) > 0)
            ::poll(nullptr, 0, 5);
    }
}

std::size_t SimulatedReader::sendSome(std::string_view bytes) {
    std::lock_guard lock(writeMutex_);
    int master = master_.load();
    if (master < 0 || bytes.empty())
        return 0;
    ssize_t n = ::write(master, bytes.data(), bytes.size());
    return n > 0 ? static_cast<std::size_t>(n) : 0;
}

void SimulatedReader::reply(std::string_view bytes) {
    std::string leading;
    {
        std::lock_guard lock(mutex_);
        leading = leading_;
    }
    send(leading + std::string(bytes));
}

std::string SimulatedReader::readRaw(std::size_t count, std::chrono::milliseconds timeout) {
    std::string bytes;
    char buffer[4096];
    while (bytes.size() < count && running_.load() && !hungUp_.load()) {
        pollfd p[2] = {{wake_, POLLIN, 0}, {master_.load(), POLLIN, 0}};
        int n = ::poll(p, 2, static_cast<int>(timeout.count()));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0 || !(p[1].revents & POLLIN))
            break;  // time-out, stop() or hang-up (the wake-up is left for the loop)
        std::size_t want = std::min(sizeof buffer, count - bytes.size());
        ssize_t got = ::read(p[1].fd, buffer, want);
        if (got <= 0)
            break;
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
    std::lock_guard lock(mutex_);
    received_ += bytes;
    return bytes;
}

void SimulatedReader::settle() const {
    // Bytes a program has just written can still be on their way inside the terminal driver,
    // where the count of waiting bytes does not show them yet: the line must stay empty and the
    // reader idle for a moment.
    constexpr auto kQuiet = std::chrono::milliseconds(30);
    const auto start = std::chrono::steady_clock::now();
    auto quietSince = start;
    while (running_.load() && !stalled_.load() && !hungUp_.load()) {
        const auto now = std::chrono::steady_clock::now();
        int waiting = 0;
        const int master = master_.load();
        const bool idle = !busy_.load() &&
                          (master < 0 || ::ioctl(master, FIONREAD, &waiting) != 0 || waiting == 0);
        if (!idle)
            quietSince = now;
        else if (now - quietSince >= kQuiet)
            return;
        if (now - start > std::chrono::seconds(2))
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

std::vector<std::string> SimulatedReader::transcript() const {
    settle();
    std::lock_guard lock(mutex_);
    return transcript_;
}

std::string SimulatedReader::received() const {
    settle();
    std::lock_guard lock(mutex_);
    return received_;
}

void SimulatedReader::clearTranscript() {
    std::lock_guard taking(takeMutex_);
    std::lock_guard lock(mutex_);
    transcript_.clear();
    received_.clear();
    handled_ = 0;
}

bool SimulatedReader::waitForCommands(std::size_t count, std::chrono::milliseconds timeout) const {
    std::unique_lock lock(mutex_);
    return commandArrived_.wait_for(lock, timeout, [&] { return handled_ >= count; });
}

void SimulatedReader::loop() {
    char buffer[4096];
    while (running_.load()) {
        bool reading = !stalled_.load() && !hungUp_.load();
        int master = master_.load();
        pollfd p[2] = {{wake_, POLLIN, 0}, {reading ? master : -1, POLLIN, 0}};
        int n = ::poll(p, 2, -1);
        if (n < 0 && errno != EINTR)
            break;
        if (p[0].revents & POLLIN) {
            eventfd_t drained;
            eventfd_read(wake_, &drained);
            continue;
        }
        if (!(p[1].revents & POLLIN))
            continue;
        ssize_t got = -1;
        {
            // A hang-up may have closed the descriptor (and its number been reused) since poll.
            std::lock_guard lock(readMutex_);
            if (master_.load() != master)
                continue;
            busy_.store(true);
            got = ::read(master, buffer, sizeof buffer);
        }
        if (got > 0)
            take(buffer, static_cast<std::size_t>(got));
        busy_.store(false);
        // EIO while no program holds the slave side is normal for a pty; poll again.
        if (got < 0 && errno == EIO)
            ::poll(nullptr, 0, 10);
    }
}

namespace {

// Whether a CR inside a frame is followed, in the same write, by more of the same command: a 1D
// form of a setting ("[EBY" CR "Q1") sent as one frame reaches the engine whole. A CR that ends
// the write, or is followed by ESC or another CR, ends the frame.
bool carriesOn(const char* data, std::size_t next, std::size_t count) {
    return next < count && data[next] != kEsc && data[next] != kCr;
}

}  // namespace

void SimulatedReader::take(const char* data, std::size_t count) {
    std::lock_guard taking(takeMutex_);
    std::size_t i = 0;
    while (i < count) {
        if (RawReceiver* raw = raw_.load()) {
            std::string_view rest(data + i, count - i);
            std::size_t used = raw->receive(rest, *this);
            used = used < rest.size() ? used : rest.size();
            {
                std::lock_guard lock(mutex_);
                received_.append(rest.substr(0, used));
            }
            i += used;
            if (raw_.load() == raw)
                return;  // still receiving raw: whatever is left was not meant for it yet
            continue;
        }
        std::string command;
        bool complete = false;
        {
            std::lock_guard lock(mutex_);
            for (; i < count && !complete; ++i) {
                char c = data[i];
                received_ += c;
                if (received_.size() > kMaxReceived)
                    received_.erase(0, received_.size() - kMaxReceived / 2);
                if (c == kEsc) {  // a new frame; an unfinished one is abandoned
                    inFrame_ = true;
                    frame_.clear();
                } else if (inFrame_ && c == kCr && carriesOn(data, i + 1, count)) {
                    frame_ += c;  // a CR between the tokens of one command
                } else if (inFrame_ && c == kCr) {
                    inFrame_ = false;
                    if (transcript_.size() == kMaxTranscript)
                        transcript_.erase(transcript_.begin());
                    transcript_.push_back(frame_);
                    command = frame_;
                    complete = true;
                } else if (inFrame_) {
                    frame_ += c;
                }
            }
        }
        if (!complete)
            return;
        dispatch(command);
        std::size_t handled;
        {
            std::lock_guard lock(mutex_);
            handled = ++handled_;
        }
        commandArrived_.notify_all();
        std::size_t limit = hangUpAfter_.load();
        if (limit != 0 && handled >= limit) {
            hangUp();
            return;
        }
    }
}

void SimulatedReader::dispatch(const std::string& command) {
    if (silent_.load())
        return;
    std::vector<Responder*> responders;
    {
        std::lock_guard lock(mutex_);
        for (auto& r : responders_)
            responders.push_back(r.get());
    }
    for (Responder* responder : responders) {
        if (responder->handle(command, *this))
            break;
    }
    // In ACK mode every command is acknowledged once it has been carried out; "WD" itself is
    // acknowledged before the mode ends.
    bool acknowledge = ackMode_.load();
    if (command == "WD")
        setAckMode(false);
    if (acknowledge)
        send(std::string_view(&kAck, 1));
}

}  // namespace omni::sim
