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

// Each record is used only when it has exactly its size, a zero marker and sizes in range;
// each case is checked at the limit and one past it.
TEST(LayoutRecords, EachRecordRejectedAtEveryLimit) {
    using omni::app::kMaxWindowSize;
    using omni::app::kMinWindowSize;
    struct Case {
        const char* what;
        std::string value;  // the record's bytes as stored
        bool used;
    };
    auto bytes = [](const auto& record, int extra) {
        std::string out(reinterpret_cast<const char*>(&record), sizeof record);
        out.resize(out.size() + extra, '\0');  // extra < 0 cuts the record short
        return out;
    };
    auto window = [](std::int32_t marker, std::int32_t width) {
        return omni::app::MainWindowRecord{marker, 0, width, 480};
    };
    auto border = [](std::int32_t marker, std::int32_t size) {
        return omni::app::MainWindowBorderRecord{marker, {200, 300, size, 0}};
    };
    const Case windows[] = {
        {"valid", bytes(window(0, 800), 0), true},
        {"4 bytes short", bytes(window(0, 800), -4), false},
        {"4 bytes long", bytes(window(0, 800), 4), false},
        {"marker 1", bytes(window(1, 800), 0), false},
        {"widest", bytes(window(0, kMaxWindowSize), 0), true},
        {"too wide", bytes(window(0, kMaxWindowSize + 1), 0), false},
        {"narrowest", bytes(window(0, kMinWindowSize), 0), true},
        {"too narrow", bytes(window(0, kMinWindowSize - 1), 0), false},
    };
    const Case borders[] = {
        {"valid", bytes(border(0, 250), 0), true},
        {"4 bytes short", bytes(border(0, 250), -4), false},
        {"4 bytes long", bytes(border(0, 250), 4), false},
        {"marker 1", bytes(border(-1, 250), 0), false},
        {"largest", bytes(border(0, kMaxWindowSize), 0), true},
        {"too large", bytes(border(0, kMaxWindowSize + 1), 0), false},
        {"zero", bytes(border(0, 0), 0), true},
        {"negative", bytes(border(0, -1), 0), false},
    };
    const std::string key = keyFor("limits");
    for (const Case& c : windows) {
        omni::foundation::writeSetting(key, "MainWindow", c.value.data(), c.value.size());
        const auto records = omni::app::loadLayout(key, 1000);
        EXPECT_EQ(records.window.height == 480, c.used) << "MainWindow " << c.what;
    }
    for (const Case& c : borders) {
        omni::foundation::writeSetting(key, "MainWindowBorder", c.value.data(), c.value.size());
        const auto records = omni::app::loadLayout(key, 1000);
        EXPECT_EQ(records.border.sizes[0] == 200, c.used) << "MainWindowBorder " << c.what;
    }
}

}  // namespace
