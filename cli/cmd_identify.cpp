// omnisetup-cli identify --port PATH [LINE OPTIONS]: asks the reader who it is. A reader that
// keeps quiet is reported as the boot-loader family, with a note on standard error and the
// no-answer status.
#include <iostream>

#include "exit_status.h"
#include "line_options.h"
#include "port_cli.h"
#include "resources/string_ids.h"

namespace omni::cli {

int runIdentify(const Args& args) {
    std::string device;
    LineOptions line;
    if (int code = takePortAndLineOptions(args, device, line))
        return code;

    reader::installModuleLock();
    serial::SerialPortForPosix port;
    overrideLine(port, line, device);
    reader::Connection connection =
        reader::connectReader(port, devicePort(device), foundation::kProgramSettingsKey, device);
    if (!connection.ok())
        return fail(connection.failure, exitStatusOf(connection.failureKind));
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
        return fail(res::formatUtf8(res::ids::IdentifyBootLoader, {device}), ExitNoAnswer);
    return ExitDone;
}

}  // namespace omni::cli
