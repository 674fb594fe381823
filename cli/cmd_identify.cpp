// omnisetup-cli identify --port PATH: asks the reader who it is. A reader that keeps quiet is
// reported as the boot-loader family, with a note on standard error and kExitNoAnswer.
#include <iostream>

#include "exit_status.h"
#include "port_cli.h"
#include "resources/string_ids.h"

namespace omni::cli {
namespace {

int runIdentify(const Args& args) {
    std::string device;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--port" && i + 1 < args.size()) {
            device = args[++i];
        } else if (args[i] == "--port") {
            return fail(res::formatUtf8(res::ids::OptionNeedsValue, {args[i]}), kExitBadInput);
        } else {
            return fail(message(kIdUnknownOption, {args[i]}), kExitBadInput);
        }
    }
    if (device.empty())
        return fail(message(kIdMissingPort), kExitBadInput);

    reader::installModuleLock();
    SerialPortForPosix port;
    reader::Connection connection =
        reader::connectReader(port, devicePort(device), foundation::kProgramSettingsKey, device);
    if (!connection.ok())
        return fail(connection.failure, kExitReaderFailed);
    std::cout << "family: " << connection.identity.family << "\n"
              << "firmware: " << connection.identity.firmware << "\n"
              << "model: " << connection.identity.model << "\n";
    std::cout.flush();
    connection.module.reset();
    try {
        port.close();
    } catch (const foundation::Exception& e) {
        return failLink(e, device);
    }
    if (connection.identity.bootLoader())
        return fail(res::formatUtf8(res::ids::IdentifyBootLoader, {device}), kExitNoAnswer);
    return kExitOk;
}

const Registration reg{"identify", "identify --port PATH",
                       "identify the reader's engine: family, firmware version, model",
                       &runIdentify};

}  // namespace
}  // namespace omni::cli
