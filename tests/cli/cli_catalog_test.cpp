// The catalog, resolve and tokens commands of omnisetup-cli, run as a separate process.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "run_shell.h"

namespace {

using CliRun = omni::test::ShellRun;

// omnisetup-cli with `args`, its messages in `lang`.
CliRun cli(const std::vector<std::string>& args, const char* lang = "en") {
    const std::string program = std::string("OMNISETUP_LANG=") + lang + " " + OMNI_CLI_PATH;
    return omni::test::runShellApart(omni::test::commandLine(program, args));
}

TEST(CliResolve, PlainEntry) {
    CliRun run = cli({"resolve", "Setting readable codes > 1D Code > Code39 > Enable"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "B2\tSetting readable codes > 1D Code > Code39 > Enable\n");
}

TEST(CliResolve, OneDimensionalEntrySplitsIntoItems) {
    CliRun run = cli({"resolve", "--1d",
                      "Switching the interface(Caution!!) > Switching to RS-232C(Caution!!)"});
    EXPECT_EQ(run.status, 0);
    const std::string label =
        "Switching the interface(Caution!!) > Switching to RS-232C(Caution!!)";
    EXPECT_EQ(run.out, "[X.Z\t" + label + "\nU2\t" + label + " > U2\n[X.Z\t" + label + " > [X.Z\n");
}

TEST(CliResolve, NumberArguments) {
    const std::string path = "Number of characters > 1D Code > Code39 > Fixed length";
    CliRun run = cli({"resolve", path, "--value", "9000"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "[DC1Q8Q0Q0Q0\t" + path + "\n");  // 9000 is clamped to the range's end
    EXPECT_NE(run.err.find("9000 is outside the range 0 to 8000"), std::string::npos) << run.err;
    EXPECT_EQ(cli({"resolve", path, "--initialize"}).out, "[DC1\t" + path + "\n");

    // 1D byte argument: the digits become their own item, named by the key table.
    const std::string minimum = "Number of characters > Code39 > Minimum length";
    EXPECT_EQ(cli({"resolve", "--1d", minimum, "--value", "10"}).out,
              "[XQL\t" + minimum + "\n[$0A\t" + minimum + " > [$0A\n");

    // Inhibit is not offered by this entry; a number is missing; not a number.
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"resolve", path, "--inhibit"},
             {"resolve", path},
             {"resolve", path, "--value", "12x"},
             {"resolve", path, "--value", "1", "--initialize"},
             {"resolve", "Save setting > Save as startup setting", "--value", "1"}}) {
        CliRun bad = cli(args);
        EXPECT_NE(bad.status, 0) << args.back();
        EXPECT_TRUE(bad.out.empty()) << args.back();
        EXPECT_FALSE(bad.err.empty()) << args.back();
    }
}

TEST(CliArguments, AMissingOrBadValueSaysWhatIsWrong) {
    CliRun noOutput = cli({"menucode", "--command", "B2"});
    EXPECT_EQ(noOutput.status, 2);
    EXPECT_NE(noOutput.err.find("needs an output file"), std::string::npos) << noOutput.err;
    CliRun badSize = cli({"menucode", "--module-size", "0", "-o", "/tmp/omni-never.png"});
    EXPECT_EQ(badSize.status, 2);
    EXPECT_NE(badSize.err.find("from 1 to 64, not \"0\""), std::string::npos) << badSize.err;
}

TEST(CliResolve, DialogEntriesAndUnknownPaths) {
    CliRun dialog = cli({"resolve", "Indicator > Indicator > Buzzer"});
    EXPECT_NE(dialog.status, 0);
    EXPECT_NE(dialog.err.find("desktop program"), std::string::npos) << dialog.err;

    CliRun unknown = cli({"resolve", "Setting readable codes > 1D Kode > Code39 > Enable"});
    EXPECT_NE(unknown.status, 0);
    EXPECT_TRUE(unknown.out.empty());
    EXPECT_NE(unknown.err.find("\"1D Kode\""), std::string::npos) << unknown.err;

    CliRun japanese = cli({"resolve", "Save setting > Nothing"}, "ja");
    EXPECT_NE(japanese.err.find("「Nothing」"), std::string::npos) << japanese.err;
}

TEST(CliCatalog, TreeFormat) {
    CliRun run = cli({"catalog"});
    EXPECT_EQ(run.status, 0);
    EXPECT_TRUE(run.out.starts_with(
        "Back to default\n  Custom default\t[BAP\t0\n  Factory default (RS-232C)\tU2\t0\n"));
    EXPECT_NE(run.out.find("\nSetting readable codes\n  All Code (Excluding add-on and OCR)\n"
                           "    Enable\tA0\t0\n"),
              std::string::npos);
    EXPECT_NE(run.out.find("\n      Fixed length\t[DC1\t2\n"), std::string::npos);

    CliRun oneD = cli({"catalog", "--1d"});
    EXPECT_NE(oneD.out.find("\n  Switching to RS-232C(Caution!!)\t[X.Z\\rU2\\r[X.Z\t0\n"),
              std::string::npos);
    EXPECT_NE(oneD.out.find("\nWaveform acquisition\n  Waveform acquisition\t\t15\n"),
              std::string::npos);
    EXPECT_NE(cli({"catalog", "--2d"}).status, 0);
}

TEST(CliTokens, CountsTokens) {
    EXPECT_EQ(cli({"tokens", "[X.ZU2[X.Z"}).out, "3\n");
    EXPECT_EQ(cli({"tokens", "[BC"}).out, "0\n");
    // "\r" is one byte (a 2-byte token with its neighbour), not two.
    EXPECT_EQ(cli({"tokens", "[EBC\\rQ0\\r"}).out, "3\n");
}

}  // namespace
