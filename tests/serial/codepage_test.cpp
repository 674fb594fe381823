// The code-page list: its fixed entries, the UTF-16 entries, the sort and the stored choice.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <utility>

#include "foundation/settings_store.h"
#include "resources/strings.h"
#include "serial/codepage.h"
#include "stream/code_page_setting.h"
#include "stream/multi_byte_converter.h"

namespace omni {
namespace {

std::vector<std::uint32_t> numbers(const std::vector<CodePageEntry>& list) {
    std::vector<std::uint32_t> out;
    for (const auto& e : list)
        out.push_back(e.codePage);
    return out;
}

class CodePageListTest : public ::testing::Test {
protected:
    void SetUp() override { res::setLanguage(res::Language::English); }
    void TearDown() override { setCurrentCodePageSetting({}); }
};

TEST_F(CodePageListTest, FixedEntriesUtf16AndSortOrder) {
    const SystemCodePage system[] = {{65001, u"UTF-8"},
                                     {932, u"ANSI/OEM - Japanese Shift-JIS"},
                                     {1252, u"ANSI - Latin I"},
                                     {20127, u"US-ASCII"}};
    auto list = buildCodePageList(system);
    // The default stays on top; the rest are ordered by text, "Binary Data" and UTF-16 included
    // ("UTF-16 ..." sorts before "UTF-8", and upper case before lower case).
    EXPECT_EQ(numbers(list),
              (std::vector<std::uint32_t>{0, 1252, 932, kHexCodePage, 20127, 1201, 1200, 65001}));
    EXPECT_EQ(list[0].text, u"Default character code");
    EXPECT_TRUE(list[0].multiByte);
    EXPECT_TRUE(list[0].keepAtTop);
    auto at = [&](std::uint32_t cp) { return list[findCodePageEntry(list, cp)]; };
    EXPECT_EQ(at(kHexCodePage).text, u"Binary Data");
    EXPECT_EQ(at(1200).text, u"UTF-16 (Little-Endian)");
    EXPECT_EQ(at(1201).text, u"UTF-16 (Big-Endian)");
    // Only system code pages are converted by the system.
    EXPECT_FALSE(at(kHexCodePage).multiByte);
    EXPECT_FALSE(at(1200).multiByte);
    EXPECT_TRUE(at(932).multiByte);
}

TEST_F(CodePageListTest, SystemUtf16IsNotDuplicatedAndEqualTextsKeepTheirOrder) {
    const SystemCodePage system[] = {
        {1201, u"Unicode (Big-Endian)"}, {1200, u"Unicode"}, {51949, u"Korean"}, {949, u"Korean"}};
    auto list = buildCodePageList(system);
    EXPECT_EQ(numbers(list), (std::vector<std::uint32_t>{0, kHexCodePage, 51949, 949, 1200, 1201}));
    EXPECT_TRUE(list[findCodePageEntry(list, 1200)].multiByte);
}

TEST_F(CodePageListTest, SelectionFallsBackToTheFirstEntryAndSetsTheCurrentCodePage) {
    const SystemCodePage system[] = {{932, u"ANSI/OEM - Japanese Shift-JIS"}};
    CodePageList chosen(system, 932);
    EXPECT_EQ(chosen.selected().codePage, 932u);
    EXPECT_EQ(currentCodePageSetting(), (CodePageSetting{true, 932}));

    CodePageList hex(system, kHexCodePage);
    EXPECT_EQ(currentCodePageSetting(), (CodePageSetting{false, kHexCodePage}));

    CodePageList gone(system, 10000);  // no longer installed
    EXPECT_EQ(gone.selectedIndex(), 0u);
    EXPECT_EQ(currentCodePageSetting(), (CodePageSetting{true, kDefaultCodePage}));

    gone.select(999);  // out of range
    EXPECT_EQ(gone.selectedIndex(), 0u);
}

TEST_F(CodePageListTest, InstalledPagesAreThoseTheLibraryConverts) {
    auto installed = installedCodePages();
    auto has = [&](std::uint32_t cp) {
        return std::any_of(installed.begin(), installed.end(),
                           [&](const SystemCodePage& p) { return p.codePage == cp; });
    };
    EXPECT_TRUE(has(932));
    EXPECT_TRUE(has(65001));
    EXPECT_TRUE(has(1252));
    EXPECT_FALSE(has(1200));
}

TEST_F(CodePageListTest, StoredChoiceRoundTripAndInvalidRecords) {
    EXPECT_EQ(loadCodePageProperty().codePage, kDefaultCodePage);  // nothing stored yet

    const SystemCodePage system[] = {{932, u"ANSI/OEM - Japanese Shift-JIS"}};
    CodePageList list(system, kDefaultCodePage);
    list.select(findCodePageEntry(list.entries(), kUtf16BeCodePage));
    list.store();
    EXPECT_EQ(loadCodePageProperty().codePage, kUtf16BeCodePage);
    CodePageList reopened;  // reads the stored choice
    EXPECT_EQ(reopened.selected().codePage, kUtf16BeCodePage);

    CodePageProperty marked{1, 932};
    foundation::writeSetting(foundation::kProgramSettingsKey, kCodePagePropertyName, marked);
    EXPECT_EQ(loadCodePageProperty().codePage, kDefaultCodePage);

    std::uint32_t shortRecord = 932;
    foundation::writeSetting(foundation::kProgramSettingsKey, kCodePagePropertyName, shortRecord);
    EXPECT_EQ(loadCodePageProperty().codePage, kDefaultCodePage);
}

}  // namespace
}  // namespace omni

namespace omni {
namespace {

// The C/POSIX locale's default shows every byte: Windows-1252, the five bytes it leaves undefined
// as the C1 characters of the same value.
TEST(DefaultCharacterCode, PlainLocaleMeansWindows1252) {
    const char* previous = std::getenv("LC_ALL");
    const std::string saved = previous ? previous : "";
    setenv("LC_ALL", "C", 1);
    EXPECT_EQ(localeEncodingName(), "CP1252");
    MultiByteConverter converter(kDefaultCodePage);
    const std::pair<unsigned char, char16_t> shown[] = {
        {0x41, u'A'}, {0x80, u'\u20AC'}, {0x81, u'\u0081'}, {0x9D, u'\u009D'}, {0xE9, u'\u00E9'}};
    for (auto [byte, expected] : shown) {
        char16_t out[MultiByteConverter::kMaxOutput] = {};
        ASSERT_EQ(converter.convert(&byte, 1, out), 1u) << int(byte);
        EXPECT_EQ(out[0], expected) << int(byte);
    }
    setenv("LC_ALL", "C.UTF-8", 1);
    EXPECT_EQ(localeEncodingName(), "UTF-8");
    if (previous)
        setenv("LC_ALL", saved.c_str(), 1);
    else
        unsetenv("LC_ALL");
}

}  // namespace
}  // namespace omni
