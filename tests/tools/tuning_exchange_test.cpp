// Auto tuning against the simulated 2D reader: opening, tuning attempts, applying, closing.
#include "tool_fixture.h"
#include "tools/auto_tuning.h"

namespace omni::test {
namespace {

class Tuning : public ToolTest {
protected:
    void openSession() {
        session.open();
        reader.clearTranscript();
    }
    tools::AutoTuning session{link};
};

TEST_F(Tuning, OpeningSavesTheSettingAndReadsTheFiveBanks) {
    tuning->setSavedSetting(3);
    session.open();
    EXPECT_TRUE(session.openingComplete());
    EXPECT_EQ(session.savedSetting(), 3);
    auto& banks = session.banks();
    EXPECT_EQ(tools::codeTypeName(banks[0]), "QR Code");
    EXPECT_TRUE(banks[1].apply);
    EXPECT_FALSE(banks[0].apply);
    EXPECT_FALSE(banks[3].enabled);
    EXPECT_TRUE(banks[4].enabled);
    EXPECT_EQ(banks[2].exposureUs, 800);
    EXPECT_EQ(banks[2].lightUs, 500);
    sync();
    const std::vector<std::string> seen = transcript();
    ASSERT_GE(seen.size(), 3u);
    EXPECT_EQ(seen[0], "[EAU");
    EXPECT_EQ(count("[C21Q0"), 1);
    EXPECT_EQ(count("[DFCQ5Q3"), 1);  // bank 5's block

    // Closing without a recorded apply reverts, then restores the saved setting.
    reader.clearTranscript();
    EXPECT_FALSE(session.close());
    sync();
    const std::vector<std::string> closing = transcript();
    EXPECT_EQ(closing.front(), "[BAPQ1");
    EXPECT_EQ(closing.back(), "[C21Q3");
    EXPECT_EQ(closing[closing.size() - 2], "WC");
    EXPECT_EQ(closing[closing.size() - 3], "[EAT");
}

TEST_F(Tuning, ThirdAttemptStoresNegativeOffMirrorOnAndSelectionWraps) {
    tuning->setSuccessAttempt(2);
    tuning->setParameters(150, 90, 300, 500);  // exposure below the light time
    openSession();
    session.select(4);
    std::optional<tools::TuningResult> result = session.tune(tools::TuningMode::Moving);
    ASSERT_TRUE(result);
    EXPECT_EQ(result->attempt, 2);
    EXPECT_EQ(result->data, "SIMULATED TUNING");
    EXPECT_EQ(result->corners[2].x, 520);
    EXPECT_EQ(result->corners[3].y, 400);
    EXPECT_EQ(tuning->attempts(), 3);

    const tools::TuningBank& bank = session.banks()[4];
    EXPECT_FALSE(bank.negative);
    EXPECT_TRUE(bank.mirror);
    EXPECT_EQ(bank.codeId, 'u');
    EXPECT_EQ(bank.identifier, "]Q1");
    EXPECT_EQ(bank.exposureUs, 500);
    EXPECT_EQ(bank.lightUs, 500);
    EXPECT_DOUBLE_EQ(bank.analogAmp, 1.5);
    EXPECT_TRUE(bank.apply);
    EXPECT_FALSE(session.banks()[1].apply);  // every other flag cleared
    EXPECT_EQ(session.selected(), 0);        // after bank 5, bank 1

    // Moving mode, three attempts with their negative/mirror settings, the tuned bank applied
    // without recording (its exposure difference encodes as 0).
    EXPECT_EQ(count("[EAVQ6Q3Q2Q0Q0Q5"), 1);
    EXPECT_EQ(count("[DE7Q8Q0Q0Q0Q0Q1"), 1);
    EXPECT_EQ(count("[E8I"), 2);              // attempt 3 and the applied bank
    EXPECT_EQ(count("Y"), 2);                 // two failed attempts abandoned
    EXPECT_EQ(count("[DE5Q6Q1Q0Q0Q0Q0"), 3);  // the reported pass and the applied bank's two
    EXPECT_EQ(count("[DFDQ5Q0Q0Q0Q0"), 0);    // not recording: no disabled-bank commands
    EXPECT_TRUE(session.recordedBanks().empty());
}

TEST_F(Tuning, FourFailedAttemptsLeaveTheBanksUnchanged) {
    tuning->setSuccessAttempt(-1);
    openSession();
    const tools::TuningBank before = session.banks()[0];
    EXPECT_FALSE(session.tune(tools::TuningMode::Stationary));
    EXPECT_EQ(tuning->attempts(), 4);
    EXPECT_EQ(session.banks()[0].exposureUs, before.exposureUs);
    EXPECT_EQ(session.banks()[0].codeId, before.codeId);
    EXPECT_EQ(session.selected(), 0);
    EXPECT_EQ(count("[BAPQ2"), 1);
    EXPECT_EQ(count("[EAVQ6Q3Q2Q0Q1Q0"), 1);  // stationary
}

TEST_F(Tuning, RecordedApplyCapsTheReadTimeAndMarksBanks) {
    sim::SimBank slow;
    slow.readTimeTens = 255;
    tuning->setBank(0, slow);
    openSession();
    session.banks()[0].readTimeMs = 3000;
    session.banks()[0].apply = true;
    session.banks()[1].apply = false;
    session.applySelected();
    const std::string& text = session.recordedBanks();
    EXPECT_NE(text.find("[DFDQ1Q1Q2Q5Q5"), std::string::npos);  // 11000 + min(300, 255)
    EXPECT_NE(text.find("[DFCQ1Q1[DFCQ1Q5[DFDQ1Q0Q0Q0Q1"), std::string::npos);
    EXPECT_NE(text.find("[DFDQ2Q0Q0Q0Q0"), std::string::npos);  // bank 2 disabled
    EXPECT_EQ(text.substr(text.size() - 20), "[DEDQ4Q0Q0Q0[DFEQ1Z2");
    EXPECT_EQ(text.find("Z2"), text.size() - 2);
    EXPECT_TRUE(session.recordedApplied());
    EXPECT_EQ(count("Z2"), 0);  // recorded, never sent

    // Closing after a recorded apply asks for the page and sends no revert.
    reader.clearTranscript();
    EXPECT_TRUE(session.close());
    EXPECT_EQ(count("[BAPQ1"), 0);
}

TEST_F(Tuning, RevertRowSendsOnlyTheRevert) {
    openSession();
    session.revert() = true;
    session.applySelected();
    sync();
    EXPECT_EQ(transcript().front(), "[BAPQ1");
    EXPECT_EQ(count("B0"), 0);
    EXPECT_FALSE(session.recordedApplied());
}

TEST_F(Tuning, PrefixSuffixBlocksAreCompared) {
    openSession();
    EXPECT_TRUE(session.prefixSuffixAgree());
    EXPECT_EQ(count("[EARQ2Q0Q2Q2Q1"), 1);
    EXPECT_EQ(count("[EARQ2Q0Q7Q1Q1"), 1);
    tuning->setPrefixSuffixDiffer(true);
    EXPECT_FALSE(session.prefixSuffixAgree());
}

TEST_F(Tuning, SilentReaderAbortsTheStepWithATimeOut) {
    reader.setSilent(true);
    EXPECT_THROW(session.open(), foundation::KesException);
}

}  // namespace
}  // namespace omni::test
