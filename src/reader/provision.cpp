#include "reader/provision.h"

#include "foundation/control_chars.h"
#include "reader/command_exchange.h"
#include "resources/string_ids.h"
#include "resources/strings.h"

namespace omni::reader {
namespace {

using Clock = std::chrono::steady_clock;

enum class Answer { Ack, Nak };

// Waits for the next ACK or NAK, passing over anything else the reader sends. Throws the port's
// time-out, cancel and loss exceptions.
Answer awaitAnswer(serial::SerialPortForPosix& port, unsigned timeoutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0)
            throw foundation::KesException(KES_STATE_COMMUNICATION_TIMEOUT);
        port.waitForData(static_cast<unsigned>(left.count()));
        char byte = 0;
        port.read(&byte, 1);
        if (byte == foundation::kAck)
            return Answer::Ack;
        if (byte == foundation::kNak)
            return Answer::Nak;
    }
}

bool isTimeout(const foundation::Exception& e) {
    const auto* kes = dynamic_cast<const foundation::KesException*>(&e);
    return kes && kes->state() == KES_STATE_COMMUNICATION_TIMEOUT;
}

bool isCancel(const foundation::Exception& e) {
    const auto* kes = dynamic_cast<const foundation::KesException*>(&e);
    return kes && kes->state() == KES_STATE_CANCELED;
}

// One reader's run once it is connected: the optional switch to ACK mode, the commands, and the
// switch back. Failures come out as exceptions; `result` keeps the counts so far.
class Run {
public:
    Run(serial::SerialPortForPosix& port, const ProvisionRequest& request, ProvisionResult& result,
        const ProvisionListener& listener, ProvisionCancel& cancel)
        : port_(port),
          request_(request),
          result_(result),
          listener_(listener),
          cancel_(cancel),
          exchange_(port) {}

    void setModule(KesHandle module) { exchange_.setModule(module); }

    void sendAll() {
        if (request_.verify)
            enterAckMode();
        for (std::size_t i = 0; i < request_.commands.size() && !cancel_.cancelled(); ++i) {
            sendOne(i);
            report(ProvisionProgress::Stage::Sending);
        }
        if (request_.verify)
            leaveAckMode();
    }

    // After a failure in ACK mode: the reader is asked to leave it, whatever it answers.
    void leaveAckModeQuietly() {
        // A cancel may still be pending on the port: it ends the first wait, not the second.
        int cancels = 0;
        try {
            if (ackMode_)
                send("WD");
            ackMode_ = false;
            // Every answer still owed is read, so that the reader has left ACK mode when the
            // port closes.
            while (unanswered_ > 0) {
                try {
                    answer();
                } catch (const foundation::Exception& e) {
                    if (!isCancel(e) || ++cancels > 1)
                        throw;
                }
            }
        } catch (const foundation::Exception&) {
            // The run has already failed or been cancelled; the reader may be gone.
        }
    }

    void report(ProvisionProgress::Stage stage) {
        if (listener_)
            listener_({stage, result_.sent, result_.acknowledged, result_.total});
    }

private:
    // Sends a command; in ACK mode its answer is owed until answer() reads it.
    void send(std::string_view command) {
        exchange_.sendCommand(command);
        if (ackMode_)
            ++unanswered_;
    }
    Answer answer() {
        const Answer got = awaitAnswer(port_, request_.ackTimeoutMs);
        if (unanswered_ > 0)
            --unanswered_;
        return got;
    }

    void enterAckMode() {
        ackMode_ = true;
        send("WC");
        try {
            answer();
        } catch (const foundation::Exception& e) {
            if (!isTimeout(e))
                throw;
            result_.failure = res::formatUtf8(res::ids::ProvisionNoAckMode, {request_.label});
            result_.failureKind = FailureKind::NoAnswer;
            throw;
        }
    }

