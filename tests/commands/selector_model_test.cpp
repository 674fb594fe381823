#include "commands/selector_model.h"

#include <gtest/gtest.h>

#include "commands/resolve.h"
#include "foundation/exception.h"
#include "resources/string_ids.h"
#include "resources/strings.h"

namespace omni::commands {
namespace {

std::string utf8(std::u16string_view text) {
    return res::toUtf8(text);
}

// Records which dialog was asked and answers from its fields.
struct FakeDialogs : commands::EntryDialogs {
    std::optional<commands::NumberChoice> number;
    std::optional<std::string> text;
    std::string asked;
    std::uint32_t captionId = 0;
    std::string command;

    std::optional<commands::NumberChoice> numberInput(const commands::CatalogEntry& e,
                                                      bool) override {
        asked = "number";
        command = e.command;
        return number;
    }
    std::optional<std::string> answer(const char* name, std::string_view cmd) {
        asked = name;
        command = cmd;
        return text;
    }
    std::optional<std::string> prefixSuffix(std::string_view c, bool) override {
        return answer("prefixSuffix", c);
    }
    std::optional<std::string> silentMode(std::string_view c, bool) override {
        return answer("silentMode", c);
    }
    std::optional<std::string> buzzer(std::string_view c, bool) override {
        return answer("buzzer", c);
    }
    std::optional<std::string> statusLed(std::string_view c, bool) override {
        return answer("statusLed", c);
    }
    std::optional<std::string> vibrator(std::string_view c, bool) override {
        return answer("vibrator", c);
    }
    std::optional<std::string> bluetoothBarcode(std::uint32_t id, std::string_view c,
                                                bool) override {
        captionId = id;
        return answer("bluetoothBarcode", c);
    }
    std::optional<std::string> bluetoothSend(std::uint32_t id, std::string_view c, bool) override {
        captionId = id;
        return answer("bluetoothSend", c);
    }
};

TEST(SelectorModel, FindsAnEntryAndBuildsItsLabel) {
    commands::EntryPath path =
        commands::findEntryByPath("Setting readable codes > 1D Code > Code39 > Enable", true);
    ASSERT_NE(path.entry, nullptr);
    EXPECT_STREQ(path.entry->command, "B2");
    EXPECT_EQ(utf8(path.label), "Setting readable codes > 1D Code > Code39 > Enable");
    EXPECT_EQ(utf8(commands::groupPathText(path.group, true)),
              "Setting readable codes > 1D Code > Code39 > ");
    EXPECT_EQ(utf8(commands::catalogCaption(
                  commands::parentOf(commands::parentOf(path.group, true), true)->labelId)),
              "Setting readable codes");
    EXPECT_EQ(commands::parentOf(&commands::topLevelGroups(true)[0], true), nullptr);

    // The same group caption at two levels ("UPC-A/E" inside "UPC-A/E").
    path = commands::findEntryByPath("Setting readable codes > UPC-A/E > UPC-A/E > Disable", false);
    EXPECT_STREQ(path.entry->command, "[X4B");
}

TEST(SelectorModel, LabelFollowsTheLanguage) {
    res::setLanguage(res::Language::Japanese);
    commands::EntryPath path =
        commands::findEntryByPath("Save setting > Save as startup setting", false);
    res::setLanguage(res::Language::English);
    EXPECT_EQ(utf8(path.label), "設定の保存 > 起動時の設定として保存");
}

TEST(SelectorModel, ReportsTheFirstCaptionThatDoesNotMatch) {
    auto message = [](std::string_view path, bool mode2D) {
        try {
            commands::findEntryByPath(path, mode2D);
        } catch (const foundation::UserException& e) {
            EXPECT_EQ(e.code(), foundation::UserException::BadInput);
            return utf8(e.text());
        }
        return std::string("no exception");
    };
    EXPECT_NE(message("Setting readable codes > 1D Kode > Code39 > Enable", true).find("1D Kode"),
              std::string::npos);
    EXPECT_NE(message("Nonsense > Enable", true).find("Nonsense"), std::string::npos);
    EXPECT_NE(message("Setting readable codes > 1D Code > Code39 > Enabled", true).find("Enabled"),
              std::string::npos);
    // Only the 2D catalog has the "1D Code" level.
    EXPECT_NE(message("Setting readable codes > 1D Code > Code39 > Enable", false).find("1D Code"),
              std::string::npos);
    EXPECT_NE(message("Setting readable codes > 1D Code", true).find("1D Code"), std::string::npos);
    EXPECT_NE(message("", true), "no exception");
}

TEST(SelectorModel, PageItemsIn2DMode) {
    auto items = commands::pageItemsFromString("[X.ZU2[X.Z", u"L", true);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].bytes, "[X.ZU2[X.Z");
    EXPECT_EQ(items[0].count, 3u);
    EXPECT_EQ(items[0].length(), 10u);
    EXPECT_TRUE(commands::pageItemsFromString("", u"L", true).empty());
    EXPECT_EQ(commands::pageItemsFromString(std::string(2000, 'A'), u"L", true)[0].length(), 1023u);
}

