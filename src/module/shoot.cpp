// Capture requests of the families that capture, and their image output settings.
#include <cstdio>
#include <memory>
#include <new>
#include <string>

#include "module/capture.h"
#include "module/engines.h"

namespace kes {
namespace {

constexpr std::uint32_t kSettingsWaitMs = 1000;
constexpr std::uint32_t kSettingsLine = 128;
constexpr std::uint32_t kReplyWaitMs = 10000;  // request 13: the engine's one-line answer
constexpr std::uint32_t kReplyLine = 24;
constexpr std::uint32_t kTriggerTickMs = 1000;
constexpr std::uint32_t kAfterTriggerMs = 100;
constexpr std::int32_t kDefaultRequest = 13;

// Appends a numeric parameter as "Q" and one digit per digit, most significant first.
void appendDigits(std::string& command, std::int32_t value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "%0*d", digits, value < 0 ? 0 : value);
    for (const char* p = text; *p; ++p) {
        command += 'Q';
        command += *p;
    }
}

// The command of a capture request (0 to 15), or "" for any other request.
std::string requestCommand(std::int32_t request, std::int32_t parameter, std::int32_t seconds) {
    std::string command;
    if (request == 0) {
        command = "[DE1";
    } else if (request >= 1 && request <= 8) {
        command = "[DE1Q" + std::to_string(request - 1);
    } else if (request == 9) {
        command = "[DE1Q1Q0";
    } else if (request >= 10 && request <= 12) {
        command = "[DE8Q" + std::to_string(request - 9);
        appendDigits(command, seconds, 3);
    } else if (request == 13) {
        command = "[DE0[DE1";
    } else if (request == 14 || request == 15) {
        command = "[DE1";
        appendDigits(command, parameter, request == 14 ? 3 : 4);
    }
    return command;
}

}  // namespace

ImageOutputProperty* EngineA::newOutputProperty() const {
    return new (std::nothrow) ImageOutputProperty;
}

ImageOutputProperty* EngineB::newOutputProperty() const {
    return new (std::nothrow) ImageOutputProperty_B;
}

ImageOutputProperty* EngineC::newOutputProperty() const {
    return new (std::nothrow) ImageOutputProperty_C;
}

// "[DE6", then one line up to CR parsed into a property object of this family's class.
ImageOutputProperty* EngineA::readOutputSettings() {
    sendCommand("[DE6", 4);
    if (status() != KES_STATE_SUCCESS)
        return nullptr;
    port_->waitForData(kSettingsWaitMs);
    if (status() != KES_STATE_SUCCESS)
        return nullptr;
    char line[kSettingsLine + 1];
    port_->readUntil(line, sizeof line, '\r');
    if (status() != KES_STATE_SUCCESS)
        return nullptr;
    std::unique_ptr<ImageOutputProperty> property(newOutputProperty());
    if (!property) {
        setStatus(KES_STATE_CREATE_HANDLE_FAILURE);
        return nullptr;
    }
    if (!parseOutputSettings(line, property->fields())) {
        setStatus(KES_STATE_COMMUNICATION_FAILURE);
        return nullptr;
    }
    return property.release();
}

KesHandle EngineA::readOutputProperty() {
    ImageOutputProperty* property = readOutputSettings();
    return property ? publish(property) : KES_INVALID_HANDLE;
}

void EngineA::writeOutputProperty(KesObject* object) {
    auto* property = dynamic_cast<ImageOutputProperty*>(object);
    if (!property) {
        setStatus(KES_STATE_INVALID_HANDLE_VALUE);
        return;
    }
    const std::string command = property->writeCommand();
    sendCommand(command.data(), static_cast<std::uint32_t>(command.size()));
}

KesHandle EngineA::shoot(ShootProgressInterface* progress) {
    if (!capturesImages()) {
        notSupported();
        return KES_INVALID_HANDLE;
    }
    request_ = kDefaultRequest;
    return capture(progress);
}

