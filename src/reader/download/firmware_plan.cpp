#include "reader/download/firmware_plan.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "resources/string_ids.h"
#include "resources/strings.h"

namespace omni::reader {

KesFirmwareKind firmwareKindOf(const std::string& firmwareVersion, const std::string& model) {
    return KesGetFirmwareKind(firmwareVersion.c_str(), model.c_str());
}

std::u16string firmwareFilter(KesFirmwareKind kind) {
    std::string extension = KesGetFirmwareExtension(kind);
    if (extension.empty())
        return {};
    return res::format(res::ids::FirmwareFilter, {res::fromUtf8(extension)});
}

FirmwarePlan planFirmware(const std::string& firmwareVersion, const std::string& model,
                          const std::filesystem::path& file, bool bootLoaderRequested) {
    FirmwarePlan plan;
    plan.kind = firmwareKindOf(firmwareVersion, model);
    if (plan.kind == KES_FIRMWARE_UNSUPPORTED)
        return plan;
    plan.bootLoader = bootLoaderRequested || KesFirmwareForcesBootLoader(plan.kind);
    plan.askVersion =
        plan.kind == KES_FIRMWARE_GENERIC &&
        !KesFirmwareNameMatches(firmwareVersion.c_str(), file.filename().string().c_str());
    plan.reconnects = KesFirmwareReconnects(firmwareVersion.c_str()) != 0;
    return plan;
}

std::optional<std::u16string> firmwareFileProblem(const std::filesystem::path& file) {
    std::u16string name = res::fromUtf8(file.string());
    int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        std::string reason = std::generic_category().message(errno);
        return res::format(res::ids::FirmwareCannotOpen, {name, res::fromUtf8(reason)});
    }
    ::close(fd);
    std::error_code error;
    if (std::filesystem::is_directory(file, error)) {
        std::string reason = std::generic_category().message(EISDIR);
        return res::format(res::ids::FirmwareCannotOpen, {name, res::fromUtf8(reason)});
    }
    std::uintmax_t size = std::filesystem::file_size(file, error);
    if (error) {
        return res::format(res::ids::FirmwareCannotOpen, {name, res::fromUtf8(error.message())});
    }
    if (size == 0)
        return res::format(res::ids::FirmwareEmpty, {name});
    if (size > kMaxFirmwareSize)
        return res::format(res::ids::FirmwareTooLarge, {name});
    return std::nullopt;
}

}  // namespace omni::reader
