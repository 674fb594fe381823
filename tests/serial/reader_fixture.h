// A simulated reader on a pty pair and a serial port connected to it, with short time-outs.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <mutex>
#include <string>

#include "reader/module_host.h"
#include "serial/serial_port.h"
#include "short_timing.h"
#include "sim/simulated_reader.h"
#include "stream/locked_text.h"

namespace omni::test {

inline constexpr std::string_view kTestKey = "Software\\Kestrel\\OmniSetupTest";

// Collects what the receive thread hands over.
class Collector : public stream::OutputStream<char> {
public:
    void write(const char* data, std::size_t count) override { text_.append(data, count); }
    void put(const char* item) override { write(item, 1); }
    void flush() override {}
    std::string text() const { return text_.text(); }

private:
    stream::LockedText<std::string> text_;
};

class ReaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        reader::installModuleLock();
        reader.start();
        port.setTiming(shortTiming());
    }
    void openPort(serial::PortKind kind = serial::PortKind::Serial) {
        port.open({kind, reader.devicePath()}, kTestKey);
    }

    sim::SimulatedReader reader;
    serial::SerialPortForPosix port;
};

}  // namespace omni::test
