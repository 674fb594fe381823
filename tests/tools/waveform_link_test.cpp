// The waveform viewer link: the shared block filled by the port's receive thread and read by
// another process, the lock between them, a viewer that dies holding it, and the viewer's
// requests reaching the reader.
#include <fcntl.h>
#include <semaphore.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>

#include "tool_fixture.h"
#include "tools/waveform_link.h"

namespace omni::test {
namespace {

using namespace std::chrono_literals;

class Waveform : public ToolTest {
protected:
    void SetUp() override {
        reader.addResponder(std::make_unique<sim::WaveformResponder>());
        ToolTest::SetUp();
    }
    // Names of this process's own, so parallel runs never meet.
    const std::string memory = "SharedMemory_for_WaveformApp_test" + std::to_string(::getpid());
    const std::string lock = "Mutex_for_WaveformApp_test" + std::to_string(::getpid());
    tools::WaveformLink link{port, exchange, memory, lock};
};

// In a child process, with system calls only: waits for text in the block under the lock and
// writes it to `out`. Exits 0 when text came within about five seconds.
[[noreturn]] void readBlockInChild(const std::string& memory, const std::string& lock, int out) {
    const int fd = ::shm_open(("/" + memory).c_str(), O_RDWR, 0);
    sem_t* semaphore = ::sem_open(("/" + lock).c_str(), 0);
    if (fd < 0 || semaphore == SEM_FAILED)
        ::_exit(2);
    auto* view = static_cast<char*>(
        ::mmap(nullptr, tools::kWaveformBlockSize, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0));
    for (int i = 0; i < 500; ++i) {
        timespec until{};
        ::clock_gettime(CLOCK_REALTIME, &until);
        until.tv_sec += 1;
        if (::sem_timedwait(semaphore, &until) == 0) {
            const std::size_t length = ::strnlen(view, tools::kWaveformBlockSize);
            const bool complete = length > 0 && view[length - 1] == '\n';
            if (complete) {
                [[maybe_unused]] auto written = ::write(out, view, length);
                view[0] = 0;
            }
            ::sem_post(semaphore);
            if (complete)
                ::_exit(0);
        }
        ::usleep(10000);
    }
    ::_exit(1);
}

TEST_F(Waveform, ReceivedTextReachesAnotherProcessThroughTheBlock) {
    ASSERT_EQ(link.start(tools::kWaveformModel, "/bin/true", "unused"),
              tools::WaveformLink::StartResult::Started);
    int pipe[2];
    ASSERT_EQ(::pipe(pipe), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0)
        readBlockInChild(memory, lock, pipe[1]);
    ::close(pipe[1]);

    Collector log;
    port.startReceiving(&log);
    link.request({1, 2});  // waveform mode 2
    link.request({2, 1});  // reading on: the reader streams
    std::string text;
    char buffer[4096];
    for (ssize_t n; (n = ::read(pipe[0], buffer, sizeof buffer)) > 0;)
        text.append(buffer, static_cast<std::size_t>(n));
    ::close(pipe[0]);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(text, sim::WaveformResponder::waveform(2));
    EXPECT_EQ(tools::parseWaveformLine(text).size(), 200u);
    port.stop();
    EXPECT_EQ(log.text(), text);  // the log got the same bytes
}

TEST_F(Waveform, ADeadViewerHoldingTheLockBlocksNothingAndANewAttachmentRecovers) {
    ASSERT_EQ(link.start(tools::kWaveformModel, "/bin/true", "unused"),
              tools::WaveformLink::StartResult::Started);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        sem_t* semaphore = ::sem_open(("/" + lock).c_str(), 0);
        ::_exit(semaphore != SEM_FAILED && ::sem_wait(semaphore) == 0 ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_EQ(WEXITSTATUS(status), 0);

    tools::WaveformShare other(memory, lock, false);
    EXPECT_FALSE(other.take(100));  // times out instead of hanging

    link.detach();
    link.detach();  // twice: harmless
    EXPECT_FALSE(link.attached());
    ASSERT_EQ(link.start(tools::kWaveformModel, "/bin/true", "unused"),
              tools::WaveformLink::StartResult::Started);
    tools::WaveformShare fresh(memory, lock, false);
    EXPECT_EQ(fresh.take(100), std::string());
}

TEST_F(Waveform, ModelGateAndOneViewerAtATime) {
    EXPECT_EQ(link.start("", "/bin/true", "unused"), tools::WaveformLink::StartResult::Ignored);
    EXPECT_EQ(link.start("Q-150X", "/bin/true", "unused"),
              tools::WaveformLink::StartResult::WrongModel);
    EXPECT_EQ(link.start("Q-15", "/bin/true", "unused"),
              tools::WaveformLink::StartResult::WrongModel);
    EXPECT_FALSE(link.attached());
    EXPECT_THROW(link.start("Q-150", "/nonexistent/viewer", "unused"), foundation::Exception);
    EXPECT_FALSE(link.attached());
    ASSERT_EQ(link.start("Q-150", "/bin/true", "unused"),
              tools::WaveformLink::StartResult::Started);
    EXPECT_EQ(link.start("Q-150", "/bin/true", "unused"),
              tools::WaveformLink::StartResult::AlreadyAttached);
    link.request({0, 0});
    EXPECT_FALSE(link.attached());
    // The names are gone once detached.
    EXPECT_THROW(tools::WaveformShare(memory, lock, false), foundation::Exception);
}

TEST_F(Waveform, RequestsBecomeControlFrames) {
    link.request({1, 3});  // no fourth mode: nothing
    link.request({1, 0});
    link.request({2, 0});
    link.request({3, 1});
    link.request({3, 0});
    sync();
    EXPECT_EQ(transcript(), (std::vector<std::string>{"[EGFQ0", "Y", ".V", ".W"}));
    EXPECT_EQ(tools::formatRequest({1, 2}), "1 2\n");
    ASSERT_TRUE(tools::parseRequest("3 1\n"));
    EXPECT_EQ(tools::parseRequest("3 1\n")->value, 1);
    EXPECT_FALSE(tools::parseRequest("4 0"));
    EXPECT_FALSE(tools::parseRequest("1"));
    EXPECT_FALSE(tools::parseRequest("1 x"));
    EXPECT_TRUE(tools::parseWaveformLine("Reading rate: 98% (49/50)").empty());
}

}  // namespace
}  // namespace omni::test
