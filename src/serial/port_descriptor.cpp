#include "serial/port_descriptor.h"

#include "resources/strings.h"

namespace omni {
namespace {

// Label formats; the device name takes the place of "%s".
constexpr std::uint32_t kIdLabelSerial = 23500;
constexpr std::uint32_t kIdLabelReader2D = 23501;
constexpr std::uint32_t kIdLabelReader1D = 23502;

std::u16string labelIn(const PortDescriptor& port, res::Language language) {
    std::uint32_t id = kIdLabelSerial;
    if (port.kind == PortKind::Reader2D)
        id = kIdLabelReader2D;
    if (port.kind == PortKind::Reader1D)
        id = kIdLabelReader1D;
    std::u16string label(res::loadString(id, language));
    std::size_t at = label.find(u"%s");
    if (at != std::u16string::npos)
        label.replace(at, 2, res::fromUtf8(port.name()));
    return label;
}

}  // namespace

std::string PortDescriptor::name() const {
    constexpr std::string_view kDevFolder = "/dev/";
    if (device.compare(0, kDevFolder.size(), kDevFolder) == 0)
        return device.substr(kDevFolder.size());
    std::size_t slash = device.find_last_of('/');
    return slash == std::string::npos ? device : device.substr(slash + 1);
}

std::u16string portLabel(const PortDescriptor& port) {
    return labelIn(port, res::currentLanguage());
}

std::string portSettingsName(const PortDescriptor& port) {
    return res::toUtf8(labelIn(port, res::Language::English));
}

}  // namespace omni
