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
    PrefixSuffixState state = prefixSuffixStart(true, false, "");
    EXPECT_TRUE(prefixSuffixControls(state).connectionVisible);
    EXPECT_EQ(state.codeSuffix[0], key("RETURN"));
    EXPECT_EQ(composePrefixSuffix(state), "MZPS");
    state.eachCode = true;
    EXPECT_EQ(composePrefixSuffix(state), "RYRZ7I");

    setConnection(state, ConnectionType::Com);
    EXPECT_EQ(state.codeSuffix[0], key("^M(CR)"));
    // A slot the operator changed stays as it is.
    setSlot(state, KeyGroup::CodeSuffix, 0, key("TAB"));
    setConnection(state, ConnectionType::Hid);
    EXPECT_EQ(state.codeSuffix[0], key("TAB"));

    // With a page of a "KVT" reader: CR in the first common suffix slot, no connection choice.
    state = prefixSuffixStart(false, true, "KVT");
    EXPECT_FALSE(prefixSuffixControls(state).connectionVisible);
    EXPECT_EQ(state.commonSuffix[0], key("^M(CR)", false));
    EXPECT_EQ(state.codeSuffix[0], kEmptyKey);
    EXPECT_EQ(composePrefixSuffix(state), "MZ\rPS\r1M\r");
}

TEST(PrefixSuffix, CommonAndPerCodeComposition) {
    PrefixSuffixState state = prefixSuffixStart(true, true, "");
    setSlot(state, KeyGroup::CommonPrefix, 0, key("A"));
    setSlot(state, KeyGroup::CommonPrefix, 3, key("Region Coord."));
    setSlot(state, KeyGroup::CommonSuffix, 7, key("F1"));
    setSlot(state, KeyGroup::CommonSuffix, 8, key("F2"));  // past the group: ignored
    EXPECT_EQ(composePrefixSuffix(state), "MZ0A[DDXPS8J");

    state.eachCode = true;
    state.codeType = codeType("GS1-128");
    setSlot(state, KeyGroup::CodePrefix, 1, key("Date Time(Bluetooth)"));
    EXPECT_EQ(composePrefixSuffix(state), "[XMX[$TM[XOX1M");

    PrefixSuffixState state1D = prefixSuffixStart(false, true, "");
    state1D.eachCode = true;
    state1D.codeType = codeType("Code 39", false);
    setSlot(state1D, KeyGroup::CodePrefix, 0, key("F13", false));
    EXPECT_EQ(composePrefixSuffix(state1D), "M4\r[$EB\rO4\r1M\r");

    // A heading row of the code-type table composes nothing.
    state.codeType = codeType("-----Postal Code-----");
    EXPECT_EQ(composePrefixSuffix(state), "");
}

TEST(PrefixSuffix, HeadingRowsEmptyASlot) {
    PrefixSuffixState state = prefixSuffixStart(true, true, "");
    setSlot(state, KeyGroup::CommonPrefix, 0, key("B"));
    setSlot(state, KeyGroup::CommonPrefix, 0, key("-----ASCII-----"));
    EXPECT_EQ(state.commonPrefix[0], kEmptyKey);
    setSlot(state, KeyGroup::CommonPrefix, 1, 10'000);
    EXPECT_EQ(state.commonPrefix[1], kEmptyKey);
}

TEST(PrefixSuffix, ResetRestoresOnlyTheDefaultSlot) {
    PrefixSuffixState state = prefixSuffixStart(true, true, "");
    setSlot(state, KeyGroup::CodeSuffix, 0, key("X"));
    setSlot(state, KeyGroup::CodeSuffix, 3, key("Y"));
    setSlot(state, KeyGroup::CodePrefix, 2, key("Z"));
    resetGroup(state, KeyGroup::CodeSuffix);
    EXPECT_EQ(state.codeSuffix[0], key("^M(CR)"));
    EXPECT_EQ(state.codeSuffix[3], kEmptyKey);
    EXPECT_EQ(state.codePrefix[2], key("Z"));
    resetGroup(state, KeyGroup::CodePrefix);
    EXPECT_EQ(state.codePrefix[2], kEmptyKey);
    EXPECT_EQ(resetQuestion(KeyGroup::CommonSuffix), u"Do you want to initialize Postamble?");
}

TEST(PrefixSuffix, Preview) {
    PrefixSuffixState state = prefixSuffixStart(true, true, "");
    setSlot(state, KeyGroup::CommonPrefix, 1, key("A"));
    setSlot(state, KeyGroup::CommonPrefix, 4, key("SPACE"));
    setSlot(state, KeyGroup::CommonSuffix, 0, key("TAB"));
    const std::u16string data(res::loadString(res::ids::PreviewData));
    EXPECT_EQ(previewText(state), u"[ A ]+[ SPACE ]+" + data + u"+[ TAB ]");
    state.eachCode = true;
    EXPECT_EQ(previewText(state), data + u"+[ ^M(CR) ]");
}

TEST(PrefixSuffix, CodeTypeChoiceSkipsHeadings) {
    const std::size_t heading = codeType("-----Postal Code-----");
    EXPECT_EQ(chooseCodeType(true, heading, heading - 1), heading + 1);  // moving down
    EXPECT_EQ(chooseCodeType(true, heading, heading + 1), heading - 1);  // moving up
    EXPECT_EQ(chooseCodeType(true, 1, 0), 2u);
    EXPECT_EQ(chooseCodeType(true, 1, 5), 0u);
    EXPECT_EQ(chooseCodeType(true, 500, 0), commands::codeTypeTable(true).size() - 1);
    EXPECT_EQ(chooseCodeType(false, 7, 3), 7u);
}

}  // namespace
}  // namespace omni::commands::compose
