// Runs a shell command line for the CLI tests and collects its standard output and exit status.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace omni::test {

struct ShellRun {
    std::string out;  // standard output
    std::string err;  // standard error, when runShellApart collected it
    int status = -1;  // exit code; -1 when it did not exit normally
};

// Everything `file` holds from where it stands to its end.
inline std::string readRest(FILE* file) {
    std::string text;
    char buffer[4096];
    std::size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, file)) > 0)
        text.append(buffer, n);
    return text;
}

inline ShellRun runShell(const std::string& command) {
    ShellRun run;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        run.out = readRest(pipe);
        const int status = pclose(pipe);
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    return run;
}

// Runs `command` with its standard error collected apart from its standard output.
inline ShellRun runShellApart(const std::string& command) {
    char errPath[] = "/tmp/omni-cli-test-XXXXXX";
    const int fd = mkstemp(errPath);
    if (fd >= 0)
        close(fd);
    ShellRun run = runShell(command + " 2>" + errPath);
    if (FILE* err = fopen(errPath, "r")) {
        run.err = readRest(err);
        fclose(err);
    }
    remove(errPath);
    return run;
}

// `program` followed by each of `args` in single quotes, so that the shell passes them as they
// stand.
inline std::string commandLine(std::string program, const std::vector<std::string>& args) {
    for (const std::string& arg : args) {
        program += " '";
        for (char c : arg)
            program += c == '\'' ? std::string("'\\''") : std::string(1, c);
        program += "'";
    }
    return program;
}

}  // namespace omni::test
