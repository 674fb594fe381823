#include "stream/file_stream.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

#include "foundation/exception.h"
#include "resources/strings.h"

namespace omni {
namespace {

std::u16string contextOf(const char* operation) {
    return res::fromUtf8(operation);
}

}  // namespace

template <typename T>
FileInputStream<T>::FileInputStream(const std::filesystem::path& path)
    : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {
    if (fd_ < 0)
        error_ = errno;
}

template <typename T>
FileInputStream<T>::~FileInputStream() {
    if (fd_ >= 0)
        ::close(fd_);
}

template <typename T>
std::size_t FileInputStream<T>::read(T* buffer, std::size_t count) {
    for (;;) {
        ssize_t n = ::read(fd_, buffer, count);
        if (n >= 0)
            return static_cast<std::size_t>(n);
        if (errno != EINTR)
            throw foundation::SystemException(errno, contextOf("read"));
    }
}

template <typename T>
FileOutputStream<T>::FileOutputStream(const std::filesystem::path& path)
    : fd_(::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666)) {
    if (fd_ < 0) {
        error_ = errno;
        return;
    }
    // No sharing: a second writer of the same file is refused before anything is truncated.
    if (::flock(fd_, LOCK_EX | LOCK_NB) != 0 || ::ftruncate(fd_, 0) != 0) {
        error_ = errno;
        ::close(fd_);
        fd_ = -1;
    }
}

template <typename T>
FileOutputStream<T>::~FileOutputStream() {
    if (fd_ >= 0)
        ::close(fd_);
}

template <typename T>
void FileOutputStream<T>::write(const T* data, std::size_t count) {
    while (count > 0) {
        ssize_t n = ::write(fd_, data, count);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw foundation::SystemException(errno, contextOf("write"));
        }
        data += n;
        count -= static_cast<std::size_t>(n);
    }
}

template <typename T>
void FileOutputStream<T>::flush() {
    if (::fsync(fd_) != 0 && errno != EINVAL)
        throw foundation::SystemException(errno, contextOf("fsync"));
}

template class FileInputStream<char>;
template class FileInputStream<unsigned char>;
template class FileOutputStream<char>;
template class FileOutputStream<unsigned char>;

}  // namespace omni
