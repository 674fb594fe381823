#include "foundation/atomic_file.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <string>
#include <system_error>

#include "foundation/exception.h"
#include "resources/string_ids.h"
#include "resources/strings.h"

namespace omni::foundation {
namespace {

std::atomic<unsigned> temporarySerial{0};

// Follows symbolic links (at most a few levels) to the file that is really written.
std::filesystem::path resolveLinks(std::filesystem::path path) {
    for (int depth = 0; depth < 16; ++depth) {
        std::error_code error;
        if (!std::filesystem::is_symlink(path, error))
            return path;
        std::filesystem::path next = std::filesystem::read_symlink(path, error);
        if (error)
            return path;
        path = next.is_absolute() ? next : path.parent_path() / next;
    }
    return path;  // a loop: open() reports ELOOP
}

std::u16string contextOf(const std::filesystem::path& target) {
    return res::format(res::ids::FileNotWritten, {res::fromUtf8(target.string())});
}

// The pid written into a temporary name, or 0 when the name is not one of ours.
pid_t ownerOf(std::string_view name) {
    if (name.substr(0, kTemporaryPrefix.size()) != kTemporaryPrefix)
        return 0;
    name.remove_prefix(kTemporaryPrefix.size());
    long long pid = 0;
    std::size_t digits = 0;
    while (digits < name.size() && name[digits] >= '0' && name[digits] <= '9' && digits < 10)
        pid = pid * 10 + (name[digits++] - '0');
    if (digits == 0 || digits >= name.size() || name[digits] != '-' || pid > 0x7FFFFFFF)
        return 0;
    return static_cast<pid_t>(pid);
}

}  // namespace

AtomicFile::AtomicFile(const std::filesystem::path& target) : target_(resolveLinks(target)) {
    struct stat info {};
    if (::stat(target_.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
        // A device or a pipe: written in place. The open must not wait for a reader of a named
        // pipe (none gives ENXIO); the writes then block as usual.
        fd_ = ::open(target_.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
        if (fd_ < 0)
            fail(errno);
        int flags = ::fcntl(fd_, F_GETFL);
        if (flags < 0 || ::fcntl(fd_, F_SETFL, flags & ~O_NONBLOCK) != 0)
            fail(errno);
        return;
    }
    std::filesystem::path folder = target_.parent_path();
    if (folder.empty())
        folder = ".";
    temporary_ = folder / (std::string(kTemporaryPrefix) + std::to_string(::getpid()) + "-" +
                           std::to_string(temporarySerial++) + "-" + target_.filename().string());
    fd_ = ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd_ < 0) {
        temporary_.clear();
        fail(errno);
    }
    // Keep the permissions of the file being replaced.
    if (::stat(target_.c_str(), &info) == 0)
        ::fchmod(fd_, info.st_mode & 07777);
}

AtomicFile::~AtomicFile() {
    if (!committed_)
        discard();
}

void AtomicFile::discard() noexcept {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    if (!temporary_.empty())
        ::unlink(temporary_.c_str());
}

void AtomicFile::fail(int error) {
    discard();
    committed_ = true;  // nothing left to clean up
    throw SystemException(error ? error : EIO, contextOf(target_));
}

void AtomicFile::write(const void* data, std::size_t size) {
    if (fd_ < 0)
        fail(EBADF);
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        ssize_t n = ::write(fd_, p, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            fail(errno);
        }
        if (n == 0)
            fail(ENOSPC);
        p += n;
        size -= static_cast<std::size_t>(n);
    }
}

void AtomicFile::commit() {
    if (fd_ < 0)
        fail(EBADF);
    // Devices and pipes need no sync (and many refuse one).
    if (!temporary_.empty() && ::fsync(fd_) != 0)
        fail(errno);
    int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0 && errno != EINTR)
        fail(errno);
    if (temporary_.empty()) {
        committed_ = true;
        return;
    }
    if (::rename(temporary_.c_str(), target_.c_str()) != 0)
        fail(errno);
    committed_ = true;
    std::filesystem::path folder = target_.parent_path();
    syncFolder(folder.empty() ? std::filesystem::path(".") : folder);
}

void writeFileAtomically(const std::filesystem::path& target, std::string_view bytes) {
    AtomicFile file(target);
    file.write(bytes);
    file.commit();
}

void removeLeftoverTemporaries(const std::filesystem::path& folder) {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        const std::string name = entry.path().filename().string();
        const pid_t owner = ownerOf(name);
        if (owner <= 0)
            continue;
        if (owner != ::getpid() && ::kill(owner, 0) != 0 && errno == ESRCH)
            ::unlink(entry.path().c_str());
    }
}

void syncFolder(const std::filesystem::path& folder) noexcept {
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace omni::foundation
