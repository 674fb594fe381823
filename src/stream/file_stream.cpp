#include "stream/file_stream.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

#include "foundation/exception.h"
#include "resources/strings.h"

namespace omni::stream {
namespace {

std::u16string contextOf(const char* operation) {
    return res::fromUtf8(operation);
}

}  // namespace

OwnedFile::OwnedFile(int fd) : fd_(fd), error_(fd < 0 ? errno : 0) {}

OwnedFile::~OwnedFile() {
    if (fd_ >= 0)
        ::close(fd_);
}

void OwnedFile::fail(int error) {
    error_ = error;
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

template <typename T>
FileInputStream<T>::FileInputStream(const std::filesystem::path& path)
    : FileStream<T, InputStream>(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {}

template <typename T>
std::size_t FileInputStream<T>::read(T* buffer, std::size_t count) {
    for (;;) {
        ssize_t n = ::read(this->file_.fd(), buffer, count);
        if (n >= 0)
            return static_cast<std::size_t>(n);
        if (errno != EINTR)
            throw foundation::SystemException(errno, contextOf("read"));
    }
}

template <typename T>
FileOutputStream<T>::FileOutputStream(const std::filesystem::path& path)
    : FileStream<T, OutputStream>(::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666)) {
    if (!this->file_.isOpen())
        return;
    // No sharing: a second writer of the same file is refused before anything is truncated.
    if (::flock(this->file_.fd(), LOCK_EX | LOCK_NB) != 0 || ::ftruncate(this->file_.fd(), 0) != 0)
        this->file_.fail(errno);
}

template <typename T>
void FileOutputStream<T>::write(const T* data, std::size_t count) {
    while (count > 0) {
        ssize_t n = ::write(this->file_.fd(), data, count);
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
    if (::fsync(this->file_.fd()) != 0 && errno != EINVAL)
        throw foundation::SystemException(errno, contextOf("fsync"));
}

template class FileInputStream<char>;
template class FileInputStream<unsigned char>;
template class FileOutputStream<char>;
template class FileOutputStream<unsigned char>;

}  // namespace omni::stream
