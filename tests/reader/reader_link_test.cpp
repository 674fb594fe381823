// Connecting to a reader through the reader layer, and the failure messages the CLI and the
// desktop program share.
#include <cerrno>

#include <chrono>
#include <thread>

#include "reader/command_exchange.h"
#include "reader/reader_link.h"
#include "serial/reader_fixture.h"
#include "sim/line_faults.h"

namespace omni::test {
namespace {

bool has(const std::string& text, std::string_view part) {
    return text.find(part) != std::string::npos;
}

reader::Connection connect(serial::SerialPortForPosix& port, const std::string& device) {
    return reader::connectReader(port, {serial::PortKind::Serial, device}, kTestKey, device);
}

using Clock = std::chrono::steady_clock;

long long msSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

TEST_F(ReaderTest, ConnectingIdentifiesTheEngineAndKeepsThePortOpen) {
    reader.setVersionReply(sim::replies::family("BA12J13i"));
    reader::Connection connection = connect(port, reader.devicePath());
    ASSERT_TRUE(connection.ok()) << connection.failure;
    EXPECT_TRUE(connection.module.valid());
    EXPECT_EQ(connection.identity.family, "EngineA");
    EXPECT_EQ(connection.identity.firmware, "BA12J13i");
    EXPECT_FALSE(connection.identity.bootLoader());
    EXPECT_TRUE(port.isOpen());
}

TEST_F(ReaderTest, AnAnswerThatStallsOrNeverEndsFailsWithinTheLimit) {
    serial::SerialTiming timing = shortTiming();
    timing.identifyLimitMs = 1500;
    port.setTiming(timing);

    reader.setVersionReply("BA12J13i");  // no CR ever comes
    reader::Connection stalled = connect(port, reader.devicePath());
    EXPECT_TRUE(has(stalled.failure, "did not answer")) << stalled.failure;
    EXPECT_FALSE(stalled.module.valid());
    EXPECT_FALSE(port.isOpen());

    // A device dripping bytes, each well within the per-byte wait, never ending its line.
    reader.setSilent(true);
    sim::Drip drip(reader, "x", std::chrono::milliseconds(50));
    auto started = Clock::now();
    reader::Connection dripped = connect(port, reader.devicePath());
    const long long drippedMs = msSince(started);
    EXPECT_TRUE(has(dripped.failure, "did not answer")) << dripped.failure;
    EXPECT_LT(drippedMs, timing.identifyLimitMs + 700);
    EXPECT_FALSE(port.isOpen());

    // The port's cancel ends it at once.
    std::thread canceller([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        port.cancelWait();
    });
    started = Clock::now();
    reader::Connection cancelled = connect(port, reader.devicePath());
    const long long cancelledMs = msSince(started);
    canceller.join();
    EXPECT_FALSE(cancelled.ok());
    EXPECT_LT(cancelledMs, 700);
    EXPECT_FALSE(port.isOpen());
    std::printf("dripping device: identification failed after %lld ms, cancelled after %lld ms\n",
                drippedMs, cancelledMs);
}

TEST_F(ReaderTest, ASilentReaderIsInItsBootLoaderAndRefusesMenuCommands) {
    reader.setSilent(true);
    reader::Connection connection = connect(port, reader.devicePath());
    ASSERT_TRUE(connection.ok()) << connection.failure;
    EXPECT_EQ(connection.identity.family, "EngineAInvalid");
    EXPECT_TRUE(connection.identity.bootLoader());
    reader.clearTranscript();

    reader::CommandExchange exchange(port);
    exchange.setModule(connection.module.get());
    try {
        exchange.sendCommand("B2");
        FAIL() << "a boot loader takes no menu commands";
    } catch (const foundation::KesException& e) {
        EXPECT_EQ(e.state(), KES_STATE_NOT_SUPPORTED_BY_THIS_HANDLE);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(reader.received(), "");
}

TEST_F(ReaderTest, ADeviceThatIsNoReaderIsNeverKept) {
    reader.setVersionReply("OK\r");
    reader::Connection connection = connect(port, reader.devicePath());
    EXPECT_TRUE(has(connection.failure, "not as a reader")) << connection.failure;
    EXPECT_TRUE(has(connection.failure, reader.devicePath()));
    EXPECT_FALSE(connection.module.valid());
    EXPECT_FALSE(port.isOpen());
}

TEST(ReaderFamily, OneDimensionalEnginesAreNamedByTheirVersionPrefix) {
    for (const char* version : {"TC12345", "TM1", "TS200", "TF9", "DA01", "BFM0102"})
        EXPECT_TRUE(reader::isOneDimensionalVersion(version)) << version;
    for (const char* version : {"BA12J13i", "BF0102", "BD49", "FL0100", "T", "BFX", ""})
        EXPECT_FALSE(reader::isOneDimensionalVersion(version)) << version;
}

TEST(ReaderMessages, OpenFailuresSayWhatIsWrongAndHowToFixIt) {
    serial::SerialPortForPosix port;
    reader::Connection missing = connect(port, "/dev/ttyOMNI-none");
    EXPECT_TRUE(has(missing.failure, "The port /dev/ttyOMNI-none does not exist"))
        << missing.failure;
    EXPECT_TRUE(has(connect(port, "/dev/null").failure, "not a serial port"));

    using foundation::SystemException;
    const std::string noAccess =
        reader::openFailureMessage("/dev/ttyUSB0", foundation::SystemException(EACCES));
    EXPECT_TRUE(has(noAccess, "/dev/ttyUSB0") && has(noAccess, "\"dialout\" group")) << noAccess;
    EXPECT_TRUE(has(reader::openFailureMessage("/dev/ttyUSB0", foundation::SystemException(EBUSY)),
                    "in use"));
    EXPECT_EQ(reader::openFailureMessage("/dev/ttyUSB0", foundation::SystemException(EIO)),
              "Cannot open the port /dev/ttyUSB0: Input/output error");
}

// What the window does next depends on the kind: settings to change, a port to pick, a reader
// to check.
TEST(ReaderMessages, FailureKindsOfOpeningAndOfTheLink) {
    using reader::FailureKind;
    const foundation::UserException refused(foundation::UserException::BadInput);
    const foundation::SystemException missing(ENOENT), busy(EBUSY);
    const foundation::KesException silent(KES_STATE_COMMUNICATION_TIMEOUT);
    const foundation::KesException broken(KES_STATE_COMMUNICATION_FAILURE);
    struct Case {
        const foundation::Exception& error;
        bool opening;
        FailureKind kind;
    };
    const Case cases[] = {
        {refused, true, FailureKind::LineSettings}, {refused, false, FailureKind::Link},
        {missing, true, FailureKind::NoSuchPort},   {busy, true, FailureKind::Port},
        {missing, false, FailureKind::Link},        {silent, false, FailureKind::NoAnswer},
        {broken, true, FailureKind::Port},          {broken, false, FailureKind::Link},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(reader::failureKindOf(c.error, c.opening), c.kind)
            << static_cast<int>(c.kind) << " opening " << c.opening;
    }
}

TEST(ReaderMessages, LinkFailuresNameThePortAndTheCause) {
    using foundation::KesException;
    EXPECT_EQ(reader::linkFailureMessage("/dev/ttyS1", foundation::SystemException(EIO)),
              "Lost the connection to the reader on /dev/ttyS1: Input/output error");
    // The module library's view of the same loss reads the same.
    EXPECT_EQ(reader::linkFailureMessage("/dev/ttyS1",
                                         foundation::KesException(KES_STATE_COMMUNICATION_FAILURE)),
              reader::linkFailureMessage("/dev/ttyS1", foundation::SystemException(EIO)));
    EXPECT_EQ(reader::linkFailureMessage("/dev/ttyS1",
                                         foundation::KesException(KES_STATE_COMMUNICATION_TIMEOUT)),
              "The reader on /dev/ttyS1 did not answer.");
}

}  // namespace
}  // namespace omni::test
