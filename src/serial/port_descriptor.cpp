#include "serial/port_descriptor.h"

#include "resources/string_ids.h"
#include "resources/strings.h"

namespace omni::serial {
namespace {

std::u16string labelIn(const PortDescriptor& port, res::Language language) {
    std::uint32_t id = res::ids::LabelSerial;
    if (port.kind == PortKind::Reader2D)
        id = res::ids::LabelReader2D;
    if (port.kind == PortKind::Reader1D)
        id = res::ids::LabelReader1D;
    return res::format(id, language, {res::fromUtf8(port.name())});
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

}  // namespace omni::serial
