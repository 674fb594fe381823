// omnisetup-cli port-settings --port PATH [--reset | LINE OPTIONS]: shows the line settings
// stored for a port, puts them back to the defaults (--reset) or stores the ones given.
#include <iostream>

#include "exit_status.h"
#include "line_options.h"
#include "port_cli.h"
#include "resources/string_ids.h"

namespace omni::cli {
namespace {

void show(const serial::LineSettings& settings) {
    std::cout << "baud: " << settings.baudRate << "\n"
              << "data bits: " << static_cast<unsigned>(settings.dataBits) << "\n"
              << "parity: " << nameOf(settings.parity) << "\n"
              << "stop bits: " << nameOf(settings.stopBits) << "\n"
              << "flow: " << nameOf(settings.flowControl) << "\n";
}

}  // namespace

int runPortSettings(const Args& args) {
    std::string device;
    bool reset = false;
    LineOptions options;
    const auto takeReset = [&](const std::string& option) {
        reset = reset || option == "--reset";
        return option == "--reset";
    };
    if (int code = takePortAndLineOptions(args, device, options, takeReset))
        return code;
    if (reset && options.any())
        return fail(res::formatUtf8(res::ids::UnknownOption, {"--reset"}), ExitBadInput);

    const serial::PortDescriptor port{serial::kindOfDevice(device), device};
    if (reset) {
        storeLineSettings(foundation::kProgramSettingsKey, port, serial::LineSettings{});
        std::cout << res::formatUtf8(res::ids::PortSettingsReset, {device}) << "\n";
        return 0;
    }
    serial::LineSettings stored;
    const bool isStored =
        foundation::readSetting(foundation::kProgramSettingsKey, portSettingsName(port), stored) &&
        stored.length == serial::LineSettings::kMarker && inRange(stored);
    const serial::LineSettings current = loadLineSettings(foundation::kProgramSettingsKey, port);
    if (options.any()) {
        const serial::LineSettings wanted = options.over(current);
        toTermios(wanted, termios{});  // a value the system has no setting for is refused here
        storeLineSettings(foundation::kProgramSettingsKey, port, wanted);
        std::cout << res::formatUtf8(res::ids::PortSettingsSaved, {device}) << "\n";
        show(wanted);
        return 0;
    }
    std::cout << res::formatUtf8(res::ids::PortSettingsHeading, {device, portSettingsName(port)})
              << "\n";
    show(current);
    std::cout << res::loadStringUtf8(isStored ? res::ids::PortSettingsStored
                                              : res::ids::PortSettingsDefaults)
              << "\n";
    return 0;
}

}  // namespace omni::cli
