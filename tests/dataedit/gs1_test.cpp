// The GS1 dictionary, sample parsing, previews and scripts.
#include <gtest/gtest.h>

#include <set>

#include "dataedit/char_tables.h"
#include "dataedit/gs1.h"
#include "dataedit/gs1_dictionary.h"

using namespace omni::dataedit;

namespace {

const std::string kSample = "0104912345678904 10ABC123 3103000150";

// Round brackets balance, not counting escaped ones and output text between double quotes.
bool balanced(std::string_view script) {
    int depth = 0;
    bool quoted = false;
    for (std::size_t i = 0; i < script.size(); ++i) {
        const char c = script[i];
        if (c == '\\') {
            ++i;
        } else if (c == '"') {
            quoted = !quoted;
        } else if (!quoted && c == '(') {
            ++depth;
        } else if (!quoted && c == ')' && --depth < 0) {
            return false;
        }
    }
    return depth == 0 && !quoted;
}

std::vector<GS1Row> rowsOf(std::string_view sample) {
    return ParseGS1Sample(sample).rows;
}

}  // namespace

TEST(GS1Dictionary, EveryAiOnceAndNoneAPrefixOfAnother) {
    std::set<std::string> ais;
    for (const GS1AiRange& range : GS1AiRanges()) {
        ASSERT_EQ(range.first.size(), range.last.size());
        for (int v = std::stoi(std::string(range.first)); v <= std::stoi(std::string(range.last));
             ++v) {
            std::string ai = std::to_string(v);
            ai.insert(0, range.first.size() - ai.size(), '0');
            EXPECT_TRUE(ais.insert(ai).second) << ai;
            auto found = LookUpGS1Ai(ai + "123");
            ASSERT_TRUE(found) << ai;
            EXPECT_EQ(found->digits, ai.size());
            EXPECT_EQ(found->range, &range);
        }
    }
    EXPECT_EQ(ais.size(), kGS1AiCount);
    for (const std::string& a : ais) {
        for (const std::string& b : ais)
            EXPECT_TRUE(a == b || b.rfind(a, 0) != 0) << a << " prefixes " << b;
    }
    EXPECT_FALSE(LookUpGS1Ai("05"));
    EXPECT_FALSE(LookUpGS1Ai("7"));
    EXPECT_FALSE(LookUpGS1Ai("A1"));
    EXPECT_TRUE(FindGS1Ai("3103"));
    EXPECT_FALSE(FindGS1Ai("310"));
    EXPECT_TRUE(FindGS1Ai("235"));
    EXPECT_EQ(GS1TitleList().size(), kGS1AiCount);
    EXPECT_EQ(GS1TitleList()[GS1TitleRowOf("310D")].digits, "310");
    EXPECT_EQ(GS1TitleList()[GS1TitleRowOf("23L")].digits, "23");
    EXPECT_NE(GS1TitleList()[GS1TitleRowOf("414")].title.find("(GLN)"), std::string::npos);
}

TEST(GS1Dictionary, CharacterSet) {
    int count = 0;
    for (int c = 0; c < 256; ++c)
        count += IsGS1Character(static_cast<char>(c)) ? 1 : 0;
    EXPECT_EQ(count, 82);
    EXPECT_FALSE(IsGS1Character('#'));
    EXPECT_FALSE(IsGS1Character(' '));
    EXPECT_TRUE(IsGS1Character('_'));
}

TEST(GS1Parse, FixedVariableAndExtendedAis) {
    GS1Parse parse = ParseGS1Sample(kSample);
    EXPECT_EQ(parse.stop, GS1ParseStop::End);
    ASSERT_EQ(parse.rows.size(), 3u);
    EXPECT_EQ(parse.rows[0].ai, "01");
    EXPECT_EQ(parse.rows[0].parts[0], "04912345678904");
    EXPECT_FALSE(parse.rows[0].variable);
    EXPECT_EQ(parse.rows[1].ai, "10");
    EXPECT_EQ(parse.rows[1].parts[0], "ABC123");
    EXPECT_TRUE(parse.rows[1].variable);
    EXPECT_EQ(parse.rows[2].ai, "3103");
    EXPECT_EQ(parse.rows[2].parts[0], "000150");
    EXPECT_EQ(parse.rows[2].partCount, 1u);

    // Group separators, a symbology identifier, a CR after the last field (no separator).
    auto rows = rowsOf(
        "]C1"
        "10LOT7\x1D"
        "3912978"
        "1250\r\n");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1].ai, "3912");
    EXPECT_EQ(rows[1].parts[0], "978");
    EXPECT_EQ(rows[1].parts[1], "1250");

    // Components after a variable one come from the end of the field; 2x+1 characters for 23x.
    rows = rowsOf("4312345678901ABC9 2325abcde");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].partCount, 4u);
    EXPECT_EQ(rows[0].parts[2], "ABC");
    EXPECT_EQ(rows[0].parts[3], "9");
    EXPECT_EQ(rows[1].ai, "232");
    EXPECT_EQ(rows[1].parts[0], "5abcd");  // five characters for x = 2
}

