// Firmware download throughput.
//
// Download1MB: a 1 MB file sent with the application protocol to the simulated engine over a pty,
// start command, transfer and write phase included. Real time is the wall time; CPU time is the
// host thread's (the engine runs on its own thread). The counters set the wall time against the
// time the same packet bytes take on a real line at 115200 baud (10 bits a byte).
// BuildPackets1MB: packing and summing 1 MB into packets alone.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "module/download.h"
#include "reader/module_host.h"
#include "serial/serial_port.h"
#include "sim/firmware_responder.h"
#include "stream/file_input_stream_for_kes2d.h"

namespace {

constexpr std::size_t kFileSize = 1 << 20;
constexpr double kLineBitsPerByte = 10.0;
constexpr double kHighSpeed = 115200.0;

std::filesystem::path makeFile() {
    auto path = std::filesystem::temp_directory_path() /
                ("omni-bench-fw-" + std::to_string(::getpid()) + ".bin");
    std::string bytes(kFileSize, '\0');
    std::mt19937 random(1);
    for (char& c : bytes)
        c = static_cast<char>(random());
    std::ofstream(path, std::ios::binary).write(bytes.data(), bytes.size());
    return path;
}

void Download1MB(benchmark::State& state) {
    omni::reader::installModuleLock();
    auto path = makeFile();
    omni::sim::SimulatedReader reader;
    auto responder = std::make_unique<omni::sim::FirmwareResponder>(reader);
    reader.addResponder(std::move(responder));
    reader.start();
    omni::serial::SerialPortForPosix port;
    port.open({omni::serial::PortKind::Serial, reader.devicePath()},
              "Software\\Kestrel\\OmniSetupBench");
    omni::reader::ModuleHandle module = omni::reader::openModule(port.moduleHandle());

    for (auto _ : state) {
        omni::stream::FileInputStreamForKes2D stream(path);
        KesSetLastStatus(KES_STATE_SUCCESS);
        KesDownload(module.get(), stream.handle(), static_cast<std::uint32_t>(stream.size()), 0, 0);
        if (KesGetLastStatus() != KES_STATE_SUCCESS) {
            state.SkipWithError(KesStateName(KesGetLastStatus()));
            break;
        }
    }
    std::size_t blocks = (kFileSize + kes::kAppBlockData - 1) / kes::kAppBlockData;
    double wireBytes = static_cast<double>((blocks + 1) * kes::kAppPacketSize);  // with "ED"
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kFileSize));
    state.counters["packet_bytes"] = wireBytes;
    state.counters["line_rate_s"] = wireBytes * kLineBitsPerByte / kHighSpeed;
    module.reset();
    port.close();
    std::filesystem::remove(path);
}
BENCHMARK(Download1MB)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

void BuildPackets1MB(benchmark::State& state) {
    std::string data(kFileSize, '\x5A');
    std::uint8_t packet[kes::kAppPacketSize];
    for (auto _ : state) {
        for (std::size_t at = 0; at < kFileSize; at += kes::kAppBlockData) {
            kes::buildApplicationPacket(static_cast<std::uint16_t>(8 + at / kes::kAppBlockData),
                                        reinterpret_cast<const std::uint8_t*>(data.data()) + at,
                                        kes::kAppBlockData, packet);
            benchmark::DoNotOptimize(packet);
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kFileSize));
}
BENCHMARK(BuildPackets1MB)->Unit(benchmark::kMicrosecond);

}  // namespace
