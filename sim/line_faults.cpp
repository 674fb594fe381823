#include "sim/line_faults.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace omni::sim {

Flood::Flood(SimulatedReader& reader, std::string pattern) {
    thread_ = std::thread([this, &reader, pattern = std::move(pattern)] {
        std::string block;
        while (block.size() < 4096)
            block += pattern;
        std::size_t offset = 0;
        while (running_.load()) {
            std::size_t n = reader.sendSome(std::string_view(block).substr(offset, 1024));
            sent_ += n;
            offset = (offset + n) % pattern.size();
            if (n == 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));  // the program is full
        }
    });
}

Flood::~Flood() {
    running_.store(false);
    thread_.join();
}

Drip::Drip(SimulatedReader& reader, std::string bytes, std::chrono::milliseconds interval) {
    std::erase(bytes, '\r');
    if (bytes.empty())
        bytes = "?";
    thread_ = std::thread([this, &reader, bytes = std::move(bytes), interval] {
        for (std::size_t i = 0; running_.load(); ++i) {
            reader.sendSome(std::string_view(bytes).substr(i % bytes.size(), 1));
            auto until = std::chrono::steady_clock::now() + interval;
            while (running_.load() && std::chrono::steady_clock::now() < until)
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    });
}

Drip::~Drip() {
    running_.store(false);
    thread_.join();
}

StalledLine::StalledLine(SimulatedReader& reader) : reader_(reader) {
    fd_ = ::open(reader.devicePath().c_str(), O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0)
        throw std::system_error(errno, std::generic_category(), "open " + reader.devicePath());
}

StalledLine::~StalledLine() {
    ::close(fd_);
}

std::size_t StalledLine::fill(bool solid) {
    reader_.setStalled(true);
    static const char kFiller[256] = {};
    std::size_t taken = 0;
    auto fillWith = [&](std::size_t size) {
        for (ssize_t n; (n = ::write(fd_, kFiller, size)) > 0;)
            taken += static_cast<std::size_t>(n);
    };
    if (!solid) {
        fillWith(100);
        ::poll(nullptr, 0, 50);
        return taken;
    }
    // Large writes first, then single bytes until not even one more fits: the kernel frees room
    // in whole buffers, so it is topped up again after a moment.
    fillWith(sizeof kFiller);
    fillWith(1);
    ::poll(nullptr, 0, 50);
    fillWith(1);
    return taken;
}

void StalledLine::resume() {
    reader_.setStalled(false);
}

bool IgnoresAckMode::handle(std::string_view command, SimulatedReader&) {
    return command == "WC";
}

}  // namespace omni::sim