TEST(GS1Parse, TheFirstErrorEndsTheParse) {
    // A variable field not ended by a separator runs on into what follows.
    auto rows = rowsOf("10ABC1233103000150");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].parts[0], "ABC1233103000150");

    std::string eleven;
    for (int i = 0; i < 11; ++i)
        eleven += "21S" + std::to_string(i) + " ";
    GS1Parse parse = ParseGS1Sample(eleven);
    EXPECT_EQ(parse.rows.size(), 10u);
    EXPECT_EQ(parse.stop, GS1ParseStop::RowLimit);

    struct Case {
        const char* sample;
        std::size_t rows;
        GS1ParseStop stop;
    } cases[] = {
        {"0104912345678904 05123", 1, GS1ParseStop::UnknownAi},
        {"0104912345678904 11AB0101", 1, GS1ParseStop::BadCharacter},
        {"10AB#C", 0, GS1ParseStop::BadCharacter},
        {"01049123456789", 0, GS1ParseStop::MissingData},
        {"0104912345\x1D"
         "678904",
         0, GS1ParseStop::MissingData},
        {"17 ", 0, GS1ParseStop::MissingData},
        {"10 01", 0, GS1ParseStop::MissingData},
        {"10ABCDEFGHIJKLMNOPQRSTU", 0, GS1ParseStop::TooLong},
        {"310", 0, GS1ParseStop::MissingData},
        {"310X000150", 0, GS1ParseStop::UnknownAi},
        {"", 0, GS1ParseStop::End},
    };
    for (const Case& c : cases) {
        GS1Parse p = ParseGS1Sample(c.sample);
        EXPECT_EQ(p.rows.size(), c.rows) << c.sample;
        EXPECT_EQ(p.stop, c.stop) << c.sample;
    }
}

TEST(GS1Scripts, ReadyForms) {
    auto rows = rowsOf(kSample);
    ScriptPair brackets = BuildGS1Scripts(ReadyFormOptions(GS1Form::Brackets), rows);
    EXPECT_EQ(brackets.cut,
              "\\s80\"\\Df00\"(?:<\\Ax>\"\\Ax\\(\\I\\)\\D1(\\D2|)(\\D3|)(\\D4|)\"(?:$|\"\"))+$");
    EXPECT_EQ(brackets.paste, "[0]\\x0d");
    EXPECT_TRUE(balanced(brackets.cut));

    ScriptPair separated = BuildGS1Scripts(ReadyFormOptions(GS1Form::Separated), rows);
    EXPECT_EQ(separated.cut,
              "\\s80\"\\Df02\"(?:<\\Ax>\"\\Ax\\D1(\\D2|)(\\D3|)(\\D4|)\"(?:$|\"\\x2F\\x3A\"))+$");
    ScriptPair fnc1 = BuildGS1Scripts(ReadyFormOptions(GS1Form::Fnc1), rows);
    EXPECT_EQ(fnc1.cut,
              "(?:\\ST\\Su\\St\\Sy\\So\"\\Sa\"|)\\s80\"\\Df00\"(?:<\\Ax>\"\\Ax\\I\\D1(\\D2|)"
              "(\\D3|)(\\D4|)\"(?:<\\s80>\"\\x1D\"|)(?:$|\"\"))+$/\\ST.+$");
    for (const ScriptPair* s : {&separated, &fnc1})
        EXPECT_TRUE(balanced(s->cut));

    EXPECT_EQ(GS1StoreCommand(brackets, false), "[ED0'" + brackets.cut + "'[ED1'[0]\\x0d'[ED2Q4");
    EXPECT_EQ(GS1StoreCommand(brackets, true).substr(GS1StoreCommand(brackets, false).size()),
              "RZ1M");
    EXPECT_EQ(GS1StartCommand(false), "[X/0OG[ED0'\\s80(?:<\\s80>\"\\x20\"|.)+$'[ED1'[0]'[ED2Q4");
    EXPECT_EQ(GS1StartCommand(true), GS1StartCommand(false) + "RZ");
    EXPECT_EQ(GS1CancelCommand(), "[ED0''[ED1''[ED2Q4");
}

