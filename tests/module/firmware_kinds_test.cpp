// Which firmware files an engine takes, and the packets' layout, without a port.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "module/download.h"
#include "module/kes_sdk.h"

namespace {

TEST(FirmwareKinds, FamilyDecidesExtensionAndBootLoader) {
    struct Row {
        const char* version;
        const char* model;
        KesFirmwareKind kind;
        const char* extension;
    };
    const Row rows[] = {
        {"BD49", "", KES_FIRMWARE_BD, "bd"},  // an EngineC, still *.bd
        {"BD50", "", KES_FIRMWARE_BD4, "bd4"},
        {"BD", "", KES_FIRMWARE_BD, "bd"},         // no number reads as 0
        {"BFM0102", "", KES_FIRMWARE_BFM, "bin"},  // not taken for "BF"
        {"BF0102", "", KES_FIRMWARE_BF, "bf"},
        {"TC1234", "KVT", KES_FIRMWARE_UNSUPPORTED, ""},
        {"TS1", "", KES_FIRMWARE_UNSUPPORTED, ""},
        {"TF1", "", KES_FIRMWARE_UNSUPPORTED, ""},
        {"DA1", "", KES_FIRMWARE_UNSUPPORTED, ""},
        {"BA12J13i", "", KES_FIRMWARE_GENERIC, "bin"},
        {"", "", KES_FIRMWARE_GENERIC, "bin"},  // a boot loader that did not answer
    };
    for (const Row& row : rows) {
        KesFirmwareKind kind = KesGetFirmwareKind(row.version, row.model);
        EXPECT_EQ(kind, row.kind) << row.version;
        EXPECT_STREQ(KesGetFirmwareExtension(kind), row.extension) << row.version;
        EXPECT_EQ(KesFirmwareForcesBootLoader(kind), kind == KES_FIRMWARE_BFM) << row.version;
    }
    EXPECT_EQ(KesGetFirmwareKind(nullptr, nullptr), KES_FIRMWARE_GENERIC);
}

TEST(FirmwareKinds, GenericNameCheckAndReconnectingFamilies) {
    EXPECT_TRUE(KesFirmwareNameMatches("BA12J13i", "/home/op/BA12J20a.bin"));
    EXPECT_TRUE(KesFirmwareNameMatches("BA12J13i", "C:\\fw\\BA12.bin"));
    EXPECT_FALSE(KesFirmwareNameMatches("BA12J13i", "/tmp/ba12J20a.bin"));
    EXPECT_FALSE(KesFirmwareNameMatches("BA12J13i", "/BA1"));
    EXPECT_FALSE(KesFirmwareNameMatches("BA12J13i", "BA13/fw.bin"));

    EXPECT_TRUE(KesFirmwareReconnects("BD49"));
    EXPECT_TRUE(KesFirmwareReconnects("BF0102"));
    EXPECT_FALSE(KesFirmwareReconnects("BFM0102"));
    EXPECT_FALSE(KesFirmwareReconnects("BA12J13i"));
}

TEST(FirmwarePackets, ApplicationPacketIsLittleEndianWithSixteenBitSum) {
    std::string data(3616, '\xFF');
    std::uint8_t packet[kes::kAppPacketSize];
    kes::buildApplicationPacket(0x0102, reinterpret_cast<const std::uint8_t*>(data.data()),
                                static_cast<std::uint32_t>(data.size()), packet);
    EXPECT_EQ(packet[0], 0x02);
    EXPECT_EQ(packet[1], 0x01);
    EXPECT_EQ(packet[2], 0x00);  // 8192 = 0x2000
    EXPECT_EQ(packet[3], 0x20);
    EXPECT_EQ(packet[4 + 3615], 0xFF);
    EXPECT_EQ(packet[4 + 3616], 0x00);
    EXPECT_EQ(packet[4 + 8191], 0x00);
    unsigned sum = 3616 * 0xFF & 0xFFFF;  // wraps at 16 bits
    EXPECT_EQ(packet[8196], sum & 0xFF);
    EXPECT_EQ(packet[8197], sum >> 8);

    kes::buildControlPacket('E', 'B', packet);
    EXPECT_EQ(packet[0], 'E');
    EXPECT_EQ(packet[1], 'B');
    for (std::uint32_t i = 2; i < kes::kAppPacketSize; ++i)
        ASSERT_EQ(packet[i], 0) << i;
}

TEST(FirmwarePackets, WriteRepliesSkipNoiseAndTellUnknownAnswers) {
    using Reply = kes::WriteReplyReader::Reply;
    auto read = [](const std::string& bytes) {
        kes::WriteReplyReader reader;
        std::vector<Reply> replies;
        for (char c : bytes) {
            Reply r = reader.feed(static_cast<std::uint8_t>(c));
            if (r != Reply::None)
                replies.push_back(r);
        }
        return replies;
    };
    EXPECT_EQ(read("\r\nEGxBEEGBEFE"),
              (std::vector<Reply>{Reply::Writing, Reply::UnitWritten, Reply::Writing,
                                  Reply::UnitWritten, Reply::Finished}));
    EXPECT_EQ(read("WE"), std::vector<Reply>{Reply::WriteError});
    EXPECT_EQ(read("EX"), std::vector<Reply>{Reply::Unknown});
    EXPECT_EQ(read("BF"), std::vector<Reply>{Reply::Unknown});
}

}  // namespace
