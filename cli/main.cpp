// omnisetup-cli: the headless tool. Dispatches to the registered sub-commands.
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <iostream>

#include "command.h"
#include "exit_status.h"
#include "foundation/exception.h"
#include "resources/string_ids.h"
#include "resources/strings.h"
#include "stream/escapes.h"

namespace omni::cli {

int fail(const std::string& message, int code) {
    std::cerr << "omnisetup-cli: " << message << "\n";
    return code;
}

std::string unescapeArgument(const std::string& text) {
    return stream::unescape(text);
}

}  // namespace omni::cli

static void printUsage(std::ostream& out) {
    out << "usage: omnisetup-cli COMMAND [ARGS]\n\ncommands:\n";
    auto list = omni::cli::commands();
    std::sort(list.begin(), list.end(),
              [](const auto& a, const auto& b) { return std::strcmp(a.name, b.name) < 0; });
    for (const auto& c : list)
        out << "  " << c.usage << "\n      " << c.summary << "\n";
    out << "\nexit statuses:\n";
    for (const auto& row : omni::cli::kExitStatusTable)
        out << "  " << row.status << (row.status < 10 ? "    " : "  ") << row.meaning << "\n";
}

// Ctrl+C ends the run at once with its own status; files are written through temporaries, so
// nothing half-written is left under a real name.
static void onInterrupt(int) {
    ::_exit(omni::cli::ExitCancelled);
}

// The status of an error that reached the top: input the user can correct is 2, a reader that
// stayed silent 3, anything else 1.
// Everything printed must have reached standard output: a full disk or a closed pipe behind it
// turns a finished command into a failure.
static int checkStandardOutput(int code) {
    // A failed write leaves its error in errno; stdio keeps only a flag, so the error of the
    // last failed write is taken when it is one a write can give.
    const int earlier = errno;
    std::cout.flush();
    const bool flushed = std::fflush(stdout) == 0;
    int error = flushed ? earlier : errno;
    if (flushed && !std::ferror(stdout) && std::cout.good())
        return code;
    if (error != ENOSPC && error != EPIPE && error != EFBIG && error != EDQUOT && error != EBADF)
        error = EIO;
    omni::cli::fail(omni::foundation::SystemException(
                        error, omni::res::format(omni::res::ids::StdoutNotWritten, {}))
                        .what());
    return code == 0 ? 1 : code;
}

int main(int argc, char** argv) {
    if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
        printUsage(argc < 2 ? std::cerr : std::cout);
        return argc < 2 ? omni::cli::ExitBadInput : omni::cli::ExitDone;
    }
    std::signal(SIGINT, onInterrupt);
    for (const auto& command : omni::cli::commands()) {
        if (std::strcmp(command.name, argv[1]) != 0)
            continue;
        omni::cli::Args args(argv + 2, argv + argc);
        if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
            std::cout << "usage: omnisetup-cli " << command.usage << "\n"
                      << command.summary << "\n";
            return checkStandardOutput(omni::cli::ExitDone);
        }
        try {
            return checkStandardOutput(command.run(args));
        } catch (const omni::foundation::Exception& e) {
            return omni::cli::fail(e.what(), omni::cli::exitStatusOf(e));
        } catch (const std::exception& e) {
            return omni::cli::fail(e.what());
        }
    }
    return omni::cli::fail(std::string("unknown command \"") + argv[1] + "\" (see --help)",
                           omni::cli::ExitBadInput);
}
