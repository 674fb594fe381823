// The port box on a fake device tree: what it lists and in which order, typed device paths, the
// simulated readers, no redraw without a change, the watch notification, the stored choice, and
// Enter staying in the box.
#include <QAction>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "foundation/settings_store.h"
#include "serial/gui/com_port_combo_box.h"
#include "serial/gui/simulated_readers.h"

namespace fs = std::filesystem;
using namespace omni::serial;  // the port box and what it finds are all this test is about

namespace {

// A key with no stored choice yet.
std::string keyFor(const char* name) {
    std::string key = std::string("Software\\Kestrel\\PortTest-") + name;
    storePortChoice(key, {});
    return key;
}

// A sysfs and /dev tree with USB and platform serial devices.
struct FakeSystem {
    FakeSystem() {
        root = fs::temp_directory_path() / ("omni-portbox-" + std::to_string(::getpid()));
        fs::remove_all(root);
        roots.sys = root / "sys";
        roots.dev = root / "dev";
        fs::create_directories(roots.sys / "class" / "tty");
        fs::create_directories(roots.dev);
    }
    ~FakeSystem() { fs::remove_all(root); }

    static void writeFile(const fs::path& file, const std::string& text) {
        fs::create_directories(file.parent_path());
        std::ofstream(file) << text << "\n";
    }
    void addUsbTty(const std::string& name, std::uint16_t vendor, std::uint16_t product) {
        const fs::path device = roots.sys / "devices" / "usb1" / name;
        char hex[8];
        std::snprintf(hex, sizeof hex, "%04x", vendor);
        writeFile(device / "idVendor", hex);
        std::snprintf(hex, sizeof hex, "%04x", product);
        writeFile(device / "idProduct", hex);
        fs::create_directories(device / "if0");
        const fs::path entry = roots.sys / "class" / "tty" / name;
        fs::create_directories(entry);
        fs::create_directory_symlink(device / "if0", entry / "device");
        plug(name);
    }
    void plug(const std::string& name) { writeFile(roots.dev / name, ""); }
    void unplug(const std::string& name) { fs::remove(roots.dev / name); }
    std::string node(const std::string& name) const { return (roots.dev / name).string(); }

    fs::path root;
    DiscoveryRoots roots;
};

QStringList labels(const ComPortComboBox& box) {
    QStringList texts;
    for (int i = 0; i < box.count(); ++i)
        texts << box.itemText(i);
    return texts;
}

}  // namespace

class ConnectionPortTest : public QObject {
    Q_OBJECT
private slots:
    void listsDevicesTypedPathsAndSimulatedReaders();
    void unchangedListIsNotRedrawn();
    void watchReportsTheChosenPortGoingAndComing();
    void choiceAndWatchFlagSurviveARestart();
    void enterInTheBoxDoesNotReachTheWindow();
};

void ConnectionPortTest::listsDevicesTypedPathsAndSimulatedReaders() {
    FakeSystem system;
    system.addUsbTty("ttyACM10", kReaderVendorId, kProductReader1D);
    system.addUsbTty("ttyACM9", kReaderVendorId, kProductReader2D);
    system.addUsbTty("ttyUSB0", 0x0403, 0x6001);
    SimulatedReaders simulated;
    ComPortComboBox box(
        keyFor("list"), [&] { return simulated.presentPorts(); }, nullptr, system.roots);
    QTRY_COMPARE_WITH_TIMEOUT(box.count(), 5, 3000);
    QCOMPARE(labels(box), QStringList({QStringLiteral("Kestrel USB Code Reader(2D) (ttyACM9)"),
                                       QStringLiteral("Kestrel USB Code Reader(1D) (ttyACM10)"),
                                       QStringLiteral("Communication Port (ttyUSB0)"),
                                       QStringLiteral("Simulated reader (2D)"),
                                       QStringLiteral("Simulated reader (1D)")}));
    QCOMPARE(box.currentIndex(), -1);

    // Choosing from the list.
    box.setCurrentIndex(0);
    emit box.activated(0);
    QCOMPARE(box.selectedPort().device, system.node("ttyACM9"));
    QCOMPARE(box.selectedPort().kind, PortKind::Reader2D);

    // A typed path is listed while it exists and stays chosen when it goes.
    // (A link to a character device stands in for a serial device's by-id link.)
    const std::string typed = (system.root / "by-id-link").string();
    fs::create_symlink("/dev/null", typed);
    box.lineEdit()->setText(QString::fromStdString(typed));
    QTest::keyClick(box.lineEdit(), Qt::Key_Return);
    QCOMPARE(box.selectedPort().device, typed);
    QTRY_COMPARE_WITH_TIMEOUT(box.count(), 6, 3000);
    QCOMPARE(box.itemText(3), QStringLiteral("Communication Port (by-id-link)"));
    QCOMPARE(box.currentIndex(), 3);
    fs::remove(typed);
    QTRY_COMPARE_WITH_TIMEOUT(box.count(), 5, 3000);
    QCOMPARE(box.currentIndex(), -1);
    QCOMPARE(box.currentText(), QString::fromStdString(typed));
    QCOMPARE(box.selectedPort().device, typed);

    // Typing a label chooses its port; a hung-up simulator leaves the list until plugged.
    box.lineEdit()->setText(QStringLiteral("Simulated reader (1D)"));
    QTest::keyClick(box.lineEdit(), Qt::Key_Return);
    QCOMPARE(box.selectedPort(), SimulatedReaders::descriptor(SimulatedFamily::OneD));
    simulated.devicePath(SimulatedFamily::OneD);
    simulated.unplug(SimulatedFamily::OneD);
    QTRY_COMPARE_WITH_TIMEOUT(box.count(), 4, 3000);
    simulated.plug(SimulatedFamily::OneD);
    QTRY_COMPARE_WITH_TIMEOUT(box.count(), 5, 3000);
    QCOMPARE(box.currentIndex(), 4);
}

