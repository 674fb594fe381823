#include "tools/reading_test.h"

#include <initializer_list>
#include <string_view>

namespace omni::tools {
namespace {

using Commands = std::initializer_list<std::string_view>;

// What puts the reader into its reading mode and back: the reading test's mode switch with
// its trigger and buzzer settings, or the 1D verification mode.
const Commands kTestStart = {"[BAQQ2", "S2S7", "[EAT"};
const Commands kTestStop = {"S0S8", "[EAU", "[BAPQ2"};
const Commands kVerificationStart = {".V"};
const Commands kVerificationStop = {".W"};

void sendAll(ToolLink& link, Commands commands) {
    for (std::string_view command : commands)
        link.send(command);
}

}  // namespace

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
    sendAll(link_, kind_ == Kind::Test ? kTestStart : kVerificationStart);
    running_ = true;
    link_.port().startReceiving(listener_);
}

int ReadingTest::stop() {
    if (!running_)
        return 0;
    running_ = false;
    sendAll(link_, kind_ == Kind::Test ? kTestStop : kVerificationStop);
    link_.port().stop();
    ExchangeBalance& balance = kind_ == Kind::Test ? readingTestBalance() : verificationBalance();
    ++balance.value;
    int sent = link_.acknowledgementExchange();
    balance.value -= sent;
    return sent;
}

}  // namespace omni::tools
