// The whole log chain with its writer thread: what the sink receives, ordering under load,
// back-pressure and a stalled writer.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "collecting.h"
#include "stream/code_page_setting.h"
#include "stream/desynchronized_output_stream.h"
#include "stream/log_chain.h"

namespace omni::stream {
namespace {

using test::CollectingSink;
using test::Gate;

using LogChain = stream::BufferedDeSynchronizedEditBoxOutputStream<8192>;

class LogChainTest : public ::testing::Test {
protected:
    void SetUp() override { chain.setSink(&sink); }
    void TearDown() override { stream::setCurrentCodePageSetting({}); }

    std::u16string feed(std::string_view bytes, stream::CodePageSetting setting = {true, 65001}) {
        stream::setCurrentCodePageSetting(setting);
        chain.write(bytes.data(), bytes.size());
        chain.endOfLine();
        EXPECT_TRUE(chain.drain(10000));
        return sink.text();
    }

    CollectingSink sink;
    LogChain chain;
};

TEST_F(LogChainTest, LineEndsAndControlNames) {
    EXPECT_EQ(feed("A\r\nB\rC\nD\x07\x0c\x7f\t"), u"A\r\nB\r\nC\r\nD[BEL][NP][DEL][HT]\r\n");
    EXPECT_GE(sink.flushes(), 1);
}

TEST_F(LogChainTest, EndOfLineAddsNoBlankLine) {
    feed("one\r");
    chain.endOfLine();
    chain.endOfLine();
    ASSERT_TRUE(chain.drain(10000));
    EXPECT_EQ(sink.text(), u"one\r\n");
}

TEST_F(LogChainTest, HexBlocksStartFreshRows) {
    std::string zeros(17, '\0');
    std::u16string first = u"00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00\r\n00 \r\n";
    EXPECT_EQ(feed(zeros, {false, stream::kHexCodePage}), first);
    // After the end of line the next block starts its own row of 16.
    EXPECT_EQ(feed(std::string(16, '\x7f'), {false, stream::kHexCodePage}),
              first + u"7F 7F 7F 7F 7F 7F 7F 7F 7F 7F 7F 7F 7F 7F 7F 7F\r\n");
}

TEST_F(LogChainTest, EchoedAsciiAndMessagesShareTheLine) {
    stream::setCurrentCodePageSetting({true, 932});
    chain.asciiStream().write(">Z1", 3);
    chain.endOfLine();
    chain.writeText(u"接続しました\n");
    chain.feed("\x83\x65\x83", 3);  // a character split between two reads
    chain.feed("\x58\x83\x67", 3);
    chain.endOfLine();
    ASSERT_TRUE(chain.drain(10000));
    EXPECT_EQ(sink.text(), u">Z1\r\n接続しました\r\nテスト\r\n");
}

TEST_F(LogChainTest, DetachedSinkGetsNothingMore) {
    feed("before\n");
    chain.setSink(nullptr);
    feed("after\n");
    EXPECT_EQ(sink.text(), u"before\r\n");
}

TEST_F(LogChainTest, ManyProducersInOrderNoneLost) {
    // Each producer writes numbered lines; every line arrives whole and each producer's lines
    // arrive in order, however the threads interleave and however often the ring wraps.
    constexpr int kProducers = 4;
    constexpr int kLines = 5000;
    stream::setCurrentCodePageSetting({true, 65001});
    std::vector<std::thread> threads;
    for (int p = 0; p < kProducers; ++p) {
        threads.emplace_back([this, p] {
            for (int i = 0; i < kLines; ++i) {
                std::string line = "P" + std::to_string(p) + ":" + std::to_string(i) + "\n";
                chain.write(line.data(), line.size());
                if (i % 7 == 0)
                    chain.flush();
            }
        });
    }
    for (auto& t : threads)
        t.join();
    chain.endOfLine();
    ASSERT_TRUE(chain.drain(30000));

    std::u16string text = sink.text();
    std::vector<int> next(kProducers, 0);
    std::size_t pos = 0;
    int lines = 0;
    while (pos < text.size()) {
        std::size_t end = text.find(u"\r\n", pos);
        ASSERT_NE(end, std::u16string::npos);
        std::u16string line = text.substr(pos, end - pos);
        ASSERT_GE(line.size(), 4u);
        ASSERT_EQ(line[0], u'P');
        int producer = line[1] - u'0';
        ASSERT_LT(producer, kProducers);
        std::string number(line.begin() + 3, line.end());
        ASSERT_EQ(std::stoi(number), next[producer]) << "producer " << producer;
        ++next[producer];
        ++lines;
        pos = end + 2;
    }
    EXPECT_EQ(lines, kProducers * kLines);
    EXPECT_LE(sink.longestRun(), 8192u);
}

// A target the writer thread blocks in until the test lets it go.
struct BlockingTarget : stream::OutputStream<char16_t> {
    Gate gate;
    std::atomic<bool> entered{false};
    std::u16string text;  // writer thread only until joined
    void write(const char16_t* data, std::size_t count) override {
        entered = true;
        gate.wait();
        text.append(data, count);
    }
    void put(const char16_t* item) override { write(item, 1); }
    void flush() override {}
};

TEST(DesynchronizedOutputStream, ProducerDoesNotWaitForASlowTarget) {
    BlockingTarget target;
    stream::DesynchronizedOutputStream<char16_t, 64> stream(&target);
    std::u16string first(10, u'a');
    stream.write(first.data(), first.size());
    while (!target.entered)
        std::this_thread::yield();
    // The writer is stuck in the target; the ring still takes what fits below its limit.
    std::u16string more(62, u'b');
    stream.write(more.data(), more.size());
    EXPECT_EQ(stream.queued(), 62u);
    target.gate.open();
    ASSERT_TRUE(stream.drain(10000));
    stream.stop();
    EXPECT_EQ(target.text, first + more);
}

TEST(DesynchronizedOutputStream, StalledWriterLosesOldestAfterTheWait) {
    BlockingTarget target;
    stream::DesynchronizedOutputStream<char16_t, 16> stream(&target);
    const char16_t x = u'x';
    stream.put(&x);
    while (!target.entered)
        std::this_thread::yield();
    std::u16string fill = u"0123456789ABCDE";  // 15: the ring's limit
    stream.write(fill.data(), fill.size());
    // Two more elements: each waits its bounded time, then the ring fills and the oldest goes.
    auto start = std::chrono::steady_clock::now();
    stream.write(u"FG", 2);
    auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, std::chrono::milliseconds(1900));
    EXPECT_EQ(stream.queued(), 16u);
    target.gate.open();
    ASSERT_TRUE(stream.drain(10000));
    stream.stop();
    EXPECT_EQ(target.text, u"x123456789ABCDEFG");
}

struct ThrowingTarget : stream::OutputStream<char16_t> {
    void write(const char16_t*, std::size_t) override { throw std::runtime_error("broken"); }
    void put(const char16_t* item) override { write(item, 1); }
    void flush() override {}
};

TEST(DesynchronizedOutputStream, WriterThatDiesReleasesProducers) {
    ThrowingTarget target;
    stream::DesynchronizedOutputStream<char16_t, 16> stream(&target);
    stream.write(u"abc", 3);
    EXPECT_FALSE(stream.drain(10000));
    // With no writer left, a producer never waits for space: this would take minutes otherwise.
    std::u16string lots(200, u'z');
    stream.write(lots.data(), lots.size());
    EXPECT_EQ(stream.queued(), 16u);
    stream.stop();
}

}  // namespace
}  // namespace omni::stream
