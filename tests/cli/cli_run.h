// Runs the command-line tool in a shell and collects what it prints, for the tests that drive it.
#pragma once

#include <filesystem>
#include <string>
#include <utility>

#include "cli/run_shell.h"

namespace omni::test {

struct CliRun {
    int code = -1;
    std::string out;  // standard output and standard error, in order
};

// Runs `command` through the shell with standard error joined to standard output.
inline CliRun runJoined(const std::string& command) {
    ShellRun run = runShell(command + " 2>&1");
    return {run.status, std::move(run.out)};
}

// The tool in the build tree's cli folder, for a test two folders below the build tree.
inline std::string builtCliPath() {
    std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe");
    return (self.parent_path().parent_path().parent_path() / "cli" / "omnisetup-cli").string();
}

}  // namespace omni::test
