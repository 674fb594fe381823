// The object model, the handle table, the per-thread status store and the creation entry points.
#include "module/kes_object.h"

#include <atomic>
#include <mutex>
#include <new>
#include <unordered_set>

namespace kes {
namespace {

// Live objects, so that a stale or made-up handle is refused instead of followed. This short
// internal lock guards only the table; it is never held while host code runs.
std::mutex& tableMutex() {
    static std::mutex mutex;
    return mutex;
}
std::unordered_set<const KesObject*>& liveObjects() {
    static std::unordered_set<const KesObject*> objects;
    return objects;
}

// The last-status store: 256 (thread, status) entries used as a ring. Without an installed lock
// it collapses to one process-wide value.
constexpr std::size_t kStatusEntries = 256;

struct StatusEntry {
    std::uint32_t thread;
    KesState state;
};

struct StatusStore {
    StatusEntry entries[kStatusEntries];
    std::size_t readPos = 0;
    std::size_t writePos = 0;
    bool full = false;

    std::size_t count() const {
        if (full)
            return kStatusEntries;
        return (writePos + kStatusEntries - readPos) % kStatusEntries;
    }
    StatusEntry* find(std::uint32_t thread) {
        std::size_t n = count();
        for (std::size_t i = 0; i < n; ++i) {
            StatusEntry& entry = entries[(readPos + i) % kStatusEntries];
            if (entry.thread == thread)
                return &entry;
        }
        return nullptr;
    }
    void clear() {
        readPos = writePos = 0;
        full = false;
    }
};

StatusStore gStore;
std::atomic<KesState> gGlobalStatus{KES_STATE_SUCCESS};
std::atomic<CriticalSectionForModule*> gLock{nullptr};

KesHandle create(KesObject* object) {
    if (!object) {
        setStatus(KES_STATE_CREATE_HANDLE_FAILURE);
        return KES_INVALID_HANDLE;
    }
    return publish(object);
}

}  // namespace

void setStatus(KesState state) {
    CriticalSectionForModule* lock = gLock.load(std::memory_order_acquire);
    if (!lock) {
        gGlobalStatus.store(state, std::memory_order_relaxed);
        return;
    }
    lock->enter();
    std::uint32_t thread = lock->threadId();
    if (StatusEntry* entry = gStore.find(thread)) {
        entry->state = state;
    } else {
        gStore.entries[gStore.writePos] = {thread, state};
        gStore.writePos = (gStore.writePos + 1) % kStatusEntries;
        if (gStore.full) {
            gStore.readPos = gStore.writePos;  // the oldest thread's entry is dropped
        } else if (gStore.writePos == gStore.readPos) {
            gStore.full = true;
        }
    }
    lock->leave();
}

KesState status() {
    CriticalSectionForModule* lock = gLock.load(std::memory_order_acquire);
    if (!lock)
        return gGlobalStatus.load(std::memory_order_relaxed);
    lock->enter();
    const StatusEntry* entry = gStore.find(lock->threadId());
    KesState state = entry ? entry->state : KES_STATE_SUCCESS;
    lock->leave();
    return state;
}

KesObject::KesObject() = default;

KesObject::~KesObject() {
    std::lock_guard guard(tableMutex());
    liveObjects().erase(this);
}

#define KES_BASE_QUERY(Type, name)                 \
    Type* KesObject::name() {                      \
        setStatus(KES_STATE_INVALID_HANDLE_VALUE); \
        return nullptr;                            \
    }
KES_BASE_QUERY(SerialPortForModule, asSerialPort)
KES_BASE_QUERY(Kes2DTwoDimensionModule, asModule)
KES_BASE_QUERY(Kes2DTwoDimensionModule, asFullModule)
KES_BASE_QUERY(ShootProgressInterface, asShootProgress)
KES_BASE_QUERY(KesObject, asImage)
KES_BASE_QUERY(KesObject, asImageProperty)
KES_BASE_QUERY(KesObject, asImageOutputProperty)
KES_BASE_QUERY(DownloadProgressInterface, asDownloadProgress)
KES_BASE_QUERY(InputStreamInterface, asInputStream)
KES_BASE_QUERY(CriticalSectionForModule, asCriticalSection)
#undef KES_BASE_QUERY

KesObject* lookUp(KesHandle handle) {
    if (handle == KES_INVALID_HANDLE) {
        setStatus(KES_STATE_INVALID_PARAMETER);
        return nullptr;
    }
    if (handle == 0)
        return nullptr;
    auto* object = reinterpret_cast<const KesObject*>(handle);
    {
        std::lock_guard guard(tableMutex());
        if (liveObjects().count(object))
            return const_cast<KesObject*>(object);
    }
    setStatus(KES_STATE_INVALID_HANDLE_VALUE);
    return nullptr;
}

KesHandle publish(KesObject* object) {
    std::lock_guard guard(tableMutex());
    liveObjects().insert(object);
    return object->handle();
}

// --- Serial access on behalf of a module ---

bool SerialPortForModule::isOpen() {
    return cb_.isOpen(cb_.context) != 0;
}

bool SerialPortForModule::get(std::uint8_t& byte) {
    std::uint32_t n = cb_.read(cb_.context, &byte, 1);
    return status() == KES_STATE_SUCCESS && n == 1;
}

std::uint32_t SerialPortForModule::read(void* buffer, std::uint32_t count) {
    std::uint32_t n = cb_.read(cb_.context, buffer, count);
    return status() == KES_STATE_SUCCESS ? n : 0;
}

std::uint32_t SerialPortForModule::waitForData(std::uint32_t timeoutMs) {
    std::uint32_t n = cb_.waitForData(cb_.context, timeoutMs);
    return status() == KES_STATE_SUCCESS ? n : 0;
}

bool SerialPortForModule::put(std::uint8_t byte) {
    return write(&byte, 1);
}

bool SerialPortForModule::write(const void* data, std::uint32_t count) {
    cb_.write(cb_.context, data, count);
    return status() == KES_STATE_SUCCESS;
}

bool SerialPortForModule::flush() {
    cb_.flush(cb_.context);
    return status() == KES_STATE_SUCCESS;
}

void SerialPortForModule::sleep(std::uint32_t ms) {
    cb_.sleep(cb_.context, ms);
}

void SerialPortForModule::highSpeed() {
    if (cb_.highSpeed)
        cb_.highSpeed(cb_.context);
}

void SerialPortForModule::restoreSpeed() {
    if (cb_.restoreSpeed)
        cb_.restoreSpeed(cb_.context);
}

std::uint32_t SerialPortForModule::readUntil(char* buffer, std::uint32_t max, char terminator) {
    std::uint32_t stored = 0;
    if (max == 0)
        return 0;
    while (stored + 1 < max) {
        std::uint8_t byte = 0;
        if (!get(byte))
            break;
        buffer[stored] = static_cast<char>(byte);
        if (static_cast<char>(byte) == terminator)
            break;
        ++stored;
    }
    buffer[stored] = 0;
    return stored;
}

}  // namespace kes

