// The command box history and the main window's layout records, as stored in the settings.
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "app/gui/layout_records.h"
#include "commands/gui/command_box_history.h"
#include "foundation/settings_store.h"

namespace {

using omni::commands::CommandBoxHistory;
using omni::commands::CommandBoxRecord;

std::u16string u16(const std::string& text) {
    return std::u16string(text.begin(), text.end());
}

std::string keyFor(const char* test) {
    return std::string("Software\\Kestrel\\Test-") + test;
}

TEST(CommandBoxHistory, KeepsNewestSixteenWithoutDuplicates) {
    CommandBoxHistory history;
    for (int i = 1; i <= 17; ++i)
        history.add(u16("C" + std::to_string(i)));
    auto entries = history.entries();
    ASSERT_EQ(entries.size(), 16u);
    EXPECT_EQ(entries.front(), u"C17");
    EXPECT_EQ(entries.back(), u"C2");
    EXPECT_EQ(history.record().count, 17u);

    // The same text in another letter case takes the next slot (the oldest, C2, goes) and its
    // older copy is removed, so it is listed once.
    history.add(u"c9");
    entries = history.entries();
    EXPECT_EQ(entries.size(), 15u);
    EXPECT_EQ(entries.front(), u"c9");
    EXPECT_EQ(std::count_if(entries.begin(), entries.end(),
                            [](const std::u16string& e) {
                                return omni::commands::equalIgnoringCase(e, u"C9");
                            }),
              1);
    EXPECT_EQ(entries.back(), u"C3");
    // The removed duplicate freed a slot, so the oldest entry survives the next add...
    history.add(u"NEW");
    entries = history.entries();
    EXPECT_EQ(entries.size(), 16u);
    EXPECT_EQ(entries.back(), u"C3");
    // ...and goes with the one after it.
    history.add(u"NEWER");
    entries = history.entries();
    EXPECT_EQ(entries.size(), 16u);
    EXPECT_EQ(entries.back(), u"C4");
}

TEST(CommandBoxHistory, IgnoresEmptyTextAndCutsLongText) {
    CommandBoxHistory history;
    history.add(u"");
    EXPECT_TRUE(history.entries().empty());
    history.add(std::u16string(2000, u'A'));
    ASSERT_EQ(history.entries().size(), 1u);
    EXPECT_EQ(history.entries().front().size(), CommandBoxHistory::kMaxText);
}

TEST(CommandBoxHistory, RoundTripsThroughTheSettingsStore) {
    const std::string key = keyFor("history");
    CommandBoxHistory history;
    history.add(u"[BCA");
    history.add(u"[DC1Q0Q0Q2Q5");
    history.save(key);
    EXPECT_EQ(std::filesystem::file_size(omni::foundation::settingsFolder(key) / "CommandBox"),
              32776u);
    const CommandBoxHistory loaded = CommandBoxHistory::load(key);
    EXPECT_EQ(loaded.entries(), history.entries());

    // A record with a wrong marker gives an empty history.
    auto record = std::make_unique<CommandBoxRecord>(history.record());
    record->marker = 1;
    omni::foundation::writeSetting(key, "CommandBox", *record);
    EXPECT_TRUE(CommandBoxHistory::load(key).entries().empty());
}

TEST(LayoutRecords, FirstRunGivesDefaultsAndThreeFifthsOfTheScreen) {
    const omni::app::LayoutRecords records = omni::app::loadLayout(keyFor("first"), 1000);
    EXPECT_FALSE(records.window.isMaximized());
    EXPECT_EQ(records.window.width, omni::app::kDefaultSize);
    EXPECT_EQ(records.window.height, omni::app::kDefaultSize);
    EXPECT_EQ(records.border.sizes[0], 256);
    EXPECT_EQ(records.border.sizes[1], 320);
    EXPECT_EQ(records.border.sizes[2], 256);
    EXPECT_EQ(records.border.sizes[3], 600);
}

TEST(LayoutRecords, InvalidRecordsAreIgnoredAndValidOnesKept) {
    const std::string key = keyFor("invalid");
    const std::int32_t twelve[3] = {0, 1, 500};
    omni::foundation::writeSetting(key, "MainWindow", twelve, sizeof twelve);
    omni::app::MainWindowBorderRecord border;
    border.marker = 1;
    omni::foundation::writeSetting(key, "MainWindowBorder", border);
    auto records = omni::app::loadLayout(key, 1000);
    EXPECT_EQ(records.window.width, omni::app::kDefaultSize);
    EXPECT_EQ(records.border.sizes[0], 256);

    omni::app::LayoutRecords stored;
    stored.window = {0, 0x10000, 900, 640};  // only the low 16 bits of the flag count
    stored.border.sizes[0] = 300;
    stored.border.sizes[3] = 0;  // a stored height keeps a zero picture height
    omni::app::saveLayout(key, stored);
    records = omni::app::loadLayout(key, 1000);
    EXPECT_FALSE(records.window.isMaximized());
    EXPECT_EQ(records.window.width, 900);
    EXPECT_EQ(records.border.sizes[0], 300);
    EXPECT_EQ(records.border.sizes[3], 0);
}

}  // namespace
