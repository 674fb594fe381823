#include <gtest/gtest.h>

#include "resources/string_ids.h"
#include "resources/strings.h"

using namespace omni::res;

TEST(Strings, LooksUpByIdInBothLanguages) {
    EXPECT_EQ(loadString(ids::Cancel, Language::English), u"Cancel");
    EXPECT_EQ(loadString(ids::Cancel, Language::Japanese), u"キャンセル");
    EXPECT_TRUE(loadString(4000000000u).empty());
    EXPECT_FALSE(hasString(4000000000u));
}

TEST(Strings, LanguageCanBeSwitched) {
    Language before = currentLanguage();
    setLanguage(Language::Japanese);
    EXPECT_EQ(loadString(ids::Apply), u"適用");
    setLanguage(Language::English);
    EXPECT_EQ(loadString(ids::Apply), u"Apply");
    setLanguage(before);
}

TEST(Strings, Utf8RoundTripsIncludingSurrogatesAndRejectsBadBytes) {
    std::u16string text = u"A\u3042\U0001F600z";
    EXPECT_EQ(fromUtf8(toUtf8(text)), text);
    EXPECT_EQ(fromUtf8("\xE3\x81"), u"\uFFFD\uFFFD");
    EXPECT_EQ(fromUtf8("a\xFFz"), u"a\uFFFDz");
    EXPECT_EQ(toUtf8(u"\xD800x"), "\xEF\xBF\xBDx");
}

TEST(Strings, FormatFillsNumberedPlaceholdersInAnyOrder) {
    // A translation may put the places in another order than the English text.
    EXPECT_EQ(formatText(u"%2 then %1", {u"a", u"b"}), u"b then a");
    EXPECT_EQ(formatText(u"%1%1", {u"x"}), u"xx");
    // "%%" is a percent sign, also right before a digit; a lone % stays as it is.
    EXPECT_EQ(formatText(u"100%% of %1, %%1, 5%", {u"it"}), u"100% of it, %1, 5%");
    // A place without an argument is left standing; extra arguments are ignored.
    EXPECT_EQ(formatText(u"%1 and %2", {u"one"}), u"one and %2");
    EXPECT_EQ(formatText(u"%3", {}), u"%3");
    EXPECT_EQ(formatText(u"%1", {u"a", u"b"}), u"a");
    // An argument that itself holds a placeholder is not filled again.
    EXPECT_EQ(formatText(u"%1 %2", {u"%2", u"b"}), u"%2 b");
}

TEST(Strings, FormatFillsTableRowsInBothLanguages) {
    EXPECT_EQ(format(ids::ConnectedTo, Language::English, {u"ttyS0", u"TC-001"}),
              u"Connected to ttyS0: TC-001");
    EXPECT_EQ(format(ids::ConnectedTo, Language::Japanese, {u"ttyS0", u"TC-001"}),
              u"ttyS0 に接続しました: TC-001");
    Language before = currentLanguage();
    setLanguage(Language::English);
    EXPECT_EQ(formatUtf8(ids::CannotOpenPort, {"ttyS0", "busy"}),
              "Cannot open the port ttyS0: busy");
    setLanguage(before);
}
