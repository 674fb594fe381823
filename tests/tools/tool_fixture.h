// A simulated reader with the tool responders, and the tool link to it with short pauses.
#pragma once

#include <thread>

#include <algorithm>

#include "serial/reader_fixture.h"
#include "sim/tuning_responder.h"
#include "tool_timing.h"
#include "tools/tool_link.h"

namespace omni::test {

class ToolTest : public ReaderTest {
protected:
    void SetUp() override {
        tuning = &sim::addToolResponders(reader);
        ReaderTest::SetUp();
        openPort();
        port.stop();
    }

    // Waits until the reader has handled everything sent so far: it handles commands in order,
    // so once a marker no responder knows is in the transcript, everything before it was handled.
    // Each marker is new, so an earlier one cannot stand in for it; markers are dropped from the
    // transcript.
    void sync() {
        const std::string marker = std::string(kMarker) + std::to_string(++syncs_);
        exchange.sendCommand(marker);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        for (;;) {
            const std::vector<std::string> all = reader.transcript();
            if (std::find(all.begin(), all.end(), marker) != all.end())
                return;
            ASSERT_LT(std::chrono::steady_clock::now(), deadline)
                << "the reader never saw " << marker;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }
    static constexpr std::string_view kMarker = "#SYNC";
    int syncs_ = 0;

    // The commands the reader saw from the first one equal to `from` on.
    std::vector<std::string> commandsFrom(std::string_view from) const {
        std::vector<std::string> all = transcript();
        auto at = std::find(all.begin(), all.end(), from);
        return {at, all.end()};
    }
    std::vector<std::string> transcript() const {
        std::vector<std::string> all = reader.transcript();
        std::erase_if(all, [](const std::string& c) { return c.starts_with(kMarker); });
        return all;
    }
    long count(std::string_view command) {
        sync();
        std::vector<std::string> all = transcript();
        return std::count(all.begin(), all.end(), command);
    }

    sim::TuningResponder* tuning = nullptr;
    reader::CommandExchange exchange{port};
    tools::ToolLink link{exchange, port, quickTiming()};
};

}  // namespace omni::test