using namespace kes;

extern "C" {

KesHandle KesCreateSerialPort(void* context, KesIsOpenCallback isOpen, KesReadCallback read,
                              KesWaitForDataCallback waitForData, KesWriteCallback write,
                              KesActionCallback flush, KesSleepCallback sleep,
                              KesActionCallback highSpeed, KesActionCallback restoreSpeed) {
    if (!isOpen || !read || !waitForData || !write || !flush || !sleep) {
        setStatus(KES_STATE_INVALID_PARAMETER);
        return KES_INVALID_HANDLE;
    }
    return create(new (std::nothrow) SerialPortForModule(
        {context, isOpen, read, waitForData, write, flush, sleep, highSpeed, restoreSpeed}));
}

KesHandle KesCreateCriticalSection(void* context, KesThreadIdCallback getThreadId,
                                   KesActionCallback enter, KesActionCallback leave) {
    if (!getThreadId || !enter || !leave) {
        setStatus(KES_STATE_INVALID_PARAMETER);
        return KES_INVALID_HANDLE;
    }
    return create(new (std::nothrow) CriticalSectionForModule(context, getThreadId, enter, leave));
}

void KesUseCriticalSection(KesHandle criticalSection) {
    CriticalSectionForModule* lock = nullptr;
    if (criticalSection != 0) {
        KesObject* object = lookUp(criticalSection);
        if (!object)
            return;
        lock = object->asCriticalSection();
        if (!lock)
            return;
    }
    gStore.clear();
    gGlobalStatus.store(KES_STATE_SUCCESS);
    gLock.store(lock, std::memory_order_release);
}

KesHandle KesCreateInputStream(void* context, KesReadCallback read) {
    if (!read) {
        setStatus(KES_STATE_INVALID_PARAMETER);
        return KES_INVALID_HANDLE;
    }
    return create(new (std::nothrow) InputStreamInterface(context, read));
}

KesHandle KesCreateShootProgress(void* context, KesRangeCallback setTransferRange,
                                 KesPositionCallback setTransferPosition,
                                 KesRangeCallback setWaitRange, KesPositionCallback setWaitPosition,
                                 KesFlagCallback beginTransfer) {
    if (!setTransferRange || !setTransferPosition || !beginTransfer) {
        setStatus(KES_STATE_INVALID_PARAMETER);
        return KES_INVALID_HANDLE;
    }
    return create(new (std::nothrow)
                      ShootProgressInterface({context, setTransferRange, setTransferPosition,
                                              setWaitRange, setWaitPosition, beginTransfer}));
}

KesHandle KesCreateShootProgressSimple(void* context, KesRangeCallback setTransferRange,
                                       KesPositionCallback setTransferPosition,
                                       KesFlagCallback beginTransfer) {
    return KesCreateShootProgress(context, setTransferRange, setTransferPosition, nullptr, nullptr,
                                  beginTransfer);
}

KesHandle KesCreateDownloadProgress(void* context, KesRangeCallback setTransferRange,
                                    KesPositionCallback setTransferPosition,
                                    KesRangeCallback setWriteRange,
                                    KesPositionCallback setWritePosition,
                                    KesFlagCallback beginPhase) {
    if (!setTransferRange || !setTransferPosition || !setWriteRange || !setWritePosition ||
        !beginPhase) {
        setStatus(KES_STATE_INVALID_PARAMETER);
        return KES_INVALID_HANDLE;
    }
    return create(new (std::nothrow)
                      DownloadProgressInterface({context, setTransferRange, setTransferPosition,
                                                 setWriteRange, setWritePosition, beginPhase}));
}

void KesCloseHandle(KesHandle handle) {
    KesObject* object = lookUp(handle);
    if (!object)
        return;
    if (object == gLock.load(std::memory_order_acquire)) {
        // Closing the installed lock uninstalls it first, so the store never calls a dead object.
        KesUseCriticalSection(0);
    }
    delete object;
}

KesState KesGetLastStatus(void) {
    return status();
}

void KesSetLastStatus(KesState state) {
    setStatus(state);
}

}  // extern "C"
