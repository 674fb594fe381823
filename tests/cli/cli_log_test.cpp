// omnisetup-cli log, run as a separate process with bytes on its standard input.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "run_shell.h"

namespace {

struct LogRun {
    std::string out;
    int status = -1;
};

// Runs "omnisetup-cli log ARGS < input" and collects standard output.
LogRun log(const std::string& input, const std::string& args = {}) {
    char inPath[] = "/tmp/omni-cli-log-XXXXXX";
    int fd = mkstemp(inPath);
    if (fd < 0)
        return {};
    if (write(fd, input.data(), input.size()) != static_cast<ssize_t>(input.size()))
        return {};
    close(fd);
    std::string command = std::string("OMNISETUP_LANG=en ") + OMNI_CLI_PATH + " log " + args +
                          " <" + inPath + " 2>/dev/null";
    const omni::test::ShellRun shell = omni::test::runShell(command);
    LogRun run{shell.out, shell.status};
    remove(inPath);
    return run;
}

TEST(CliLog, LineEndsAndControlCharacters) {
    LogRun run = log("A\r\nB\rC\nD\x07\x0c\x7f\t");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "A\r\nB\r\nC\r\nD[BEL][NP][DEL][HT]\r\n");
}

TEST(CliLog, Utf16ByteOrders) {
    EXPECT_EQ(log(std::string("\x30\x00", 2), "--utf16be").out, "\xE3\x80\x80\r\n");  // U+3000
    EXPECT_EQ(log(std::string("\x30\x00", 2), "--utf16le").out, "0\r\n");
}

TEST(CliLog, HexRows) {
    LogRun run = log(std::string(17, '\0'), "--hex");
    EXPECT_EQ(run.out, "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00\r\n00 \r\n");
    // The stored setting's way of naming hexadecimal display works too.
    EXPECT_EQ(log("\x01", "--codepage -1").out, "01 \r\n");
}

TEST(CliLog, ShiftJisSentence) {
    // "日本語のテストです。" then CR LF, in code page 932.
    const std::string sjis =
        "\x93\xFA\x96\x7B\x8C\xEA\x82\xCC\x83\x65\x83\x58\x83\x67\x82\xC5\x82\xB7\x81\x42\r\n";
    LogRun run = log(sjis, "--codepage 932");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "日本語のテストです。\r\n");
}

TEST(CliLog, LargeInputArrivesWhole) {
    std::string input;
    for (int i = 0; i < 20000; ++i)
        input += "line " + std::to_string(i) + "\n";
    LogRun run = log(input, "--codepage 65001");
    ASSERT_EQ(run.status, 0);
    std::string expected;
    for (int i = 0; i < 20000; ++i)
        expected += "line " + std::to_string(i) + "\r\n";
    EXPECT_EQ(run.out, expected);
}

TEST(CliLog, BadArguments) {
    EXPECT_EQ(log("x", "--codepage 4242").status, 2);
    EXPECT_EQ(log("x", "--codepage abc").status, 2);
    EXPECT_EQ(log("x", "--hex --utf16le").status, 2);
    EXPECT_EQ(log("x", "--bogus").status, 2);
}

}  // namespace
