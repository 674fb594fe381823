// omnisetup-sim: a simulated reader on a pseudo-terminal, for demos and manual tests.
//
// Prints the device to connect to on the first line, then one line per command received
// ("> Z1"). Runs until stopped (Ctrl-C, SIGTERM, end of standard input, or "quit"). Lines typed
// on standard input steer it: "send TEXT" (\r, \n, \t, \\, \xHH escapes), "garbage N",
// "silent on|off", "stall on|off|full" (full: until the terminal's buffer refuses more),
// "flood on|off", "drip on|off" (bytes without CR), "hangup", "quit".
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <csignal>
#include <cstring>
#include <functional>
#include <iostream>
#include <iterator>
#include <memory>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <utility>

#include "sim/capture_responder.h"
#include "sim/dataedit_responder.h"
#include "sim/firmware_responder.h"
#include "sim/line_faults.h"
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
    "  --dataedit-test TEXT data sent after each stored data edit program (\\xHH escapes)\n"
    "  --gs1-sample TEXT    GS1 data sent after the GS1 start command (\\x1D separators)\n"
    "Imaging (captures and output settings):\n"
    "  --picture WxH        size of the test picture (default 640x480)\n"
    "  --bits N             1, 4, 8 or 10 bits per pixel (default 8)\n"
    "  --jpeg               send pictures as JPEG\n"
    "  --whole              send a picture as one block\n"
    "  --corrupt-block I:N  block I (0: header) gets a bad checksum its first N times\n"
    "  --line-rate N        bytes per second on the line during a transfer\n"
    "  --error-report CODE  answer every shot with an error report (0 no image, 1 broken,\n"
    "                       2 in use, 16 camera fault)\n"
    "  --shot-hangup-after N  hang up after sending N data blocks of a picture\n"
    "  --quiet              do not print received commands\n"
    "Tuning and reading tools:\n"
    "  --tune-success N     tuning finds the code on attempt N (0-3; -1: never; default 0)\n"
    "  --waveform           send a waveform stream while reading (for a --model Q-150 reader)\n"
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

// The steering escapes \r, \n, \t, \\ and \xHH. The simulator stands apart from the program's
// libraries, so it reads them itself; a "\x" without two hex digits makes the line unusable.
std::string unescape(const std::string& text) {
    // The letters that name a control byte; after a backslash any other character stands for
    // itself.
    constexpr std::pair<char, char> kNamed[] = {{'r', '\r'}, {'n', '\n'}, {'t', '\t'}};
    auto hexByte = [&](std::size_t at) {
        if (at + 1 >= text.size() || !std::isxdigit(static_cast<unsigned char>(text[at])) ||
            !std::isxdigit(static_cast<unsigned char>(text[at + 1])))
            throw std::invalid_argument(text);
        return static_cast<char>(std::stoi(text.substr(at, 2), nullptr, 16));
    };
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 >= text.size()) {
            out += text[i];
        } else if (text[++i] == 'x') {
            out += hexByte(i + 1);
            i += 2;
        } else {
            const auto* named =
                std::find_if(std::begin(kNamed), std::end(kNamed),
                             [&](const auto& pair) { return pair.first == text[i]; });
            out += named != std::end(kNamed) ? named->second : text[i];
        }
    }
    return out;
}

// The two halves of "A<separator>B"; throws std::invalid_argument(`form`) without the separator.
std::pair<std::string, std::string> splitPair(const std::string& text, char separator,
                                              const char* form) {
    const std::size_t at = text.find(separator);
    if (at == std::string::npos)
        throw std::invalid_argument(form);
    return {text.substr(0, at), text.substr(at + 1)};
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

// The faults steered from standard input, each active while its object lives.
struct Faults {
    std::unique_ptr<omni::sim::StalledLine> line;  // made before any program opens the device
    std::unique_ptr<omni::sim::Flood> flood;
    std::unique_ptr<omni::sim::Drip> drip;
};
Faults gFaults;

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
    else if (verb == "stall" && rest == "full")
        gFaults.line->fill();
    else if (verb == "stall")
        reader.setStalled(rest != "off");
    else if (verb == "flood")
        gFaults.flood = rest == "off" ? nullptr : std::make_unique<omni::sim::Flood>(reader);
    else if (verb == "drip")
        gFaults.drip = rest == "off" ? nullptr
                                     : std::make_unique<omni::sim::Drip>(
                                           reader, "garbage", std::chrono::milliseconds(100));
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
    omni::sim::OutputSettings imaging;
    omni::sim::FirmwareFaults faults;
    omni::sim::FirmwareRestart restart;
    bool bootLoader = false;
    std::string savePath;  // where received firmware is written when a download ends
    std::optional<std::string> dataEditTest;  // sent after each stored data edit program
    std::optional<std::string> gs1Sample;     // sent after the GS1 start command
    int tuneSuccess = 0;                      // the attempt on which tuning finds the code
    bool waveform = false;                    // a waveform stream while reading
};

