// omnisetup-cli identify and send against the simulated reader, run as the user runs them.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <filesystem>

#include "cli/cli_run.h"
#include "serial/serial_port.h"
#include "sim/line_faults.h"
#include "sim/simulated_reader.h"

namespace omni::test {
namespace {

namespace replies = sim::replies;

std::string cliPath() {
    return builtCliPath();
}

CliRun runCli(const std::string& arguments) {
    return runJoined(cliPath() + " " + arguments);
}

class Cli : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::filesystem::exists(cliPath()))
            GTEST_SKIP() << "omnisetup-cli not built";
    }
    CliRun identify(std::string reply) {
        sim::SimulatedReader reader;
        reader.setVersionReply(std::move(reply));
        reader.start();
        return runCli("identify --port " + reader.devicePath());
    }
};

TEST_F(Cli, IdentifyPrintsFamilyFirmwareAndModel) {
    EXPECT_EQ(identify(replies::family("BA12J13i")).out,
              "family: EngineA\nfirmware: BA12J13i\nmodel: \n");
    EXPECT_EQ(identify(replies::family("BD49")).out, "family: EngineC\nfirmware: BD49\nmodel: \n");
    EXPECT_EQ(identify(replies::model("Q-40", "TC100")).out,
              "family: EngineL\nfirmware: TC100\nmodel: Q-40\n");
    CliRun bad = identify("??\r");
    EXPECT_NE(bad.code, 0);
    EXPECT_EQ(bad.out.find('\n'), bad.out.size() - 1);  // one line
}

TEST_F(Cli, SendPutsExactlyTheFramesOnTheWireAndShowsTheReply) {
    sim::SimulatedReader reader;
    reader.setLeadingBytes("\x17");
    reader.start();
    // A long quiet time: the reply still counts when a loaded machine delays the simulator.
    CliRun run = runCli("send --quiet 2000 --port " + reader.devicePath() + " B2 Z2 Z1");
    EXPECT_EQ(run.code, 0) << run.out;
    EXPECT_EQ(reader.received(),
              "\x1B"
              "B2\r\x1BZ2\r\x1BZ1\r");
    EXPECT_EQ(run.out, "[ETB]BA12J13i\r\n");
}

TEST_F(Cli, FailuresEndWithOneLineAndANonZeroCode) {
    sim::SimulatedReader reader;
    reader.hangUpAfter(1);
    reader.start();
    CliRun lost = runCli("send --port " + reader.devicePath() + " B2 Z2");
    EXPECT_NE(lost.code, 0);
    EXPECT_NE(lost.out.find("Lost the connection"), std::string::npos) << lost.out;

    // Gone while the engine is being identified: it hangs up on the version request without
    // answering it (an answer written just before the hang-up may or may not still be read).
    sim::SimulatedReader vanishing;
    vanishing.setSilent(true);
    vanishing.hangUpAfter(1);
    vanishing.start();
    CliRun gone = runCli("identify --port " + vanishing.devicePath());
    EXPECT_NE(gone.code, 0);
    EXPECT_NE(gone.out.find("Lost the connection"), std::string::npos) << gone.out;
    EXPECT_EQ(gone.out.find('\n'), gone.out.size() - 1);

    CliRun missing = runCli("identify --port /dev/omni-no-such-port");
    EXPECT_EQ(missing.code, 2);  // a bad argument
    EXPECT_NE(missing.out.find("The port /dev/omni-no-such-port does not exist"), std::string::npos)
        << missing.out;
    EXPECT_EQ(runCli("send --port /dev/null").code, 2);  // no command
    EXPECT_EQ(runCli("identify --bogus").code, 2);

    // A reader that never answers the identification: status 3.
    sim::SimulatedReader silent;
    silent.setSilent(true);
    silent.start();
    CliRun quiet = runCli("identify --port " + silent.devicePath());
    EXPECT_EQ(quiet.code, 3) << quiet.out;
}

// Readers do not answer menu commands: the send is done once every frame is on the wire.
TEST_F(Cli, SendSucceedsOnceWrittenAndAckModeChecksEveryCommand) {
    sim::SimulatedReader silent;
    silent.setSilent(true);
    silent.start();
    CliRun quiet = runCli("send --port " + silent.devicePath() + " B2 Z2");
    EXPECT_EQ(quiet.code, 0) << quiet.out;
    EXPECT_EQ(quiet.out, "");
    EXPECT_EQ(silent.received(),
              "\x1B"
              "B2\r\x1BZ2\r");

    sim::SimulatedReader acking;
    acking.start();
    CliRun acked = runCli("send --ack --port " + acking.devicePath() + " B2 Z2");
    EXPECT_EQ(acked.code, 0) << acked.out;
    EXPECT_EQ(acked.out, "");  // the ACKs are checked, not shown
    EXPECT_EQ(acking.transcript(), (std::vector<std::string>{"WC", "B2", "Z2", "WD"}));
    EXPECT_FALSE(acking.ackMode());

    sim::SimulatedReader deaf;
    deaf.addResponder(std::make_unique<sim::IgnoresAckMode>());
    deaf.start();
    CliRun refused = runCli("send --ack --port " + deaf.devicePath() + " B2 Z2");
    EXPECT_EQ(refused.code, 3) << refused.out;
    EXPECT_NE(refused.out.find("did not acknowledge \"WC\""), std::string::npos) << refused.out;
    EXPECT_EQ(deaf.transcript(), (std::vector<std::string>{"WC", "WD"}));  // nothing else sent
}

TEST_F(Cli, IdentifySaysWhenTheReaderDidNotAnswer) {
    sim::SimulatedReader silent;
    silent.setSilent(true);
    silent.start();
    CliRun bootLoader = runCli("identify --port " + silent.devicePath());
    EXPECT_EQ(bootLoader.code, 3);
    const std::string printed = "family: EngineAInvalid\nfirmware: \nmodel: \nomnisetup-cli: ";
    EXPECT_EQ(bootLoader.out.rfind(printed, 0), 0u) << bootLoader.out;
    EXPECT_NE(bootLoader.out.find("did not answer"), std::string::npos) << bootLoader.out;

    // A device that drips bytes without ever ending its line (80 of them would take 12 s) fails
    // within the limit.
    sim::SimulatedReader dripping;
    dripping.setSilent(true);
    dripping.start();
    sim::Drip drip(dripping, "x", std::chrono::milliseconds(150));
    const auto started = std::chrono::steady_clock::now();
    CliRun dripped = runCli("identify --port " + dripping.devicePath());
    const auto tookMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                            std::chrono::steady_clock::now() - started)
                            .count();
    EXPECT_EQ(dripped.code, 3);  // no complete answer in time
    EXPECT_NE(dripped.out.find("did not answer"), std::string::npos) << dripped.out;
    EXPECT_LT(tookMs, serial::SerialTiming{}.identifyLimitMs + 1500);
    std::printf("identify against a dripping device: exit %d after %lld ms\n", dripped.code,
                static_cast<long long>(tookMs));

    CliRun noValue = runCli("identify --port");
    EXPECT_EQ(noValue.code, 2);
    EXPECT_NE(noValue.out.find("--port needs a value"), std::string::npos) << noValue.out;
}

}  // namespace
}  // namespace omni::test
