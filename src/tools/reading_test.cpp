#include "tools/reading_test.h"

namespace omni::tools {

ExchangeBalance& readingTestBalance() {
    static ExchangeBalance balance;
    return balance;
}

ExchangeBalance& verificationBalance() {
    static ExchangeBalance balance;
    return balance;
}

ReadingTest::ReadingTest(ToolLink& link, stream::OutputStream<char>* listener, Kind kind)
    : link_(link), listener_(listener), kind_(kind) {}

ReadingTest::~ReadingTest() {
    try {
        stop();
    } catch (const foundation::Exception&) {
        // The reader went away while the test ran; nothing is left to put back.
    }
}

void ReadingTest::opening() {
    if (kind_ == Kind::Verification1D)
        link_.send("Y");
}

void ReadingTest::start() {
    if (running_)
        return;
    if (kind_ == Kind::Test) {
        link_.send("[BAQQ2");
        link_.send("S2S7");
        link_.send("[EAT");
    } else {
        link_.send(".V");
    }
    running_ = true;
    link_.port().startReceiving(listener_);
}

int ReadingTest::stop() {
    if (!running_)
        return 0;
    running_ = false;
    if (kind_ == Kind::Test) {
        link_.send("S0S8");
        link_.send("[EAU");
        link_.send("[BAPQ2");
    } else {
        link_.send(".W");
    }
    link_.port().stop();
    ExchangeBalance& balance = kind_ == Kind::Test ? readingTestBalance() : verificationBalance();
    ++balance.value;
    int sent = link_.acknowledgementExchange();
    balance.value -= sent;
    return sent;
}

}  // namespace omni::tools
