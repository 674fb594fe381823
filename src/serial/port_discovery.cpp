#include "serial/port_discovery.h"

#include <algorithm>
#include <chrono>
#include <fstream>
#include <set>
#include <thread>

namespace omni::serial {
namespace fs = std::filesystem;
namespace {

std::optional<std::string> readFirstLine(const fs::path& file) {
    std::ifstream in(file);
    std::string line;
    if (!in || !std::getline(in, line))
        return std::nullopt;
    return line;
}

std::optional<std::uint16_t> readHex16(const fs::path& file) {
    auto line = readFirstLine(file);
    if (!line)
        return std::nullopt;
    try {
        std::size_t used = 0;
        unsigned long value = std::stoul(*line, &used, 16);
        if (used == 0 || value > 0xFFFF)
            return std::nullopt;
        return static_cast<std::uint16_t>(value);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

// The USB device that `device` (a sysfs device folder) belongs to: the nearest folder at or
// above it that has idVendor and idProduct.
std::optional<UsbIdentity> usbIdentityAbove(const fs::path& device, const fs::path& sysRoot,
                                            fs::path* usbFolder = nullptr) {
    std::error_code error;
    fs::path folder = fs::canonical(device, error);
    if (error)
        return std::nullopt;
    fs::path stop = fs::canonical(sysRoot, error);
    for (int depth = 0; depth < 16 && !folder.empty() && folder != stop; ++depth) {
        auto vendor = readHex16(folder / "idVendor");
        auto product = readHex16(folder / "idProduct");
        if (vendor && product) {
            if (usbFolder)
                *usbFolder = folder;
            return UsbIdentity{*vendor, *product};
        }
        if (folder == folder.parent_path())
            break;
        folder = folder.parent_path();
    }
    return std::nullopt;
}

// A tty entry of sysfs that stands for hardware that is there.
bool isRealTty(const fs::path& entry, const std::string& name) {
    std::error_code error;
    if (!fs::exists(entry / "device", error))
        return false;  // consoles, ptys and the like
    if (name.rfind("ttyS", 0) == 0) {
        auto type = readFirstLine(entry / "type");
        if (!type || *type == "0")
            return false;  // a placeholder of the 8250 driver
    }
    return true;
}

}  // namespace

PortKind kindOf(std::optional<UsbIdentity> usb) {
    if (!usb || usb->vendor != kReaderVendorId)
        return PortKind::Serial;
    if (usb->product == kProductReader2D)
        return PortKind::Reader2D;
    if (usb->product == kProductReader1D)
        return PortKind::Reader1D;
    return PortKind::Serial;
}

bool naturalLess(const std::string& a, const std::string& b) {
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        bool digitA = std::isdigit(static_cast<unsigned char>(a[i]));
        bool digitB = std::isdigit(static_cast<unsigned char>(b[j]));
        if (digitA && digitB) {
            std::size_t endA = i, endB = j;
            while (endA < a.size() && std::isdigit(static_cast<unsigned char>(a[endA])))
                ++endA;
            while (endB < b.size() && std::isdigit(static_cast<unsigned char>(b[endB])))
                ++endB;
            std::string numberA = a.substr(i, endA - i), numberB = b.substr(j, endB - j);
            numberA.erase(0, std::min(numberA.find_first_not_of('0'), numberA.size() - 1));
            numberB.erase(0, std::min(numberB.find_first_not_of('0'), numberB.size() - 1));
            if (numberA.size() != numberB.size())
                return numberA.size() < numberB.size();
            if (numberA != numberB)
                return numberA < numberB;
            i = endA;
            j = endB;
            continue;
        }
        if (a[i] != b[j])
            return a[i] < b[j];
        ++i;
        ++j;
    }
    return a.size() - i < b.size() - j;
}

std::vector<PortDescriptor> enumeratePorts(const DiscoveryRoots& roots) {
    std::vector<PortDescriptor> ports;
    std::error_code error;
    fs::directory_iterator it(roots.sys / "class" / "tty", error), end;
    for (; !error && it != end && ports.size() < kMaxPorts; it.increment(error)) {
        std::string name = it->path().filename().string();
        if (!isRealTty(it->path(), name))
            continue;
        fs::path node = roots.dev / name;
        std::error_code missing;
        if (!fs::exists(node, missing))
            continue;
        PortKind kind = kindOf(usbIdentityAbove(it->path() / "device", roots.sys));
        ports.push_back({kind, node.string()});
    }
    std::stable_sort(ports.begin(), ports.end(),
                     [](const auto& a, const auto& b) { return naturalLess(a.name(), b.name()); });
    return ports;
}

std::size_t countKeyboardReaders(const DiscoveryRoots& roots) {
    std::set<fs::path> readers;  // one USB device may register several input devices
    std::error_code error;
    fs::directory_iterator it(roots.sys / "class" / "input", error), end;
    for (; !error && it != end; it.increment(error)) {
        if (it->path().filename().string().rfind("input", 0) != 0)
            continue;
        fs::path usb;
        auto identity = usbIdentityAbove(it->path() / "device", roots.sys, &usb);
        if (!identity)
            identity = usbIdentityAbove(it->path(), roots.sys, &usb);
        if (identity && identity->vendor == kReaderVendorId &&
            (identity->product == kProductKeyboard2D || identity->product == kProductKeyboard1D)) {
            readers.insert(usb);
        }
    }
    return readers.size();
}

PortKind kindOfDevice(const fs::path& path, const DiscoveryRoots& roots) {
    std::error_code error;
    fs::path node = fs::canonical(path, error);
    if (error)
        node = path;
    fs::path entry = roots.sys / "class" / "tty" / node.filename();
    if (!fs::exists(entry / "device", error))
        return PortKind::Serial;
    return kindOf(usbIdentityAbove(entry / "device", roots.sys));
}

// --- PortWatch ---

PortWatch::Update PortWatch::refresh(std::vector<PortDescriptor> found) {
    Update update;
    auto isSelected = [&](const PortDescriptor& p) { return p.device == selected_.device; };
    if (found == ports_) {
        update.selectedPresent =
            !selected_.empty() && std::any_of(ports_.begin(), ports_.end(), isSelected);
        return update;
    }
    ports_ = std::move(found);
    update.changed = true;
    update.selectedPresent =
        !selected_.empty() && std::any_of(ports_.begin(), ports_.end(), isSelected);
    if (watching_)
        update.notify = update.selectedPresent;
    return update;
}

void PortWatch::choose(const PortDescriptor& port) {
    selected_ = port;
    watching_ = false;
}

void PortWatch::restore(const PortDescriptor& port, bool watching) {
    selected_ = port;
    watching_ = watching;
}

// --- PortPoller ---

PortPoller::PortPoller(Listener listener, DiscoveryRoots roots, unsigned intervalMs)
    : stream::ThreadRunnable(Priority::Idle),
      listener_(std::move(listener)),
      roots_(std::move(roots)),
      intervalMs_(intervalMs) {}

PortPoller::~PortPoller() {
    try {
        stop();
    } catch (...) {
        // A poll that does not end in time is left to the process's end.
    }
}

void PortPoller::stop() {
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
    }
    wake_.notify_all();
    join(3000);
    std::lock_guard lock(mutex_);
    quit_ = false;
}

void PortPoller::refreshNow() {
    {
        std::lock_guard lock(mutex_);
        refresh_ = true;
    }
    wake_.notify_all();
}

void PortPoller::choose(const PortDescriptor& port) {
    std::lock_guard lock(mutex_);
    watch_.choose(port);
}

void PortPoller::restore(const PortDescriptor& port, bool watching) {
    std::lock_guard lock(mutex_);
    watch_.restore(port, watching);
}

void PortPoller::setWatching(bool watching) {
    std::lock_guard lock(mutex_);
    watch_.setWatching(watching);
}

PortDescriptor PortPoller::selected() const {
    std::lock_guard lock(mutex_);
    return watch_.selected();
}

bool PortPoller::watching() const {
    std::lock_guard lock(mutex_);
    return watch_.watching();
}

void PortPoller::run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait_for(lock, std::chrono::milliseconds(intervalMs_),
                       [this] { return quit_ || refresh_; });
        if (quit_)
            return;
        refresh_ = false;
        lock.unlock();
        std::vector<PortDescriptor> found = enumeratePorts(roots_);
        lock.lock();
        PortWatch::Update update = watch_.refresh(std::move(found));
        if (!update.changed)
            continue;
        std::vector<PortDescriptor> ports = watch_.ports();
        lock.unlock();
        if (update.notify.value_or(false)) {
            std::this_thread::sleep_for(std::chrono::milliseconds(PortWatch::kAppearPauseMs));
        }
        listener_(ports, update.notify);
        lock.lock();
    }
}

}  // namespace omni::serial
