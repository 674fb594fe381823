// omnisetup-cli identify --port PATH [LINE OPTIONS]: asks the reader who it is.
#include <iostream>

#include "line_options.h"
#include "port_cli.h"
#include "resources/string_ids.h"

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
            return fail(res::formatUtf8(res::ids::UnknownOption, {args[i]}), 2);
        }
    }
    if (device.empty())
        return fail(res::loadStringUtf8(res::ids::MissingPort), 2);

    reader::installModuleLock();
    SerialPortForPosix port;
    if (line.any()) {
        const PortDescriptor descriptor = devicePort(device);
        port.setLineOverride(
            line.over(loadLineSettings(foundation::kProgramSettingsKey, descriptor)));
    }
    reader::Connection connection =
        reader::connectReader(port, devicePort(device), foundation::kProgramSettingsKey, device,
                              reader::Unidentified::Fail);
    if (!connection.ok())
        return fail(connection.failure, exitStatusOf(connection.failureKind));
    std::cout << "family: " << connection.identity.family << "\n"
              << "firmware: " << connection.identity.firmware << "\n"
              << "model: " << connection.identity.model << "\n";
    connection.module.reset();
    const bool answered = !connection.identity.firmware.empty();
    try {
        port.close();
    } catch (const foundation::Exception& e) {
        return failLink(e, device);
    }
    // Without a firmware version the reader did not answer: it sits in its boot loader, or
    // something silent is on the port.
    if (!answered) {
        return fail(reader::linkFailureMessage(
                        device, foundation::KesException(KES_STATE_COMMUNICATION_TIMEOUT)),
                    ExitNoAnswer);
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
