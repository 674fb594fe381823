// Tool pauses short enough for tests against the simulator.
#pragma once

#include "tools/tool_link.h"

namespace omni::test {

// No settling pause before a capture; `replyByteMs` bounds each byte of a block or a number.
inline tools::ToolTiming quickTiming(unsigned replyByteMs = 300) {
    tools::ToolTiming timing;
    timing.settleMs = 0;
    timing.exchangeByteMs = 300;
    timing.replyByteMs = replyByteMs;
    return timing;
}

}  // namespace omni::test
