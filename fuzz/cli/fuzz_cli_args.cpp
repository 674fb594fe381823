// Arbitrary bytes as a command line: the first byte picks a sub-command that only prints (tokens,
// resolve, catalog, --help), the rest split at NUL bytes are its arguments. Sub-commands that
// open ports or write files are never reached: the fuzzer does not choose the sub-command's name.
// Whatever they are, the tool ends with a status from its table and never crashes. The same
// arguments as typed port paths go through port discovery's lookups against a small fake /sys and
// /dev.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "exit_status.h"
#include "serial/port_discovery.h"

#include "command.h"

int omniCliMain(int argc, char** argv);

// The fuzzer's own table of sub-commands: only those that print, so that nothing else is linked
// in or reached (--help lists just these).
const std::vector<omni::cli::Command>& omni::cli::commands() {
    static const std::vector<Command> table{
        {"catalog", "catalog [--1d]", "print the command catalog", &runCatalog},
        {"resolve", "resolve PATH [--value N]", "print an entry's command", &runResolve},
        {"tokens", "tokens [--1d] COMMAND", "split a command into tokens", &runTokens},
    };
    return table;
}

namespace fs = std::filesystem;

namespace {

omni::serial::DiscoveryRoots fakeRoots;

// A reader on ttyACM0 under a USB device with our vendor id, and a plain ttyS0.
void makeFakeTree() {
    const fs::path root =
        fs::temp_directory_path() / ("fuzz_cli_args-" + std::to_string(::getpid()));
    const fs::path usb = root / "sys/devices/usb1/1-1";
    fs::create_directories(usb / "1-1:1.0/tty/ttyACM0");
    std::ofstream(usb / "idVendor") << "1e5a\n";
    std::ofstream(usb / "idProduct") << "a002\n";
    fs::create_directories(root / "sys/class/tty");
    fs::create_directories(root / "dev");
    std::error_code error;
    fs::create_directory_symlink(usb / "1-1:1.0/tty/ttyACM0", root / "sys/class/tty/ttyACM0",
                                 error);
    fs::create_directory_symlink(usb / "1-1:1.0", usb / "1-1:1.0/tty/ttyACM0/device", error);
    std::ofstream(root / "dev/ttyACM0");
    fakeRoots = {root / "sys", root / "dev"};
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    makeFakeTree();
    // The tool's output and its one-line errors are not what is being tested.
    std::cout.rdbuf(nullptr);
    std::cerr.rdbuf(nullptr);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const char* const kCommands[] = {"tokens", "resolve", "catalog", "--help"};
    if (size == 0)
        return 0;
    std::vector<std::string> args{"omnisetup-cli", kCommands[data[0] % 4]};
    std::string current;
    for (std::size_t i = 1; i < size; ++i) {
        if (data[i] == 0) {
            args.push_back(current);
            current.clear();
        } else {
            current += static_cast<char>(data[i]);
        }
    }
    args.push_back(current);

    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    const int status = omniCliMain(static_cast<int>(args.size()), argv.data());
    if (status != omni::cli::ExitDone && status != omni::cli::ExitReaderFailed &&
        status != omni::cli::ExitBadInput)
        std::abort();  // these sub-commands never talk to a reader

    for (std::size_t i = 2; i < args.size(); ++i) {
        omni::serial::kindOfDevice(args[i], fakeRoots);
        if (omni::serial::naturalLess(args[i], args[i]) ||
            (omni::serial::naturalLess(args[i], args[i - 1]) &&
             omni::serial::naturalLess(args[i - 1], args[i])))
            std::abort();  // not a strict order
    }
    return 0;
}
