// omnisetup-cli identify --port PATH [LINE OPTIONS]: asks the reader who it is.
#include <iostream>

#include "line_options.h"
#include "port_cli.h"

namespace omni::cli {
namespace {

int runIdentify(const Args& args) {
    std::string device;
    LineOptions line;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--port" && i + 1 < args.size()) {
            device = args[++i];
        } else if (auto taken = takeLineOption(args, i, line);
                   taken != LineOptionResult::NotMine) {
            if (taken == LineOptionResult::Bad)
                return 2;
        } else {
            return fail(message(kIdUnknownOption, {args[i]}), 2);
        }
    }
    if (device.empty())
        return fail(message(kIdMissingPort), 2);

    installModuleLock();
    SerialPortForPosix port;
    if (line.any()) {
        const PortDescriptor descriptor{kindOfDevice(device), device};
        port.setLineOverride(line.over(loadLineSettings(kProgramSettingsKey, descriptor)));
    }
    if (int code = openPort(port, device))
        return code;
    try {
        ModuleHandle module = openModule(port.moduleHandle());
        ModuleIdentity identity = module.identity();
        std::cout << "family: " << identity.className << "\n"
                  << "firmware: " << identity.firmware << "\n"
                  << "model: " << identity.model << "\n";
        module.reset();
        port.close();
    } catch (const Exception& e) {
        return failLink(e, device);
    }
    return 0;
}

const Registration reg{"identify",
                       "identify --port PATH [--baud N] [--data-bits 5-8] [--parity P] "
                       "[--stop-bits S] [--flow F]",
                       "identify the reader's engine: family, firmware version, model",
                       &runIdentify};

}  // namespace
}  // namespace omni::cli
