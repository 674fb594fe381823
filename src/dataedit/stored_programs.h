// Reading the four stored programs back from the reader: "[ED5Q1" to "[ED5Q4", each answered
// with two lines (the stored cut script and the stored paste script, each ended by CR).
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "dataedit/script_text.h"

namespace omni::dataedit {

// Longest reply line taken (a 1024-byte buffer).
inline constexpr std::size_t kMaxReplyLength = 1024;

// What reading the programs needs of the link to the reader.
class ProgramLink {
public:
    virtual ~ProgramLink() = default;
    // Sends one command. Throws when the reader has gone.
    virtual void send(std::string_view command) = 0;
    // One reply line up to CR (not included), at most `max` bytes. `complete` is false when the
    // reply stopped arriving; the text is then what had arrived.
    virtual std::string readReply(std::size_t max, bool& complete) = 0;
};

struct StoredPrograms {
    std::array<ScriptPair, 4> programs;  // programs 1 to 4
    bool complete = false;               // every reply arrived
};

// Asks for each program in turn and reads its two replies. A reply that does not arrive stays as
// far as it was read and ends the reading. No link: four empty pairs.
StoredPrograms ReadStoredPrograms(ProgramLink* link);

}  // namespace omni::dataedit
