// The command exchange and the model gate: routing of picked items, frames on the wire, ACK/NAK
// switching and the tuning-tool gate against the simulated reader.
#include "reader/command_exchange.h"
#include "reader/model_gate.h"
#include "resources/strings.h"
#include "serial/reader_fixture.h"

namespace omni::test {
namespace {

using namespace std::chrono_literals;
using reader::SubmitAction;

// The decision for a picked item of `tokens` tokens.
reader::SubmitDecision decide(const char* command, int tokens,
                              const reader::SubmitContext& context) {
    return reader::decideSubmit(commands::makePageItem(command, u"", tokens), context);
}

TEST(SubmitDecision, ConnectedLogPageSendsAndDropsDigitSettingsIn1D) {
    reader::SubmitContext connected2D{true, false, true, false};
    reader::SubmitContext connected1D{true, false, false, false};
    EXPECT_EQ(decide("Z1", 1, connected2D).action, SubmitAction::Send);
    EXPECT_EQ(decide("HK", 1, connected2D).action, SubmitAction::Send);
    EXPECT_EQ(decide("HK", 1, connected1D).action, SubmitAction::Drop);
    EXPECT_EQ(decide("HKQ1", 2, connected1D).action, SubmitAction::Send);
    EXPECT_EQ(decide("Z2", 1, connected1D).action, SubmitAction::Send);
    connected1D.fromCommandBox = true;
    EXPECT_EQ(decide("H1", 1, connected1D).action, SubmitAction::Send);
}

TEST(SubmitDecision, OtherwiseThePageTakesItExceptALoneZ2) {
    reader::SubmitContext offline{false, false, true, false};
    reader::SubmitDecision d = decide("B2", 1, offline);
    EXPECT_EQ(d.action, SubmitAction::AddToPage);
    EXPECT_TRUE(d.openPage);

    reader::SubmitContext onPage{true, true, true, false};
    d = decide("Z2", 1, onPage);
    EXPECT_EQ(d.action, SubmitAction::Refuse);
    EXPECT_EQ(d.refusalMessageId, 555u);
    EXPECT_FALSE(d.openPage);
    EXPECT_EQ(decide("Z2B2", 2, onPage).action, SubmitAction::AddToPage);
    onPage.fromCommandBox = true;
    EXPECT_EQ(decide("Z2", 1, onPage).action, SubmitAction::AddToPage);
}

TEST(ModelGate, VersionTable) {
    EXPECT_FALSE(reader::baVersionSupported("BA01J13h"));
    EXPECT_TRUE(reader::baVersionSupported("BA01J13i"));
    EXPECT_TRUE(reader::baVersionSupported("BA01J14a"));
    EXPECT_FALSE(reader::baVersionSupported("BA01J15"));  // without a suffix major 1 needs minor 16
    EXPECT_TRUE(reader::baVersionSupported("BA01J16"));
    EXPECT_FALSE(reader::baVersionSupported("BA02J02a"));
    EXPECT_TRUE(reader::baVersionSupported("BA02J02i"));
    EXPECT_TRUE(reader::baVersionSupported("BA02J03"));
    EXPECT_FALSE(reader::baVersionSupported("BA02J02"));
    EXPECT_TRUE(reader::baVersionSupported("BA03J00"));
    EXPECT_FALSE(reader::baVersionSupported("BAxx"));

    EXPECT_EQ(reader::routeForVersion("Q-40 V1.00"), reader::GateRoute::ReadingVerification);
    EXPECT_EQ(reader::routeForVersion("TXR-5000"), reader::GateRoute::ReadingVerification);
    EXPECT_EQ(reader::routeForVersion("BD49"), reader::GateRoute::Ignore);
    EXPECT_EQ(reader::routeForVersion("BA12J13i"), reader::GateRoute::CheckConfiguration);
    EXPECT_EQ(reader::routeForVersion("BA01J13h"), reader::GateRoute::NotSupported);
}

struct RecordingHost : reader::TuningToolHost {
    std::vector<std::string> calls;
    void autoTuning(bool open) override { calls.push_back(open ? "tuning open" : "tuning close"); }
    void readingVerification(bool open) override {
        calls.push_back(open ? "verification open" : "verification close");
    }
    void notSupported(std::u16string_view text, std::u16string_view caption) override {
        calls.push_back(res::toUtf8(caption) + ": " + res::toUtf8(text));
    }
};

class Exchange : public ReaderTest {
protected:
    // Connects and identifies as the desktop program does.
    void connect(std::string versionReply) {
        reader.setVersionReply(replies(std::move(versionReply)));
        openPort();
        module = reader::openModule(port.moduleHandle());
        exchange.setModule(module.get());
        reader.clearTranscript();
    }
    static std::string replies(std::string text) { return sim::replies::family(text); }

