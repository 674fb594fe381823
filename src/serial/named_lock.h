// A lock shared between processes by name (a POSIX named semaphore), guarding memory that another
// program reads, such as the capture buffer of the serial port.
#pragma once

#include <semaphore.h>

#include <string>

namespace omni::serial {

class NamedLock {
public:
    // Opens (or creates, unlocked) the lock "/<name>". Throws SystemException when it cannot.
    explicit NamedLock(const std::string& name);
    ~NamedLock();
    NamedLock(const NamedLock&) = delete;
    NamedLock& operator=(const NamedLock&) = delete;

    // Takes the lock, waiting at most `timeoutMs`; false when it was not acquired.
    bool lock(unsigned timeoutMs);
    void unlock();

    // Removes the name from the system; holders keep their handles.
    static void remove(const std::string& name);

private:
    sem_t* semaphore_;
};

}  // namespace omni::serial
