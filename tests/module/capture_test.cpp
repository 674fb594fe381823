// The capture protocol against a scripted in-memory engine: checksums, header conversion, the
// settings reply and the "[DE7" command, and headers and blocks that claim more than they may.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>

#include "module/capture.h"
#include "module/engine_line.h"
#include "module/image_info.h"
#include "module/kes_sdk.h"

namespace {

using kes::blockChecksum;
using omni::test::EngineLine;

std::string be(std::uint32_t value, int bytes) {
    std::string out;
    for (int i = bytes - 1; i >= 0; --i)
        out += static_cast<char>(value >> (8 * i));
    return out;
}

std::string block(char type, const std::string& payload) {
    const auto* p = reinterpret_cast<const std::uint8_t*>(payload.data());
    return type + be(0, 2) + be(static_cast<std::uint32_t>(payload.size()), 4) + payload +
           be(blockChecksum(p, payload.size()), 2) + "\r";
}

std::string header(std::uint32_t size, int width, int height, int bits, int format = 3) {
    std::string h(256, '\0');
    h.replace(1, 4, be(size, 4));
    h.replace(7, 2, be(width, 2));
    h.replace(9, 2, be(height, 2));
    h[23] = static_cast<char>(bits);
    h[24] = static_cast<char>(format);
    return h;
}

constexpr char kSettings[] = "\x17;Trim(0,0,751,479) Sub(1,1) Bp8 Jq80 FfBMP TrPART Fl(0,0) Re0\r";

// Identifies an EngineA, then shoots with `engine` queued after the settings and the request's
// one-line answer. Returns the image handle; status and written bytes are left to the caller.
class ScriptedShot : public ::testing::Test {
protected:
    KesHandle shoot(const std::string& engine) {
        port_ = {};
        port_.input = std::string("BA12J13i\r") + kSettings + "OK\r" + engine;
        serial_ = port_.createPort();
        module_ = KesOpenModule(serial_);
        port_.written.clear();
        return KesShoot(module_, 0);
    }
    void TearDown() override {
        KesCloseHandle(module_);
        KesCloseHandle(serial_);
        module_ = serial_ = 0;
        KesSetLastStatus(KES_STATE_SUCCESS);
    }
    // What the module answered after the request frame.
    std::string answers() const {
        return port_.written.substr(port_.written.find("[DE0[DE1\r") + 9);
    }
    EngineLine port_;
    KesHandle serial_ = 0;
    KesHandle module_ = 0;
};

TEST_F(ScriptedShot, RequestTable) {
    const std::pair<int, const char*> requests[] = {
        {0, "[DE1"},        {1, "[DE1Q0"},        {8, "[DE1Q7"}, {9, "[DE1Q1Q0"},
        {14, "[DE1Q0Q0Q0"}, {15, "[DE1Q0Q0Q0Q0"}, {16, nullptr}, {-1, nullptr}};
    for (const auto& [request, command] : requests) {
        shoot("");  // identifies and leaves the settings reply and "OK" unread
        port_.at = port_.input.find(';');
        port_.written.clear();
        EXPECT_EQ(KesShootWithCommand(module_, request, 0), KES_INVALID_HANDLE);
        if (command) {
            EXPECT_EQ(port_.written.substr(0, 8 + std::strlen(command)),
                      std::string("\x1B[DE6\r\x1B") + command + "\r")
                << request;
        } else {
            EXPECT_EQ(KesGetLastStatus(), KES_STATE_NO_IMAGE);
            EXPECT_EQ(port_.written, "\x1B[DE6\r") << request;  // the request itself: nothing
        }
        TearDown();
    }
}

TEST(Checksum, PositionWeightedSum) {
    const std::uint8_t abc[] = {'A', 'B', 'C'};
    EXPECT_EQ(blockChecksum(abc, 3), 398);
    // Continuing a sum over a later piece gives the sum of the whole.
    EXPECT_EQ(blockChecksum(abc + 1, 2, 1, blockChecksum(abc, 1)), 398);
}

TEST(ImageHeader, ConvertedFieldsAndBytesPerLine) {
    kes::ImageHeader h;
    const std::string raw = header(1000, 13, 5, 1);
    raw.copy(reinterpret_cast<char*>(h.bytes), 256);
    h.bytes[11] = 0xFF;  // trim left -2
    h.bytes[12] = 0xFE;
    h.toHostOrder();
    EXPECT_EQ(h.dataSize(), 1000u);
    EXPECT_EQ(h.width(), 13);
    EXPECT_EQ(h.trim(0), -2);
    EXPECT_EQ(h.bytesPerLine(), 4u);  // 13 bits → 2 bytes → 4
    h.bytes[23] = 10;
    EXPECT_EQ(h.bytesPerLine(), 28u);  // 2 × 13 = 26 → 28
    h.bytes[23] = 8;
    EXPECT_EQ(h.bytesPerLine(), 16u);
}

TEST(OutputSettings, ReplyParsedFromItsFirstSemicolon) {
    kes::ImageOutputProperty::Fields f;
    ASSERT_TRUE(kes::parseOutputSettings(
        "junk;Trim(1,2,3,4) Sub(2,4) Bp10 Jq55 FfJPEG TrALL Fl(1,0) Re2\r", f));
    EXPECT_EQ(f.trim[3], 4);
    EXPECT_EQ(f.subSampling[1], 4);
    EXPECT_EQ(f.bitsPerPixel, 10);
    EXPECT_EQ(f.jpegQuality, 55);
    EXPECT_EQ(f.format, kes::kFormatJpeg);
    EXPECT_EQ(f.wholeTransfer, 1);
    EXPECT_EQ(f.flip[0], 1);
    EXPECT_EQ(f.reverse, 2);
    ASSERT_TRUE(
        kes::parseOutputSettings(";Trim(0,0,0,0) Sub(1,1) Bp8 Jq80 FfPNG TrPART "
                                 "Fl(0,0) Re0\r",
                                 f));
    EXPECT_EQ(f.format, kes::kFormatOther);
    EXPECT_EQ(f.wholeTransfer, 0);
    EXPECT_FALSE(kes::parseOutputSettings(";Trim(0,0,0,0) Sub(1,1) Bp8 Jq80\r", f));
    EXPECT_FALSE(
        kes::parseOutputSettings("Trim(0,0,0,0) Sub(1,1) Bp8 Jq80 FfBMP TrPART "
                                 "Fl(0,0) Re0\r",
                                 f));  // parsed from the first character: no ";"
}

TEST(OutputSettings, SettersKeepTheirFieldOnRefusalAndMaximaFollowTheClass) {
    kes::ImageOutputProperty a;
    kes::ImageOutputProperty_C c;
    KesSetLastStatus(KES_STATE_SUCCESS);
    a.setTrim(0, 752);
    EXPECT_EQ(KesGetLastStatus(), KES_STATE_INVALID_PARAMETER);
    EXPECT_EQ(a.trimLeft(), 0);
    KesSetLastStatus(KES_STATE_SUCCESS);
    c.setTrim(0, 752);
    c.setTrim(3, 799);
    EXPECT_EQ(KesGetLastStatus(), KES_STATE_SUCCESS);
    EXPECT_EQ(c.trimLeft(), 752);
    using Setter = void (*)(kes::ImageOutputProperty&);
    for (Setter refused : {+[](kes::ImageOutputProperty& p) { p.setSubSampling(0, 3); },
                           +[](kes::ImageOutputProperty& p) { p.setBitsPerPixel(2); },
                           +[](kes::ImageOutputProperty& p) { p.setJpegQuality(4); },
                           +[](kes::ImageOutputProperty& p) { p.setFormat(2); },
                           +[](kes::ImageOutputProperty& p) { p.setReverse(3); },
                           +[](kes::ImageOutputProperty& p) { p.setTrim(1, -1); }}) {
        KesSetLastStatus(KES_STATE_SUCCESS);
        refused(a);
        EXPECT_EQ(KesGetLastStatus(), KES_STATE_INVALID_PARAMETER);
    }
    KesSetLastStatus(KES_STATE_SUCCESS);
}

TEST(OutputSettings, WriteCommandCodesEveryField) {
    kes::ImageOutputProperty p;
    p.setTrim(2, 751);
    p.setBitsPerPixel(10);
    p.setFlip(1, 7);  // sent as 1
    p.setWholeTransfer(1);
    EXPECT_EQ(p.writeCommand(),
              "[DE7Q1Q0Q0Q0Q0Q0Q1Q1Q0Q0Q0Q0Q1Q2Q0Q7Q5Q1Q1Q3Q0Q0Q0Q0Q2Q0Q0Q0Q0Q1Q2Q1Q0Q0Q0Q1"
              "Q3Q0Q0Q0Q0Q3Q4Q0Q0Q0Q8Q0Q5Q0Q0Q0Q0Q3Q6Q0Q0Q0Q0Q1Q7Q0Q0Q0Q0Q0Q7Q1Q0Q0Q0Q1Q8Q0Q0"
              "Q0Q0Q0");
}

TEST_F(ScriptedShot, PictureInBlocksIsAcknowledgedAndEndedWithEtb) {
    const std::string rows = std::string(8, 'a') + std::string(8, 'b');
    KesHandle image = shoot(block('!', header(16, 8, 2, 8)) + block('!', rows.substr(0, 8)) +
                            block('!', rows.substr(8)));
    ASSERT_NE(image, KES_INVALID_HANDLE);
    EXPECT_EQ(KesGetLastStatus(), KES_STATE_SUCCESS);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(KesGetImageData(image)), 16), rows);
    EXPECT_EQ(KesGetImageBytesPerLine(image), 8);
    EXPECT_EQ(answers(), "\x06\x06\x06\x17");
    KesCloseHandle(image);
}

