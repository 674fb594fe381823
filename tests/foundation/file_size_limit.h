// Simulates a disk that fills up part-way, for tests of file writers.
#pragma once

#include <signal.h>
#include <sys/resource.h>

namespace omni::test {

// While the object lives, the process may write files of at most `bytes`; a write beyond fails with
// EFBIG (SIGXFSZ ignored), as a disk that fills up part-way would fail. Works for root too.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        previousSignal_ = ::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &previous_);
        rlimit limit = previous_;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &previous_);
        ::signal(SIGXFSZ, previousSignal_);
    }

private:
    rlimit previous_{};
    sighandler_t previousSignal_;
};

}  // namespace omni::test
