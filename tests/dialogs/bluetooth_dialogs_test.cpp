// The Bluetooth dialogs: what the address barcode shows in each mode, its size bounds and copy,
// and the send-command dialog writing to a simulated reader over a pty pair.
#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QSlider>
#include <QtTest>

#include "commands/compose/bluetooth.h"
#include "dialogs/modal.h"
#include "menucode/code39.h"
#include "menucode/gui/bluetooth/address_barcode_dialog.h"
#include "menucode/gui/bluetooth/bluetooth_radios.h"
#include "menucode/gui/bluetooth/send_command_dialog.h"
#include "reader/module_host.h"
#include "serial/serial_port.h"
#include "sim/simulated_reader.h"
#include "ui/gui/report.h"

using namespace omni;
using namespace omni::menucode::bluetooth;

namespace {

constexpr std::string_view kTestKey = "Software\\Kestrel\\OmniSetupTest";
const commands::compose::DateTime kNinthOfJanuary{2026, 1, 9, 8, 5, 3};

// The texts a drawing holds.
QStringList textsOf(const menucode::Drawing& drawing) {
    QStringList out;
    for (const menucode::Item& item : drawing.items) {
        if (const auto* run = std::get_if<menucode::TextRun>(&item)) {
            out << QString::fromStdU16String(run->text);
        }
    }
    return out;
}

int barsOf(const menucode::Drawing& drawing) {
    int bars = 0;
    for (const menucode::Item& item : drawing.items)
        bars += std::holds_alternative<menucode::FillRect>(item);
    return bars;
}

// A simulated reader and an open port to it.
struct Connection {
    Connection() {
        reader::installModuleLock();
        reader.start();
        port.open({serial::PortKind::Serial, reader.devicePath()}, kTestKey);
        reader.clearTranscript();
    }
    // Waits until the reader has received `bytes` (and nothing else).
    bool received(const std::string& bytes) {
        QElapsedTimer clock;
        clock.start();
        while (reader.received().size() < bytes.size() && clock.elapsed() < 3000)
            QTest::qWait(10);
        QTest::qWait(50);  // anything extra would have arrived by now
        return reader.received() == bytes;
    }
    sim::SimulatedReader reader;
    serial::SerialPortForPosix port;
};

}  // namespace

class BluetoothDialogsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void addressBarcodeShowsTheLastAdapter();
    void noAdapterShowsTheMessage();
    void commandAndDateTimeModes();
    void codeSizeStaysWithinItsRange();
    void rightClickCopiesTheCode();
    void timeAdjustmentBytesOnTheWire();
    void deviceNameBytesOnTheWire();
    void sendNeedsAnOpenPort();
    void screenshots();
};

void BluetoothDialogsTest::addressBarcodeShowsTheLastAdapter() {
    menucode::bluetooth::AddressBarcodeDialog dialog("", omni::res::ids::BluetoothAddress,
                                                     {0xAABB'CCDD'EEFFull, 0x0000'0A0B'0C0Dull});
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Bluetooth Address Barcode"));
    QCOMPARE(dialog.barcodeText(), std::optional<std::string>("_00000a0b0c0d_"));
    QVERIFY(dialog.valueEdit()->isHidden());
    const menucode::Drawing drawing = dialog.areaDrawing(600, 300);
    QCOMPARE(textsOf(drawing), QStringList{QStringLiteral("00000A0B0C0D")});
    // 14 characters of five bars each, centred.
    QCOMPARE(barsOf(drawing), 14 * 5);
}

void BluetoothDialogsTest::noAdapterShowsTheMessage() {
    menucode::bluetooth::AddressBarcodeDialog dialog("", omni::res::ids::BluetoothAddress, {});
    QVERIFY(!dialog.barcodeText());
    const menucode::Drawing drawing = dialog.areaDrawing(600, 300);
    QCOMPARE(textsOf(drawing), QStringList{QStringLiteral("Not Found the Bluetooth Device!!")});
    QCOMPARE(barsOf(drawing), 0);
    QVERIFY(dialog.copyDrawing().items.empty());
    std::unique_ptr<QMimeData> data(dialog.clipboardData());
    QVERIFY(!data->hasImage());

    // This machine has no radio: the system's list is empty, and asking does not hang.
    QVERIFY(menucode::bluetooth::systemBluetoothRadios()->addresses().empty());
}