    void sendOne(std::size_t index) {
        const std::string& command = request_.commands[index];
        send(command);
        ++result_.sent;
        if (!request_.verify)
            return;
        try {
            if (answer() == Answer::Ack)
                ++result_.acknowledged;
            else
                ++result_.refused;
        } catch (const foundation::Exception& e) {
            if (isTimeout(e)) {
                result_.failure = res::formatUtf8(
                    res::ids::ProvisionNoAck, {request_.label, std::to_string(index + 1), command});
                result_.failureKind = FailureKind::NoAnswer;
            }
            throw;
        }
    }

    void leaveAckMode() {
        if (cancel_.cancelled()) {
            leaveAckModeQuietly();
            return;
        }
        send("WD");
        ackMode_ = false;
        try {
            answer();
        } catch (const foundation::Exception& e) {
            // Every command was acknowledged; a reader that leaves ACK mode without a word has
            // still taken them.
            if (!isTimeout(e))
                throw;
        }
    }

    serial::SerialPortForPosix& port_;
    const ProvisionRequest& request_;
    ProvisionResult& result_;
    const ProvisionListener& listener_;
    ProvisionCancel& cancel_;
    CommandExchange exchange_;
    bool ackMode_ = false;
    int unanswered_ = 0;  // commands sent in ACK mode whose ACK or NAK has not been read
};

void closeQuietly(serial::SerialPortForPosix& port) {
    try {
        port.close();
    } catch (const foundation::Exception&) {
        // The result already says whether the commands went through.
    }
}

void finish(ProvisionResult& result, const ProvisionRequest& request, ProvisionCancel& cancel,
            Clock::time_point started) {
    result.elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - started);
    if (cancel.cancelled()) {
        result.cancelled = true;
        if (result.failure.empty())
            result.failure = res::formatUtf8(res::ids::ProvisionCancelled, {request.label});
        return;
    }
    if (result.failure.empty() && result.refused > 0) {
        result.failure = res::formatUtf8(
            res::ids::ProvisionRefused,
            {request.label, std::to_string(result.refused), std::to_string(result.total)});
        result.failureKind = FailureKind::Link;
    }
}

}  // namespace

void ProvisionCancel::attach(serial::SerialPortForPosix* port) {
    std::lock_guard lock(mutex_);
    port_ = port;
    if (port && cancelled_.load())
        port->cancelWait();
}

void ProvisionCancel::cancel() {
    std::lock_guard lock(mutex_);
    cancelled_.store(true);
    if (port_)
        port_->cancelWait();
}

ProvisionResult provisionReader(serial::SerialPortForPosix& port, const ProvisionRequest& request,
                                const ProvisionListener& listener, ProvisionCancel& cancel) {
    const auto started = Clock::now();
    ProvisionResult result;
    result.label = request.label;
    result.total = request.commands.size();
    result.verified = request.verify;
    Run run(port, request, result, listener, cancel);
    run.report(ProvisionProgress::Stage::Connecting);

    cancel.attach(&port);
    Connection connection = connectReader(port, request.device, request.keyPath, request.label);
    if (connection.ok() && connection.identity.firmware.empty()) {
        // A reader without a firmware version kept quiet (or sits in its boot loader): nothing
        // sent to it would be taken.
        connection.failure = linkFailureMessage(
            request.label, foundation::KesException(KES_STATE_COMMUNICATION_TIMEOUT));
        connection.failureKind = FailureKind::NoAnswer;
    }
    if (!connection.ok()) {
        result.failure = connection.failure;
        result.failureKind = connection.failureKind;
        connection.module.reset();
        closeQuietly(port);
    } else if (!cancel.cancelled()) {
        result.identity = connection.identity;
        run.setModule(connection.module.get());
        try {
            run.sendAll();
        } catch (const foundation::Exception& e) {
            if (result.failure.empty() && !isCancel(e)) {
                result.failure = linkFailureMessage(request.label, e);
                result.failureKind = failureKindOf(e, false);
            }
            run.leaveAckModeQuietly();
        }
        connection.module.reset();
        closeQuietly(port);
    } else {
        connection.module.reset();
        closeQuietly(port);
    }
    cancel.attach(nullptr);
    finish(result, request, cancel, started);
    run.report(ProvisionProgress::Stage::Finished);
    return result;
}

}  // namespace omni::reader
