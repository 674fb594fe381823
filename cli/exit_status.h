// The exit statuses of omnisetup-cli, one table for every sub-command, so that a script can tell
// a reader failure from a typing error.
#pragma once

namespace omni::cli {

inline constexpr int kExitOk = 0;             // done
inline constexpr int kExitReaderFailed = 1;   // failed at the reader or the port
inline constexpr int kExitBadInput = 2;       // bad arguments or input
inline constexpr int kExitNoAnswer = 3;       // no answer where one is required
inline constexpr int kExitCancelled = 130;    // cancelled by Ctrl+C

}  // namespace omni::cli
