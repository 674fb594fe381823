// Auto tuning of a 2D reader: reading its five parameter banks, letting the engine tune itself
// to a sample code under up to four negative/mirror combinations, writing banks back (and
// recording the commands for a menu-code page or a file), storing, and putting the reader back
// as it was found.
//
// Every step is one blocking exchange on the calling thread (the dialog's worker, the CLI);
// the port's receive thread must be stopped while a step runs.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "tools/tool_link.h"
#include "tools/tuning_bank.h"
#include "tools/tuning_replies.h"

namespace omni::tools {

enum class TuningMode { Moving = 0, Stationary = 1 };

// What one successful attempt reported.
struct TuningResult {
    int attempt = 0;   // 0 to 3
    TuningBank bank;   // code type, negative, mirror, exposure, light time, amplifications
    std::string data;  // the decoded data
    std::array<CornerPoint, 4> corners{};  // in image pixels
};

// The exposure adjustment area in image pixels (inclusive).
struct AdjustmentArea {
    int left = 0, top = 0, right = 0, bottom = 0;
};
// The central half of a width x height picture.
AdjustmentArea centralArea(int width, int height);

// The per-code prefix/suffix blocks a reader reports: 8 bytes for each code type.
struct PrefixSuffixRow {
    std::string_view name;
    int number;  // the three digits of the "[EAR" request
    int offset;  // where the 8 bytes start in the reply's body
};
const std::vector<PrefixSuffixRow>& prefixSuffixTable();

class AutoTuning {
public:
    static constexpr int kRevertRow = kBankCount;  // the sixth list row

    explicit AutoTuning(ToolLink& link);

    // --- Steps (each may throw the link's exceptions) ---
    // Saves the reader's setting, turns it off, and reads the five banks.
    void open();
    void readBanks();
    // Prepares the engine and runs the attempts. On success the result is written into the
    // selected bank, which is applied (without recording), and the selection moves on.
    std::optional<TuningResult> tune(TuningMode mode);
    // Applies the checked banks (or reverts) with recording on; the recorded text restarts.
    void applySelected();
    void applyBanks(bool recording);
    // Sends the adjustment area twice (selectors 0 and 1).
    void sendAdjustmentArea(const AdjustmentArea& area);
    // Reads every code type's prefix/suffix block; true when they all agree.
    bool prefixSuffixAgree();
    // "Z2" and the acknowledged wait.
    void store();
    // The closing sequence: reverts when nothing recorded was applied, then restores the saved
    // setting. Returns true when the recorded commands should become a menu-code page.
    bool close();

    // --- State the dialog shows and edits ---
    std::array<TuningBank, kBankCount>& banks() { return banks_; }
    bool& revert() { return revert_; }
    int selected() const { return selected_; }
    void select(int bank) { selected_ = bank; }
    // Hook run after a successful attempt (capture and show the picture).
    void setAfterSuccess(std::function<void(const TuningResult&)> hook) {
        afterSuccess_ = std::move(hook);
    }

    const std::string& recordedBanks() const { return recorded_; }
    std::string& recordedPrefixSuffix() { return prefixSuffix_; }
    bool recordedApplied() const { return recordedApplied_; }
    bool amplified() const { return amplified_; }
    int savedSetting() const { return saved_; }
    bool openingComplete() const { return openingComplete_; }
    // The recorded prefix/suffix commands followed by the recorded bank commands: the content
    // of the saved file and of the menu-code page.
    std::string recordedText() const { return prefixSuffix_ + recorded_; }

private:
    void matchOpeningReply();
    void readSavedSetting();
    void prepare(TuningMode mode);
    std::optional<TuningResult> attempt(int k);
    void readCorners(TuningResult& result);
    void readParameters(TuningBank& bank);
    void applyBank(int n, bool recording);
    void record(std::string_view command);
    void sendAll(const std::vector<std::string>& commands);
    std::string readBody();

    ToolLink& link_;
    std::array<TuningBank, kBankCount> banks_{};
    bool revert_ = false;
    int selected_ = 0;
    std::function<void(const TuningResult&)> afterSuccess_;
    bool recording_ = false;
    std::string recorded_;
    std::string prefixSuffix_;
    bool recordedApplied_ = false;
    bool amplified_ = false;
    int saved_ = 0;
    bool openingComplete_ = false;
};

}  // namespace omni::tools
