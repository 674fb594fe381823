#include <gtest/gtest.h>

#include "resources/strings.h"

using namespace omni::res;

TEST(Strings, LooksUpByIdInBothLanguages) {
    EXPECT_EQ(loadString(25005, Language::English), u"Cancel");
    EXPECT_EQ(loadString(25005, Language::Japanese), u"キャンセル");
    EXPECT_TRUE(loadString(4000000000u).empty());
    EXPECT_FALSE(hasString(4000000000u));
}

TEST(Strings, LanguageCanBeSwitched) {
    Language before = currentLanguage();
    setLanguage(Language::Japanese);
    EXPECT_EQ(loadString(25006), u"適用");
    setLanguage(Language::English);
    EXPECT_EQ(loadString(25006), u"Apply");
    setLanguage(before);
}

TEST(Strings, Utf8RoundTripsIncludingSurrogatesAndRejectsBadBytes) {
    std::u16string text = u"A\u3042\U0001F600z";
    EXPECT_EQ(fromUtf8(toUtf8(text)), text);
    EXPECT_EQ(fromUtf8("\xE3\x81"), u"\uFFFD\uFFFD");
    EXPECT_EQ(fromUtf8("a\xFFz"), u"a\uFFFDz");
    EXPECT_EQ(toUtf8(u"\xD800x"), "\xEF\xBF\xBDx");
}
