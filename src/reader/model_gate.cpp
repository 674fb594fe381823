#include "reader/model_gate.h"

#include <cstdio>
#include <string>

namespace omni::reader {
namespace {

constexpr std::size_t kVersionCopy = 32;  // bytes of the version text the gate looks at

bool startsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

}  // namespace

bool baVersionSupported(std::string_view version) {
    std::string text(version.substr(0, kVersionCopy));
    int major = 0;
    int minor = 0;
    char suffix[kVersionCopy + 1] = {};
    int fields = std::sscanf(text.c_str(), "BA%2dJ%2d%32s", &major, &minor, suffix);
    if (fields < 1)
        return false;  // no number at all: treated as a reader we do not know
    if (fields == 3) {
        bool lateSuffix = static_cast<unsigned char>(suffix[0]) >= 'i';
        if (major == 1)
            return minor > 13 || (minor == 13 && lateSuffix);
        if (major == 2)
            return minor > 2 || (minor == 2 && lateSuffix);
        return true;
    }
    // Without a suffix (or without a minor number, read as 0).
    if (major == 1)
        return minor >= 16;
    if (major == 2)
        return minor >= 3;
    return true;
}

GateRoute routeForVersion(std::string_view version) {
    version = version.substr(0, kVersionCopy);
    if (!startsWith(version, "BA")) {
        if (startsWith(version, "TXR") || startsWith(version, "Q-40")) {
            return GateRoute::ReadingVerification;
        }
        return GateRoute::Ignore;
    }
    return baVersionSupported(version) ? GateRoute::CheckConfiguration : GateRoute::NotSupported;
}

}  // namespace omni::reader
