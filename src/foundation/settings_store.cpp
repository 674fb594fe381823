#include "foundation/settings_store.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <set>
#include <system_error>

#include "foundation/atomic_file.h"
#include "foundation/exception.h"
#include "resources/string_ids.h"
#include "resources/strings.h"

namespace omni::foundation {
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

// Once per folder and process: temporary records left by a run that crashed between writing
// and renaming are removed.
void tidyFolderOnce(const std::filesystem::path& folder) {
    static std::mutex mutex;
    static std::set<std::string> tidied;
    std::lock_guard lock(mutex);
    if (tidied.insert(folder.string()).second)
        foundation::removeLeftoverTemporaries(folder);
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
    std::filesystem::path folder = ensureFolder(keyPath);
    tidyFolderOnce(folder);
    std::filesystem::path target = folder / fileNameOf(valueName);
    // A record is a plain file (or a link to one): whatever else sits under its name (a folder,
    // a pipe, a device, a link loop) is neither written through nor replaced.
    struct stat info {};
    if (::stat(target.c_str(), &info) == 0 ? !S_ISREG(info.st_mode) : errno == ELOOP)
        throw SystemException(EEXIST, contextOf(res::ids::CannotWriteSetting, target));
    try {
        foundation::writeFileAtomically(target,
                                        std::string_view(static_cast<const char*>(data), size));
    } catch (const SystemException& e) {
        throw SystemException(e.errorCode(), contextOf(res::ids::CannotWriteSetting, target));
    }
}

bool readSetting(std::string_view keyPath, std::string_view valueName, void* data,
                 std::size_t size) {
    // Reading never creates anything: a missing folder is a first run, and defaults apply.
    std::filesystem::path folder = settingsFolder(keyPath);
    tidyFolderOnce(folder);
    std::filesystem::path path = folder / fileNameOf(valueName);
    // Only a regular file of exactly the record's size is read. A pipe, a device or a folder
    // under the record's name would block or mislead, so it is never opened for reading; the
    // open itself does not block (O_NONBLOCK) in case the file was swapped in between.
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode) ||
        static_cast<std::size_t>(info.st_size) != size) {
        return false;
    }
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return false;
    bool ok = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
              static_cast<std::size_t>(info.st_size) == size;
    if (ok) {
        std::string buffer(size, '\0');
        std::size_t got = 0;
        while (got < size) {  // never more than the record's size
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

}  // namespace omni::foundation
