// The command-line tools behind pipes and full devices: no byte lost however slowly standard
// output is read, nothing dropped at the end of the input, a failed write of the output is a
// failure, and bad steering input or arguments get a message rather than an abort. The
// simulator's own faults for pictures reach the CLI as its clear failures.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

struct Outcome {
    std::string out;
    std::string err;
    int status = -1;  // exit code; -1 killed or not run
};

// Runs `program args` with `input` on standard input. Standard output is left unread for
// `stall` first, as a slow consumer would; `stdoutPath` (if set) replaces the output pipe.
Outcome run(const char* program, const std::vector<std::string>& args, const std::string& input,
            std::chrono::milliseconds stall = 0ms, const char* stdoutPath = nullptr) {
    char inPath[] = "/tmp/omni-cli-pipes-XXXXXX";
    int in = mkstemp(inPath);
    if (in < 0 || write(in, input.data(), input.size()) != static_cast<ssize_t>(input.size()))
        return {};
    lseek(in, 0, SEEK_SET);
    unlink(inPath);
    int out[2], err[2];
    if (pipe(out) != 0 || pipe(err) != 0)
        return {};
    pid_t child = fork();
    if (child == 0) {
        dup2(in, 0);
        if (stdoutPath) {
            int fd = open(stdoutPath, O_WRONLY);
            dup2(fd, 1);
        } else {
            dup2(out[1], 1);
        }
        dup2(err[1], 2);
        std::vector<char*> argv{const_cast<char*>(program)};
        for (const auto& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        setenv("OMNISETUP_LANG", "en", 1);
        execv(program, argv.data());
        _exit(127);
    }
    close(in);
    close(out[1]);
    close(err[1]);
    std::this_thread::sleep_for(stall);
    Outcome result;
    const auto deadline = Clock::now() + 40s;
    pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    int openStreams = 2;
    while (openStreams > 0 && Clock::now() < deadline) {
        if (poll(fds, 2, 1000) <= 0)
            continue;
        for (int i = 0; i < 2; ++i) {
            if (!(fds[i].revents & (POLLIN | POLLHUP)))
                continue;
            char buffer[65536];
            ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
            if (n <= 0) {
                fds[i].fd = -1;
                --openStreams;
            } else {
                (i == 0 ? result.out : result.err).append(buffer, static_cast<std::size_t>(n));
            }
        }
    }
    if (openStreams > 0)
        kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    close(out[0]);
    close(err[0]);
    result.status = WIFEXITED(status) && openStreams == 0 ? WEXITSTATUS(status) : -1;
    return result;
}

Outcome cli(const std::vector<std::string>& args, const std::string& input = {},
            std::chrono::milliseconds stall = 0ms, const char* stdoutPath = nullptr) {
    return run(OMNI_CLI_PATH, args, input, stall, stdoutPath);
}

TEST(CliPipes, SlowReaderOfTheLogGetsEveryByte) {
    std::mt19937 random(13);
    std::string bytes(512 * 1024, '\0');
    for (char& c : bytes)
        c = static_cast<char>(random());
    const Outcome fast = cli({"log", "--hex"}, bytes);
    ASSERT_EQ(fast.status, 0);
    ASSERT_EQ(fast.out.size(), bytes.size() / 16 * 49);  // rows of 16 "XX ", the last one "XX\r\n"
    // Far longer than the window's one-second patience with a stalled writer.
    const Outcome slow = cli({"log", "--hex"}, bytes, 2500ms);
    EXPECT_EQ(slow.status, 0);
    EXPECT_TRUE(slow.out == fast.out)
        << "slow reader got " << slow.out.size() << " of " << fast.out.size() << " bytes";
}

TEST(CliPipes, UnfinishedCharacterAtTheEndIsShown) {
    EXPECT_EQ(cli({"log", "--utf16le"}, "A").out, "A\r\n");
    EXPECT_EQ(cli({"log", "--utf16le"}, std::string("B\0C", 3)).out, "BC\r\n");
}

TEST(CliPipes, OutputThatCannotBeWrittenIsAFailure) {
    const Outcome catalog = cli({"catalog"}, {}, 0ms, "/dev/full");
    EXPECT_NE(catalog.status, 0);
    EXPECT_NE(catalog.err.find("No space left on device"), std::string::npos) << catalog.err;

    const std::string link = "/tmp/omni-cli-pipes-full-" + std::to_string(getpid()) + ".png";
    unlink(link.c_str());
    ASSERT_EQ(symlink("/dev/full", link.c_str()), 0);
    const Outcome page = cli({"menucode", "--command", "Z1", "-o", link});
    EXPECT_EQ(page.status, 1);  // a file that cannot be written, as the exit table says
    EXPECT_NE(page.err.find("No space left on device"), std::string::npos) << page.err;
    unlink(link.c_str());

    // A page file the same way: the error in words, the same status, and the link kept.
    const std::string pageLink = link + ".omnipage";
    unlink(pageLink.c_str());
    ASSERT_EQ(symlink("/dev/full", pageLink.c_str()), 0);
    const Outcome pageFile = cli({"menucode", "--command", "Z1", "--save-page", pageLink});
    EXPECT_EQ(pageFile.status, 1);
    EXPECT_NE(pageFile.err.find("No space left on device"), std::string::npos) << pageFile.err;
    struct stat info {};
    EXPECT_TRUE(lstat(pageLink.c_str(), &info) == 0 && S_ISLNK(info.st_mode));
    unlink(pageLink.c_str());
}

TEST(CliPipes, SendRefusesBadArgumentsInWords) {
    const Outcome negative = cli({"send", "--port", "/dev/null", "--quiet", "-5", "Z1"});
    EXPECT_EQ(negative.status, 2);
    const Outcome tooLong = cli({"send", "--port", "/dev/null", std::string(3000, 'Z')});
    EXPECT_EQ(tooLong.status, 2);
    EXPECT_EQ(tooLong.err.find("KES_STATE"), std::string::npos) << tooLong.err;
    EXPECT_NE(tooLong.err.find("too long"), std::string::npos) << tooLong.err;
}

TEST(CliPipes, OversizedSheetIsRefusedNamingWhatFits) {
    std::vector<std::string> args{"menucode", "--1d", "--module-size", "64"};
    for (int i = 0; i < 250; ++i) {
        args.push_back("--command");
        args.push_back("Z" + std::to_string(i % 10));
    }
    const std::string path = "/tmp/omni-cli-pipes-sheet-" + std::to_string(getpid()) + ".png";
    args.push_back("-o");
    args.push_back(path);
    const Outcome huge = cli(args);  // 63 gigapixels if it were drawn
    EXPECT_EQ(huge.status, 1);
    EXPECT_NE(huge.err.find(".svg, .pdf or .emf"), std::string::npos) << huge.err;
    EXPECT_EQ(huge.err.find("QImage"), std::string::npos) << huge.err;
    EXPECT_NE(access(path.c_str(), F_OK), 0);
}

TEST(SimulatorSteering, BadLinesAreReportedAndTheEndOfInputEndsTheRun) {
    const Outcome sim = run(OMNI_SIM_PATH, {"--quiet"}, "garbage abc\nsend \\xZZ\ngarbage 4\n");
    EXPECT_EQ(sim.status, 0);  // ended by the end of its input, not killed or aborted
    EXPECT_NE(sim.err.find("garbage abc"), std::string::npos) << sim.err;
    EXPECT_NE(sim.err.find("\\xZZ"), std::string::npos) << sim.err;
}

// The simulator in the background, serving until its standard input is closed.
class Simulator {
public:
    explicit Simulator(const std::vector<std::string>& args) {
        int in[2], out[2];
        if (pipe(in) != 0 || pipe(out) != 0)
            return;
        child_ = fork();
        if (child_ == 0) {
            dup2(in[0], 0);
            dup2(out[1], 1);
            close(in[1]);
            close(out[0]);
            std::vector<char*> argv{const_cast<char*>(OMNI_SIM_PATH)};
            for (const auto& a : args)
                argv.push_back(const_cast<char*>(a.c_str()));
            argv.push_back(nullptr);
            execv(OMNI_SIM_PATH, argv.data());
            _exit(127);
        }
        close(in[0]);
        close(out[1]);
        input_ = in[1];
        // The first line is the device to connect to.
        char c;
        while (read(out[0], &c, 1) == 1 && c != '\n')
            device_ += c;
        close(out[0]);
    }
    ~Simulator() {
        close(input_);
        int status = 0;
        waitpid(child_, &status, 0);
    }
    const std::string& device() const { return device_; }

private:
    pid_t child_ = -1;
    int input_ = -1;
    std::string device_;
};

TEST(SimulatorFaults, ErrorReportAndHangUpEndTheShotWithoutAFile) {
    char folder[] = "/tmp/omni-sim-faults-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    const std::string output = std::string(folder) + "/shot.bmp";

    const Simulator busy({"--quiet", "--error-report", "2"});
    ASSERT_FALSE(busy.device().empty());
    const Outcome refused = cli({"shoot", "--port", busy.device(), "-o", output});
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("KES_STATE_USING_IMAGE"), std::string::npos) << refused.err;

    const Simulator gone({"--quiet", "--picture", "320x200", "--shot-hangup-after", "3"});
    ASSERT_FALSE(gone.device().empty());
    const Outcome lost = cli({"shoot", "--port", gone.device(), "-o", output});
    EXPECT_NE(lost.status, 0);
    EXPECT_FALSE(lost.err.empty());
    EXPECT_NE(access(output.c_str(), F_OK), 0);
    rmdir(folder);
}

}  // namespace
