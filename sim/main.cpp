// omnisetup-sim: a simulated reader on a pseudo-terminal, for demos and manual tests.
//
// Prints the device to connect to on the first line, then one line per command received
// ("> Z1"). Runs until stopped (Ctrl-C, end of standard input, or "quit"). Lines typed on
// standard input steer it: "send TEXT" (\r, \n, \xHH escapes), "garbage N", "silent on|off",
// "stall on|off", "hangup", "quit".
#include <poll.h>
#include <unistd.h>

#include <cctype>
#include <csignal>
#include <cstring>
#include <iostream>
#include <random>
#include <sstream>
#include <string>

#include "sim/capture_responder.h"
#include "sim/simulated_reader.h"
#include "sim/tuning_responder.h"

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
    "Imaging (captures and output settings):\n"
    "  --picture WxH        size of the test picture (default 640x480)\n"
    "  --bits N             1, 4, 8 or 10 bits per pixel (default 8)\n"
    "  --jpeg               send pictures as JPEG\n"
    "  --whole              send a picture as one block\n"
    "  --corrupt-block I:N  block I (0: header) gets a bad checksum its first N times\n"
    "  --line-rate N        bytes per second on the line during a transfer\n"
    "Tuning and reading tools:\n"
    "  --tune-success N     tuning finds the code on attempt N (0-3; -1: never; default 0)\n"
    "  --waveform           send a waveform stream while reading (for a --model Q-150 reader)\n"
    "  --quiet              do not print received commands\n";

std::string unescape(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 >= text.size()) {
            out += text[i];
            continue;
        }
        char next = text[++i];
        if (next == 'r')
            out += '\r';
        else if (next == 'n')
            out += '\n';
        else if (next == 'x' && i + 2 < text.size()) {
            if (!std::isxdigit(static_cast<unsigned char>(text[i + 1])) ||
                !std::isxdigit(static_cast<unsigned char>(text[i + 2])))
                throw std::invalid_argument(text);
            out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else
            out += next;
    }
    return out;
}

std::string fromHex(const std::string& hex) {
    std::string bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
        bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    }
    return bytes;
}

// Throws std::invalid_argument for a line it cannot use.
bool steerOrThrow(SimulatedReader& reader, const std::string& line);

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

// One line from standard input; false for "quit". A line it cannot make sense of is reported and
// skipped.
bool steer(SimulatedReader& reader, const std::string& line) {
    try {
        return steerOrThrow(reader, line);
    } catch (const std::exception&) {
        std::cerr << "omnisetup-sim: cannot use the input \"" << printable(line) << "\"\n";
        return true;
    }
}

