// The simulated reader's own contract: framing, the transcript, ACK mode, the configuration
// query and responder precedence, seen from the program's side of the pty.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include "sim/simulated_reader.h"

namespace omni::sim {
namespace {

using namespace std::chrono_literals;

class Device {
public:
    explicit Device(const std::string& path) : fd_(::open(path.c_str(), O_RDWR | O_NOCTTY)) {
        termios raw{};
        tcgetattr(fd_, &raw);
        cfmakeraw(&raw);
        tcsetattr(fd_, TCSANOW, &raw);
    }
    ~Device() { ::close(fd_); }
    void write(std::string_view bytes) {
        ASSERT_EQ(::write(fd_, bytes.data(), bytes.size()), (ssize_t)bytes.size());
    }
    // Everything that arrives until the line has been quiet for `quiet`.
    std::string readQuiet(std::chrono::milliseconds quiet = 200ms) {
        std::string text;
        char buffer[256];
        pollfd p{fd_, POLLIN, 0};
        while (::poll(&p, 1, static_cast<int>(quiet.count())) > 0) {
            ssize_t n = ::read(fd_, buffer, sizeof buffer);
            if (n <= 0)
                break;
            text.append(buffer, static_cast<std::size_t>(n));
        }
        return text;
    }

private:
    int fd_;
};

TEST(SimulatedReader, FramesCommandsAndIgnoresBytesOutsideFrames) {
    SimulatedReader reader;
    reader.start();
    Device device(reader.devicePath());
    device.write(
        "noise\x1B"
        "B2\r\r\x1B"
        "broken\x1B"
        "Z2\r");
    ASSERT_TRUE(reader.waitForCommands(2, 2s));
    EXPECT_EQ(reader.transcript(), (std::vector<std::string>{"B2", "Z2"}));
    EXPECT_EQ(reader.received().substr(0, 5), "noise");

    // A command whose tokens are split by CR, written as one frame, arrives whole.
    device.write(
        "\x1B[EBY\rQ1\r\x1B"
        "B2\r");
    ASSERT_TRUE(reader.waitForCommands(4, 2s));
    EXPECT_EQ(reader.transcript(), (std::vector<std::string>{"B2", "Z2", "[EBY\rQ1", "B2"}));
}

TEST(SimulatedReader, AnswersVersionWithLeadingBytesAndAcksWhileInAckMode) {
    SimulatedReader reader;
    reader.setLeadingBytes("\x17");
    reader.setVersionReply(replies::family("BD49"));
    reader.start();
    Device device(reader.devicePath());
    device.write("\x1BZ1\r");
    EXPECT_EQ(device.readQuiet(),
              "\x17"
              "BD49\r");
    device.write(
        "\x1BWC\r\x1B"
        "B2\r\x1BWD\r\x1B"
        "B3\r");
    EXPECT_EQ(device.readQuiet(), "\x06\x06\x06");  // WC, B2 and WD; B3 after the mode ended
    EXPECT_FALSE(reader.ackMode());
}

TEST(SimulatedReader, ConfigurationQueryAndOverridingResponder) {
    struct Echo : Responder {
        bool handle(std::string_view command, SimulatedReader& reader) override {
            if (command.substr(0, 4) != "ECHO")
                return false;
            reader.reply(std::string(command.substr(4)) + "\r");
            return true;
        }
    };
    SimulatedReader reader;
    reader.setConfigurationText("Configuration: ENG-7400");
    reader.addResponder(std::make_unique<Echo>());
    reader.start();
    Device device(reader.devicePath());
    device.write("\x1B[X.Z[F3G[X.Z\r");
    EXPECT_EQ(device.readQuiet().substr(0, 24), "Configuration: ENG-7400\r");
    device.write(
        "\x1B"
        "ECHOhello\r");
    EXPECT_EQ(device.readQuiet(), "hello\r");
}

TEST(SimulatedReader, HangsUpAfterTheChosenNumberOfCommands) {
    SimulatedReader reader;
    reader.setSilent(true);
    reader.hangUpAfter(2);
    reader.start();
    Device device(reader.devicePath());
    device.write(
        "\x1B"
        "B1\r\x1B"
        "B2\r");
    ASSERT_TRUE(reader.waitForCommands(2, 2s));
    for (int i = 0; i < 100 && !reader.hungUp(); ++i)
        std::this_thread::sleep_for(10ms);
    EXPECT_TRUE(reader.hungUp());
}

}  // namespace
}  // namespace omni::sim

namespace omni::sim {
namespace {

// A long conversation keeps only its newest bytes and commands; counting goes on.
TEST(SimulatedReaderMemory, TranscriptAndReceivedBytesAreBounded) {
    SimulatedReader reader;
    reader.setSilent(true);
    reader.start();
    {
        int fd = ::open(reader.devicePath().c_str(), O_RDWR | O_NOCTTY);
        termios raw{};
        tcgetattr(fd, &raw);
        cfmakeraw(&raw);
        tcsetattr(fd, TCSANOW, &raw);
        std::string frames;
        for (int i = 0; i < 12000; ++i)
            frames += "\x1B" + std::to_string(i) + "\r";
        const std::string filler(1536 * 1024, 'f');
        for (const std::string* bytes : {&filler, static_cast<const std::string*>(&frames)}) {
            for (std::size_t done = 0; done < bytes->size();) {
                ssize_t n = ::write(fd, bytes->data() + done, bytes->size() - done);
                ASSERT_GT(n, 0);
                done += static_cast<std::size_t>(n);
            }
        }
        ASSERT_TRUE(reader.waitForCommands(12000, 20s));
        ::close(fd);
    }
    const std::string received = reader.received();
    EXPECT_LE(received.size(), 1024u * 1024);
    EXPECT_TRUE(
        received.ends_with("\x1B"
                           "11999\r"));
    const auto transcript = reader.transcript();
    EXPECT_EQ(transcript.size(), 10000u);
    EXPECT_EQ(transcript.back(), "11999");
}

}  // namespace
}  // namespace omni::sim
