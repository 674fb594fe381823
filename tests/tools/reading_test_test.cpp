// The reading test and the 1D reading verification against the simulated reader: the commands
// in order, the reader's output reaching the listener, and the acknowledgement exchange.
#include "tools/reading_test.h"
#include "tool_fixture.h"

namespace omni::test {
namespace {

using namespace std::chrono_literals;

// A reader that acknowledges "WC" and every "WD" without ever leaving ACK mode.
class AlwaysAcknowledges : public sim::Responder {
public:
    bool handle(std::string_view command, sim::SimulatedReader& reader) override {
        if (command != "WC" && command != "WD")
            return false;
        reader.setAckMode(false);
        reader.send("\x06");
        return true;
    }
};

using ReadingTests = ToolTest;

TEST_F(ReadingTests, StartAndStopSendTheSequenceAndShowTheOutput) {
    Collector shown;
    tools::ReadingTest test(link, &shown);
    const int before = tools::readingTestBalance().value;
    test.start();
    EXPECT_TRUE(test.running());
    for (int i = 0; i < 200 && shown.text().find("SIMULATED QR DATA\r\n") == std::string::npos; ++i)
        std::this_thread::sleep_for(10ms);
    EXPECT_EQ(shown.text(), "4901234567894\r\nSIMULATED QR DATA\r\n");
    EXPECT_EQ(test.stop(), 2);  // the reader acknowledges "WC" and the first "WD"
    EXPECT_FALSE(port.isReceiving());
    sync();
    EXPECT_EQ(transcript(), (std::vector<std::string>{"[BAQQ2", "S2S7", "[EAT", "S0S8", "[EAU",
                                                      "[BAPQ2", "WC", "WD", "WD"}));
    EXPECT_EQ(tools::readingTestBalance().value, before - 1);
    EXPECT_EQ(test.stop(), 0);  // stopped already: nothing more
    sync();
    EXPECT_EQ(transcript().size(), 9u);
}

TEST_F(ReadingTests, StopRightAfterStartStillStopsOnceAndDestructionAfterStopSendsNothing) {
    {
        tools::ReadingTest test(link, nullptr);
        test.start();
        test.stop();
    }
    EXPECT_EQ(count("S0S8"), 1);
    EXPECT_EQ(count("WC"), 1);
    {
        reader.clearTranscript();
        tools::ReadingTest test(link, nullptr);
        test.start();
    }  // closing while running runs the stop sequence and the exchange
    EXPECT_EQ(count("S0S8"), 1);
    EXPECT_EQ(count("[BAPQ2"), 1);
    EXPECT_EQ(count("WC"), 1);
}

TEST_F(ReadingTests, AReaderThatAlwaysAcknowledgesGets26WD) {
    reader.addResponder(std::make_unique<AlwaysAcknowledges>());
    EXPECT_EQ(link.acknowledgementExchange(), 26);
    ASSERT_TRUE(reader.waitForCommands(27, 2s));
    EXPECT_EQ(count("WC"), 1);
    EXPECT_EQ(count("WD"), 26);
}

TEST_F(ReadingTests, ASilentReaderGetsOneWCAndNothingElse) {
    reader.setSilent(true);
    EXPECT_EQ(link.acknowledgementExchange(), 0);
    reader.setSilent(false);
    sync();
    EXPECT_EQ(transcript(), std::vector<std::string>{"WC"});
}

TEST_F(ReadingTests, VerificationSendsItsOwnCommandsAndShowsTheRateReport) {
    Collector shown;
    tools::ReadingTest test(link, &shown, tools::ReadingTest::Kind::Verification1D);
    test.opening();
    test.start();
    for (int i = 0; i < 200 && shown.text().empty(); ++i)
        std::this_thread::sleep_for(10ms);
    test.stop();
    sync();
    EXPECT_EQ(shown.text(), "Reading rate: 98% (49/50)\r\n");
    EXPECT_EQ(commandsFrom("Y"), (std::vector<std::string>{"Y", ".V", ".W", "WC", "WD", "WD"}));
}

}  // namespace
}  // namespace omni::test
