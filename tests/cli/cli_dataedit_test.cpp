// omnisetup-cli dataedit, run as a separate process: the commands it prints, its refusals, and
// storing and reading programs on the simulated reader.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "run_shell.h"
#include "sim/dataedit_responder.h"
#include "sim/simulated_reader.h"

namespace {

using namespace std::chrono_literals;

using CliRun = omni::test::ShellRun;

// omnisetup-cli dataedit with `args`, its messages in `lang`.
CliRun dataedit(const std::vector<std::string>& args, const char* lang = "en") {
    const std::string program =
        std::string("OMNISETUP_LANG=") + lang + " " + OMNI_CLI_PATH + " dataedit";
    return omni::test::runShellApart(omni::test::commandLine(program, args));
}

const std::string kSample = "0104912345678904 10ABC123 3103000150";
const std::string kBracketsCut =
    "\\s80\"\\Df00\"(?:<\\Ax>\"\\Ax\\(\\I\\)\\D1(\\D2|)(\\D3|)(\\D4|)\"(?:$|\"\"))+$";

TEST(CliDataEdit, ComposedCommands) {
    CliRun run = dataedit({"gs1-convert", "--program", "1"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "[ED0'\\s80\"\\Df00\"(?:<\\Ax>\"\\Ax\\Dx\")+$'[ED1'[0]'[ED2Q1\n");

    EXPECT_EQ(dataedit({"multi-label", "--label", "EAN-13:A::5:20"}).out,
              "[ED0'\\SBA(.{4,19})$'[ED1'[0]'[ED2Q1\n");
    EXPECT_EQ(dataedit({"multi-label", "--label", "Any Code:\\::", "--label", "QR Code",
                        "--separator", "Tab", "--begin", "STX", "--no-begin-end"})
                  .out,
              "[ED0'\\:(.{0,98})$/\\Su(.{1,99})$'[ED1'\\x02[0,1]\\kB1[1,1]'[ED2Q1\n");
    const std::string ocr = "[ED0'(?:[0-9]<..>){5}$'[ED1'[0]\\x0D'[ED2Q1[DKF[DKIQ5[DLTQ0\n";
    EXPECT_EQ(dataedit({"ocr", "--line", "N,N,N,N,N:CR", "--font", "OCR-B"}).out, ocr);
    EXPECT_EQ(dataedit({"ocr", "--line", "Nx5"}).out, ocr);
    EXPECT_EQ(dataedit({"ocr", "--line", "N,,,-x2:None", "--line", "AN"}).out,
              "[ED0'$/(?:<..>[0-9A-Z])$'[ED1'[0][1]\\x0D'[ED2Q1[DKF[DKIQ1[DLTQ0\n");
    EXPECT_EQ(dataedit({"gs1-pickup", "--ai", "01=,", "--ai", "310D", "--decimal-point",
                        "--program", "3"})
                  .out,
              "[ED0'\\s80\\Ax+$'[ED1'\\Df02\\A01[0]\\Dx\\,\\A310[0]\\Dx'[ED2Q3\n");
    EXPECT_EQ(dataedit({"book-code", "--s2", "-", "--fix-price-5", "--program", "4"}).out,
              "[ED0'\\SB978([0-9]{9})[0-9]$/\\SB192([0-9]{4})([0-9]{5})[0-9]$'"
              "[ED1'[0,1]\\-[1,1][1,2]'[ED2Q4\n");
    EXPECT_EQ(dataedit({"direct", "--cut", "(.*)", "--paste", "[0]", "--program", "2"}).out,
              "[ED0'(.*)'[ED1'[0]'[ED2Q2\n");
    EXPECT_EQ(dataedit({"escape", "a'b"}).out, "a\\''b\ncharacters: 3\n");
    EXPECT_EQ(dataedit({"escape", "a'b"}, "ja").out, "a\\''b\n文字数: 3\n");
}

TEST(CliDataEdit, GS1RowsFormsAndCommand) {
    CliRun rows = dataedit({"gs1", "--sample", kSample});
    EXPECT_EQ(rows.status, 0);
    EXPECT_EQ(rows.out.substr(0, rows.out.find("Attach")),
              "01\t04912345678904\tFixed\n10\tABC123\tVariable\n3103\t000150\tFixed\n");

    CliRun brackets = dataedit({"gs1", "--sample", kSample, "--form", "brackets"});
    EXPECT_EQ(brackets.status, 0);
    EXPECT_NE(brackets.out.find("Output image: (01)04912345678904(10)ABC123(3103)000150\n"),
              std::string::npos);
    EXPECT_NE(brackets.out.find("\n[ED0'" + kBracketsCut + "'[ED1'[0]\\x0d'[ED2Q4\n"),
              std::string::npos);

    CliRun user = dataedit({"gs1", "--sample", kSample, "--form", "user", "--row", "10:output=0",
                            "--row", "3103:header1=,,terminator1=Enter", "--option",
                            "between=/,:", "--option", "no-code128", "--delay", "125"});
    EXPECT_EQ(user.status, 0) << user.err;
    EXPECT_NE(user.out.find("Output image: 0104912345678904/:3103,000150[Enter]\n"),
              std::string::npos)
        << user.out;
    EXPECT_NE(user.out.find("\\d0C\\D2|)"), std::string::npos);
    EXPECT_NE(user.out.find(")+$/\\ST.+$'[ED1'"), std::string::npos);
}

TEST(CliDataEdit, RefusalsAreOneLineAndStatus2) {
    const std::vector<std::vector<std::string>> bad = {
        {"escape", "\\x0G"},
        {"escape", "ab\\"},
        {"gs1-convert", "--program", "5"},
        {"gs1-convert", "--between", std::string(33, 'a')},
        {"gs1-convert", "--frob"},
        {"gs1-pickup", "--ai", "05"},
        {"book-code", "--s1", "caf\xC3\xA9"},
        {"multi-label", "--label", "Any Code:AB:C:5:3"},
        {"multi-label", "--label", "Any Code::::100"},
        {"multi-label", "--label", "EAN13"},
        {"multi-label", "--label", "QR Code", "--separator", "Tab"},
        {"direct", "--cut", std::string(501, 'a'), "--paste", ""},
        {"ocr", "--line", "Nx41"},
        {"ocr", "--line", "N:Foo"},
        {"ocr", "--line", "N", "--font", "OCR-C"},
        {"ocr", "--line", "N", "--line", "N", "--line", "N"},
        {"gs1", "--sample", "05123", "--form", "user"},
        {"gs1", "--sample", kSample, "--form", "user", "--delay", "2501"},
        {"gs1", "--sample", kSample, "--form", "brackets", "--row", "10:output=0"},
        {"gs1", "--sample", kSample, "--form", "user", "--row", "17:output=0"},
        {"gs1", "--sample", kSample, "--form", "box"},
        {"read"},
        {"nothing"},
    };
    for (const auto& args : bad) {
        CliRun run = dataedit(args);
        EXPECT_EQ(run.status, 2) << args[0] << " " << (args.size() > 1 ? args[1] : "");
        EXPECT_TRUE(run.out.empty());
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    }
    // A box of a simple wizard takes 32 characters, a direct-input script 500.
    EXPECT_NE(dataedit({"book-code", "--s1", std::string(33, 'x')}).err.find("longer than 32 "),
              std::string::npos);
    EXPECT_NE(dataedit({"direct", "--cut", "", "--paste", std::string(501, 'x')})
                  .err.find("longer than 500 "),
              std::string::npos);
    CliRun noAi = dataedit({"gs1", "--sample", "99", "--form", "fnc1"});
    EXPECT_EQ(noAi.err,
              "omnisetup-cli: The sample yields no AI. The sample was read up to character 3: "
              "an AI's data is incomplete.\n");
}

class CliDataEditReader : public ::testing::Test {
protected:
    void SetUp() override {
        auto responder = std::make_unique<omni::sim::DataEditResponder>();
        dataEdit = responder.get();
        reader.addResponder(std::move(responder));
        reader.start();
    }
    omni::sim::SimulatedReader reader;
    omni::sim::DataEditResponder* dataEdit = nullptr;
};

TEST_F(CliDataEditReader, StoresAndReadsBack) {
    const std::string port = reader.devicePath();
    CliRun sent = dataedit({"gs1-convert", "--ai", "--program", "2", "--port", port});
    EXPECT_EQ(sent.status, 0) << sent.err;
    EXPECT_EQ(sent.out, "Sent to the reader on " + port + ".\n");
    CliRun gs1 = dataedit({"gs1", "--sample", kSample, "--form", "brackets", "--port", port});
    EXPECT_EQ(gs1.status, 0) << gs1.err;
    ASSERT_TRUE(reader.waitForCommands(3, 2s));
    auto transcript = reader.transcript();
    EXPECT_EQ(transcript[1], "Z2");  // the simple wizards save; the GS1 setting does not
    EXPECT_EQ(dataEdit->program(4).cut, kBracketsCut);

    CliRun read = dataedit({"read", "--port", port});
    EXPECT_EQ(read.status, 0) << read.err;
    EXPECT_EQ(read.out,
              "Program1\n  Cut script: \n  Paste script: \nProgram2\n"
              "  Cut script: \\s80\"\\Df00\"(?:<\\Ax>\"\\Ax\\I\\Dx\")+$\n  Paste script: [0]\n"
              "Program3\n  Cut script: \n  Paste script: \nProgram4\n  Cut script: " +
                  kBracketsCut + "\n  Paste script: [0]\\x0d\n");
}

TEST_F(CliDataEditReader, ASilentReaderEndsTheReadWithStatus3) {
    reader.setSilent(true);
    CliRun read = dataedit({"read", "--port", reader.devicePath()});
    EXPECT_EQ(read.status, 3);
    EXPECT_NE(read.err.find("stopped answering"), std::string::npos);
}

}  // namespace
