// A 1280 × 800 8-bit picture captured block by block over a pty from the simulated EngineC.
// Reports the raw picture bytes per second and the host's CPU time (the thread that runs the
// module library and the port) per megabyte and as a share of the transfer's wall time. The pty
// has no baud rate, so the unlimited case is the host's worst share; the paced case carries
// about 1 MB/s, as a USB reader does.
#include <benchmark/benchmark.h>

#include <time.h>

#include <cstdlib>
#include <filesystem>

#include "reader/capture/two_dimension_module.h"
#include "reader/module_host.h"
#include "sim/capture_responder.h"

namespace {

constexpr int kWidth = 1280;
constexpr int kHeight = 800;
constexpr double kPictureBytes = double(kWidth) * kHeight;

double threadCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

double wallSeconds() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

void captureBlockMode(benchmark::State& state) {
    // Line settings of a fresh user: nothing stored.
    const auto config = std::filesystem::temp_directory_path() / "omni-bench-imaging";
    ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    omni::reader::installModuleLock();
    omni::sim::SimulatedReader reader;
    reader.setVersionReply(omni::sim::replies::family("BD49"));
    omni::sim::CaptureResponder* engine = omni::sim::addImagingResponders(reader).capture;
    engine->setPictureSize(kWidth, kHeight);
    omni::sim::OutputSettings settings;
    settings.trim[2] = kWidth - 1;
    settings.trim[3] = kHeight - 1;
    engine->setSettings(settings);
    engine->setLineRate(static_cast<std::size_t>(state.range(0)));
    reader.start();

    omni::serial::SerialPortForPosix port;
    port.open({omni::serial::PortKind::Serial, reader.devicePath()},
              "Software\\Kestrel\\OmniSetupBench");
    omni::reader::TwoDimensionModule module(port);
    module.connect();

    double cpu = 0, wall = 0;
    for (auto _ : state) {
        const double cpu0 = threadCpuSeconds(), wall0 = wallSeconds();
        auto picture = module.shoot(nullptr);
        cpu += threadCpuSeconds() - cpu0;
        wall += wallSeconds() - wall0;
        if (!picture || picture->width() != kWidth)
            state.SkipWithError("no picture");
    }
    const double megabytes = kPictureBytes * double(state.iterations()) / 1e6;
    state.SetBytesProcessed(static_cast<std::int64_t>(kPictureBytes) * state.iterations());
    state.counters["host_cpu_ms_per_MB"] = cpu * 1000 / megabytes;
    state.counters["host_cpu_share_%"] = 100 * cpu / wall;
    port.close();
    reader.stop();
}

}  // namespace

BENCHMARK(captureBlockMode)->Arg(0)->Iterations(10)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(captureBlockMode)
    ->Arg(1000000)
    ->Iterations(2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
