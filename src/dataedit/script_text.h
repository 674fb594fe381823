// Operator text in data edit scripts, script pairs and the command that stores a pair in one of
// the reader's four program slots.
//
// Scripts are single-byte strings in the reader's editing language. The tool never interprets
// them; it only escapes the operator's literal text for the language and wraps a finished pair
// in menu commands.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace omni::dataedit {

// Longest script a program slot takes (a 1024-byte buffer with its terminator).
inline constexpr std::size_t kMaxScriptLength = 1023;
// Longest store command: what one command frame carries (1023 bytes or more are refused).
inline constexpr std::size_t kMaxCommandLength = 1022;
// Longest text an operator types into one box of a simple wizard, before escaping.
inline constexpr std::size_t kMaxOperatorText = 32;
// Longest script typed by hand (direct input), taken as typed.
inline constexpr std::size_t kMaxDirectScript = 500;

inline constexpr int kFirstProgram = 1;
inline constexpr int kLastProgram = 4;

// Why an operator text cannot enter a script.
enum class TextProblem {
    None,
    LoneBackslash,  // a backslash at the very end
    BadHexEscape,   // \d, \k, \q, \s or \x without two hexadecimal digits after it
    NonAscii,       // a byte of 128 or more
    TooLong,        // more than the box holds
};

// Escapes `text` in place for a script: the operator's own escapes (\d, \k, \q, \s, \x with two
// hexadecimal digits, or a backslash and any other character) are copied and count as one
// character; letters, digits, the space and control characters stay; every other character gets
// a backslash in front, a single quote becomes \'' so that it survives the command's quoting.
// Returns the number of logical characters, or -1 when the text is refused (then `text` is left
// as it was). An empty text gives 0.
int EscapeScriptText(std::string& text);

// Why EscapeScriptText refuses `text` (None when it accepts it).
TextProblem CheckScriptText(std::string_view text);

struct ScriptPair {
    std::string cut;    // the pattern matched against the scanned data
    std::string paste;  // the template of what the reader outputs
    bool operator==(const ScriptPair&) const = default;
};

// "[ED0'" cut "'" "[ED1'" paste "'" "[ED2Q" and the program digit (1 to 4).
std::string ComposeStoreCommand(std::string_view cut, std::string_view paste, int program);

// Why a script pair or a command cannot be stored.
enum class StoreProblem { None, ScriptTooLong, CommandTooLong, BadProgram };

// Checks both scripts against their buffers, the program number and the composed command
// against what one frame carries.
StoreProblem CheckStore(const ScriptPair& scripts, int program);

// The command that asks for a stored program: "[ED5Q" and the program digit.
std::string ReadProgramCommand(int program);

}  // namespace omni::dataedit
