// The simulated engine's imaging: image output settings ("[DE6" reply, "[DE7" writes) and image
// captures for every request, block by block or whole, with faults a test can inject.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>

#include "sim/simulated_reader.h"

namespace omni::sim {

// What "[DE6" reports and "[DE7" changes. The capture follows it: bits and format choose the
// test picture's depth (or a JPEG), whole chooses the transfer.
struct OutputSettings {
    int trim[4] = {0, 0, 639, 479};
    int subSampling[2] = {1, 1};
    int bits = 8;
    int jpegQuality = 80;
    int format = 3;  // 1 JPEG, 3 BMP, anything else a format the host does not know
    bool whole = false;
    int flip[2] = {0, 0};
    int reverse = 0;

    std::string reply() const;  // ";Trim(...) ... Re0\r"
};

class CaptureResponder : public Responder {
public:
    bool handle(std::string_view command, SimulatedReader& reader) override;

    // --- Set-up (any thread) ---
    void setPictureSize(int width, int height);
    void setSettings(const OutputSettings& settings);
    OutputSettings settings() const;
    // Replaces the "[DE6" reply (CR added); empty restores the formatted one.
    void setSettingsReply(std::string reply);
    // Block `index` (0 is the header block) goes out with a bad checksum its first `times` times.
    void corruptBlock(std::size_t index, int times);
    // Every shot answers with an error report carrying `code` (-1: none).
    void setErrorReport(int code);
    // Bytes per second the line carries (0: as fast as the pty takes them).
    void setLineRate(std::size_t bytesPerSecond);
    // Hangs up after sending this many data blocks (0: never).
    void hangUpAfterBlocks(std::size_t blocks);
    // Requests 10 to 12: the trigger is pulled after this long.
    void setTriggerDelay(std::chrono::milliseconds delay);

    // --- What happened ---
    struct Outcome {
        std::size_t shots = 0;       // requests answered
        std::size_t naks = 0;        // in the last shot
        std::size_t blocksSent = 0;  // in the last shot, resent blocks included
        std::string ended;           // "complete", "cancelled" (CAN), "etb", "no answer", "hung up"
    };
    Outcome outcome() const;
    // Waits until `shots` shots have ended; false on time-out.
    bool waitForShots(std::size_t shots, std::chrono::milliseconds timeout) const;
    std::string lastSettingsCommand() const;

private:
    void answerSettings(SimulatedReader& reader);
    void applySettingsCommand(std::string_view command);
    void capture(std::string_view command, SimulatedReader& reader);
    bool sendPaced(SimulatedReader& reader, const std::string& bytes);
    std::string sendBlocks(SimulatedReader& reader, const std::string& header,
                           const std::string& data, std::size_t lineBytes);
    std::string sendWhole(SimulatedReader& reader, const std::string& payload);
    std::string sendErrorReport(SimulatedReader& reader, int code, bool whole);
    bool corruptNext(std::size_t index);
    void finish(const std::string& ended);

    mutable std::mutex mutex_;
    mutable std::condition_variable shotEnded_;
    OutputSettings settings_;
    std::string settingsReply_;
    std::string lastSettingsCommand_;
    int width_ = 640;
    int height_ = 480;
    std::map<std::size_t, int> corrupt_;
    int errorReport_ = -1;
    std::size_t lineRate_ = 0;
    std::size_t hangUpAfter_ = 0;
    std::chrono::milliseconds triggerDelay_{0};
    Outcome outcome_;
    std::size_t shotsEnded_ = 0;
};

// Receives a picture sent for the decoding test ("[DE0" with 10 + request in two digits, the
// 256-byte header, one block per line) and answers the test's "Z" with the decode result.
class PictureResponder : public Responder {
public:
    bool handle(std::string_view command, SimulatedReader& reader) override;

    // The text sent for "Z" while a test is armed (CR added).
    void setDecodeResult(std::string text);
    // Line `index` is refused (NAK) its first `times` times.
    void refuseLine(std::size_t index, int times);

    struct Received {
        int width = 0;  // bytes per line
        int lines = 0;
        int bits = 0;
        std::string pixels;
        bool complete = false;
    };
    Received received() const;

private:
    void receive(SimulatedReader& reader);

    mutable std::mutex mutex_;
    std::string decodeResult_ = "SIMULATED DECODE OK";
    std::map<std::size_t, int> refuse_;
    Received received_;
    bool armed_ = false;
};

// Gives a reader the imaging responders (a simulated 2D reader the operator can shoot with).
// Both stay owned by the reader.
struct ImagingResponders {
    CaptureResponder* capture;
    PictureResponder* picture;
};
ImagingResponders addImagingResponders(SimulatedReader& reader);

}  // namespace omni::sim
