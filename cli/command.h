// Sub-commands of omnisetup-cli. Each lives in its own cmd_*.cpp; command_table.cpp lists them
// with the usage and summary that --help prints.
//
// A command gets its arguments after its own name and returns the process exit code. Errors are
// one clear line on stderr and a non-zero code.
#pragma once

#include <string>
#include <vector>

namespace omni::cli {

using Args = std::vector<std::string>;
using Runner = int (*)(const Args& args);

struct Command {
    const char* name;
    const char* usage;
    const char* summary;
    Runner run;
};

// Every sub-command, sorted by name.
const std::vector<Command>& commands();

// The sub-commands' runners, one cmd_*.cpp each.
int runApply(const Args& args);
int runCatalog(const Args& args);
int runDataEdit(const Args& args);
int runFirmware(const Args& args);
int runIdentify(const Args& args);
int runImageSettings(const Args& args);
int runLog(const Args& args);
int runMenucode(const Args& args);
int runPortSettings(const Args& args);
int runReadingTest(const Args& args);
int runResolve(const Args& args);
int runSend(const Args& args);
int runSendImage(const Args& args);
int runShoot(const Args& args);
int runTokens(const Args& args);
int runTune(const Args& args);

// Prints "omnisetup-cli: <message>" on stderr and returns 1 (or `code`).
int fail(const std::string& message, int code = 1);

// Turns the two-character escape "\r" (and "\n", "\t", "\\", "\xHH") into the byte it names.
std::string unescapeArgument(const std::string& text);

}  // namespace omni::cli