    reader::ModuleHandle module;
    reader::CommandExchange exchange{port};
};

TEST_F(Exchange, FramesWithOrWithoutAModule) {
    openPort();
    exchange.sendCommand("B2");  // no module: straight to the port
    std::string tooLong(1023, 'A');
    EXPECT_THROW(exchange.sendCommand(tooLong), foundation::KesException);
    module = reader::openModule(port.moduleHandle());
    exchange.setModule(module.get());
    exchange.sendCommand("Z2");
    try {
        exchange.sendCommand(tooLong);
        FAIL();
    } catch (const foundation::KesException& e) {
        EXPECT_EQ(e.state(), KES_STATE_TOO_LONG_SEND_COMMAND);
    }
    exchange.directControl(reader::CommandExchange::DirectRequest::First, 2);
    exchange.directControl(reader::CommandExchange::DirectRequest::First, 3);  // nothing
    exchange.directControl(reader::CommandExchange::DirectRequest::Second, 0);
    exchange.directControl(reader::CommandExchange::DirectRequest::Third, 1);
    ASSERT_TRUE(reader.waitForCommands(6, 2s));
    EXPECT_EQ(reader.received(),
              "\x1B"
              "B2\r\x1BZ1\r\x1BZ2\r\x1B[EGFQ2\r\x1BY\r\x1B.V\r");
}

// 1022 bytes reach the reader as ESC + text + CR and 1023 are refused, on both send paths.
TEST_F(Exchange, SendLimitOnBothPaths) {
    openPort();
    for (const bool withModule : {false, true}) {
        if (withModule) {
            module = reader::openModule(port.moduleHandle());
            exchange.setModule(module.get());
        }
        reader.clearTranscript();
        const std::string longest(1022, withModule ? 'M' : 'P');
        exchange.sendCommand(longest);
        ASSERT_TRUE(reader.waitForCommands(1, 2s)) << withModule;
        EXPECT_EQ(reader.received(), "\x1B" + longest + "\r") << withModule;
        try {
            exchange.sendCommand(longest + 'X');
            ADD_FAILURE() << "1023 bytes were sent, module: " << withModule;
        } catch (const foundation::KesException& e) {
            EXPECT_EQ(e.state(), KES_STATE_TOO_LONG_SEND_COMMAND);
        }
        EXPECT_EQ(reader.received(), "\x1B" + longest + "\r") << withModule;
        EXPECT_EQ(reader::frameCommand(longest), "\x1B" + longest + "\r");
    }
}

TEST_F(Exchange, AckNakCountersNestAndTheReaderLeavesAckModeOff) {
    connect("BA12J13i");
    using Tool = reader::CommandExchange::Tool;
    exchange.setAckNak(Tool::ReadingTest, true);
    exchange.setAckNak(Tool::ReadingTest, true);
    exchange.setAckNak(Tool::AutoTuning, true);
    EXPECT_EQ(exchange.ackNakCount(Tool::ReadingTest), 2u);
    exchange.setAckNak(Tool::ReadingTest, false);
    EXPECT_EQ(exchange.ackNakCount(Tool::ReadingTest), 1u);
    EXPECT_EQ(exchange.ackNakCount(Tool::AutoTuning), 1u);
    ASSERT_TRUE(reader.waitForCommands(4, 2s));
    EXPECT_EQ(reader.transcript(), (std::vector<std::string>{"WC", "WC", "WC", "WD"}));
    EXPECT_FALSE(reader.ackMode());
}

TEST_F(Exchange, GateAcceptsSupportedConfigurations) {
    for (const char* configuration : {"Configuration: KVR-5210", "Configuration: ENG-7400"}) {
        reader.setConfigurationText(configuration);
        connect("BA12J13i");
        RecordingHost host;
        exchange.gateTuningTool(true, host);
        EXPECT_EQ(host.calls, std::vector<std::string>{"tuning open"});
        EXPECT_EQ(reader.transcript().front(), "[X.Z[F3G[X.Z");
        EXPECT_FALSE(reader.ackMode());  // the probe leaves ACK mode off
        EXPECT_THROW(port.waitForData(50),
                     foundation::KesException);  // the reply's rest was swallowed
        port.close();
    }
}

TEST_F(Exchange, GateRefusesOtherReadersWithTheMessage) {
    reader.setConfigurationText("Configuration: KVR-1000");
    connect("BA12J13i");
    RecordingHost host;
    exchange.gateTuningTool(true, host);
    EXPECT_EQ(host.calls, std::vector<std::string>{
                              "NOT SUPPORTED: This application is not supported by this reader."});
    port.close();

    connect("BA01J13h");  // too old: refused without a query
    host.calls.clear();
    exchange.gateTuningTool(true, host);
    exchange.gateTuningTool(false, host);  // closing does nothing for such a reader
    EXPECT_EQ(host.calls.size(), 1u);
    EXPECT_TRUE(reader.transcript().empty());
}

TEST_F(Exchange, GateSendsOneDimensionalVerifiersToTheirDialogWithoutAQuery) {
    reader.setVersionReply(sim::replies::model("Q-40", "Q-40V100"));
    openPort();
    module = reader::openModule(port.moduleHandle());
    exchange.setModule(module.get());
    reader.clearTranscript();
    RecordingHost host;
    exchange.gateTuningTool(true, host);
    exchange.gateTuningTool(false, host);
    EXPECT_EQ(host.calls, (std::vector<std::string>{"verification open", "verification close"}));
    EXPECT_TRUE(reader.transcript().empty());
}

}  // namespace
}  // namespace omni::test
