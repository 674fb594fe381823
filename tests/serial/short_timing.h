// Serial time-outs short enough for tests against the simulator, long enough for a loaded machine.
#pragma once

#include "serial/serial_port.h"

namespace omni::test {

inline serial::SerialTiming shortTiming() {
    serial::SerialTiming timing;
    timing.blockTimeoutMs = 300;
    timing.perByteTimeoutMs = 300;
    timing.waitLimitMs = 300;
    timing.moduleModePauseMs = 10;
    timing.recoveryWaitMs = 300;
    timing.recoveryByteMs = 300;
    timing.receiveStopMs = 3000;
    return timing;
}

}  // namespace omni::test
