#include "serial/named_lock.h"

#include <fcntl.h>

#include <cerrno>
#include <ctime>

#include "foundation/exception.h"
#include "resources/strings.h"

namespace omni::serial {

NamedLock::NamedLock(const std::string& name)
    : semaphore_(sem_open(("/" + name).c_str(), O_CREAT, 0600, 1)) {
    if (semaphore_ == SEM_FAILED)
        throw foundation::SystemException(errno, res::fromUtf8(name));
}

NamedLock::~NamedLock() {
    sem_close(semaphore_);
}

bool NamedLock::lock(unsigned timeoutMs) {
    timespec until{};
    clock_gettime(CLOCK_REALTIME, &until);
    until.tv_sec += timeoutMs / 1000;
    until.tv_nsec += static_cast<long>(timeoutMs % 1000) * 1000000L;
    if (until.tv_nsec >= 1000000000L) {
        until.tv_sec += 1;
        until.tv_nsec -= 1000000000L;
    }
    while (sem_timedwait(semaphore_, &until) != 0) {
        if (errno != EINTR)
            return false;
    }
    return true;
}

void NamedLock::unlock() {
    sem_post(semaphore_);
}

void NamedLock::remove(const std::string& name) {
    sem_unlink(("/" + name).c_str());
}

}  // namespace omni::serial
