// Encoding time of QR menu codes: the empty envelope, a 40-entry envelope and a text near the
// version-40 capacity, each also encoded by libqrencode (level L, automatic modes) for comparison.
#include <benchmark/benchmark.h>
#include <qrencode.h>

#include <memory>
#include <string>

#include "menucode/qr/qr_encode.h"

namespace {

std::string envelope(int entries) {
    static const char* const kTokens[] = {"B2@",     "DC1@Q0@Q0@Q2@Q5@", "BCA@", "X.Z@U2@X.Z@",
                                          "C20@Q3@", "EFA@Q4@Q2@",       "Z2@",  "DLA@Q1@"};
    std::string text = "@MENU_KEST@ZZ@";
    for (int i = 0; i < entries; ++i)
        text += kTokens[i % 8];
    return text + "ZZ@TSEK_UNEM@";
}

// Menu-code-like text up to about 2800 bytes: version 40 in 8-bit mode.
std::string nearVersion40() {
    std::string text = envelope(0);
    for (int i = 0; text.size() < 2780; ++i)
        text.insert(14, std::string("DC1@Q0@Q") + char('0' + i % 10) + "@");
    return text;
}

const std::string& input(int which) {
    static const std::string texts[] = {envelope(0), envelope(40), nearVersion40()};
    return texts[which];
}

void Ours(benchmark::State& state) {
    const std::string& text = input(static_cast<int>(state.range(0)));
    auto code = std::make_unique<omni::menucode::qr::QrEncoder>();
    int version = 0;
    for (auto _ : state) {
        const auto symbol = code->encode(text);
        version = symbol ? symbol->version() : 0;
        benchmark::DoNotOptimize(version);
    }
    state.SetLabel("bytes=" + std::to_string(text.size()) + " version=" + std::to_string(version));
}

void Libqrencode(benchmark::State& state) {
    const std::string& text = input(static_cast<int>(state.range(0)));
    int version = 0;
    for (auto _ : state) {
        QRcode* code = QRcode_encodeString(text.c_str(), 0, QR_ECLEVEL_L, QR_MODE_8, 1);
        if (code)
            version = code->version;
        benchmark::DoNotOptimize(code);
        QRcode_free(code);
    }
    state.SetLabel("bytes=" + std::to_string(text.size()) + " version=" + std::to_string(version));
}

// 0: empty envelope, 1: 40 entries, 2: near the version-40 limit.
BENCHMARK(Ours)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);
BENCHMARK(Libqrencode)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
