// The module library's frame: handle rules, creation checks, the per-thread status store and
// the command framing, against an in-memory serial port.
#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <thread>

#include "foundation/exception.h"
#include "module/kes_sdk.h"

namespace {

// An in-memory port: records what is written, has nothing to read.
struct MemoryPort {
    std::string written;
    static int isOpen(void*) { return 1; }
    static std::uint32_t read(void*, void*, std::uint32_t) {
        KesSetLastStatus(KES_STATE_COMMUNICATION_TIMEOUT);
        return 0;
    }
    static std::uint32_t wait(void*, std::uint32_t) {
        KesSetLastStatus(KES_STATE_COMMUNICATION_TIMEOUT);
        return 0;
    }
    static void write(void* self, const void* data, std::uint32_t n) {
        static_cast<MemoryPort*>(self)->written.append(static_cast<const char*>(data), n);
    }
    static void flush(void*) {}
    static void sleep(void*, std::uint32_t) {}

    KesHandle create() {
        return KesCreateSerialPort(this, isOpen, read, wait, write, flush, sleep, nullptr, nullptr);
    }
};

// A status-store lock whose thread ids the test chooses, so many "threads" fit in one.
thread_local std::uint32_t tFakeThread = 1;
std::uint32_t fakeThreadId(void*) {
    return tFakeThread;
}
std::mutex gLock;
void enter(void*) {
    gLock.lock();
}
void leave(void*) {
    gLock.unlock();
}

class StatusStore : public ::testing::Test {
protected:
    void SetUp() override {
        lock_ = KesCreateCriticalSection(nullptr, fakeThreadId, enter, leave);
        KesUseCriticalSection(lock_);
    }
    void TearDown() override {
        KesUseCriticalSection(0);
        KesCloseHandle(lock_);
        tFakeThread = 1;
    }
    KesHandle lock_ = 0;
};

TEST(Handles, InvalidNoneAndWrongKind) {
    MemoryPort memory;
    KesHandle port = memory.create();
    ASSERT_NE(port, KES_INVALID_HANDLE);

    KesSetLastStatus(KES_STATE_SUCCESS);
    EXPECT_EQ(KesGetFirmwareVersion(KES_INVALID_HANDLE), nullptr);
    EXPECT_EQ(KesGetLastStatus(), KES_STATE_INVALID_PARAMETER);

    KesSetLastStatus(KES_STATE_CANCELED);
    KesSendCommand(0, "Z1", 2);  // none: nothing happens, the status stays
    EXPECT_EQ(KesGetLastStatus(), KES_STATE_CANCELED);

    KesSetLastStatus(KES_STATE_SUCCESS);
    EXPECT_EQ(KesShoot(port, 0), KES_INVALID_HANDLE);  // a serial port is not a module
    EXPECT_EQ(KesGetLastStatus(), KES_STATE_INVALID_HANDLE_VALUE);

    KesSetLastStatus(KES_STATE_SUCCESS);
    EXPECT_EQ(KesOpenModule(reinterpret_cast<KesHandle>(&memory)), KES_INVALID_HANDLE);
    EXPECT_EQ(KesGetLastStatus(), KES_STATE_INVALID_HANDLE_VALUE);  // not a library object

    KesCloseHandle(port);
    KesSetLastStatus(KES_STATE_SUCCESS);
    EXPECT_EQ(KesOpenModule(port), KES_INVALID_HANDLE);  // closed
    EXPECT_EQ(KesGetLastStatus(), KES_STATE_INVALID_HANDLE_VALUE);
    EXPECT_TRUE(memory.written.empty());
}

TEST(Handles, CreationNeedsItsRequiredCallbacks) {
    auto range = [](void*, std::int32_t, std::int32_t) {};
    auto position = [](void*, std::int32_t) {};
    auto flag = [](void*, std::int32_t) {};
    KesSetLastStatus(KES_STATE_SUCCESS);
    EXPECT_EQ(KesCreateSerialPort(nullptr, MemoryPort::isOpen, MemoryPort::read, nullptr,
                                  MemoryPort::write, MemoryPort::flush, MemoryPort::sleep, nullptr,
                                  nullptr),
              KES_INVALID_HANDLE);
    EXPECT_EQ(KesGetLastStatus(), KES_STATE_INVALID_PARAMETER);
    EXPECT_EQ(KesCreateShootProgress(nullptr, range, position, nullptr, nullptr, nullptr),
              KES_INVALID_HANDLE);
    EXPECT_EQ(KesCreateDownloadProgress(nullptr, range, position, range, nullptr, flag),
              KES_INVALID_HANDLE);

    KesSetLastStatus(KES_STATE_SUCCESS);
    KesHandle simple = KesCreateShootProgressSimple(nullptr, range, position, flag);
    EXPECT_NE(simple, KES_INVALID_HANDLE);
    EXPECT_NE(simple, 0);
    EXPECT_EQ(KesGetLastStatus(), KES_STATE_SUCCESS);
    KesCloseHandle(simple);
}

TEST_F(StatusStore, EachThreadKeepsItsOwnStatus) {
    std::thread other([] {
        tFakeThread = 2;
        KesSetLastStatus(KES_STATE_COMMUNICATION_TIMEOUT);
        EXPECT_EQ(KesGetLastStatus(), KES_STATE_COMMUNICATION_TIMEOUT);
    });
    KesSetLastStatus(KES_STATE_SERIAL_PORT_IS_CLOSED);
    other.join();
    EXPECT_EQ(KesGetLastStatus(), KES_STATE_SERIAL_PORT_IS_CLOSED);
    tFakeThread = 2;
    EXPECT_EQ(KesGetLastStatus(), KES_STATE_COMMUNICATION_TIMEOUT);
    tFakeThread = 3;
    EXPECT_EQ(KesGetLastStatus(), KES_STATE_SUCCESS);  // never stored
}

TEST_F(StatusStore, The257thThreadEvictsTheOldest) {
    for (std::uint32_t id = 1; id <= 256; ++id) {
        tFakeThread = id;
        KesSetLastStatus(static_cast<KesState>(id % 17 + 1));
    }
    tFakeThread = 1;
    EXPECT_EQ(KesGetLastStatus(), 2);
    KesSetLastStatus(KES_STATE_CANCELED);  // an update, not a new entry
    tFakeThread = 257;
    KesSetLastStatus(KES_STATE_NO_IMAGE);
    tFakeThread = 1;
    EXPECT_EQ(KesGetLastStatus(), KES_STATE_SUCCESS);  // evicted
    tFakeThread = 2;
    EXPECT_EQ(KesGetLastStatus(), 3);
    tFakeThread = 257;
    EXPECT_EQ(KesGetLastStatus(), KES_STATE_NO_IMAGE);
}

TEST_F(StatusStore, KesExceptionClearsTheCallersStatus) {
    KesSetLastStatus(KES_STATE_COMMUNICATION_FAILURE);
    omni::foundation::KesException error(KesGetLastStatus());
    EXPECT_EQ(error.state(), KES_STATE_COMMUNICATION_FAILURE);
    EXPECT_EQ(KesGetLastStatus(), KES_STATE_SUCCESS);
}

TEST(Modules, SilentEngineIsBootLoaderOnly) {
    MemoryPort memory;
    KesHandle port = memory.create();
    KesHandle module = KesOpenModule(port);
    ASSERT_NE(module, KES_INVALID_HANDLE);
    EXPECT_EQ(KesGetLastStatus(), KES_STATE_SUCCESS);
    EXPECT_STREQ(KesGetModuleClassName(module), "EngineAInvalid");
    EXPECT_STREQ(KesGetFirmwareVersion(module), "");
    EXPECT_EQ(memory.written, "\x1BZ1\r");

    memory.written.clear();
    KesSendCommand(module, "B2", 2);
    EXPECT_EQ(KesGetLastStatus(), KES_STATE_NOT_SUPPORTED_BY_THIS_HANDLE);
    KesShootWithCommand(module, 0, 0);  // needs a full module
    EXPECT_EQ(KesGetLastStatus(), KES_STATE_INVALID_HANDLE_VALUE);
    EXPECT_TRUE(memory.written.empty());
    KesCloseHandle(module);
    KesCloseHandle(port);
}

}  // namespace
