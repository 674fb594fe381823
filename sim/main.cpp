// omnisetup-sim: a simulated reader on a pseudo-terminal, for demos and manual tests.
//
// Prints the device to connect to on the first line, then one line per command received
// ("> Z1"). Runs until stopped (Ctrl-C, end of standard input, or "quit"). Lines typed on
// standard input steer it: "send TEXT" (\r, \n, \xHH escapes), "garbage N", "silent on|off",
// "stall on|off", "hangup", "quit".
#include <poll.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <iostream>
#include <random>
#include <sstream>
#include <string>

#include "sim/simulated_reader.h"
#include "stream/escapes.h"

using omni::sim::SimulatedReader;
namespace replies = omni::sim::replies;

namespace {

volatile std::sig_atomic_t gStop = 0;
void onSignal(int) {
    gStop = 1;
}

const char kUsage[] =
    "usage: omnisetup-sim [OPTIONS]\n"
    "Acts as a reader on a pseudo-terminal and prints the device path to connect to.\n\n"
    "The answer to the version request (default: --family BA12J13i):\n"
    "  --family TEXT        a family-code reply: BA12J13i, BD49, BF..., BFM..., FA..., FL...\n"
    "  --bd N               the same as --family BD<N>\n"
    "  --ver-eng VERSION    a \"Ver.\" reply carrying ENG:VERSION\n"
    "  --ver-ap VERSION     a \"Ver.\" reply carrying AP:VERSION only\n"
    "  --model NAME:VERSION a \"Model=\" reply with its follow-up lines\n"
    "  --utf16le, --utf16be send the family-code reply as UTF-16\n"
    "  --silent             never answer anything\n"
    "Other behaviour:\n"
    "  --lead HEX           control bytes sent before every reply (e.g. 17 for ETB)\n"
    "  --config TEXT        answer to the configuration query (default Configuration: KVR-5210)\n"
    "  --hangup-after N     hang up after N commands\n"
    "  --quiet              do not print received commands\n";

std::string fromHex(const std::string& hex) {
    std::string bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
        bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    }
    return bytes;
}

std::string printable(const std::string& command) {
    std::string out;
    for (unsigned char c : command) {
        if (c >= 32 && c < 127) {
            out += static_cast<char>(c);
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        }
    }
    return out;
}

// One line from standard input; false at its end.
bool steer(SimulatedReader& reader, const std::string& line) {
    std::istringstream in(line);
    std::string verb, rest;
    in >> verb;
    std::getline(in >> std::ws, rest);
    if (verb == "quit")
        return false;
    if (verb == "send")
        reader.send(omni::stream::unescape(rest));
    else if (verb == "garbage") {
        std::mt19937 random(7);
        std::string noise;
        for (int i = 0, n = rest.empty() ? 64 : std::stoi(rest); i < n; ++i) {
            noise += static_cast<char>(random() & 0xFF);
        }
        reader.send(noise);
    } else if (verb == "silent")
        reader.setSilent(rest != "off");
    else if (verb == "stall")
        reader.setStalled(rest != "off");
    else if (verb == "hangup")
        reader.hangUp();
    else if (!verb.empty())
        std::cerr << "omnisetup-sim: unknown input \"" << verb << "\"\n";
    return true;
}

// What the command line asks for; reader-side options are applied to the reader directly.
struct Options {
    bool help = false;
    bool quiet = false;
    bool wide = false;
    bool bigEndian = false;
    std::string familyText = "BA12J13i";
    std::string reply;  // the answer to the version request, when not a family code
};

// Reads the options into `options` and `reader`; throws std::invalid_argument on a bad one.
void parseOptions(int argc, char** argv, Options& options, SimulatedReader& reader) {
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc)
                throw std::invalid_argument(option + " needs a value");
            return argv[++i];
        };
        if (option == "--help" || option == "-h") {
            options.help = true;
            return;
        } else if (option == "--family")
            options.familyText = value();
        else if (option == "--bd")
            options.familyText = "BD" + value();
        else if (option == "--ver-eng")
            options.reply = replies::versionLine("ENG:", value());
        else if (option == "--ver-ap")
            options.reply = replies::versionLine("AP:", value());
        else if (option == "--model") {
            const std::string v = value();
            const std::size_t colon = v.find(':');
            if (colon == std::string::npos)
                throw std::invalid_argument("--model NAME:VERSION");
            options.reply = replies::model(v.substr(0, colon), v.substr(colon + 1));
        } else if (option == "--utf16le")
            options.wide = true;
        else if (option == "--utf16be")
            options.wide = options.bigEndian = true;
        else if (option == "--silent")
            reader.setSilent(true);
        else if (option == "--lead")
            reader.setLeadingBytes(fromHex(value()));
        else if (option == "--config")
            reader.setConfigurationText(value());
        else if (option == "--hangup-after")
            reader.hangUpAfter(std::stoul(value()));
        else if (option == "--quiet")
            options.quiet = true;
        else
            throw std::invalid_argument("unknown option " + option);
    }
}

std::string versionReply(const Options& options) {
    if (!options.reply.empty())
        return options.reply;
    return options.wide ? replies::utf16(options.familyText + "\r", options.bigEndian)
                        : replies::family(options.familyText);
}

// Reads what standard input has and steers the reader with each complete line. False once
// standard input has ended (the reader keeps serving until stopped).
bool readSteering(SimulatedReader& reader, std::string& pending) {
    char buffer[256];
    const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
    if (n <= 0)
        return false;
    pending.append(buffer, static_cast<std::size_t>(n));
    std::size_t end;
    while ((end = pending.find('\n')) != std::string::npos) {
        if (!steer(reader, pending.substr(0, end)))
            gStop = 1;
        pending.erase(0, end + 1);
    }
    return true;
}

// Serves until a signal or "quit", printing each command received once.
void serve(SimulatedReader& reader, bool quiet) {
    std::size_t shown = 0;
    std::string pending;
    bool input = true;
    while (!gStop) {
        pollfd p{STDIN_FILENO, POLLIN, 0};
        if (::poll(&p, input ? 1 : 0, 100) > 0)
            input = readSteering(reader, pending);
        const auto transcript = reader.transcript();
        for (; shown < transcript.size(); ++shown) {
            if (!quiet)
                std::cout << "> " << printable(transcript[shown]) << std::endl;
        }
        if (reader.hungUp() && !quiet) {
            std::cout << "hung up" << std::endl;
            quiet = true;
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    SimulatedReader reader;
    Options options;
    try {
        parseOptions(argc, argv, options, reader);
    } catch (const std::exception& e) {
        std::cerr << "omnisetup-sim: " << e.what() << " (see --help)\n";
        return 2;
    }
    if (options.help) {
        std::cout << kUsage;
        return 0;
    }
    reader.setVersionReply(versionReply(options));

    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    reader.start();
    std::cout << reader.devicePath() << std::endl;
    serve(reader, options.quiet);
    reader.stop();
    return 0;
}
