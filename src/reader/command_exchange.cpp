#include "reader/command_exchange.h"

#include <cstring>

#include "foundation/control_chars.h"
#include "foundation/exception.h"
#include "reader/model_gate.h"
#include "reader/module_host.h"
#include "resources/string_ids.h"
#include "resources/strings.h"

namespace omni::reader {
namespace {

constexpr int kProbeAcknowledgedWd = 26;
constexpr std::string_view kConfigurationQuery = "[X.Z[F3G[X.Z";

// Settings that expect digit barcodes to be scanned after them; a 1D reader cannot take them
// over the line.
bool expectsScannedDigits(std::string_view bytes) {
    return bytes == "H1" || bytes == "HK" || bytes == "HL" || bytes == "HM";
}

}  // namespace

std::string frameCommand(std::string_view command) {
    if (command.size() > kMaxCommandLength)
        throw foundation::KesException(KES_STATE_TOO_LONG_SEND_COMMAND);
    std::string frame;
    frame.reserve(command.size() + 2);
    frame += foundation::kEsc;
    frame += command;
    frame += foundation::kCr;
    return frame;
}

SubmitDecision decideSubmit(const commands::PageItem& item, const SubmitContext& context) {
    SubmitDecision decision;
    if (!context.menuCodePageCurrent && context.connected) {
        bool drop = !context.twoDimensionalMode && !context.fromCommandBox &&
                    expectsScannedDigits(item.bytes);
        decision.action = drop ? SubmitAction::Drop : SubmitAction::Send;
        return decision;
    }
    decision.openPage = !context.menuCodePageCurrent;
    bool loneZ2 = item.count == 1 && item.bytes.compare(0, 2, "Z2") == 0;
    if (loneZ2 && !context.fromCommandBox) {
        decision.action = SubmitAction::Refuse;
        decision.refusalMessageId = res::ids::NoZ2OnMenuCode;
    } else {
        decision.action = SubmitAction::AddToPage;
    }
    return decision;
}

void CommandExchange::sendCommand(std::string_view command) {
    if (command.size() > kMaxCommandLength)
        throw foundation::KesException(KES_STATE_TOO_LONG_SEND_COMMAND);
    if (module_ != KES_INVALID_HANDLE && module_ != 0) {
        KesSendCommand(module_, command.data(), static_cast<std::uint32_t>(command.size()));
        throwIfModuleFailed();
        return;
    }
    if (!port_.isOpen())
        throw foundation::KesException(KES_STATE_SERIAL_PORT_IS_CLOSED);
    std::string frame = frameCommand(command);
    port_.write(frame.data(), frame.size());
}

void CommandExchange::setAckNak(Tool tool, bool on) {
    unsigned& count = ackNak_[static_cast<int>(tool)];
    if (on) {
        ++count;
        sendCommand("WC");
    } else {
        if (count > 0)
            --count;
        sendCommand("WD");
    }
}

bool CommandExchange::probeAck() {
    try {
        sendCommand("WC");
        for (int acknowledged = 0;;) {
            char byte = 0;
            do {
                port_.get(&byte);
            } while (byte != foundation::kAck);
            sendCommand("WD");
            if (++acknowledged == kProbeAcknowledgedWd)
                return true;
        }
    } catch (const foundation::Exception&) {
        try {
            sendCommand("WD");
        } catch (const foundation::Exception&) {
            // The reader is gone or stalled; the probe has failed either way.
        }
        return false;
    }
}

void CommandExchange::directControl(DirectRequest request, int value) {
    std::string frame;
    switch (request) {
        case DirectRequest::First:
            if (value < 0 || value > 2)
                return;
            frame = std::string{foundation::kEsc} + "[EGFQ" + static_cast<char>('0' + value) +
                    foundation::kCr;
            break;
        case DirectRequest::Second:
            frame = std::string{foundation::kEsc} + (value == 0 ? "Y" : "Z") + foundation::kCr;
            break;
        case DirectRequest::Third:
            frame = std::string{foundation::kEsc} + (value == 0 ? ".W" : ".V") + foundation::kCr;
            break;
    }
    port_.write(frame.data(), frame.size());
}

void CommandExchange::gateTuningTool(bool open, TuningToolHost& host) {
    if (module_ == KES_INVALID_HANDLE || module_ == 0)
        return;
    const char* text = KesGetFirmwareVersion(module_);
    if (!text || !*text)
        return;
    std::string version(text, strnlen(text, 32));

    auto refuse = [&] {
        host.notSupported(res::loadString(res::ids::NotSupportedText),
                          res::loadString(res::ids::NotSupportedCaption));
    };
    switch (routeForVersion(version)) {
        case GateRoute::Ignore:
            return;
        case GateRoute::ReadingVerification:
            host.readingVerification(open);
            return;
        case GateRoute::NotSupported:
            if (open)
                refuse();
            return;
        case GateRoute::CheckConfiguration:
            break;
    }
    if (open) {
        char reply[kConfigurationLength + 1] = {};
        try {
            sendCommand(kConfigurationQuery);
            port_.read(reply, kConfigurationLength);
        } catch (const foundation::Exception&) {
            // A short or missing reply: the reader does not count as supported.
        }
        probeAck();
        bool supported = false;
        for (std::string_view accepted : kSupportedConfigurations) {
            if (std::memcmp(reply, accepted.data(), kConfigurationLength) == 0)
                supported = true;
        }
        if (!supported) {
            refuse();
            return;
        }
    }
    host.autoTuning(open);
}

}  // namespace omni::reader
