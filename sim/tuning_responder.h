// The simulated 2D reader's side of auto tuning and the reading tools: the opening reply, the
// saved setting, bank blocks, tuning replies that succeed on a chosen attempt (or never), the
// parameter block, prefix/suffix blocks; decoded data while reading is on, a reading-rate report
// in the 1D verification mode; and a waveform stream for a waveform-capable 1D reader.
#pragma once

#include <array>
#include <mutex>
#include <string>

#include "sim/simulated_reader.h"

namespace omni::sim {

// One parameter bank as the reader keeps it.
struct SimBank {
    bool enabled = true;
    bool apply = false;
    int readTimeTens = 30;  // units of 10 ms
    int frequency = 1;
    int analogHundredths = 100;
    int digitalHundredths = 100;
    int exposureUs = 800;  // total, never below the light time
    int lightUs = 500;
    bool negative = false;
    bool mirror = false;
    int codeFlagOffset = -1;  // the block byte that flags the bound code; -1: the default set
};

class TuningResponder : public Responder {
public:
    TuningResponder();
    bool handle(std::string_view command, SimulatedReader& reader) override;

    // The attempt (0 to 3) on which tuning finds the code; -1: never.
    void setSuccessAttempt(int attempt);
    // What the engine reports after a successful attempt.
    void setParameters(int analogHundredths, int digitalHundredths, int exposureUs, int lightUs);
    void setBank(int index, const SimBank& bank);
    void setSavedSetting(int value);
    // When set, the per-code prefix/suffix blocks differ between code types.
    void setPrefixSuffixDiffer(bool differ);
    int attempts() const;

    static std::string bankBlock(const SimBank& bank);

private:
    bool handleBanks(std::string_view command, SimulatedReader& reader);
    void tuneReply(SimulatedReader& reader);

    mutable std::mutex mutex_;
    std::array<SimBank, 5> banks_{};
    int successAttempt_ = 0;
    int attempts_ = 0;
    bool armed_ = false;
    int analog_ = 150, digital_ = 120, exposure_ = 1200, light_ = 400;
    int saved_ = 1;
    bool differ_ = false;
};

// Decoded data lines when the reading test starts, a reading-rate report for ".V".
class ReadingResponder : public Responder {
public:
    bool handle(std::string_view command, SimulatedReader& reader) override;
};

// A waveform stream: "[EGFQn" picks mode n; reading on (".V" or "Z") sends a burst of waveform
// text in that mode.
class WaveformResponder : public Responder {
public:
    bool handle(std::string_view command, SimulatedReader& reader) override;
    static std::string waveform(int mode);

private:
    std::mutex mutex_;
    int mode_ = 0;
};

// Adds the tuning and reading responders (and the waveform stream when `waveform` is set).
TuningResponder& addToolResponders(SimulatedReader& reader, bool waveform = false);

}  // namespace omni::sim
