#include "serial/keyboard_reader.h"

#include <fcntl.h>
#include <linux/input.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <filesystem>
#include <fstream>

#include "foundation/exception.h"
#include "resources/string_ids.h"
#include "resources/strings.h"

namespace omni::serial {
namespace {

namespace fs = std::filesystem;

std::string firstLine(const fs::path& file) {
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    return line;
}

std::optional<std::uint16_t> hex16(const fs::path& file) {
    const std::string text = firstLine(file);
    unsigned value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    if (error != std::errc() || end == text.data() || value > 0xFFFF)
        return std::nullopt;
    return static_cast<std::uint16_t>(value);
}

bool isKeyboardReader(std::optional<std::uint16_t> vendor, std::optional<std::uint16_t> product) {
    return vendor && product && *vendor == kReaderVendorId &&
           (*product == kProductKeyboard2D || *product == kProductKeyboard1D);
}

// The number of "event12", for the order; -1 for other names.
int eventNumber(const std::string& name) {
    if (name.rfind("event", 0) != 0)
        return -1;
    int n = -1;
    std::from_chars(name.data() + 5, name.data() + name.size(), n);
    return n;
}

// The by-id name that points at `node`, preferring the keyboard interface's.
std::string byIdName(const fs::path& byId, const fs::path& node) {
    std::string found;
    std::error_code error;
    fs::directory_iterator it(byId, error), end;
    for (; !error && it != end; it.increment(error)) {
        std::error_code linkError;
        const fs::path target = fs::read_symlink(it->path(), linkError);
        if (linkError || target.filename() != node.filename())
            continue;
        const std::string name = it->path().filename().string();
        if (found.empty() || name.ends_with("-event-kbd"))
            found = name;
    }
    return found;
}

std::u16string node16(const std::string& node) {
    return res::fromUtf8(node);
}

[[noreturn]] void throwOpenFailure(const std::string& node, int error) {
    std::u16string text;
    switch (error) {
        case EACCES:
        case EPERM:
            text = res::format(res::ids::KeyboardNoAccess, {node16(node)});
            break;
        case EBUSY:
            text = res::format(res::ids::KeyboardBusy, {node16(node)});
            break;
        default:
            text =
                res::format(res::ids::KeyboardCannotOpen,
                            {node16(node), res::fromUtf8(std::generic_category().message(error))});
            break;
    }
    throw foundation::UserException(foundation::UserException::Refused, std::move(text));
}

}  // namespace

std::vector<KeyboardReaderDevice> findKeyboardReaders(const DiscoveryRoots& roots) {
    std::vector<std::pair<int, KeyboardReaderDevice>> found;
    std::error_code error;
    fs::directory_iterator it(roots.sys / "class" / "input", error), end;
    for (; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        const int number = eventNumber(name);
        if (number < 0)
            continue;
        const fs::path input = it->path() / "device";  // the inputN the event device belongs to
        const auto product = hex16(input / "id" / "product");
        if (!isKeyboardReader(hex16(input / "id" / "vendor"), product))
            continue;
        const fs::path node = roots.dev / "input" / name;
        std::error_code missing;
        if (!fs::exists(node, missing))
            continue;
        KeyboardReaderDevice device{node.string(), byIdName(roots.dev / "input" / "by-id", node),
                                    *product};
        if (device.label.empty())
            device.label = firstLine(input / "name");
        if (device.label.empty())
            device.label = name;
        found.emplace_back(number, std::move(device));
    }
    std::sort(found.begin(), found.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<KeyboardReaderDevice> devices;
    for (auto& entry : found)
        devices.push_back(std::move(entry.second));
    return devices;
}

KeyboardListener::KeyboardListener() = default;

KeyboardListener::~KeyboardListener() {
    close();
}

void KeyboardListener::open(const std::string& node, KeyboardLayout layout, TextSink text,
                            EndSink end) {
    const int fd = ::open(node.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        throwOpenFailure(node, errno);
    node_ = node;
    adopt(fd, true, layout, std::move(text), std::move(end));
}

void KeyboardListener::adopt(int fd, bool grab, KeyboardLayout layout, TextSink text, EndSink end) {
    close();
    if (grab && ::ioctl(fd, EVIOCGRAB, 1) != 0) {
        const int error = errno;
        ::close(fd);
        throwOpenFailure(node_, error);
    }
    wake_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wake_ < 0) {
        const int error = errno;
        ::close(fd);
        throw foundation::SystemException(error);
    }
    fd_ = fd;
    grabbed_ = grab;
    decoder_ = KeystrokeDecoder(layout);
    text_ = std::move(text);
    end_ = std::move(end);
    if (!start()) {
        close();
        throw foundation::SystemException(EAGAIN);
    }
}

void KeyboardListener::close() {
    if (wake_ >= 0) {
        ::eventfd_write(wake_, 1);
        join();
    }
    if (fd_ >= 0) {
        if (grabbed_)
            ::ioctl(fd_, EVIOCGRAB, 0);
        ::close(fd_);
        fd_ = -1;
    }
    grabbed_ = false;
    if (wake_ >= 0) {
        ::close(wake_);
        wake_ = -1;
    }
}

void KeyboardListener::run() {
    input_event events[64];
    for (;;) {
        pollfd p[2] = {{wake_, POLLIN, 0}, {fd_, POLLIN, 0}};
        if (::poll(p, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            return finish(errno);
        }
        if (p[0].revents & POLLIN)
            return;  // close() asked
        const ssize_t n = ::read(fd_, events, sizeof events);
        if (n < 0 && (errno == EAGAIN || errno == EINTR))
            continue;
        if (n <= 0)
            return finish(n == 0 ? ENODEV : errno);
        std::string typed;
        const std::size_t count = static_cast<std::size_t>(n) / sizeof(input_event);
        for (std::size_t i = 0; i < count; ++i)
            typed += decoder_.feed({events[i].type, events[i].code, events[i].value});
        if (!typed.empty() && text_)
            text_(typed);
    }
}

void KeyboardListener::finish(int error) {
    if (end_)
        end_(error);
}

}  // namespace omni::serial
