#include "tools/waveform_link.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstring>

#include "foundation/exception.h"
#include "resources/strings.h"

extern char** environ;

namespace omni::tools {
namespace {

constexpr std::size_t kModelLength = 31;

}  // namespace

WaveformShare::WaveformShare(std::string memoryName, std::string lockName, bool create)
    : memoryName_("/" + std::move(memoryName)), lockName_(std::move(lockName)), owner_(create) {
    if (create) {
        ::shm_unlink(memoryName_.c_str());
        serial::NamedLock::remove(lockName_);  // a viewer that died holding it leaves it taken
    }
    int fd = ::shm_open(memoryName_.c_str(), create ? O_RDWR | O_CREAT | O_EXCL : O_RDWR, 0600);
    if (fd < 0)
        throw foundation::SystemException(errno, res::fromUtf8(memoryName_));
    if (create && ::ftruncate(fd, static_cast<off_t>(kWaveformBlockSize)) != 0) {
        const int error = errno;
        ::close(fd);
        ::shm_unlink(memoryName_.c_str());
        throw foundation::SystemException(error, res::fromUtf8(memoryName_));
    }
    void* view = ::mmap(nullptr, kWaveformBlockSize, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    const int error = errno;
    ::close(fd);
    if (view == MAP_FAILED) {
        if (create)
            ::shm_unlink(memoryName_.c_str());
        throw foundation::SystemException(error, res::fromUtf8(memoryName_));
    }
    view_ = static_cast<char*>(view);
    if (create)
        std::memset(view_, 0, kWaveformBlockSize);
    try {
        lock_ = std::make_unique<serial::NamedLock>(lockName_);
    } catch (...) {
        ::munmap(view_, kWaveformBlockSize);
        if (create)
            ::shm_unlink(memoryName_.c_str());
        throw;
    }
}

WaveformShare::~WaveformShare() {
    ::munmap(view_, kWaveformBlockSize);
    lock_.reset();
    release();
}

void WaveformShare::release() {
    if (!owner_)
        return;
    owner_ = false;
    ::shm_unlink(memoryName_.c_str());
    serial::NamedLock::remove(lockName_);
}

std::optional<std::string> WaveformShare::take(unsigned timeoutMs) {
    if (!lock_->lock(timeoutMs))
        return std::nullopt;
    std::string text(view_, strnlen(view_, kWaveformBlockSize));
    view_[0] = 0;
    lock_->unlock();
    return text;
}

std::string formatRequest(const WaveformRequest& request) {
    return std::to_string(request.request) + " " + std::to_string(request.value) + "\n";
}

std::optional<WaveformRequest> parseRequest(std::string_view line) {
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.remove_suffix(1);
    const std::size_t space = line.find(' ');
    if (space == std::string_view::npos)
        return std::nullopt;
    WaveformRequest parsed;
    const char* end = line.data() + space;
    auto [at, error] = std::from_chars(line.data(), end, parsed.request);
    if (error != std::errc() || at != end || parsed.request < 0 || parsed.request > 3)
        return std::nullopt;
    end = line.data() + line.size();
    auto [valueAt, valueError] = std::from_chars(line.data() + space + 1, end, parsed.value);
    if (valueError != std::errc() || valueAt != end)
        return std::nullopt;
    return parsed;
}

std::vector<int> parseWaveformLine(std::string_view line) {
    const std::size_t colon = line.rfind(':');
    if (colon != std::string_view::npos)
        line.remove_prefix(colon + 1);
    std::vector<int> samples;
    const char* at = line.data();
    const char* end = line.data() + line.size();
    while (at < end) {
        if (*at == '-' || (*at >= '0' && *at <= '9')) {
            int value = 0;
            auto [next, error] = std::from_chars(at, end, value);
            if (error != std::errc())
                return {};
            samples.push_back(value);
            at = next;
        } else if (*at == ',' || *at == ' ' || *at == '\t' || *at == '\r' || *at == '\n') {
            ++at;
        } else {
            return {};  // not a waveform line
        }
    }
    return samples;
}

WaveformLink::WaveformLink(serial::SerialPortForPosix& port, reader::CommandExchange& exchange,
                           std::string memoryName, std::string lockName)
    : port_(port),
      exchange_(exchange),
      memoryName_(std::move(memoryName)),
      lockName_(std::move(lockName)) {}

WaveformLink::~WaveformLink() {
    detach();
}

WaveformLink::StartResult WaveformLink::start(std::string_view model, const std::string& program,
                                              const std::string& socketName) {
    if (model.empty())
        return StartResult::Ignored;
    if (model.substr(0, kModelLength) != kWaveformModel)
        return StartResult::WrongModel;
    if (share_)
        return StartResult::AlreadyAttached;
    retired_.reset();
    reapViewers();
    auto share = std::make_unique<WaveformShare>(memoryName_, lockName_, true);
    const char* argv[] = {program.c_str(), socketName.c_str(), nullptr};
    pid_t pid = 0;
    const int error =
        posix_spawn(&pid, program.c_str(), nullptr, nullptr, const_cast<char**>(argv), environ);
    if (error != 0)
        throw foundation::SystemException(error, res::fromUtf8(program));
    viewer_ = pid;
    share_ = std::move(share);
    port_.setCaptureSink(share_->view(), kWaveformBlockSize, &share_->lock());
    return StartResult::Started;
}

void WaveformLink::request(const WaveformRequest& request) {
    switch (request.request) {
        case 0:
            detach();
            break;
        case 1:
            exchange_.directControl(reader::CommandExchange::DirectRequest::First, request.value);
            break;
        case 2:
            exchange_.directControl(reader::CommandExchange::DirectRequest::Second, request.value);
            break;
        case 3:
            exchange_.directControl(reader::CommandExchange::DirectRequest::Third, request.value);
            break;
        default:
            break;
    }
}

void WaveformLink::detach() {
    port_.setCaptureSink(nullptr, kWaveformBlockSize, nullptr);
    if (share_) {
        share_->release();
        retired_ = std::move(share_);
    }
    if (viewer_ > 0) {
        // A viewer still running ends on its own after detaching; it is reaped later.
        if (::waitpid(viewer_, nullptr, WNOHANG) == 0)
            exited_.push_back(viewer_);
        viewer_ = -1;
    }
    reapViewers();
}

std::size_t WaveformLink::reapViewers() {
    std::erase_if(exited_, [](int pid) { return ::waitpid(pid, nullptr, WNOHANG) != 0; });
    return exited_.size();
}

}  // namespace omni::tools
