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

#include "sim/firmware_responder.h"
#include "sim/simulated_reader.h"

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
    "  --quiet              do not print received commands\n"
    "Firmware download (both protocols are always understood):\n"
    "  --boot-loader        sit in the boot loader: no answer to Z1, packets straight away\n"
    "  --refuse-block N[:K] refuse block N K times (default 4)\n"
    "  --answer-delay MS    a slow engine: pause before taking each block\n"
    "  --write-error        answer WE in the write phase\n"
    "  --no-end-answer      never answer the end-of-data packet\n"
    "  --nak-storm K        XMODEM: answer the first block with K NAKs\n"
    "  --hangup-after-blocks N  hang up once N blocks have arrived\n"
    "  --restart quiet|replug   after a finished download: keep quiet for a while, or hang up\n"
    "                       and come back as a new device (its path is printed)\n"
    "  --restart-pause MS   how long the restart takes (default 300)\n"
    "  --restart-9600       after the restart answer Z1 only at 9600 baud\n"
    "  --version-after TEXT the version reply after the restart\n"
    "  --save-firmware PATH write the firmware received to PATH when a download ends\n";

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
        reader.send(unescape(rest));
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

}  // namespace

int main(int argc, char** argv) {
    SimulatedReader reader;
    bool quiet = false;
    bool wide = false, bigEndian = false;
    std::string familyText = "BA12J13i";
    std::string reply;
    omni::sim::FirmwareFaults faults;
    omni::sim::FirmwareRestart restart;
    bool bootLoader = false;
    std::string savePath;
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
            else if (option == "--quiet")
                quiet = true;
            else if (option == "--boot-loader")
                bootLoader = true;
            else if (option == "--refuse-block") {
                std::string v = value();
                std::size_t colon = v.find(':');
                int times = colon == std::string::npos ? 4 : std::stoi(v.substr(colon + 1));
                faults.refuseBlock[static_cast<std::uint16_t>(std::stoul(v.substr(0, colon)))] =
                    times;
            } else if (option == "--answer-delay")
                faults.answerDelay = std::chrono::milliseconds(std::stoul(value()));
            else if (option == "--write-error")
                faults.writeError = true;
            else if (option == "--no-end-answer")
                faults.noEndAnswer = true;
            else if (option == "--nak-storm")
                faults.nakStorm = std::stoi(value());
            else if (option == "--hangup-after-blocks")
                faults.hangUpAfterBlocks = std::stoul(value());
            else if (option == "--restart") {
                std::string v = value();
                if (v != "quiet" && v != "replug")
                    throw std::invalid_argument("--restart quiet|replug");
                restart.kind = v == "quiet" ? omni::sim::RestartKind::Quiet
                                            : omni::sim::RestartKind::Replug;
            } else if (option == "--restart-pause")
                restart.pause = std::chrono::milliseconds(std::stoul(value()));
            else if (option == "--restart-9600")
                restart.only9600 = true;
            else if (option == "--version-after")
                restart.versionAfter = value();
            else if (option == "--save-firmware")
                savePath = value();
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
    restart.onReplugged = [](const std::string& path) {
        std::cout << "replugged " << path << std::endl;
    };
    auto firmware = std::make_unique<omni::sim::FirmwareResponder>(reader, faults, restart,
                                                                   bootLoader);
    omni::sim::FirmwareResponder* download = firmware.get();
    reader.addResponder(std::move(firmware));
    auto lastEnding = omni::sim::FirmwareResponder::Ending::None;

    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    reader.start();
    std::cout << reader.devicePath() << std::endl;

    std::size_t shown = 0;
    std::string pending;
    bool input = true;
    while (!gStop) {
        pollfd p{STDIN_FILENO, POLLIN, 0};
        int ready = ::poll(&p, input ? 1 : 0, 100);
        if (ready > 0) {
            char buffer[256];
            ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
            if (n <= 0) {
                input = false;  // no more steering; keep serving until stopped
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
        auto ending = download->ending();
        if (ending != lastEnding) {
            lastEnding = ending;
            if (!savePath.empty() && !download->saveFirmware(savePath))
                std::cerr << "omnisetup-sim: cannot write " << savePath << "\n";
        }
        if (reader.hungUp() && !quiet) {
            std::cout << "hung up" << std::endl;
            quiet = true;
        }
    }
    reader.stop();
    return 0;
}
