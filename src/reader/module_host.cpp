#include "reader/module_host.h"

#include <sys/syscall.h>
#include <unistd.h>

#include <mutex>

#include "foundation/exception.h"

namespace omni::reader {
namespace {

std::uint32_t currentThreadId(void*) {
    return static_cast<std::uint32_t>(::syscall(SYS_gettid));
}

std::mutex& processLock() {
    static std::mutex lock;
    return lock;
}
void enterLock(void*) {
    processLock().lock();
}
void leaveLock(void*) {
    processLock().unlock();
}

}  // namespace

void installModuleLock() {
    static std::once_flag once;
    std::call_once(once, [] {
        KesHandle lock = KesCreateCriticalSection(nullptr, currentThreadId, enterLock, leaveLock);
        KesUseCriticalSection(lock);
    });
}

void throwIfModuleFailed() {
    KesState state = KesGetLastStatus();
    if (state != KES_STATE_SUCCESS)
        throw foundation::KesException(state);
}

ModuleHandle& ModuleHandle::operator=(ModuleHandle&& other) noexcept {
    if (this != &other)
        reset(other.release());
    return *this;
}

KesHandle ModuleHandle::release() {
    KesHandle handle = handle_;
    handle_ = KES_INVALID_HANDLE;
    return handle;
}

void ModuleHandle::reset(KesHandle handle) {
    if (valid())
        KesCloseHandle(handle_);
    handle_ = handle;
}

ModuleIdentity ModuleHandle::identity() const {
    ModuleIdentity identity;
    if (!valid())
        return identity;
    if (const char* name = KesGetModuleClassName(handle_))
        identity.className = name;
    if (const char* firmware = KesGetFirmwareVersion(handle_))
        identity.firmware = firmware;
    if (const char* model = KesGetModelName(handle_))
        identity.model = model;
    return identity;
}

ModuleHandle openModule(KesHandle serialPort) {
    KesHandle handle = KesOpenModule(serialPort);
    throwIfModuleFailed();
    if (handle == KES_INVALID_HANDLE)
        throw foundation::KesException(KES_STATE_CREATE_HANDLE_FAILURE);
    return ModuleHandle(handle);
}

}  // namespace omni::reader
