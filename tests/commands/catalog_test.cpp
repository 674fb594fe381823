#include "commands/catalog.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "commands/menu_command.h"
#include "commands/selector_model.h"
#include "resources/strings.h"

namespace omni::commands {
namespace {

std::string english(std::uint32_t id) {
    return res::toUtf8(res::loadString(id, res::Language::English));
}

// The group at a path of English captions joined by " > ".
const commands::CatalogNode* group(std::string_view path, bool mode2D) {
    std::span<const commands::CatalogNode> level = commands::topLevelGroups(mode2D);
    const commands::CatalogNode* found = nullptr;
    while (!path.empty()) {
        auto at = path.find(" > ");
        std::string_view caption = path.substr(0, at);
        path = at == std::string_view::npos ? std::string_view{} : path.substr(at + 3);
        found = nullptr;
        for (const commands::CatalogNode& node : level)
            if (english(node.labelId) == caption)
                found = &node;
        if (!found)
            return nullptr;
        level = commands::childrenOf(found);
    }
    return found;
}

struct Totals {
    int groups = 0;
    int entries = 0;
    std::map<std::uint32_t, int> kinds;
};

void tally(std::span<const commands::CatalogNode> level, Totals& totals) {
    for (const commands::CatalogNode& node : level) {
        ++totals.groups;
        for (const commands::CatalogEntry& entry : commands::entriesOf(&node)) {
            ++totals.entries;
            ++totals.kinds[static_cast<std::uint32_t>(entry.kind)];
        }
        tally(commands::childrenOf(&node), totals);
    }
}

TEST(Catalog, TopLevelGroups) {
    auto top2D = commands::topLevelGroups(true);
    auto top1D = commands::topLevelGroups(false);
    ASSERT_EQ(top2D.size(), 12u);
    ASSERT_EQ(top1D.size(), 13u);
    EXPECT_EQ(english(top2D.front().labelId), "Back to default");
    EXPECT_EQ(english(top2D.back().labelId), "Interface");
    EXPECT_EQ(english(top1D.back().labelId), "Waveform acquisition");
    EXPECT_EQ(top1D.data()[13].labelId, 0u);  // the array ends with a 0 node
}

TEST(Catalog, SizesAndKinds) {
    Totals t2D, t1D;
    tally(commands::topLevelGroups(true), t2D);
    tally(commands::topLevelGroups(false), t1D);
    EXPECT_EQ(t2D.groups, 239);
    EXPECT_EQ(t2D.entries, 804);
    EXPECT_EQ(t1D.groups, 165);
    EXPECT_EQ(t1D.entries, 570);
    // Entries by kind: {kind, count}.
    using Kinds = std::map<std::uint32_t, int>;
    const Kinds kinds2D = {{0, 715}, {1, 2}, {2, 77}, {3, 1},  {5, 1},  {6, 1}, {7, 1},
                           {8, 1},   {9, 1}, {10, 1}, {11, 1}, {13, 1}, {14, 1}};
    const Kinds kinds1D = {{0, 538}, {1, 1}, {3, 1},  {4, 20}, {5, 1},  {6, 1},  {7, 1},
                           {8, 1},   {9, 1}, {10, 1}, {11, 1}, {13, 1}, {14, 1}, {15, 1}};
    EXPECT_EQ(t2D.kinds, kinds2D);
    EXPECT_EQ(t1D.kinds, kinds1D);
}

TEST(Catalog, RepresentativeGroups) {
    const commands::CatalogNode* readable = group("Setting readable codes", true);
    ASSERT_NE(readable, nullptr);
    EXPECT_TRUE(commands::entriesOf(readable).empty());
    EXPECT_EQ(commands::childrenOf(readable).size(), 4u);

    const commands::CatalogNode* code39 = group("Setting readable codes > 1D Code > Code39", true);
    ASSERT_NE(code39, nullptr);
    ASSERT_EQ(commands::entriesOf(code39).size(), 3u);
    EXPECT_STREQ(commands::entriesOf(code39)[1].command, "B2");
    EXPECT_EQ(english(commands::entriesOf(code39)[1].labelId), "Enable");
    EXPECT_TRUE(commands::childrenOf(code39).empty());

    EXPECT_EQ(
        commands::entriesOf(group("Interface > USB-HID options > Keyboard language", true)).size(),
        26u);
    EXPECT_EQ(
        commands::entriesOf(group("Interface > USB-HID options > Keyboard language", false)).size(),
        23u);
    EXPECT_EQ(
        commands::entriesOf(group("Code Specific Options > Postal Code > Australian Postal", true))
            .size(),
        12u);
    EXPECT_EQ(commands::entriesOf(group("Setting readable codes > GS1 DataBar", false)).size(), 0u);

    auto rs232 = commands::entriesOf(group("Switching the interface(Caution!!)", false));
    ASSERT_EQ(rs232.size(), 3u);
    EXPECT_STREQ(rs232[0].command, "[X.Z\rU2\r[X.Z");
    EXPECT_STREQ(commands::entriesOf(group("Switching the interface(Caution!!)", true))[0].command,
                 "[X.ZU2[X.Z");
}

TEST(Catalog, NumericFieldsOfArgumentEntries) {
    auto fixed = commands::entriesOf(group("Number of characters > 1D Code > Code39", true));
    ASSERT_EQ(fixed.size(), 3u);
    const commands::CatalogEntry& f = fixed[0];
    EXPECT_EQ(f.kind, commands::EntryKind::DecimalArgument);
    EXPECT_STREQ(f.command, "[DC1");
    EXPECT_EQ(f.minValue, 0);
    EXPECT_EQ(f.maxValue, 8000);
    EXPECT_EQ(f.defaultValue, 1);
    EXPECT_EQ(f.digits, 4);
    EXPECT_EQ(f.flags, commands::kOfferInitialize);

    const commands::CatalogEntry& reset =
        commands::entriesOf(group("Read mode > Auto trigger > Double read reset time", true))[0];
    EXPECT_STREQ(reset.command, "[D3R");
    EXPECT_EQ(reset.maxValue, 9999);
    EXPECT_EQ(reset.defaultValue, 70);
    EXPECT_EQ(reset.flags, commands::kOfferInitialize | commands::kOfferInhibit);

    auto byteEntries = commands::entriesOf(group("Number of characters > Code39", false));
    ASSERT_EQ(byteEntries.size(), 4u);
    EXPECT_EQ(byteEntries[2].kind, commands::EntryKind::ByteArgument);
    EXPECT_STREQ(byteEntries[2].command, "[XQL");
    EXPECT_EQ(byteEntries[2].maxValue, 254);
    EXPECT_EQ(byteEntries[2].digits, 2);  // carried by kind 4 entries, never read
    EXPECT_EQ(byteEntries[2].flags, 1);

    const commands::CatalogEntry& most =
        commands::entriesOf(group("Interface > USB-HID options > Output mode", true))[4];
    EXPECT_EQ(most.kind, commands::EntryKind::PrefixSuffix);
    EXPECT_STREQ(most.command, "[X16");
    EXPECT_EQ(most.minValue, 1);
}

// Every entry of both catalogs: a caption in both languages, a known kind, a well-formed command
// and numeric fields that fit the kind.
void checkEntries(std::span<const commands::CatalogNode> level, bool mode2D) {
    for (const commands::CatalogNode& node : level) {
        EXPECT_FALSE(res::loadString(node.labelId, res::Language::Japanese).empty());
        for (const commands::CatalogEntry& e : commands::entriesOf(&node)) {
            const std::string where = english(node.labelId) + " > " + english(e.labelId);
            EXPECT_FALSE(res::loadString(e.labelId, res::Language::English).empty()) << where;
            EXPECT_FALSE(res::loadString(e.labelId, res::Language::Japanese).empty()) << where;
            EXPECT_LE(static_cast<std::uint32_t>(e.kind), 15u) << where;
            const bool number = e.kind == commands::EntryKind::DecimalArgument ||
                                e.kind == commands::EntryKind::ByteArgument;
            if (number) {
                EXPECT_LT(e.minValue, e.maxValue) << where;
                EXPECT_GE(e.defaultValue, e.minValue) << where;
                EXPECT_LE(e.defaultValue, e.maxValue) << where;
            } else if (std::string_view(e.command) != "[X16") {
                EXPECT_EQ(e.minValue | e.maxValue | e.defaultValue | e.digits | e.flags, 0)
                    << where;
            }
            if (e.kind != commands::EntryKind::Command)
                continue;
            std::string_view command = e.command;
            if (command.size() == 1)
                continue;  // the one-letter basic commands
            // Each piece a 1D reader scans separately must be whole tokens.
            while (!command.empty()) {
                auto cr = command.find('\r');
                EXPECT_GT(commands::countTokens(command.substr(0, cr)), 0u) << where;
                command =
                    cr == std::string_view::npos ? std::string_view{} : command.substr(cr + 1);
            }
            if (mode2D) {
                EXPECT_EQ(std::string_view(e.command).find('\r'), std::string::npos);
            }
        }
        checkEntries(commands::childrenOf(&node), mode2D);
    }
}

TEST(Catalog, EveryEntryIsWellFormed) {
    checkEntries(commands::topLevelGroups(true), true);
    checkEntries(commands::topLevelGroups(false), false);
}

TEST(Catalog, CaptionsFollowTheLanguage) {
    const std::uint32_t id =
        commands::entriesOf(group("Setting readable codes > 1D Code > Code39", true))[1].labelId;
    EXPECT_EQ(res::toUtf8(res::loadString(id, res::Language::Japanese)), "有効");
    EXPECT_EQ(english(850), "All Code (Excluding some *)");
}

}  // namespace
}  // namespace omni::commands
