// Runs the command-line tool in a shell and collects what it prints, for the tests that drive it.
#pragma once

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "cli/run_shell.h"

extern char** environ;

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

#ifdef OMNI_CLI_PATH
// The tool built for this test, run with `arguments`.
inline CliRun runCli(const std::string& arguments) {
    return runJoined(std::string(OMNI_CLI_PATH) + " " + arguments);
}

// Starts the tool with `arguments` in the background; its output goes where the test's goes.
// Returns its process id, 0 when it could not be started.
inline pid_t startCli(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), OMNI_CLI_PATH);
    std::vector<char*> argv;
    for (std::string& a : arguments)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    return posix_spawn(&pid, OMNI_CLI_PATH, nullptr, nullptr, argv.data(), environ) == 0 ? pid : 0;
}
#endif

// Sends Ctrl+C to `pid` and waits for it: its exit code, -1 when it did not exit normally.
inline int interruptAndWait(pid_t pid) {
    ::kill(pid, SIGINT);
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

// The tool in the build tree's cli folder, for a test two folders below the build tree.
inline std::string builtCliPath() {
    std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe");
    return (self.parent_path().parent_path().parent_path() / "cli" / "omnisetup-cli").string();
}

}  // namespace omni::test
