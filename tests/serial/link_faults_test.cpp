// The port against a reader on a bad day, over pty pairs: one that stops reading until the
// terminal's buffer is full, one that floods without gaps, and the high-speed state a user may
// choose for a port on purpose.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "reader/command_exchange.h"
#include "serial/reader_fixture.h"
#include "sim/line_faults.h"

namespace omni::test {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

long long msSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

std::string withoutFiller(std::string bytes) {
    std::erase(bytes, '\0');
    return bytes;
}

KesState sendState(reader::CommandExchange& exchange, std::string_view command) {
    try {
        exchange.sendCommand(command);
    } catch (const foundation::KesException& e) {
        return e.state();
    }
    return KES_STATE_SUCCESS;
}

// After the reader reads again, the only command it has seen is the next one sent.
void expectOnlyTheNextCommandArrives(sim::SimulatedReader& reader, sim::StalledLine& line,
                                     reader::CommandExchange& exchange) {
    line.resume();
    exchange.sendCommand("Z2");
    ASSERT_TRUE(reader.waitForCommands(1, 3s));
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(reader.transcript(), std::vector<std::string>{"Z2"});
    EXPECT_EQ(withoutFiller(reader.received()), "\x1BZ2\r");
    reader.clearTranscript();
}

TEST_F(ReaderTest, WritesTheStalledReaderRefusesTimeOutAndNeverArriveLater) {
    sim::StalledLine line(reader);
    openPort();
    reader::CommandExchange exchange(port);

    // A block longer than the room left: the part the kernel took into its buffer is dropped
    // with the rest, so none of it reaches the reader when it reads again.
    // How much room the kernel frees depends on when its buffer work runs; a few rounds make sure
    // that some part was taken.
    const std::string block(64 * 1024, 'L');
    for (int round = 0; round < 4; ++round) {
        line.fill(false);
        EXPECT_THROW(port.write(block.data(), block.size()), foundation::KesException);
    }
    expectOnlyTheNextCommandArrives(reader, line, exchange);

    // A short command once the buffer is full.
    ASSERT_GT(line.fill(), 4096u);
    const auto started = Clock::now();
    EXPECT_EQ(sendState(exchange, "B2"), KES_STATE_COMMUNICATION_TIMEOUT);
    const long long shortMs = msSince(started);
    const unsigned limitMs = port.timing().blockTimeoutMs + 1000;  // and the drain limit
    EXPECT_LT(shortMs, limitMs + 500);
    expectOnlyTheNextCommandArrives(reader, line, exchange);

    // Closing with the line stalled again never waits for the queue.
    line.fill();
    EXPECT_EQ(sendState(exchange, "B2"), KES_STATE_COMMUNICATION_TIMEOUT);
    const auto closing = Clock::now();
    port.close();
    EXPECT_LT(msSince(closing), 500);
    std::printf("stalled reader: short command timed out after %lld ms\n", shortMs);
}

// A listener slower than the reader: the receive queue never runs dry.
class SlowCollector : public Collector {
public:
    void write(const char* data, std::size_t count) override {
        Collector::write(data, count);
        std::this_thread::sleep_for(2ms);
    }
};

TEST_F(ReaderTest, StoppingWhileTheReaderFloodsIsPromptAndThePortOpensAgain) {
    openPort();
    SlowCollector collector;
    struct CloseFirst {  // the receive thread ends before its listener goes
        serial::SerialPortForPosix& port;
        ~CloseFirst() { port.close(); }
    } closeFirst{port};
    port.startReceiving(&collector);
    sim::Flood flood(reader);
    for (auto until = Clock::now() + 5s;
         collector.text().size() < 64 * 1024 && Clock::now() < until;)
        std::this_thread::sleep_for(5ms);
    ASSERT_GE(collector.text().size(), 64u * 1024);

    const auto started = Clock::now();
    port.close();
    const long long closeMs = msSince(started);
    EXPECT_LT(closeMs, 1000);
    EXPECT_FALSE(port.isReceiving());
    EXPECT_FALSE(port.isOpen());

    openPort();
    EXPECT_TRUE(port.isOpen());
    port.startReceiving(&collector);
    const std::size_t before = collector.text().size();
    for (auto until = Clock::now() + 5s; collector.text().size() == before && Clock::now() < until;)
        std::this_thread::sleep_for(5ms);
    EXPECT_GT(collector.text().size(), before);  // receiving again on the new connection
    std::printf("flooding reader: close took %lld ms\n", closeMs);
}

TEST_F(ReaderTest, HighSpeedChosenByTheUserIsNotTakenForTheModule) {
    // Settings of their own, so that no other test's port finds them.
    constexpr std::string_view kKey = "Software\\Kestrel\\OmniSetupTest\\HighSpeedByChoice";
    serial::LineSettings fast;
    fast.baudRate = 115200;
    fast.flowControl = serial::FlowControl::Hardware;
    const serial::PortDescriptor device{serial::PortKind::Serial, reader.devicePath()};
    storeLineSettings(kKey, device, fast);
    port.open(device, kKey);
    port.close();
    port.open(device, kKey);  // the line is found just as the stored settings leave it
    port.close();
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(reader.received(), "");
    storeLineSettings(kKey, device, serial::LineSettings{});
}

}  // namespace
}  // namespace omni::test
