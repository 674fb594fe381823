// omnisetup-cli shoot, image-settings and send-image against the simulated reader, run as the
// user runs them: the files written, the exit statuses, and Ctrl+C during a transfer.
#include <gtest/gtest.h>

#include <jpeglib.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <thread>

#include "cli/cli_run.h"
#include "sim/capture_responder.h"
#include "sim/test_picture.h"

namespace omni::test {
namespace {

namespace fs = std::filesystem;

std::vector<std::uint8_t> fileBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::uint32_t le32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

class CliCapture : public ::testing::Test {
protected:
    void SetUp() override {
        engine = sim::addImagingResponders(reader).capture;
        engine->setPictureSize(96, 40);
        reader.start();
        folder = fs::temp_directory_path() / ("omni-cli-capture-" + std::to_string(::getpid()));
        fs::create_directories(folder);
    }
    void TearDown() override { fs::remove_all(folder); }
    std::string port() const { return "--port " + reader.devicePath(); }
    std::string out(const char* name) const { return (folder / name).string(); }
    bool folderEmpty() const { return fs::is_empty(folder); }

    sim::SimulatedReader reader;
    sim::CaptureResponder* engine = nullptr;
    fs::path folder;
};

TEST_F(CliCapture, BitmapHoldsTheTestPictureBottomUp) {
    const CliRun run = runCli("shoot " + port() + " -o " + out("a.bmp"));
    ASSERT_EQ(run.code, 0) << run.out;
    const std::vector<std::uint8_t> bmp = fileBytes(out("a.bmp"));
    ASSERT_GT(bmp.size(), 54u);
    EXPECT_EQ(bmp[0], 'B');
    EXPECT_EQ(le32(bmp, 18), 96u);
    EXPECT_EQ(le32(bmp, 22), 40u);
    EXPECT_EQ(bmp[28], 8);
    const std::size_t offset = le32(bmp, 10);
    ASSERT_EQ(bmp.size(), offset + 96u * 40u);
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 96; ++x) {
            ASSERT_EQ(bmp[offset + (39 - y) * 96 + x], sim::testPixel(x, y)) << x << "," << y;
        }
    }
}

TEST_F(CliCapture, JpegIsGreyAtThePictureSize) {
    const CliRun run = runCli("shoot " + port() + " -o " + out("a.jpg"));
    ASSERT_EQ(run.code, 0) << run.out;
    std::vector<std::uint8_t> jpeg = fileBytes(out("a.jpg"));
    jpeg_decompress_struct d{};
    jpeg_error_mgr errors{};
    d.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&d);
    jpeg_mem_src(&d, jpeg.data(), jpeg.size());
    ASSERT_EQ(jpeg_read_header(&d, TRUE), JPEG_HEADER_OK);
    EXPECT_EQ(d.image_width, 96u);
    EXPECT_EQ(d.image_height, 40u);
    EXPECT_EQ(d.num_components, 1);
    jpeg_destroy_decompress(&d);

    // A JPEG from the engine is written as it came.
    sim::OutputSettings s;
    s.format = 1;
    engine->setSettings(s);
    ASSERT_EQ(runCli("shoot " + port() + " -o " + out("engine.jpeg")).code, 0);
    EXPECT_EQ(fileBytes(out("engine.jpeg")), sim::testPictureJpeg(96, 40, 80));
}

TEST_F(CliCapture, ThirdBlockBadThreeTimesIsReceivedFourTimesIsNot) {
    engine->corruptBlock(2, 3);
    EXPECT_EQ(runCli("shoot " + port() + " -o " + out("ok.bmp")).code, 0);
    fs::remove(out("ok.bmp"));

    engine->corruptBlock(2, 4);
    const CliRun run = runCli("shoot " + port() + " -o " + out("no.bmp"));
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.out.find("The picture could not be taken: the picture arrived damaged too many "
                           "times (KES_STATE_TOO_MANY_RETRY)"),
              std::string::npos)
        << run.out;
    EXPECT_TRUE(folderEmpty());
}

