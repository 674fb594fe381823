// The command-line reading test and tuning run as a process against the simulated reader.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "cli/cli_run.h"
#include "sim/simulated_reader.h"
#include "sim/tuning_responder.h"

namespace omni::test {
namespace {

using namespace std::chrono_literals;

class ToolsCli : public ::testing::Test {
protected:
    void SetUp() override {
        tuning = &sim::addToolResponders(reader);
        reader.start();
    }
    std::string port() const { return "--port " + reader.devicePath(); }

    sim::SimulatedReader reader;
    sim::TuningResponder* tuning = nullptr;
};

TEST_F(ToolsCli, ReadingTestSendsStartThenStopAndOneWDPerAck) {
    const CliRun run = runCli("reading-test " + port() + " --seconds 2");
    EXPECT_EQ(run.code, 0) << run.out;
    EXPECT_EQ(run.out, "4901234567894\r\nSIMULATED QR DATA\r\n");
    EXPECT_EQ(reader.transcript(), (std::vector<std::string>{"[BAQQ2", "S2S7", "[EAT", "S0S8",
                                                             "[EAU", "[BAPQ2", "WC", "WD", "WD"}));
}

TEST_F(ToolsCli, CtrlCStillRunsTheStopSequence) {
    const pid_t pid = startCli({"reading-test", "--port", reader.devicePath()});
    ASSERT_NE(pid, 0);
    ASSERT_TRUE(reader.waitForCommands(3, 5s));
    std::this_thread::sleep_for(1s);
    EXPECT_EQ(interruptAndWait(pid), 130);
    const std::vector<std::string> seen = reader.transcript();
    ASSERT_GE(seen.size(), 7u);
    EXPECT_EQ(std::vector<std::string>(seen.begin() + 3, seen.begin() + 7),
              (std::vector<std::string>{"S0S8", "[EAU", "[BAPQ2", "WC"}));
}

TEST_F(ToolsCli, TuneSavesTheRecordedCommandsAndRestoresTheReader) {
    tuning->setSuccessAttempt(1);
    const std::string file =
        (std::filesystem::path(::testing::TempDir()) / "tools_cli_tune.txt").string();
    std::filesystem::remove(file);
    const CliRun run = runCli("tune " + port() + " --bank 2 --save " + file);
    EXPECT_EQ(run.code, 0) << run.out;
    EXPECT_NE(run.out.find("attempt 2 of 4"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("Bank 2: QR Code, negative Enable, mirror Disable"), std::string::npos)
        << run.out;
    std::ifstream in(file, std::ios::binary);
    std::stringstream saved;
    saved << in.rdbuf();
    const std::string text = saved.str();
    EXPECT_EQ(text.rfind("[DFDQ1Q0Q0Q0Q0", 0), 0u);  // bank 1 disabled comes first
    EXPECT_NE(text.find("B0[BCD"), std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 2), "Z2");
    // The program's last frame may still be in the terminal when it has ended.
    const auto restored = [&] { return reader.transcript().back() == "[C21Q1"; };
    for (int i = 0; i < 500 && !restored(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(reader.transcript().back(), "[C21Q1");
}

TEST_F(ToolsCli, TuningThatNeverSucceedsFailsAndBadArgumentsAreRefused) {
    tuning->setSuccessAttempt(-1);
    CliRun run = runCli("tune " + port());
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.out.find("Tuning was failed"), std::string::npos) << run.out;
    EXPECT_EQ(reader.transcript().back(), "[C21Q1");
    EXPECT_EQ(runCli("tune " + port() + " --bank 6").code, 2);
    EXPECT_EQ(runCli("reading-test " + port() + " --seconds 0").code, 2);
    EXPECT_EQ(runCli("reading-test --seconds 2").code, 2);
}

}  // namespace
}  // namespace omni::test
