// Port discovery on a fake sysfs and /dev tree: which devices count, kinds from USB ids, labels,
// natural order, keyboard readers, and the change detection behind the watch notification.
#include <gtest/gtest.h>

#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <thread>

#include "foundation/test_folder.h"
#include "resources/strings.h"
#include "serial/port_discovery.h"

namespace omni::serial {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

class FakeSystem : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = test::freshTestFolder("sysfs");
        roots.sys = root_ / "sys";
        roots.dev = root_ / "dev";
        fs::create_directories(roots.sys / "class" / "tty");
        fs::create_directories(roots.sys / "class" / "input");
        fs::create_directories(roots.dev);
    }
    void TearDown() override { fs::remove_all(root_); }

    static void writeFile(const fs::path& file, const std::string& text) {
        fs::create_directories(file.parent_path());
        std::ofstream(file) << text << "\n";
    }
    fs::path usbDevice(const std::string& id, std::uint16_t vendor, std::uint16_t product) {
        fs::path device = roots.sys / "devices" / "usb1" / id;
        char hex[8];
        std::snprintf(hex, sizeof hex, "%04x", vendor);
        writeFile(device / "idVendor", hex);
        std::snprintf(hex, sizeof hex, "%04x", product);
        writeFile(device / "idProduct", hex);
        return device;
    }
    // A tty whose "device" link points at `parent` (an interface folder is made below it).
    void addTty(const std::string& name, const fs::path& parent, bool node = true) {
        fs::path interface = parent / (name + "-if");
        fs::create_directories(interface);
        fs::path entry = roots.sys / "class" / "tty" / name;
        fs::create_directories(entry);
        fs::create_directory_symlink(interface, entry / "device");
        if (node)
            writeFile(roots.dev / name, "");
    }

    fs::path root_;
    serial::DiscoveryRoots roots;
};

TEST_F(FakeSystem, ListsRealDevicesWithKindsLabelsAndNaturalOrder) {
    fs::path platform = roots.sys / "devices" / "platform" / "serial8250";
    addTty("ttyS0", platform);
    writeFile(roots.sys / "class/tty/ttyS0/type", "4");
    addTty("ttyS1", platform);  // a placeholder the driver registered
    writeFile(roots.sys / "class/tty/ttyS1/type", "0");
    fs::create_directories(roots.sys / "class/tty/tty0");  // a console: no device
    writeFile(roots.dev / "tty0", "");
    addTty("ttyACM10", usbDevice("1-1", serial::kReaderVendorId, serial::kProductReader1D));
    addTty("ttyACM9", usbDevice("1-2", serial::kReaderVendorId, serial::kProductReader2D));
    addTty("ttyUSB0",
           usbDevice("1-3", 0x0403, serial::kProductReader2D));  // someone else's adapter
    addTty("ttyACM2", usbDevice("1-4", serial::kReaderVendorId, serial::kProductKeyboard2D));
    addTty("ttyUSB1", platform, false);  // unplugged: the node has gone

    std::vector<serial::PortDescriptor> ports = serial::enumeratePorts(roots);
    std::vector<std::string> labels;
    for (const auto& p : ports)
        labels.push_back(res::toUtf8(portLabel(p)));
    EXPECT_EQ(labels, (std::vector<std::string>{
                          "Communication Port (ttyACM2)", "Kestrel USB Code Reader(2D) (ttyACM9)",
                          "Kestrel USB Code Reader(1D) (ttyACM10)", "Communication Port (ttyS0)",
                          "Communication Port (ttyUSB0)"}));
    EXPECT_EQ(ports[1].device, (roots.dev / "ttyACM9").string());
    EXPECT_EQ(serial::kindOfDevice(roots.dev / "ttyACM10", roots), serial::PortKind::Reader1D);
    EXPECT_EQ(serial::kindOfDevice("/dev/pts/3", roots), serial::PortKind::Serial);
}

TEST_F(FakeSystem, CountsKeyboardReadersOncePerDevice) {
    fs::path keyboard = usbDevice("2-1", serial::kReaderVendorId, serial::kProductKeyboard1D);
    fs::path other = usbDevice("2-2", 0x046D, serial::kProductKeyboard1D);
    for (auto [name, parent] :
         {std::pair{"input3", keyboard}, {"input4", keyboard}, {"input5", other}}) {
        fs::path real = parent / "2-x:1.0" / "input" / name;
        fs::create_directories(real);
        fs::create_directory_symlink(real, roots.sys / "class" / "input" / name);
    }
    EXPECT_EQ(serial::countKeyboardReaders(roots), 1u);
}

TEST(NaturalOrder, NumbersCompareByValue) {
    EXPECT_TRUE(serial::naturalLess("ttyACM9", "ttyACM10"));
    EXPECT_FALSE(serial::naturalLess("ttyACM10", "ttyACM9"));
    EXPECT_TRUE(serial::naturalLess("ttyS2", "ttyS10"));
    EXPECT_TRUE(serial::naturalLess("ttyACM0", "ttyS0"));
    EXPECT_FALSE(serial::naturalLess("ttyS1", "ttyS1"));
    EXPECT_TRUE(serial::naturalLess("ttyS", "ttyS0"));
}

TEST(PortWatch, NotifiesOnlyOnChangesWhileWatching) {
    serial::PortDescriptor reader{serial::PortKind::Reader2D, "/dev/ttyACM0"};
    serial::PortDescriptor plain{serial::PortKind::Serial, "/dev/ttyS0"};
    serial::PortWatch watch;
    watch.restore(reader, true);

    auto update = watch.refresh({plain, reader});
    EXPECT_TRUE(update.changed);
    EXPECT_EQ(update.notify, std::optional<bool>(true));  // the stored reader is there: connect

    update = watch.refresh({plain, reader});
    EXPECT_FALSE(update.changed);
    EXPECT_FALSE(update.notify.has_value());

    update = watch.refresh({plain});  // unplugged
    EXPECT_EQ(update.notify, std::optional<bool>(false));
    EXPECT_FALSE(update.selectedPresent);

    watch.choose(plain);  // the user picks another port: watching ends
    update = watch.refresh({plain, reader});
    EXPECT_TRUE(update.changed);
    EXPECT_TRUE(update.selectedPresent);
    EXPECT_FALSE(update.notify.has_value());
}

TEST_F(FakeSystem, PollerReportsAPluggedReader) {
    std::mutex mutex;
    std::vector<std::vector<serial::PortDescriptor>> seen;
    serial::PortPoller poller(
        [&](const std::vector<serial::PortDescriptor>& ports, std::optional<bool>) {
            std::lock_guard lock(mutex);
            seen.push_back(ports);
        },
        roots, 20);
    poller.start();
    addTty("ttyACM0", usbDevice("3-1", serial::kReaderVendorId, serial::kProductReader2D));
    poller.refreshNow();
    for (int i = 0; i < 200; ++i) {
        {
            std::lock_guard lock(mutex);
            if (!seen.empty() && !seen.back().empty())
                break;
        }
        std::this_thread::sleep_for(10ms);
    }
    poller.stop();
    std::lock_guard lock(mutex);
    ASSERT_FALSE(seen.empty());
    ASSERT_EQ(seen.back().size(), 1u);
    EXPECT_EQ(seen.back()[0].kind, serial::PortKind::Reader2D);
}

}  // namespace
}  // namespace omni::serial
