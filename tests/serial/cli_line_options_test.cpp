// Line settings from the command line: identify and send override the stored settings for one
// run without storing them, port-settings shows, stores and resets them, and a value the port
// does not take is named in the message.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>

#include "cli/cli_run.h"
#include "foundation/settings_store.h"
#include "serial/line_settings.h"
#include "sim/simulated_reader.h"

namespace omni::test {
namespace {

std::string cliPath() {
    return builtCliPath();
}

CliRun runCli(const std::string& arguments) {
    return runJoined("OMNISETUP_LANG=en " + cliPath() + " " + arguments);
}

class CliLine : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::filesystem::exists(cliPath()))
            GTEST_SKIP() << "omnisetup-cli not built";
        reader.start();
        port = " --port " + reader.devicePath();
        // Whatever an earlier run stored for this device name, start from the defaults.
        serial::storeLineSettings(foundation::kProgramSettingsKey, descriptor(),
                                  serial::LineSettings{});
    }
    serial::PortDescriptor descriptor() const {
        return {serial::PortKind::Serial, reader.devicePath()};
    }

    sim::SimulatedReader reader;
    std::string port;
};

TEST_F(CliLine, OverridesLastOneRunAndRefusalsNameTheSetting) {
    CliRun fast = runCli("identify" + port + " --baud 115200 --stop-bits 2");
    EXPECT_EQ(fast.code, 0) << fast.out;
    EXPECT_EQ(serial::loadLineSettings(foundation::kProgramSettingsKey, descriptor()),
              serial::LineSettings{});  // not kept

    CliRun odd = runCli("identify" + port + " --baud 12345");
    EXPECT_EQ(odd.code, 2);
    EXPECT_NE(odd.out.find("baud rate 12345"), std::string::npos) << odd.out;

    CliRun bad = runCli("send" + port + " --data-bits 9 Z1");
    EXPECT_EQ(bad.code, 2);
    EXPECT_NE(bad.out.find("--data-bits"), std::string::npos) << bad.out;
    EXPECT_EQ(reader.received(), "\x1BZ1\r");  // only the first identify's request went out
}

TEST_F(CliLine, StoredSettingsAreShownStoredAndReset) {
    CliRun store = runCli("port-settings" + port + " --baud 19200 --flow software");
    EXPECT_EQ(store.code, 0) << store.out;
    EXPECT_EQ(serial::loadLineSettings(foundation::kProgramSettingsKey, descriptor()).baudRate,
              19200u);
    CliRun shown = runCli("port-settings" + port);
    EXPECT_NE(shown.out.find("baud: 19200\n"), std::string::npos) << shown.out;
    EXPECT_NE(shown.out.find("flow: software\n"), std::string::npos) << shown.out;
    EXPECT_EQ(runCli("identify" + port).code, 0);

    // A damaged record that names a speed the system does not have: the message says which.
    serial::LineSettings stored;
    stored.baudRate = 12345;
    serial::storeLineSettings(foundation::kProgramSettingsKey, descriptor(), stored);
    CliRun refused = runCli("identify" + port);
    EXPECT_EQ(refused.code, 2);
    EXPECT_NE(refused.out.find("baud rate 12345"), std::string::npos) << refused.out;

    EXPECT_EQ(runCli("port-settings" + port + " --reset").code, 0);
    EXPECT_EQ(serial::loadLineSettings(foundation::kProgramSettingsKey, descriptor()),
              serial::LineSettings{});
    EXPECT_EQ(runCli("identify" + port).code, 0);
}

}  // namespace
}  // namespace omni::test
