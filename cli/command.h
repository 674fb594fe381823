// Sub-commands of omnisetup-cli. Each lives in its own cmd_*.cpp and registers itself:
//
//   static const omni::cli::Registration reg{"tokens", "tokens TEXT", "count menu-command tokens",
//                                            &runTokens};
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

struct Registration {
    Registration(const char* name, const char* usage, const char* summary, Runner run);
};

const std::vector<Command>& commands();

// Prints "omnisetup-cli: <message>" on stderr and returns 1 (or `code`).
int fail(const std::string& message, int code = 1);

// Turns the two-character escape "\r" (and "\n", "\t", "\\", "\xHH") into the byte it names.
std::string unescapeArgument(const std::string& text);

}  // namespace omni::cli
