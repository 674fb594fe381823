// Serial time-outs short enough for tests against the simulator, long enough for a loaded machine.
#pragma once

#include "serial/serial_port.h"

namespace omni::test {

// `replyWaitMs` bounds each wait for the reader's bytes; tests that share the thread with a
// widget event loop ask for more.
inline serial::SerialTiming shortTiming(unsigned replyWaitMs = 300) {
    serial::SerialTiming timing;
    timing.blockTimeoutMs = replyWaitMs;
    timing.perByteTimeoutMs = replyWaitMs;
    timing.waitLimitMs = replyWaitMs;
    timing.moduleModePauseMs = 10;
    timing.recoveryWaitMs = 300;
    timing.recoveryByteMs = 300;
    timing.receiveStopMs = 3000;
    return timing;
}

}  // namespace omni::test
