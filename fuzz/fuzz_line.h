// An in-memory serial line for the fuzz targets that play the engine: what the engine says comes
// from the fuzz input, running dry is a time-out, and what the module writes goes nowhere. Hand
// the static functions to KesCreateSerialPort with the line as their context.
#pragma once

#include <cstdint>
#include <string>

#include "module/kes_sdk.h"

struct FuzzLine {
    std::string input;
    std::size_t at = 0;
    // A read that asks for more than is left delivers the rest (else nothing); both time out.
    bool deliverRest = false;
    int raised = 0;  // times the module raised the line's speed, and restored it
    int restored = 0;

    static FuzzLine& of(void* context) { return *static_cast<FuzzLine*>(context); }
    static int isOpen(void*) { return 1; }
    static std::uint32_t read(void* context, void* buffer, std::uint32_t count) {
        FuzzLine& line = of(context);
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
        FuzzLine& line = of(context);
        if (line.at == line.input.size())
            KesSetLastStatus(KES_STATE_COMMUNICATION_TIMEOUT);
        return static_cast<std::uint32_t>(line.input.size() - line.at);
    }
    static void write(void*, const void*, std::uint32_t) {}
    static void flush(void*) {}
    static void sleep(void*, std::uint32_t) {}
    static void raise(void* context) { ++of(context).raised; }
    static void restore(void* context) { ++of(context).restored; }
};
