// omnisetup-cli: the headless tool. Dispatches to the registered sub-commands.
#include <algorithm>
#include <cctype>
#include <cstring>
#include <iostream>

#include "command.h"
#include "stream/escapes.h"
#include "ui/exception.h"

namespace omni::cli {

static std::vector<Command>& registry() {
    static std::vector<Command> list;
    return list;
}

Registration::Registration(const char* name, const char* usage, const char* summary, Runner run) {
    registry().push_back({name, usage, summary, run});
}

const std::vector<Command>& commands() {
    return registry();
}

int fail(const std::string& message, int code) {
    std::cerr << "omnisetup-cli: " << message << "\n";
    return code;
}

std::string unescapeArgument(const std::string& text) {
    return stream::unescape(text);
}

}  // namespace omni::cli

static void printUsage(std::ostream& out) {
    out << "usage: omnisetup-cli COMMAND [ARGS]\n\ncommands:\n";
    auto list = omni::cli::commands();
    std::sort(list.begin(), list.end(),
              [](const auto& a, const auto& b) { return std::strcmp(a.name, b.name) < 0; });
    for (const auto& c : list)
        out << "  " << c.usage << "\n      " << c.summary << "\n";
}

int main(int argc, char** argv) {
    if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
        printUsage(argc < 2 ? std::cerr : std::cout);
        return argc < 2 ? 2 : 0;
    }
    for (const auto& command : omni::cli::commands()) {
        if (std::strcmp(command.name, argv[1]) != 0)
            continue;
        omni::cli::Args args(argv + 2, argv + argc);
        try {
            return command.run(args);
        } catch (const omni::Exception& e) {
            return omni::cli::fail(e.what());
        } catch (const std::exception& e) {
            return omni::cli::fail(e.what());
        }
    }
    return omni::cli::fail(std::string("unknown command \"") + argv[1] + "\" (see --help)", 2);
}