TEST(SelectorModel, PageItemsIn1DModeSplitAtCarriageReturns) {
    auto items = commands::pageItemsFromString("[X.Z\rU2\r[X.Z", u"Switch", false);
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].bytes, "[X.Z");
    EXPECT_EQ(items[0].count, 1u);
    EXPECT_EQ(utf8(items[0].label), "Switch");
    EXPECT_EQ(items[1].bytes, "U2");
    EXPECT_EQ(utf8(items[1].label), "Switch > U2");
    EXPECT_EQ(utf8(items[2].label), "Switch > [X.Z");

    // Digit tokens are named by the key table; empty pieces are skipped.
    items = commands::pageItemsFromString("\r[DC1\rQ0\r\rQ9\r[$0A\r", u"Len", false);
    ASSERT_EQ(items.size(), 4u);
    EXPECT_EQ(utf8(items[0].label), "Len");
    EXPECT_EQ(utf8(items[1].label), "Len > 0");
    EXPECT_EQ(utf8(items[2].label), "Len > 9");
    EXPECT_EQ(items[3].count, 1u);

    // The first piece keeps its own token count; a string without CR is one item.
    items = commands::pageItemsFromString("[EBZQ1", u"S", false);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].count, 2u);
}

TEST(Resolve, PlainAndNumberEntries) {
    FakeDialogs dialogs;
    const commands::CatalogEntry* plain =
        commands::findEntryByPath("Save setting > Save as startup setting", true).entry;
    commands::ResolveResult r = commands::resolveEntry(*plain, true, dialogs);
    EXPECT_EQ(r.kind, commands::ResolveResult::Kind::Text);
    EXPECT_EQ(r.text, "Z2");
    EXPECT_EQ(dialogs.asked, "");

    const commands::CatalogEntry* fixed =
        commands::findEntryByPath("Number of characters > 1D Code > Code39 > Fixed length", true)
            .entry;
    dialogs.number = commands::NumberChoice{commands::NumberChoice::Kind::Value, 9000};
    EXPECT_EQ(commands::resolveEntry(*fixed, true, dialogs).text, "[DC1Q8Q0Q0Q0");
    dialogs.number = commands::NumberChoice{commands::NumberChoice::Kind::Initialize};
    EXPECT_EQ(commands::resolveEntry(*fixed, true, dialogs).text, "[DC1");
    // Inhibit is not offered by this entry: the value is used instead.
    dialogs.number = commands::NumberChoice{commands::NumberChoice::Kind::Inhibit, 12};
    EXPECT_EQ(commands::resolveEntry(*fixed, true, dialogs).text, "[DC1Q0Q0Q1Q2");
    dialogs.number.reset();
    EXPECT_EQ(commands::resolveEntry(*fixed, true, dialogs).kind,
              commands::ResolveResult::Kind::Nothing);

    const commands::CatalogEntry* minimum =
        commands::findEntryByPath("Number of characters > Code39 > Minimum length", false).entry;
    dialogs.number = commands::NumberChoice{commands::NumberChoice::Kind::Value, 10};
    EXPECT_EQ(commands::resolveEntry(*minimum, false, dialogs).text, "[XQL\r[$0A\r");
}

TEST(Resolve, DialogKindsAndTheirCaptions) {
    FakeDialogs dialogs;
    dialogs.text = "W0";
    const commands::CatalogEntry* buzzer =
        commands::findEntryByPath("Indicator > Indicator > Buzzer", true).entry;
    EXPECT_EQ(commands::resolveEntry(*buzzer, true, dialogs).text, "W0");
    EXPECT_EQ(dialogs.asked, "buzzer");

    const commands::CatalogEntry* clear =
        commands::findEntryByPath(
            "Interface > Bluetooth configuration > Behavior > Clear stored "
            "datas > Clear stored datas",
            false)
            .entry;
    commands::resolveEntry(*clear, false, dialogs);
    EXPECT_EQ(dialogs.asked, "bluetoothBarcode");
    EXPECT_EQ(dialogs.captionId, res::ids::ClearStoredData);
    EXPECT_EQ(dialogs.command, "+-MCLR-+");

    const commands::CatalogEntry* name =
        commands::findEntryByPath(
            "Interface > Bluetooth configuration > Behavior > Device name > Device name", true)
            .entry;
    commands::resolveEntry(*name, true, dialogs);
    EXPECT_EQ(dialogs.asked, "bluetoothSend");
    EXPECT_EQ(dialogs.captionId, res::ids::DeviceName);

    dialogs.text.reset();  // cancelled
    EXPECT_EQ(commands::resolveEntry(*buzzer, true, dialogs).kind,
              commands::ResolveResult::Kind::Nothing);

    const commands::CatalogEntry* wave =
        commands::findEntryByPath("Waveform acquisition > Waveform acquisition", false).entry;
    EXPECT_EQ(commands::resolveEntry(*wave, false, dialogs).kind,
              commands::ResolveResult::Kind::Waveform);

    commands::CatalogEntry unknown{1, static_cast<commands::EntryKind>(16), "B2", 0, 0, 0, 0, 0};
    EXPECT_EQ(commands::resolveEntry(unknown, true, dialogs).kind,
              commands::ResolveResult::Kind::Nothing);
}

}  // namespace
}  // namespace omni::commands