KesHandle EngineA::shootWithMode(std::int32_t kind, std::int32_t seconds,
                                 ShootProgressInterface* progress) {
    // Kind 0 is the default request, 1 to 3 the trigger requests 10 to 12.
    if (!capturesImages() || kind < 0 || kind > 3) {
        notSupported();
        return KES_INVALID_HANDLE;
    }
    request_ = kind == 0 ? kDefaultRequest : 9 + kind;
    triggerSeconds_ = seconds;
    return capture(progress);
}

KesHandle EngineA::shootWithCommand(std::int32_t request, ShootProgressInterface* progress) {
    if (!capturesImages()) {
        notSupported();
        return KES_INVALID_HANDLE;
    }
    request_ = request;
    requestParameter_ = 0;
    return capture(progress);
}

// Sends the stored request and waits for what must come before the transfer.
bool EngineA::sendRequest() {
    const std::string command = requestCommand(request_, requestParameter_, triggerSeconds_);
    if (command.empty()) {
        setStatus(KES_STATE_NO_IMAGE);
        return false;
    }
    sendCommand(command.data(), static_cast<std::uint32_t>(command.size()));
    if (status() != KES_STATE_SUCCESS)
        return false;
    if (request_ == kDefaultRequest) {
        port_->waitForData(kReplyWaitMs);
        char line[kReplyLine + 1];
        if (status() == KES_STATE_SUCCESS)
            port_->readUntil(line, sizeof line, '\r');
    }
    return status() == KES_STATE_SUCCESS;
}

// Requests 10 to 12: the engine waits for its trigger. The countdown runs once per second until
// data arrives or it reaches 0; a cancel ends it at the next tick. False when the shot ends here
// (cancelled: status 0 and CAN sent; failed: the status set).
bool EngineA::waitForTrigger(ShootProgressInterface* progress) {
    const ProgressReport report = reportOf(progress);
    std::int32_t count = triggerSeconds_ > 0 ? triggerSeconds_ : 0;
    report.stageRange(0, count + 1);
    report.stagePosition(count);
    while (count > 0) {
        if (cancelRequests_.load() != cancelSeen_) {
            port_->put(kCan);
            setStatus(KES_STATE_SUCCESS);
            return false;
        }
        const std::uint32_t queued = port_->waitForData(kTriggerTickMs);
        if (status() == KES_STATE_SUCCESS && queued > 0)
            break;
        if (status() != KES_STATE_COMMUNICATION_TIMEOUT && status() != KES_STATE_SUCCESS)
            return false;
        setStatus(KES_STATE_SUCCESS);
        --count;
        report.stagePosition(count);
    }
    if (port_->waitForData(kAfterTriggerMs) == 0 || status() != KES_STATE_SUCCESS) {
        if (status() == KES_STATE_SUCCESS)
            setStatus(KES_STATE_COMMUNICATION_TIMEOUT);
        sendAfterFailure(*port_, kCan);
        return false;
    }
    return true;
}

KesHandle EngineA::capture(ShootProgressInterface* progress) {
    cancelSeen_ = cancelRequests_.load();
    std::unique_ptr<ImageOutputProperty> settings(readOutputSettings());
    if (!settings)
        return KES_INVALID_HANDLE;
    const bool whole = settings->wholeTransfer() != 0;
    const ImageLimits limits{settings->maximumWidth(), settings->maximumHeight()};
    settings.reset();

    if (!sendRequest()) {
        if (request_ >= 0 && request_ <= 15)
            sendAfterFailure(*port_, kEtb);
        return KES_INVALID_HANDLE;
    }
    if (request_ >= 10 && request_ <= 12 && !waitForTrigger(progress)) {
        if (status() == KES_STATE_SUCCESS)
            return 0;  // cancelled while waiting for the trigger
        sendAfterFailure(*port_, kEtb);
        return KES_INVALID_HANDLE;
    }
    ImageReceiver receiver(*port_, progress, limits, cancelRequests_, cancelSeen_);
    ImageInfomation* image = whole ? receiver.receiveWhole() : receiver.receiveBlocks();
    if (!image)
        return status() == KES_STATE_SUCCESS ? 0 : KES_INVALID_HANDLE;
    return publish(image);
}

}  // namespace kes
