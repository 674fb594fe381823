// The reading test and the 1D reading verification: a few menu commands put the reader into a
// reading mode, the port's receive thread shows what it sends, and stopping puts the reader back
// and runs the acknowledgement exchange. The tool measures nothing itself.
#pragma once

#include <atomic>

#include "tools/tool_link.h"

namespace omni::tools {

// The balance of "WC" and "WD" sent by one kind of test, process-wide.
struct ExchangeBalance {
    std::atomic<int> value{0};
};
ExchangeBalance& readingTestBalance();
ExchangeBalance& verificationBalance();

class ReadingTest {
public:
    enum class Kind { Test, Verification1D };

    // `listener` receives what the reader sends while running (not owned).
    ReadingTest(ToolLink& link, stream::OutputStream<char>* listener, Kind kind = Kind::Test);
    ~ReadingTest();

    // The verification sends "Y" when its dialog opens.
    void opening();
    void start();
    // Puts the reader back and runs the exchange; returns the number of "WD"s it sent.
    // Does nothing when stopped.
    int stop();
    bool running() const { return running_; }

private:
    ToolLink& link_;
    stream::OutputStream<char>* listener_;
    Kind kind_;
    bool running_ = false;
};

}  // namespace omni::tools
