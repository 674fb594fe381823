// The reader's data edit programs: four slots filled by "[ED0'cut'[ED1'paste'[ED2Qn" and read
// back with "[ED5Qn" (the cut script and the paste script, each ended by CR); the free line OCR
// settings "[DKF", "[DKI" with its digit tokens and "[DLT" with the font token.
//
// For the wizards' test pages it can act as if a code had been read: in test mode each stored
// program is followed by a chosen sample, and after the GS1 start command ("[X/0", "OG", the
// start program) it sends a chosen GS1 sample with each variable-length field ended by a space,
// as the reader does with that program stored.
#pragma once

#include <array>
#include <mutex>
#include <string>

#include "sim/simulated_reader.h"

namespace omni::sim {

class DataEditResponder : public Responder {
public:
    struct Program {
        std::string cut;
        std::string paste;
    };
    struct OcrState {
        bool enabled = false;  // "[DKF" was received
        int digits = 0;        // the "[DKI" value
        int font = -1;         // the "[DLT" digit
    };

    bool handle(std::string_view command, SimulatedReader& reader) override;

    // Program 1 to 4 as stored.
    Program program(int number) const;
    void setProgram(int number, Program program);
    OcrState ocr() const;

    // Test mode: the data sent (with a CR) after every stored program; empty: off.
    void setTestSample(std::string sample);
    // The GS1 element string sent after the start command: FS or GS separators (as in the code)
    // become spaces, a CR ends it. Empty: nothing is sent.
    void setGS1Sample(std::string sample);

private:
    // What one command frame asked for.
    struct Request {
        bool any = false;
        bool gs1Start = false;
        int stored = 0;  // program stored by this frame
        int asked = 0;   // program asked for
    };
    Request apply(std::string_view command);

    mutable std::mutex mutex_;
    std::array<Program, 4> programs_;
    OcrState ocr_;
    std::string testSample_;
    std::string gs1Sample_;
};

}  // namespace omni::sim
