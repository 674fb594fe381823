// Ring and buffer states, the character stages, bit packing, file streams and worker threads.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "collecting.h"
#include "foundation/exception.h"
#include "stream/bit_to_byte_stream.h"
#include "stream/buffered_output_stream.h"
#include "stream/escapes.h"
#include "stream/file_stream.h"
#include "stream/ring_buffer.h"
#include "stream/text_streams.h"
#include "stream/thread_runnable.h"

namespace omni::stream {
namespace {

using test::CollectingStream;

void through(stream::OutputStream<char16_t>& stage, std::u16string_view input) {
    stage.write(input.data(), input.size());
}

TEST(RingBuffer, EmptyFullAndWrap) {
    stream::RingBuffer<char16_t, 8192> ring;
    EXPECT_TRUE(ring.empty());
    EXPECT_EQ(ring.count(), 0u);

    std::u16string data(8192, u'x');
    for (std::size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<char16_t>(i);
    ring.write(data.data(), data.size());
    // Read and write positions meet: that is full, not empty.
    EXPECT_TRUE(ring.full());
    EXPECT_FALSE(ring.empty());
    EXPECT_EQ(ring.count(), 8192u);

    char16_t c = 0;
    ASSERT_TRUE(ring.take(&c));
    EXPECT_EQ(c, 0);
    EXPECT_FALSE(ring.full());
    EXPECT_EQ(ring.count(), 8191u);

    // Wrapped content comes out in order.
    const char16_t more[2] = {u'a', u'b'};
    ring.write(more, 1);
    EXPECT_TRUE(ring.full());
    std::vector<char16_t> out(8192);
    ASSERT_EQ(ring.take(out.data(), out.size()), 8192u);
    EXPECT_EQ(out[0], 1);
    EXPECT_EQ(out[8190], 8191);
    EXPECT_EQ(out[8191], u'a');
    EXPECT_TRUE(ring.empty());

    // Passing over unread content drops the oldest.
    ring.write(data.data(), 8192);
    ring.write(more, 2);
    EXPECT_EQ(ring.count(), 8192u);
    ASSERT_TRUE(ring.take(&c));
    EXPECT_EQ(c, 2);

    ring.reset();
    EXPECT_TRUE(ring.empty());
    EXPECT_FALSE(ring.take(&c));
}

TEST(BufferedOutputStream, HandsOnWholeRunsAndNeverFlushesTarget) {
    CollectingStream target;
    stream::BufferedOutputStream<char16_t, 8> buffered(&target);
    std::u16string text = u"0123456789ABCDEFGHIJ";  // 20 units: two full runs and 4 left
    buffered.write(text.data(), text.size());
    EXPECT_EQ(target.writes, 2);
    EXPECT_EQ(target.text, u"0123456789ABCDEF");
    EXPECT_EQ(buffered.buffered(), 4u);
    buffered.flush();
    EXPECT_EQ(target.writes, 3);
    EXPECT_EQ(target.text, text);
    EXPECT_EQ(target.flushes, 0);
    buffered.flush();  // nothing buffered: no empty write
    EXPECT_EQ(target.writes, 3);
}

TEST(CrOrLfToCrLf, EveryLineEndBecomesOneCrLf) {
    CollectingStream out;
    stream::CrOrLfToCrLfOutputStreamW lines(&out);
    EXPECT_TRUE(lines.atLineStart());
    through(lines, u"a\r\nb\rc\nd\r\re\n\nf");
    EXPECT_EQ(out.text, u"a\r\nb\r\nc\r\nd\r\n\r\ne\r\n\r\nf");
    EXPECT_FALSE(lines.atLineStart());
    through(lines, u"\r");
    EXPECT_TRUE(lines.atLineStart());
    // The LF of a CR LF split over two writes is still swallowed.
    through(lines, u"\n");
    EXPECT_EQ(out.text, u"a\r\nb\r\nc\r\nd\r\n\r\ne\r\n\r\nf\r\n");
}

TEST(VisibleASCII, ControlCharactersByName) {
    CollectingStream out;
    stream::VisibleASCIIStream visible(&out);
    std::u16string input;
    for (char16_t c = 0; c < 32; ++c)
        input += c;
    input += u"\x7F ~\xFF80\x3042";
    through(visible, input);
    EXPECT_EQ(out.text,
              u"[NUL][SOH][STX][ETX][EOT][ENQ][ACK][BEL][BS][HT]\n[VT][NP]\r[SO][SI]"
              u"[DLE][DC1][DC2][DC3][DC4][NAK][SYN][ETB][CAN][EM][SUB][ESC][FS][GS][RS][US]"
              u"[DEL] ~\xFF80\x3042");
    for (char16_t c = 0; c < 32; ++c) {
        if (c != 10 && c != 13) {
            EXPECT_LE(stream::VisibleASCIIStream::nameOf(c).size(), 7u);
        }
    }
}

TEST(CharToWCharOnlyASCII, WidensBySignExtension) {
    CollectingStream out;
    stream::CharToWCharStreamOnlyASCII ascii(&out);
    const char bytes[] = {'A', '\x7F', '\x80', '\xFF'};
    ascii.write(bytes, 4);
    EXPECT_EQ(out.text, std::u16string(u"A\x7F\xFF80\xFFFF"));
}

TEST(BitToByteStream, PacksMostSignificantFirstAndPadsOnFlush) {
    unsigned char bytes[3] = {0xFF, 0xFF, 0xFF};
    stream::BitToByteStream bits(bytes);
    const bool first[] = {true, false, true};
    bits.write(first, 3);
    bits.flush();
    EXPECT_EQ(bytes[0], 0xA0);
    EXPECT_EQ(bits.bytesWritten(), 1u);

    const bool pattern[] = {true,  true, false, false, true, false, true, false,  // 0xCA
                            false, true};                                         // 01 -> 0x40
    bits.write(pattern, 10);
    bits.flush();
    EXPECT_EQ(bytes[1], 0xCA);
    EXPECT_EQ(bytes[2], 0x40);
    EXPECT_EQ(bits.bytesWritten(), 3u);
}

class FileStreams : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() /
               ("omni-file-stream-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }
    std::filesystem::path dir_;
};

TEST_F(FileStreams, WriteThenReadBack) {
    auto path = dir_ / "data.bin";
    {
        stream::FileOutputStream<unsigned char> out(path);
        ASSERT_TRUE(out.isOpen());
        // A second writer is refused while the first holds the file.
        stream::FileOutputStream<unsigned char> second(path);
        EXPECT_FALSE(second.isOpen());
        std::vector<unsigned char> data(100000);
        for (std::size_t i = 0; i < data.size(); ++i)
            data[i] = static_cast<unsigned char>(i * 7);
        out.write(data.data(), data.size());
        unsigned char last = 0xEE;
        out.put(&last);
        out.flush();
    }
    stream::FileInputStream<unsigned char> in(path);
    ASSERT_TRUE(in.isOpen());
    std::vector<unsigned char> back(200000);
    std::size_t total = 0;
    while (std::size_t n = in.read(back.data() + total, back.size() - total))
        total += n;
    ASSERT_EQ(total, 100001u);
    EXPECT_EQ(back[99999], static_cast<unsigned char>(99999 * 7));
    EXPECT_EQ(back[100000], 0xEE);
    unsigned char c;
    EXPECT_EQ(in.get(&c), 0u);  // end of file

    // Creating an existing file truncates it.
    stream::FileOutputStream<char> again(path);
    ASSERT_TRUE(again.isOpen());
    EXPECT_EQ(std::filesystem::file_size(path), 0u);
}

TEST_F(FileStreams, FailuresAreReported) {
    stream::FileInputStream<char> missing(dir_ / "missing");
    EXPECT_FALSE(missing.isOpen());
    EXPECT_EQ(missing.errorCode(), ENOENT);

    stream::FileInputStream<char> directory(dir_);  // opens, but reading a directory fails
    ASSERT_TRUE(directory.isOpen());
    char buffer[4];
    EXPECT_THROW(directory.read(buffer, 4), foundation::SystemException);
}

// A worker that runs until released.
class Waiter : public stream::ThreadRunnable {
public:
    using stream::ThreadRunnable::ThreadRunnable;
    ~Waiter() override { stop(); }
    void stop() override {
        release.open();
        join();
    }
    test::Gate release;
    std::atomic<int> runs{0};

protected:
    void run() override {
        ++runs;
        release.wait();
    }
};

TEST(ThreadRunnable, JoinTimesOutWithUserExceptionThenEnds) {
    Waiter worker(stream::ThreadRunnable::Priority::Idle);
    ASSERT_TRUE(worker.start());
    EXPECT_TRUE(worker.start());  // still running: left alone
    try {
        worker.join(50);
        FAIL() << "join returned while the thread was running";
    } catch (const foundation::UserException& e) {
        EXPECT_EQ(e.code(), foundation::UserException::ThreadEndTimeout);
    }
    EXPECT_TRUE(worker.isRunning());
    worker.stop();
    EXPECT_FALSE(worker.isRunning());
    EXPECT_EQ(worker.runs.load(), 1);
    worker.join(0);  // no thread: returns
}

}  // namespace
}  // namespace omni::stream

TEST(Escapes, NamedBytesAndHexAreUnescapedAndTheRestStands) {
    using omni::stream::unescape;
    EXPECT_EQ(unescape(R"(Z1\r\n\t\\)"), "Z1\r\n\t\\");
    EXPECT_EQ(unescape(R"(\x1B\x7f\x00A)"), std::string("\x1B\x7F\0A", 4));
    // Unknown escapes, short or non-hex "\x" and a trailing backslash are kept as typed.
    EXPECT_EQ(unescape(R"(\q\x4\xZZ\)"), R"(\q\x4\xZZ\)");
    EXPECT_EQ(unescape(R"(\\x41)"), R"(\x41)");  // an escaped backslash does not start an escape
}