// The firmware options; false when `option` is none of them.
bool parseFirmwareOption(const std::string& option, const std::function<std::string()>& value,
                         Options& options) {
    if (option == "--boot-loader")
        options.bootLoader = true;
    else if (option == "--refuse-block") {
        const std::string v = value();
        const std::size_t colon = v.find(':');
        const int times = colon == std::string::npos ? 4 : std::stoi(v.substr(colon + 1));
        options.faults.refuseBlock[static_cast<std::uint16_t>(std::stoul(v.substr(0, colon)))] =
            times;
    } else if (option == "--answer-delay")
        options.faults.answerDelay = std::chrono::milliseconds(std::stoul(value()));
    else if (option == "--write-error")
        options.faults.writeError = true;
    else if (option == "--no-end-answer")
        options.faults.noEndAnswer = true;
    else if (option == "--nak-storm")
        options.faults.nakStorm = std::stoi(value());
    else if (option == "--hangup-after-blocks")
        options.faults.hangUpAfterBlocks = std::stoul(value());
    else if (option == "--restart") {
        const std::string v = value();
        if (v != "quiet" && v != "replug")
            throw std::invalid_argument("--restart quiet|replug");
        options.restart.kind =
            v == "quiet" ? omni::sim::RestartKind::Quiet : omni::sim::RestartKind::Replug;
    } else if (option == "--restart-pause")
        options.restart.pause = std::chrono::milliseconds(std::stoul(value()));
    else if (option == "--restart-9600")
        options.restart.only9600 = true;
    else if (option == "--version-after")
        options.restart.versionAfter = value();
    else if (option == "--save-firmware")
        options.savePath = value();
    else
        return false;
    return true;
}

// Reads the options into `options` and `reader`; throws std::invalid_argument on a bad one.
void parseOptions(int argc, char** argv, Options& options, SimulatedReader& reader,
                  omni::sim::CaptureResponder& capture) {
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
            const auto [name, version] = splitPair(value(), ':', "--model NAME:VERSION");
            options.reply = replies::model(name, version);
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
        else if (option == "--tune-success")
            options.tuneSuccess = std::stoi(value());
        else if (option == "--waveform")
            options.waveform = true;
        else if (option == "--dataedit-test")
            options.dataEditTest = unescape(value());
        else if (option == "--gs1-sample")
            options.gs1Sample = unescape(value());
        else if (option == "--picture") {
            const auto [width, height] = splitPair(value(), 'x', "--picture WxH");
            capture.setPictureSize(std::stoi(width), std::stoi(height));
        } else if (option == "--bits")
            options.imaging.bits = std::stoi(value());
        else if (option == "--jpeg")
            options.imaging.format = 1;
        else if (option == "--whole")
            options.imaging.whole = true;
        else if (option == "--corrupt-block") {
            const auto [block, times] = splitPair(value(), ':', "--corrupt-block I:N");
            capture.corruptBlock(std::stoul(block), std::stoi(times));
        } else if (option == "--line-rate")
            capture.setLineRate(std::stoul(value()));
        else if (option == "--error-report")
            capture.setErrorReport(std::stoi(value()));
        else if (option == "--shot-hangup-after")
            capture.hangUpAfterBlocks(std::stoul(value()));
        else if (!parseFirmwareOption(option, value, options))
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
// standard input has ended.
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

// Writes the firmware received to `path` each time a download ends.
class FirmwareSaver {
public:
    FirmwareSaver(omni::sim::FirmwareResponder& download, std::string path)
        : download_(download), path_(std::move(path)) {}
    void poll() {
        const auto ending = download_.ending();
        if (ending == last_)
            return;
        last_ = ending;
        if (!path_.empty() && !download_.saveFirmware(path_))
            std::cerr << "omnisetup-sim: cannot write " << path_ << "\n";
    }

private:
    omni::sim::FirmwareResponder& download_;
    std::string path_;
    omni::sim::FirmwareResponder::Ending last_ = omni::sim::FirmwareResponder::Ending::None;
};

// Serves until a signal or "quit", printing each command received once.
void serve(SimulatedReader& reader, FirmwareSaver& saver, bool quiet) {
    std::size_t shown = 0;
    std::string pending;
    while (!gStop) {
        pollfd p{STDIN_FILENO, POLLIN, 0};
        if (::poll(&p, 1, 100) > 0 && !readSteering(reader, pending)) {
            if (!pending.empty())
                steer(reader, pending);  // a last line without its line end
            gStop = 1;                   // the end of the steering input ends the run
        }
        const auto transcript = reader.transcript();
        for (; shown < transcript.size(); ++shown) {
            if (!quiet)
                std::cout << "> " << printable(transcript[shown]) << std::endl;
        }
        saver.poll();
        if (reader.hungUp() && !quiet) {
            std::cout << "hung up" << std::endl;
            quiet = true;
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    SimulatedReader reader;
    omni::sim::CaptureResponder& capture = *omni::sim::addImagingResponders(reader).capture;
    Options options;
    try {
        parseOptions(argc, argv, options, reader, capture);
    } catch (const std::exception& e) {
        std::cerr << "omnisetup-sim: " << e.what() << " (see --help)\n";
        return 2;
    }
    if (options.help) {
        std::cout << kUsage;
        return 0;
    }
    reader.setVersionReply(versionReply(options));
    capture.setSettings(options.imaging);
    options.restart.onReplugged = [](const std::string& path) {
        std::cout << "replugged " << path << std::endl;
    };
    auto firmware = std::make_unique<omni::sim::FirmwareResponder>(
        reader, options.faults, options.restart, options.bootLoader);
    FirmwareSaver saver(*firmware, options.savePath);
    reader.addResponder(std::move(firmware));
    auto dataEdit = std::make_unique<omni::sim::DataEditResponder>();
    if (options.dataEditTest)
        dataEdit->setTestSample(*options.dataEditTest);
    if (options.gs1Sample)
        dataEdit->setGS1Sample(*options.gs1Sample);
    reader.addResponder(std::move(dataEdit));
    omni::sim::addToolResponders(reader, options.waveform).setSuccessAttempt(options.tuneSuccess);

    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    gFaults.line = std::make_unique<omni::sim::StalledLine>(reader);
    reader.start();
    std::cout << reader.devicePath() << std::endl;
    serve(reader, saver, options.quiet);
    gFaults = {};
    reader.stop();
    return 0;
}
