// The download worker against the simulated reader: progress, cancel from another thread, a
// failure's message, and finding the restarted reader again, on the same line at another speed
// or as a USB device that comes back under a new name.
#include <future>

#include "module/firmware_fixture.h"
#include "reader/download/download_worker.h"
#include "reader/download/firmware_plan.h"
#include "resources/strings.h"
#include "serial/line_settings.h"
#include "serial/reader_fixture.h"
#include "serial/serial_port.h"

namespace omni::test {
namespace {

namespace fs = std::filesystem;
using reader::DownloadOutcome;
using Ending = sim::FirmwareResponder::Ending;

// Waits for the restarted reader short enough for tests, with the usual number of attempts.
constexpr reader::ReconnectTiming kQuickReconnect{
    .closeWaitMs = 2000, .openWaitMs = 5000, .answerWaitMs = 200, .drainWaitMs = 50, .pollMs = 20};

class WorkerTest : public FirmwareTest {
protected:
    reader::DownloadRequest request(const FirmwareFile& file) {
        reader::DownloadRequest r;
        r.file = file.path();
        r.settingsKey = std::string(kFirmwareTestKey);
        r.listener = &log;
        r.timing = kQuickReconnect;
        return r;
    }
    Collector log;
};

TEST_F(WorkerTest, FinishedDownloadReconnectsAtTheSpeedTheReaderCameBackAt) {
    // The port's own speed is 38400; the restarted engine answers only at 9600.
    serial::LineSettings fast;
    fast.baudRate = 38400;
    sim::FirmwareRestart restart;
    restart.kind = sim::RestartKind::Quiet;
    restart.only9600 = true;
    restart.versionAfter = "BD52";
    serial::storeLineSettings(kFirmwareTestKey, {serial::PortKind::Serial, reader.devicePath()},
                              fast);
    connect("BD12", {}, restart);
    EXPECT_EQ(reader.lineSpeed(), 38400u);

    FirmwareFile file(30000);
    reader::DownloadWorker worker(port, module, request(file));
    std::vector<std::string> calls;
    reader::DownloadProgress progress;
    progress.setTransferRange = [&](int low, int high) {
        calls.push_back("transfer " + std::to_string(low) + ".." + std::to_string(high));
    };
    progress.beginPhase = [&](bool on) { calls.push_back(on ? "phase 1" : "phase 0"); };
    progress.setWriteRange = [&](int low, int high) {
        calls.push_back("write " + std::to_string(low) + ".." + std::to_string(high));
    };
    progress.reconnecting = [&] { calls.push_back("reconnecting"); };
    worker.setProgress(progress);

    reader::DownloadResult result = worker.run();
    EXPECT_EQ(result.outcome, DownloadOutcome::Finished) << res::toUtf8(result.message);
    EXPECT_TRUE(result.reconnected);
    EXPECT_STREQ(result.identity.firmware, "BD52");
    EXPECT_EQ(module.identity().firmware, std::string("BD52"));
    std::vector<std::string> expected = {"transfer 8..12", "phase 1", "phase 0", "write 0..1",
                                         "reconnecting"};
    EXPECT_EQ(calls, expected);
    EXPECT_EQ(reader.lineSpeed(), 9600u);
    EXPECT_TRUE(port.isReceiving());  // the receive thread is back with its listener
}

TEST_F(WorkerTest, ReaderThatNeverComesBackIsReportedWithTheLineAsItWas) {
    sim::FirmwareRestart restart;
    restart.kind = sim::RestartKind::Quiet;
    restart.pause = std::chrono::minutes(10);
    connect("BF0102", {}, restart);
    FirmwareFile file(5000);
    reader::DownloadRequest r = request(file);
    r.timing.attempts = 2;  // the last one at 9600 baud
    r.timing.answerWaitMs = 100;
    serial::LineSettings odd;
    odd.baudRate = 19200;
    port.applyLineState({serial::toTermios(odd, before.attributes), before.modemLines});
    before = port.lineState();
    reader::DownloadWorker worker(port, module, r);
    reader::DownloadResult result = worker.run();
    EXPECT_EQ(result.outcome, DownloadOutcome::Finished);
    EXPECT_TRUE(result.reconnectTried);
    EXPECT_FALSE(result.reconnected);
    EXPECT_NE(res::toUtf8(result.message).find("did not come back"), std::string::npos);
    EXPECT_FALSE(module.valid());
    expectLineRestored();
}

TEST_F(WorkerTest, CancelFromAnotherThreadAbortsAndRestoresTheLine) {
    // A slow engine, so that the cancel lands mid-transfer.
    auto& engine = connect("BF0102", {.answerDelay = std::chrono::milliseconds(5)});
    FirmwareFile file(1 << 20);
    reader::DownloadWorker worker(port, module, request(file));
    std::promise<void> started;
    bool told = false;
    reader::DownloadProgress progress;
    progress.setTransferPosition = [&](int at) {
        if (at == 10 && !told) {
            told = true;
            started.set_value();
        }
    };
    worker.setProgress(progress);
    reader::DownloadProcess process(worker, nullptr);
    ASSERT_TRUE(process.start());
    ASSERT_EQ(started.get_future().wait_for(std::chrono::seconds(10)), std::future_status::ready);
    worker.cancel();
    process.join(20000);

    EXPECT_EQ(process.result().outcome, DownloadOutcome::Cancelled);
    EXPECT_FALSE(process.result().reconnectTried);
    ASSERT_TRUE(engine.waitForEnding(std::chrono::seconds(2)));
    EXPECT_EQ(engine.ending(), Ending::Aborted);
    EXPECT_LT(engine.packets().size(), 128u);
    expectLineRestored();
    EXPECT_TRUE(port.isReceiving());
}

TEST_F(WorkerTest, FailureIsReportedByNameAndNothingReconnects) {
    connect("BD12", {.writeError = true});
    FirmwareFile file(10000);
    reader::DownloadWorker worker(port, module, request(file));
    reader::DownloadResult result = worker.run();
    EXPECT_EQ(result.outcome, DownloadOutcome::Failed);
    EXPECT_EQ(result.state, KES_STATE_DOWNLOAD_PROTCOL_FROM_EXCEPTION);
    EXPECT_NE(res::toUtf8(result.message).find("KES_STATE_DOWNLOAD_PROTCOL_FROM_EXCEPTION"),
              std::string::npos);
    EXPECT_FALSE(result.reconnectTried);
    expectLineRestored();
}

TEST(FirmwarePlan, FilterQuestionAndBootLoaderFollowTheFamily) {
    EXPECT_EQ(res::toUtf8(reader::firmwareFilter(KES_FIRMWARE_BD)), "Binary Files (*.bd)");
    EXPECT_EQ(res::toUtf8(reader::firmwareFilter(KES_FIRMWARE_BD4)), "Binary Files (*.bd4)");
    EXPECT_TRUE(reader::firmwareFilter(KES_FIRMWARE_UNSUPPORTED).empty());

    auto bfm = reader::planFirmware("BFM0102", "", "/fw/any.bin", false);
    EXPECT_TRUE(bfm.bootLoader);  // forced on
    EXPECT_FALSE(bfm.askVersion);
    EXPECT_FALSE(bfm.reconnects);
    auto generic = reader::planFirmware("BA12J13i", "", "/fw/BA12J20a.bin", false);
    EXPECT_FALSE(generic.askVersion);
    EXPECT_TRUE(reader::planFirmware("BA12J13i", "", "/BA12/fw.bin", false).askVersion);
    EXPECT_TRUE(reader::planFirmware("BF0102", "", "/fw/x.bf", true).reconnects);
    EXPECT_EQ(reader::planFirmware("TC1", "KVT", "/fw/x.bin", false).kind,
              KES_FIRMWARE_UNSUPPORTED);

    FirmwareFile empty(0);
    EXPECT_NE(res::toUtf8(*reader::firmwareFileProblem(empty.path())).find("is empty"),
              std::string::npos);
    EXPECT_TRUE(reader::firmwareFileProblem("/nonexistent/fw.bin").has_value());
    FirmwareFile good(10);
    EXPECT_FALSE(reader::firmwareFileProblem(good.path()).has_value());
}

// A fake sysfs and /dev in which a USB reader's tty can be renamed, its serial number kept.
class UsbTree {
public:
    UsbTree() {
        root_ = fs::temp_directory_path() / ("omni-usb-" + std::to_string(::getpid()));
        fs::remove_all(root_);
        usb_ = root_ / "sys/devices/pci0000:00/usb1/1-1";
        fs::create_directories(usb_ / "1-1:1.0");
        write(usb_ / "idVendor", "1e5a");
        write(usb_ / "idProduct", "a002");
        write(usb_ / "serial", "KR0042");
        fs::create_directories(root_ / "sys/class/tty");
        fs::create_directories(root_ / "dev");
    }
    ~UsbTree() {
        std::error_code ignored;
        fs::remove_all(root_, ignored);
    }
    serial::DiscoveryRoots roots() const { return {root_ / "sys", root_ / "dev"}; }
    // The reader's interface shows up as `name`, its device node pointing at `target`.
    std::string plug(const std::string& name, const std::string& target) {
        fs::create_symlink(target, root_ / "dev" / name);
        fs::create_directories(root_ / "sys/class/tty" / name);
        fs::create_directory_symlink(usb_ / "1-1:1.0", root_ / "sys/class/tty" / name / "device");
        return (root_ / "dev" / name).string();
    }
    void unplug(const std::string& name) {
        fs::remove_all(root_ / "sys/class/tty" / name);
        fs::remove(root_ / "dev" / name);
    }

private:
    static void write(const fs::path& file, const std::string& text) {
        std::ofstream(file) << text << "\n";
    }
    fs::path root_;
    fs::path usb_;
};

TEST_F(WorkerTest, UsbReaderIsFollowedToItsNewDeviceName) {
    UsbTree tree;
    std::string first = tree.plug("ttyACM0", reader.devicePath());
    sim::FirmwareRestart restart;
    restart.kind = sim::RestartKind::Replug;
    restart.versionAfter = "BD53";
    std::promise<void> replugged;
    restart.onReplugged = [&tree, &replugged](const std::string& path) {
        tree.unplug("ttyACM0");
        tree.plug("ttyACM1", path);
        replugged.set_value();
    };
    auto back = replugged.get_future();
    reader.setVersionReply(sim::replies::family("BD12"));
    reader.addResponder(
        std::make_unique<sim::FirmwareResponder>(reader, sim::FirmwareFaults{}, restart));
    reader.start();
    port.open({serial::PortKind::Reader2D, first}, kFirmwareTestKey);
    module = reader::openModule(port.moduleHandle());

    FirmwareFile file(20000);
    reader::DownloadRequest r = request(file);
    r.roots = tree.roots();
    reader::DownloadWorker worker(port, module, r);
    reader::DownloadResult result = worker.run();
    EXPECT_EQ(result.outcome, DownloadOutcome::Finished);
    EXPECT_TRUE(result.reconnected) << res::toUtf8(result.message);
    EXPECT_EQ(fs::path(port.port().device).filename(), "ttyACM1");
    EXPECT_EQ(port.port().kind, serial::PortKind::Reader2D);
    EXPECT_STREQ(result.identity.firmware, "BD53");
    EXPECT_EQ(back.wait_for(std::chrono::seconds(5)), std::future_status::ready);
}

}  // namespace
}  // namespace omni::test
