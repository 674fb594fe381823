// omnisetup-cli firmware, run as a separate process against the simulated reader on a pty: the
// whole update, a refusing engine, the version question, and Ctrl+C in both protocols.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "module/firmware_fixture.h"

namespace omni::test {
namespace {

using Ending = sim::FirmwareResponder::Ending;
using Clock = std::chrono::steady_clock;

struct CliRun {
    int status = -1;
    std::string out;
    std::string err;
};

std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Starts "omnisetup-cli firmware ARGS" with its output going to files.
class Cli {
public:
    explicit Cli(const std::vector<std::string>& args) {
        std::string base = "/tmp/omni-cli-fw-" + std::to_string(::getpid());
        outPath_ = base + ".out";
        errPath_ = base + ".err";
        pid_ = ::fork();
        if (pid_ == 0) {
            int out = ::open(outPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            int err = ::open(errPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            ::dup2(out, STDOUT_FILENO);
            ::dup2(err, STDERR_FILENO);
            std::vector<char*> argv = {const_cast<char*>(OMNI_CLI_PATH),
                                       const_cast<char*>("firmware")};
            for (const auto& a : args)
                argv.push_back(const_cast<char*>(a.c_str()));
            argv.push_back(nullptr);
            ::setenv("OMNISETUP_LANG", "en", 1);
            ::execv(OMNI_CLI_PATH, argv.data());
            ::_exit(127);
        }
    }
    void interrupt() { ::kill(pid_, SIGINT); }
    // Waits for the end (at most `limit`); a process still running is killed and fails the test.
    CliRun finish(std::chrono::seconds limit = std::chrono::seconds(40)) {
        CliRun run;
        auto deadline = Clock::now() + limit;
        int status = 0;
        while (::waitpid(pid_, &status, WNOHANG) == 0) {
            if (Clock::now() > deadline) {
                ::kill(pid_, SIGKILL);
                ::waitpid(pid_, &status, 0);
                ADD_FAILURE() << "omnisetup-cli firmware did not end";
                return run;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        run.out = slurp(outPath_);
        run.err = slurp(errPath_);
        std::remove(outPath_.c_str());
        std::remove(errPath_.c_str());
        return run;
    }

private:
    pid_t pid_ = -1;
    std::string outPath_, errPath_;
};

class CliFirmware : public ::testing::Test {
protected:
    sim::FirmwareResponder& start(const std::string& version, sim::FirmwareFaults faults = {}) {
        reader.setVersionReply(sim::replies::family(version));
        auto responder = std::make_unique<sim::FirmwareResponder>(reader, faults);
        sim::FirmwareResponder& engine = *responder;
        reader.addResponder(std::move(responder));
        reader.start();
        return engine;
    }
    // Waits until the engine has seen `count` packets (false after 20 s).
    static bool awaitPackets(const sim::FirmwareResponder& engine, std::size_t count) {
        auto deadline = Clock::now() + std::chrono::seconds(20);
        while (engine.packets().size() < count) {
            if (Clock::now() > deadline)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return true;
    }
    // Runs the tool with `args` and then `file` against a slow engine that reports `version`,
    // so that Ctrl+C lands in the middle of the transfer, and presses Ctrl+C after three
    // packets: the tool ends with 130 and the engine sees the transfer end as `expected`.
    void interruptMidTransfer(const std::string& version, const FirmwareFile& file,
                              std::vector<std::string> args, Ending expected) {
        sim::FirmwareResponder& engine =
            start(version, {.answerDelay = std::chrono::milliseconds(20)});
        args.insert(args.begin(), {"--port", reader.devicePath()});
        args.push_back(file.path().string());
        Cli cli(args);
        ASSERT_TRUE(awaitPackets(engine, 3));
        cli.interrupt();
        CliRun run = cli.finish();
        EXPECT_EQ(run.status, 130) << run.err;
        ASSERT_TRUE(engine.waitForEnding(std::chrono::seconds(2)));
        EXPECT_EQ(engine.ending(), expected);
    }
    sim::SimulatedReader reader;
};

TEST_F(CliFirmware, UpdatesTheReaderAndPrintsItsVersion) {
    auto& engine = start("BA12J13i");
    FirmwareFile file(100 * 1024);
    CliRun run = Cli({"--port", reader.devicePath(), file.path().string(), "--yes"}).finish();
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "The firmware download finished.\nFirmware version: BA12J13i\n");
    EXPECT_EQ(engine.firmware(), file.padded(8192));
    EXPECT_EQ(engine.firmware().size() % 8192, 0u);
    EXPECT_EQ(reader.lineSpeed(), 9600u);
}

TEST_F(CliFirmware, RefusedBlockFailsWithThePortAtItsOwnSpeed) {
    auto& engine = start("BA12J13i", {.refuseBlock = {{9, 4}}});
    FirmwareFile file(100 * 1024);
    CliRun run = Cli({"--port", reader.devicePath(), "--yes", file.path().string()}).finish();
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("refused the same block too many times (KES_STATE_TOO_MANY_RETRY)"),
              std::string::npos)
        << run.err;
    EXPECT_EQ(engine.attemptsRefused(), 4u);
    EXPECT_EQ(reader.lineSpeed(), 9600u);
}

TEST_F(CliFirmware, VersionQuestionNeedsYesAndBadInputIsRefused) {
    auto& engine = start("BA12J13i");
    FirmwareFile file(1000, {}, "XY99.bin");
    CliRun run = Cli({"--port", reader.devicePath(), file.path().string()}).finish();
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("FW version is different. Do you want to continue the download?"),
              std::string::npos);
    EXPECT_TRUE(engine.packets().empty());

    EXPECT_EQ(Cli({"--port", reader.devicePath(), "/nonexistent/BA12.bin"}).finish().status, 2);
    FirmwareFile empty(0, {}, "BA12.bin");
    EXPECT_EQ(Cli({"--port", reader.devicePath(), empty.path().string()}).finish().status, 2);
    EXPECT_EQ(Cli({file.path().string()}).finish().status, 2);
}

TEST_F(CliFirmware, CtrlCAbortsTheApplicationTransfer) {
    FirmwareFile file(1 << 20);
    ASSERT_NO_FATAL_FAILURE(interruptMidTransfer("BA12J13i", file, {"--yes"}, Ending::Aborted));
    EXPECT_EQ(reader.lineSpeed(), 9600u);
}

TEST_F(CliFirmware, CtrlCCancelsTheXmodemTransfer) {
    FirmwareFile file(64 * 1024);
    // Always through the boot loader.
    ASSERT_NO_FATAL_FAILURE(interruptMidTransfer("BFM0102", file, {}, Ending::Cancelled));
    EXPECT_EQ(reader.transcript().at(1), "XO");  // no loader command from the boot loader
    EXPECT_EQ(reader.lineSpeed(), 9600u);
}

}  // namespace
}  // namespace omni::test
