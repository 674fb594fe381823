#include "serial/gui/com_port_combo_box.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>

#include <sys/stat.h>

#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>

#include "foundation/exception.h"
#include "foundation/settings_store.h"
#include "resources/string_ids.h"
#include "serial/gui/simulated_readers.h"
#include "ui/gui/text.h"

namespace omni::serial {
namespace {

bool listed(const std::vector<PortDescriptor>& ports, const std::string& device) {
    return std::any_of(ports.begin(), ports.end(),
                       [&](const PortDescriptor& p) { return p.device == device; });
}

PortKind kindFromWord(std::uint32_t word) {
    const std::uint32_t kind = word >> 16;
    return kind <= 2 ? static_cast<PortKind>(kind) : PortKind::Serial;
}

// Why `device` cannot be a serial port; empty when it is a character device.
QString unusableDevice(const std::string& device) {
    struct stat info {};
    const QString shown = QString::fromStdString(device);
    if (::stat(device.c_str(), &info) != 0)
        return ui::uiText(res::ids::PathMissing).arg(shown);
    if (S_ISDIR(info.st_mode))
        return ui::uiText(res::ids::PathIsFolder).arg(shown);
    if (!S_ISCHR(info.st_mode))
        return ui::uiText(res::ids::PathNotSerial).arg(shown);
    return {};
}

}  // namespace

std::uint32_t packDescriptor(const PortDescriptor& port) {
    const std::string name = port.name();
    std::size_t digits = name.size();
    while (digits > 0 && name[digits - 1] >= '0' && name[digits - 1] <= '9')
        --digits;
    std::uint32_t number = 0;
    for (std::size_t i = digits; i < name.size() && number <= 0xFFFF; ++i)
        number = number * 10 + static_cast<std::uint32_t>(name[i] - '0');
    return (static_cast<std::uint32_t>(port.kind) << 16) | std::min<std::uint32_t>(number, 0xFFFF);
}

StoredPortChoice loadPortChoice(std::string_view keyPath) {
    StoredPortChoice choice;
    SerialPortSelect record;
    SerialPortSelectDevice device;
    if (!foundation::readSetting(keyPath, kSerialPortSelectName, record) || record.marker != 0)
        return choice;
    if (!foundation::readSetting(keyPath, kSerialPortSelectDeviceName, device) ||
        device.length != SerialPortSelectDevice::kMarker) {
        return choice;
    }
    device.path[sizeof device.path - 1] = '\0';
    choice.port.device = device.path;
    choice.port.kind = kindFromWord(record.descriptor);
    choice.watching = !choice.port.empty() && record.watch != 0;
    return choice;
}

void storePortChoice(std::string_view keyPath, const StoredPortChoice& choice) {
    SerialPortSelect record;
    SerialPortSelectDevice device;
    if (!choice.port.empty() && choice.port.device.size() < sizeof device.path) {
        record.descriptor = packDescriptor(choice.port);
        record.watch = choice.watching ? 1 : 0;
        std::memcpy(device.path, choice.port.device.data(), choice.port.device.size());
    }
    foundation::writeSetting(keyPath, kSerialPortSelectDeviceName, device);
    foundation::writeSetting(keyPath, kSerialPortSelectName, record);
}

QString portBoxLabel(const PortDescriptor& port) {
    if (auto family = SimulatedReaders::familyOf(port))
        return SimulatedReaders::label(*family);
    return ui::toQString(portLabel(port));
}

ComPortComboBox::ComPortComboBox(std::string keyPath, ExtraPorts extra, QWidget* parent,
                                 DiscoveryRoots roots)
    : FocusWheelComboBox(parent),
      stream::ThreadRunnable(Priority::Idle),
      keyPath_(std::move(keyPath)),
      extra_(std::move(extra)),
      roots_(std::move(roots)),
      timer_(new QTimer(this)) {
    setObjectName(QStringLiteral("ComPortComboBox"));
    setMinimumWidth(kWidth);
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    lineEdit()->setPlaceholderText(ui::uiText(res::ids::PortBoxHint));
    lineEdit()->installEventFilter(this);
    setToolTip(ui::uiText(res::ids::PortBoxHint));

    const StoredPortChoice stored = loadPortChoice(keyPath_);
    watch_.restore(stored.port, stored.watching);
    if (!stored.port.empty() && !SimulatedReaders::familyOf(stored.port))
        typed_.push_back(stored.port.device);
    showSelection(false);

    connect(this, &QComboBox::activated, this, &ComPortComboBox::onActivated);
    connect(lineEdit(), &QLineEdit::returnPressed, this, &ComPortComboBox::onTyped);
    connect(timer_, &QTimer::timeout, this, &ComPortComboBox::refreshNow);
    timer_->start(kPollMs);
    start();
    refreshNow();
}

ComPortComboBox::~ComPortComboBox() {
    timer_->stop();
    try {
        stop();
    } catch (const foundation::Exception&) {
        // An enumeration that does not end in time is left to the process's end.
    }
    try {
        storeChoice();
    } catch (const foundation::Exception&) {
        // Nothing to report to once the box is going; the next run starts without a choice.
    }
}

void ComPortComboBox::stop() {
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
    }
    wake_.notify_all();
    join(3000);
}

void ComPortComboBox::refreshNow() {
    {
        std::lock_guard lock(mutex_);
        refresh_ = true;
    }
    wake_.notify_all();
}

PortDescriptor ComPortComboBox::selectedPort() const {
    std::lock_guard lock(mutex_);
    PortDescriptor port = watch_.selected();
    // The list knows the kind of a discovered device better than the stored word.
    for (const PortDescriptor& shown : shown_) {
        if (shown.device == port.device)
            return shown;
    }
    return port;
}

