// omnisetup-cli apply against simulated readers, run as a script runs it: one result line per
// reader, the summary, and the exit status when a reader keeps quiet or the page is damaged.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli/cli_run.h"
#include "sim/simulated_reader.h"

namespace omni::test {
namespace {

namespace fs = std::filesystem;

// The output line that begins with `device`.
std::string lineOf(const std::string& out, const std::string& device) {
    std::istringstream lines(out);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind(device + " ", 0) == 0)
            return line;
    }
    return {};
}

class CliApply : public ::testing::Test {
protected:
    void SetUp() override {
        for (sim::SimulatedReader* reader : {&a, &b}) {
            reader->setVersionReply(sim::replies::family("BA12J13i"));
            reader->start();
        }
        folder = fs::temp_directory_path() / ("omni-cli-apply-" + std::to_string(::getpid()));
        fs::create_directories(folder);
        page = (folder / "p.omnipage").string();
        std::ofstream(page) << "OMNIPAGE 1 2D\n[BCA\tEnable Code 39\n[DC1Q0Q0\tMinimum length\n";
    }
    void TearDown() override { fs::remove_all(folder); }
    std::string ports() const { return " --port " + a.devicePath() + " --port " + b.devicePath(); }
    // The commands a reader saw after it identified itself.
    static std::vector<std::string> afterIdentification(const sim::SimulatedReader& reader) {
        std::vector<std::string> seen = reader.transcript();
        auto z1 = std::find(seen.rbegin(), seen.rend(), "Z1");
        return {z1.base(), seen.end()};
    }

    sim::SimulatedReader a, b;
    fs::path folder;
    std::string page;
};

TEST_F(CliApply, TwoReadersAcknowledgeEveryCommand) {
    const CliRun run = runCli("apply --page " + page + ports() + " --verify");
    ASSERT_EQ(run.code, 0) << run.out;
    for (const sim::SimulatedReader* reader : {&a, &b}) {
        const std::string line = lineOf(run.out, reader->devicePath());
        EXPECT_NE(line.find("firmware=BA12J13i sent=2/2 acknowledged=2 "), std::string::npos)
            << run.out;
        EXPECT_EQ(line.substr(line.size() - 3), " ok") << line;
        EXPECT_EQ(afterIdentification(*reader),
                  (std::vector<std::string>{"WC", "[BCA", "[DC1Q0Q0", "WD"}));
    }
    EXPECT_NE(run.out.find("2 of 2 readers configured, 0 failed."), std::string::npos) << run.out;
}

TEST_F(CliApply, ASilentReaderFailsItsLineAndTheRun) {
    b.setSilent(true);
    const CliRun run = runCli("apply --page " + page + ports() + " --verify");
    EXPECT_EQ(run.code, 3) << run.out;
    EXPECT_NE(lineOf(run.out, a.devicePath()).find("acknowledged=2 "), std::string::npos)
        << run.out;
    const std::string silent = lineOf(run.out, b.devicePath());
    EXPECT_NE(silent.find("sent=0/2"), std::string::npos) << run.out;
    EXPECT_NE(silent.find("failed: "), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("1 of 2 readers configured, 1 failed."), std::string::npos) << run.out;
}

TEST_F(CliApply, BadArgumentsAndDamagedPagesSendNothing) {
    EXPECT_EQ(runCli("apply" + ports()).code, 2);
    EXPECT_EQ(runCli("apply --page " + page).code, 2);
    EXPECT_EQ(
        runCli("apply --page " + page + " --port " + a.devicePath() + " --port " + a.devicePath())
            .code,
        2);
    std::ofstream(page) << "OMNIPAGE 1 2D\n[BCA\tfine\nno tab here\n";
    const CliRun damaged = runCli("apply --page " + page + ports());
    EXPECT_EQ(damaged.code, 2);
    EXPECT_NE(damaged.out.find("Line 3:"), std::string::npos) << damaged.out;
    std::ofstream(page) << "OMNIPAGE 1 2D\n";
    EXPECT_EQ(runCli("apply --page " + page + ports()).code, 2);
    EXPECT_TRUE(a.transcript().empty());
    EXPECT_TRUE(b.transcript().empty());
}

}  // namespace
}  // namespace omni::test
