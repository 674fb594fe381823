// Shared by the dataedit sub-commands: reading their options, turning refusals into one line
// with exit status 2, and printing or sending the composed command.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "command.h"
#include "dataedit/script_text.h"
#include "dataedit/templates.h"
#include "exit_status.h"

namespace omni::cli::dataedit_cli {

// Walks the arguments of one sub-command.
class Options {
public:
    Options(const Args& args, std::string sub) : args_(args), sub_(std::move(sub)) {}

    bool done() const { return i_ >= args_.size(); }
    // The next argument (an option name or a positional value).
    const std::string& next() { return args_[i_++]; }
    // The value after the option `name`; nullopt (after printing why) when it is missing.
    std::optional<std::string> value(const std::string& name);
    // One line about an unknown option; returns exit status 2.
    int unknown(const std::string& option) const;
    // Moves to the next option, taking any --port PATH on the way. False when the arguments
    // are used up, or when --port has no path: then `status` is 2 after printing why.
    bool nextOption(std::string& option, int& status);
    const std::string& port() const { return port_; }

private:
    const Args& args_;
    std::string sub_;
    std::size_t i_ = 0;
    std::string port_;
};

// Prints `message` as the one error line and returns exit status 2.
int refuse(const std::string& message);

// A program number 1 to 4 from its text; nullopt after printing why.
std::optional<int> parseProgram(const std::string& text);
// A whole number from its text; nullopt after printing why.
std::optional<int> parseNumber(const std::string& text);

// The one line about a refused operator text.
std::string textProblemMessage(dataedit::TextProblem problem, const std::string& text,
                               std::size_t limit = dataedit::kMaxOperatorText);

// Checks the scripts, then prints the store command for `program` on standard output, or sends
// it (followed by "Z2" when `save`) to the reader on `port`. Returns the exit status.
int storeScripts(const dataedit::TemplateResult& result, int program, const std::string& port,
                 bool save = true);

// Prints `command` or sends it (and "Z2" when `save`) to the reader on `port`.
int printOrSend(const std::string& command, const std::string& port, bool save);

// A character-table row from its name (or its escape); nullopt after printing why.
std::optional<std::size_t> parseCharRow(const std::string& text);

// The sub-commands kept in their own files.
int runConvert(const Args& args);
int runPickup(const Args& args);
int runBookCode(const Args& args);
int runMultiLabel(const Args& args);
int runOcr(const Args& args);
int runGS1(const Args& args);

}  // namespace omni::cli::dataedit_cli
