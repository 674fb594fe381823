// omnisetup-cli: the headless tool. Dispatches to the registered sub-commands.
#include <algorithm>
#include <cctype>
#include <cstring>
#include <iostream>

#include "command.h"
#include "foundation/exception.h"
#include "resources/string_ids.h"
#include "resources/strings.h"

namespace omni::cli {

static std::vector<Command>& registry() {
    static std::vector<Command> list;
    return list;
}

Registration::Registration(const char* name, const char* usage, const char* summary, Runner run) {
    registry().push_back({name, usage, summary, run});
}

const std::vector<Command>& commands() { return registry(); }

int fail(const std::string& message, int code) {
    std::cerr << "omnisetup-cli: " << message << "\n";
    return code;
}

std::string unescapeArgument(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 >= text.size()) {
            out += text[i];
            continue;
        }
        char next = text[++i];
        switch (next) {
            case 'r': out += '\r'; break;
            case 'n': out += '\n'; break;
            case 't': out += '\t'; break;
            case '\\': out += '\\'; break;
            case 'x':
                if (i + 2 < text.size() && std::isxdigit(static_cast<unsigned char>(text[i + 1])) &&
                    std::isxdigit(static_cast<unsigned char>(text[i + 2]))) {
                    out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
                    i += 2;
                    break;
                }
                [[fallthrough]];
            default: out += '\\'; out += next; break;
        }
    }
    return out;
}

}  // namespace omni::cli

static void printUsage(std::ostream& out) {
    out << "usage: omnisetup-cli COMMAND [ARGS]\n\ncommands:\n";
    auto list = omni::cli::commands();
    std::sort(list.begin(), list.end(),
              [](const auto& a, const auto& b) { return std::strcmp(a.name, b.name) < 0; });
    for (const auto& c : list) out << "  " << c.usage << "\n      " << c.summary << "\n";
    out << "\n" << omni::res::loadStringUtf8(omni::res::ids::CliExitStatuses);
}

int main(int argc, char** argv) {
    if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
        printUsage(argc < 2 ? std::cerr : std::cout);
        return argc < 2 ? 2 : 0;
    }
    for (const auto& command : omni::cli::commands()) {
        if (std::strcmp(command.name, argv[1]) != 0) continue;
        omni::cli::Args args(argv + 2, argv + argc);
        try {
            return command.run(args);
        } catch (const omni::foundation::Exception& e) {
            return omni::cli::fail(e.what());
        } catch (const std::exception& e) {
            return omni::cli::fail(e.what());
        }
    }
    return omni::cli::fail(std::string("unknown command \"") + argv[1] + "\" (see --help)", 2);
}
