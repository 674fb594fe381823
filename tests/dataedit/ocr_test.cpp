// Free line OCR: line patterns, scripts and the command.
#include <gtest/gtest.h>

#include <vector>

#include "dataedit/ocr.h"

using namespace omni::dataedit;

namespace {

std::vector<std::size_t> line(std::initializer_list<const char*> codes) {
    std::vector<std::size_t> rows;
    for (const char* code : codes)
        rows.push_back(static_cast<std::size_t>(OcrCharTypeOfCode(code)));
    return rows;
}

OcrLine ocrLine(std::size_t row, int digits, std::size_t termination = kOcrTerminationCr) {
    OcrLine l;
    l.positions.fill(row);
    l.digits = digits;
    l.termination = termination;
    return l;
}

}  // namespace

TEST(OcrPatterns, RunsAndTheAdjacentSymbolRule) {
    ASSERT_EQ(OcrCharTypes().size(), kOcrCharTypeCount);
    auto five = line({"N", "N", "N", "N", "N"});
    EXPECT_EQ(BuildOcrLine(five, 5), "(?:[0-9]<..>){5}$");
    auto mixed = line({"N", "N", "A", "A", "A"});
    EXPECT_EQ(BuildOcrLine(mixed, 5), "(?:[0-9]<..>){2}(?:<.>[A-Z]<.>){3}$");
    EXPECT_EQ(BuildOcrLine(mixed, 3), "(?:[0-9]<..>){2}(?:<.>[A-Z]<.>)$");
    std::vector<std::size_t> forty(40, kOcrAlphanumeric);
    EXPECT_EQ(BuildOcrLine(forty, 40), "(?:<..>[0-9A-Z]){40}$");

    EXPECT_EQ(BuildOcrLine(line({"A", "SP", "A"}), 3),
              "(?:<.>[A-Z]<.>)(?:<   >\"\\x20\")(?:<.>[A-Z]<.>)$");
    EXPECT_EQ(BuildOcrLine(line({"SP", "SP"}), 2), "$");
    EXPECT_EQ(BuildOcrLine(line({"N", "-", "/"}), 3), "$");
    EXPECT_EQ(BuildOcrLine(line({"N", "-", "N"}), 3),
              "(?:[0-9]<..>)(?:<...>\"\\x2D\")(?:[0-9]<..>)$");
    // An invalid pair past the line's digits does not count.
    EXPECT_EQ(BuildOcrLine(line({"N", "SP", "SP"}), 2), "(?:[0-9]<..>)(?:<   >\"\\x20\")$");
    EXPECT_EQ(OcrCharTypeOfCode("~"), 35);
    EXPECT_EQ(OcrCharTypeOfCode("B"), -1);
}

TEST(OcrCommand, OneAndTwoLines) {
    OcrSetting setting;
    setting.lines[0] = ocrLine(kOcrNumeric, 5);
    EXPECT_EQ(ComposeOcrCommand(setting),
              "[ED0'(?:[0-9]<..>){5}$'[ED1'[0]\\x0D'[ED2Q1[DKF[DKIQ5[DLTQ0");

    setting.lines[1] = ocrLine(kOcrAlphabetic, 12, 3);  // Enter key
    setting.lines[0].digits = 8;
    setting.lineCount = 2;
    setting.font = 3;
    EXPECT_EQ(ComposeOcrCommand(setting),
              "[ED0'(?:[0-9]<..>){8}$/(?:<.>[A-Z]<.>){12}$'[ED1'[0]\\x0D[1]\\kB2'[ED2Q1"
              "[DKF[DKIQ8[DLTQ3");
    setting.lines[0].digits = 40;
    EXPECT_NE(ComposeOcrCommand(setting).find("[DKIQ1Q2[DLT"), std::string::npos);

    // Back to one line: the second line leaves both scripts.
    setting.lineCount = 1;
    setting.lines[0].termination = 4;  // none
    ScriptPair scripts = BuildOcrScripts(setting);
    EXPECT_EQ(scripts.cut, "(?:[0-9]<..>){40}$");
    EXPECT_EQ(scripts.paste, "[0]");
}
