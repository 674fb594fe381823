// Connecting to a reader through the reader layer, and the failure messages the CLI and the
// desktop program share.
#include <cerrno>

#include "reader/reader_link.h"
#include "serial/reader_fixture.h"

namespace omni::test {
namespace {

bool has(const std::string& text, std::string_view part) {
    return text.find(part) != std::string::npos;
}

reader::Connection connect(SerialPortForPosix& port, const std::string& device,
                           reader::Unidentified unidentified) {
    return reader::connectReader(port, {PortKind::Serial, device}, kTestKey, device, unidentified);
}

TEST_F(ReaderTest, ConnectingIdentifiesTheEngineAndKeepsThePortOpen) {
    reader.setVersionReply(sim::replies::family("BA12J13i"));
    reader::Connection connection = connect(port, reader.devicePath(), reader::Unidentified::Fail);
    ASSERT_TRUE(connection.ok()) << connection.failure;
    EXPECT_TRUE(connection.module.valid());
    EXPECT_EQ(connection.identity.family, "EngineA");
    EXPECT_EQ(connection.identity.firmware, "BA12J13i");
    EXPECT_TRUE(port.isOpen());
}

TEST_F(ReaderTest, AStalledAnswerFailsOrIsKeptAsThePolicySays) {
    reader.setVersionReply("BA12J13i");  // no CR ever comes
    reader::Connection failed = connect(port, reader.devicePath(), reader::Unidentified::Fail);
    EXPECT_TRUE(has(failed.failure, "did not answer")) << failed.failure;
    EXPECT_FALSE(port.isOpen());

    reader::Connection kept = connect(port, reader.devicePath(), reader::Unidentified::Keep);
    EXPECT_TRUE(kept.ok()) << kept.failure;
    EXPECT_FALSE(kept.module.valid());
    EXPECT_EQ(kept.identity.firmware, "");
    EXPECT_TRUE(port.isOpen());
}

TEST_F(ReaderTest, ADeviceThatIsNoReaderIsNeverKept) {
    reader.setVersionReply("OK\r");
    for (auto policy : {reader::Unidentified::Fail, reader::Unidentified::Keep}) {
        reader::Connection connection = connect(port, reader.devicePath(), policy);
        EXPECT_TRUE(has(connection.failure, "not as a reader")) << connection.failure;
        EXPECT_TRUE(has(connection.failure, reader.devicePath()));
        EXPECT_FALSE(connection.module.valid());
        EXPECT_FALSE(port.isOpen());
    }
}

TEST(ReaderFamily, OneDimensionalEnginesAreNamedByTheirVersionPrefix) {
    for (const char* version : {"TC12345", "TM1", "TS200", "TF9", "DA01", "BFM0102"})
        EXPECT_TRUE(reader::isOneDimensionalVersion(version)) << version;
    for (const char* version : {"BA12J13i", "BF0102", "BD49", "FL0100", "T", "BFX", ""})
        EXPECT_FALSE(reader::isOneDimensionalVersion(version)) << version;
}

TEST(ReaderMessages, OpenFailuresSayWhatIsWrongAndHowToFixIt) {
    SerialPortForPosix port;
    reader::Connection missing = connect(port, "/dev/ttyOMNI-none", reader::Unidentified::Keep);
    EXPECT_TRUE(has(missing.failure, "The port /dev/ttyOMNI-none does not exist"))
        << missing.failure;
    EXPECT_TRUE(
        has(connect(port, "/dev/null", reader::Unidentified::Keep).failure, "not a serial port"));

    using foundation::SystemException;
    const std::string noAccess =
        reader::openFailureMessage("/dev/ttyUSB0", foundation::SystemException(EACCES));
    EXPECT_TRUE(has(noAccess, "/dev/ttyUSB0") && has(noAccess, "\"dialout\" group")) << noAccess;
    EXPECT_TRUE(has(reader::openFailureMessage("/dev/ttyUSB0", foundation::SystemException(EBUSY)),
                    "in use"));
    EXPECT_EQ(reader::openFailureMessage("/dev/ttyUSB0", foundation::SystemException(EIO)),
              "Cannot open the port /dev/ttyUSB0: Input/output error");
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
