// Faults of the line itself, as a reader on a bad day shows them: it floods without gaps, drips
// bytes that never end a line, stops reading until the terminal's buffer is full, or ignores the
// switch to ACK mode. Each object acts from its construction (or its own call) until it goes; it
// must go before the reader it acts on.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <string>
#include <thread>

#include "sim/simulated_reader.h"

namespace omni::sim {

// Sends `pattern` over and over, as fast as the program takes it, from construction until
// destruction. Never waits for room, so it ends promptly even when the program stops reading.
class Flood {
public:
    explicit Flood(SimulatedReader& reader, std::string pattern = "0123456789ABCDEF\r");
    ~Flood();
    Flood(const Flood&) = delete;
    Flood& operator=(const Flood&) = delete;

    std::size_t sent() const { return sent_.load(); }

private:
    std::atomic<bool> running_{true};
    std::atomic<std::size_t> sent_{0};
    std::thread thread_;
};

// Sends one byte of `bytes` (cycled; a CR in it is skipped) every `interval`: a device that
// keeps talking without ever finishing a line.
class Drip {
public:
    Drip(SimulatedReader& reader, std::string bytes, std::chrono::milliseconds interval);
    ~Drip();
    Drip(const Drip&) = delete;
    Drip& operator=(const Drip&) = delete;

private:
    std::atomic<bool> running_{true};
    std::thread thread_;
};

// A reader that holds its end open and stops reading until the terminal's buffer is full, so
// the program's writes are refused. Construct it before the program opens the device (it keeps
// a descriptor of its own to fill the buffer through).
class StalledLine {
public:
    explicit StalledLine(SimulatedReader& reader);
    ~StalledLine();
    StalledLine(const StalledLine&) = delete;
    StalledLine& operator=(const StalledLine&) = delete;

    // Stops the reader reading and fills the buffer with NUL bytes (outside any frame, so the
    // reader ignores them) until the terminal takes no more. Returns the bytes it took. Not
    // `solid`: filled in blocks, leaving the room the kernel frees a moment later (a few hundred
    // bytes), so that a long write is taken in part and then refused.
    std::size_t fill(bool solid = true);
    // The reader reads again; the filler arrives first.
    void resume();

private:
    SimulatedReader& reader_;
    int fd_ = -1;
};

// Takes "WC" without switching to ACK mode: a reader that never acknowledges anything.
class IgnoresAckMode : public Responder {
public:
    bool handle(std::string_view command, SimulatedReader& reader) override;
};

}  // namespace omni::sim
