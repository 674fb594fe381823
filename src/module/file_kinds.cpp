// Firmware file kinds: which files an engine takes, told by its firmware version.
//
//   Version begins with              Kind        Extension  Boot loader
//   "BD" and a number below 50       BD          .bd        as requested
//   "BD" and 50 or more              BD4         .bd4       as requested
//   "BFM"                            BFM         .bin       always
//   "BF"                             BF          .bf        as requested
//   model "KVT"; "TS", "TF", "DA"    unsupported
//   anything else                    generic     .bin       as requested; the file name must
//                                                           begin with the version's first four
//                                                           characters
// The rows are tried in this order.
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "module/engines.h"

namespace {

constexpr long kBd4From = 50;          // first "BD" number with .bd4 files
constexpr std::size_t kNameCheck = 4;  // characters compared by the generic kind's check

// The extension of each kind, indexed by KesFirmwareKind.
constexpr const char* kExtensions[] = {"", "bd", "bd4", "bin", "bf", "bin"};
static_assert(sizeof kExtensions / sizeof kExtensions[0] == KES_FIRMWARE_GENERIC + 1,
              "one extension per kind");

std::string_view textOf(const char* text) {
    return text ? std::string_view(text) : std::string_view();
}

bool startsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

// The file name without its folder ('/' or '\\' separated).
std::string_view baseName(std::string_view path) {
    std::size_t slash = path.find_last_of("/\\");
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

}  // namespace

extern "C" {

KesFirmwareKind KesGetFirmwareKind(const char* firmwareVersion, const char* modelName) {
    std::string_view version = textOf(firmwareVersion);
    if (startsWith(version, "BD")) {
        std::string digits(version.substr(2));
        return std::strtol(digits.c_str(), nullptr, 10) < kBd4From ? KES_FIRMWARE_BD
                                                                   : KES_FIRMWARE_BD4;
    }
    if (startsWith(version, "BFM"))
        return KES_FIRMWARE_BFM;
    if (startsWith(version, "BF"))
        return KES_FIRMWARE_BF;
    if (textOf(modelName) == "KVT" || startsWith(version, "TS") || startsWith(version, "TF") ||
        startsWith(version, "DA")) {
        return KES_FIRMWARE_UNSUPPORTED;
    }
    return KES_FIRMWARE_GENERIC;
}

const char* KesGetFirmwareExtension(KesFirmwareKind kind) {
    if (kind < KES_FIRMWARE_UNSUPPORTED || kind > KES_FIRMWARE_GENERIC)
        return "";
    return kExtensions[kind];
}

int KesFirmwareForcesBootLoader(KesFirmwareKind kind) {
    return kind == KES_FIRMWARE_BFM ? 1 : 0;
}

int KesFirmwareNameMatches(const char* firmwareVersion, const char* fileName) {
    std::string_view version = textOf(firmwareVersion).substr(0, kNameCheck);
    std::string_view name = baseName(textOf(fileName)).substr(0, kNameCheck);
    return name == version ? 1 : 0;
}

int KesFirmwareReconnects(const char* firmwareVersion) {
    std::string_view version = textOf(firmwareVersion);
    return startsWith(version, "BD") || (startsWith(version, "BF") && !startsWith(version, "BFM"));
}

int KesDownloadFinished(KesHandle module) {
    kes::KesObject* object = kes::lookUp(module);
    kes::Kes2DTwoDimensionModule* m = object ? object->asModule() : nullptr;
    return m && m->downloadFinished() ? 1 : 0;
}

}  // extern "C"
