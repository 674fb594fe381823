#include "app/settings_store.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <system_error>

#include "resources/string_ids.h"
#include "resources/strings.h"
#include "ui/exception.h"

namespace omni {
namespace {

std::filesystem::path configHome() {
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg == '/')
        return xdg;
    if (const char* home = std::getenv("HOME"); home && *home) {
        return std::filesystem::path(home) / ".config";
    }
    return std::filesystem::temp_directory_path() / "omnisetup-config";
}

// Value names become file names: keep letters, digits and a few safe marks, escape the rest.
std::string fileNameOf(std::string_view valueName) {
    static const char* hex = "0123456789ABCDEF";
    std::string name;
    for (unsigned char c : valueName) {
        bool safe = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                    c == '-' || c == '_' || c == '.' || c >= 0x80;
        if (safe && !(name.empty() && c == '.')) {
            name += static_cast<char>(c);
        } else {
            name += '%';
            name += hex[c >> 4];
            name += hex[c & 15];
        }
    }
    return name.empty() ? std::string("%00") : name;
}

// The message `id` in the user's language with the path in place of "%1".
std::u16string contextOf(std::uint32_t id, const std::filesystem::path& path) {
    std::u16string text(res::loadString(id));
    if (auto at = text.find(u"%1"); at != std::u16string::npos)
        text.replace(at, 2, res::fromUtf8(path.string()));
    return text;
}

std::filesystem::path ensureFolder(std::string_view keyPath) {
    std::filesystem::path folder = settingsFolder(keyPath);
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error || !std::filesystem::is_directory(folder)) {
        throw SystemException(error ? error.value() : ENOTDIR,
                              contextOf(res::ids::CannotCreateFolder, folder));
    }
    return folder;
}

bool writeAll(int fd, const void* data, std::size_t size) {
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        ssize_t n = ::write(fd, p, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        p += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

std::filesystem::path settingsFolder(std::string_view keyPath) {
    std::string relative(keyPath);
    if (relative.rfind(kSettingsKeyPrefix.substr(0, 9), 0) == 0)
        relative.erase(0, 9);  // "Software\\"
    for (char& c : relative) {
        if (c == '\\')
            c = '/';
    }
    while (!relative.empty() && relative.front() == '/')
        relative.erase(0, 1);
    return configHome() / relative;
}

void writeSetting(std::string_view keyPath, std::string_view valueName, const void* data,
                  std::size_t size) {
    static std::atomic<unsigned> serial{0};
    std::filesystem::path folder = ensureFolder(keyPath);
    std::filesystem::path target = folder / fileNameOf(valueName);
    std::filesystem::path temporary =
        folder / (".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(serial++) + "-" +
                  fileNameOf(valueName));
    int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        throw SystemException(errno, contextOf(res::ids::CannotWriteSetting, target));
    if (!writeAll(fd, data, size) || ::fsync(fd) != 0) {
        int error = errno;
        ::close(fd);
        ::unlink(temporary.c_str());
        throw SystemException(error, contextOf(res::ids::CannotWriteSetting, target));
    }
    if (::close(fd) != 0 || ::rename(temporary.c_str(), target.c_str()) != 0) {
        int error = errno;
        ::unlink(temporary.c_str());
        throw SystemException(error, contextOf(res::ids::CannotWriteSetting, target));
    }
}

bool readSetting(std::string_view keyPath, std::string_view valueName, void* data,
                 std::size_t size) {
    std::filesystem::path folder = ensureFolder(keyPath);
    std::filesystem::path path = folder / fileNameOf(valueName);
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat info {};
    bool ok = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
              static_cast<std::size_t>(info.st_size) == size;
    if (ok) {
        std::string buffer(size, '\0');
        std::size_t got = 0;
        while (got < size) {
            ssize_t n = ::read(fd, buffer.data() + got, size - got);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            got += static_cast<std::size_t>(n);
        }
        ok = got == size;
        if (ok && size > 0)
            std::memcpy(data, buffer.data(), size);
    }
    ::close(fd);
    return ok;
}

}  // namespace omni
