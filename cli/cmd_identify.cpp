// omnisetup-cli identify --port PATH: asks the reader who it is.
#include <iostream>

#include "port_cli.h"
#include "resources/string_ids.h"

namespace omni::cli {
namespace {

int runIdentify(const Args& args) {
    std::string device;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--port" && i + 1 < args.size()) {
            device = args[++i];
        } else {
            return fail(res::formatUtf8(res::ids::UnknownOption, {args[i]}), 2);
        }
    }
    if (device.empty())
        return fail(res::loadStringUtf8(res::ids::MissingPort), 2);

    installModuleLock();
    SerialPortForPosix port;
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

const Registration reg{"identify", "identify --port PATH",
                       "identify the reader's engine: family, firmware version, model",
                       &runIdentify};

}  // namespace
}  // namespace omni::cli
