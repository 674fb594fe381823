// Received bytes to text by code page: system conversion with its give-up rule, UTF-16 of both
// byte orders and hexadecimal rows.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "collecting.h"
#include "stream/code_page_setting.h"
#include "stream/code_page_stream.h"
#include "stream/code_page_table.h"
#include "stream/multi_byte_converter.h"

namespace omni::stream {
namespace {

using test::CollectingStream;

class CodePageStream : public ::testing::Test {
protected:
    void TearDown() override { stream::setCurrentCodePageSetting({}); }

    std::u16string convert(stream::CodePageSetting setting,
                           const std::vector<unsigned char>& bytes) {
        stream::setCurrentCodePageSetting(setting);
        for (unsigned char b : bytes) {
            char c = static_cast<char>(b);
            stream.put(&c);
        }
        return out.text;
    }

    CollectingStream out;
    stream::CodePageCharToWCharStream stream{&out};
};

// "日本語のテストです。" in Shift JIS.
const std::vector<unsigned char> kShiftJisSentence = {0x93, 0xFA, 0x96, 0x7B, 0x8C, 0xEA, 0x82,
                                                      0xCC, 0x83, 0x65, 0x83, 0x58, 0x83, 0x67,
                                                      0x82, 0xC5, 0x82, 0xB7, 0x81, 0x42};

TEST_F(CodePageStream, ShiftJisSentence) {
    EXPECT_EQ(convert({true, 932}, kShiftJisSentence), u"日本語のテストです。");
    EXPECT_EQ(stream.pendingCount(), 0u);
}

TEST_F(CodePageStream, LeadByteWaitsForItsTrailAcrossWrites) {
    convert({true, 932}, {'A', 0x82});
    EXPECT_EQ(out.text, u"A");
    EXPECT_EQ(stream.pendingCount(), 1u);
    convert({true, 932}, {0xA0});
    EXPECT_EQ(out.text, u"Aあ");
}

TEST_F(CodePageStream, InvalidTrailGivesUpOnTheLeadByte) {
    // Lead byte, a byte that cannot follow it, then a whole character: the lead byte is shown
    // widened and the rest converts as it allows.
    EXPECT_EQ(convert({true, 932}, {0x82, 0x20, 0x82, 0xA0}), u"\xFF82 あ");
    // Lead byte followed by three plain bytes.
    out.text.clear();
    EXPECT_EQ(convert({true, 932}, {0x82, 0x20, 'A', 'B'}), u"\xFF82 AB");
    // Two lead bytes that never complete: each gives up in turn once four bytes are pending.
    out.text.clear();
    EXPECT_EQ(convert({true, 932}, {0x82, 0x0D, 0x82, 0x0D, 'x'}), u"\xFF82\r");
    EXPECT_EQ(stream.pendingCount(), 3u);
    EXPECT_EQ(convert({true, 932}, {'y'}), u"\xFF82\r\xFF82\rxy");
    EXPECT_EQ(stream.pendingCount(), 0u);
}

TEST_F(CodePageStream, Utf8AndGb18030FourByteSequences) {
    // U+1F600 in UTF-8 and in GB18030: four bytes make a surrogate pair.
    EXPECT_EQ(convert({true, 65001}, {0xF0, 0x9F, 0x98, 0x80}), u"\U0001F600");
    out.text.clear();
    EXPECT_EQ(convert({true, 54936}, {0x94, 0x39, 0xFC, 0x36}), u"\U0001F600");
    // A stray continuation byte of UTF-8 never stalls the log.
    out.text.clear();
    EXPECT_EQ(convert({true, 65001}, {0x80, 'a', 'b', 'c'}),
              u"\xFF80"
              u"abc");
}

TEST_F(CodePageStream, UnknownCodePageShowsBytesWidened) {
    stream::MultiByteConverter none(4242);
    EXPECT_FALSE(none.isValid());
    // Every fourth byte pushes the oldest pending one out as itself.
    EXPECT_EQ(convert({true, 4242}, {'a', 'b', 'c', 'd', 'e'}), u"ab");
    EXPECT_EQ(stream.pendingCount(), 3u);
}

TEST_F(CodePageStream, Utf16BothByteOrders) {
    EXPECT_EQ(convert({false, stream::kUtf16BeCodePage}, {0x30, 0x00}), u"\x3000");
    out.text.clear();
    EXPECT_EQ(convert({false, stream::kUtf16LeCodePage}, {0x30, 0x00}), u"0");
    out.text.clear();
    // An odd byte waits for its partner.
    convert({false, stream::kUtf16LeCodePage}, {0x42, 0x30, 0x41});
    EXPECT_EQ(out.text, u"\x3042");
    convert({false, stream::kUtf16LeCodePage}, {0x00});
    EXPECT_EQ(out.text,
              u"\x3042"
              u"A");
}

TEST_F(CodePageStream, HexRowsOfSixteenAndColumnReset) {
    std::vector<unsigned char> bytes(17, 0);
    bytes[15] = 0xAB;
    std::u16string row = u"00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 AB\r00 ";
    EXPECT_EQ(convert({false, stream::kHexCodePage}, bytes), row);
    // Without a reset the row continues; after it, the next block starts a new row of 16.
    stream.resetHexColumn();
    out.text.clear();
    convert({false, stream::kHexCodePage}, std::vector<unsigned char>(16, 0xFF));
    EXPECT_EQ(out.text.size(), 48u);
    EXPECT_EQ(out.text.back(), u'\r');
}

TEST_F(CodePageStream, OtherSettingsShowNothing) {
    EXPECT_EQ(convert({false, 932}, {'a', 'b'}), u"");
}

TEST(CodePageTable, RowsAreFoundByNumber) {
    ASSERT_NE(stream::findCodePage(932), nullptr);
    EXPECT_EQ(stream::findCodePage(932)->name, u"ANSI/OEM - Japanese Shift-JIS");
    EXPECT_EQ(stream::findCodePage(1200), nullptr);  // UTF-16 has its own entries
    EXPECT_EQ(stream::findCodePage(9999), nullptr);
    EXPECT_TRUE(stream::isCodePageConvertible(932));
    EXPECT_TRUE(stream::isCodePageConvertible(0));
    EXPECT_FALSE(stream::isCodePageConvertible(9999));
}

}  // namespace
}  // namespace omni::stream
