// omnisetup-cli reading-test --port PATH [--seconds N] [--verify-1d]: puts the reader into its
// reading test (or, with --verify-1d, the 1D reading-rate mode), prints what it sends for N
// seconds or until Ctrl+C, then puts it back and runs the acknowledgement exchange. The stop
// sequence always runs, also after Ctrl+C.
#include <chrono>
#include <cstdio>
#include <thread>

#include "tool_cli.h"
#include "tools/reading_test.h"

namespace omni::cli {
namespace {

constexpr long kMaxSeconds = 86400;

struct ReadingOptions {
    std::string device;
    long seconds = 0;  // 0: until Ctrl+C
    bool verify1D = false;
};

int parseReading(const Args& args, ReadingOptions& options) {
    PortOptions walk(args);
    while (walk.next()) {
        if (const std::string* text = walk.valueOf("--seconds")) {
            const std::optional<long> seconds = wholeNumber(*text, 1, kMaxSeconds);
            if (!seconds)
                return fail(res::formatUtf8(res::ids::ToolsBadSeconds, {*text}), ExitBadInput);
            options.seconds = *seconds;
        } else if (walk.is("--verify-1d")) {
            options.verify1D = true;
        } else {
            return walk.unknown();
        }
    }
    return walk.takePort(options.device);
}

// What the reader sends, straight to standard output.
class Passthrough : public stream::OutputStream<char> {
public:
    void write(const char* data, std::size_t count) override {
        std::fwrite(data, 1, count, stdout);
        std::fflush(stdout);
    }
    void put(const char* item) override { write(item, 1); }
    void flush() override { std::fflush(stdout); }
};

// Sleeps in short steps until the time is up or Ctrl+C arrives.
void waitForEnd(long seconds) {
    using Clock = std::chrono::steady_clock;
    const auto end = Clock::now() + std::chrono::seconds(seconds);
    while (!gInterrupted && (seconds == 0 || Clock::now() < end))
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
}

// Runs the test for the time asked for, always putting the reader back at the end.
int readingTest(tools::ToolLink& link, const ReadingOptions& options) {
    Passthrough output;
    try {
        tools::ReadingTest test(link, &output,
                                options.verify1D ? tools::ReadingTest::Kind::Verification1D
                                                 : tools::ReadingTest::Kind::Test);
        test.opening();
        test.start();
        waitForEnd(options.seconds);
        if (gInterrupted)
            std::fprintf(stderr, "\n%s\n", res::loadStringUtf8(res::ids::ToolsStopping).c_str());
        test.stop();
    } catch (const foundation::Exception& e) {
        return failLink(e, options.device);
    }
    return gInterrupted ? ExitCancelled : ExitDone;
}

}  // namespace

int runReadingTest(const Args& args) {
    ReadingOptions options;
    if (int code = parseReading(args, options))
        return code;
    return withToolLink(options.device, [&](serial::SerialPortForPosix&, tools::ToolLink& link) {
        return readingTest(link, options);
    });
}

}  // namespace omni::cli
