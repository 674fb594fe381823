// omnisetup-cli identify --port PATH: asks the reader who it is.
#include <iostream>

#include "port_cli.h"

namespace omni::cli {
namespace {

int runIdentify(const Args& args) {
    std::string device;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--port" && i + 1 < args.size()) {
            device = args[++i];
        } else {
            return fail(message(kIdUnknownOption, {args[i]}), 2);
        }
    }
    if (device.empty())
        return fail(message(kIdMissingPort), 2);

    installModuleLock();
    SerialPortForPosix port;
    if (int code = openPort(port, device))
        return code;
    try {
        ModuleHandle module = openModule(port.moduleHandle());
        ModuleIdentity identity = module.identity();
        // The library still names a family when the version request went unanswered; without a
        // firmware version the reader did not answer.
        if (!identity.firmware || !*identity.firmware)
            return fail(message(kIdNoAnswer, {device}), ExitNoAnswer);
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

const Registration reg{"identify", "identify --port PATH",
                       "identify the reader's engine: family, firmware version, model",
                       &runIdentify};

}  // namespace
}  // namespace omni::cli
