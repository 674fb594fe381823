// Identification of every engine family over a real pty, against the simulated reader.
#include "serial/reader_fixture.h"

namespace omni::test {
namespace {

namespace replies = sim::replies;

struct Case {
    const char* name;
    std::string reply;
    const char* family;  // null: no module
    const char* firmware;
    const char* model;
};

class Identification : public ReaderTest, public ::testing::WithParamInterface<Case> {};

TEST_P(Identification, PicksTheFamilyAndKeepsTheTexts) {
    const Case& c = GetParam();
    reader.setVersionReply(c.reply);
    openPort();
    KesSetLastStatus(KES_STATE_SUCCESS);
    KesHandle module = KesOpenModule(port.moduleHandle());
    ASSERT_TRUE(reader.waitForCommands(1, std::chrono::seconds(2)));
    EXPECT_EQ(reader.transcript().front(), "Z1");
    if (!c.family) {
        EXPECT_EQ(module, KES_INVALID_HANDLE);
        return;
    }
    ASSERT_NE(module, KES_INVALID_HANDLE) << KesStateName(KesGetLastStatus());
    EXPECT_EQ(KesGetLastStatus(), KES_STATE_SUCCESS);
    EXPECT_STREQ(KesGetModuleClassName(module), c.family);
    EXPECT_STREQ(KesGetFirmwareVersion(module), c.firmware);
    EXPECT_STREQ(KesGetModelName(module), c.model);
    KesCloseHandle(module);
}

INSTANTIATE_TEST_SUITE_P(
    Families, Identification,
    ::testing::Values(
        Case{"BA", replies::family("BA12J13i"), "EngineA", "BA12J13i", ""},
        Case{"BD48", replies::family("BD48V1"), "EngineB", "BD48V1", ""},
        Case{"BD49", replies::family("BD49"), "EngineC", "BD49", ""},
        Case{"BFM", replies::family("BFM0102"), "EngineL", "BFM0102", ""},
        Case{"BF", replies::family("BF0102"), "EngineC", "BF0102", ""},
        Case{"FA", replies::family("FA0300"), "EngineB", "FA0300", ""},
        Case{"FL", replies::family("FL0100"), "EngineAD", "FL0100", ""},
        Case{"VerEngTC", replies::versionLine("ENG:", "TC12345"), "EngineL", "TC12345", "KVT"},
        Case{"VerEngBD", replies::versionLine("ENG:", "BD30A01"), "EngineB", "BD30A01", "KVT"},
        Case{"VerApOnly", "Ver.1.0 AP:BA20J03x\r", "EngineA", "BA20J03", "KVT"},
        Case{"VerWithoutMarker", "Ver.1.0 nothing here\r", nullptr, "", ""},
        Case{"ModelQ40", replies::model("Q-40", "AB100"), "EngineL", "AB100", "Q-40"},
        Case{"ModelVersionTS", replies::model("Q 50", "TS200"), "EngineL", "TS200", "Q50"},
        Case{"ModelUnknown", replies::model("X-1", "ZZ9"), nullptr, "", ""},
        Case{"Utf16Le", replies::utf16("BA12J13i\r", false), "EngineA", "BA12J13i", ""},
        Case{"Utf16Be", replies::utf16("BA12J13i\r", true), "EngineA", "BA12J13i", ""},
        Case{"LeadingEtbAndLf", "\x17\n" + replies::family("BD49"), "EngineC", "BD49", ""}),
    [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

TEST_F(ReaderTest, UnknownReplyFailsWithCreateHandleFailure) {
    reader.setVersionReply("XYZ garbage\r");
    openPort();
    EXPECT_EQ(KesOpenModule(port.moduleHandle()), KES_INVALID_HANDLE);
    EXPECT_EQ(KesGetLastStatus(), KES_STATE_CREATE_HANDLE_FAILURE);
    EXPECT_THROW(reader::openModule(port.moduleHandle()), foundation::KesException);
}

TEST_F(ReaderTest, ModelThatFitsNoFamilyIsAFailureWithStatusZero) {
    reader.setVersionReply(replies::model("X-1", "ZZ9"));
    openPort();
    EXPECT_EQ(KesOpenModule(port.moduleHandle()), KES_INVALID_HANDLE);
    EXPECT_EQ(KesGetLastStatus(), KES_STATE_SUCCESS);
    try {
        reader::openModule(port.moduleHandle());
        FAIL() << "no module expected";
    } catch (const foundation::KesException& e) {
        EXPECT_EQ(e.state(), KES_STATE_CREATE_HANDLE_FAILURE);
    }
}

TEST_F(ReaderTest, ReplyCutOffBeforeItsEndIsATimeout) {
    reader.setVersionReply("BA12J13i");  // no CR ever comes
    openPort();
    EXPECT_EQ(KesOpenModule(port.moduleHandle()), KES_INVALID_HANDLE);
    EXPECT_EQ(KesGetLastStatus(), KES_STATE_COMMUNICATION_TIMEOUT);
    KesSetLastStatus(KES_STATE_SUCCESS);
}

TEST_F(ReaderTest, EngineLRefusesCaptureWithoutSendingAnything) {
    reader.setVersionReply(replies::family("BFM0102"));
    openPort();
    reader::ModuleHandle module = reader::openModule(port.moduleHandle());
    reader.clearTranscript();
    EXPECT_EQ(KesShoot(module.get(), 0), KES_INVALID_HANDLE);
    EXPECT_EQ(KesGetLastStatus(), KES_STATE_NOT_SUPPORTED_BY_THIS_HANDLE);
    KesSendCommand(module.get(), "B2", 2);
    ASSERT_TRUE(reader.waitForCommands(1, std::chrono::seconds(2)));
    EXPECT_EQ(reader.transcript(), std::vector<std::string>{"B2"});
}

TEST_F(ReaderTest, CommandFramingAndLengthLimit) {
    openPort();
    reader::ModuleHandle module = reader::openModule(port.moduleHandle());
    reader.clearTranscript();
    std::string longest(1022, 'A');
    std::string tooLong(1023, 'B');
    KesSendCommand(module.get(), tooLong.data(), static_cast<std::uint32_t>(tooLong.size()));
    EXPECT_EQ(KesGetLastStatus(), KES_STATE_TOO_LONG_SEND_COMMAND);
    KesSendCommand(module.get(), longest.data(), static_cast<std::uint32_t>(longest.size()));
    EXPECT_EQ(KesGetLastStatus(), KES_STATE_SUCCESS);
    ASSERT_TRUE(reader.waitForCommands(1, std::chrono::seconds(2)));
    EXPECT_EQ(reader.received(), "\x1B" + longest + "\r");
}

}  // namespace
}  // namespace omni::test
