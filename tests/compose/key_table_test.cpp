#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "commands/code_type_table.h"
#include "commands/key_table.h"
#include "resources/string_ids.h"
#include "resources/strings.h"

namespace omni::commands::compose {
namespace {

std::map<std::string, std::string> commandsByName(bool mode2D) {
    std::map<std::string, std::string> out;
    for (const commands::KeyRow& row : commands::keyTable(mode2D)) {
        if (!commands::isHeading(row)) {
            out[row.name] = writtenKeyCommand(row);
        }
    }
    return out;
}

TEST(KeyTable, RowsThatDifferBetweenTheModes) {
    const auto keys2D = commandsByName(true);
    const auto keys1D = commandsByName(false);
    EXPECT_EQ(keys2D.at("Region Coord."), "[DDX");
    EXPECT_EQ(keys2D.count("F13"), 0u);
    EXPECT_EQ(keys1D.count("Bank Index"), 0u);
    EXPECT_EQ(keys1D.at("F13"), "[$EB");
    EXPECT_EQ(keys1D.at("F24"), "[$FB");
    // Every other row is the same in both.
    for (const auto& [name, command] : keys1D) {
        if (keys2D.count(name)) {
            EXPECT_EQ(keys2D.at(name), command) << name;
        }
    }
}

TEST(KeyTable, CharacterAndKeyRowsFollowTheReaderCodes) {
    for (bool mode2D : {true, false}) {
        const auto keys = commandsByName(mode2D);
        EXPECT_EQ(keys.at("SPACE"), "5A");
        EXPECT_EQ(keys.at("!"), "5B");
        EXPECT_EQ(keys.at("/"), "5P");
        EXPECT_EQ(keys.at(":"), "6A");
        EXPECT_EQ(keys.at("@"), "6G");
        EXPECT_EQ(keys.at("["), "7A");
        EXPECT_EQ(keys.at("`"), "7F");
        EXPECT_EQ(keys.at("~"), "9W");
        EXPECT_EQ(keys.at("9"), "Q9");
        EXPECT_EQ(keys.at("Z"), "0Z");
        EXPECT_EQ(keys.at("z"), "$Z");
        EXPECT_EQ(keys.at("^M(CR)"), "1M");
        EXPECT_EQ(keys.at("^\\(FS)"), "9B");
        EXPECT_EQ(keys.at("F12"), "8U");
        EXPECT_EQ(keys.at("RETURN"), "7I");
        EXPECT_EQ(keys.at("Date Time(Bluetooth)"), "[$TM");
        EXPECT_EQ(std::string(commands::keyTable(mode2D).front().name), "--------------------");
        EXPECT_EQ(std::string(commands::keyTable(mode2D).back().name), "CAPSLOCK");
    }
}

TEST(KeyTable, CommandsAreUniqueAndFoundAgain) {
    for (bool mode2D : {true, false}) {
        std::set<std::string> seen;
        for (const commands::KeyRow& row : commands::keyTable(mode2D)) {
            if (commands::isHeading(row)) {
                EXPECT_EQ(writtenKeyCommand(row), "");
                continue;
            }
            const std::string command = writtenKeyCommand(row);
            EXPECT_TRUE(seen.insert(command).second) << row.name;
            EXPECT_EQ(commands::findKeyByCommand(command, mode2D), &row);
        }
    }
    EXPECT_EQ(commands::findKeyByCommand("", true), nullptr);
    EXPECT_EQ(commands::findKeyByCommand("[DDX", false), nullptr);  // a 2D-only row
    EXPECT_EQ(commands::findKeyByCommand("DDX", true), nullptr);  // the bare body is not a command
    EXPECT_EQ(writtenKeyCommand(commands::KeyRow{"x", "ABCD"}), "]ABCD");
}

TEST(CodeTypeTable, OneDimensionalRowsAreASubsetOfTheTwoDimensional) {
    const auto rows2D = commands::codeTypeTable(true);
    const auto rows1D = commands::codeTypeTable(false);
    ASSERT_EQ(rows2D.size(), 60u);
    ASSERT_EQ(rows1D.size(), 32u);

    std::map<std::string, std::pair<std::string, std::string>> commands2D;
    int separators2D = 0;
    for (const commands::CodeTypeRow& row : rows2D) {
        ASSERT_NE(row.name, nullptr);
        if (commands::isSeparator(row)) {
            ++separators2D;
            continue;
        }
        commands2D[row.name] = {row.prefixCommand, row.suffixCommand};
    }
    EXPECT_EQ(separators2D, 5);
    for (const commands::CodeTypeRow& row : rows1D) {
        if (!commands::isSeparator(row)) {
            EXPECT_EQ(commands2D.at(row.name), std::make_pair(std::string(row.prefixCommand),
                                                              std::string(row.suffixCommand)))
                << row.name;
        }
    }
    EXPECT_EQ(rows1D[1].name, std::string("-------1D Code-------"));
    EXPECT_EQ(rows1D.back().name, std::string("Codablock-F"));
}

TEST(CodeTypeTable, FirstRowIsAllCodesFromTheStringTable) {
    for (bool mode2D : {true, false}) {
        const commands::CodeTypeRow& all = commands::codeTypeTable(mode2D).front();
        EXPECT_EQ(std::string(all.name), res::loadStringUtf8(res::ids::AllCodesCaption));
        EXPECT_EQ(std::string(all.prefixCommand), "RY");
        EXPECT_EQ(std::string(all.suffixCommand), "RZ");
    }
    EXPECT_EQ(std::string(commands::codeTypeTable(true).front().name),
              "All Code (Excluding some *)");
}

}  // namespace
}  // namespace omni::commands::compose