TEST(GS1Scripts, UserSetting) {
    auto rows = rowsOf(kSample);
    GS1Options options = ReadyFormOptions(GS1Form::User);
    rows[0].header1 = "\\x02";
    rows[1].header2 = "\\x03";  // ignored while header 1 is unset
    rows[1].terminator1 = "0";  // unset
    rows[2].terminator1 = "\\kB2";
    rows[2].terminator2 = "\\kB1";
    ScriptPair s = BuildGS1Scripts(options, rows);
    const std::string d = "\\D1(\\D2|)(\\D3|)(\\D4|)";
    EXPECT_EQ(s.cut, "\\s80\"\\Df00\"(?:<\\A01>|<\\A10>|<\\A3103>|<\\Ax>\"\\Ax\\I" + d + "\")+$");
    EXPECT_EQ(s.paste, "\\x02(\\A01[0]\\I" + d + "|)(\\A10[0]\\I" + d + "|)(\\A3103[0]\\I" + d +
                           "|)\\kB2\\kB1\\x0d");
    EXPECT_TRUE(balanced(s.cut));
    EXPECT_TRUE(balanced(s.paste));

    // Between-data characters and delays go between output rows, not after the last one.
    options.between = true;
    options.s1 = kRowSlash;
    options.delay = true;
    options.delayMs = ParseDelayText("125");
    options.multiSeparator = true;
    options.m2 = kRowColon;  // ignored without M1
    options.aimId = true;
    options.outputOtherAis = true;
    options.code128OnError = false;
    rows[0].output = rows[1].output = false;
    s = BuildGS1Scripts(options, rows);
    const std::string dd = "\\D1(\\d0C\\D2|)(\\d0C\\D3|)(\\d0C\\D4|)";
    EXPECT_EQ(s.paste, "\\Sa[0](\\A3103[0]\\I" + dd + "|)\\kB2\\kB1[0]\\x0d");
    EXPECT_EQ(s.cut.substr(0, 18), "(\\ST\\Su\\St\\Sy\\So|)");
    EXPECT_EQ(s.cut.substr(s.cut.size() - 10), ")+$/\\ST.+$");
    rows[0].output = true;
    s = BuildGS1Scripts(options, rows);
    EXPECT_NE(s.paste.find("|)\\x2F\\d0C(\\A3103"), std::string::npos);
}

TEST(GS1Scripts, DelayRule) {
    EXPECT_EQ(ParseDelayText("2500"), 2500);
    EXPECT_EQ(ParseDelayText("125"), 120);
    EXPECT_EQ(ParseDelayText("5"), 0);
    for (const char* bad : {"2501", "12345", "", "1a", "-10", " 10"})
        EXPECT_EQ(ParseDelayText(bad), 0) << bad;
    EXPECT_EQ(DelayElement(2500), "\\dFA");
    EXPECT_EQ(DelayElement(120), "\\d0C");
    EXPECT_EQ(DelayElement(0), "\\d00");
    GS1Options options = ReadyFormOptions(GS1Form::Brackets);
    options.delay = true;
    options.delayMs = 2500;
    ScriptPair s = BuildGS1Scripts(options, rowsOf(kSample));
    EXPECT_NE(s.cut.find("\\D1(\\dFA\\D2|)"), std::string::npos);
    EXPECT_NE(s.cut.find("(?:$|\"\\dFA\")"), std::string::npos);
}

TEST(GS1Preview, FormsAndCharacters) {
    auto rows = rowsOf(kSample);
    EXPECT_EQ(GS1Preview(ReadyFormOptions(GS1Form::Brackets), rows),
              "(01)04912345678904(10)ABC123(3103)000150");
    EXPECT_EQ(GS1Preview(ReadyFormOptions(GS1Form::Separated), rows),
              "04912345678904/:ABC123/:000.150");
    EXPECT_EQ(GS1Preview(ReadyFormOptions(GS1Form::Fnc1), rows),
              "[AIM ID]0104912345678904"
              "10ABC123[GS]3103000150");

    GS1Options user = ReadyFormOptions(GS1Form::User);
    rows[0].header1 = "\\kB2";
    rows[0].header2 = "\\x20";
    rows[1].header2 = "\\x2D";  // no header 1
    rows[1].terminator1 = "\\x2D";
    EXPECT_EQ(GS1Preview(user, rows), "01[Enter] 0491234567890410ABC123-3103000150");
    rows[2].output = false;
    user.between = true;
    user.s1 = kRowGS;
    EXPECT_EQ(GS1Preview(user, rows), "01[Enter] 04912345678904[GS]10ABC123-");
    // 30 and 37 are counts, not measures.
    EXPECT_EQ(GS1Preview(ReadyFormOptions(GS1Form::Separated), rowsOf("3012 3712")), "12/:12");
}
