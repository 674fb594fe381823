// Identification: ask the engine for its version with ESC "Z1" CR and pick the family from the
// beginning of the reply line.
#include <cstdlib>
#include <new>
#include <string>
#include <string_view>

#include "module/engines.h"

namespace kes {
namespace {

constexpr std::uint32_t kAnswerWaitMs = 5000;
constexpr std::uint32_t kReplyLineMax = 80;    // first reply line, bytes read up to CR
constexpr std::uint32_t kFollowLineMax = 32;   // lines after a "Model" line
constexpr std::size_t kMarkerValueLength = 7;  // version characters after "ENG:" or "AP:"
constexpr std::size_t kModelValueExamined = 80;

enum class Family { None, A, AD, B, C, L };

bool startsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

std::string readLine(SerialPortForModule& port, std::uint32_t max) {
    char buffer[kReplyLineMax + 1];
    std::uint32_t n = port.readUntil(buffer, max, '\r');
    return std::string(buffer, n);
}

// Drops everything before the first printable character (a leftover ETB, a stray LF).
std::string_view dropLeadingControls(std::string_view line) {
    std::size_t i = 0;
    while (i < line.size() && (static_cast<unsigned char>(line[i]) < 32 ||
                               static_cast<unsigned char>(line[i]) > 126)) {
        ++i;
    }
    return line.substr(i);
}

// A family code sent as UTF-16: "B", 0, letter, 0 once the leading zero of the big-endian form
// has gone with the control bytes. Such a line keeps every second byte.
std::string narrowIfWide(std::string_view line) {
    bool wide = line.size() >= 4 && line[0] == 'B' && line[1] == 0 && line[2] != 0 && line[3] == 0;
    if (!wide)
        return std::string(line);
    std::string narrow;
    for (std::size_t i = 0; i < line.size(); i += 2) {
        if (line[i] == 0)
            break;
        narrow += line[i];
    }
    return narrow;
}

// The value of a "key=value" line: the text after "=", spaces removed.
std::string valueOf(std::string_view line, std::size_t examined) {
    line = line.substr(0, examined);
    std::size_t eq = line.find('=');
    std::string value;
    if (eq == std::string_view::npos)
        return value;
    for (char c : line.substr(eq + 1)) {
        if (c != ' ')
            value += c;
    }
    return value;
}

Family familyOfBd(std::string_view line) {
    std::string digits(line.substr(2));
    long number = std::strtol(digits.c_str(), nullptr, 10);
    return number < 49 ? Family::B : Family::C;
}

Kes2DTwoDimensionModule* make(Family family, SerialPortForModule& port, std::string_view version,
                              std::string_view model) {
    switch (family) {
        case Family::A:
            return new (std::nothrow) EngineA(&port, version, model);
        case Family::AD:
            return new (std::nothrow) EngineAD(&port, version, model);
        case Family::B:
            return new (std::nothrow) EngineB(&port, version, model);
        case Family::C:
            return new (std::nothrow) EngineC(&port, version, model);
        case Family::L:
            return new (std::nothrow) EngineL(&port, version, model);
        case Family::None:
            break;
    }
    return nullptr;
}

// "Ver." replies carry the engine's version after "ENG:" (or, failing that, "AP:").
Kes2DTwoDimensionModule* fromVersionReply(SerialPortForModule& port, std::string_view line) {
    std::size_t at = line.find("ENG:");
    std::size_t markerLength = 4;
    if (at == std::string_view::npos) {
        at = line.find("AP:");
        markerLength = 3;
    }
    if (at == std::string_view::npos)
        return nullptr;  // no module; the status stays as it is
    std::string_view version = line.substr(at + markerLength, kMarkerValueLength);
    Family family = Family::A;
    if (startsWith(version, "TC") || startsWith(version, "TM")) {
        family = Family::L;
    } else if (startsWith(version, "BD")) {
        family = Family::B;
    }
    return make(family, port, version, "KVT");
}

// "Model=<name>" followed by "<key>=<version>" and more lines that are read and dropped.
Kes2DTwoDimensionModule* fromModelReply(SerialPortForModule& port, std::string_view line) {
    std::string model = valueOf(line, kModelValueExamined);
    std::string version = valueOf(readLine(port, kFollowLineMax), kFollowLineMax);
    bool readFailed = status() != KES_STATE_SUCCESS;

    Family family = Family::None;
    if (model == "Q-40" || model == "TXR-5000") {
        family = Family::L;
    } else {
        for (std::string_view prefix : {"TC", "TM", "TS", "TF", "DA"}) {
            if (startsWith(version, prefix))
                family = Family::L;
        }
    }
    if (!readFailed) {
        int remaining = model == "Q-40" ? 1 : 3;
        for (int i = 0; i < remaining && status() == KES_STATE_SUCCESS; ++i) {
            readLine(port, kFollowLineMax);
        }
        // The trailing lines are only drained; a reader that sends fewer is still identified.
        setStatus(KES_STATE_SUCCESS);
    }
    if (readFailed)
        return nullptr;
    return make(family, port, version, model);
}

}  // namespace

Kes2DTwoDimensionModule* identify(SerialPortForModule& port) {
    const std::uint8_t request[] = {0x1B, 'Z', '1', '\r'};
    if (!port.write(request, sizeof request))
        return nullptr;

    port.waitForData(kAnswerWaitMs);
    KesState waited = status();
    if (waited == KES_STATE_COMMUNICATION_TIMEOUT) {
        // Silence: the engine is assumed to sit in its boot loader.
        setStatus(KES_STATE_SUCCESS);
        return new (std::nothrow) EngineAInvalid(&port, "", "");
    }
    if (waited != KES_STATE_SUCCESS)
        return nullptr;

    std::string raw = readLine(port, kReplyLineMax);
    if (status() != KES_STATE_SUCCESS)
        return nullptr;
    std::string line = narrowIfWide(dropLeadingControls(raw));

    if (startsWith(line, "BA"))
        return make(Family::A, port, line, "");
    if (startsWith(line, "BD"))
        return make(familyOfBd(line), port, line, "");
    if (startsWith(line, "BFM"))
        return make(Family::L, port, line, "");
    if (startsWith(line, "BF"))
        return make(Family::C, port, line, "");
    if (startsWith(line, "FA"))
        return make(Family::B, port, line, "");
    if (startsWith(line, "FL"))
        return make(Family::AD, port, line, "");
    if (startsWith(line, "Ver."))
        return fromVersionReply(port, line);
    if (startsWith(line, "Model"))
        return fromModelReply(port, line);
    setStatus(KES_STATE_CREATE_HANDLE_FAILURE);
    return nullptr;
}

}  // namespace kes
