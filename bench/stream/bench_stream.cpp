// Bytes per second through the log chain, from the producer's write() to a sink that only
// counts, with the writer thread in the loop. Input is fed the way the serial receive thread
// feeds it: blocks of 4 KiB, each followed by a flush.
#include <benchmark/benchmark.h>

#include <time.h>

#include <atomic>
#include <string>

#include "stream/code_page_setting.h"
#include "stream/log_chain.h"

namespace {

using omni::stream::BufferedDeSynchronizedEditBoxOutputStream;
using omni::stream::CodePageSetting;

class CountingSink : public omni::stream::TextSink {
public:
    void append(const char16_t*, std::size_t count) override {
        units.fetch_add(count, std::memory_order_relaxed);
    }
    std::atomic<std::size_t> units{0};
};

constexpr std::size_t kBlock = 4096;
constexpr std::size_t kBytesPerIteration = 1 << 20;

double processCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

std::string repeatTo(const std::string& unit, std::size_t size) {
    std::string out;
    while (out.size() < size)
        out += unit;
    out.resize(size);
    return out;
}

void runChain(benchmark::State& state, CodePageSetting setting, const std::string& input) {
    omni::stream::setCurrentCodePageSetting(setting);
    CountingSink sink;
    BufferedDeSynchronizedEditBoxOutputStream<8192> chain;
    chain.setSink(&sink);
    const double cpuStart = processCpuSeconds();
    for (auto _ : state) {
        for (std::size_t at = 0; at < input.size(); at += kBlock) {
            chain.write(input.data() + at, std::min(kBlock, input.size() - at));
            chain.flush();
        }
        chain.endOfLine();
        chain.drain();
    }
    const double cpu = processCpuSeconds() - cpuStart;
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * input.size()));
    // Bytes per second of processor time of the whole process (producer and writer thread):
    // what the chain would reach on an idle machine with a core for each thread, whatever the
    // load from elsewhere.
    state.counters["MB_per_cpu_s"] =
        static_cast<double>(state.iterations() * input.size()) / 1e6 / cpu;
    state.counters["units_out"] =
        benchmark::Counter(static_cast<double>(sink.units.load()), benchmark::Counter::kIsRate);
    omni::stream::setCurrentCodePageSetting({});
}

void BM_LogChainAscii(benchmark::State& state) {
    std::string text =
        repeatTo("4901234567894,Code128,OK\r\nDATA:ABCDEFGHIJKLMNOPQRSTUVWXYZ 0123456789\r\n",
                 kBytesPerIteration);
    runChain(state, {true, 65001}, text);
}

void BM_LogChainShiftJis(benchmark::State& state) {
    // "日本語のテストです。バーコードリーダー" in code page 932, with a line end.
    const std::string sentence =
        "\x93\xFA\x96\x7B\x8C\xEA\x82\xCC\x83\x65\x83\x58\x83\x67\x82\xC5\x82\xB7\x81\x42"
        "\x83\x6F\x81\x5B\x83\x52\x81\x5B\x83\x68\x83\x8A\x81\x5B\x83\x5F\x81\x5B\r\n";
    // Whole sentences only, so that no block ends with a half character at the wrap.
    std::string text;
    while (text.size() + sentence.size() <= kBytesPerIteration)
        text += sentence;
    runChain(state, {true, 932}, text);
}

void BM_LogChainHex(benchmark::State& state) {
    std::string bytes(kBytesPerIteration, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(i * 31);
    runChain(state, {false, omni::stream::kHexCodePage}, bytes);
}

BENCHMARK(BM_LogChainAscii)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LogChainShiftJis)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LogChainHex)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
