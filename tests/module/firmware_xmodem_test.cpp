// Firmware download over XMODEM (EngineL) against the simulated engine over a pty. Each run takes
// a few seconds of the protocol's own pauses, so the cases are few and check much.
#include "module/firmware_fixture.h"

namespace omni::test {
namespace {

using Ending = sim::FirmwareResponder::Ending;

TEST_F(FirmwareTest, XmodemNumbersBlocksWithComplementsAndEndsWithRestart) {
    // The first block is refused three times, then taken.
    auto& engine = connect("BFM1234", {.nakStorm = 3});
    EXPECT_STREQ(KesGetModuleClassName(module.get()), "EngineL");
    FirmwareFile file(300);
    EXPECT_EQ(download(file), KES_STATE_SUCCESS);
    EXPECT_TRUE(KesDownloadFinished(module.get()));

    std::vector<std::pair<int, int>> numbers;
    for (const auto& packet : engine.packets()) {
        EXPECT_EQ(packet.lineSpeed, 115200u);
        if (packet.valid)
            numbers.emplace_back(packet.number, packet.complement);
    }
    // The refused first block is sent again as it was.
    std::vector<std::pair<int, int>> expected = {{1, 254}, {1, 254}, {1, 254},
                                                 {1, 254}, {2, 253}, {3, 252}};
    EXPECT_EQ(numbers, expected);
    EXPECT_EQ(engine.attemptsRefused(), 3u);
    EXPECT_EQ(engine.firmware(), file.padded(128));
    EXPECT_EQ(engine.ending(), Ending::Finished);

    auto transcript = reader.transcript();
    std::vector<std::string> commands(transcript.begin() + 1, transcript.end());
    std::vector<std::string> expectedCommands = {"XLT\x0F", "XO", "RV"};
    EXPECT_EQ(commands, expectedCommands);
    EXPECT_EQ(progress.calls.front(), "transfer 1..4");
    EXPECT_TRUE(progress.contains("write 1..4"));
    EXPECT_EQ(progress.calls.back(), "written 4");
    expectLineRestored();
}

TEST_F(FirmwareTest, XmodemCancelSendsCanAndEndlessNaksGiveUp) {
    auto& engine = connect("BFM1234");
    progress.cancelModule = module.get();
    progress.cancelAt = 3;  // after the second block
    FirmwareFile file(1000);
    EXPECT_EQ(download(file, /*bootLoader=*/true), KES_STATE_SUCCESS);
    EXPECT_FALSE(KesDownloadFinished(module.get()));
    ASSERT_TRUE(engine.waitForEnding(std::chrono::seconds(2)));
    EXPECT_EQ(engine.ending(), Ending::Cancelled);
    EXPECT_EQ(engine.firmware().size(), 256u);
    // From the boot loader there is no loader command.
    EXPECT_EQ(reader.transcript().at(1), "XO");
    expectLineRestored();
}

TEST_F(FirmwareTest, XmodemNakStormEndsWithTooManyRetries) {
    auto& engine = connect("BFM1234", {.nakStorm = 1000});
    FirmwareFile file(200);
    EXPECT_EQ(download(file, true), KES_STATE_TOO_MANY_RETRY);
    EXPECT_EQ(engine.attemptsRefused(), 101u);  // the first try and 100 more
    ASSERT_TRUE(engine.waitForEnding(std::chrono::seconds(2)));
    EXPECT_EQ(engine.ending(), Ending::Cancelled);  // the engine was sent CAN
    expectLineRestored();
}

}  // namespace
}  // namespace omni::test