void BluetoothDialogsTest::commandAndDateTimeModes() {
    for (std::uint32_t mode : {omni::res::ids::ClearStoredData, omni::res::ids::WirelessDisconnect,
                               omni::res::ids::DemoMode}) {
        menucode::bluetooth::AddressBarcodeDialog dialog("+-MCLR-+", mode, {});
        QCOMPARE(dialog.barcodeText(), std::optional<std::string>("_+-MCLR-+_"));
        QVERIFY(dialog.valueEdit()->isHidden());
    }
    menucode::bluetooth::AddressBarcodeDialog time("", omni::res::ids::TimeAdjustment, {});
    QCOMPARE(time.windowTitle(), QStringLiteral("Time adjustment"));
    QVERIFY(!time.valueEdit()->isHidden());
    QCOMPARE(time.valueEdit()->text().size(), 14);  // prefilled with the local time
    QCOMPARE(time.valueEdit()->maxLength(), 14);
    time.valueEdit()->clear();
    QTest::keyClicks(time.valueEdit(), QStringLiteral("2026010908050"));
    QVERIFY(!time.barcodeText());  // 13 characters: no code
    QVERIFY(barsOf(time.areaDrawing(600, 300)) == 0);
    QVERIFY(textsOf(time.areaDrawing(600, 300)).isEmpty());
    QTest::keyClicks(time.valueEdit(), QStringLiteral("3"));
    QCOMPARE(time.barcodeText(), std::optional<std::string>("_20260109080503_"));
}

