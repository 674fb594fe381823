// Taking pictures from the simulated engine over a pty pair: both transfer modes and every depth,
// retries, error reports, cancel and hang-up mid-transfer with the receive thread restarted, the
// output settings and the decoding test.
#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>

#include "image/jpeg_codec.h"
#include "reader/capture/capture_worker.h"
#include "reader/capture/two_dimension_module.h"
#include "serial/reader_fixture.h"
#include "sim/capture_responder.h"
#include "sim/test_picture.h"

namespace omni::reader {
namespace {

using sim::OutputSettings;

class Capture : public test::ReaderTest {
protected:
    void SetUp() override {
        test::ReaderTest::SetUp();
        auto added = sim::addImagingResponders(reader);
        engine = added.capture;
        pictures = added.picture;
        engine->setPictureSize(64, 20);
    }
    // The receive thread feeds `log`, which goes before the port does.
    void TearDown() override { port.stop(); }
    void connect(const std::string& family = "BA12J13i") {
        reader.setVersionReply(sim::replies::family(family));
        openPort();
        port.startReceiving(&log);
        module.connect();
    }
    void useSettings(int bits, int format = 3, bool whole = false) {
        OutputSettings s;
        s.bits = bits;
        s.format = format;
        s.whole = whole;
        engine->setSettings(s);
    }
    // The receive thread runs again and passes on what the reader sends.
    void expectReceiving() {
        ASSERT_TRUE(port.isReceiving());
        reader.send("after\r");
        for (int i = 0; i < 200 && log.text().find("after") == std::string::npos; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        EXPECT_NE(log.text().find("after"), std::string::npos);
    }

    test::Collector log;
    TwoDimensionModule module{port, &log};
    sim::CaptureResponder* engine = nullptr;
    sim::PictureResponder* pictures = nullptr;
};

// Counts what a shot reports.
struct Counter : ShootProgress {
    std::atomic<int> high{-1}, position{0}, waitLeft{-1};
    std::atomic<int> began{-1};
    void transferRange(int, int h) override { high = h; }
    void transferPosition(int p) override { position = p; }
    void waitPosition(int p) override { waitLeft = p; }
    void beginTransfer(bool blocks) override { began = blocks ? 1 : 0; }
};

// The DIB row for picture row y (rows bottom-up).
const std::uint8_t* dibRow(const image::DibContainer& dib, int y) {
    const image::BitmapInfoHeader info = dib.info();
    return dib.pixels.data() + image::dibStride(info.width, info.bitCount) * (info.height - 1 - y);
}

TEST_F(Capture, RawPicturesOfEveryDepthInBothModes) {
    connect();
    for (bool whole : {false, true}) {
        for (int bits : {8, 1, 4, 10}) {
            useSettings(bits, 3, whole);
            Counter progress;
            auto picture = module.shoot(&progress);
            ASSERT_TRUE(picture) << bits;
            EXPECT_EQ(progress.began, whole ? 0 : 1);
            EXPECT_EQ(progress.high, 20);
            EXPECT_EQ(progress.position, 20);
            const std::vector<std::uint8_t> rows = sim::testPictureRows(64, 20, bits);
            ASSERT_EQ(KesGetImageDataSize(picture->handle()), rows.size());
            EXPECT_TRUE(std::equal(rows.begin(), rows.end(), KesGetImageData(picture->handle())));

            image::DibContainer dib;
            ASSERT_TRUE(picture->toDib(dib));
            EXPECT_EQ(dib.info().bitCount, bits == 10 ? 8 : bits);
            EXPECT_EQ(dib.hasSecondPlane(), bits == 10);
            if (bits == 8 || bits == 10) {
                for (int y : {0, 7, 19}) {
                    for (int x : {0, 5, 63})
                        EXPECT_EQ(dibRow(dib, y)[x], sim::testPixel(x, y)) << x << "," << y;
                }
            }
            if (bits == 10) {
                EXPECT_EQ(dibRow(dib, 3)[dib.planeSize() + 5], (5 + 3) % 4);
            }
        }
    }
    EXPECT_EQ(engine->outcome().ended, "complete");
    expectReceiving();
}

TEST_F(Capture, JpegFromTheEngineIsKeptAsItCame) {
    connect();
    useSettings(8, 1);
    auto picture = module.shoot(nullptr);
    ASSERT_TRUE(picture);
    EXPECT_TRUE(picture->isJpeg());
    std::vector<std::uint8_t> bytes;
    ASSERT_TRUE(picture->toJpeg(bytes));
    EXPECT_EQ(bytes, sim::testPictureJpeg(64, 20, 80));
    image::DibContainer dib;
    ASSERT_TRUE(picture->toDib(dib));
    EXPECT_EQ(dib.info().width, 64);
}

TEST_F(Capture, BadChecksumsUpToTheRetryLimit) {
    connect();
    engine->corruptBlock(2, 3);
    EXPECT_TRUE(module.shoot(nullptr));
    EXPECT_EQ(engine->outcome().naks, 3u);

    engine->corruptBlock(2, 4);
    try {
        module.shoot(nullptr);
        ADD_FAILURE() << "four bad checksums were accepted";
    } catch (const foundation::KesException& e) {
        EXPECT_EQ(e.state(), KES_STATE_TOO_MANY_RETRY);
    }
    ASSERT_TRUE(engine->waitForShots(2, std::chrono::seconds(5)));
    EXPECT_EQ(engine->outcome().ended, "etb");
    expectReceiving();
}

TEST_F(Capture, ErrorReportsBecomeTheirStatus) {
    connect();
    for (bool whole : {false, true}) {
        useSettings(8, 3, whole);
        engine->setErrorReport(16);
        try {
            module.shoot(nullptr);
            ADD_FAILURE();
        } catch (const foundation::KesException& e) {
            EXPECT_EQ(e.state(), KES_STATE_CAMERA_EXCEPTION);
        }
    }
}

TEST_F(Capture, CancelMidTransferSendsCanAndGivesNoPicture) {
    connect();
    engine->setPictureSize(128, 100);
    engine->setLineRate(20000);  // about 0.7 s for the picture
    Counter progress;
    CaptureWorker worker(module);
    worker.startShot(TriggerKind::Default, 0, &progress);
    EXPECT_FALSE(port.isReceiving());
    for (int i = 0; i < 500 && progress.position < 5; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    worker.cancel();
    ASSERT_TRUE(worker.waitFor(5000));
    EXPECT_FALSE(worker.finish());
    ASSERT_TRUE(engine->waitForShots(1, std::chrono::seconds(5)));
    EXPECT_EQ(engine->outcome().ended, "cancelled");
    expectReceiving();
}

TEST_F(Capture, HangUpMidTransferIsAClearErrorAndReceivingResumes) {
    connect();
    std::atomic<bool> reported{false};
    port.stop();
    port.setErrorReporter([&](const foundation::Exception&) { reported = true; });
    port.startReceiving(&log);
    engine->hangUpAfterBlocks(5);
    CaptureWorker worker(module);
    worker.startShot(TriggerKind::Default, 0, nullptr);
    ASSERT_TRUE(worker.waitFor(10000));
    try {
        worker.finish();
        ADD_FAILURE();
    } catch (const foundation::KesException& e) {
        EXPECT_TRUE(e.state() == KES_STATE_COMMUNICATION_FAILURE ||
                    e.state() == KES_STATE_TOO_MANY_RETRY)
            << e.state();
    }
    // The receive thread was started again and met the vanished device.
    for (int i = 0; i < 300 && !reported; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_TRUE(reported);
}

TEST_F(Capture, TriggerWaitCountsDownUntilThePictureComes) {
    connect();
    engine->setTriggerDelay(std::chrono::milliseconds(700));
    Counter progress;
    auto picture = module.shootWithMode(TriggerKind::Down, 5, &progress);
    ASSERT_TRUE(picture);
    EXPECT_LT(progress.waitLeft, 5);
    EXPECT_GT(progress.waitLeft, 0);
    EXPECT_EQ(reader.transcript().back(), "[DE8Q1Q0Q0Q5");
}

TEST_F(Capture, OutputSettingsFollowTheEngineClass) {
    for (const char* family : {"BA12J13i", "BD49"}) {
        SCOPED_TRACE(family);
        connect(family);
        KesHandle settings = module.readOutputSettings();
        EXPECT_EQ(KesGetTrimRight(settings), 639);
        EXPECT_EQ(KesGetImageFormat(settings), 3);
        KesSetTrimLeft(settings, 752);
        const bool engineC = std::string(family) == "BD49";
        EXPECT_EQ(KesGetLastStatus(), engineC ? KES_STATE_SUCCESS : KES_STATE_INVALID_PARAMETER);
        KesSetLastStatus(KES_STATE_SUCCESS);
        KesSetWholeTransfer(settings, 1);
        module.writeOutputSettings(settings);
        KesCloseHandle(settings);
        ASSERT_TRUE(reader.waitForCommands(3, std::chrono::seconds(2)));
        EXPECT_EQ(engine->settings().trim[0], engineC ? 752 : 0);
        EXPECT_TRUE(engine->settings().whole);
        port.close();
        engine->setSettings({});
        reader.clearTranscript();
    }
}

TEST_F(Capture, GarbledSettingsReplyIsACommunicationFailure) {
    connect();
    engine->setSettingsReply(";Trim(0,0,1,1) Sub(1");
    try {
        module.shoot(nullptr);
        ADD_FAILURE();
    } catch (const foundation::KesException& e) {
        EXPECT_EQ(e.state(), KES_STATE_COMMUNICATION_FAILURE);
    }
    expectReceiving();
}

TEST_F(Capture, DecodingTestSendsThePictureLineByLine) {
    connect();
    useSettings(8);
    auto shot = module.shoot(nullptr);
    ASSERT_TRUE(shot);
    pictures->refuseLine(3, 2);
    ASSERT_TRUE(module.decodingTest(*shot, nullptr));
    const auto received = pictures->received();
    ASSERT_TRUE(received.complete);
    EXPECT_EQ(received.width, 64);
    EXPECT_EQ(received.lines, 20);
    const std::vector<std::uint8_t> rows = sim::testPictureRows(64, 20, 8);
    EXPECT_EQ(received.pixels, std::string(rows.begin(), rows.end()));
    for (int i = 0; i < 200 && log.text().find("SIMULATED DECODE OK") == std::string::npos; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_NE(log.text().find("SIMULATED DECODE OK"), std::string::npos);
    EXPECT_EQ(reader.transcript().back(), "[DEDQ0Q0Q0Q0");

    pictures->refuseLine(5, 4);  // the fourth refusal of one line ends the sending
    try {
        module.decodingTest(*shot, nullptr);
        ADD_FAILURE();
    } catch (const foundation::KesException& e) {
        EXPECT_EQ(e.state(), KES_STATE_TOO_MANY_RETRY);
    }
}

TEST_F(Capture, BackgroundShotHandsThePictureOver) {
    connect();
    std::mutex mutex;
    std::condition_variable arrived;
    std::uint32_t width = 0;
    module.shootInBackground([&](std::unique_ptr<image::ShotedImage> picture) {
        std::lock_guard lock(mutex);
        width = picture->width();
        arrived.notify_all();
    });
    std::unique_lock lock(mutex);
    EXPECT_TRUE(arrived.wait_for(lock, std::chrono::seconds(5), [&] { return width != 0; }));
    EXPECT_EQ(width, 64u);
}

TEST_F(Capture, FamiliesWithoutCaptureRefuseWithoutSending) {
    connect("FL1234");
    reader.clearTranscript();
    try {
        module.shoot(nullptr);
        ADD_FAILURE();
    } catch (const foundation::KesException& e) {
        EXPECT_EQ(e.state(), KES_STATE_NOT_SUPPORTED_BY_THIS_HANDLE);
    }
    EXPECT_TRUE(reader.transcript().empty());
    expectReceiving();
}

}  // namespace
}  // namespace omni::reader
