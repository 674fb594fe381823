#include <gtest/gtest.h>

#include <string>

#include "commands/code_type_table.h"
#include "commands/compose/prefix_suffix.h"
#include "commands/key_table.h"
#include "resources/string_ids.h"
#include "resources/strings.h"

namespace omni::commands::compose {
namespace {

std::size_t key(std::string_view name, bool mode2D = true) {
    const commands::KeyRow* row = findKeyByName(name, mode2D);
    EXPECT_NE(row, nullptr) << name;
    return static_cast<std::size_t>(row - commands::keyTable(mode2D).data());
}

std::size_t codeType(std::string_view name, bool mode2D = true) {
    const auto table = commands::codeTypeTable(mode2D);
    for (std::size_t i = 0; i < table.size(); ++i) {
        if (name == table[i].name) {
            return i;
        }
    }
    ADD_FAILURE() << name;
    return 0;
}

TEST(PrefixSuffix, DefaultKeyFollowsConnectionAndModel) {
    // Without a page: keyboard connection, RETURN in the first code suffix slot.
    commands::compose::PrefixSuffixState state = commands::compose::prefixSuffixStart(true, false, "");
    EXPECT_TRUE(commands::compose::prefixSuffixControls(state).connectionVisible);
    EXPECT_EQ(state.codeSuffix[0], key("RETURN"));
    EXPECT_EQ(commands::compose::composePrefixSuffix(state), "MZPS");
    state.eachCode = true;
    EXPECT_EQ(commands::compose::composePrefixSuffix(state), "RYRZ7I");

    commands::compose::setConnection(state, commands::compose::ConnectionType::Com);
    EXPECT_EQ(state.codeSuffix[0], key("^M(CR)"));
    // A slot the operator changed stays as it is.
    commands::compose::setSlot(state, commands::compose::KeyGroup::CodeSuffix, 0, key("TAB"));
    commands::compose::setConnection(state, commands::compose::ConnectionType::Hid);
    EXPECT_EQ(state.codeSuffix[0], key("TAB"));

    // With a page of a "KVT" reader: CR in the first common suffix slot, no connection choice.
    state = commands::compose::prefixSuffixStart(false, true, "KVT");
    EXPECT_FALSE(commands::compose::prefixSuffixControls(state).connectionVisible);
    EXPECT_EQ(state.commonSuffix[0], key("^M(CR)", false));
    EXPECT_EQ(state.codeSuffix[0], commands::compose::kEmptyKey);
    EXPECT_EQ(commands::compose::composePrefixSuffix(state), "MZ\rPS\r1M\r");
}

TEST(PrefixSuffix, CommonAndPerCodeComposition) {
    commands::compose::PrefixSuffixState state = commands::compose::prefixSuffixStart(true, true, "");
    commands::compose::setSlot(state, commands::compose::KeyGroup::CommonPrefix, 0, key("A"));
    commands::compose::setSlot(state, commands::compose::KeyGroup::CommonPrefix, 3, key("Region Coord."));
    commands::compose::setSlot(state, commands::compose::KeyGroup::CommonSuffix, 7, key("F1"));
    commands::compose::setSlot(state, commands::compose::KeyGroup::CommonSuffix, 8, key("F2"));  // past the group: ignored
    EXPECT_EQ(commands::compose::composePrefixSuffix(state), "MZ0A[DDXPS8J");

    state.eachCode = true;
    state.codeType = codeType("GS1-128");
    commands::compose::setSlot(state, commands::compose::KeyGroup::CodePrefix, 1, key("Date Time(Bluetooth)"));
    EXPECT_EQ(commands::compose::composePrefixSuffix(state), "[XMX[$TM[XOX1M");

    commands::compose::PrefixSuffixState state1D = commands::compose::prefixSuffixStart(false, true, "");
    state1D.eachCode = true;
    state1D.codeType = codeType("Code 39", false);
    commands::compose::setSlot(state1D, commands::compose::KeyGroup::CodePrefix, 0, key("F13", false));
    EXPECT_EQ(commands::compose::composePrefixSuffix(state1D), "M4\r[$EB\rO4\r1M\r");

    // A heading row of the code-type table composes nothing.
    state.codeType = codeType("-----Postal Code-----");
    EXPECT_EQ(commands::compose::composePrefixSuffix(state), "");
}

TEST(PrefixSuffix, HeadingRowsEmptyASlot) {
    commands::compose::PrefixSuffixState state = commands::compose::prefixSuffixStart(true, true, "");
    commands::compose::setSlot(state, commands::compose::KeyGroup::CommonPrefix, 0, key("B"));
    commands::compose::setSlot(state, commands::compose::KeyGroup::CommonPrefix, 0, key("-----ASCII-----"));
    EXPECT_EQ(state.commonPrefix[0], commands::compose::kEmptyKey);
    commands::compose::setSlot(state, commands::compose::KeyGroup::CommonPrefix, 1, 10'000);
    EXPECT_EQ(state.commonPrefix[1], commands::compose::kEmptyKey);
}

TEST(PrefixSuffix, ResetRestoresOnlyTheDefaultSlot) {
    commands::compose::PrefixSuffixState state = commands::compose::prefixSuffixStart(true, true, "");
    commands::compose::setSlot(state, commands::compose::KeyGroup::CodeSuffix, 0, key("X"));
    commands::compose::setSlot(state, commands::compose::KeyGroup::CodeSuffix, 3, key("Y"));
    commands::compose::setSlot(state, commands::compose::KeyGroup::CodePrefix, 2, key("Z"));
    commands::compose::resetGroup(state, commands::compose::KeyGroup::CodeSuffix);
    EXPECT_EQ(state.codeSuffix[0], key("^M(CR)"));
    EXPECT_EQ(state.codeSuffix[3], commands::compose::kEmptyKey);
    EXPECT_EQ(state.codePrefix[2], key("Z"));
    commands::compose::resetGroup(state, commands::compose::KeyGroup::CodePrefix);
    EXPECT_EQ(state.codePrefix[2], commands::compose::kEmptyKey);
    EXPECT_EQ(commands::compose::resetQuestion(commands::compose::KeyGroup::CommonSuffix), u"Do you want to initialize Postamble?");
}

TEST(PrefixSuffix, Preview) {
    commands::compose::PrefixSuffixState state = commands::compose::prefixSuffixStart(true, true, "");
    commands::compose::setSlot(state, commands::compose::KeyGroup::CommonPrefix, 1, key("A"));
    commands::compose::setSlot(state, commands::compose::KeyGroup::CommonPrefix, 4, key("SPACE"));
    commands::compose::setSlot(state, commands::compose::KeyGroup::CommonSuffix, 0, key("TAB"));
    const std::u16string data(res::loadString(res::ids::PreviewData));
    EXPECT_EQ(commands::compose::previewText(state), u"[ A ]+[ SPACE ]+" + data + u"+[ TAB ]");
    state.eachCode = true;
    EXPECT_EQ(commands::compose::previewText(state), data + u"+[ ^M(CR) ]");
}

TEST(PrefixSuffix, CodeTypeChoiceSkipsHeadings) {
    const std::size_t heading = codeType("-----Postal Code-----");
    EXPECT_EQ(commands::compose::chooseCodeType(true, heading, heading - 1), heading + 1);  // moving down
    EXPECT_EQ(commands::compose::chooseCodeType(true, heading, heading + 1), heading - 1);  // moving up
    EXPECT_EQ(commands::compose::chooseCodeType(true, 1, 0), 2u);
    EXPECT_EQ(commands::compose::chooseCodeType(true, 1, 5), 0u);
    EXPECT_EQ(commands::compose::chooseCodeType(true, 500, 0), commands::codeTypeTable(true).size() - 1);
    EXPECT_EQ(commands::compose::chooseCodeType(false, 7, 3), 7u);
}

}  // namespace
}  // namespace omni::commands::compose
