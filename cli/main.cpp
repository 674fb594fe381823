// omnisetup-cli: the headless tool. Dispatches to the registered sub-commands.
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <csignal>
#include <cstring>
#include <iostream>

#include "command.h"
#include "exit_status.h"
#include "ui/exception.h"

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
    out << "\nexit statuses:\n";
    for (const auto& row : omni::cli::kExitStatusTable)
        out << "  " << row.status << (row.status < 10 ? "    " : "  ") << row.meaning << "\n";
}

// Ctrl+C ends the run at once with its own status; files are written through temporaries, so
// nothing half-written is left under a real name.
static void onInterrupt(int) {
    ::_exit(omni::cli::ExitCancelled);
}

// The status of an error that reached the top: input the user can correct is 2, a reader that
// stayed silent 3, anything else 1.
static int statusOf(const omni::Exception& e) {
    if (const auto* user = dynamic_cast<const omni::UserException*>(&e)) {
        if (user->code() == omni::UserException::BadInput)
            return omni::cli::ExitBadInput;
        if (user->code() == omni::UserException::Cancelled)
            return omni::cli::ExitCancelled;
    }
    if (const auto* kes = dynamic_cast<const omni::KesException*>(&e)) {
        if (kes->state() == KES_STATE_COMMUNICATION_TIMEOUT)
            return omni::cli::ExitNoAnswer;
    }
    return omni::cli::ExitReaderFailed;
}

int main(int argc, char** argv) {
    if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
        printUsage(argc < 2 ? std::cerr : std::cout);
        return argc < 2 ? omni::cli::ExitBadInput : omni::cli::ExitDone;
    }
    std::signal(SIGINT, onInterrupt);
    for (const auto& command : omni::cli::commands()) {
        if (std::strcmp(command.name, argv[1]) != 0) continue;
        omni::cli::Args args(argv + 2, argv + argc);
        try {
            return command.run(args);
        } catch (const omni::Exception& e) {
            return omni::cli::fail(e.what(), statusOf(e));
        } catch (const std::exception& e) {
            return omni::cli::fail(e.what());
        }
    }
    return omni::cli::fail(std::string("unknown command \"") + argv[1] + "\" (see --help)",
                             omni::cli::ExitBadInput);
}
