// The values auto tuning puts on the wire and reads from bank blocks.
#include <gtest/gtest.h>

#include "foundation/exception.h"
#include "sim/tuning_responder.h"
#include "tools/auto_tuning.h"
#include "tools/tuning_bank.h"
#include "tools/tuning_replies.h"

namespace omni::test {
namespace {

TEST(TuningValues, DigitTokensAndTimeEncoding) {
    EXPECT_EQ(tools::withDigits("[DE5", 900000, 6), "[DE5Q9Q0Q0Q0Q0Q0");
    EXPECT_EQ(tools::digitTokens(7, 4), "Q0Q0Q0Q7");
    EXPECT_EQ(tools::digitTokens(0, 1), "Q0");
    EXPECT_EQ(tools::encodeMicroseconds(0), 0);
    EXPECT_EQ(tools::encodeMicroseconds(500), 2500);
    EXPECT_EQ(tools::encodeMicroseconds(1234), 3123);
    EXPECT_EQ(tools::encodeMicroseconds(56), 1560);
    EXPECT_EQ(tools::encodeMicroseconds(7), 700);
    EXPECT_EQ(tools::encodeMicroseconds(999999), 5999);
}

TEST(TuningValues, BankBlockFieldsAndCodeType) {
    // The byte at offset 80 flags QR Code.
    sim::SimBank simBank{.apply = true,
                         .readTimeTens = 250,
                         .frequency = 3,
                         .analogHundredths = 235,
                         .digitalHundredths = 110,
                         .exposureUs = 1500,
                         .lightUs = 600,
                         .mirror = true,
                         .codeFlagOffset = 80};
    tools::TuningBank bank = tools::parseBankBlock(sim::TuningResponder::bankBlock(simBank));
    EXPECT_TRUE(bank.apply);
    EXPECT_EQ(bank.readTimeMs, 2500);
    EXPECT_EQ(bank.frequency, 3);
    EXPECT_DOUBLE_EQ(bank.analogAmp, 2.35);
    EXPECT_DOUBLE_EQ(bank.digitalAmp, 1.10);
    EXPECT_EQ(bank.exposureUs, 1500);
    EXPECT_EQ(bank.lightUs, 600);
    EXPECT_FALSE(bank.negative);
    EXPECT_TRUE(bank.mirror);
    EXPECT_EQ(tools::codeTypeName(bank), "QR Code");
    EXPECT_EQ(tools::codeSetCommand(bank), "[BCD");

    simBank.codeFlagOffset = -1;  // UPC-A/E and CODE 39 both set
    bank = tools::parseBankBlock(sim::TuningResponder::bankBlock(simBank));
    EXPECT_EQ(tools::codeTypeName(bank), "Default Code Set");
    EXPECT_EQ(tools::codeSetCommand(bank), tools::kDefaultCodeSetCommand);
}

TEST(TuningValues, CodeSetFollowsTheIdentifierWhereTwoCodesShareAnId) {
    tools::TuningBank bank;
    bank.codeId = 'V';
    bank.identifier = "]X0";
    EXPECT_EQ(tools::codeTypeName(bank), "Tri-Optic");
    bank.identifier = "]A0";
    EXPECT_EQ(tools::codeTypeName(bank), "CODE 39");
    EXPECT_EQ(tools::codeSetCommand(bank), "B2");
    bank.codeId = 't';
    bank.identifier = "]d0";
    EXPECT_EQ(tools::codeSetCommand(bank), "[BG0");
    bank.identifier = "]d1";
    EXPECT_EQ(tools::codeSetCommand(bank), "[BCC");
    EXPECT_EQ(tools::codeSetTable().size(), 54u);
}

TEST(TuningValues, ImagingParametersWithAmplificationsTruncatedAndLightTimeZero) {
    tools::TuningBank bank;
    bank.analogAmp = 1.23;
    bank.digitalAmp = 0.999;
    bank.lightUs = 0;
    bank.exposureUs = 56;
    bank.negative = true;
    std::vector<std::string> commands = tools::imagingParameterCommands(bank);
    ASSERT_EQ(commands.size(), 22u);
    EXPECT_EQ(commands[0], "[DE5Q9Q0Q0Q0Q0Q0");
    EXPECT_EQ(commands[1], "[DE5Q5Q3Q0Q1Q2Q3");
    EXPECT_EQ(commands[2], "[DE5Q5Q4Q0Q0Q9Q9");
    EXPECT_EQ(commands[4], "[DE5Q6Q0Q0Q0Q0Q0");  // light time 0 stays 0
    EXPECT_EQ(commands[5], "[DE5Q6Q1Q1Q5Q6Q0");  // 56 us
    EXPECT_EQ(commands[10], "[DE5Q9Q0Q0Q0Q0Q1");
    EXPECT_EQ(commands[20], "[E8J");
    EXPECT_EQ(commands[21], "V3");
}

// A reader that sends garbage in a tuning reply gets a communication failure, never an escape
// of the standard library's conversion errors.
TEST(TuningValues, RepliesThatCannotBeReadAreRefused) {
    const auto corners = tools::parseCorners("x10/20:30/-40:50/60:70/80");
    EXPECT_EQ(corners[1].y, -40);
    EXPECT_EQ(corners[3].x, 70);
    EXPECT_EQ(tools::parseCorners("")[0].x, 0);
    EXPECT_EQ(tools::parseCorners("1/2")[1].x, 0);  // missing corners stay at 0

    for (std::string_view bad : {"-/1", "1-2/3", "9223372036854775808/0", "12345678901234567890/0"})
        EXPECT_THROW(tools::parseCorners(bad), foundation::KesException) << bad;
    EXPECT_THROW(tools::dataLength("00012a"), foundation::KesException);
    EXPECT_EQ(tools::dataLength("000120"), 120u);
    EXPECT_EQ(tools::replyBodyLength(std::string(11, '\xff') + std::string("\0\0\x10\0", 4)),
              4096u);
    EXPECT_THROW(tools::replyBodyLength(std::string(11, '\0') + std::string("\0\0\x10\x01", 4)),
                 foundation::KesException);
}

TEST(TuningValues, CentralAdjustmentArea) {
    tools::AdjustmentArea area = tools::centralArea(641, 481);
    EXPECT_EQ(area.left, 160);
    EXPECT_EQ(area.top, 120);
    EXPECT_EQ(area.right, 479);
    EXPECT_EQ(area.bottom, 359);
}

}  // namespace
}  // namespace omni::test
