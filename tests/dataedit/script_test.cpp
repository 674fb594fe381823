// Escaping of operator text, the character and code-type tables, the simple wizards' templates
// and the store command.
#include <gtest/gtest.h>

#include "dataedit/char_tables.h"
#include "dataedit/script_text.h"
#include "dataedit/templates.h"

using namespace omni::dataedit;

namespace {

std::string escaped(std::string text, int expectedCount) {
    EXPECT_EQ(EscapeScriptText(text), expectedCount) << text;
    return text;
}

}  // namespace

TEST(Escaping, OperatorTextBecomesScriptText) {
    EXPECT_EQ(escaped("a'b", 3), "a\\''b");
    EXPECT_EQ(escaped("A-1", 3), "A\\-1");
    EXPECT_EQ(escaped("\\x0D", 1), "\\x0D");
    EXPECT_EQ(escaped("", 0), "");
    // Letters, digits, space and control characters stay; DEL and the rest get a backslash.
    EXPECT_EQ(escaped("Ab 9\t", 5), "Ab 9\t");
    EXPECT_EQ(escaped("/\x7F{", 3), "\\/\\\x7F\\{");
    // The operator's own escapes: hex escapes count once, any other pair counts once too.
    EXPECT_EQ(escaped("\\kB2\\d0c\\q1F\\s80x", 5), "\\kB2\\d0c\\q1F\\s80x");
    EXPECT_EQ(escaped("\\n\\\\", 2), "\\n\\\\");
    // A backslash and a quote are copied as typed, like any other pair.
    EXPECT_EQ(escaped("\\'", 1), "\\'");
}

TEST(Escaping, RefusedTextsAreLeftAsTheyWere) {
    for (const char* bad : {"\\x0G", "ab\\", "\\k1", "\\d", "caf\xC3\xA9", "\\\xC3\xA9"}) {
        std::string text = bad;
        EXPECT_EQ(EscapeScriptText(text), -1) << bad;
        EXPECT_EQ(text, bad);
    }
    EXPECT_EQ(CheckScriptText("ab\\"), TextProblem::LoneBackslash);
    EXPECT_EQ(CheckScriptText("\\x0G"), TextProblem::BadHexEscape);
    EXPECT_EQ(CheckScriptText("\xFF"), TextProblem::NonAscii);
    EXPECT_EQ(CheckScriptText("a'b"), TextProblem::None);
}

TEST(CharacterTable, RowsAndLookups) {
    ASSERT_EQ(CharTable().size(), 158u);
    // Sample rows: their escapes, then their names.
    const std::pair<std::size_t, std::string_view> escapes[] = {
        {0, ""},       {30, "\\x1D"}, {33, "\\x7F"},  {50, "\\x3A"},
        {66, "\\x7E"}, {67, "\\x30"}, {128, "\\x7A"}, {129, "\\kF0"}};
    for (const auto& [row, escape] : escapes)
        EXPECT_EQ(CharRowAt(row).escape, escape) << "row " << row;
    const std::pair<std::size_t, std::string_view> names[] = {
        {1, "NULL"}, {34, "\"SPACE\""}, {49, "/"}, {157, "Alt"}, {999, ""}};
    for (const auto& [row, name] : names)
        EXPECT_EQ(CharRowAt(row).name, name) << "row " << row;
    EXPECT_EQ(CharDisplayText(47), "-(Hyphen)");
    EXPECT_EQ(CharDisplayText(CharRowOfEscape("\\x5F")), "_(UnderBar)");
    EXPECT_EQ(CharRowOfEscape("\\kB2"), 149u);  // Enter
    EXPECT_EQ(CharRowOfEscape("\\x1d"), 0u);    // exact comparison
    EXPECT_EQ(CharRowOfEscape(""), 0u);
    EXPECT_EQ(CharRowOfName("Enter"), 149);
    // Every escape fits its 8-byte slot and all but the empty row are distinct.
    for (std::size_t i = 1; i < CharTable().size(); ++i) {
        EXPECT_LE(CharRowAt(i).escape.size(), kMaxCharEscape);
        EXPECT_EQ(CharRowOfEscape(CharRowAt(i).escape), i);
    }
}

