// The exit statuses every omnisetup-cli sub-command follows, and their table as --help and the
// manual page print it. Scripts rely on these numbers: never renumber one.
#pragma once

#include "foundation/exception.h"
#include "reader/reader_link.h"

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

// The status for a failed attempt to reach a reader.
inline int exitStatusOf(reader::FailureKind kind) {
    switch (kind) {
        case reader::FailureKind::None:
            return ExitDone;
        case reader::FailureKind::LineSettings:
        case reader::FailureKind::NoSuchPort:
            return ExitBadInput;
        case reader::FailureKind::NoAnswer:
            return ExitNoAnswer;
        case reader::FailureKind::Port:
        case reader::FailureKind::Link:
            break;
    }
    return ExitReaderFailed;
}

// The status for an error that ended a sub-command.
inline int exitStatusOf(const foundation::Exception& e) {
    if (const auto* user = dynamic_cast<const foundation::UserException*>(&e)) {
        if (user->code() == foundation::UserException::BadInput)
            return ExitBadInput;
        if (user->code() == foundation::UserException::Cancelled)
            return ExitCancelled;
    }
    if (const auto* kes = dynamic_cast<const foundation::KesException*>(&e);
        kes && kes->state() == KES_STATE_COMMUNICATION_TIMEOUT)
        return ExitNoAnswer;
    return ExitReaderFailed;
}

}  // namespace omni::cli
