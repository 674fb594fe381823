#include "dataedit/script_text.h"

#include "commands/menu_command.h"

namespace omni::dataedit {
namespace {

constexpr char kBackslash = '\\';
constexpr char kQuote = '\'';

bool isHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

bool isAlphanumeric(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// Escapes whose argument is two hexadecimal digits: delay, key, \q, \s, character code.
bool takesHexArgument(char c) {
    return c == 'd' || c == 'k' || c == 'q' || c == 's' || c == 'x';
}

bool isHigh(char c) {
    return static_cast<unsigned char>(c) >= 0x80;
}

// Converts `text` into `out`; returns the logical count, or the problem through `problem`.
int convert(std::string_view text, std::string* out, TextProblem& problem) {
    problem = TextProblem::None;
    int count = 0;
    for (std::size_t i = 0; i < text.size(); ++i, ++count) {
        const char c = text[i];
        if (isHigh(c)) {
            problem = TextProblem::NonAscii;
            return -1;
        }
        if (c == kBackslash) {
            if (i + 1 >= text.size()) {
                problem = TextProblem::LoneBackslash;
                return -1;
            }
            const char next = text[i + 1];
            if (isHigh(next)) {
                problem = TextProblem::NonAscii;
                return -1;
            }
            if (takesHexArgument(next)) {
                if (i + 3 >= text.size() || !isHexDigit(text[i + 2]) || !isHexDigit(text[i + 3])) {
                    problem = TextProblem::BadHexEscape;
                    return -1;
                }
                if (out)
                    out->append(text.substr(i, 4));
                i += 3;
                continue;
            }
            // Any other escaped character is copied with its backslash, as typed.
            if (out)
                out->append(text.substr(i, 2));
            i += 1;
            continue;
        }
        if (!out)
            continue;
        if (isAlphanumeric(c) || c == ' ' || static_cast<unsigned char>(c) < 0x20) {
            *out += c;
        } else if (c == kQuote) {
            *out += "\\''";
        } else {
            *out += kBackslash;
            *out += c;
        }
    }
    return count;
}

std::string programDigit(int program) {
    return commands::digitTokens(static_cast<unsigned>(program), 1, true);
}

}  // namespace

int EscapeScriptText(std::string& text) {
    std::string out;
    out.reserve(text.size() * 2);
    TextProblem problem;
    int count = convert(text, &out, problem);
    if (count < 0)
        return -1;
    text = std::move(out);
    return count;
}

TextProblem CheckScriptText(std::string_view text) {
    TextProblem problem;
    convert(text, nullptr, problem);
    return problem;
}

std::string ComposeStoreCommand(std::string_view cut, std::string_view paste, int program) {
    std::string command;
    command.reserve(cut.size() + paste.size() + 18);
    command += "[ED0'";
    command += cut;
    command += "'[ED1'";
    command += paste;
    command += "'[ED2";
    command += programDigit(program);
    return command;
}

StoreProblem CheckStore(const ScriptPair& scripts, int program) {
    if (program < kFirstProgram || program > kLastProgram)
        return StoreProblem::BadProgram;
    if (scripts.cut.size() > kMaxScriptLength || scripts.paste.size() > kMaxScriptLength)
        return StoreProblem::ScriptTooLong;
    if (ComposeStoreCommand(scripts.cut, scripts.paste, program).size() > kMaxCommandLength)
        return StoreProblem::CommandTooLong;
    return StoreProblem::None;
}

std::string ReadProgramCommand(int program) {
    return "[ED5" + programDigit(program);
}

}  // namespace omni::dataedit
