// Firmware download, application protocol, against the simulated engine over a pty: packet
// layout, numbering, retries, the write phase, cancel and the faults of a bad day. Every case
// also checks that the port is back at its own line settings.
#include "module/firmware_fixture.h"

namespace omni::test {
namespace {

using Ending = sim::FirmwareResponder::Ending;

TEST_F(FirmwareTest, FileIsSentAsPaddedPacketsAtHighSpeedThenWritten) {
    auto& engine = connect("BA12J13i");
    FirmwareFile file(20000);
    EXPECT_EQ(download(file), KES_STATE_SUCCESS);
    EXPECT_TRUE(KesDownloadFinished(module.get()));

    // Three packets numbered from 8, each declaring 8192 bytes with a valid checksum; the last
    // carries 3616 bytes of the file and 4576 zeros.
    auto packets = engine.packets();
    ASSERT_EQ(packets.size(), 3u);
    for (std::size_t i = 0; i < packets.size(); ++i) {
        EXPECT_EQ(packets[i].number, 8 + i);
        EXPECT_EQ(packets[i].declared, 8192);
        EXPECT_TRUE(packets[i].valid);
        EXPECT_EQ(packets[i].lineSpeed, 115200u);
    }
    EXPECT_EQ(engine.firmware(), file.padded(8192));
    EXPECT_EQ(engine.firmware().substr(16384 + 3616), std::string(4576, '\0'));
    EXPECT_EQ(engine.ending(), Ending::Finished);
    expectLineRestored();

    // The five callbacks: transfer range and start, blocks, then the write phase.
    std::vector<std::string> expected = {"transfer 8..11", "sent 8",    "phase 1",  "sent 9",
                                         "sent 10",        "sent 11",   "phase 0",  "write 0..1",
                                         "written 0",      "written 1", "written 2"};
    EXPECT_EQ(progress.calls, expected);
    EXPECT_EQ(reader.transcript().front(), "Z1");
    EXPECT_EQ(reader.transcript().at(1), "WD[X.ZZW");
}

TEST_F(FirmwareTest, SerialLoaderStartsAtBlockZero) {
    auto& engine = connect("BD12");  // EngineB: the same protocol
    FirmwareFile file(9000, "SLDR");
    EXPECT_EQ(download(file), KES_STATE_SUCCESS);
    auto packets = engine.packets();
    ASSERT_EQ(packets.size(), 2u);
    EXPECT_EQ(packets[0].number, 0);
    EXPECT_EQ(packets[1].number, 1);
    EXPECT_EQ(engine.firmware(), file.padded(8192));
    expectLineRestored();
}

TEST_F(FirmwareTest, BlockRefusedThreeTimesIsAcceptedOnFourthTry) {
    auto& engine = connect("BA12J13i", {.refuseBlock = {{9, 3}}});

    FirmwareFile twoBlocks(16384);
    EXPECT_EQ(download(twoBlocks), KES_STATE_SUCCESS);
    EXPECT_EQ(engine.attemptsRefused(), 3u);
    EXPECT_EQ(engine.firmware(), twoBlocks.bytes());
    expectLineRestored();
}

TEST_F(FirmwareTest, FourRefusalsOfOneBlockAreTooManyRetries) {
    auto& engine = connect("BA12J13i", {.refuseBlock = {{9, 4}}});
    FirmwareFile file(102400);
    EXPECT_EQ(download(file), KES_STATE_TOO_MANY_RETRY);
    EXPECT_FALSE(KesDownloadFinished(module.get()));
    EXPECT_EQ(engine.attemptsRefused(), 4u);
    EXPECT_EQ(engine.packets().size(), 5u);  // block 8 once, block 9 four times, nothing after
    expectLineRestored();
}

TEST_F(FirmwareTest, CancelSendsAbortPacketAndEndsQuietly) {
    auto& engine = connect("BA12J13i");
    progress.cancelModule = module.get();
    progress.cancelAt = 10;  // after the second block was accepted
    FirmwareFile file(81920);
    EXPECT_EQ(download(file), KES_STATE_SUCCESS);
    EXPECT_FALSE(KesDownloadFinished(module.get()));
    ASSERT_TRUE(engine.waitForEnding(std::chrono::seconds(2)));
    EXPECT_EQ(engine.ending(), Ending::Aborted);
    EXPECT_EQ(engine.packets().size(), 2u);
    EXPECT_FALSE(progress.contains("phase 0"));
    expectLineRestored();
}

TEST_F(FirmwareTest, WriteErrorAndMissingEndAnswerAreReported) {
    connect("BA12J13i", {.writeError = true});
    FirmwareFile file(70000);
    EXPECT_EQ(download(file), KES_STATE_DOWNLOAD_PROTCOL_FROM_EXCEPTION);
    EXPECT_EQ(std::string(KesStateName(KES_STATE_DOWNLOAD_PROTCOL_FROM_EXCEPTION)),
              "KES_STATE_DOWNLOAD_PROTCOL_FROM_EXCEPTION");
    expectLineRestored();
}

TEST_F(FirmwareTest, UnansweredEndOfDataTimesOut) {
    auto& engine = connect("BA12J13i", {.noEndAnswer = true});
    FirmwareFile file(8192);
    EXPECT_EQ(download(file), KES_STATE_COMMUNICATION_TIMEOUT);
    EXPECT_EQ(engine.ending(), Ending::Unanswered);
    expectLineRestored();
}

TEST_F(FirmwareTest, HangUpMidTransferEndsWithoutHanging) {
    auto& engine = connect("BA12J13i", {.hangUpAfterBlocks = 2});
    FirmwareFile file(81920);
    KesState state = download(file);
    EXPECT_TRUE(state == KES_STATE_COMMUNICATION_FAILURE ||
                state == KES_STATE_SERIAL_PORT_IS_CLOSED)
        << KesStateName(state);
    EXPECT_EQ(engine.ending(), Ending::HungUp);
    EXPECT_FALSE(KesDownloadFinished(module.get()));
}

TEST_F(FirmwareTest, BootLoaderTakesPacketsWithoutStartCommand) {
    auto& engine = connect("", {}, {}, /*bootLoader=*/true);
    EXPECT_STREQ(KesGetModuleClassName(module.get()), "EngineAInvalid");

    FirmwareFile file(10000);
    EXPECT_EQ(download(file, /*bootLoader=*/false), KES_STATE_NOT_SUPPORTED_BY_THIS_HANDLE);
    EXPECT_TRUE(engine.packets().empty());

    progress.cancelModule = module.get();
    progress.cancelAt = 9;
    FirmwareFile big(40000);
    EXPECT_EQ(download(big, true), KES_STATE_SUCCESS);
    EXPECT_FALSE(KesDownloadFinished(module.get()));
    ASSERT_TRUE(engine.waitForEnding(std::chrono::seconds(2)));
    EXPECT_EQ(engine.ending(), Ending::Aborted);
    expectLineRestored();
}

TEST_F(FirmwareTest, ApplicationFamiliesRefuseTheBootLoaderFlagWithoutSending) {
    auto& engine = connect("FL0123");  // EngineAD
    reader.clearTranscript();
    FirmwareFile file(100);
    EXPECT_EQ(download(file, true), KES_STATE_NOT_SUPPORTED_BY_THIS_HANDLE);
    EXPECT_TRUE(reader.received().empty());
    EXPECT_TRUE(engine.packets().empty());
}

}  // namespace
}  // namespace omni::test