TEST_F(ScriptedShot, ClaimsBeyondTheEngineAreRefusedAsBroken) {
    const std::string data(16, 'x');
    const std::string cases[] = {
        block('!', header(752 * 480 * 2 + 1, 752, 480, 8)),        // more than the class can make
        block('!', header(0xFFFFFFFF, 8, 2, 8, 1)),                // a JPEG as large
        block('!', header(16, 8, 2, 8) + "extra"),                 // header block of 261 bytes
        block('!', header(8, 8, 2, 8)),                            // two rows do not fit in 8 bytes
        block('!', header(16, 8, 2, 8)) + block('!', data + "!"),  // past the data size
    };
    for (const std::string& engine : cases) {
        EXPECT_EQ(shoot(engine), KES_INVALID_HANDLE);
        EXPECT_EQ(KesGetLastStatus(), KES_STATE_BROKEN_IMAGE);
        EXPECT_EQ(answers().back(), '\x17');  // ETB after the failure
        TearDown();
    }
}

TEST_F(ScriptedShot, ErrorReportsAndRetries) {
    EXPECT_EQ(shoot(block('?', std::string("\0\x02\0\0", 4))), KES_INVALID_HANDLE);
    EXPECT_EQ(KesGetLastStatus(), KES_STATE_USING_IMAGE);
    TearDown();

    std::string bad = block('!', header(16, 8, 2, 8));
    bad[bad.size() - 2] ^= 1;  // wrong checksum, four times
    EXPECT_EQ(shoot(bad + bad + bad + bad), KES_INVALID_HANDLE);
    EXPECT_EQ(KesGetLastStatus(), KES_STATE_TOO_MANY_RETRY);
    EXPECT_EQ(answers(), "\x15\x15\x15\x17");  // three NAKs, then ETB
}

TEST_F(ScriptedShot, UnknownBlockTypeIsCancelled) {
    EXPECT_EQ(shoot(block('#', "zz")), KES_INVALID_HANDLE);
    EXPECT_EQ(KesGetLastStatus(), KES_STATE_COMMUNICATION_FAILURE);
    EXPECT_EQ(answers(), "\x18\x17");
}

}  // namespace