TEST_F(CliCapture, FailuresAndBadArguments) {
    engine->setErrorReport(2);
    CliRun run = runCli("shoot " + port() + " -o " + out("x.bmp"));
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.out.find("the reader's imaging engine is busy (KES_STATE_USING_IMAGE)"),
              std::string::npos)
        << run.out;
    EXPECT_EQ(runCli("shoot " + port() + " -o " + out("x.gif")).code, 2);
    EXPECT_EQ(runCli("shoot " + port() + " --trigger sideways -o " + out("x.bmp")).code, 2);
    EXPECT_EQ(runCli("shoot " + port() + " --wait 0 -o " + out("x.bmp")).code, 2);
    EXPECT_TRUE(folderEmpty());

    std::ofstream(out("junk.jpg")) << "not a picture";
    EXPECT_EQ(runCli("send-image " + port() + " " + out("junk.jpg")).code, 2);
}

TEST_F(CliCapture, SettingsPrintedAndTrimLimitFollowsTheEngine) {
    sim::OutputSettings s;
    s.trim[1] = 7;
    s.jpegQuality = 65;
    s.whole = true;
    engine->setSettings(s);
    CliRun run = runCli("image-settings " + port());
    ASSERT_EQ(run.code, 0) << run.out;
    EXPECT_EQ(run.out,
              "trim: 0,7,639,479\nsubsampling: 1,1\nbits: 8\njpeg-quality: 65\nformat: bmp\n"
              "transfer: whole\nflip: 0,0\nreverse: 0\n");

    run = runCli("image-settings " + port() + " --set trim-left=752");
    EXPECT_EQ(run.code, 2);
    EXPECT_NE(run.out.find("0-751"), std::string::npos) << run.out;
    EXPECT_EQ(engine->lastSettingsCommand(), "");  // nothing written

    sim::SimulatedReader engineC;
    engineC.setVersionReply(sim::replies::family("BD49"));
    sim::CaptureResponder* c = sim::addImagingResponders(engineC).capture;
    engineC.start();
    run = runCli("image-settings --port " + engineC.devicePath() +
                 " --set trim-left=752 format=jpeg");
    ASSERT_EQ(run.code, 0) << run.out;
    EXPECT_NE(run.out.find("trim: 752,"), std::string::npos);
    ASSERT_TRUE(engineC.waitForCommands(3, std::chrono::seconds(2)));
    EXPECT_EQ(c->settings().trim[0], 752);
    EXPECT_EQ(c->settings().format, 1);
}

TEST_F(CliCapture, SentPictureGetsTheReadersReport) {
    ASSERT_EQ(runCli("shoot " + port() + " -o " + out("p.bmp")).code, 0);
    const CliRun run = runCli("send-image " + port() + " " + out("p.bmp"));
    EXPECT_EQ(run.code, 0) << run.out;
    EXPECT_EQ(run.out, "SIMULATED DECODE OK\n");
}

TEST_F(CliCapture, InterruptCancelsTheTransferAndLeavesNoFile) {
    engine->setPictureSize(320, 240);
    engine->setLineRate(40000);  // about two seconds for the picture
    const std::string output = out("cancelled.bmp");
    const pid_t pid = startCli({"shoot", "--port", reader.devicePath(), "-o", output});
    ASSERT_NE(pid, 0);
    for (int i = 0; i < 1000 && engine->outcome().blocksSent < 10; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ASSERT_GE(engine->outcome().blocksSent, 10u);
    EXPECT_EQ(interruptAndWait(pid), 130);
    ASSERT_TRUE(engine->waitForShots(1, std::chrono::seconds(5)));
    EXPECT_EQ(engine->outcome().ended, "cancelled");
    EXPECT_TRUE(folderEmpty());
}

}  // namespace
}  // namespace omni::test
