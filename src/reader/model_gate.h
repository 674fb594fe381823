// Which readers may open the tuning tools, decided from the firmware version text.
#pragma once

#include <string_view>

namespace omni::reader {

enum class GateRoute {
    Ignore,               // not a "BA" engine and no 1D verification reader: nothing happens
    ReadingVerification,  // "TXR..." or "Q-40...": the 1D reading verification dialog
    CheckConfiguration,   // a "BA" engine new enough: ask its configuration
    NotSupported,         // a "BA" engine too old, or one whose version cannot be read
};

GateRoute routeForVersion(std::string_view version);

// The version thresholds for "BA<major>J<minor><suffix>".
bool baVersionSupported(std::string_view version);

// The configuration replies of readers the auto tuning supports (first 23 bytes).
inline constexpr std::string_view kSupportedConfigurations[] = {"Configuration: KVR-5210",
                                                                "Configuration: ENG-7400"};
inline constexpr std::size_t kConfigurationLength = 23;
static_assert(kSupportedConfigurations[0].size() == kConfigurationLength);
static_assert(kSupportedConfigurations[1].size() == kConfigurationLength);

}  // namespace omni::reader
