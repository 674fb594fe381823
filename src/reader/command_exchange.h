// The path by which a command reaches a connected reader, and the rules that decide whether a
// picked command is sent at once or placed on a menu-code page.
//
// On the wire a command is one frame: ESC (0x1B), the command bytes as they stand, CR (0x0D). No
// reply is awaited; whatever the reader answers reaches the communication log through the port's
// receive thread. All calls belong to the user-interface thread (or the tool's own thread).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "commands/page_item.h"
#include "module/kes_sdk.h"
#include "stream/stream.h"

namespace omni::reader {

// Longest command text a frame carries; 1023 bytes or more are refused with
// KES_STATE_TOO_LONG_SEND_COMMAND.
inline constexpr std::size_t kMaxCommandLength = 1022;

// ESC, the command, CR. Throws KesException(KES_STATE_TOO_LONG_SEND_COMMAND) for a command that
// is too long.
std::string frameCommand(std::string_view command);

// --- What happens to a picked item ---

enum class SubmitAction {
    Send,       // echo ">" and the command in the log, then sendCommand()
    Drop,       // connected in 1D mode: a setting that expects digit codes; no message
    AddToPage,  // append to the current menu-code page (after opening one when openPage is set)
    Refuse,     // show message refusalMessageId; nothing is added (a page is still opened first)
};

struct SubmitContext {
    bool connected = false;
    bool menuCodePageCurrent = false;
    bool twoDimensionalMode = true;
    bool fromCommandBox = false;  // typed text: no 1D drop and no refusal
};

struct SubmitDecision {
    SubmitAction action = SubmitAction::AddToPage;
    bool openPage = false;  // open a new menu-code page and make it current first
    std::uint32_t refusalMessageId = 0;
};

SubmitDecision decideSubmit(const commands::PageItem& item, const SubmitContext& context);

// Writes the echo of a sent command into a log chain: a new line, ">" and the command, a new
// line. `Log` is the communication log chain (endOfLine() and asciiStream()).
template <typename Log>
void echoCommand(Log& log, std::string_view command) {
    static constexpr char kPrompt = '>';
    log.endOfLine();
    log.asciiStream().put(&kPrompt);
    log.asciiStream().write(command.data(), command.size());
    log.endOfLine();
}

// --- The exchange with the connected reader ---

// What the tuning-tool gate opens; the desktop program implements it with its dialogs.
class TuningToolHost {
public:
    virtual ~TuningToolHost() = default;
    virtual void autoTuning(bool open) = 0;
    virtual void readingVerification(bool open) = 0;
    // An information message box over the main window.
    virtual void notSupported(std::u16string_view text, std::u16string_view caption) = 0;
};

class CommandExchange {
public:
    // The tools that switch the reader's ACK/NAK mode, each with its own nesting counter.
    enum class Tool { ReadingTest = 0, ReadingPerformance = 1, AutoTuning = 2 };
    // Control frames the waveform viewer link asks for.
    enum class DirectRequest { First, Second, Third };

    // `port` is the connection (not owned); it outlives the exchange.
    explicit CommandExchange(stream::Communicator<char>& port) : port_(port) {}

    // The module identified on the port (0 or -1: none). Commands go through the module library
    // when one is set, straight to the port with the same frame otherwise.
    void setModule(KesHandle module) { module_ = module; }
    KesHandle module() const { return module_; }
    bool connected() { return port_.isOpen(); }

    // Sends one command frame. Throws KesException for a refused or failed send, and the port's
    // exceptions when the reader has gone.
    void sendCommand(std::string_view command);

    // ACK/NAK mode: on sends "WC", off "WD"; the counters record the nesting.
    void setAckNak(Tool tool, bool on);
    unsigned ackNakCount(Tool tool) const { return ackNak_[static_cast<int>(tool)]; }

    // Swallows what the reader still sends by switching ACK mode on and reading up to each ACK;
    // true after 26 acknowledged "WD"s, false when a read or a send failed (a last "WD" is sent).
    bool probeAck();

    // Writes the control frame of a waveform-viewer request straight to the port.
    void directControl(DirectRequest request, int value);

    // The model gate of the tuning tools, from the module's firmware version and (for "BA"
    // engines) the configuration query. The caller stops the port's receive thread before
    // calling with open true.
    void gateTuningTool(bool open, TuningToolHost& host);

private:
    stream::Communicator<char>& port_;
    KesHandle module_ = KES_INVALID_HANDLE;
    unsigned ackNak_[3] = {0, 0, 0};
};

}  // namespace omni::reader
