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

namespace omni::serial {
namespace {

std::vector<std::uint32_t> numbers(const std::vector<serial::CodePageEntry>& list) {
    std::vector<std::uint32_t> out;
    for (const auto& e : list)
        out.push_back(e.codePage);
    return out;
}

class CodePageListTest : public ::testing::Test {
protected:
    void SetUp() override { res::setLanguage(res::Language::English); }
    void TearDown() override { stream::setCurrentCodePageSetting({}); }
};

TEST_F(CodePageListTest, FixedEntriesUtf16AndSortOrder) {
    const serial::SystemCodePage system[] = {{65001, u"UTF-8"},
                                             {932, u"ANSI/OEM - Japanese Shift-JIS"},
                                             {1252, u"ANSI - Latin I"},
                                             {20127, u"US-ASCII"}};
    auto list = serial::buildCodePageList(system);
    // The default stays on top; the rest are ordered by text, "Binary Data" and UTF-16 included
    // ("UTF-16 ..." sorts before "UTF-8", and upper case before lower case).
    EXPECT_EQ(numbers(list), (std::vector<std::uint32_t>{0, 1252, 932, stream::kHexCodePage, 20127,
                                                         1201, 1200, 65001}));
    EXPECT_EQ(list[0].text, u"Default character code");
    EXPECT_TRUE(list[0].multiByte);
    EXPECT_TRUE(list[0].keepAtTop);
    auto at = [&](std::uint32_t cp) { return list[serial::findCodePageEntry(list, cp)]; };
    EXPECT_EQ(at(stream::kHexCodePage).text, u"Binary Data");
    EXPECT_EQ(at(1200).text, u"UTF-16 (Little-Endian)");
    EXPECT_EQ(at(1201).text, u"UTF-16 (Big-Endian)");
    // Only system code pages are converted by the system.
    EXPECT_FALSE(at(stream::kHexCodePage).multiByte);
    EXPECT_FALSE(at(1200).multiByte);
    EXPECT_TRUE(at(932).multiByte);
}

TEST_F(CodePageListTest, SystemUtf16IsNotDuplicatedAndEqualTextsKeepTheirOrder) {
    const serial::SystemCodePage system[] = {
        {1201, u"Unicode (Big-Endian)"}, {1200, u"Unicode"}, {51949, u"Korean"}, {949, u"Korean"}};
    auto list = serial::buildCodePageList(system);
    EXPECT_EQ(numbers(list),
              (std::vector<std::uint32_t>{0, stream::kHexCodePage, 51949, 949, 1200, 1201}));
    EXPECT_TRUE(list[serial::findCodePageEntry(list, 1200)].multiByte);
}

TEST_F(CodePageListTest, SelectionFallsBackToTheFirstEntryAndSetsTheCurrentCodePage) {
    const serial::SystemCodePage system[] = {{932, u"ANSI/OEM - Japanese Shift-JIS"}};
    serial::CodePageList chosen(system, 932);
    EXPECT_EQ(chosen.selected().codePage, 932u);
    EXPECT_EQ(stream::currentCodePageSetting(), (stream::CodePageSetting{true, 932}));

    serial::CodePageList hex(system, stream::kHexCodePage);
    EXPECT_EQ(stream::currentCodePageSetting(),
              (stream::CodePageSetting{false, stream::kHexCodePage}));

    serial::CodePageList gone(system, 10000);  // no longer installed
    EXPECT_EQ(gone.selectedIndex(), 0u);
    EXPECT_EQ(stream::currentCodePageSetting(),
              (stream::CodePageSetting{true, stream::kDefaultCodePage}));

    gone.select(999);  // out of range
    EXPECT_EQ(gone.selectedIndex(), 0u);
}

TEST_F(CodePageListTest, InstalledPagesAreThoseTheLibraryConverts) {
    auto installed = serial::installedCodePages();
    auto has = [&](std::uint32_t cp) {
        return std::any_of(installed.begin(), installed.end(),
                           [&](const serial::SystemCodePage& p) { return p.codePage == cp; });
    };
    EXPECT_TRUE(has(932));
    EXPECT_TRUE(has(65001));
    EXPECT_TRUE(has(1252));
    EXPECT_FALSE(has(1200));
}

TEST_F(CodePageListTest, StoredChoiceRoundTripAndInvalidRecords) {
    EXPECT_EQ(serial::loadCodePageProperty().codePage,
              stream::kDefaultCodePage);  // nothing stored yet

    const serial::SystemCodePage system[] = {{932, u"ANSI/OEM - Japanese Shift-JIS"}};
    serial::CodePageList list(system, stream::kDefaultCodePage);
    list.select(serial::findCodePageEntry(list.entries(), stream::kUtf16BeCodePage));
    list.store();
    EXPECT_EQ(serial::loadCodePageProperty().codePage, stream::kUtf16BeCodePage);
    serial::CodePageList reopened;  // reads the stored choice
    EXPECT_EQ(reopened.selected().codePage, stream::kUtf16BeCodePage);

    serial::CodePageProperty marked{1, 932};
    foundation::writeSetting(foundation::kProgramSettingsKey, serial::kCodePagePropertyName,
                             marked);
    EXPECT_EQ(serial::loadCodePageProperty().codePage, stream::kDefaultCodePage);

    std::uint32_t shortRecord = 932;
    foundation::writeSetting(foundation::kProgramSettingsKey, serial::kCodePagePropertyName,
                             shortRecord);
    EXPECT_EQ(serial::loadCodePageProperty().codePage, stream::kDefaultCodePage);
}

// The C/POSIX locale's default shows every byte: Windows-1252, the five bytes it leaves undefined
// as the C1 characters of the same value.
TEST(DefaultCharacterCode, PlainLocaleMeansWindows1252) {
    const char* previous = std::getenv("LC_ALL");
    const std::string saved = previous ? previous : "";
    setenv("LC_ALL", "C", 1);
    EXPECT_EQ(stream::localeEncodingName(), "CP1252");
    stream::MultiByteConverter converter(stream::kDefaultCodePage);
    const std::pair<unsigned char, char16_t> shown[] = {
        {0x41, u'A'}, {0x80, u'\u20AC'}, {0x81, u'\u0081'}, {0x9D, u'\u009D'}, {0xE9, u'\u00E9'}};
    for (auto [byte, expected] : shown) {
        char16_t out[stream::MultiByteConverter::kMaxOutput] = {};
        ASSERT_EQ(converter.convert(&byte, 1, out), 1u) << int(byte);
        EXPECT_EQ(out[0], expected) << int(byte);
    }
    setenv("LC_ALL", "C.UTF-8", 1);
    EXPECT_EQ(stream::localeEncodingName(), "UTF-8");
    if (previous)
        setenv("LC_ALL", saved.c_str(), 1);
    else
        unsetenv("LC_ALL");
}

}  // namespace
}  // namespace omni::serial