TEST(CodeTypeTable, RowsAndSelectors) {
    ASSERT_EQ(CodeTypes().size(), 52u);
    EXPECT_EQ(CodeTypes()[0].selector, 0);
    EXPECT_EQ(CodeTypes()[CodeTypeOfName("EAN-13")].selector, 'B');
    EXPECT_EQ(CodeTypes()[CodeTypeOfName("Codabar CX")].selector, 'f');
    EXPECT_EQ(CodeTypes()[51].name, "Australian Postal Code");
    EXPECT_EQ(CodeTypeOfName("EAN13"), -1);
}

TEST(StoreCommand, ComposedAndChecked) {
    EXPECT_EQ(ComposeStoreCommand("C", "P", 4), "[ED0'C'[ED1'P'[ED2Q4");
    EXPECT_EQ(ReadProgramCommand(2), "[ED5Q2");
    EXPECT_EQ(CheckStore({"a", "b"}, 5), StoreProblem::BadProgram);
    EXPECT_EQ(CheckStore({std::string(1024, 'a'), ""}, 1), StoreProblem::ScriptTooLong);
    EXPECT_EQ(CheckStore({std::string(1000, 'a'), std::string(100, 'b')}, 1),
              StoreProblem::CommandTooLong);
    EXPECT_EQ(CheckStore({std::string(1004, 'a'), ""}, 1), StoreProblem::None);  // 1022 bytes
    EXPECT_EQ(CheckStore({std::string(1005, 'a'), ""}, 1), StoreProblem::CommandTooLong);
}

TEST(Templates, GS1Conversion) {
    GS1ConversionChoices none;
    TemplateResult plain = BuildGS1Conversion(none);
    ASSERT_TRUE(plain.ok());
    EXPECT_EQ(plain.scripts.cut, "\\s80\"\\Df00\"(?:<\\Ax>\"\\Ax\\Dx\")+$");
    EXPECT_EQ(plain.scripts.paste, "[0]");
    EXPECT_EQ(ComposeStoreCommand(plain.scripts.cut, plain.scripts.paste, 1),
              "[ED0'\\s80\"\\Df00\"(?:<\\Ax>\"\\Ax\\Dx\")+$'[ED1'[0]'[ED2Q1");

    GS1ConversionChoices all;
    all.insertBeginEnd = true;
    all.begin = "<";
    all.end = "a'";
    all.outputAi = all.aiInBrackets = true;
    all.insertBetween = true;
    all.between = "/";
    all.insertAfterFlexible = true;
    all.afterFlexible = "\\x1D";
    all.suppressDd = all.decimalPoint = true;
    TemplateResult full = BuildGS1Conversion(all);
    EXPECT_EQ(full.scripts.cut,
              "\\s80\"\\Df03\"(?:<\\Ax>\"\\Ax\\(\\I\\)\\Dx\"(?:<\\s80>\"\\x1D\")?"
              "(?:$|\"\\/\"))+$");
    EXPECT_EQ(full.scripts.paste, "\\<[0]a\\''");

    all.aiInBrackets = false;
    all.suppressDd = false;
    EXPECT_NE(BuildGS1Conversion(all).scripts.cut.find("\"\\Df02\"(?:<\\Ax>\"\\Ax\\I\\Dx\""),
              std::string::npos);

    all.between = "\\x0G";
    TemplateResult refused = BuildGS1Conversion(all);
    EXPECT_FALSE(refused.ok());
    EXPECT_EQ(refused.problem, TextProblem::BadHexEscape);
    EXPECT_EQ(refused.refusedText, "\\x0G");
    all.between = std::string(33, 'a');
    EXPECT_EQ(BuildGS1Conversion(all).problem, TextProblem::TooLong);
}