void BluetoothDialogsTest::codeSizeStaysWithinItsRange() {
    menucode::bluetooth::AddressBarcodeDialog dialog("", omni::res::ids::BluetoothAddress, {1});
    QCOMPARE(dialog.codeSize(), 72);
    QCOMPARE(dialog.sizeSlider()->minimum(), 48);
    QCOMPARE(dialog.sizeSlider()->maximum(), 96);
    QCOMPARE(dialog.sizeLabel()->text(), QStringLiteral("72"));

    QWheelEvent up(QPointF(10, 10), QPointF(10, 10), QPoint(), QPoint(0, 120), Qt::NoButton,
                   Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(dialog.area(), &up);
    QCOMPARE(dialog.codeSize(), 74);
    QCOMPARE(dialog.sizeSlider()->value(), 74);
    QCOMPARE(dialog.sizeLabel()->text(), QStringLiteral("74"));
    // The bounds themselves are the composing code's; the slider, label and wheel follow it.
    dialog.sizeSlider()->setValue(60);
    QCOMPARE(dialog.codeSize(), 60);
    QCOMPARE(dialog.sizeLabel()->text(), QStringLiteral("60"));
    dialog.setCodeSize(500);
    QCOMPARE(dialog.sizeSlider()->value(), 96);
}

void BluetoothDialogsTest::rightClickCopiesTheCode() {
    menucode::bluetooth::AddressBarcodeDialog dialog("", omni::res::ids::BluetoothAddress,
                                                     {0x0000'0000'0001ull});
    const QList<QAction*> items = dialog.popupMenu()->actions();
    QCOMPARE(items.size(), 3);
    QVERIFY(items[0]->isEnabled());
    QVERIFY(!items[1]->isEnabled());  // show command string
    QVERIFY(!items[2]->isEnabled());  // setup page

    const menucode::Drawing copy = dialog.copyDrawing();
    QCOMPARE(copy.height, 72.0);
    QCOMPARE(copy.width, std::ceil(menucode::code39::codeWidth("_000000000001_", 72) + 20));
    items[0]->trigger();
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    QVERIFY(data && data->hasImage());
    const QImage image = qvariant_cast<QImage>(data->imageData());
    // Screen pixels at 96 dpi, copied at four pixels each (384 dpi) with that resolution noted.
    QCOMPARE(image.width(), 4 * static_cast<int>(copy.width));
    QCOMPARE(image.dotsPerMeterX(), 15118);
    QVERIFY(data->hasFormat(QStringLiteral("image/emf")));
    QVERIFY(data->data(QStringLiteral("image/svg+xml")).contains("<svg"));
}

void BluetoothDialogsTest::timeAdjustmentBytesOnTheWire() {
    for (bool mode2D : {true, false}) {
        Connection link;
        menucode::bluetooth::SendCommandDialog dialog(mode2D, &link.port,
                                                      omni::res::ids::TimeAdjustment);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Time adjustment"));
        QVERIFY(dialog.nameEdit()->isHidden());
        QVERIFY(dialog.initializeBox()->isHidden());
        dialog.setClock([] { return kNinthOfJanuary; });
        QCOMPARE(dialog.clockLabel()->text(), QStringLiteral("2026/01/09 08:05:03"));
        dialog.show();
        QVERIFY(dialog.sendButton()->isEnabled());
        dialog.sendButton()->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QVERIFY(link.received("[EBEQ2Q0Q2Q6Q0Q1Q0Q9Q0Q8Q0Q5Q0Q3[EBF[EBG"));
    }
}

void BluetoothDialogsTest::deviceNameBytesOnTheWire() {
    {
        Connection link;
        menucode::bluetooth::SendCommandDialog dialog(true, &link.port, omni::res::ids::DeviceName);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Device name"));
        QVERIFY(dialog.clockLabel()->isHidden());
        QTest::keyClicks(dialog.nameEdit(), QStringLiteral("ab CD-1.(x)=?"));
        QCOMPARE(dialog.nameEdit()->text(), QStringLiteral(" CD-1.()="));
        QCOMPARE(dialog.nameEdit()->cursorPosition(), 9);
        dialog.sendButton()->click();
        QVERIFY(link.received("[E655A0C0D5NQ15O5I5J6D[E66"));
    }
    {
        Connection link;
        menucode::bluetooth::SendCommandDialog dialog(false, &link.port,
                                                      omni::res::ids::DeviceName);
        QTest::keyClicks(dialog.nameEdit(), QStringLiteral("A1"));
        dialog.sendButton()->click();
        QVERIFY(link.received("[E650A\rQ1\r[E66"));
    }
    {
        Connection link;
        menucode::bluetooth::SendCommandDialog dialog(true, &link.port, omni::res::ids::DeviceName);
        QTest::keyClicks(dialog.nameEdit(), QStringLiteral("NAME"));
        dialog.initializeBox()->click();
        QVERIFY(!dialog.nameEdit()->isEnabled());
        dialog.sendButton()->click();
        QVERIFY(link.received("[E65[E66"));
    }
}

void BluetoothDialogsTest::sendNeedsAnOpenPort() {
    menucode::bluetooth::SendCommandDialog time(true, nullptr, omni::res::ids::TimeAdjustment);
    QVERIFY(!time.sendButton()->isEnabled());
    menucode::bluetooth::SendCommandDialog name(true, nullptr, omni::res::ids::DeviceName);
    QVERIFY(!name.sendButton()->isEnabled());

    // A reader that vanished: the error is reported and the dialog stays open.
    Connection link;
    menucode::bluetooth::SendCommandDialog dialog(true, &link.port, omni::res::ids::DeviceName);
    link.port.close();
    QString reported;
    auto previous =
        ui::setMessageSink([&](const ui::ShownMessage& shown) { reported = shown.text; });
    dialog.show();
    dialog.sendButton()->click();
    ui::setMessageSink(previous);
    QVERIFY(!reported.isEmpty());
    QVERIFY(dialog.isVisible());
}

void BluetoothDialogsTest::screenshots() {
    menucode::bluetooth::AddressBarcodeDialog address("", omni::res::ids::BluetoothAddress,
                                                      {0x0012'3456'789Aull});
    if (!test::saveScreenshot(address, QStringLiteral("bluetooth-address"))) {
        QSKIP("OMNI_SCREENSHOT_DIR not set");
    }
    menucode::bluetooth::AddressBarcodeDialog none("", omni::res::ids::BluetoothAddress, {});
    test::saveScreenshot(none, QStringLiteral("bluetooth-address-none"));
    menucode::bluetooth::AddressBarcodeDialog demo("+-DEMO-+", omni::res::ids::DemoMode, {});
    test::saveScreenshot(demo, QStringLiteral("bluetooth-demo-mode"));
    menucode::bluetooth::AddressBarcodeDialog time("", omni::res::ids::TimeAdjustment, {});
    test::saveScreenshot(time, QStringLiteral("bluetooth-time-code"));
    menucode::bluetooth::SendCommandDialog clock(true, nullptr, omni::res::ids::TimeAdjustment);
    clock.setClock([] { return kNinthOfJanuary; });
    test::saveScreenshot(clock, QStringLiteral("bluetooth-send-time"));
    menucode::bluetooth::SendCommandDialog name(true, nullptr, omni::res::ids::DeviceName);
    test::saveScreenshot(name, QStringLiteral("bluetooth-send-name"));
}

QTEST_MAIN(BluetoothDialogsTest)
#include "bluetooth_dialogs_test.moc"
#include "resources/string_ids.h"
