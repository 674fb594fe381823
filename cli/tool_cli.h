// Shared by the tool sub-commands (reading-test, tune): the reader opened with Ctrl+C as a clean
// stop, and the tools' link over its command exchange.
#pragma once

#include <string>

#include "capture_cli.h"
#include "reader/command_exchange.h"
#include "tools/tool_link.h"

namespace omni::cli {

// Opens the reader on `device`, catches Ctrl+C and runs `steps(port, link)`; the exit status the
// steps return, or that of the failed open after printing why.
template <class Steps>
int withToolLink(const std::string& device, Steps steps) {
    serial::SerialPortForPosix port;
    if (int code = openReader(port, device))
        return code;
    catchInterrupt();
    reader::CommandExchange exchange(port);
    tools::ToolLink link(exchange, port);
    return steps(port, link);
}

}  // namespace omni::cli