TEST(Templates, GS1PickupAndBookCode) {
    GS1PickupChoices pickup;
    pickup.lead = "#";
    pickup.fields = {{"01", ","}, {"17", ""}};
    pickup.decimalPoint = true;
    TemplateResult p = BuildGS1Pickup(pickup);
    EXPECT_EQ(p.scripts.cut, "\\s80\\Ax+$");
    EXPECT_EQ(p.scripts.paste, "\\Df02\\#\\A01[0]\\Dx\\,\\A17[0]\\Dx");
    pickup.fields[1].ai.clear();  // left on "----"
    p = BuildGS1Pickup(pickup);
    EXPECT_FALSE(p.ok());
    EXPECT_EQ(p.invalidItem, 1);

    BookCodeChoices book;
    book.strings = {"ISBN", "-", "", "\\kB2"};
    TemplateResult b = BuildBookCode(book);
    EXPECT_EQ(b.scripts.cut, "\\SB978([0-9]{9})[0-9]$/\\SB192([0-9]{4})0*([0-9]+)[0-9]$");
    EXPECT_EQ(b.scripts.paste, "ISBN[0,1]\\-[1,1][1,2]\\kB2");
    book.fixPriceTo5Digits = true;
    EXPECT_EQ(BuildBookCode(book).scripts.cut,
              "\\SB978([0-9]{9})[0-9]$/\\SB192([0-9]{4})([0-9]{5})[0-9]$");
}

TEST(Templates, MultipleLabels) {
    MultiLabelChoices one;
    one.labels = {{static_cast<std::size_t>(CodeTypeOfName("EAN-13")), "A", "", 5, 20}};
    TemplateResult r = BuildMultiLabel(one);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.scripts.cut, "\\SBA(.{4,19})$");
    EXPECT_EQ(r.scripts.paste, "[0]");

    MultiLabelChoices two;
    two.labels = {{0, "", "", 1, 99},
                  {static_cast<std::size_t>(CodeTypeOfName("QR Code")), "<", "\\x0D", 1, 2}};
    two.begin = "\\x02";
    two.separators = {"\\kB1", "\\kB2", "\\kB3"};  // only the first sits between two labels
    two.end = "\\x03";
    r = BuildMultiLabel(two);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.scripts.cut, "(.{1,99})$/\\Su\\<(.{0,0})\\x0D$");  // counts clamped at 0
    EXPECT_EQ(r.scripts.paste, "\\x02[0]\\kB1[1]\\x03");
    two.dropBeginEnd = true;
    EXPECT_EQ(BuildMultiLabel(two).scripts.paste, "\\x02[0,1]\\kB1[1,1]\\x03");

    // Minimum above maximum once the begin and end lengths are taken off; a refused text.
    MultiLabelChoices bad;
    bad.labels = {{0, "", "", 1, 99}, {0, "AB", "C", 5, 3}};
    r = BuildMultiLabel(bad);
    EXPECT_TRUE(r.choiceInvalid);
    EXPECT_EQ(r.invalidItem, 1);
    bad.labels = {{0, "\\", "", 1, 99}};
    r = BuildMultiLabel(bad);
    EXPECT_EQ(r.problem, TextProblem::LoneBackslash);
    EXPECT_EQ(r.invalidItem, 0);
    EXPECT_FALSE(BuildMultiLabel(MultiLabelChoices{}).ok());
}

TEST(Templates, DirectInputTakenAsTyped) {
    TemplateResult r = BuildDirectInput("(.*)'", "[0]");
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.scripts, (ScriptPair{"(.*)'", "[0]"}));
    EXPECT_EQ(BuildDirectInput(std::string(501, 'a'), "").problem, TextProblem::TooLong);
    EXPECT_EQ(BuildDirectInput("", "\xE9").problem, TextProblem::NonAscii);
    EXPECT_EQ(CheckStore({std::string(500, 'a'), std::string(500, 'b')}, 4), StoreProblem::None);
}