void ConnectionPortTest::unchangedListIsNotRedrawn() {
    FakeSystem system;
    system.addUsbTty("ttyACM0", kReaderVendorId, kProductReader2D);
    ComPortComboBox box(keyFor("quiet"), {}, nullptr, system.roots);
    QSignalSpy changed(&box, &ComPortComboBox::portsChanged);
    QTRY_COMPARE_WITH_TIMEOUT(changed.count(), 1, 3000);
    for (int i = 0; i < 5; ++i) {
        box.refreshNow();
        QTest::qWait(30);
    }
    QTest::qWait(2 * ComPortComboBox::kPollMs);
    QCOMPARE(changed.count(), 1);
    system.addUsbTty("ttyACM1", kReaderVendorId, kProductReader1D);
    QTRY_COMPARE_WITH_TIMEOUT(changed.count(), 2, 3000);
}

void ConnectionPortTest::watchReportsTheChosenPortGoingAndComing() {
    FakeSystem system;
    system.addUsbTty("ttyACM0", kReaderVendorId, kProductReader2D);
    system.addUsbTty("ttyACM1", kReaderVendorId, kProductReader1D);
    ComPortComboBox box(keyFor("watch"), {}, nullptr, system.roots);
    QTRY_COMPARE_WITH_TIMEOUT(box.count(), 2, 3000);
    box.choosePort(box.ports()[0]);
    QSignalSpy notified(&box, &ComPortComboBox::watchNotification);

    // Not watching: changes are shown but not reported.
    system.unplug("ttyACM1");
    QTRY_COMPARE_WITH_TIMEOUT(box.count(), 1, 3000);
    QTest::qWait(100);
    QCOMPARE(notified.count(), 0);

    box.setWatching(true);
    system.unplug("ttyACM0");
    QTRY_COMPARE_WITH_TIMEOUT(notified.count(), 1, 3000);
    QCOMPARE(notified.takeFirst().at(0).toBool(), false);
    QCOMPARE(box.currentIndex(), -1);

    QElapsedTimer clock;
    clock.start();
    system.plug("ttyACM0");
    QTRY_COMPARE_WITH_TIMEOUT(notified.count(), 1, 4000);
    QCOMPARE(notified.takeFirst().at(0).toBool(), true);
    QVERIFY(clock.elapsed() >= PortWatch::kAppearPauseMs);
    QCOMPARE(box.currentText(), QStringLiteral("Kestrel USB Code Reader(2D) (ttyACM0)"));

    // A new choice ends watching.
    system.plug("ttyACM1");
    QTRY_COMPARE_WITH_TIMEOUT(box.count(), 2, 3000);
    QTRY_COMPARE_WITH_TIMEOUT(notified.count(), 1, 3000);  // still watching ttyACM0: present
    notified.clear();
    box.choosePort(box.ports()[1]);
    QVERIFY(!box.watching());
    system.unplug("ttyACM1");
    QTRY_COMPARE_WITH_TIMEOUT(box.count(), 1, 3000);
    QTest::qWait(100);
    QCOMPARE(notified.count(), 0);
}

void ConnectionPortTest::choiceAndWatchFlagSurviveARestart() {
    FakeSystem system;
    system.addUsbTty("ttyACM3", kReaderVendorId, kProductReader1D);
    const std::string key = keyFor("restart");
    {
        ComPortComboBox box(key, {}, nullptr, system.roots);
        QTRY_COMPARE_WITH_TIMEOUT(box.count(), 1, 3000);
        box.choosePort(box.ports()[0]);
        box.setWatching(true);
    }
    SerialPortSelect record;
    QVERIFY(omni::foundation::readSetting(key, "SerialPortSelect", record));
    QCOMPARE(record.marker, 0u);
    QCOMPARE(record.descriptor, (2u << 16) | 3u);
    QCOMPARE(record.watch, 1u);
    const StoredPortChoice choice = loadPortChoice(key);
    QCOMPARE(choice.port.device, system.node("ttyACM3"));
    QVERIFY(choice.watching);

    {
        ComPortComboBox box(key, {}, nullptr, system.roots);
        QVERIFY(box.watching());
        QTRY_COMPARE_WITH_TIMEOUT(box.currentIndex(), 0, 3000);
        QCOMPARE(box.selectedPort().device, system.node("ttyACM3"));
    }
    // A record with a wrong marker means no choice.
    record.marker = 1;
    omni::foundation::writeSetting(key, "SerialPortSelect", record);
    ComPortComboBox box(key, {}, nullptr, system.roots);
    QVERIFY(box.selectedPort().empty());
    QVERIFY(!box.watching());
}

void ConnectionPortTest::enterInTheBoxDoesNotReachTheWindow() {
    FakeSystem system;
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* box = new ComPortComboBox(keyFor("enter"), {}, &window, system.roots);
    layout->addWidget(box);
    auto* send = new QAction(&window);
    send->setShortcut(QKeySequence(Qt::Key_Return));
    window.addAction(send);
    QSignalSpy triggered(send, &QAction::triggered);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    box->lineEdit()->setFocus();
    const std::string typed = (system.root / "ttyS9").string();
    fs::create_symlink("/dev/null", typed);
    box->lineEdit()->setText(QString::fromStdString(typed));
    QTest::keyClick(box->lineEdit(), Qt::Key_Return);
    QCOMPARE(triggered.count(), 0);
    QCOMPARE(box->selectedPort().device, typed);
}

QTEST_MAIN(ConnectionPortTest)
#include "connection_port_test.moc"
