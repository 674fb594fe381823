// Runs a shell command line for the CLI tests and collects its standard output and exit status.
#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <string>

namespace omni::test {

struct ShellRun {
    std::string out;  // standard output
    int status = -1;  // exit code; -1 when it did not exit normally
};

inline ShellRun runShell(const std::string& command) {
    ShellRun run;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[4096];
        std::size_t n;
        while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
            run.out.append(buffer, n);
        const int status = pclose(pipe);
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    return run;
}

}  // namespace omni::test
