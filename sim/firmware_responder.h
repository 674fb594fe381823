// The simulated reader's firmware download: both packet protocols of the engine, with the faults
// a field update meets, and the firmware received kept for comparison.
//
// Application protocol: "WD[X.ZZW" (or, in the boot loader, the first packet itself) starts it;
// 8198-byte packets are checked (declared length, checksum) and answered "NX"; "ED" is echoed and
// followed by the write phase ("EG", one "BE" per 64 KB, "FE"); "EB" aborts.
// XMODEM: "XLT" 0x0F is answered with ACK; "XO" starts the transfer with a NAK; 132-byte packets
// are checked (number, complement, checksum) and answered ACK or NAK; the byte 4 ends it with
// ACK and a result line; CAN aborts; "RV" restarts the engine.
//
// After a finished download the engine restarts when asked to: it keeps quiet for a moment (a
// plain serial line) or goes away and comes back as a new device (a USB reader), then answers
// "Z1" again, with a new version if one was given, and if asked only at 9600 baud.
//
// Threads: the protocol runs on the simulator's loop thread; the query functions may be called
// from any thread.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "sim/simulated_reader.h"

namespace omni::sim {

struct FirmwareFaults {
    std::map<std::uint16_t, int> refuseBlock{};  // block number -> how many tries are refused
    bool writeError = false;                     // "WE" instead of finishing the write phase
    bool noEndAnswer = false;                    // "ED" is never answered
    int nakStorm = 0;                            // XMODEM: NAKs before the first block's ACK
    std::size_t hangUpAfterBlocks = 0;           // hang up once this many blocks arrived (0: never)
    bool cancelAtStart = false;                  // XMODEM: CAN instead of the opening NAK
    std::chrono::milliseconds answerDelay{0};    // a slow engine: pause before taking a block
};

enum class RestartKind {
    None,    // stays as it is after the download
    Quiet,   // does not answer for a while, on the same line
    Replug,  // hangs up and comes back as a new device
};

struct FirmwareRestart {
    RestartKind kind = RestartKind::None;
    std::chrono::milliseconds pause{300};
    bool only9600 = false;     // afterwards answers "Z1" only at 9600 baud
    std::string versionAfter;  // the version reply afterwards (empty: unchanged)
    // Replug: told the new device path once the device is back (on a helper thread).
    std::function<void(const std::string& path)> onReplugged;
};

class FirmwareResponder : public Responder, public RawReceiver {
public:
    enum class Ending { None, Finished, Aborted, Cancelled, WriteError, Unanswered, HungUp };

    // `bootLoader`: the engine sits in its boot loader: it does not answer "Z1" and takes
    // application packets without a start command.
    FirmwareResponder(SimulatedReader& reader, FirmwareFaults faults = {},
                      FirmwareRestart restart = {}, bool bootLoader = false);
    ~FirmwareResponder() override;

    bool handle(std::string_view command, SimulatedReader& reader) override;
    std::size_t receive(std::string_view bytes, SimulatedReader& reader) override;

    // The firmware received so far: every accepted block's 8192 (or 128) data bytes in order.
    std::string firmware() const;
    // Writes firmware() to `path`; false when it cannot be written.
    bool saveFirmware(const std::string& path) const;

    struct Packet {
        std::uint16_t number = 0;
        std::uint16_t declared = 0;   // application: the length field
        std::uint8_t complement = 0;  // XMODEM: the complement byte
        bool valid = false;           // the checks passed
        unsigned lineSpeed = 0;       // the baud rate of the line when it arrived
    };
    std::vector<Packet> packets() const;
    Ending ending() const;
    std::size_t attemptsRefused() const;
    // Waits until the download has ended one way or another; false on time-out.
    bool waitForEnding(std::chrono::milliseconds timeout) const;

private:
    std::size_t receiveApplication(std::string_view bytes, SimulatedReader& reader);
    std::size_t receiveXmodem(std::string_view bytes, SimulatedReader& reader);
    void takeApplicationPacket(SimulatedReader& reader);
    void takeXmodemPacket(SimulatedReader& reader);
    void takeControlPacket(SimulatedReader& reader);
    void runWritePhase(SimulatedReader& reader);
    bool acceptBlock(std::uint16_t number, std::string_view data, SimulatedReader& reader);
    void end(Ending ending, SimulatedReader& reader);
    void restartEngine(SimulatedReader& reader);
    bool answersVersion(SimulatedReader& reader);

    enum class Mode { Commands, Application, Xmodem };

    SimulatedReader& reader_;
    FirmwareFaults faults_;
    FirmwareRestart restart_;
    bool bootLoader_;
    Mode mode_ = Mode::Commands;
    std::string pending_;         // bytes of the packet being received
    bool skippingFrame_ = false;  // boot loader: a command frame before the first packet
    std::uint8_t nextXmodem_ = 1;
    std::chrono::steady_clock::time_point quietUntil_{};
    bool restarted_ = false;
    std::thread replug_;

    mutable std::mutex mutex_;  // guards everything below
    mutable std::condition_variable ended_;
    std::string firmware_;
    std::vector<Packet> packets_;
    std::size_t refused_ = 0;
    Ending ending_ = Ending::None;
};

}  // namespace omni::sim