bool steerOrThrow(SimulatedReader& reader, const std::string& line) {
    std::istringstream in(line);
    std::string verb, rest;
    in >> verb;
    std::getline(in >> std::ws, rest);
    if (verb == "quit")
        return false;
    if (verb == "send")
        reader.send(unescape(rest));
    else if (verb == "garbage") {
        std::size_t used = 0;
        const int n = rest.empty() ? 64 : std::stoi(rest, &used);
        if ((!rest.empty() && used != rest.size()) || n < 0 || n > 1 << 20)
            throw std::invalid_argument(rest);
        std::mt19937 random(7);
        std::string noise;
        for (int i = 0; i < n; ++i)
            noise += static_cast<char>(random() & 0xFF);
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

}  // namespace

int main(int argc, char** argv) {
    SimulatedReader reader;
    omni::sim::CaptureResponder& capture = *omni::sim::addImagingResponders(reader).capture;
    omni::sim::OutputSettings imaging;
    omni::sim::TuningResponder* tuning = nullptr;
    bool waveform = false;
    int tuneSuccess = 0;
    bool quiet = false;
    bool wide = false, bigEndian = false;
    std::string familyText = "BA12J13i";
    std::string reply;
    try {
        for (int i = 1; i < argc; ++i) {
            std::string option = argv[i];
            auto value = [&]() -> std::string {
                if (i + 1 >= argc)
                    throw std::invalid_argument(option + " needs a value");
                return argv[++i];
            };
            if (option == "--help" || option == "-h") {
                std::cout << kUsage;
                return 0;
            } else if (option == "--family")
                familyText = value();
            else if (option == "--bd")
                familyText = "BD" + value();
            else if (option == "--ver-eng")
                reply = replies::versionLine("ENG:", value());
            else if (option == "--ver-ap")
                reply = replies::versionLine("AP:", value());
            else if (option == "--model") {
                std::string v = value();
                std::size_t colon = v.find(':');
                if (colon == std::string::npos)
                    throw std::invalid_argument("--model NAME:VERSION");
                reply = replies::model(v.substr(0, colon), v.substr(colon + 1));
            } else if (option == "--utf16le")
                wide = true;
            else if (option == "--utf16be")
                wide = bigEndian = true;
            else if (option == "--silent")
                reader.setSilent(true);
            else if (option == "--lead")
                reader.setLeadingBytes(fromHex(value()));
            else if (option == "--config")
                reader.setConfigurationText(value());
            else if (option == "--hangup-after")
                reader.hangUpAfter(std::stoul(value()));
            else if (option == "--tune-success")
                tuneSuccess = std::stoi(value());
            else if (option == "--waveform")
                waveform = true;
            else if (option == "--quiet")
                quiet = true;
            else if (option == "--picture") {
                std::string v = value();
                std::size_t x = v.find('x');
                if (x == std::string::npos)
                    throw std::invalid_argument("--picture WxH");
                capture.setPictureSize(std::stoi(v.substr(0, x)), std::stoi(v.substr(x + 1)));
            } else if (option == "--bits")
                imaging.bits = std::stoi(value());
            else if (option == "--jpeg")
                imaging.format = 1;
            else if (option == "--whole")
                imaging.whole = true;
            else if (option == "--corrupt-block") {
                std::string v = value();
                std::size_t colon = v.find(':');
                if (colon == std::string::npos)
                    throw std::invalid_argument("--corrupt-block I:N");
                capture.corruptBlock(std::stoul(v.substr(0, colon)), std::stoi(v.substr(colon + 1)));
            } else if (option == "--line-rate")
                capture.setLineRate(std::stoul(value()));
            else
                throw std::invalid_argument("unknown option " + option);
        }
    } catch (const std::exception& e) {
        std::cerr << "omnisetup-sim: " << e.what() << " (see --help)\n";
        return 2;
    }
    if (reply.empty()) {
        reply = wide ? replies::utf16(familyText + "\r", bigEndian) : replies::family(familyText);
    }
    reader.setVersionReply(reply);
    capture.setSettings(imaging);
    tuning = &omni::sim::addToolResponders(reader, waveform);
    tuning->setSuccessAttempt(tuneSuccess);

    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    reader.start();
    std::cout << reader.devicePath() << std::endl;

    std::size_t shown = 0;
    std::string pending;
    while (!gStop) {
        pollfd p{STDIN_FILENO, POLLIN, 0};
        int ready = ::poll(&p, 1, 100);
        if (ready > 0) {
            char buffer[256];
            ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
            if (n <= 0) {
                if (!pending.empty())
                    steer(reader, pending);  // a last line without its line end
                gStop = 1;  // the end of the steering input ends the run
            } else {
                pending.append(buffer, static_cast<std::size_t>(n));
                std::size_t end;
                while ((end = pending.find('\n')) != std::string::npos) {
                    if (!steer(reader, pending.substr(0, end)))
                        gStop = 1;
                    pending.erase(0, end + 1);
                }
            }
        }
        auto transcript = reader.transcript();
        for (; shown < transcript.size(); ++shown) {
            if (!quiet)
                std::cout << "> " << printable(transcript[shown]) << std::endl;
        }
        if (reader.hungUp() && !quiet) {
            std::cout << "hung up" << std::endl;
            quiet = true;
        }
    }
    reader.stop();
    return 0;
}
