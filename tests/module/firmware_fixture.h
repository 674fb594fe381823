// A simulated reader that takes firmware, a serial port connected to it, and the helpers the
// download tests share: firmware files, the port's line state, the progress the library reports.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "reader/module_host.h"
#include "serial/serial_port.h"
#include "sim/firmware_responder.h"
#include "sim/simulated_reader.h"
#include "stream/file_input_stream_for_kes2d.h"

namespace omni::test {

inline constexpr std::string_view kFirmwareTestKey = "Software\\Kestrel\\OmniSetupTest";

inline serial::SerialTiming downloadTiming() {
    serial::SerialTiming timing;
    timing.blockTimeoutMs = 1000;
    timing.perByteTimeoutMs = 1000;
    timing.waitLimitMs = 1000;  // caps the protocol's long waits (35 s, 60 s) in tests
    timing.moduleModePauseMs = 10;
    timing.recoveryWaitMs = 300;
    timing.recoveryByteMs = 300;
    timing.receiveStopMs = 3000;
    return timing;
}

// A file of `size` pseudo-random bytes, optionally beginning with `head`; removed at the end.
class FirmwareFile {
public:
    explicit FirmwareFile(std::size_t size, std::string head = {}, std::string name = "fw.bin") {
        static int serial = 0;
        dir_ = std::filesystem::temp_directory_path() /
               ("omni-fw-" + std::to_string(::getpid()) + "-" + std::to_string(++serial));
        std::filesystem::create_directories(dir_);
        path_ = dir_ / name;
        std::mt19937 random(static_cast<unsigned>(size));
        bytes_.resize(size);
        for (char& c : bytes_)
            c = static_cast<char>(random() & 0xFF);
        bytes_.replace(0, std::min(head.size(), size), head.substr(0, size));
        std::ofstream(path_, std::ios::binary).write(bytes_.data(), bytes_.size());
    }
    ~FirmwareFile() {
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }
    const std::filesystem::path& path() const { return path_; }
    const std::string& bytes() const { return bytes_; }
    // The file as the engine receives it: zero-padded to whole blocks of `block` bytes.
    std::string padded(std::size_t block) const {
        return bytes_ + std::string((block - bytes_.size() % block) % block, '\0');
    }

private:
    std::filesystem::path dir_;
    std::filesystem::path path_;
    std::string bytes_;
};

// Everything the high-speed switch touches, for comparing before and after a download.
inline void expectSameLine(const serial::LineState& before, const serial::LineState& after) {
    EXPECT_EQ(cfgetospeed(&before.attributes), cfgetospeed(&after.attributes));
    EXPECT_EQ(cfgetispeed(&before.attributes), cfgetispeed(&after.attributes));
    EXPECT_EQ(before.attributes.c_cflag, after.attributes.c_cflag);
    EXPECT_EQ(before.attributes.c_iflag, after.attributes.c_iflag);
    EXPECT_EQ(before.attributes.c_oflag, after.attributes.c_oflag);
    EXPECT_EQ(before.attributes.c_lflag, after.attributes.c_lflag);
    EXPECT_EQ(before.modemLines, after.modemLines);
}

// The library's progress calls, in order, as text ("transfer 8..11", "phase 1", ...).
struct ProgressLog {
    std::vector<std::string> calls;
    KesHandle cancelModule = 0;  // cancelled (as by another thread) once the position is reached
    std::int32_t cancelAt = -1;

    static void transferRange(void* self, std::int32_t low, std::int32_t high) {
        log(self, "transfer " + std::to_string(low) + ".." + std::to_string(high));
    }
    static void transferAt(void* self, std::int32_t at) {
        log(self, "sent " + std::to_string(at));
        auto* progress = static_cast<ProgressLog*>(self);
        if (at == progress->cancelAt)
            KesCancel(progress->cancelModule);
    }
    static void writeRange(void* self, std::int32_t low, std::int32_t high) {
        log(self, "write " + std::to_string(low) + ".." + std::to_string(high));
    }
    static void writeAt(void* self, std::int32_t at) { log(self, "written " + std::to_string(at)); }
    static void phase(void* self, std::int32_t transferring) {
        log(self, "phase " + std::to_string(transferring));
    }
    static void log(void* self, std::string text) {
        static_cast<ProgressLog*>(self)->calls.push_back(std::move(text));
    }
    KesHandle create() {
        return KesCreateDownloadProgress(this, transferRange, transferAt, writeRange, writeAt,
                                         phase);
    }
    bool contains(const std::string& call) const {
        return std::find(calls.begin(), calls.end(), call) != calls.end();
    }
};

class FirmwareTest : public ::testing::Test {
protected:
    void SetUp() override {
        reader::installModuleLock();
        port.setTiming(downloadTiming());
    }
    // Starts the reader answering `version`, with the download behaviour given, and connects.
    sim::FirmwareResponder& connect(const std::string& version, sim::FirmwareFaults faults = {},
                                    sim::FirmwareRestart restart = {}, bool bootLoader = false) {
        reader.setVersionReply(version.empty() ? "" : sim::replies::family(version));
        auto responder =
            std::make_unique<sim::FirmwareResponder>(reader, faults, restart, bootLoader);
        sim::FirmwareResponder& firmware = *responder;
        reader.addResponder(std::move(responder));
        reader.start();
        port.open({serial::PortKind::Serial, reader.devicePath()}, kFirmwareTestKey);
        before = port.lineState();
        module = reader::openModule(port.moduleHandle());
        return firmware;
    }
    // Runs KesDownload on this thread; returns the last status.
    KesState download(const FirmwareFile& file, bool bootLoader = false) {
        stream::FileInputStreamForKes2D stream(file.path());
        KesHandle sink = progress.create();
        KesSetLastStatus(KES_STATE_SUCCESS);
        KesDownload(module.get(), stream.handle(), static_cast<std::uint32_t>(stream.size()),
                    bootLoader ? 1 : 0, sink);
        KesState state = KesGetLastStatus();
        KesCloseHandle(sink);
        return state;
    }
    void expectLineRestored() { expectSameLine(before, port.lineState()); }

    sim::SimulatedReader reader;
    serial::SerialPortForPosix port;
    reader::ModuleHandle module;
    ProgressLog progress;
    serial::LineState before;
};

}  // namespace omni::test
