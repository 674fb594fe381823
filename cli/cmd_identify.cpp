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
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--port" && i + 1 < args.size()) {
            device = args[++i];
        } else if (args[i] == "--port") {
            return fail(res::formatUtf8(res::ids::OptionNeedsValue, {args[i]}), ExitBadInput);
        } else if (auto taken = takeLineOption(args, i, line);
                   taken != LineOptionResult::NotMine) {
            if (taken == LineOptionResult::Bad)
                return ExitBadInput;
        } else {
            return fail(res::formatUtf8(res::ids::UnknownOption, {args[i]}), ExitBadInput);
        }
    }
    if (device.empty())
        return fail(res::loadStringUtf8(res::ids::MissingPort), ExitBadInput);

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