void ComPortComboBox::choosePort(const PortDescriptor& port) {
    {
        std::lock_guard lock(mutex_);
        watch_.choose(port);
    }
    showSelection(listed(shown_, port.device));
    refreshNow();
}

void ComPortComboBox::chooseDevicePath(const QString& path) {
    const std::string device = path.trimmed().toStdString();
    if (device.empty())
        return;
    {
        std::lock_guard lock(mutex_);
        if (std::find(typed_.begin(), typed_.end(), device) == typed_.end())
            typed_.push_back(device);
    }
    for (const PortDescriptor& shown : shown_) {
        if (shown.device == device) {
            choosePort(shown);
            return;
        }
    }
    choosePort({kindOfDevice(device, roots_), device});
}

void ComPortComboBox::setWatching(bool watching) {
    std::lock_guard lock(mutex_);
    watch_.setWatching(watching);
}

void ComPortComboBox::rearm() {
    {
        std::lock_guard lock(mutex_);
        const bool watching = watch_.watching();
        watch_.setWatching(false);
        watch_.refresh({});
        watch_.setWatching(watching);
    }
    refreshNow();
}

bool ComPortComboBox::watching() const {
    std::lock_guard lock(mutex_);
    return watch_.watching();
}

void ComPortComboBox::storeChoice() const {
    StoredPortChoice choice;
    {
        std::lock_guard lock(mutex_);
        choice.port = watch_.selected();
        choice.watching = watch_.watching();
    }
    storePortChoice(keyPath_, choice);
}

void ComPortComboBox::run() {
    std::unique_lock lock(mutex_);
    while (awaitWork(wake_, lock, quit_, refresh_)) {
        const std::vector<std::string> typed = typed_;
        lock.unlock();

        std::vector<PortDescriptor> found = enumeratePorts(roots_);
        for (const std::string& device : typed) {
            std::error_code error;
            if (!listed(found, device) && std::filesystem::exists(device, error))
                found.push_back({kindOfDevice(device, roots_), device});
        }
        if (extra_) {
            for (PortDescriptor& port : extra_()) {
                if (!listed(found, port.device))
                    found.push_back(std::move(port));
            }
        }

        lock.lock();
        const PortWatch::Update update = watch_.refresh(std::move(found));
        if (!update.changed)
            continue;
        const std::vector<PortDescriptor> ports = watch_.ports();
        const bool present = update.selectedPresent;
        QMetaObject::invokeMethod(
            this, [this, ports, present] { showPorts(ports, present); }, Qt::QueuedConnection);
        if (update.notify) {
            if (*update.notify) {
                // Give a device that has just appeared a moment to settle.
                wake_.wait_for(lock, std::chrono::milliseconds(PortWatch::kAppearPauseMs),
                               [this] { return quit_; });
                if (quit_)
                    return;
            }
            const bool value = *update.notify;
            QMetaObject::invokeMethod(
                this,
                [this, value] {
                    if (watching())
                        emit watchNotification(value);
                },
                Qt::QueuedConnection);
        }
    }
}

void ComPortComboBox::showPorts(const std::vector<PortDescriptor>& ports, bool selectedPresent) {
    shown_ = ports;
    {
        QSignalBlocker quiet(this);
        clear();
        for (const PortDescriptor& port : ports)
            addItem(portBoxLabel(port), QString::fromStdString(port.device));
    }
    showSelection(selectedPresent);
    emit portsChanged();
}

void ComPortComboBox::showSelection(bool present) {
    const PortDescriptor port = selectedPort();
    QSignalBlocker quiet(this);
    int index = -1;
    if (present) {
        for (std::size_t i = 0; i < shown_.size(); ++i) {
            if (shown_[i].device == port.device)
                index = static_cast<int>(i);
        }
    }
    setCurrentIndex(index);
    if (index < 0) {
        // A chosen device that is not there now still shows which one it is.
        lineEdit()->setText(port.empty() ? QString() : QString::fromStdString(port.device));
    }
}

void ComPortComboBox::onActivated(int index) {
    if (index >= 0 && static_cast<std::size_t>(index) < shown_.size())
        choosePort(shown_[static_cast<std::size_t>(index)]);
}

QString ComPortComboBox::takeShownText() {
    const QString text = currentText().trimmed();
    if (text.isEmpty())
        return {};
    const int index = findText(text, Qt::MatchFixedString);
    if (index >= 0) {
        onActivated(index);
        return {};
    }
    const PortDescriptor chosen = selectedPort();
    if (!chosen.empty() &&
        (text == portBoxLabel(chosen) || text == QString::fromStdString(chosen.device))) {
        return {};
    }
    const std::string device = text.toStdString();
    // The simulated readers have no device node; only their labels choose them.
    QString reason = unusableDevice(device);
    if (!reason.isEmpty())
        return reason;
    chooseDevicePath(text);
    return {};
}

void ComPortComboBox::onTyped() {
    const QString reason = takeShownText();
    if (!reason.isEmpty())
        emit pathRejected(reason);
}

namespace {

// Claims Enter for the box, so that the window's shortcuts (Send) never see it.
bool claimEnter(QEvent* event) {
    if (event->type() != QEvent::ShortcutOverride)
        return false;
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key != Qt::Key_Return && key != Qt::Key_Enter)
        return false;
    event->accept();
    return true;
}

}  // namespace

bool ComPortComboBox::event(QEvent* event) {
    // The line edit's focus goes through the box, so the shortcut check for a key typed in it
    // asks the box, not the line edit.
    return claimEnter(event) || QComboBox::event(event);
}

bool ComPortComboBox::eventFilter(QObject* watched, QEvent* event) {
    // A key sent to the line edit itself.
    if (watched == lineEdit() && claimEnter(event))
        return true;
    return QComboBox::eventFilter(watched, event);
}

}  // namespace omni::serial
