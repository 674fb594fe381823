// The serial port over a real pty pair: settings, time-outs and purges, the receive thread,
// cancel, unplug, and the module library's callbacks across threads.
#include <fcntl.h>
#include <pty.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <thread>

#include "foundation/settings_store.h"
#include "resources/strings.h"
#include "serial/reader_fixture.h"

namespace omni::test {
namespace {

using namespace std::chrono_literals;

TEST_F(ReaderTest, OpensWithStoredSettingsOrTheDefaults) {
    serial::PortDescriptor descriptor{serial::PortKind::Serial, reader.devicePath()};
    const char zeros[28] = {};
    foundation::writeSetting(kTestKey, portSettingsName(descriptor), zeros,
                             sizeof zeros);  // bad marker
    openPort();
    EXPECT_EQ(port.chunkSize(), 100u);  // 9600 baud
    port.close();

    serial::LineSettings fast;
    fast.baudRate = 115200;
    serial::storeLineSettings(kTestKey, descriptor, fast);
    EXPECT_EQ(loadLineSettings(kTestKey, descriptor), fast);
    openPort();
    EXPECT_EQ(port.chunkSize(), 1024u);
    port.open(descriptor, kTestKey);  // already open: nothing changes
    EXPECT_TRUE(port.isOpen());
    port.close();
    port.close();
    EXPECT_FALSE(port.isOpen());

    serial::storeLineSettings(kTestKey, descriptor, serial::LineSettings{});
    openPort(serial::PortKind::Reader2D);  // USB readers always move 1024-byte chunks
    EXPECT_EQ(port.chunkSize(), 1024u);
}

// The chunk size (baud / 96 bytes, 1..1024) and the per-byte time-out (3.2 s of line time per
// 1000 bytes, at least 100 ms) follow the stored baud rate when no test override pins them.
TEST_F(ReaderTest, ChunkAndPerByteTimeoutFollowTheStoredBaudRate) {
    struct Case {
        std::uint32_t baud;
        std::size_t chunk;
        unsigned perByteMs;
    };
    const Case cases[] = {{50, 1, 64000},    {1200, 12, 2666},   {4800, 50, 666},
                          {9600, 100, 333},  {19200, 200, 166},  {38400, 400, 100},
                          {57600, 600, 100}, {115200, 1024, 100}};
    serial::PortDescriptor descriptor{serial::PortKind::Serial, reader.devicePath()};
    serial::SerialTiming fromBaud = shortTiming();
    fromBaud.perByteTimeoutMs = 0;
    port.setTiming(fromBaud);
    for (const Case& c : cases) {
        serial::LineSettings settings;
        settings.baudRate = c.baud;
        serial::storeLineSettings(kTestKey, descriptor, settings);
        openPort();
        EXPECT_EQ(port.chunkSize(), c.chunk) << c.baud;
        EXPECT_EQ(port.perByteTimeoutMs(), c.perByteMs) << c.baud;
        port.close();
    }
    serial::storeLineSettings(kTestKey, descriptor, serial::LineSettings{});
}

TEST_F(ReaderTest, MissingDeviceIsASystemError) {
    try {
        port.open({serial::PortKind::Serial, "/dev/does-not-exist"}, kTestKey);
        FAIL();
    } catch (const foundation::SystemException& e) {
        EXPECT_EQ(e.errorCode(), ENOENT);
    }
    EXPECT_FALSE(port.isOpen());
    char byte = 'x';
    try {
        port.write(&byte, 1);
        FAIL();
    } catch (const foundation::KesException& e) {
        EXPECT_EQ(e.state(), KES_STATE_SERIAL_PORT_IS_CLOSED);
    }
    EXPECT_THROW(port.waitForData(10), foundation::KesException);
}

TEST_F(ReaderTest, ModuleLeftInHighSpeedModeIsTakenOutOnce) {
    // The device is found at 115200 baud with RTS/CTS handshake, as a module leaves it.
    int slave = ::open(reader.devicePath().c_str(), O_RDWR | O_NOCTTY);
    termios state{};
    tcgetattr(slave, &state);
    cfsetspeed(&state, B115200);
    state.c_cflag |= CRTSCTS;
    tcsetattr(slave, TCSANOW, &state);
    ::close(slave);

    openPort();
    ASSERT_TRUE(reader.waitForCommands(1, 2s));
    EXPECT_EQ(reader.received(), "\x1BZ1\r");
    EXPECT_EQ(port.chunkSize(), 100u);  // back on the stored (default) settings
}

// The speed the line runs at, seen from another descriptor of the same device.
speed_t lineSpeed(const std::string& device) {
    int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    termios state{};
    tcgetattr(fd, &state);
    ::close(fd);
    return cfgetospeed(&state);
}

TEST_F(ReaderTest, HighSpeedSwitchOnPlainPortsOnly) {
    openPort();
    port.switchToHighSpeed();
    EXPECT_EQ(lineSpeed(reader.devicePath()), B115200);
    port.restoreSpeed();
    EXPECT_EQ(lineSpeed(reader.devicePath()), B9600);
    port.close();

    openPort(serial::PortKind::Reader1D);
    port.switchToHighSpeed();
    EXPECT_EQ(lineSpeed(reader.devicePath()), B9600);
}

TEST_F(ReaderTest, WaitReadAndTimeouts) {
    openPort();
    reader.send("ABC");
    EXPECT_EQ(port.waitForData(2000), 3u);
    EXPECT_EQ(port.waitForData(0), 3u);  // already queued: no wait at all
    char buffer[8] = {};
    EXPECT_EQ(port.read(buffer, 2), 2u);
    EXPECT_EQ(port.get(buffer + 2), 1u);
    EXPECT_STREQ(buffer, "ABC");

    try {
        port.get(buffer);
        FAIL();
    } catch (const foundation::KesException& e) {
        EXPECT_EQ(e.state(), KES_STATE_COMMUNICATION_TIMEOUT);
    }
    EXPECT_THROW(port.waitForData(50), foundation::KesException);
}

TEST_F(ReaderTest, WriteTimeoutPurgesTheInput) {
    openPort();
    reader.send("stale");
    ASSERT_EQ(port.waitForData(2000), 5u);
    reader.setStalled(true);  // stops reading: the line backs up
    std::string block(64 * 1024, 'x');
    try {
        for (int i = 0; i < 64; ++i)
            port.write(block.data(), block.size());
        FAIL() << "the write should time out";
    } catch (const foundation::KesException& e) {
        EXPECT_EQ(e.state(), KES_STATE_COMMUNICATION_TIMEOUT);
    }
    EXPECT_THROW(port.waitForData(50), foundation::KesException);  // the stale reply is gone
}

TEST_F(ReaderTest, ReceiveThreadFeedsTheListenerAndStopsQuietly) {
    openPort();
    Collector log;
    std::atomic<int> reports{0};
    port.setErrorReporter([&](const foundation::Exception&) { ++reports; });
    port.startReceiving(&log);
    // Longer than any finite time-out of the port: the receive thread waits without limit.
    std::this_thread::sleep_for(2 * std::chrono::milliseconds(shortTiming().blockTimeoutMs));
    reader.send("BA12J13i\r");
    for (int i = 0; i < 200 && log.text().size() < 9; ++i)
        std::this_thread::sleep_for(10ms);
    EXPECT_EQ(log.text(), "BA12J13i\r");

    port.stop();  // the thread waits for data; the cancel ends it
    EXPECT_FALSE(port.isReceiving());
    EXPECT_EQ(reports.load(), 0);

    // The port works synchronously afterwards, and receiving can start again.
    reader.send("x");
    EXPECT_EQ(port.waitForData(2000), 1u);
    port.startReceiving(&log);
    EXPECT_TRUE(port.isReceiving());
    port.close();
    EXPECT_FALSE(port.isReceiving());
    EXPECT_EQ(reports.load(), 0);
}

TEST_F(ReaderTest, UnplugWhileReceivingEndsTheThreadWithAReport) {
    openPort();
    Collector log;
    std::atomic<int> reports{0};
    std::mutex mutex;
    std::u16string reported;
    port.setErrorReporter([&](const foundation::Exception& e) {
        std::lock_guard lock(mutex);
        reported = e.text();
        ++reports;
    });
    port.startReceiving(&log);
    reader.hangUp();
    for (int i = 0; i < 300 && port.isReceiving(); ++i)
        std::this_thread::sleep_for(10ms);
    EXPECT_FALSE(port.isReceiving());
    EXPECT_EQ(reports.load(), 1);
    {
        std::lock_guard lock(mutex);
        EXPECT_NE(reported.find(res::fromUtf8(reader.devicePath())), std::u16string::npos);
    }
    char byte = 'x';
    EXPECT_THROW(port.write(&byte, 1), foundation::Exception);
    port.close();
}

TEST_F(ReaderTest, CaptureSinkCollectsUnderItsLock) {
    openPort();
    serial::NamedLock lock("omni-test-capture");
    char capture[16] = "";
    port.setCaptureSink(capture, sizeof capture, &lock);
    Collector log;
    port.startReceiving(&log);
    reader.send("12345");
    for (int i = 0; i < 200 && log.text().size() < 5; ++i)
        std::this_thread::sleep_for(10ms);
    ASSERT_TRUE(lock.lock(2000));
    EXPECT_STREQ(capture, "12345");
    lock.unlock();
    port.stop();
    serial::NamedLock::remove("omni-test-capture");
}

// Two threads use the library through two ports; each reads back its own failure.
TEST(ModuleCallbacks, EachThreadReadsItsOwnStatus) {
    reader::installModuleLock();
    sim::SimulatedReader cutOff;
    cutOff.setVersionReply("BA12");  // the line never ends
    cutOff.start();
    serial::SerialPortForPosix open;
    open.setTiming(shortTiming());
    open.open({serial::PortKind::Serial, cutOff.devicePath()}, kTestKey);
    serial::SerialPortForPosix closed;

    KesState seenA = -1, seenB = -1;
    std::thread a([&] {
        EXPECT_EQ(KesOpenModule(closed.moduleHandle()), KES_INVALID_HANDLE);
        seenA = KesGetLastStatus();
    });
    std::thread b([&] {
        EXPECT_EQ(KesOpenModule(open.moduleHandle()), KES_INVALID_HANDLE);
        seenB = KesGetLastStatus();
    });
    a.join();
    b.join();
    EXPECT_EQ(seenA, KES_STATE_SERIAL_PORT_IS_CLOSED);
    EXPECT_EQ(seenB, KES_STATE_COMMUNICATION_TIMEOUT);
    KesSetLastStatus(KES_STATE_CANCELED);
    std::thread c([] { EXPECT_EQ(KesGetLastStatus(), KES_STATE_SUCCESS); });
    c.join();
    EXPECT_EQ(KesGetLastStatus(), KES_STATE_CANCELED);
    KesSetLastStatus(KES_STATE_SUCCESS);
}

}  // namespace
}  // namespace omni::test
