// The exit statuses every omnisetup-cli sub-command follows, and their table as --help and the
// manual page print it. Scripts rely on these numbers: never renumber one.
#pragma once

namespace omni::cli {

enum ExitStatus : int {
    ExitDone = 0,          // everything asked for was done
    ExitReaderFailed = 1,  // the reader, the port or the system failed the request
    ExitBadInput = 2,      // bad arguments or input (options, files, commands, port paths)
    ExitNoAnswer = 3,      // the reader did not answer where an answer is required
    ExitCancelled = 130,   // cancelled by Ctrl+C (128 + SIGINT, as shells report it)
};

struct ExitStatusRow {
    ExitStatus status;
    const char* meaning;
};

inline constexpr ExitStatusRow kExitStatusTable[] = {
    {ExitDone, "done"},
    {ExitReaderFailed, "failed at the reader (or the port, or writing a file)"},
    {ExitBadInput, "bad arguments or input"},
    {ExitNoAnswer, "the reader did not answer where an answer is required"},
    {ExitCancelled, "cancelled by Ctrl+C"},
};
static_assert(sizeof kExitStatusTable / sizeof kExitStatusTable[0] == 5);

}  // namespace omni::cli
