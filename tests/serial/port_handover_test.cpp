// The port hands the device back as it found it: no exclusive flag left behind (a plain user
// could not open the device again while anyone else holds it), the line settings and modem
// lines restored, and a second copy of the program kept out while it is open. Settings the
// device does not take are named.
//
// Root ignores the exclusive flag, so the reopen check also runs as an unprivileged user: as
// root the test re-runs itself in a child process that has dropped to "nobody".
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "foundation/settings_store.h"
#include "serial/reader_fixture.h"

namespace omni::test {
namespace {

using namespace std::chrono_literals;

constexpr const char* kDeviceVariable = "OMNI_HANDOVER_DEVICE";

// The exclusive flag of the device, read through a descriptor of its own (-1 on failure).
int exclusiveFlag(const std::string& device) {
    int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return -1;
    int flag = -1;
    if (ioctl(fd, TIOCGEXCL, &flag) != 0)
        flag = -1;
    ::close(fd);
    return flag;
}

// Opens and closes the device twice, as the current user, while the simulator holds it.
void openTwice(const std::string& device) {
    serial::SerialPortForPosix port;
    port.setTiming(shortTiming());
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        ASSERT_NO_THROW(port.open({serial::PortKind::Serial, device}, kTestKey));
        port.close();
    }
}

// The reopen check in a child process as "nobody", which owns the device for the test. Returns
// the child's exit status (0: its checks passed).
int openTwiceAsNobody(const std::string& device) {
    const passwd* nobody = getpwnam("nobody");
    if (!nobody)
        return -1;
    if (::chown(device.c_str(), nobody->pw_uid, static_cast<gid_t>(-1)) != 0)
        return -1;
    pid_t child = fork();
    if (child == 0) {
        // A fresh process image: nothing of this multi-threaded one is used after fork().
        setenv(kDeviceVariable, device.c_str(), 1);
        if (setgroups(0, nullptr) != 0 || setgid(nobody->pw_gid) != 0 ||
            setuid(nobody->pw_uid) != 0)
            _exit(90);
        execl("/proc/self/exe", "port_handover_test",
              "--gtest_filter=PortHandOverAsUser.OpensTwiceWhileAnotherHoldsTheDevice",
              static_cast<char*>(nullptr));
        _exit(91);
    }
    auto deadline = std::chrono::steady_clock::now() + 30s;
    int status = 0;
    while (waitpid(child, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            return -2;
        }
        std::this_thread::sleep_for(20ms);
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -3;
}

// Every case starts from the default line settings, whatever an earlier run left stored.
class HandOverTest : public ReaderTest {
protected:
    void SetUp() override {
        ReaderTest::SetUp();
        storeLineSettings(kTestKey, {serial::PortKind::Serial, reader.devicePath()},
                          serial::LineSettings{});
    }
};

// Runs only as the child of the test below (skipped otherwise).
TEST(PortHandOverAsUser, OpensTwiceWhileAnotherHoldsTheDevice) {
    const char* device = std::getenv(kDeviceVariable);
    if (!device)
        GTEST_SKIP() << "run by HandOverTest.ReopenAsPlainUserWhileAnotherHoldsTheDevice";
    openTwice(device);
    EXPECT_EQ(exclusiveFlag(device), 0);
}

TEST_F(HandOverTest, ReopenAsPlainUserWhileAnotherHoldsTheDevice) {
    // The simulator keeps its end open, as a terminal or a modem manager would.
    openPort();
    port.close();
    EXPECT_EQ(exclusiveFlag(reader.devicePath()), 0);
    if (geteuid() == 0) {
        EXPECT_EQ(openTwiceAsNobody(reader.devicePath()), 0);
    } else {
        openTwice(reader.devicePath());
        EXPECT_EQ(exclusiveFlag(reader.devicePath()), 0);
    }
}

TEST_F(HandOverTest, SecondOpenerIsRefusedWhileOpenAndAdmittedAfter) {
    openPort();
    serial::SerialPortForPosix second;
    try {
        second.open({serial::PortKind::Serial, reader.devicePath()}, kTestKey);
        FAIL() << "a second copy opened the device";
    } catch (const foundation::SystemException& e) {
        EXPECT_EQ(e.errorCode(), EBUSY);
    }
    EXPECT_TRUE(port.isOpen());  // the refused opener disturbed nothing
    char byte = 'x';
    EXPECT_NO_THROW(port.write(&byte, 1));
    port.close();
    EXPECT_NO_THROW(second.open({serial::PortKind::Serial, reader.devicePath()}, kTestKey));
}

TEST_F(HandOverTest, CloseRestoresTheStateTheDeviceWasFoundIn) {
    int fd = ::open(reader.devicePath().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(fd, 0);
    termios before{};
    tcgetattr(fd, &before);
    cfsetspeed(&before, B19200);
    before.c_lflag |= ICANON | ECHO;  // a terminal in cooked mode
    before.c_cflag = (before.c_cflag & ~CSIZE) | CS7 | PARENB;
    ASSERT_EQ(tcsetattr(fd, TCSANOW, &before), 0);
    tcgetattr(fd, &before);

    openPort();  // 9600 8N1, raw
    termios during{};
    tcgetattr(fd, &during);
    EXPECT_EQ(cfgetospeed(&during), static_cast<speed_t>(B9600));
    port.close();

    termios after{};
    tcgetattr(fd, &after);
    EXPECT_EQ(cfgetospeed(&after), static_cast<speed_t>(B19200));
    EXPECT_EQ(after.c_lflag, before.c_lflag);
    EXPECT_EQ(after.c_cflag, before.c_cflag);
    EXPECT_EQ(after.c_iflag, before.c_iflag);
    ::close(fd);
}

TEST_F(HandOverTest, RefusedLineSettingIsNamedAndLeavesTheDeviceFree) {
    serial::PortDescriptor descriptor{serial::PortKind::Serial, reader.devicePath()};
    serial::LineSettings odd;
    odd.baudRate = 12345;  // no speed the system knows
    storeLineSettings(kTestKey, descriptor, odd);
    try {
        openPort();
        FAIL() << "opened at an impossible speed";
    } catch (const foundation::UserException& e) {
        EXPECT_NE(e.text().find(u"12345"), std::u16string::npos);
        EXPECT_NE(e.text().find(u"baud"), std::u16string::npos);
    }
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(exclusiveFlag(reader.devicePath()), 0);

    // Values outside their range are not used at all: the defaults apply.
    serial::LineSettings damaged;
    damaged.dataBits = 200;
    damaged.parity = static_cast<serial::Parity>(77);
    storeLineSettings(kTestKey, descriptor, damaged);
    EXPECT_EQ(loadLineSettings(kTestKey, descriptor), serial::LineSettings{});
    EXPECT_NO_THROW(openPort());
    EXPECT_EQ(port.chunkSize(), 100u);
}

}  // namespace
}  // namespace omni::test
