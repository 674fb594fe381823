// An in-memory serial line that plays the engine for the module, shared by the module tests and
// the fuzz targets: what the engine says is queued up front, running dry is a time-out, and what
// the module writes is kept.
#pragma once

#include <cstdint>
#include <string>

#include "module/kes_sdk.h"

namespace omni::test {

struct EngineLine {
    std::string input;  // everything the engine will say
    std::size_t at = 0;
    // A read that asks for more than is left delivers the rest (else nothing); both time out.
    bool deliverRest = false;
    std::string written;  // everything the module wrote
    int raised = 0;       // times the module raised the line's speed, and restored it
    int restored = 0;

    // A serial port handle over this line. The speed callbacks are handed over only when asked
    // for: without them the module leaves the line's speed alone.
    KesHandle createPort(bool withSpeedCallbacks = false) {
        return KesCreateSerialPort(this, isOpen, read, wait, write, flush, sleep,
                                   withSpeedCallbacks ? raise : nullptr,
                                   withSpeedCallbacks ? restore : nullptr);
    }

    static EngineLine& of(void* context) { return *static_cast<EngineLine*>(context); }
    static int isOpen(void*) { return 1; }
    static std::uint32_t read(void* context, void* buffer, std::uint32_t count) {
        EngineLine& line = of(context);
        const std::size_t left = line.input.size() - line.at;
        if (left < count) {
            KesSetLastStatus(KES_STATE_COMMUNICATION_TIMEOUT);
            count = line.deliverRest ? static_cast<std::uint32_t>(left) : 0;
        }
        line.input.copy(static_cast<char*>(buffer), count, line.at);
        line.at += count;
        return count;
    }
    static std::uint32_t wait(void* context, std::uint32_t) {
        EngineLine& line = of(context);
        if (line.at == line.input.size())
            KesSetLastStatus(KES_STATE_COMMUNICATION_TIMEOUT);
        return static_cast<std::uint32_t>(line.input.size() - line.at);
    }
    static void write(void* context, const void* data, std::uint32_t count) {
        of(context).written.append(static_cast<const char*>(data), count);
    }
    static void flush(void*) {}
    static void sleep(void*, std::uint32_t) {}
    static void raise(void* context) { ++of(context).raised; }
    static void restore(void* context) { ++of(context).restored; }
};

}  // namespace omni::test
